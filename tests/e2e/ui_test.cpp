// The stub's user interface under wine64: ui_demo.exe (tests/robot) shows
// each dialog and the background window with fixed texts, the robot answers
// them as a user would, and the demo's closing "ui_demo result" box says what
// the dialog handed back.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/wine_prefix.h"

namespace {

using e2e::Dialog;
using e2e::RobotRun;
using Texts = std::vector<std::string>;

const char kDemo[] = "C:\\demo\\ui_demo.exe";
const char kResultCaption[] = "ui_demo result";

// Built beside the robot's sample program unless the environment names it.
std::string uiDemoExe() {
    const char* path = std::getenv("TAVO_E2E_UI_DEMO_EXE");
    if (path && *path) return path;
    return (std::filesystem::path(e2e::sampleExe()).parent_path() / "ui_demo.exe").string();
}

class UiDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(std::filesystem::exists(e2e::robotExe())) << "build the x64 tree: " << e2e::robotExe();
        ASSERT_TRUE(std::filesystem::exists(uiDemoExe())) << "build the x64 tree: " << uiDemoExe();
        ASSERT_TRUE(prefix.ok());
        ASSERT_TRUE(prefix.copyIn(uiDemoExe(), kDemo));
    }

    RobotRun runDemo(const std::string& mode, const std::string& script) {
        return prefix.runRobot(std::string(kDemo) + " " + mode, script);
    }

    // The dialogs the demo's part showed, without its closing result box.
    static std::vector<Dialog> partDialogs(const RobotRun& run) {
        std::vector<Dialog> part;
        for (const Dialog& d : run.transcript.dialogs)
            if (d.caption != kResultCaption) part.push_back(d);
        return part;
    }

    // Where the cancel question stands among the dialogs (their count when
    // it never came). The robot may find the progress dialog before its
    // status line changes and record it once more, so the question need not
    // be the second dialog.
    static size_t questionIndex(const std::vector<Dialog>& dialogs) {
        for (size_t i = 0; i < dialogs.size(); ++i)
            if (dialogs[i].caption == "Question") return i;
        return dialogs.size();
    }

    // The text of the closing result box; empty when there was none.
    static std::string result(const RobotRun& run) {
        for (const Dialog& d : run.transcript.dialogs)
            if (d.caption == kResultCaption) return d.message();
        return "";
    }

    static std::string controlText(const Dialog& d, unsigned id) {
        const e2e::Control* c = d.control(id);
        return c ? c->text : "<no control " + std::to_string(id) + ">";
    }

    e2e::WinePrefix prefix;
};

TEST_F(UiDialogs, LanguageDialogListsLanguagesInOrderAndRelabelsAtEachChoice) {
    RobotRun run = runDemo("language",
                           "once caption \"Choose Your Language\" text \"Next\"\n"
                           "  pick 1017 2\n"
                           "on caption \"Choose Your Language\" text \"Suivant\"\n"
                           "  click 1001\n");
    ASSERT_TRUE(run.ok()) << run.describe();
    std::vector<Dialog> dialogs = partDialogs(run);
    ASSERT_EQ(dialogs.size(), 2u) << run.describe();
    ASSERT_NE(dialogs[0].control(1017), nullptr) << run.describe();
    EXPECT_EQ(dialogs[0].control(1017)->items, (Texts{"Deutsch", "English", "Francais"}));
    EXPECT_EQ(controlText(dialogs[0], 1001), "Next") << "English is chosen first";
    EXPECT_EQ(controlText(dialogs[0], 1003), "Cancel");
    EXPECT_EQ(controlText(dialogs[1], 1001), "Suivant") << "relabelled before the dialog closed";
    EXPECT_EQ(controlText(dialogs[1], 1003), "Annuler");
    EXPECT_EQ(result(run), "result=1001 language=2 title=Installation de Demo") << run.describe();
    EXPECT_EQ(run.transcript.exitCode, 0);
}

TEST_F(UiDialogs, LanguageDeclineKeepsTheLastSelection) {
    RobotRun run = runDemo("language",
                           "once caption \"Choose Your Language\" text \"Next\"\n"
                           "  pick 1017 0\n"
                           "on caption \"Choose Your Language\" text \"Abbrechen\"\n"
                           "  click 1003\n");
    ASSERT_TRUE(run.ok()) << run.describe();
    EXPECT_EQ(result(run), "result=1003 language=0 title=Demo-Installation") << run.describe();
}

TEST_F(UiDialogs, LicenceShowsItsTextsAndCanBeDeclined) {
    RobotRun run = runDemo("licence", "on caption \"Licence Agreement\"\n  click 1003\n");
    ASSERT_TRUE(run.ok()) << run.describe();
    std::vector<Dialog> dialogs = partDialogs(run);
    ASSERT_EQ(dialogs.size(), 1u) << run.describe();
    const Dialog& licence = dialogs[0];
    EXPECT_EQ(controlText(licence, 1009), "Please read the licence");
    EXPECT_EQ(controlText(licence, 1005), "You may use this demo.\r\nSecond line of the licence.");
    EXPECT_EQ(controlText(licence, 1001), "I Agree");
    EXPECT_EQ(controlText(licence, 1003), "I Decline");
    EXPECT_EQ(result(run), "result=1003") << run.describe();
}

TEST_F(UiDialogs, ReadmeIsAcceptedWithItsButton) {
    RobotRun run = runDemo("readme", "on caption \"Read Me\"\n  click 1001\n");
    ASSERT_TRUE(run.ok()) << run.describe();
    std::vector<Dialog> dialogs = partDialogs(run);
    ASSERT_EQ(dialogs.size(), 1u) << run.describe();
    EXPECT_EQ(controlText(dialogs[0], 1009), "Notes on this version");
    EXPECT_EQ(controlText(dialogs[0], 1005), "Nothing to read.");
    EXPECT_EQ(result(run), "result=1001") << run.describe();
}

TEST_F(UiDialogs, DirectoryDialogTakesTypedTextAsItIsAndComesBackWhenBlank) {
    RobotRun run = runDemo("directory",
                           "once caption \"Installation Directory\"\n"
                           "  type 1015 \"   \"\n"
                           "  click 1001\n"
                           "on caption \"Installation Directory\"\n"
                           "  type 1015 \"D:\\\\Typed Dir \"\n"
                           "  click 1001\n");
    ASSERT_TRUE(run.ok()) << run.describe();
    std::vector<Dialog> dialogs = partDialogs(run);
    ASSERT_EQ(dialogs.size(), 2u) << run.describe();
    EXPECT_EQ(controlText(dialogs[0], 1015), "C:\\Program Files\\Demo") << "starts from InstallDir";
    EXPECT_EQ(controlText(dialogs[0], 1009), "Install to:");
    EXPECT_EQ(controlText(dialogs[0], 1013), "Browse...");
    EXPECT_EQ(controlText(dialogs[1], 1015), "   ") << "the blank text came back";
    EXPECT_EQ(result(run), "accepted=1 dialogs=2 dir=[D:\\Typed Dir ]") << run.describe();
}

TEST_F(UiDialogs, ProgressCancelAnsweredNoGoesOn) {
    RobotRun run = runDemo("progress",
                           "once caption \"Demo Setup\" text \"Copying\"\n"
                           "  click 1003\n"
                           "on caption \"Demo Setup\"\n"
                           "  ignore\n"
                           "on text \"Really stop\"\n"
                           "  click 7\n");
    ASSERT_TRUE(run.ok()) << run.describe();
    std::vector<Dialog> dialogs = partDialogs(run);
    const size_t asked = questionIndex(dialogs);
    ASSERT_TRUE(asked >= 1 && asked < dialogs.size()) << run.describe();
    const Dialog& progress = dialogs[asked - 1];
    EXPECT_EQ(progress.caption, "Demo Setup");
    EXPECT_EQ(controlText(progress, 1009), "Installing Demo");
    EXPECT_EQ(controlText(progress, 1011), "Copying 100% of %s") << "a status text is never a format";
    EXPECT_EQ(controlText(progress, 1003), "Cancel");
    bool hasBar = false;
    for (const e2e::Control& c : progress.controls) hasBar = hasBar || c.className == "msctls_progress32";
    EXPECT_TRUE(hasBar) << run.describe();
    const Dialog& question = dialogs[asked];
    EXPECT_EQ(question.message(), "Really stop the installation?");
    EXPECT_EQ(question.buttons(), (Texts{"&Yes", "&No"}));
    EXPECT_EQ(result(run), "dialog=1 cancel=1 status=[Copying 100% of %s]") << "the work went on";
    EXPECT_EQ(run.transcript.exitCode, 0);
}

TEST_F(UiDialogs, ProgressCancelAnsweredYesEndsTheRun) {
    RobotRun run = runDemo("progress",
                           "once caption \"Demo Setup\" text \"Copying\"\n"
                           "  click 1003\n"
                           "on text \"Really stop\"\n"
                           "  click 6\n");
    ASSERT_TRUE(run.ok()) << run.describe();
    std::vector<Dialog> dialogs = partDialogs(run);
    EXPECT_EQ(questionIndex(dialogs), dialogs.size() - 1) << "the question comes last\n" << run.describe();
    EXPECT_EQ(result(run), "") << "ended before the demo could say anything";
    EXPECT_EQ(run.transcript.exitCode, 1) << "through Shutdown";
    EXPECT_FALSE(run.transcript.timedOut);
}

TEST_F(UiDialogs, UninstallProgressHasItsOwnWordingAndNoCancel) {
    RobotRun run = runDemo("uninstall", "on caption \"Demo Removal\"\n  ignore\n");
    ASSERT_TRUE(run.ok()) << run.describe();
    std::vector<Dialog> dialogs = partDialogs(run);
    ASSERT_GE(dialogs.size(), 1u) << run.describe();
    EXPECT_EQ(controlText(dialogs[0], 1009), "Removing Demo");
    EXPECT_EQ(controlText(dialogs[0], 1003), "Cancel") << "labelled, though disabled";
    EXPECT_EQ(result(run), "dialog=1 cancel=0 status=[Copying 100% of %s]") << run.describe();
}

TEST_F(UiDialogs, BackgroundWindowCoversTheWorkAreaAndLoadsOnlyBitmaps) {
    RobotRun run = runDemo("background", "");
    ASSERT_TRUE(run.ok()) << run.describe();
    EXPECT_EQ(result(run),
              "class=[TAV Window Class] visible=1 onWorkArea=1 good=1 width=2 bad=0 kept=2 missing=0")
        << run.describe();
    EXPECT_EQ(run.transcript.exitCode, 0);
}

}  // namespace
