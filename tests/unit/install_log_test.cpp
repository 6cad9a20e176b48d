#include <gtest/gtest.h>

#include <string>

#include "install/install_log.h"

namespace {

std::string str(const String& s) { return std::string(s.text(), size_t(s.length())); }

InstallLogHeader sampleHeader() {
    InstallLogHeader h;
    h.productName = "Tavo App";
    h.installDate = "4-Dec-26 4:10:44p";
    h.recordKept = true;
    h.reinstall = false;
    h.installDir = "C:\\Program Files\\Tavo App";
    h.displayVersion = "2.10";
    return h;
}

TEST(InstallLogHeader, LinesInOrder) {
    InstallLogHeader h = sampleHeader();
    EXPECT_EQ(str(installLogHeaderText(h)),
              "\r\nInstallation log for: Tavo App\r\n"
              "Install date: 4-Dec-26 4:10:44p\r\n"
              "Install type: New\r\n"
              "Install location: C:\\Program Files\\Tavo App\r\n"
              "Installer version: 11.3\r\n"
              "Product version: 2.10\r\n"
              "\r\n");
    h.reinstall = true;
    EXPECT_NE(str(installLogHeaderText(h)).find("Install type: Reinstall\r\n"), std::string::npos);
}

TEST(InstallLogHeader, OptionalLinesLeftOut) {
    InstallLogHeader h = sampleHeader();
    h.recordKept = false;
    h.reinstall = true;  // no type line without an uninstall record
    h.displayVersion = " \t";
    EXPECT_EQ(str(installLogHeaderText(h)),
              "\r\nInstallation log for: Tavo App\r\n"
              "Install date: 4-Dec-26 4:10:44p\r\n"
              "Install location: C:\\Program Files\\Tavo App\r\n"
              "Installer version: 11.3\r\n"
              "\r\n");
}

TEST(InstallLogSection, LogThenProblems) {
    InstallLogHeader h = sampleHeader();
    std::string header = str(installLogHeaderText(h));
    struct Case {
        const char* log;
        const char* problems;
        const char* body;
    } cases[] = {
        {"Installed a.exe\r\n", "Failed: b.dll\r\n\r\n", "Installed a.exe\r\n\r\nFailed: b.dll\r\n\r\n"},
        {"", "Failed: b.dll\r\n\r\n", "Failed: b.dll\r\n\r\n"},
        {" \r\n", "P\r\n\r\n", "P\r\n\r\n"},  // a blank log is left out
        {"Installed a.exe\r\n", "", "Installed a.exe\r\n\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(str(installLogSection(h, String(c.log), String(c.problems))), header + c.body) << c.log;
    }
}

TEST(InstallLogClosing, MessageChoice) {
    struct Case {
        bool report, hadProblems, automatic, quietSuccess;
        ClosingMessage message;
    } cases[] = {
        {true, false, false, false, SuccessMessage},
        {true, false, false, true, NoClosingMessage},
        {true, false, true, false, NoClosingMessage},
        {true, true, false, false, ProblemsQuestion},
        {true, true, false, true, ProblemsQuestion},  // the quiet bit silences success only
        {true, true, true, false, NoClosingMessage},
        {false, true, false, false, NoClosingMessage},
        {false, false, false, false, NoClosingMessage},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(closingMessageFor(c.report, c.hadProblems, c.automatic, c.quietSuccess), c.message)
            << c.report << c.hadProblems << c.automatic << c.quietSuccess;
    }
}

TEST(InstallLogClosing, KeptLogOfASuccessEndsWithTheCaption) {
    EXPECT_FALSE(keepsInstallLog(false, false));
    EXPECT_TRUE(keepsInstallLog(true, false));
    EXPECT_TRUE(keepsInstallLog(false, true));
    InstallLogHeader h = sampleHeader();
    String section = installLogSection(h, String("Installed a.exe\r\n"), successProblemsText("Setup complete"));
    std::string text = str(section);
    const std::string ending = "Installed a.exe\r\n\r\nSetup complete\r\n\r\n";
    ASSERT_GE(text.size(), ending.size());
    EXPECT_EQ(text.substr(text.size() - ending.size()), ending);
}

}  // namespace
