#include "ui/localised_text.h"

#include "core/system_paths.h"
#include "driver/run_settings.h"

Vector<String> LanguageTable;
TextTable StringTable;
int32_t CurrentLanguage = 0;

void TextTable::reset(int32_t stringCount, int32_t languageCount) {
    entries_.clear();
    stringCount_ = 0;
    languageCount_ = 0;
    if (stringCount < 1 || languageCount < 1 || stringCount > String::all / languageCount) return;
    entries_.resize(stringCount * languageCount);
    stringCount_ = stringCount;
    languageCount_ = languageCount;
}

String* TextTable::entry(int32_t id, int32_t language) {
    if (id < 0 || id >= stringCount_ || language < 0 || language >= languageCount_) return nullptr;
    return &entries_[id * languageCount_ + language];
}

int32_t defaultLanguageOf(const Vector<String>& names) {
    int32_t chosen = 0;
    for (int32_t i = 0; i < names.count(); ++i) {
        if (names[i].equals("English")) chosen = i;
    }
    return chosen;
}

const char* localisedEntry(TextTable& table, int32_t language, int32_t id, const char* productName,
                           const char* windowsDirectory) {
    String* text = table.entry(id, language);
    if (!text) return "";
    text->replaceAll("<product>", productName, String::IgnoreCase);
    text->replaceAll("<os>", windowsDirectory, String::IgnoreCase);
    return text->text();
}

const char* LocalisedText(int id) {
    return localisedEntry(StringTable, CurrentLanguage, id, ProductName.text(),
                          SystemPaths.windowsDirectory.text());
}

void InstallLocalisedTexts(Vector<String>&& languages, TextTable&& strings) {
    LanguageTable = moveValue(languages);
    StringTable = moveValue(strings);
    CurrentLanguage = defaultLanguageOf(LanguageTable);
}
