// The fixed texts of the failure reports, built without the platform.
#pragma once
#include <stdint.h>

#include "core/string.h"

// The usage report: `message`, then how to call `programFileName`.
String usageReportText(const char* message, const char* programFileName);

// The corrupt-payload text for `code`: `localisedFormat` (string 13) when it is
// not empty, else the built-in English text.
String corruptReportText(const char* localisedFormat, int code);

// Whether ErrorMessage shows anything for `text` in the current mode.
bool errorMessageShown(const char* text, bool automaticMode, uint32_t productFlagsHigh);

// The failure line block of AppendFailure.
String failureLines(const char* firstWord, const char* name, const char* systemText);

// The out-of-memory text: the size twice, then `count` stack words, eight to
// a line, each line started by CR.
String outOfMemoryText(uint32_t requested, const uint32_t* stackWords, int count);
