// The install sequence's own decisions: which way the run goes, the texts of
// its questions, and the disk space it needs.
#include <gtest/gtest.h>

#include <string>

#include "driver/install_sequence.h"

namespace {

// Language strings with their placeholders, as the builder's defaults have them.
const char* sampleText(int id) {
    switch (id) {
    case 3: return "Already installed in:";
    case 4: return "This version is installed in:";
    case 5: return "An older version is installed in:";
    case 6: return "A newer version is installed in:";
    case 7: return "Install over it?";
    case 19: return "Needs %s, drive %c: has %s.";
    case 22: return "%s exists.";
    case 23: return "%s will be created.";
    case 25: return "Could not create the folder";
    default: return "";
    }
}

std::string str(const String& s) { return std::string(s.text(), (size_t)s.length()); }

TEST(InstallSequence, DirectoryChoiceFollowsReinstallModeAndFlags) {
    const uint32_t noReinstall = 0x1, dialog = 0x80, noQuestion = 0x10000000;
    struct Case {
        bool reinstall;
        bool automatic;
        uint32_t flags;
        DirectoryChoice expected;
    } cases[] = {
        {true, false, noReinstall, DirectoryChoice::RefuseReinstall},
        {true, true, noReinstall | noQuestion, DirectoryChoice::RefuseReinstall},
        {true, false, 0, DirectoryChoice::AskReinstall},
        {true, false, dialog, DirectoryChoice::AskReinstall},
        {true, true, 0, DirectoryChoice::Reinstall},
        {true, false, noQuestion, DirectoryChoice::Reinstall},
        {false, false, noReinstall, DirectoryChoice::CreateSilently},
        {false, true, dialog, DirectoryChoice::CreateSilently},
        {false, false, dialog, DirectoryChoice::Dialog},
        {false, false, dialog | noReinstall | noQuestion, DirectoryChoice::Dialog},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "reinstall " << c.reinstall << " automatic " << c.automatic
                                          << " flags 0x" << std::hex << c.flags);
        EXPECT_EQ(directoryChoice(c.reinstall, c.automatic, c.flags), c.expected);
    }
}

TEST(InstallSequence, LanguageDialogOnlyForSeveralLanguagesWithAUser) {
    EXPECT_FALSE(showsLanguageDialog(1, false));
    EXPECT_TRUE(showsLanguageDialog(2, false));
    EXPECT_TRUE(showsLanguageDialog(0, false));
    EXPECT_FALSE(showsLanguageDialog(2, true));
}

TEST(InstallSequence, ProgramAfterStartsOnlyAfterACleanRunWithoutRestart) {
    EXPECT_TRUE(launchesProgramAfter(false, "", "notepad.exe"));
    EXPECT_FALSE(launchesProgramAfter(true, "", "notepad.exe"));
    EXPECT_FALSE(launchesProgramAfter(false, "Error: x\r\n\r\n", "notepad.exe"));
    EXPECT_FALSE(launchesProgramAfter(false, "", ""));
}

TEST(InstallSequence, ReinstallQuestionComparesVersionsOnlyWhenAskedAndBothKnown) {
    struct Case {
        bool compare;
        const char* installed;
        const char* current;
        int expected;
    } cases[] = {
        {false, "1.0", "2.0", 3}, {true, "", "2.0", 3},     {true, "1.0", "  ", 3},
        {true, "2.0", "2.0", 4},  {true, "1.9", "1.10", 5}, {true, "1.2b", "1.2a", 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.installed) + " vs " + c.current);
        EXPECT_EQ(reinstallQuestionId(c.compare, c.installed, c.current), c.expected);
    }
}

TEST(InstallSequence, ReinstallQuestionNamesTheEarlierLocation) {
    EXPECT_EQ(str(reinstallQuestionText(5, "C:\\Apps\\Widget", sampleText)),
              "An older version is installed in:\r\nC:\\Apps\\Widget\r\n\r\nInstall over it?");
}

TEST(InstallSequence, WizardPagesSkipBlanksAndFillPlaceholders) {
    Vector<String> texts;
    texts.append(" \r\n\t");
    texts.append("Licence for <PRODUCT> on <os>");
    texts.append("");
    texts.append("Second <product>");
    Vector<String> pages = wizardPages("", texts, "Widget", "C:\\Windows");
    ASSERT_EQ(pages.count(), 2);
    EXPECT_EQ(str(pages[0]), "Licence for Widget on C:\\Windows");
    EXPECT_EQ(str(pages[1]), "Second Widget");

    Vector<String> none;
    Vector<String> firstOnly = wizardPages("Read <product> first", none, "Widget", "C:\\Windows");
    ASSERT_EQ(firstOnly.count(), 1);
    EXPECT_EQ(str(firstOnly[0]), "Read Widget first");
    EXPECT_EQ(wizardPages("   ", none, "Widget", "C:\\Windows").count(), 0);
}

TEST(InstallSequence, DirectoryQuestionsAndFailureText) {
    EXPECT_EQ(str(diskSpaceQuestion(1536, 'D', 1023, sampleText)), "Needs 1.50 KB, drive D: has 1023 bytes.");
    EXPECT_EQ(str(directoryConfirmText(true, "C:\\A", sampleText)), "C:\\A exists.");
    EXPECT_EQ(str(directoryConfirmText(false, "C:\\A", sampleText)), "C:\\A will be created.");
    EXPECT_EQ(str(directoryCreateFailureText("Q:\\A", "Access is denied.\r\n", sampleText)),
              "Could not create the folder\r\nQ:\\A\r\n\r\nAccess is denied.");
    EXPECT_EQ(str(directoryCreateFailureText("Q:\\A", "", sampleText)), "Could not create the folder\r\nQ:\\A");
}

TEST(InstallSequence, UninstallerArgumentsQuoteTheName) {
    EXPECT_EQ(str(uninstallerArgumentsFor("Acme Widget")), "/u:\"Acme Widget\"");
}

TEST(InstallSequence, SizesRoundUpToWholeClusters) {
    struct Case {
        int64_t size;
        int32_t cluster;
        uint64_t expected;
    } cases[] = {
        {0, 4096, 0},       {1, 4096, 4096},    {4095, 4096, 4096}, {4096, 4096, 4096},
        {4097, 4096, 8192}, {4097, -1, 4097},   {4097, 0, 4097},    {-5, 4096, 0},
        {0x40000000, 65536, 0x40000000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.size << " in clusters of " << c.cluster);
        EXPECT_EQ(clusterRoundedSize(c.size, c.cluster), c.expected);
    }
}

TEST(InstallSequence, DiskSpaceNeedIsSummedIn64Bits) {
    const int32_t sizes[] = {0x40000000, 0x40000000, 0x40000000, 1};
    EXPECT_EQ(diskSpaceNeeded(sizes, 4, 4096), 0xC0001000ull);
    EXPECT_EQ(diskSpaceNeeded(sizes, 0, 4096), 0u);
    EXPECT_EQ(diskSpaceNeeded(nullptr, 0, 4096), 0u);

    EXPECT_TRUE(diskSpaceShort(4096, 4096)) << "exactly the need is not enough";
    EXPECT_TRUE(diskSpaceShort(4097, 4096));
    EXPECT_FALSE(diskSpaceShort(4095, 4096));
}

TEST(InstallSequence, DefaultDirectoryIsMadeAbsoluteUnlessMasterOrAbsolute) {
    struct Case {
        const char* stored;
        const char* expected;
    } cases[] = {
        {"Widget", "C:\\Program Files\\Widget"},
        {"Acme\\Widget", "C:\\Program Files\\Acme\\Widget"},
        {"\\Apps\\Widget", "C:\\Apps\\Widget"},
        {"D:\\Apps\\Widget", "D:\\Apps\\Widget"},
        {"\\\\server\\share\\Widget", "\\\\server\\share\\Widget"},
        {"<master>", "<master>"},
        {"<MASTER>", "<MASTER>"},
    };
    for (const Case& c : cases) {
        String directory(c.stored);
        settleDefaultInstallDir(directory, "C:\\Program Files");
        EXPECT_EQ(str(directory), c.expected) << c.stored;
    }
    EXPECT_TRUE(isMasterPlaceholder("<Master>"));
    EXPECT_FALSE(isMasterPlaceholder("<master>\\x"));
}

}  // namespace
