// The payload's numbered texts, per language, and the lookup that every
// user-visible text goes through.
//
// The tables arrive with the settings block (or, when uninstalling, from the
// uninstall record as a single language). Until then every lookup gives the
// empty text, so the failure reports fall back to their built-in English.
#pragma once
#include <stdint.h>

#include "core/containers.h"
#include "core/string.h"

// Rows of texts by string id; each row holds one text per language, in the
// order of the language names.
class TextTable {
public:
    constexpr TextTable() : languageCount_(0), stringCount_(0) {}

    // Empties the table and makes `stringCount` rows of `languageCount` empty
    // texts. Counts below 1, or too many texts to count, leave it empty.
    void reset(int32_t stringCount, int32_t languageCount);

    int32_t stringCount() const { return stringCount_; }
    int32_t languageCount() const { return languageCount_; }

    // The stored text of row `id` for `language`; null when there is none.
    // Owned by the table; valid until the table is reset or replaced.
    String* entry(int32_t id, int32_t language);

private:
    Vector<String> entries_;  // row by row
    int32_t languageCount_;
    int32_t stringCount_;
};

// The run's tables. LanguageTable holds the language names in payload order;
// CurrentLanguage indexes it (and the columns of StringTable).
extern Vector<String> LanguageTable;
extern TextTable StringTable;
extern int32_t CurrentLanguage;

// The start value of CurrentLanguage for `names`: the index of the last name
// that is exactly "English" (case-sensitive), else 0.
int32_t defaultLanguageOf(const Vector<String>& names);

// The text of row `id` for `language` in `table`, with every "<product>"
// replaced by `productName` and then every "<os>" by `windowsDirectory`
// (both without regard to case). The replacement is made in the stored text
// itself, so later lookups see the names of the first one. The empty text
// when there is no such row or language. Never fails.
const char* localisedEntry(TextTable& table, int32_t language, int32_t id, const char* productName,
                           const char* windowsDirectory);

// localisedEntry over StringTable and CurrentLanguage with the run's
// ProductName and the Windows directory. The pointer stays valid until the
// table is rebuilt.
const char* LocalisedText(int id);

// Makes `languages` and `strings` the run's tables and CurrentLanguage their
// default language.
void InstallLocalisedTexts(Vector<String>&& languages, TextTable&& strings);
