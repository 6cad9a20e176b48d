// The UI robot's own tests: the sample program's dialogs, answered under
// wine64, show that what the robot records and does is what a user would see
// and do. The sample's exit code tells which answers arrived.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/wine_prefix.h"
#include "tests/robot/line_format.h"

namespace {

using e2e::Dialog;
using e2e::RobotRun;
using Texts = std::vector<std::string>;

const char kSample[] = "C:\\sample\\sample_dialogs.exe";

class Robot : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(std::filesystem::exists(e2e::robotExe())) << "build the x64 tree: " << e2e::robotExe();
    ASSERT_TRUE(prefix.ok());
    ASSERT_TRUE(prefix.copyIn(e2e::sampleExe(), kSample)) << e2e::sampleExe();
  }

  RobotRun runSample(const std::string& mode, const std::string& script, int timeoutMs = 20000) {
    return prefix.runRobot(std::string(kSample) + " " + mode, script, timeoutMs);
  }

  e2e::WinePrefix prefix;
};

TEST(RobotLineFormat, QuotedTextsComeBackUnchanged) {
  const Texts texts = {"", "plain", "two words", "line\r\nbreak\n", "tab\there", "quote \" and \\",
                       std::string("nul\0byte", 8), "\x01\x1f\x7f", "caf\xC3\xA9 \xE2\x82\xAC"};
  for (const std::string& text : texts) {
    Texts fields;
    std::string line = "word " + robotfmt::quote(text) + " 12";
    ASSERT_TRUE(robotfmt::splitFields(line, fields)) << line;
    EXPECT_EQ(fields, (Texts{"word", text, "12"})) << line;
  }
}

TEST(RobotLineFormat, RejectsMalformedQuotes) {
  for (const char* line : {"a \"open", "a \"bad \\q escape\"", "a \"\\x4\"", "a \"x\"y", "a \"ends \\"}) {
    Texts fields;
    EXPECT_FALSE(robotfmt::splitFields(line, fields)) << line;
  }
  Texts fields;
  EXPECT_TRUE(robotfmt::splitFields("   # a comment \"open", fields));
  EXPECT_TRUE(fields.empty());
}

TEST_F(Robot, RecordsEachDialogAndAnswersAsScripted) {
  RobotRun run = runSample("boxes",
                           "once text \"Go on?\"\n"
                           "  click 6\n"
                           "on caption \"Robot sample\" text \"Try again?\"\n"
                           "  click 4\n");
  ASSERT_TRUE(run.ok()) << run.describe();
  const e2e::Transcript& t = run.transcript;
  EXPECT_EQ(t.command, std::string(kSample) + " boxes");
  ASSERT_EQ(t.dialogs.size(), 2u) << run.describe();
  const Dialog& first = t.dialogs[0];
  EXPECT_EQ(first.caption, "Robot sample");
  EXPECT_EQ(first.message(), "First question:\r\nGo on?");
  EXPECT_EQ(first.buttons(), (Texts{"&Yes", "&No", "Cancel"}));
  ASSERT_NE(first.control(6), nullptr) << "IDYES";
  EXPECT_EQ(first.control(6)->text, "&Yes");
  EXPECT_EQ(first.answers, Texts{"click 6"});
  const Dialog& second = t.dialogs[1];
  EXPECT_EQ(second.message(), "Second question:\r\nTry again?");
  EXPECT_EQ(second.buttons(), (Texts{"&Retry", "Cancel"}));
  EXPECT_EQ(second.answers, Texts{"click 4"});
  EXPECT_FALSE(t.timedOut);
  EXPECT_EQ(t.exitCode, 6 * 100 + 4) << "Yes, then Retry";
}

TEST_F(Robot, UnmatchedDialogsGetTheDefaultAnswer) {
  RobotRun builtIn = runSample("boxes", "");
  ASSERT_TRUE(builtIn.ok()) << builtIn.describe();
  ASSERT_EQ(builtIn.transcript.dialogs.size(), 1u) << builtIn.describe();
  EXPECT_EQ(builtIn.transcript.dialogs[0].answers, Texts{"click 2 1"});
  EXPECT_EQ(builtIn.transcript.exitCode, 200) << "Cancel, the built-in default";

  // A "once" rule answers only the first dialog it matches; the second
  // question matches it too and falls through to the script's default.
  RobotRun scripted = runSample("boxes",
                                "once text \"question\"\n"
                                "  click 6\n"
                                "default\n"
                                "  click 3 2\n");
  ASSERT_TRUE(scripted.ok()) << scripted.describe();
  ASSERT_EQ(scripted.transcript.dialogs.size(), 2u) << scripted.describe();
  EXPECT_EQ(scripted.transcript.dialogs[1].answers, Texts{"click 3 2"});
  EXPECT_EQ(scripted.transcript.exitCode, 6 * 100 + 2) << "Yes, then Cancel (no Abort button)";
}

TEST_F(Robot, TypesPicksAndChecksLikeAUser) {
  RobotRun run = runSample("form",
                           "on caption \"Robot form\"\n"
                           "  type 100 \"robot was here\"\n"
                           "  pick 101 2\n"
                           "  check 102 1\n"
                           "  type 999 \"no such control\"\n"
                           "  click 1\n");
  ASSERT_TRUE(run.ok()) << run.describe();
  ASSERT_EQ(run.transcript.dialogs.size(), 1u) << run.describe();
  const Dialog& form = run.transcript.dialogs[0];
  ASSERT_NE(form.control(100), nullptr) << run.describe();
  EXPECT_EQ(form.control(100)->text, "initial");
  ASSERT_NE(form.control(101), nullptr) << run.describe();
  EXPECT_EQ(form.control(101)->items, (Texts{"red", "green", "blue"}));
  EXPECT_EQ(form.failures, Texts{"type 999 \"no such control\""});
  EXPECT_EQ(run.transcript.exitCode, 1000 + 100 + 10 + 2) << "text typed, box checked, blue chosen";
}

TEST_F(Robot, EndsAHungChildAfterTheTimeOut) {
  RobotRun run = runSample("hang", "on text \"Nobody\"\n  ignore\n", 5000);
  ASSERT_TRUE(run.ok()) << run.describe();
  ASSERT_EQ(run.transcript.dialogs.size(), 1u) << run.describe();
  EXPECT_EQ(run.transcript.dialogs[0].message(), "Nobody answers this box.");
  EXPECT_EQ(run.transcript.dialogs[0].answers, Texts{"ignore"});
  EXPECT_TRUE(run.transcript.timedOut);
  EXPECT_EQ(run.transcript.exitCode, 1460) << "ERROR_TIMEOUT, the robot's kill code";
}

TEST_F(Robot, ExitCodeTellsRobotFailureFromAChildThatRan) {
  RobotRun missing = prefix.runRobot("C:\\nowhere\\missing.exe", "");
  EXPECT_EQ(missing.robot.exitCode, 3) << missing.describe();
  EXPECT_NE(missing.transcript.error.find("CreateProcess failed"), std::string::npos) << missing.describe();
  EXPECT_FALSE(missing.transcript.finished);

  RobotRun badScript = runSample("boxes", "on caption\n  click 1\n");
  EXPECT_EQ(badScript.robot.exitCode, 2) << badScript.describe();
  EXPECT_NE(badScript.robot.output.find("line 1"), std::string::npos) << badScript.describe();

  RobotRun failingChild = runSample("hang", "", 20000);
  EXPECT_EQ(failingChild.robot.exitCode, 0) << failingChild.describe();
  EXPECT_EQ(failingChild.transcript.exitCode, 5) << "the child's own code, not the robot's";
}

}  // namespace
