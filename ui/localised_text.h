// The payload's numbered texts in the current language.
#pragma once

// The text of string `id` in the current language; the empty text when there
// is no such string (always the case before the settings block is read).
// The pointer stays valid until the table is rebuilt.
const char* LocalisedText(int id);
