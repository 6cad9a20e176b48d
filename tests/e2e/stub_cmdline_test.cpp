// The bare stub (no payload) under wine64: what each command line shows the
// user, and that every such run ends with exit code 1. The stub is copied
// into the prefix as setup.exe, the name the usage text must show.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/test_support.h"
#include "tests/e2e/wine_prefix.h"

namespace {

const char kSetup[] = "C:\\tavo\\setup.exe";
const char kProgramName[] = "setup.exe";

const char kExplanation[] =
    "This program performs installations and uninstallations.\r\n"
    "There is no installation archive present.\r\n"
    "No Uninstallation parameters were specified.\r\n"
    "\r\n"
    "You should not delete this program or execute it directly.";

// The usage report around message, as the stub formats it.
std::string usage(const std::string& message) {
  return message + "\n\nUsage:\n" + kProgramName +
         " [/a] [/d:\"dir\"] [/n:\"name\"] [/u:\"name\"] [/r:\"program\"]\n\n"
         "/a                  \tAutomatic mode\n"
         "/d:\"dir\"        \tOverride installation directory\n"
         "/n:\"name\"\tOverride product name\n"
         "/u:\"name\"\tUninstall product by name\r\n"
         "/r:\"program\"\tRun the specified program after a successful installation";
}

std::string repeated(const std::string& atom, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += (i ? " " : "") + atom;
  return text;
}

struct StubCase {
  const char* what;
  std::string arguments;
  std::string message;  // the text of the one box the run shows
};

class StubCommandLine : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(e2e::requireRobotStubAndPrefix(prefix));
    ASSERT_TRUE(prefix.copyIn(e2e::stubExe(true), kSetup));
  }

  e2e::WinePrefix prefix;
};

// None of these runs changes the prefix, so they share one.
TEST_F(StubCommandLine, EachRunShowsOneFatalBoxAndExitsWithOne) {
  const std::vector<StubCase> cases = {
      {"empty command line, no payload", "", kExplanation},
      {"illegal atom, shown without its slash", "/auto", usage("Illegal command line atom:\nauto")},
      {"argument without introducer", "setup.exe", usage("Unexpected command line parameter:\nsetup.exe")},
      {"/u without a name", "/u", usage("Product name required")},
      {"/uX takes no name", "/uX", usage("Product name required")},
      {"/uninstall takes no name", "/uninstall", usage("Product name required")},
      {"19th atom is still looked at", repeated("/a", 18) + " /auto", usage("Illegal command line atom:\nauto")},
      {"20th atom is ignored", repeated("/a", 19) + " /auto", kExplanation},
      {"20th atom is ignored, bare introducers count", repeated("/ -", 9) + " -a setup.exe", kExplanation},
  };
  for (const StubCase& c : cases) {
    SCOPED_TRACE(c.what);
    std::string commandLine = std::string(kSetup) + (c.arguments.empty() ? "" : " " + c.arguments);
    e2e::RobotRun run = prefix.runRobot(commandLine, "on caption \"FATAL ERROR\"\n  click 1\n");
    ASSERT_TRUE(run.ok()) << run.describe();
    const e2e::Transcript& t = run.transcript;
    ASSERT_EQ(t.dialogs.size(), 1u) << run.describe();
    EXPECT_EQ(t.dialogs[0].caption, "FATAL ERROR");
    EXPECT_EQ(t.dialogs[0].message(), c.message) << run.describe();
    EXPECT_EQ(t.dialogs[0].buttons(), std::vector<std::string>{"OK"});
    EXPECT_EQ(t.dialogs[0].answers, std::vector<std::string>{"click 1"});
    EXPECT_FALSE(t.timedOut);
    EXPECT_EQ(t.exitCode, 1);
  }
}

}  // namespace
