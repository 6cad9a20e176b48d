// Installations and uninstallations under wine64 that something gets in the
// way of: a folder that cannot be made, a read-only file, a full disk, a
// missing or wrong volume, a user who cancels, an uninstaller killed half
// way. Each run ends with a message the user can act on, and keeps what was
// there before.
//
// The disk's faults come from a Linux shim preloaded into the Wine processes
// of a run (fixtures/fault_shim.c): writes below one host folder fail with
// ENOSPC or crawl, or a read-only file refuses to be opened for writing, as
// it does for every user but root.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "builder/build_installer.h"
#include "builder/default_strings.h"
#include "builder/installer_model.h"
#include "payload/format.h"
#include "tests/e2e/test_support.h"
#include "tests/e2e/wine_prefix.h"

namespace {

using e2e::bytesOf;
using e2e::expectEndedByItself;
using e2e::waitFor;
using e2e::messageBoxes;
using e2e::readText;
using e2e::writeBytes;

namespace fs = std::filesystem;
namespace flag = payload::flag;
using Bytes = std::vector<uint8_t>;
using e2e::noise;
using e2e::payloadOffset;

const char kSetup[] = "C:\\tavo\\setup.exe";
const std::string kProductKey = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

std::string setting(const char* name, const char* builtIn) {
  const char* value = std::getenv(name);
  return value && *value ? value : builtIn;
}

std::string faultShim() { return setting("TAVO_E2E_FAULT_SHIM", TAVO_E2E_FAULT_SHIM); }

// A default string of the builder as a run of `product` shows it.
std::string productText(int id, const std::string& product) {
  std::string text = build::defaultString(id);
  for (size_t at; (at = text.find("<product>")) != std::string::npos;) text.replace(at, 9, product);
  return text;
}

std::string formatted(const std::string& format, const std::string& argument) {
  std::string text = format;
  size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, argument);
  return text;
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A product with a record and a log of its problems, run with a user (no
// /a) but without wizard pages: one language, no licence, no directory page.
build::Installer product(const std::string& name) {
  build::Installer installer;
  build::Settings& s = installer.settings;
  s.flagsLow = flag::KeepUninstallRecord.bit | flag::NoBackgroundWindow.bit;
  s.publisher = "Acme";
  s.productName = name;
  s.displayVersion = "1.0";
  s.defaultInstallDir = "Acme\\" + name;
  s.uninstallSubdir = "Uninstall";
  s.volumeBaseName = "WIDGET";
  s.uninstallerName = "Uninstal.exe";
  s.buildTime = {2024, 5, 17, 12, 30, 0};
  s.languages = {"English"};
  for (const std::string& text : build::defaultStringTable()) s.strings.push_back({text});
  return installer;
}

build::FileEntry fileEntry(const std::string& name, Bytes body, const std::string& destination = "") {
  build::FileEntry file;
  file.name = name;
  file.body = std::move(body);
  file.modified = {2023, 1, 2, 3, 4, 5};
  file.destination = destination;
  return file;
}

std::string installDir(const std::string& name) { return "C:\\Program Files\\Acme\\" + name; }
std::string logPath(const std::string& name) { return installDir(name) + "\\Uninstall\\Install.LOG"; }

// The box a run with problems ends with, declined, as is a restart; the one
// of a clean run acknowledged.
const char kDeclineTheLog[] =
    "on caption \"Installation Problems\"\n"
    "  click 7\n"
    "on text \"must be restarted\"\n"
    "  click 7\n"
    "on caption \"FATAL ERROR\"\n"
    "  click 1\n"
    "default\n"
    "  click 1\n";

// Sets one of the shim's faults for the Wine processes that start while it
// lives. The prefix's wineserver is stopped on both ends, so that the server
// (which opens and deletes files) starts under the shim and ends with it.
class ScopedFault {
 public:
  ScopedFault(const e2e::WinePrefix& prefix, const std::string& windowsDir, const char* fault, int ms = 0)
      : prefix_(prefix) {
    EXPECT_TRUE(fs::exists(faultShim())) << faultShim();
    prefix_.stopServer();
    // The shim compares resolved paths; the folder may not exist yet.
    std::string dir = fs::weakly_canonical(prefix_.unixPath(windowsDir)).string();
    setenv("TAVO_FAULT_DIR", dir.c_str(), 1);
    setenv("TAVO_FAULT", fault, 1);
    if (ms > 0) setenv("TAVO_FAULT_MS", std::to_string(ms).c_str(), 1);
    setenv("LD_PRELOAD", faultShim().c_str(), 1);
  }
  ~ScopedFault() {
    for (const char* name : {"LD_PRELOAD", "TAVO_FAULT", "TAVO_FAULT_DIR", "TAVO_FAULT_MS"}) unsetenv(name);
    prefix_.stopServer();
  }
  ScopedFault(const ScopedFault&) = delete;
  ScopedFault& operator=(const ScopedFault&) = delete;

 private:
  const e2e::WinePrefix& prefix_;
};

// The host processes that run the Windows program at `hostPath`: the ones
// that have that very file mapped, which no other prefix's process can have.
std::vector<pid_t> processesRunning(const std::string& hostPath) {
  std::vector<pid_t> found;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator("/proc", error)) {
    const std::string name = entry.path().filename().string();
    if (name.empty() || !std::all_of(name.begin(), name.end(), ::isdigit)) continue;
    if (contains(readText(entry.path().string() + "/maps"), hostPath)) found.push_back((pid_t)std::stol(name));
  }
  return found;
}

class Faults : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(e2e::requireRobotStubAndPrefix(prefix));
  }

  std::string host(const std::string& windowsPath) const { return prefix.unixPath(windowsPath); }

  // Makes the installer with the builder's library and puts it at
  // `windowsPath`; its volumes are handed back, not placed.
  std::vector<Bytes> place(const build::Installer& installer, const std::string& windowsPath = kSetup) {
    build::InstallerFiles files =
        build::makeInstallerFiles(installer, e2e::readBytes(e2e::stubExe(true)), payload::kBuilderVersion);
    EXPECT_TRUE(writeBytes(host(windowsPath), files.installer)) << windowsPath;
    return files.volumes;
  }

  e2e::RobotRun run(const std::string& commandLine, const std::string& script) {
    return prefix.runRobot(commandLine, script, 30000);
  }

  // The one box of a run with problems: the log is offered, and declined.
  void expectProblemsReported(const e2e::RobotRun& run, const std::string& name) {
    expectEndedByItself(run);
    std::vector<e2e::Dialog> boxes = messageBoxes(run);
    ASSERT_EQ(boxes.size(), 1u) << run.describe();
    EXPECT_EQ(boxes[0].caption, productText(41, name));
    EXPECT_EQ(boxes[0].message(), formatted(productText(40, name), logPath(name))) << run.describe();
  }

  e2e::WinePrefix prefix;
};

// --- The disk in the way ------------------------------------------------------------------

// A file where a folder must go: its entry is not installed, the rest is, and
// the log names the folder, the system's reason and the file left out.
TEST_F(Faults, FolderThatCannotBeMadeSkipsItsFileOnly) {
  const std::string dir = installDir("Widget");
  ASSERT_TRUE(writeBytes(host(dir + "\\data"), bytesOf("a file, not a folder")));
  build::Installer installer = product("Widget");
  installer.files.push_back(fileEntry("table.dat", bytesOf("table"), "%InstallDir%\\data\\"));
  installer.files.push_back(fileEntry("app.txt", bytesOf("app")));
  place(installer);

  expectProblemsReported(run(kSetup, kDeclineTheLog), "Widget");
  EXPECT_EQ(readText(host(dir + "\\data")), "a file, not a folder");
  EXPECT_EQ(readText(host(dir + "\\app.txt")), "app");
  std::string log = readText(host(logPath("Widget")));
  const std::string failure = productText(25, "Widget") + " " + dir + "\\data\r\n";
  size_t at = log.find(failure);
  ASSERT_NE(at, std::string::npos) << log;
  // The system's reason keeps the line break the system gives it.
  size_t reason = at + failure.size(), reasonEnd = log.find("\r\n", reason);
  EXPECT_GT(reasonEnd, reason) << "the system's reason: " << log;
  EXPECT_NE(log.find("\r\nNot installed: " + dir + "\\data\\table.dat\r\n", reasonEnd), std::string::npos) << log;
  EXPECT_TRUE(prefix.regKeyExists(kProductKey + "Widget")) << "the rest can still be uninstalled";
}

// An installation folder chosen in the directory dialog that cannot be made:
// the user is told why and is back at the dialog, where cancelling ends the
// run with nothing installed.
TEST_F(Faults, InstallationFolderThatCannotBeMadeGoesBackToTheDialog) {
  const std::string dir = installDir("Widget");
  ASSERT_TRUE(writeBytes(host(dir), bytesOf("a file, not a folder")));
  build::Installer installer = product("Widget");
  installer.settings.flagsLow |= flag::DirectoryDialog.bit;
  installer.files.push_back(fileEntry("app.txt", bytesOf("app")));
  place(installer);

  const std::string dialog = productText(24, "Widget");
  const std::string script = "once caption \"" + dialog + "\"\n  click 1001\n"
                             "on caption \"" + dialog + "\"\n  click 1003\n"
                             "on caption \"" + productText(21, "Widget") + "\"\n  click 1\n";
  e2e::RobotRun result = run(kSetup, script);
  expectEndedByItself(result);
  std::vector<e2e::Dialog> boxes = messageBoxes(result);
  ASSERT_EQ(boxes.size(), 1u) << result.describe();
  const std::string told = productText(25, "Widget") + "\r\n" + dir + "\r\n\r\n";
  EXPECT_EQ(boxes[0].message().substr(0, told.size()), told) << result.describe();
  EXPECT_GT(boxes[0].message().size(), told.size()) << "the system's reason follows";
  int dialogs = 0;
  for (const e2e::Dialog& d : result.transcript.dialogs) dialogs += d.caption == dialog;
  EXPECT_EQ(dialogs, 2) << result.describe();
  EXPECT_EQ(readText(host(dir)), "a file, not a folder");
  EXPECT_FALSE(prefix.regKeyExists(kProductKey + "Widget"));
}

// A read-only file in the way: written over only when the product asks for
// attributes to be cleared on failure; otherwise kept, and reported.
TEST_F(Faults, ReadOnlyFileIsOverwrittenOnlyWhenAttributesMayBeCleared) {
  struct Case {
    const char* product;
    bool clearAttributes;
  };
  for (const Case& c : {Case{"Kept", false}, Case{"Cleared", true}}) {
    SCOPED_TRACE(c.product);
    const std::string dir = installDir(c.product), config = dir + "\\config.ini";
    ASSERT_TRUE(writeBytes(host(config), bytesOf("old")));
    ASSERT_EQ(chmod(host(config).c_str(), 0444), 0) << "read-only, as Wine shows the attribute";
    build::Installer installer = product(c.product);
    if (c.clearAttributes) installer.settings.flagsLow |= flag::ClearAttributesOnFailure.bit;
    installer.files.push_back(fileEntry("config.ini", bytesOf("new")));
    installer.files.push_back(fileEntry("app.txt", bytesOf("app")));
    const std::string setup = std::string("C:\\tavo\\") + c.product + ".exe";
    place(installer, setup);

    e2e::RobotRun result;
    {
      ScopedFault fault(prefix, dir, "read-only");
      result = run(setup, kDeclineTheLog);
    }
    EXPECT_EQ(readText(host(dir + "\\app.txt")), "app");
    struct stat info = {};
    ASSERT_EQ(stat(host(config).c_str(), &info), 0);
    if (c.clearAttributes) {
      expectEndedByItself(result);
      std::vector<e2e::Dialog> boxes = messageBoxes(result);
      ASSERT_EQ(boxes.size(), 1u) << result.describe();
      EXPECT_EQ(boxes[0].caption, productText(43, c.product));
      EXPECT_EQ(boxes[0].message(), productText(42, c.product));
      EXPECT_EQ(readText(host(config)), "new");
      EXPECT_NE(info.st_mode & S_IWUSR, 0u) << "the read-only attribute was cleared";
    } else {
      expectProblemsReported(result, c.product);
      EXPECT_EQ(readText(host(config)), "old");
      EXPECT_EQ(info.st_mode & 0222, 0u) << "still read-only";
      std::string log = readText(host(logPath(c.product)));
      EXPECT_TRUE(contains(log, "\r\n" + productText(31, c.product) + " " + config + "\r\n")) << log;
    }
  }
}

// A full disk where one file goes: that file is reported with the system's
// reason, everything else is installed. With the whole installation on the
// full disk the run still says that it had problems (it cannot even keep
// its log), never that it succeeded; the uninstaller program, which may be
// replaced at the next restart, waits in a temporary file elsewhere, so the
// user is asked for the restart.
TEST_F(Faults, FullDiskIsReportedAndNeverTakenForSuccess) {
  build::Installer installer = product("Widget");
  installer.files.push_back(fileEntry("app.txt", bytesOf("app")));
  installer.files.push_back(fileEntry("big.bin", noise(20000, 1), "C:\\Full\\big.bin"));
  place(installer);
  ASSERT_TRUE(fs::create_directories(host("C:\\Full")));
  e2e::RobotRun oneFile;
  {
    ScopedFault fault(prefix, "C:\\Full", "full");
    oneFile = run(kSetup, kDeclineTheLog);
  }
  expectProblemsReported(oneFile, "Widget");
  EXPECT_EQ(readText(host(installDir("Widget") + "\\app.txt")), "app");
  std::string log = readText(host(logPath("Widget")));
  const std::string failure = "\r\n" + productText(31, "Widget") + " C:\\Full\\big.bin\r\n";
  size_t at = log.find(failure);
  ASSERT_NE(at, std::string::npos) << log;
  EXPECT_NE(log.find("\r\n", at + failure.size()), at + failure.size()) << "the system's reason follows: " << log;
  EXPECT_TRUE(prefix.regKeyExists(kProductKey + "Widget"));

  build::Installer whole = product("Gadget");
  whole.files.push_back(fileEntry("app.txt", bytesOf("app")));
  place(whole, "C:\\tavo\\gadget.exe");
  e2e::RobotRun everything;
  {
    ScopedFault fault(prefix, "C:\\Full", "full");
    everything = run("C:\\tavo\\gadget.exe /d:\"C:\\Full\\Gadget\"", kDeclineTheLog);
  }
  expectEndedByItself(everything);
  std::vector<e2e::Dialog> boxes = messageBoxes(everything);
  ASSERT_EQ(boxes.size(), 2u) << everything.describe();
  EXPECT_EQ(boxes[0].caption, productText(41, "Gadget")) << everything.describe();
  EXPECT_EQ(boxes[0].message(), formatted(productText(40, "Gadget"), "C:\\Full\\Gadget\\Uninstall\\Install.LOG"));
  EXPECT_EQ(boxes[1].message(), productText(37, "Gadget"));
}

// --- The user in the way -----------------------------------------------------------------

// Without its volume (missing, or another one in its place) the installer
// asks for it; cancelling asks once more, No goes back to the prompt, Yes
// ends the run, and nothing but the installation folder and the shared
// folder (made as soon as the settings are read) has been made.
TEST_F(Faults, VolumePromptCancelledEndsTheRunBeforeAnyFile) {
  struct Case {
    const char* product;
    bool wrongVolume;
  };
  const char script[] =
      "once text \"Do you really want to cancel\"\n"
      "  click 7\n"
      "on text \"Do you really want to cancel\"\n"
      "  click 6\n"
      "on caption \"Insert Next Disk\"\n"
      "  click 2\n"
      "on caption \"FATAL ERROR\"\n"
      "  click 1\n"
      "default\n"
      "  ignore\n";
  e2e::PrefixChanges watch(prefix, {"robot", "tavo"});
  std::vector<std::string> expected = {"+file Program Files/Acme", "+file Program Files/Common Files/Acme"};
  for (const Case& c : {Case{"Missing", false}, Case{"Wrong", true}}) {
    SCOPED_TRACE(c.product);
    build::Installer installer = product(c.product);
    installer.settings.firstVolumeId = 41;
    installer.layout.volumeSize = 4000;
    installer.files.push_back(fileEntry("one.bin", noise(3000, 21)));
    installer.files.push_back(fileEntry("two.bin", noise(3000, 22)));
    const std::string folder = std::string("C:\\tavo\\") + c.product;
    std::vector<Bytes> volumes = place(installer, folder + "\\setup.exe");
    ASSERT_EQ(volumes.size(), 1u);
    Bytes wrong = volumes[0];
    wrong[0] ^= 1;  // another volume's id
    if (c.wrongVolume) {
      ASSERT_TRUE(writeBytes(host(folder + "\\WIDGET2.TAV"), wrong));
    }

    e2e::RobotRun result = run(folder + "\\setup.exe", script);
    expectEndedByItself(result);
    const std::string prompt = "Please insert disk 2 of " + std::string(c.product) + " into drive C: and click OK.";
    const std::string again = productText(30, c.product) + "\r\n\r\n" + prompt;
    const std::string question = productText(28, c.product);
    std::vector<e2e::Dialog> boxes = messageBoxes(result);
    ASSERT_EQ(boxes.size(), 4u) << result.describe();
    EXPECT_EQ(boxes[0].caption, productText(27, c.product));
    EXPECT_EQ(boxes[0].message(), c.wrongVolume ? again : prompt) << "a missing volume is only asked for";
    EXPECT_EQ(boxes[1].message(), question);
    EXPECT_EQ(boxes[1].caption, productText(20, c.product));
    EXPECT_EQ(boxes[2].message(), again) << "No went back to the prompt";
    EXPECT_EQ(boxes[3].message(), question);
    if (c.wrongVolume) {
      EXPECT_EQ(e2e::readBytes(host(folder + "\\WIDGET2.TAV")), wrong);
    }
    expected.push_back("+file Program Files/Acme/" + std::string(c.product));
  }
  std::vector<std::string> changes = watch.changes();
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(e2e::joinedLines(changes), e2e::joinedLines(expected));
}

// Cancelled in the file phase (each write made slow, so that the user can
// get there): Yes stops between two files; the files written so far stay
// whole, no further file is written, and no record is made of an
// installation that did not finish. No goes on where the work was, to a
// whole installation. The dialog only pumps its messages between files, so
// the click comes from a program that waits for the first file rather than
// from the robot.
TEST_F(Faults, CancelInTheFilePhaseStopsBetweenFilesOrGoesOn) {
  const std::string clicker = setting("TAVO_E2E_CLICK_WHEN_EXE", TAVO_E2E_CLICK_WHEN_EXE);
  ASSERT_TRUE(fs::exists(clicker)) << clicker;
  struct Case {
    const char* product;
    bool stop;
  };
  const int kFiles = 6;
  for (const Case& c : {Case{"Stopped", true}, Case{"Continued", false}}) {
    SCOPED_TRACE(c.product);
    build::Installer installer = product(c.product);
    for (int i = 1; i <= kFiles; ++i)
      installer.files.push_back(fileEntry("f" + std::to_string(i) + ".txt", bytesOf("file " + std::to_string(i))));
    const std::string setup = std::string("C:\\tavo\\") + c.product + ".exe", dir = installDir(c.product);
    place(installer, setup);
    const std::string script = std::string("on text \"Do you really want to cancel\"\n  click ") +
                               (c.stop ? "6" : "7") + "\n" + kDeclineTheLog;
    e2e::RobotRun result;
    e2e::ProcessResult click;
    {
      ScopedFault fault(prefix, dir, "slow", 400);
      std::thread user(
          [&] { click = prefix.wine({clicker, dir + "\\f1.txt", productText(54, c.product), "1003"}, 90); });
      result = run(setup, script);
      user.join();
    }
    EXPECT_EQ(click.exitCode, 0) << click.output;
    expectEndedByItself(result);
    std::vector<e2e::Dialog> boxes = messageBoxes(result);
    ASSERT_EQ(boxes.size(), c.stop ? 1u : 2u) << result.describe();
    EXPECT_EQ(boxes[0].message(), productText(28, c.product));
    if (!c.stop) {
      EXPECT_EQ(boxes[1].message(), productText(42, c.product));
    }

    int written = 0;
    while (written < kFiles && fs::exists(host(dir + "\\f" + std::to_string(written + 1) + ".txt"))) ++written;
    EXPECT_GE(written, 1) << result.describe();
    if (c.stop) {
      EXPECT_LT(written, kFiles) << "the run went on to the end: " << result.describe();
    }
    for (int i = 1; i <= kFiles; ++i) {
      const std::string file = host(dir + "\\f" + std::to_string(i) + ".txt");
      if (i <= written) {
        EXPECT_EQ(readText(file), "file " + std::to_string(i));
      } else {
        EXPECT_FALSE(fs::exists(file)) << "written after a later file was not: " << file;
      }
    }
    EXPECT_EQ(fs::exists(host(dir + "\\Uninstall\\Uninstal.exe")), !c.stop);
    EXPECT_EQ(fs::exists(host(dir + "\\Uninstall\\Uninstall.DAT")), !c.stop);
    EXPECT_FALSE(fs::exists(host(logPath(c.product)))) << "no problems to log";
    EXPECT_EQ(prefix.regKeyExists(kProductKey + c.product), !c.stop);
  }
}

// --- The uninstaller killed -------------------------------------------------------------

// Killed while it deletes the listed files (each deletion made slow), the
// uninstaller leaves the record whole; a second uninstallation finishes the
// work: the files that are already gone count as removed.
TEST_F(Faults, UninstallKilledHalfWayIsFinishedByTheNextOne) {
  const int kFiles = 8;
  build::Installer installer = product("Gadget");
  installer.settings.flagsLow |= flag::AutomaticInstall.bit;
  for (int i = 1; i <= kFiles; ++i)
    installer.files.push_back(fileEntry("g" + std::to_string(i) + ".txt", bytesOf("file " + std::to_string(i))));
  place(installer);
  expectEndedByItself(run(kSetup, e2e::kQuietScript));
  const std::string dir = installDir("Gadget"), uninstaller = dir + "\\Uninstall\\Uninstal.exe";
  const std::string dat = dir + "\\Uninstall\\Uninstall.DAT";
  ASSERT_TRUE(fs::exists(host(uninstaller)));
  ASSERT_TRUE(prefix.regKeyExists(kProductKey + "Gadget"));
  const std::string listed = readText(host(dat));
  auto remaining = [&] {
    int count = 0;
    for (int i = 1; i <= kFiles; ++i) count += fs::exists(host(dir + "\\g" + std::to_string(i) + ".txt"));
    return count;
  };

  // Half the files gone: the uninstaller is ended, by its own process id.
  std::atomic<bool> killed{false};
  e2e::RobotRun first;
  {
    ScopedFault fault(prefix, dir, "slow", 400);
    std::thread killer([&] {
      if (!waitFor([&] { return remaining() <= kFiles / 2; }, 60)) return;
      for (pid_t pid : processesRunning(host(uninstaller))) killed = kill(pid, SIGKILL) == 0 || killed;
    });
    first = run("\"" + uninstaller + "\" /a /u:\"Gadget\"", e2e::kQuietScript);
    killer.join();
  }
  ASSERT_TRUE(killed) << first.describe();
  ASSERT_TRUE(first.ok()) << first.describe();
  int left = remaining();
  EXPECT_GT(left, 0) << "killed before the end of the list";
  EXPECT_LT(left, kFiles);
  EXPECT_EQ(readText(host(dat)), listed) << "the record is rewritten only after the list";
  EXPECT_TRUE(fs::exists(host(uninstaller)));
  EXPECT_TRUE(prefix.regKeyExists(kProductKey + "Gadget"));

  const char confirming[] =
      "on text \"Do you want to remove\"\n"
      "  click 6\n"
      "default\n"
      "  click 1\n";
  e2e::RobotRun second = run("\"" + uninstaller + "\" /u:\"Gadget\"", confirming);
  expectEndedByItself(second);
  std::vector<e2e::Dialog> boxes = messageBoxes(second);
  ASSERT_EQ(boxes.size(), 2u) << second.describe();
  EXPECT_EQ(boxes[1].caption, productText(15, "Gadget"));
  EXPECT_EQ(boxes[1].message(), productText(34, "Gadget")) << "no failure: " << second.describe();
  EXPECT_EQ(remaining(), 0);
  EXPECT_FALSE(prefix.regKeyExists(kProductKey + "Gadget"));
  EXPECT_TRUE(waitFor([&] { return !fs::exists(host(dir)); }, 60)) << "the folder went with the uninstaller";
}

}  // namespace
