#include <gtest/gtest.h>

#include <string>

#include "core/system_paths.h"
#include "driver/run_settings.h"
#include "ui/localised_text.h"

namespace {

TextTable tableOf(std::initializer_list<std::initializer_list<const char*>> rows, int32_t languages) {
    TextTable t;
    t.reset((int32_t)rows.size(), languages);
    int32_t id = 0;
    for (auto row : rows) {
        int32_t l = 0;
        for (const char* text : row) *t.entry(id, l++) = text;
        ++id;
    }
    return t;
}

TEST(LocalisedTextTest, MissingRowsAndLanguagesGiveTheEmptyText) {
    TextTable t = tableOf({{"zero", "null"}, {"one", "eins"}}, 2);
    EXPECT_STREQ(localisedEntry(t, 1, 1, "P", "W"), "eins");
    EXPECT_STREQ(localisedEntry(t, 0, 2, "P", "W"), "");
    EXPECT_STREQ(localisedEntry(t, 0, -1, "P", "W"), "");
    EXPECT_STREQ(localisedEntry(t, 2, 0, "P", "W"), "");
    TextTable empty;
    EXPECT_STREQ(localisedEntry(empty, 0, 0, "P", "W"), "");
}

TEST(LocalisedTextTest, PlaceholdersAreFilledInAnyCaseAndStayFilled) {
    TextTable t = tableOf({{"<Product> goes to <OS>\\x; <PRODUCT>, <os>"}}, 1);
    EXPECT_STREQ(localisedEntry(t, 0, 0, "Widget", "C:\\WINDOWS"),
                 "Widget goes to C:\\WINDOWS\\x; Widget, C:\\WINDOWS");
    // The stored text itself was changed: a later name does not show.
    EXPECT_STREQ(localisedEntry(t, 0, 0, "Gadget", "D:\\WIN"), "Widget goes to C:\\WINDOWS\\x; Widget, C:\\WINDOWS");
}

TEST(LocalisedTextTest, OsIsReplacedAfterTheProductName) {
    TextTable t = tableOf({{"<product>"}}, 1);
    EXPECT_STREQ(localisedEntry(t, 0, 0, "<os>", "C:\\WINDOWS"), "C:\\WINDOWS");
}

TEST(LocalisedTextTest, ResetRefusesImpossibleSizes) {
    TextTable t;
    t.reset(0x7FFFFFFF, 100);
    EXPECT_EQ(t.stringCount(), 0);
    t.reset(3, 0);
    EXPECT_EQ(t.stringCount(), 0);
    EXPECT_EQ(t.entry(0, 0), nullptr);
}

TEST(LocalisedTextTest, DefaultLanguageIsTheLastExactEnglish) {
    struct Case {
        std::initializer_list<const char*> names;
        int32_t expected;
    } cases[] = {
        {{}, 0},
        {{"Deutsch"}, 0},
        {{"Deutsch", "English"}, 1},
        {{"English", "English"}, 1},
        {{"Deutsch", "english", "English "}, 0},
    };
    for (const Case& c : cases) {
        Vector<String> names;
        for (const char* n : c.names) names.append(String(n));
        EXPECT_EQ(defaultLanguageOf(names), c.expected);
    }
}

TEST(LocalisedTextTest, RunTablesUseTheRunProductNameAndWindowsDirectory) {
    Vector<String> languages;
    languages.append(String("Deutsch"));
    languages.append(String("English"));
    InstallLocalisedTexts(moveValue(languages), tableOf({{"de", "en <product> in <os>"}}, 2));
    String savedName = ProductName;
    String savedWindows = SystemPaths.windowsDirectory;
    ProductName = "Widget";
    SystemPaths.windowsDirectory = "C:\\WIN";

    EXPECT_EQ(CurrentLanguage, 1);
    EXPECT_STREQ(LocalisedText(0), "en Widget in C:\\WIN");
    EXPECT_STREQ(LocalisedText(13), "");

    ProductName = savedName;
    SystemPaths.windowsDirectory = savedWindows;
    InstallLocalisedTexts(Vector<String>(), TextTable());
    EXPECT_STREQ(LocalisedText(0), "");
}

}  // namespace
