#include <gtest/gtest.h>

#include <ctype.h>

#include <initializer_list>
#include <string>

#include "ui/wizard_logic.h"

namespace {

Vector<String> namesOf(std::initializer_list<const char*> names) {
    Vector<String> v;
    for (const char* name : names) v.append(String(name));
    return v;
}

TEST(UiLanguageChoiceTest, LocaleNameIsCutToTheLanguage) {
    struct Case {
        const char* locale;
        const char* prefix;
    } cases[] = {
        {"English (United States)", "English"},
        {"Deutsch (Deutschland)", "Deutsch"},
        {"Norwegian Bokmal (Norway)", "Norwegian"},
        {"Chinese\r\n", "Chinese"},
        {"Fran\tcais", "Fran"},
        {"(none)", ""},
        {"", ""},
        {nullptr, ""},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(localeLanguagePrefix(c.locale).text(), c.prefix) << (c.locale ? c.locale : "null");
    }
}

TEST(UiLanguageChoiceTest, PreselectionPrefersTheLocaleThenEnglishThenTheFirst) {
    struct Case {
        std::initializer_list<const char*> names;
        const char* locale;
        int32_t chosen;
    } cases[] = {
        {{"Deutsch", "English", "Francais"}, "Deutsch (Osterreich)", 0},
        {{"Deutsch", "English", "Francais"}, "Francais (Canada)", 2},
        {{"Deutsch", "English", "Francais"}, "english (United Kingdom)", 1},
        {{"Deutsch", "English", "Francais"}, "Japanese (Japan)", 1},
        {{"Deutsch", "Francais"}, "Japanese (Japan)", 0},
        {{"English (UK)", "English"}, "English (United States)", 0},
        {{"Svenska", "Englishman"}, "Spanish", 1},
        {{"Deutsch", "Englisch"}, "English", 0},
        {{"Deutsch", "English"}, "", 0},
        {{"Deutsch", "English"}, "(unknown)", 0},
        {{"Only"}, "Only (One)", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(preselectedLanguage(namesOf(c.names), c.locale), c.chosen) << c.locale;
    }
}

TEST(UiLanguageChoiceTest, SelectionIsForcedIntoTheTable) {
    struct Case {
        int32_t selection, count, language;
    } cases[] = {{-1, 3, 0}, {0, 3, 0}, {2, 3, 2}, {3, 3, 2}, {5, 1, 0}, {0, 0, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(languageFromSelection(c.selection, c.count), c.language) << c.selection << " of " << c.count;
    }
}

bool onlyDrivesCAndD(char letter) {
    char upper = (char)toupper((unsigned char)letter);
    return upper == 'C' || upper == 'D';
}

DirectoryRules testRules(bool refuseTwoBackslashes) {
    DirectoryRules rules;
    rules.refuseTwoBackslashes = refuseTwoBackslashes;
    rules.driveExists = onlyDrivesCAndD;
    rules.programsDirectory = "C:\\Program Files";
    return rules;
}

TEST(UiDirectoryCheckTest, FirstFailedTestIsReported) {
    using P = DirectoryProblem;
    struct Case {
        const char* path;
        bool refuseTwoBackslashes;
        P problem;
    } cases[] = {
        {"C:\\Program Files\\Demo", false, P::None},
        {"D:\\x", false, P::None},
        {"relative\\dir", false, P::NotAbsolute},
        {"C:dir", false, P::NotAbsolute},
        {"C:\\a|b", false, P::NotAbsolute},
        {"C:\\what?", false, P::NotAbsolute},
        {"", false, P::NotAbsolute},
        {"\\\\server\\share\\app", true, P::TwoBackslashes},
        {"\\\\server\\share\\app", false, P::None},
        {"Q:\\Apps", false, P::MissingDrive},
        {"Q:\\", false, P::MissingDrive},
        {"C:\\", false, P::DriveRoot},
        {"d:\\", false, P::DriveRoot},
        {"C:\\Program Files", false, P::ProgramsDirectory},
        {"c:\\program files\\\\", false, P::ProgramsDirectory},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(checkInstallDirectory(String(c.path), testRules(c.refuseTwoBackslashes)), c.problem) << c.path;
    }
    DirectoryRules noDriveTest = testRules(false);
    noDriveTest.driveExists = nullptr;
    EXPECT_EQ(checkInstallDirectory(String("Q:\\Apps"), noDriveTest), P::None);
}

const char* fakeText(int id) {
    switch (id) {
        case 14: return "The directory is not valid:";
        case 16: return "Drive %c: does not exist.";
        case 17: return "Not the root, please.";
        case 18: return "Not %s itself.";
        case 66: return "No network paths (100%%).";
        default: return "?";
    }
}

TEST(UiDirectoryCheckTest, MessagesAreFormattedWithTheirArguments) {
    using P = DirectoryProblem;
    struct Case {
        P problem;
        const char* path;
        const char* message;
    } cases[] = {
        {P::NotAbsolute, "rel\\dir", "The directory is not valid:\r\nrel\\dir"},
        {P::NotAbsolute, "100%s", "The directory is not valid:\r\n100%s"},
        {P::TwoBackslashes, "\\\\s\\x", "No network paths (100%)."},
        {P::MissingDrive, "q:\\Apps", "Drive q: does not exist."},
        {P::DriveRoot, "C:\\", "Not the root, please."},
        {P::ProgramsDirectory, "c:\\program files", "Not C:\\Program Files itself."},
        {P::None, "C:\\Fine", ""},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(directoryProblemMessage(c.problem, String(c.path), testRules(true), fakeText).text(), c.message)
            << c.path;
    }
}

}  // namespace
