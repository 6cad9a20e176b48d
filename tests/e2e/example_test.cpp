// The example product of the README (examples/jotter), made from its staged
// manifest exactly as scripts/run-example.sh makes it, installed and
// uninstalled in automatic mode under wine64: what a user gets (files, font,
// shortcuts, a note that opens in Jotter, the entry in the list of installed
// programs) and that the uninstaller takes all of it away again. Its second
// language must stay a whole translation.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "builder/build_installer.h"
#include "builder/manifest.h"
#include "payload/format.h"
#include "tests/e2e/prefix_snapshot.h"
#include "tests/e2e/test_support.h"
#include "tests/e2e/wine_prefix.h"

namespace {

namespace fs = std::filesystem;
using e2e::expectEndedByItself;
using e2e::waitFor;
using e2e::kQuietScript;
using e2e::messageBoxes;
using e2e::readBytes;
using e2e::readText;
using Bytes = std::vector<uint8_t>;

const char kSetup[] = "C:\\Downloads\\jotter-setup.exe";
const std::string kDir = "C:\\Program Files\\Jotter";
const std::string kUninstaller = kDir + "\\Uninstall\\Uninstall Jotter.exe";
const std::string kFont = "C:\\windows\\Fonts\\JotterMono.ttf";
const std::string kFontName = "Jotter Mono (TrueType)";
const std::string kFontList = "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const std::string kProductKey = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Jotter";

std::string setting(const char* name, const char* builtIn) {
    const char* value = std::getenv(name);
    return value && *value ? value : builtIn;
}

fs::path manifestPath() { return setting("TAVO_E2E_EXAMPLE_MANIFEST", TAVO_E2E_EXAMPLE_MANIFEST); }
fs::path productFile(const std::string& name) { return manifestPath().parent_path() / name; }

// The shortcuts below the prefix's user folders, as paths below drive_c/users/<user>/.
std::set<std::string> shortcuts(const std::string& prefixDir) {
    std::set<std::string> found;
    fs::path users = fs::path(prefixDir) / "drive_c" / "users";
    std::error_code ignored;
    for (auto it = fs::recursive_directory_iterator(users, ignored); it != fs::recursive_directory_iterator();
         it.increment(ignored)) {
        std::string ext = it->path().extension().string();
        for (char& ch : ext) ch = (char)std::tolower((unsigned char)ch);
        if (ext != ".lnk") continue;
        fs::path relative = fs::relative(it->path(), users);
        found.insert(relative.lexically_relative(*relative.begin()).generic_string());
    }
    return found;
}

// Wine links the user's desktop and documents to the host's home folder; the
// shortcuts of a test belong in its prefix.
void keepUserFoldersInPrefix(const std::string& prefixDir) {
    std::vector<fs::path> links;
    for (const auto& user : fs::directory_iterator(fs::path(prefixDir) / "drive_c" / "users"))
        for (const auto& folder : fs::directory_iterator(user.path()))
            if (folder.is_symlink()) links.push_back(folder.path());
    for (const fs::path& link : links) {
        fs::remove(link);
        fs::create_directory(link);
    }
}

const char kNotBuilt[] = "build the x64 tree (it builds and stages the example): ";

class Example : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fs::exists(manifestPath())) << kNotBuilt << manifestPath();
        ASSERT_NO_FATAL_FAILURE(e2e::requireRobotStubAndPrefix(prefix));
        keepUserFoldersInPrefix(prefix.dir());
        // Without Wine's desktop integration, which copies every shortcut into
        // the host's menus and desktop.
        ASSERT_EQ(prefix.wine({"reg", "add", "HKCU\\Software\\Wine\\DllOverrides", "/v", "winemenubuilder.exe",
                               "/d", "", "/f"}).exitCode, 0);
    }

    std::string host(const std::string& windowsPath) const { return prefix.unixPath(windowsPath); }
    std::string regData(const std::string& key, const std::string& name = "") const {
        return prefix.regQuery(key, name).value_or(e2e::RegValue{"", "<missing>"}).data;
    }

    e2e::WinePrefix prefix;
};

TEST(ExampleManifest, SecondLanguageTranslatesEveryText) {
    ASSERT_TRUE(fs::exists(manifestPath())) << kNotBuilt << manifestPath();
    build::Manifest manifest = build::readManifest(manifestPath(), manifestPath().filename().string());
    const build::Settings& s = manifest.installer.settings;
    ASSERT_EQ(s.languages, (std::vector<std::string>{"English", "Deutsch"}));
    // The same words in both languages.
    const std::set<size_t> same = {20, 48};
    for (size_t id = 0; id < s.strings.size(); ++id) {
        const std::string& english = s.strings[id][0];
        const std::string& german = s.strings[id][1];
        if (english.empty()) {
            EXPECT_TRUE(german.empty()) << "id " << id;
        } else if (same.count(id)) {
            EXPECT_EQ(german, english) << "id " << id;
        } else {
            EXPECT_NE(german, english) << "id " << id << " is not translated: " << english;
        }
    }
    for (size_t id : {63, 64}) EXPECT_FALSE(s.strings[id][1].empty()) << "licence and readme, id " << id;
}

TEST_F(Example, InstallsAndUninstallsLeavingNothingBehind) {
    build::Manifest manifest = build::readManifest(manifestPath(), manifestPath().filename().string());
    manifest.installer.settings.buildTime =
        build::chooseBuildTime(std::getenv("SOURCE_DATE_EPOCH"), manifest.buildTime, (int64_t)std::time(nullptr));
    build::InstallerFiles files =
        build::makeInstallerFiles(manifest.installer, readBytes(e2e::stubExe(true)), payload::kBuilderVersion);
    ASSERT_TRUE(e2e::writeBytes(host(kSetup), files.installer));
    ASSERT_TRUE(files.volumes.empty());

    // Everything from here on counts, except what Wine rewrites by itself.
    e2e::PrefixChanges changes(prefix);
    const std::set<std::string> linksBefore = shortcuts(prefix.dir());

    e2e::RobotRun install = prefix.runRobot(std::string(kSetup) + " /a", kQuietScript, 60000);
    expectEndedByItself(install);
    ASSERT_EQ(messageBoxes(install).size(), 0u) << install.describe();

    // The program, its documents and the font, byte for byte.
    for (const auto& [source, installed] : std::vector<std::pair<std::string, std::string>>{
             {"jotter.exe", kDir + "\\jotter.exe"},
             {"help.html", kDir + "\\Jotter Help.html"},
             {"License.txt", kDir + "\\License.txt"},
             {"DejaVu Fonts License.txt", kDir + "\\DejaVu Fonts License.txt"},
             {"Welcome.jot", kDir + "\\Samples\\Welcome.jot"},
             {"JotterMono.ttf", kFont}}) {
        EXPECT_EQ(readBytes(host(installed)), readBytes(productFile(source).string())) << installed;
    }
    EXPECT_TRUE(fs::exists(host(kUninstaller)));
    EXPECT_TRUE(fs::exists(host(kDir + "\\Uninstall\\Installer Background.BMP")));
    std::string log = readText(host(kDir + "\\Uninstall\\Install.LOG"));
    EXPECT_NE(log.find("Installation log for: Jotter\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Product version: 1.2\r\n"), std::string::npos) << log;

    // The entry in the list of installed programs, with the manifest's own values.
    EXPECT_EQ(regData(kProductKey, "QuietUninstallString"), kUninstaller + " /a /u:\"Jotter\"");
    EXPECT_EQ(regData(kProductKey, "DisplayIcon"), kDir + "\\jotter.exe,0");
    EXPECT_EQ(regData(kProductKey, "NoModify"), "0x1");
    // A .jot note opens in Jotter.
    EXPECT_EQ(regData("HKCR\\.jot"), "Jotter.Note");
    EXPECT_EQ(regData("HKCR\\Jotter.Note\\shell\\open\\command"), "\"" + kDir + "\\jotter.exe\" \"%1\"");
    EXPECT_EQ(regData(kFontList, kFontName), "JotterMono.ttf");
    EXPECT_TRUE(prefix.regKeyExists("HKCU\\Software\\Example Software\\Jotter"));

    std::set<std::string> links;
    for (const std::string& link : shortcuts(prefix.dir()))
        if (!linksBefore.count(link)) links.insert(link);
    const std::string menu = "AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Example Software/Jotter/";
    EXPECT_EQ(links, (std::set<std::string>{"Desktop/Jotter.LNK", "Desktop/Welcome to Jotter.LNK",
                                            menu + "Jotter.LNK", menu + "Jotter Help.LNK",
                                            menu + "Uninstall Jotter.LNK"}));
    // The desktop shortcut starts the program in its folder, as the shell reads it.
    const std::string readLink = setting("TAVO_E2E_READ_LINK_EXE", TAVO_E2E_READ_LINK_EXE);
    if (links.count("Desktop/Jotter.LNK")) {
        std::string user;
        for (const auto& entry : fs::directory_iterator(host("C:\\users")))
            if (fs::exists(entry.path() / "Desktop" / "Jotter.LNK")) user = entry.path().filename().string();
        ASSERT_TRUE(prefix.copyIn(readLink, "C:\\read_link.exe"));
        ASSERT_EQ(prefix.wine({"C:\\read_link.exe", "C:\\users\\" + user + "\\Desktop\\Jotter.LNK", "C:\\link.txt"})
                      .exitCode, 0);
        EXPECT_EQ(readText(host("C:\\link.txt")), kDir + "\\jotter.exe\r\n\r\n" + kDir + "\r\n");
        fs::remove(host("C:\\read_link.exe"));
        fs::remove(host("C:\\link.txt"));
    }

    // A double-click on the sample note brings it up in Jotter.
    const std::string openNote = setting("TAVO_E2E_OPEN_NOTE_EXE", TAVO_E2E_OPEN_NOTE_EXE);
    e2e::ProcessResult opened = prefix.wine({openNote, kDir + "\\Samples\\Welcome.jot", " - Jotter"}, 60);
    EXPECT_EQ(opened.exitCode, 0) << openNote << "\n" << opened.output;
    EXPECT_NE(opened.output.find("Welcome.jot - Jotter"), std::string::npos) << opened.output;

    // Uninstalled the way the list of installed programs does it without questions.
    std::string quiet = regData(kProductKey, "QuietUninstallString");
    e2e::RobotRun uninstall = prefix.runRobot(quiet, kQuietScript, 60000);
    expectEndedByItself(uninstall);
    EXPECT_EQ(messageBoxes(uninstall).size(), 0u) << uninstall.describe();
    ASSERT_TRUE(waitFor([&] { return !fs::exists(host(kUninstaller)); }, 60)) << "the uninstaller removed itself";
    ASSERT_TRUE(waitFor([&] { return !fs::exists(host("C:\\delunins.bat")); }, 60)) << "its batch came to an end";
    // The shared counts key is made when missing and never removed.
    EXPECT_EQ(e2e::joinedLines(changes.changes()),
              e2e::joinedLines({"+key system.reg:Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\SharedDLLs"}));
}

}  // namespace
