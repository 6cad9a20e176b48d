// Uninstallations under wine64: a builder-made product installed in
// automatic mode, then its installed uninstaller started with /u:"name".
// What it must take away (files, folders, record, key, itself) and what it
// must leave (the user's own files; everything, when the user declines).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "builder/build_installer.h"
#include "builder/default_strings.h"
#include "builder/installer_model.h"
#include "payload/format.h"
#include "tests/e2e/prefix_snapshot.h"
#include "tests/e2e/test_support.h"
#include "tests/e2e/wine_prefix.h"
#include "uninstall/self_removal.h"

namespace {

using e2e::bytesOf;
using e2e::expectEndedByItself;
using e2e::waitFor;
using e2e::kQuietScript;
using e2e::messageBoxes;
using e2e::readBytes;
using e2e::readText;
using e2e::writeBytes;

namespace fs = std::filesystem;
namespace flag = payload::flag;
using Bytes = std::vector<uint8_t>;

const char kSetup[] = "C:\\tavo\\setup.exe";
const std::string kDir = "C:\\Program Files\\Acme\\Gadget";
const std::string kUninstallDir = kDir + "\\Uninstall";
const std::string kUninstaller = kUninstallDir + "\\Uninstal.exe";
const std::string kProductKey = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Gadget";

// Fatal boxes are acknowledged; everything else is only recorded.
// Interactive runs: Yes to the confirmation, OK to every other box.
const char kConfirmingScript[] =
    "on text \"Do you want to remove\"\n"
    "  click 6\n"
    "on caption \"FATAL ERROR\"\n"
    "  click 1\n"
    "default\n"
    "  click 1\n";



std::string setting(const char* name, const char* builtIn) {
    const char* value = std::getenv(name);
    return value && *value ? value : builtIn;
}

std::string productText(int id, const std::string& product) {
    std::string text = build::defaultString(id);
    for (size_t at; (at = text.find("<product>")) != std::string::npos;) text.replace(at, 9, product);
    return text;
}

build::FileEntry fileEntry(const std::string& name, const std::string& body, const std::string& destination = "") {
    build::FileEntry file;
    file.name = name;
    file.body = bytesOf(body);
    file.modified = {2023, 1, 2, 3, 4, 5};
    file.destination = destination;
    return file;
}

// A product with a record, a file in the installation folder and one in a
// folder two levels down.
build::Installer gadget() {
    build::Installer installer;
    build::Settings& s = installer.settings;
    s.flagsLow = flag::KeepUninstallRecord.bit | flag::AlwaysWriteLog.bit | flag::NoBackgroundWindow.bit;
    s.publisher = "Acme";
    s.productName = "Gadget";
    s.displayVersion = "1.0";
    s.defaultInstallDir = "Acme\\Gadget";
    s.uninstallSubdir = "Uninstall";
    s.volumeBaseName = "GADGET";
    s.uninstallerName = "Uninstal.exe";
    s.buildTime = {2024, 5, 17, 12, 30, 0};
    s.languages = {"English"};
    for (const std::string& text : build::defaultStringTable()) s.strings.push_back({text});
    installer.files.push_back(fileEntry("readme.txt", "Read me"));
    installer.files.push_back(fileEntry("guide.txt", "Guide", "%InstallDir%\\doc\\manual\\"));
    return installer;
}

class Uninstallation : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(e2e::requireRobotStubAndPrefix(prefix));
    }

    std::string host(const std::string& windowsPath) const { return prefix.unixPath(windowsPath); }

    // Installs gadget() silently and checks that the record is in place.
    void install() { install(gadget()); }
    // `dir`, when it is not the default folder, goes to the installer with /d.
    void install(const build::Installer& installer, const std::string& dir = kDir) {
        Bytes stub;
        {
            std::ifstream in(e2e::stubExe(true), std::ios::binary);
            stub.assign(std::istreambuf_iterator<char>(in), {});
        }
        build::InstallerFiles files = build::makeInstallerFiles(installer, stub, payload::kBuilderVersion);
        ASSERT_TRUE(writeBytes(host(kSetup), files.installer));
        const std::string directoryArgument = dir == kDir ? "" : " /d:\"" + dir + "\"";
        e2e::RobotRun run = prefix.runRobot(kSetup + std::string(" /a") + directoryArgument, kQuietScript, 20000);
        expectEndedByItself(run);
        ASSERT_EQ(messageBoxes(run).size(), 0u) << run.describe();
        ASSERT_TRUE(fs::exists(host(uninstallerIn(dir))));
        ASSERT_TRUE(fs::exists(host(dir + "\\Uninstall\\Uninstall.DAT")));
        ASSERT_TRUE(prefix.regKeyExists(kProductKey));
    }

    static std::string uninstallerIn(const std::string& dir) { return dir + "\\Uninstall\\Uninstal.exe"; }

    e2e::RobotRun uninstall(const std::string& arguments, const std::string& script = kQuietScript,
                            const std::string& uninstaller = kUninstaller) {
        return prefix.runRobot("\"" + uninstaller + "\" " + arguments, script, 20000);
    }

    e2e::WinePrefix prefix;
};

TEST_F(Uninstallation, AutomaticRunRemovesTheProductKeepsUserFilesAndRemovesItself) {
    install();
    ASSERT_TRUE(writeBytes(host(kDir + "\\user.txt"), bytesOf("mine")));

    e2e::RobotRun run = uninstall("/a /u:\"Gadget\"");
    expectEndedByItself(run);
    EXPECT_EQ(messageBoxes(run).size(), 0u) << run.describe();

    EXPECT_FALSE(fs::exists(host(kDir + "\\readme.txt")));
    EXPECT_FALSE(fs::exists(host(kDir + "\\doc\\manual\\guide.txt")));
    EXPECT_FALSE(fs::exists(host(kDir + "\\doc"))) << "the created folders and the parents they leave empty";
    EXPECT_FALSE(fs::exists(host(kUninstallDir + "\\Uninstall.DAT")));
    EXPECT_FALSE(fs::exists(host(kUninstallDir + "\\Install.LOG")));
    EXPECT_FALSE(prefix.regKeyExists(kProductKey));
    EXPECT_TRUE(fs::exists(host(kDir + "\\user.txt"))) << "the user's own file stays";

    // The self-removal batch runs on after the uninstaller has ended.
    EXPECT_TRUE(waitFor([&] { return !fs::exists(host(kUninstaller)); }, 30)) << "the uninstaller removed itself";
    EXPECT_TRUE(waitFor([&] { return !fs::exists(host(kUninstallDir)); }, 10)) << "its emptied folder with it";
    EXPECT_TRUE(waitFor([&] { return !fs::exists(host("C:\\delunins.bat")); }, 10)) << "the batch deleted itself";
    EXPECT_TRUE(fs::exists(host(kDir))) << "the installation folder still holds the user's file";
}

TEST_F(Uninstallation, DecliningTheConfirmationChangesNothing) {
    install();
    const std::string script = "on caption \"" + productText(55, "Gadget") +
                               "\"\n"
                               "  click 7\n"
                               "default\n"
                               "  ignore\n";
    e2e::RobotRun run = uninstall("/u:\"Gadget\"", script);
    expectEndedByItself(run);
    std::vector<e2e::Dialog> boxes = messageBoxes(run);
    ASSERT_EQ(boxes.size(), 1u) << run.describe();
    EXPECT_EQ(boxes[0].caption, productText(55, "Gadget"));

    EXPECT_TRUE(fs::exists(host(kDir + "\\readme.txt")));
    EXPECT_TRUE(fs::exists(host(kDir + "\\doc\\manual\\guide.txt")));
    EXPECT_TRUE(fs::exists(host(kUninstallDir + "\\Uninstall.DAT")));
    EXPECT_TRUE(fs::exists(host(kUninstaller)));
    EXPECT_TRUE(prefix.regKeyExists(kProductKey));
    EXPECT_FALSE(fs::exists(host("C:\\delunins.bat")));
}

TEST_F(Uninstallation, UnknownProductIsNamedAndSilentInAutomaticMode) {
    const std::string stub = "C:\\tavo\\stub.exe";
    ASSERT_TRUE(prefix.copyIn(e2e::stubExe(true), stub));
    const char script[] =
        "on caption \"Error\"\n"
        "  click 1\n"
        "default\n"
        "  ignore\n";
    e2e::RobotRun run = prefix.runRobot(stub + " /u:\"unknown\"", script, 20000);
    expectEndedByItself(run);
    std::vector<e2e::Dialog> boxes = messageBoxes(run);
    ASSERT_EQ(boxes.size(), 1u) << run.describe();
    EXPECT_EQ(boxes[0].caption, "Error");
    EXPECT_EQ(boxes[0].message(), "No product named 'unknown' is installed.");

    e2e::RobotRun quiet = prefix.runRobot(stub + " /a /u:\"unknown\"", script, 20000);
    expectEndedByItself(quiet);
    EXPECT_EQ(messageBoxes(quiet).size(), 0u) << quiet.describe();
}

// A file held open by another program cannot be deleted: the record stays
// and lists only that file, and a second run finishes the work without
// running uninstall batch 1 again.
TEST_F(Uninstallation, LockedFileKeepsTheRecordForASecondRun) {
    const std::string holdFile = setting("TAVO_E2E_HOLD_FILE_EXE", TAVO_E2E_HOLD_FILE_EXE);
    ASSERT_TRUE(fs::exists(holdFile)) << holdFile;
    build::Installer installer = gadget();
    installer.settings.uninstallBatch1 = "echo one>C:\\batch1.txt";
    installer.settings.uninstallBatch2 = "echo %InstallDir%>C:\\batch2.txt";
    install(installer);
    const std::string held = kDir + "\\readme.txt", ready = "C:\\hold-ready", release = "C:\\hold-release";

    e2e::ProcessResult holder;
    std::thread holding([&] { holder = prefix.wine({holdFile, held, ready, release}, 120); });
    bool isHeld = waitFor([&] { return fs::exists(host(ready)); }, 60);
    e2e::RobotRun first;
    if (isHeld) first = uninstall("/u:\"Gadget\"", kConfirmingScript);
    writeBytes(host(release), {});
    holding.join();
    ASSERT_TRUE(isHeld) << holder.output;
    expectEndedByItself(first);
    std::vector<e2e::Dialog> boxes = messageBoxes(first);
    ASSERT_EQ(boxes.size(), 2u) << first.describe();
    EXPECT_EQ(boxes[0].message(), productText(53, "Gadget"));
    EXPECT_EQ(boxes[1].caption, productText(20, "Gadget"));
    EXPECT_NE(boxes[1].message().find(productText(58, "Gadget") + " " + held), std::string::npos)
        << boxes[1].message();

    EXPECT_TRUE(fs::exists(host(held)));
    EXPECT_FALSE(fs::exists(host(kDir + "\\doc\\manual\\guide.txt")));
    EXPECT_TRUE(prefix.regKeyExists(kProductKey)) << "the record stays";
    EXPECT_FALSE(prefix.regQuery(kProductKey, "UninstallBatch1")) << "batch 1 runs once";
    EXPECT_TRUE(prefix.regQuery(kProductKey, "UninstallBatch2"));
    EXPECT_EQ(readText(host("C:\\batch1.txt")), "one\r\n");
    EXPECT_FALSE(fs::exists(host("C:\\batch2.txt"))) << "batch 2 waits for a complete run";
    std::string data = readText(host(kUninstallDir + "\\Uninstall.DAT"));
    EXPECT_EQ(data.substr(0, data.find("[Strings]")), held + "\r\n\r\n\r\n") << data;
    EXPECT_NE(data.find("~58\r\n" + productText(58, "Gadget") + "\r\n"), std::string::npos) << data;
    EXPECT_TRUE(fs::exists(host(kUninstaller))) << "no self-removal after failures";
    EXPECT_FALSE(fs::exists(host("C:\\delunins.bat")));

    fs::remove(host("C:\\batch1.txt"));
    e2e::RobotRun second = uninstall("/u:\"Gadget\"", kConfirmingScript);
    expectEndedByItself(second);
    boxes = messageBoxes(second);
    ASSERT_EQ(boxes.size(), 2u) << second.describe();
    EXPECT_EQ(boxes[1].caption, productText(15, "Gadget"));
    EXPECT_EQ(boxes[1].message(), productText(34, "Gadget"));
    EXPECT_FALSE(fs::exists(host(held)));
    EXPECT_FALSE(prefix.regKeyExists(kProductKey));
    EXPECT_FALSE(fs::exists(host("C:\\batch1.txt")));
    EXPECT_EQ(readText(host("C:\\batch2.txt")), "C:\\\r\n") << "batch 2 runs in the drive root";
    EXPECT_TRUE(waitFor([&] { return !fs::exists(host(kDir)); }, 30)) << "an emptied installation folder goes";
}

// Shared files are counted down and only deleted when the count runs out;
// the product's keys go with the parents they leave empty.
TEST_F(Uninstallation, SharedCountsAndProductKeys) {
    build::Installer installer = gadget();
    installer.settings.sharedPath = "C:\\Shared";
    installer.settings.productRegistry = "Acme Test\\Gadget";
    for (const char* name : {"own.dll", "common.dll"}) {
        installer.files.push_back(fileEntry(name, name));
        installer.files.back().kind = 1;
    }
    const std::string counts = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
    const std::string own = "C:\\Shared\\own.dll", common = "C:\\Shared\\common.dll";
    ASSERT_EQ(prefix.wine({"reg", "add", counts, "/v", common, "/t", "REG_DWORD", "/d", "2", "/f"}).exitCode, 0);
    install(installer);
    ASSERT_EQ(prefix.regQuery(counts, common).value_or(e2e::RegValue{}).data, "0x3");
    ASSERT_EQ(prefix.regQuery(counts, own).value_or(e2e::RegValue{}).data, "0x1");
    ASSERT_TRUE(prefix.regKeyExists("HKLM\\Software\\Acme Test\\Gadget"));

    e2e::RobotRun run = uninstall("/a /u:\"Gadget\"");
    expectEndedByItself(run);
    EXPECT_EQ(messageBoxes(run).size(), 0u) << run.describe();

    EXPECT_FALSE(fs::exists(host(own)));
    EXPECT_FALSE(prefix.regQuery(counts, own));
    EXPECT_TRUE(fs::exists(host(common))) << "still counted by another product";
    EXPECT_EQ(prefix.regQuery(counts, common).value_or(e2e::RegValue{}).data, "0x2");
    EXPECT_FALSE(prefix.regKeyExists("HKLM\\Software\\Acme Test\\Gadget"));
    EXPECT_FALSE(prefix.regKeyExists("HKLM\\Software\\Acme Test")) << "the emptied parent goes too";
    EXPECT_FALSE(prefix.regKeyExists("HKCU\\Software\\Acme Test"));
    EXPECT_FALSE(prefix.regKeyExists(kProductKey));
}

// The installation's associations give back the default values they replaced
// (keeping those keys) or go; its fonts and its start-menu folder go too.
TEST_F(Uninstallation, AssociationsFontsAndStartMenu) {
    build::Installer installer = gadget();
    build::Settings& s = installer.settings;
    s.productStartMenu = "Acme Test\\Gadget";
    s.fileAssociations.push_back({0, ".gdo", "GadgetDoc", "Gadget document", "open", "&Open", "notepad.exe \"%1\"", "", ""});
    s.fileAssociations.push_back({0, ".gdx", "GadgetX", "Gadget extra", "open", "&Open", "notepad.exe \"%1\"", "", ""});
    installer.files.push_back(fileEntry("gadget.ttf", "not really a font"));
    installer.files.back().kind = 4;
    installer.files.back().firstText = "Gadget Sans";
    installer.files.push_back(fileEntry("start.txt", "Start here"));
    installer.files.back().flags = payload::kEntryStartMenuShortcut;
    installer.files.back().firstText = "Gadget Start";
    ASSERT_EQ(prefix.wine({"reg", "add", "HKCR\\.gdo", "/ve", "/d", "OldType", "/f"}).exitCode, 0);
    install(installer);

    const std::string fonts = "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
    const std::string fontFile = "C:\\windows\\Fonts\\gadget.ttf";
    ASSERT_EQ(prefix.regQuery("HKCR\\.gdo", "").value_or(e2e::RegValue{}).data, "GadgetDoc");
    ASSERT_EQ(prefix.regQuery("HKCR\\.gdo", "Gadget Backup").value_or(e2e::RegValue{}).data, "OldType");
    ASSERT_TRUE(prefix.regKeyExists("HKCR\\GadgetX\\shell\\open\\command"));
    ASSERT_TRUE(fs::exists(host(fontFile)));
    ASSERT_TRUE(prefix.regQuery(fonts, "Gadget Sans"));
    std::string menu;
    for (const auto& entry : fs::recursive_directory_iterator(host("C:\\users"), fs::directory_options::skip_permission_denied)) {
        if (entry.is_directory() && entry.path().filename() == "Acme Test") menu = entry.path().string();
    }
    ASSERT_FALSE(menu.empty()) << "the start-menu folder was made";
    ASSERT_TRUE(fs::exists(menu + "/Gadget"));

    e2e::RobotRun run = uninstall("/a /u:\"Gadget\"");
    expectEndedByItself(run);
    EXPECT_EQ(messageBoxes(run).size(), 0u) << run.describe();

    EXPECT_EQ(prefix.regQuery("HKCR\\.gdo", "").value_or(e2e::RegValue{}).data, "OldType");
    EXPECT_FALSE(prefix.regQuery("HKCR\\.gdo", "Gadget Backup"));
    EXPECT_FALSE(prefix.regKeyExists("HKCR\\GadgetDoc"));
    EXPECT_FALSE(prefix.regKeyExists("HKCR\\.gdx")) << "an extension without a backup goes with its type";
    EXPECT_FALSE(prefix.regKeyExists("HKCR\\GadgetX"));
    EXPECT_FALSE(fs::exists(host(fontFile)));
    EXPECT_FALSE(prefix.regQuery(fonts, "Gadget Sans"));
    EXPECT_FALSE(fs::exists(menu)) << "the product's folder and its emptied parent";
    EXPECT_TRUE(fs::exists(fs::path(menu).parent_path())) << "the programs folder stays";
    EXPECT_FALSE(prefix.regKeyExists(kProductKey));
}

// Asked to, the uninstaller takes the whole installation folder, the user's
// files included; the batch then removes the folder itself.
TEST_F(Uninstallation, WholeFolderGoesWhenAsked) {
    build::Installer installer = gadget();
    installer.settings.flagsLow |= flag::RemoveWholeFolder.bit;
    install(installer);
    ASSERT_TRUE(writeBytes(host(kDir + "\\user\\mine.txt"), bytesOf("mine")));

    e2e::RobotRun run = uninstall("/a /u:\"Gadget\"");
    expectEndedByItself(run);
    EXPECT_EQ(messageBoxes(run).size(), 0u) << run.describe();
    EXPECT_FALSE(fs::exists(host(kDir + "\\user")));
    EXPECT_FALSE(prefix.regKeyExists(kProductKey));
    EXPECT_TRUE(waitFor([&] { return !fs::exists(host(kDir)); }, 30)) << "nothing is left of the folder";
    EXPECT_TRUE(fs::exists(host("C:\\Program Files\\Acme"))) << "its parent was not the installation's";
}

// The names in a folder, without the test's own ones.
std::set<std::string> namesIn(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    names.erase("robot");
    return names;
}

// The whole-folder option never takes the program-files folder, the Windows
// directory or a drive root. Installed right there, the product loses only
// its record: with that option its files and folders are never listed for
// removal one by one, so everything in the folder stays, its files included.
TEST_F(Uninstallation, WholeFolderOptionRemovesNothingOfProgramFilesWindowsOrADriveRoot) {
    build::Installer installer = gadget();
    installer.settings.flagsLow |= flag::RemoveWholeFolder.bit;
    ASSERT_TRUE(writeBytes(host(kSetup), {}));  // its folder is there before the first listing
    for (const std::string dir : {"C:\\Program Files", "C:\\windows", "C:\\"}) {
        SCOPED_TRACE(dir);
        const std::string folder = dir.back() == '\\' ? dir.substr(0, dir.size() - 1) : dir;
        ASSERT_TRUE(writeBytes(host(folder + "\\tavo-keep.txt"), bytesOf("not the product's")));
        const std::set<std::string> before = namesIn(host(folder));
        install(installer, dir);
        ASSERT_TRUE(fs::exists(host(folder + "\\doc\\manual\\guide.txt")));

        e2e::RobotRun run = uninstall("/a /u:\"Gadget\"", kQuietScript, uninstallerIn(folder));
        expectEndedByItself(run);
        EXPECT_EQ(messageBoxes(run).size(), 0u) << run.describe();
        EXPECT_FALSE(prefix.regKeyExists(kProductKey));
        ASSERT_TRUE(waitFor([&] { return !fs::exists(host("C:\\delunins.bat")); }, 60)) << "the batch came to its end";
        std::set<std::string> installedThere = before;
        installedThere.insert({"doc", "readme.txt"});
        EXPECT_EQ(namesIn(host(folder)), installedThere) << "the uninstall folder went, nothing else";
        EXPECT_EQ(readText(host(folder + "\\doc\\manual\\guide.txt")), "Guide");
        EXPECT_EQ(readText(host(folder + "\\tavo-keep.txt")), "not the product's");
    }
}

// An uninstaller that can never be deleted (read-only: "del" refuses it)
// must not keep the interpreter looping: the batch gives up, leaves the
// folders that still hold the program, and deletes itself.
TEST_F(Uninstallation, SelfRemovalGivesUpOnAnUndeletableUninstaller) {
    install();
    ASSERT_EQ(prefix.wine({"cmd", "/c", "attrib", "+r", kUninstaller}).exitCode, 0);

    e2e::RobotRun run = uninstall("/a /u:\"Gadget\"");
    expectEndedByItself(run);
    EXPECT_FALSE(prefix.regKeyExists(kProductKey));
    const std::string batch = host("C:\\delunins.bat");
    ASSERT_TRUE(waitFor([&] { return fs::exists(batch); }, 10)) << "the batch was written";
    // Its full bound takes minutes under Wine; the same text with a bound of
    // 100 attempts shows in a real interpreter that the loop runs out.
    const std::string written = readText(batch);
    const size_t open = written.find("del \""), close = written.find('"', open + 5);
    ASSERT_NE(close, std::string::npos) << written;
    const String program(written.substr(open + 5, close - open - 5).c_str());
    EXPECT_EQ(written, selfRemovalBatchText(program, String(kDir.c_str()), String("Uninstall")).text());
    prefix.stopServer();
    const String bounded = selfRemovalBatchText(program, String(kDir.c_str()), String("Uninstall"), 2);
    ASSERT_TRUE(writeBytes(batch, bytesOf(bounded.text())));
    e2e::ProcessResult result = prefix.wine({"cmd", "/c", "C:\\delunins.bat"}, 120);
    EXPECT_FALSE(result.timedOut) << "the loop ran out and the batch ended";
    EXPECT_FALSE(fs::exists(batch)) << "and deleted itself";
    EXPECT_TRUE(fs::exists(host(kUninstaller)));
    EXPECT_TRUE(fs::exists(host(kUninstallDir)));
}

// A record without an installation folder cannot be worked from: the user is
// told (silently so in automatic mode) and nothing is touched.
TEST_F(Uninstallation, BlankInstallLocationIsACorruptRecord) {
    install();
    ASSERT_EQ(prefix.wine({"reg", "add", kProductKey, "/v", "InstallLocation", "/d", "", "/f"}).exitCode, 0);
    const char script[] =
        "on caption \"Error\"\n"
        "  click 1\n"
        "default\n"
        "  ignore\n";
    e2e::RobotRun run = uninstall("/u:\"Gadget\"", script);
    expectEndedByItself(run);
    std::vector<e2e::Dialog> boxes = messageBoxes(run);
    ASSERT_EQ(boxes.size(), 1u) << run.describe();
    EXPECT_EQ(boxes[0].caption, "Error");
    EXPECT_EQ(boxes[0].message(),
              "The uninstall information for Gadget is corrupt.\r\n\r\nThe uninstallation cannot be performed.");

    e2e::RobotRun quiet = uninstall("/a /u:\"Gadget\"", script);
    expectEndedByItself(quiet);
    EXPECT_EQ(messageBoxes(quiet).size(), 0u) << quiet.describe();

    EXPECT_TRUE(fs::exists(host(kDir + "\\readme.txt")));
    EXPECT_TRUE(fs::exists(host(kUninstallDir + "\\Uninstall.DAT")));
    EXPECT_TRUE(fs::exists(host(kUninstaller)));
    EXPECT_TRUE(prefix.regKeyExists(kProductKey));
    EXPECT_FALSE(fs::exists(host("C:\\delunins.bat"))) << "no self-removal after a failed run";
}

// A COM server whose count runs out is unregistered (its DllUnregisterServer
// deletes the value its DllRegisterServer wrote) and deleted; a file marked
// never to be deleted only loses its count.
TEST_F(Uninstallation, ExhaustedComServerIsUnregisteredAndNeverDeletedFileStays) {
    const std::string comFixture = setting("TAVO_E2E_COM_UNREG_DLL", TAVO_E2E_COM_UNREG_DLL);
    build::Installer installer = gadget();
    installer.files.push_back(fileEntry("tavo_unreg.dll", ""));
    installer.files.back().kind = 7;
    installer.files.back().body = readBytes(comFixture);
    ASSERT_FALSE(installer.files.back().body.empty()) << comFixture;
    installer.files.push_back(fileEntry("tavo_keep.dll", "kept"));
    installer.files.back().kind = 6;
    const std::string counts = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
    const std::string trace = "HKCU\\Software\\TavoComUnreg";
    const std::string com = "C:\\windows\\system32\\tavo_unreg.dll", keep = "C:\\windows\\system32\\tavo_keep.dll";
    install(installer);
    ASSERT_TRUE(prefix.regQuery(trace, "Registered")) << "DllRegisterServer was not called";
    ASSERT_EQ(prefix.regQuery(counts, com).value_or(e2e::RegValue{}).data, "0x1");
    ASSERT_EQ(prefix.regQuery(counts, keep).value_or(e2e::RegValue{}).data, "0x1");
    ASSERT_TRUE(fs::exists(host(com)));
    ASSERT_TRUE(fs::exists(host(keep)));

    e2e::RobotRun run = uninstall("/a /u:\"Gadget\"");
    expectEndedByItself(run);
    EXPECT_EQ(messageBoxes(run).size(), 0u) << run.describe();

    EXPECT_FALSE(prefix.regQuery(trace, "Registered")) << "DllUnregisterServer was not called";
    EXPECT_FALSE(fs::exists(host(com)));
    EXPECT_FALSE(prefix.regQuery(counts, com));
    EXPECT_TRUE(fs::exists(host(keep))) << "marked never to be deleted";
    EXPECT_FALSE(prefix.regQuery(counts, keep)) << "but its count ran out";
    EXPECT_FALSE(prefix.regKeyExists(kProductKey));
}

// --- Round trip: install, uninstall, and compare the whole prefix ----------------------------

// A product that uses every kind of trace the uninstaller must take away.
build::Installer everything(const std::string& comServer, const std::string& typeLibrary) {
    build::Installer installer = gadget();
    build::Settings& s = installer.settings;
    s.flagsLow |= flag::AddToPath.bit;
    s.sharedPath = "C:\\Shared";
    s.productRegistry = "Acme Test\\Gadget";
    s.productStartMenu = "Acme Test\\Gadget";
    s.installBatchAfter = "echo installed>nul";
    s.uninstallBatch1 = "echo one>nul";
    s.uninstallBatch2 = "echo two>nul";
    s.fileAssociations.push_back({0, ".gdo", "GadgetDoc", "Gadget document", "open", "&Open", "notepad.exe \"%1\"", "", ""});
    std::vector<build::FileEntry>& f = installer.files;
    f.push_back(fileEntry("deep.txt", "Deep", "%InstallDir%\\data\\a\\b\\"));
    f.push_back(fileEntry("start.txt", "Start here"));
    f.back().flags = payload::kEntryStartMenuShortcut | payload::kEntryDesktopShortcut;
    f.back().firstText = "Gadget Start";
    f.push_back(fileEntry("own.dll", "own"));
    f.back().kind = 1;
    f.push_back(fileEntry("tavo_unreg.dll", ""));
    f.back().kind = 7;
    f.back().body = readBytes(comServer);
    f.push_back(fileEntry("tavo_fixture.tlb", ""));
    f.back().kind = 8;
    f.back().body = readBytes(typeLibrary);
    f.push_back(fileEntry("gadget.ttf", "not really a font"));
    f.back().kind = 4;
    f.back().firstText = "Gadget Sans";
    return installer;
}

TEST_F(Uninstallation, RoundTripLeavesThePrefixAsItWas) {
    const std::string comServer = setting("TAVO_E2E_COM_UNREG_DLL", TAVO_E2E_COM_UNREG_DLL);
    const std::string typeLibrary = setting("TAVO_E2E_TYPELIB_TLB", TAVO_E2E_TYPELIB_TLB);
    build::Installer installer = everything(comServer, typeLibrary);
    for (const build::FileEntry& file : installer.files) ASSERT_FALSE(file.body.empty()) << file.name;
    // An existing type for the association to take over and give back.
    ASSERT_EQ(prefix.wine({"reg", "add", "HKCR\\.gdo", "/ve", "/d", "OldType", "/f"}).exitCode, 0);
    // Everything from here on counts, except what Wine rewrites by itself.
    e2e::PrefixChanges changes(prefix);

    install(installer);
    // The comparison sees the installation's traces in files and registry.
    const std::string installed = e2e::joinedLines(changes.changes());
    const std::string classes = "system.reg:Software\\\\Classes\\\\";
    const std::vector<std::string> traces = {
        "+file Program Files/Acme/Gadget/data/a/b/deep.txt\n",
        "+file Shared/own.dll\n",
        "+key user.reg:Software\\\\TavoComUnreg\n",
        "~value " + classes + ".gdo | @\n",
        "+file windows/Fonts/gadget.ttf\n",
        "+value system.reg:Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion\\\\Fonts | \"Gadget Sans\"\n",
        "+file windows/system32/tavo_fixture.tlb\n",
        "+key " + classes + "Typelib\\\\{6F1C2A3E-5B7D-4E21-9A0C-3D8E7F4B2A11}\\\\1.2\n",
        "+key " + classes + "Interface\\\\{6F1C2A3E-5B7D-4E21-9A0C-3D8E7F4B2A12}\n",
        "+file autoexec.bat\n",
    };
    for (const std::string& trace : traces) {
        EXPECT_NE(installed.find(trace), std::string::npos) << trace << " in\n" << installed;
    }
    EXPECT_NE(readText(host("C:\\autoexec.bat")).find("\r\nPATH=%PATH%;"), std::string::npos);
    ASSERT_TRUE(writeBytes(host(kDir + "\\notes\\user.txt"), bytesOf("mine")));
    e2e::RobotRun run = uninstall("/a /u:\"Gadget\"");
    expectEndedByItself(run);
    EXPECT_EQ(messageBoxes(run).size(), 0u) << run.describe();
    ASSERT_TRUE(waitFor([&] { return !fs::exists(host(kUninstaller)); }, 60)) << "the uninstaller removed itself";
    ASSERT_TRUE(waitFor([&] { return !fs::exists(host("C:\\delunins.bat")); }, 60)) << "the batch came to its end";
    const std::vector<std::string> expected = {
        // The user's file and the folders that hold it.
        "+file Program Files/Acme",
        "+file Program Files/Acme/Gadget",
        "+file Program Files/Acme/Gadget/notes",
        "+file Program Files/Acme/Gadget/notes/user.txt",
        // Adding the PATH line to a missing autoexec.bat writes an empty first
        // line above it; removal takes only the PATH line.
        "+file autoexec.bat",
        // The installer the test put there.
        "+file tavo",
        "+file tavo/setup.exe",
        // The shared counts key is made when missing and never removed.
        "+key system.reg:Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\SharedDLLs",
        // The fixture's DllUnregisterServer deletes its value, not its key.
        "+key user.reg:Software\\\\TavoComUnreg",
    };
    EXPECT_EQ(e2e::joinedLines(changes.changes()), e2e::joinedLines(expected));
    EXPECT_EQ(readText(host("C:\\autoexec.bat")), "\r\n");
}

}  // namespace
