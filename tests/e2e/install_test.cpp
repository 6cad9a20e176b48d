// Whole installations under wine64: builder-made x64 installers run, mostly
// in automatic mode, and what they leave behind read back from the prefix: the
// files with their bytes, times and attributes, the uninstaller program, the
// product's Uninstall key, Uninstall.DAT, Install.LOG, the shared-file counts
// and the replacements waiting for the restart. Also what a damaged data
// region or catalogue shows, and the prompt for a missing volume.
//
// The registry is read from the prefix's saved system.reg once its
// wineserver has stopped, which is cheaper than a reg.exe run per value.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "builder/build_installer.h"
#include "builder/default_strings.h"
#include "builder/installer_model.h"
#include "core/bytes.h"
#include "core/checksum.h"
#include "payload/format.h"
#include "tests/e2e/test_support.h"
#include "tests/e2e/wine_prefix.h"

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
using e2e::noise;
using e2e::payloadOffset;
using Lines = std::vector<std::string>;

const char kSetup[] = "C:\\tavo\\setup.exe";
const char kCorruptFormat[] = "Broken installer, code %d";

// --- Host-side helpers ------------------------------------------------------------

std::string setting(const char* name, const char* builtIn) {
    const char* value = std::getenv(name);
    return value && *value ? value : builtIn;
}

std::string holdFileExe() { return setting("TAVO_E2E_HOLD_FILE_EXE", TAVO_E2E_HOLD_FILE_EXE); }
std::string fixtureDll(const std::string& name) {
    return setting("TAVO_E2E_FIXTURE_DIR", TAVO_E2E_FIXTURE_DIR) + "/" + name;
}

// The lines of a CR LF text; the text after the last line break is the last line.
Lines crlfLines(const std::string& text) {
    Lines lines;
    size_t start = 0;
    for (size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2)
        lines.push_back(text.substr(start, at - start));
    lines.push_back(text.substr(start));
    return lines;
}

// The local time the file system gives a DateTime (Wine shares the host's zone).
time_t localTime(const build::DateTime& t) {
    std::tm tm = {};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

time_t modifiedTime(const std::string& path) {
    struct stat info = {};
    return stat(path.c_str(), &info) == 0 ? info.st_mtime : -1;
}

bool setModifiedTime(const std::string& path, const build::DateTime& t) {
    struct utimbuf times = {localTime(t), localTime(t)};
    return utime(path.c_str(), &times) == 0;
}

std::string lower(std::string text) {
    for (char& c : text) c = (char)std::tolower((unsigned char)c);
    return text;
}

// A default string of the builder as the run shows it for `product`.
std::string productText(int id, const std::string& product) {
    std::string text = build::defaultString(id);
    for (size_t at; (at = text.find("<product>")) != std::string::npos;) text.replace(at, 9, product);
    return text;
}

// The names in the section table of a PE image.
std::vector<std::string> sectionNames(const Bytes& image) {
    std::vector<std::string> names;
    if (image.size() < 0x40 || image[0] != 'M' || image[1] != 'Z') return names;
    size_t pe = readLE32(&image[0x3C]);
    if (pe + 24 > image.size() || memcmp(&image[pe], "PE\0\0", 4) != 0) return names;
    size_t count = readLE16(&image[pe + 6]);
    size_t table = pe + 24 + readLE16(&image[pe + 20]);
    for (size_t i = 0; i < count && table + 40 * (i + 1) <= image.size(); ++i) {
        const char* name = reinterpret_cast<const char*>(&image[table + 40 * i]);
        names.push_back(std::string(name, strnlen(name, 8)));
    }
    return names;
}

// --- The saved registry ---------------------------------------------------------------

struct RegEntry {
    std::string type;  // "sz", "expand", "multi", "dword" or "other"
    std::string data;  // texts unescaped (a multi-text keeps its zero bytes), numbers in decimal
};

// Wine's escapes in system.reg: \\ \" \n \r \t \0 and \x followed by hex digits.
std::string unescapeRegText(const std::string& text, size_t& at) {
    std::string out;
    while (at < text.size() && text[at] != '"') {
        char c = text[at++];
        if (c != '\\' || at >= text.size()) {
            out += c;
            continue;
        }
        char e = text[at++];
        if (e == 'n') out += '\n';
        else if (e == 'r') out += '\r';
        else if (e == 't') out += '\t';
        else if (e == '0') out += '\0';
        else if (e == 'x') {
            unsigned value = 0;
            for (int n = 0; n < 4 && at < text.size() && std::isxdigit((unsigned char)text[at]); ++n)
                value = value * 16 + (unsigned)std::stoi(std::string(1, text[at++]), nullptr, 16);
            out += (char)value;
        } else out += e;
    }
    ++at;  // the closing quote
    return out;
}

RegEntry parseRegData(const std::string& data) {
    RegEntry entry;
    size_t at = 0;
    if (data.rfind("\"", 0) == 0) {
        entry.type = "sz";
        at = 1;
    } else if (data.rfind("str(2):\"", 0) == 0) {
        entry.type = "expand";
        at = 8;
    } else if (data.rfind("str(7):\"", 0) == 0) {
        entry.type = "multi";
        at = 8;
    } else if (data.rfind("dword:", 0) == 0) {
        entry.type = "dword";
        entry.data = std::to_string(std::stoul(data.substr(6), nullptr, 16));
        return entry;
    } else {
        entry.type = "other";
        entry.data = data;
        return entry;
    }
    entry.data = unescapeRegText(data, at);
    return entry;
}

// The values of `key` (below HKEY_LOCAL_MACHINE, as "Software\\..."), by
// lower-cased name, from the prefix's system.reg. Call after stopServer.
std::map<std::string, RegEntry> savedMachineKey(const e2e::WinePrefix& prefix, const std::string& key) {
    std::string wanted = "[";
    for (char c : key) wanted += c == '\\' ? std::string("\\\\") : std::string(1, c);
    wanted = lower(wanted + "]");
    std::map<std::string, RegEntry> values;
    std::istringstream lines(readText(prefix.dir() + "/system.reg"));
    std::string line;
    bool inKey = false;
    while (std::getline(lines, line)) {
        if (line.rfind("[", 0) == 0) {
            inKey = lower(line).rfind(wanted, 0) == 0;
            continue;
        }
        if (!inKey || line.empty() || line[0] == '#') continue;
        while (!line.empty() && line.back() == '\\') {  // continued hex data
            std::string next;
            if (!std::getline(lines, next)) break;
            line.pop_back();
            line += next.substr(next.find_first_not_of(' '));
        }
        std::string name;
        size_t at = 0;
        if (line[0] == '@') {
            at = 1;
        } else if (line[0] == '"') {
            at = 1;
            name = unescapeRegText(line, at);
        } else {
            continue;
        }
        if (at >= line.size() || line[at] != '=') continue;
        values[lower(name)] = parseRegData(line.substr(at + 1));
    }
    return values;
}

// --- Making and running installers ----------------------------------------------------

build::Installer product(const std::string& name) {
    build::Installer installer;
    build::Settings& s = installer.settings;
    s.flagsLow = flag::KeepUninstallRecord.bit | flag::AlwaysWriteLog.bit | flag::NoBackgroundWindow.bit;
    s.publisher = "Acme";
    s.productName = name;
    s.displayVersion = "2.10";
    s.defaultInstallDir = "Acme\\" + name;
    s.uninstallSubdir = "Uninstall";
    s.volumeBaseName = "WIDGET";
    s.uninstallerName = "Uninstal.exe";
    s.buildTime = {2024, 5, 17, 12, 30, 0};
    s.languages = {"English"};
    for (const std::string& text : build::defaultStringTable()) s.strings.push_back({text});
    s.strings.at(13) = {kCorruptFormat};
    return installer;
}

build::FileEntry fileEntry(const std::string& name, uint32_t kind, Bytes body, build::DateTime modified,
                           const std::string& destination = "") {
    build::FileEntry file;
    file.name = name;
    file.kind = kind;
    file.body = std::move(body);
    file.modified = modified;
    file.destination = destination;
    return file;
}

std::string windowsDirOf(const std::string& windowsPath) { return windowsPath.substr(0, windowsPath.rfind('\\')); }

// Makes the installer and its volumes with the builder's library and puts
// them at `windowsPath` in the prefix. The volumes are also handed back, for
// tests that place them themselves (with `placeVolumes` false).
bool placeInstaller(const e2e::WinePrefix& prefix, const build::Installer& installer, const std::string& windowsPath,
                    std::vector<Bytes>* volumes = nullptr, bool placeVolumes = true) {
    Bytes stub = readBytes(e2e::stubExe(true));
    build::InstallerFiles files;
    try {
        files = build::makeInstallerFiles(installer, stub, payload::kBuilderVersion);
    } catch (const std::exception& e) {
        ADD_FAILURE() << "the builder refused the installer: " << e.what();
        return false;
    }
    bool written = writeBytes(prefix.unixPath(windowsPath), files.installer);
    for (size_t i = 0; placeVolumes && i < files.volumes.size(); ++i) {
        std::string volume = windowsDirOf(windowsPath) + "\\" + files.volumeBaseName + std::to_string(i + 2) + ".TAV";
        written = writeBytes(prefix.unixPath(volume), files.volumes[i]) && written;
    }
    if (volumes) *volumes = files.volumes;
    EXPECT_TRUE(written) << windowsPath;
    return written;
}

// A run without a single message box: a clean automatic installation.
void expectSilentRun(const e2e::RobotRun& run) {
    expectEndedByItself(run);
    EXPECT_EQ(messageBoxes(run).size(), 0u) << run.describe();
}

// The attribute letters (R, H, S; Wine reports A for every file) of each
// file below `directory`, by lower-cased Windows path.
std::map<std::string, std::string> fileAttributes(const e2e::WinePrefix& prefix, const std::string& directory) {
    e2e::ProcessResult listed = prefix.wine({"cmd", "/c", "attrib", "/s", directory + "\\*"});
    std::map<std::string, std::string> attributes;
    std::istringstream lines(listed.output);
    std::string line;
    while (std::getline(lines, line)) {
        size_t path = line.find(":\\");
        if (path == std::string::npos || path < 1) continue;
        std::string letters;
        for (char c : line.substr(0, path - 1))
            if (c == 'R' || c == 'H' || c == 'S') letters += c;
        std::string name = line.substr(path - 1);
        while (!name.empty() && (name.back() == '\r' || name.back() == ' ')) name.pop_back();
        attributes[lower(name)] = letters;
    }
    return attributes;
}

const std::string kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const std::string kSharedDllsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

class Installation : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(e2e::requireRobotStubAndPrefix(prefix));
    }

    e2e::RobotRun runSetup(const std::string& arguments, const std::string& installer = kSetup,
                           const std::string& script = kQuietScript) {
        return prefix.runRobot(installer + (arguments.empty() ? "" : " " + arguments), script, 20000);
    }

    std::string host(const std::string& windowsPath) const { return prefix.unixPath(windowsPath); }

    e2e::WinePrefix prefix;
};

// --- A whole installation ---------------------------------------------------------------

TEST_F(Installation, AutomaticRunLeavesFilesUninstallerRecordAndLog) {
    build::Installer installer = product("Widget");
    build::Settings& s = installer.settings;
    s.flagsLow |= flag::DetailedLog.bit;
    s.shortcutMode = 1;
    s.uninstallBatch1 = "echo one";
    s.uninstallBatch2 = "echo two";
    s.productRegistry = "Acme\\Widget";
    s.bottomColor = 0x400000;
    s.uninstallValues = {{"HelpLink", 0, "https://acme.example/help"},
                         {"Readme", 2, "%InstallDir%\\readme.txt"},
                         {"EstimatedSize", 4, "1234"}};
    const build::DateTime readmeTime = {2023, 1, 2, 3, 4, 5}, guideTime = {2022, 12, 31, 23, 59, 58},
                          toolTime = {2021, 2, 3, 4, 5, 6}, emptyTime = {2020, 1, 1, 0, 0, 0};
    const Bytes readme = bytesOf("Read me first.\r\n"), guide = noise(3000, 1), tool = noise(5000, 2);
    std::vector<build::FileEntry>& f = installer.files;
    f.push_back(fileEntry("readme.txt", 0, readme, readmeTime));
    f.back().attributes = 0x1;  // read-only
    f.push_back(fileEntry("guide.txt", 0, guide, guideTime, "%InstallDir%\\doc\\manual\\"));
    f.back().attributes = 0x2;  // hidden
    f.push_back(fileEntry("notes.txt", 0, bytesOf("Notes"), {2023, 6, 7, -1, 0, 0}, "renamed.txt"));
    f.push_back(fileEntry("tool.exe", 5, tool, toolTime, "bin\\x64\\"));
    f.back().firstText = "Tool";
    f.push_back(fileEntry("empty.dat", 0, {}, emptyTime, "%InstallDir%\\data\\empty.dat"));
    f.back().attributes = 0;
    f.push_back(fileEntry("shared.dll", 1, bytesOf("shared"), {2021, 1, 1, 0, 0, 0}));
    f.push_back(fileEntry("tavo_main.dll", 6, bytesOf("system"), {2021, 1, 1, 0, 0, 0}));
    f.push_back(fileEntry("widget.ttf", 4, bytesOf("not really a font"), {2021, 1, 1, 0, 0, 0}));
    f.back().firstText = "Widget Sans";
    ASSERT_TRUE(placeInstaller(prefix, installer, kSetup));

    e2e::RobotRun run = runSetup("/a");
    expectSilentRun(run);

    const std::string dir = "C:\\Program Files\\Acme\\Widget", uninstallDir = dir + "\\Uninstall";
    const std::string sharedDir = "C:\\Program Files\\Common Files\\Acme";
    const std::string systemDir = "C:\\windows\\system32", fontDir = "C:\\windows\\Fonts";

    // The files: bytes, names, nested folders, times.
    EXPECT_EQ(readBytes(host(dir + "\\readme.txt")), readme);
    EXPECT_EQ(readBytes(host(dir + "\\doc\\manual\\guide.txt")), guide);
    EXPECT_EQ(readText(host(dir + "\\renamed.txt")), "Notes");
    EXPECT_FALSE(fs::exists(host(dir + "\\notes.txt")));
    EXPECT_EQ(readBytes(host(dir + "\\bin\\x64\\tool.exe")), tool);
    EXPECT_TRUE(fs::exists(host(dir + "\\data\\empty.dat")));
    EXPECT_EQ(fs::file_size(host(dir + "\\data\\empty.dat")), 0u);
    EXPECT_EQ(readText(host(sharedDir + "\\shared.dll")), "shared");
    EXPECT_EQ(readText(host(systemDir + "\\tavo_main.dll")), "system");
    EXPECT_EQ(readText(host(fontDir + "\\widget.ttf")), "not really a font");
    EXPECT_EQ(modifiedTime(host(dir + "\\readme.txt")), localTime(readmeTime));
    EXPECT_EQ(modifiedTime(host(dir + "\\doc\\manual\\guide.txt")), localTime(guideTime));
    EXPECT_EQ(modifiedTime(host(dir + "\\bin\\x64\\tool.exe")), localTime(toolTime));
    EXPECT_EQ(modifiedTime(host(dir + "\\data\\empty.dat")), localTime(emptyTime));
    EXPECT_GT(modifiedTime(host(dir + "\\renamed.txt")), localTime({2024, 1, 1, 0, 0, 0}))
        << "a date without a time leaves the time of the write";

    // The uninstaller: the stub without its payload, dated with the build time.
    const std::string uninstaller = uninstallDir + "\\Uninstal.exe";
    Bytes program = readBytes(host(uninstaller));
    std::vector<std::string> sections = sectionNames(program);
    EXPECT_FALSE(sections.empty());
    for (const std::string& name : sections) EXPECT_NE(name, ".tavo");
    EXPECT_EQ(sections, sectionNames(readBytes(e2e::stubExe(true))));
    EXPECT_EQ(modifiedTime(host(uninstaller)), localTime(s.buildTime));

    std::map<std::string, std::string> attributes = fileAttributes(prefix, dir);
    EXPECT_EQ(attributes[lower(dir + "\\readme.txt")], "R");
    EXPECT_EQ(attributes[lower(dir + "\\doc\\manual\\guide.txt")], "H");
    EXPECT_EQ(attributes[lower(dir + "\\data\\empty.dat")], "");
    EXPECT_EQ(attributes[lower(uninstaller)], "");

    e2e::RobotRun usage = prefix.runRobot("\"" + uninstaller + "\" /x", kQuietScript);
    expectEndedByItself(usage);
    ASSERT_EQ(messageBoxes(usage).size(), 1u) << usage.describe();
    EXPECT_EQ(usage.transcript.dialogs[0].caption, "FATAL ERROR");
    EXPECT_EQ(usage.transcript.dialogs[0].message().rfind("Illegal command line atom:\nx\n\nUsage:\nUninstal.exe [/a]", 0),
              0u)
        << usage.describe();

    // Kind 5 asks for a start-up shortcut (all users: ShortcutMode 1).
    const std::string startupLink = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp\\Tool.LNK";
    EXPECT_TRUE(fs::exists(host(startupLink)));

    // Uninstall.DAT: the files and the folders made for them, the shortcut,
    // then the strings.
    Lines data = {dir + "\\readme.txt",
                  "~" + dir + "\\doc\\manual",
                  dir + "\\doc\\manual\\guide.txt",
                  dir + "\\renamed.txt",
                  "~" + dir + "\\bin\\x64",
                  dir + "\\bin\\x64\\tool.exe",
                  "~" + dir + "\\data",
                  dir + "\\data\\empty.dat",
                  startupLink,
                  "",
                  "",
                  "[Strings]"};
    std::string strings;
    for (int id : {10, 15, 20, 30, 34, 35, 39, 49, 53, 55, 56, 57, 58, 59, 67, 68, 69, 70, 71})
        strings += "~" + std::to_string(id) + "\r\n" + productText(id, "Widget") + "\r\n";
    for (const std::string& line : crlfLines(strings)) data.push_back(line);
    EXPECT_EQ(e2e::joinedLines(crlfLines(readText(host(uninstallDir + "\\Uninstall.DAT")))), e2e::joinedLines(data));

    // Install.LOG: one section, every file mapped, then the success text.
    Lines log = crlfLines(readText(host(uninstallDir + "\\Install.LOG")));
    ASSERT_GE(log.size(), 3u);
    EXPECT_TRUE(std::regex_match(log[2], std::regex("Install date: \\d{1,2}-[A-Z][a-z]{2}-\\d{4} \\d{1,2}:\\d\\d:\\d\\d[ap]")))
        << log[2];
    log[2] = "Install date: <now>";
    Lines expectedLog = {"",
                         "Installation log for: Widget",
                         "Install date: <now>",
                         "Install type: New",
                         "Install location: " + dir,
                         "Installer version: 11.3",
                         "Product version: 2.10",
                         "",
                         "readme.txt -> " + dir + "\\readme.txt",
                         "guide.txt -> " + dir + "\\doc\\manual\\guide.txt",
                         "renamed.txt -> " + dir + "\\renamed.txt",
                         "tool.exe -> " + dir + "\\bin\\x64\\tool.exe",
                         "empty.dat -> " + dir + "\\data\\empty.dat",
                         "shared.dll -> " + sharedDir + "\\shared.dll",
                         "tavo_main.dll -> " + systemDir + "\\tavo_main.dll",
                         "widget.ttf -> " + fontDir + "\\widget.ttf",
                         "Startup Shortcut(Tool) -> " + startupLink,
                         "",
                         "Installation Complete",
                         "",
                         ""};
    EXPECT_EQ(e2e::joinedLines(log), e2e::joinedLines(expectedLog));

    // The product's key: every value in its form.
    prefix.stopServer();
    std::map<std::string, RegEntry> key = savedMachineKey(prefix, kUninstallKey + "Widget");
    const uint64_t flags = uint64_t(s.flagsLow) | uint64_t(s.flagsHigh) << 32;
    const std::map<std::string, RegEntry> expectedKey = {
        {"uninstallstring", {"sz", uninstaller + " /u:\"Widget\""}},
        {"quietuninstallstring", {"sz", uninstaller + " /a /u:\"Widget\""}},
        {"displayname", {"sz", "Widget"}},
        {"installsource", {"sz", kSetup}},
        {"displayversion", {"sz", "2.10"}},
        {"publisher", {"sz", "Acme"}},
        {"versionmajor", {"dword", "2"}},
        {"versionminor", {"dword", "10"}},
        {"productregistry", {"sz", "Acme\\Widget"}},
        {"productstartmenu", {"sz", "Acme\\Widget"}},
        {"sharedpath", {"sz", sharedDir}},
        {"productfonts", {"sz", "\"Widget Sans\" \"widget.ttf\" "}},
        {"productflags", {"sz", std::to_string((int64_t)flags)}},
        {"uninstallbatch1", {"sz", "echo one"}},
        {"uninstallbatch2", {"sz", "echo two"}},
        {"sharedfiles", {"sz", "\"" + sharedDir + "\\shared.dll\";\"" + systemDir + "\\tavo_main.dll \""}},
        {"uninstallsubdir", {"sz", "Uninstall"}},
        {"shortcutmode", {"dword", "1"}},
        {"displaytitle", {"sz", "Widget Setup"}},
        {"titlecolor", {"dword", std::to_string(0xFFFFFF)}},
        {"topcolor", {"dword", std::to_string(0x800000)}},
        {"bottomcolor", {"dword", std::to_string(0x400000)}},
        {"monocolor", {"dword", "0"}},
        {"titleshadow", {"dword", "1"}},
        {"bitmapsize", {"dword", "100"}},
        {"helplink", {"sz", "https://acme.example/help"}},
        {"readme", {"expand", dir + "\\readme.txt"}},
        {"estimatedsize", {"dword", "1234"}},
        {"installlocation", {"sz", dir}},
        {"installdate", key["installdate"]},
    };
    EXPECT_TRUE(std::regex_match(key["installdate"].data,
                                 std::regex("\\d{1,2}/\\d{1,2}/\\d\\d \\d{1,2}:\\d\\d:\\d\\d[ap]")))
        << key["installdate"].data;
    EXPECT_EQ(key.size(), expectedKey.size());
    for (const auto& [name, expected] : expectedKey) {
        auto found = key.find(name);
        if (found == key.end()) {
            ADD_FAILURE() << "missing value " << name;
            continue;
        }
        EXPECT_EQ(found->second.type, expected.type) << name;
        EXPECT_EQ(found->second.data, expected.data) << name;
    }
}

// --- With a user -----------------------------------------------------------------------------

// The wizard's part of the sequence: a licence, the directory dialog with a
// refused drive root and the confirmation, then a reinstallation that asks
// first (with the versions compared) and keeps the earlier folder.
TEST_F(Installation, InteractiveRunChecksTheDirectoryAndAsksBeforeReinstalling) {
    build::Installer installer = product("Widget");
    build::Settings& s = installer.settings;
    s.flagsLow |= flag::DirectoryDialog.bit | flag::ConfirmDirectory.bit;
    s.flagsHigh |= flag::CompareVersions.bit;
    s.licenceTexts = {"Licence of <product>"};
    installer.files.push_back(fileEntry("app.txt", 0, bytesOf("app"), {2021, 1, 1, 0, 0, 0}));
    ASSERT_TRUE(placeInstaller(prefix, installer, kSetup));

    const std::string answers =
        "on caption \"License Agreement\"\n  click 1001\n"
        "on caption \"Setup Error\"\n  click 1\n"
        "on text \"will be created\"\n  click 6\n"
        "on caption \"Installation Complete\"\n  click 1\n"
        "on caption \"Reinstall Widget\"\n  click 6\n"
        "once caption \"Installation Folder\" text \"Browse\"\n  type 1015 \"C:\\\\\"\n  click 1001\n"
        "on caption \"Installation Folder\" text \"Browse\"\n  type 1015 \" C:\\\\Chosen\\\\Widget \"\n  click 1001\n" +
        std::string(kQuietScript);
    e2e::RobotRun run = runSetup("", kSetup, answers);
    expectEndedByItself(run);
    std::vector<e2e::Dialog> boxes = messageBoxes(run);
    ASSERT_EQ(boxes.size(), 3u) << run.describe();
    EXPECT_EQ(boxes[0].message(), productText(17, "Widget")) << "a drive root";
    EXPECT_EQ(boxes[1].caption, productText(24, "Widget"));
    EXPECT_EQ(boxes[1].message(), "C:\\Chosen\\Widget" + productText(23, "Widget").substr(2)) << "trimmed";
    EXPECT_EQ(boxes[2].message(), productText(42, "Widget"));
    EXPECT_EQ(readText(host("C:\\Chosen\\Widget\\app.txt")), "app");
    bool licenceShown = false;
    for (const e2e::Dialog& d : run.transcript.dialogs) {
        const e2e::Control* text = d.control(1005);
        licenceShown = licenceShown || (text && text->text == "Licence of Widget");
    }
    EXPECT_TRUE(licenceShown) << run.describe();

    e2e::RobotRun again = runSetup("", kSetup, answers);
    expectEndedByItself(again);
    boxes = messageBoxes(again);
    ASSERT_EQ(boxes.size(), 2u) << again.describe();
    EXPECT_EQ(boxes[0].caption, productText(2, "Widget"));
    EXPECT_EQ(boxes[0].message(),
              productText(4, "Widget") + "\r\nC:\\Chosen\\Widget\r\n\r\n" + productText(7, "Widget"));
    EXPECT_EQ(boxes[1].message(), productText(42, "Widget"));
    for (const e2e::Dialog& d : again.transcript.dialogs) EXPECT_EQ(d.control(1015), nullptr) << "no directory dialog";
}

// --- Reinstalling ------------------------------------------------------------------------

TEST_F(Installation, ReinstallTakesBackSharedCountsAndCanBeRefused) {
    const std::string counted = "C:\\windows\\system32\\tavo_count.dll";
    const std::string common = "C:\\Program Files\\Common Files\\Acme\\common.dll";
    e2e::ProcessResult seeded = prefix.wine(
        {"reg", "add", "HKLM\\" + kSharedDllsKey, "/v", counted, "/t", "REG_DWORD", "/d", "5", "/f"});
    ASSERT_EQ(seeded.exitCode, 0) << seeded.output;

    build::Installer installer = product("Widget");
    installer.files.push_back(fileEntry("tavo_count.dll", 6, bytesOf("counted"), {2021, 1, 1, 0, 0, 0}));
    installer.files.push_back(fileEntry("common.dll", 1, bytesOf("common"), {2021, 1, 1, 0, 0, 0}));
    installer.files.push_back(fileEntry("app.txt", 0, bytesOf("first"), {2021, 1, 1, 0, 0, 0}));
    ASSERT_TRUE(placeInstaller(prefix, installer, kSetup));
    expectSilentRun(runSetup("/a"));

    // A reinstallation goes back to the earlier folder, whatever /d says.
    const std::string dir = "C:\\Program Files\\Acme\\Widget";
    installer.files.back().body = bytesOf("second");
    ASSERT_TRUE(placeInstaller(prefix, installer, kSetup));
    expectSilentRun(runSetup("/a /d:\"C:\\Elsewhere\""));
    EXPECT_EQ(readText(host(dir + "\\app.txt")), "second");
    EXPECT_FALSE(fs::exists(host("C:\\Elsewhere")));

    // A product that may not be installed twice says so, automatic mode or not.
    installer.settings.flagsLow |= flag::NoReinstall.bit;
    installer.files.back().body = bytesOf("third");
    const std::string again = "C:\\tavo\\again.exe";
    ASSERT_TRUE(placeInstaller(prefix, installer, again));
    e2e::RobotRun refused = runSetup("/a", again, "on caption \"Setup Error\"\n  click 1\n" + std::string(kQuietScript));
    expectEndedByItself(refused);
    std::vector<e2e::Dialog> boxes = messageBoxes(refused);
    ASSERT_EQ(boxes.size(), 1u) << refused.describe();
    EXPECT_EQ(boxes[0].caption, productText(21, "Widget"));
    EXPECT_EQ(boxes[0].message(), productText(9, "Widget"));
    EXPECT_EQ(readText(host(dir + "\\app.txt")), "second");

    // One log section per installation that ran; the second says what it was.
    std::string log = readText(host(dir + "\\Uninstall\\Install.LOG"));
    size_t first = log.find("\r\nInstallation log for: Widget\r\n");
    size_t second = log.find("\r\nInstallation log for: Widget\r\n", first + 1);
    ASSERT_NE(second, std::string::npos) << log;
    EXPECT_EQ(log.find("\r\nInstallation log for: Widget\r\n", second + 1), std::string::npos) << log;
    EXPECT_NE(log.substr(first, second - first).find("\r\nInstall type: New\r\n"), std::string::npos) << log;
    EXPECT_NE(log.substr(second).find("\r\nInstall type: Reinstall\r\n"), std::string::npos) << log;

    // Each count ends one above where it began, not two.
    prefix.stopServer();
    std::map<std::string, RegEntry> counts = savedMachineKey(prefix, kSharedDllsKey);
    EXPECT_EQ(counts[lower(counted)].data, "6");
    EXPECT_EQ(counts[lower(common)].data, "1");
    EXPECT_EQ(savedMachineKey(prefix, kUninstallKey + "Widget")["sharedfiles"].data,
              "\"" + counted + " \";\"" + common + "\"");
}

// --- Deciding what to delete and what to replace ----------------------------------------------

TEST_F(Installation, DeletionsAndReplacementsDecideByDateSizeAndVersion) {
    const std::string dir = "C:\\Policy", shared = "C:\\Shared", system = "C:\\windows\\system32";
    const Bytes v19 = readBytes(fixtureDll("version_fixture_1_9.dll"));
    const Bytes v20 = readBytes(fixtureDll("version_fixture_2_0.dll"));
    ASSERT_FALSE(v19.empty()) << fixtureDll("version_fixture_1_9.dll");
    ASSERT_FALSE(v20.empty()) << fixtureDll("version_fixture_2_0.dll");
    const build::DateTime entryTime = {2021, 1, 1, 0, 0, 0}, early = {2020, 1, 1, 0, 0, 0}, late = {2022, 1, 1, 0, 0, 0};

    struct Existing {
        std::string path;
        Bytes body;
        build::DateTime time;
    };
    const std::vector<Existing> existing = {
        {dir + "\\c0_any.txt", bytesOf("x"), early},
        {dir + "\\c1_same.txt", bytesOf("x"), {2020, 3, 4, 10, 0, 0}},
        {dir + "\\c1_other.txt", bytesOf("x"), {2020, 3, 5, 10, 0, 0}},
        {dir + "\\c2_late.txt", bytesOf("x"), {2020, 3, 4, 13, 0, 0}},
        {dir + "\\c2_early.txt", bytesOf("x"), {2020, 3, 4, 11, 0, 0}},
        {dir + "\\c3_early.txt", bytesOf("x"), {2020, 3, 3, 10, 0, 0}},
        {dir + "\\c3_late.txt", bytesOf("x"), {2020, 3, 5, 10, 0, 0}},
        {dir + "\\c4_100.txt", Bytes(100, 'x'), early},
        {dir + "\\c4_101.txt", Bytes(101, 'x'), early},
        {dir + "\\c5_1024.txt", Bytes(1024, 'x'), early},
        {dir + "\\c5_1023.txt", Bytes(1023, 'x'), early},
        {dir + "\\c6_10.txt", Bytes(10, 'x'), early},
        {dir + "\\c6_11.txt", Bytes(11, 'x'), early},
        {shared + "\\same.dat", bytesOf("old"), entryTime},
        {shared + "\\older.dat", bytesOf("old"), early},
        {system + "\\tavo_k6.dll", v19, early},
        {system + "\\tavo_k7.dll", v19, late},
        {system + "\\tavo_k8.dll", v20, early},
    };
    for (const Existing& e : existing) {
        ASSERT_TRUE(writeBytes(host(e.path), e.body)) << e.path;
        ASSERT_TRUE(setModifiedTime(host(e.path), e.time)) << e.path;
    }

    build::Installer installer = product("Widget");
    build::Settings& s = installer.settings;
    s.defaultInstallDir = dir;
    s.sharedPath = shared;
    s.fileDeletions = {{"%InstallDir%\\c0_*.txt", 0, "", 0},
                       {"%InstallDir%\\c1_*.txt", 1, "3/4/2020", 0},
                       {"%InstallDir%\\c2_*.txt", 2, "3/4/2020 12:00", 0},
                       {"%InstallDir%\\c3_*.txt", 3, "3/4/2020", 0},
                       {"%InstallDir%\\c4_*.txt", 4, "100", 0},
                       {"%InstallDir%\\c5_*.txt", 5, "1,024", 0},
                       {"%InstallDir%\\c6_*.txt", 6, "10", 0}};
    std::vector<build::FileEntry>& f = installer.files;
    f.push_back(fileEntry("same.dat", 1, bytesOf("new"), entryTime));
    f.push_back(fileEntry("older.dat", 1, bytesOf("new"), entryTime));
    f.push_back(fileEntry("tavo_k6.dll", 6, v20, entryTime));
    f.back().firstText = "2.0";
    f.push_back(fileEntry("tavo_k7.dll", 7, v20, entryTime));
    f.back().firstText = "2.0";
    f.push_back(fileEntry("tavo_k8.dll", 8, v19, entryTime));
    f.back().firstText = "1.9";
    ASSERT_TRUE(placeInstaller(prefix, installer, kSetup));
    expectSilentRun(runSetup("/a"));

    for (const char* kept : {"c1_other", "c2_early", "c3_late", "c4_101", "c5_1023", "c6_11"})
        EXPECT_TRUE(fs::exists(host(dir + "\\" + kept + ".txt"))) << kept;
    const Lines deleted = {"c0_any", "c1_same", "c2_late", "c3_early", "c4_100", "c5_1024", "c6_10"};
    for (const std::string& name : deleted) EXPECT_FALSE(fs::exists(host(dir + "\\" + name + ".txt"))) << name;

    EXPECT_EQ(readText(host(shared + "\\same.dat")), "old");
    EXPECT_EQ(readText(host(shared + "\\older.dat")), "new");
    EXPECT_EQ(readBytes(host(system + "\\tavo_k6.dll")), v20);
    EXPECT_EQ(readBytes(host(system + "\\tavo_k7.dll")), v19);
    EXPECT_EQ(readBytes(host(system + "\\tavo_k8.dll")), v20);

    std::string log = readText(host(dir + "\\Uninstall\\Install.LOG"));
    Lines expectedLines;
    for (const std::string& name : deleted) expectedLines.push_back("Deleted file: " + dir + "\\" + name + ".txt");
    expectedLines.push_back(shared + "\\same.dat is up to date.");
    expectedLines.push_back(shared + "\\older.dat is out of date and will be replaced.");
    expectedLines.push_back(system + "\\tavo_k6.dll is out of date and will be replaced.");
    expectedLines.push_back(system + "\\tavo_k7.dll was not installed because its date is not newer.");
    expectedLines.push_back(system + "\\tavo_k8.dll was not installed because its version is not newer.");
    Lines actual = crlfLines(log);
    Lines relevant;
    for (const std::string& line : actual)
        if (line.rfind("Deleted file: ", 0) == 0 || line.find(" is up to date.") != std::string::npos ||
            line.find(" will be replaced.") != std::string::npos || line.find(" not newer.") != std::string::npos)
            relevant.push_back(line);
    EXPECT_EQ(e2e::joinedLines(relevant), e2e::joinedLines(expectedLines)) << log;
}

// --- A destination in use -----------------------------------------------------------------

// Run with a user, who declines the restart: in automatic mode the session
// would end at once, and Wine would carry out the replacement there and then.
// Declining still starts the program of /r, since nothing failed.
TEST_F(Installation, HeldFileIsReplacedAtTheNextRestart) {
    ASSERT_TRUE(fs::exists(holdFileExe())) << holdFileExe();
    const std::string shared = "C:\\Shared", held = shared + "\\held.dat", dir = "C:\\Program Files\\Acme\\Widget";
    ASSERT_TRUE(writeBytes(host(held), bytesOf("old")));
    ASSERT_TRUE(setModifiedTime(host(held), {2020, 1, 1, 0, 0, 0}));

    build::Installer installer = product("Widget");
    installer.settings.sharedPath = shared;
    installer.files.push_back(fileEntry("held.dat", 1, bytesOf("new"), {2021, 1, 1, 0, 0, 0}));
    installer.files.push_back(fileEntry("app.txt", 0, bytesOf("app"), {2021, 1, 1, 0, 0, 0}));
    ASSERT_TRUE(placeInstaller(prefix, installer, kSetup));

    const std::string ready = "C:\\hold-ready", release = "C:\\hold-release";
    const std::string answers = "on caption \"Installation Complete\"\n  click 1\n"
                                "on text \"must be restarted\"\n  click 7\n" + std::string(kQuietScript);
    e2e::ProcessResult holder;
    std::thread holding([&] { holder = prefix.wine({holdFileExe(), held, ready, release}, 120); });
    bool isHeld = waitFor([&] { return fs::exists(host(ready)); }, 60);
    e2e::RobotRun run;
    if (isHeld) run = runSetup("/r:\"cmd /c echo ran>C:\\ran.txt\"", kSetup, answers);
    writeBytes(host(release), {});
    holding.join();
    ASSERT_TRUE(isHeld) << holder.output;
    EXPECT_EQ(holder.exitCode, 0) << holder.output;
    expectEndedByItself(run);
    std::vector<e2e::Dialog> boxes = messageBoxes(run);
    ASSERT_EQ(boxes.size(), 2u) << run.describe();
    EXPECT_EQ(boxes[0].message(), productText(42, "Widget")) << "a run without problems";
    EXPECT_EQ(boxes[1].caption, productText(20, "Widget"));
    EXPECT_EQ(boxes[1].message(), productText(37, "Widget"));
    EXPECT_EQ(readText(host(held)), "old") << "replaced only at the restart";
    EXPECT_EQ(readText(host(dir + "\\app.txt")), "app");
    EXPECT_TRUE(waitFor([&] { return readText(host("C:\\ran.txt")) == "ran\r\n"; }, 30));

    // The note goes to the log, and the run counts as one without problems.
    std::string log = readText(host(dir + "\\Uninstall\\Install.LOG"));
    const std::string registered = "\r\n\"" + held + "\" has been successfully registered for replacement.\r\n"
                                   "Temporary file is \"";
    size_t note = log.find(registered);
    ASSERT_NE(note, std::string::npos) << log;
    EXPECT_NE(log.rfind("\r\nError: " + held + "\r\n", note), std::string::npos) << log;
    size_t nameStart = note + registered.size(), nameEnd = log.find('"', nameStart);
    ASSERT_NE(nameEnd, std::string::npos) << log;
    const std::string temporary = log.substr(nameStart, nameEnd - nameStart);
    EXPECT_EQ(log.substr(nameEnd, 31), "\"\r\nReboot will be required.\r\n\r\n") << log;
    EXPECT_EQ(readText(host(temporary)), "new") << temporary;
    EXPECT_EQ(log.substr(log.size() - 27), "\r\nInstallation Complete\r\n\r\n") << log;

    prefix.stopServer();
    std::string pending;
    for (const char* controlSet : {"CurrentControlSet", "ControlSet001"}) {
        std::map<std::string, RegEntry> manager =
            savedMachineKey(prefix, std::string("System\\") + controlSet + "\\Control\\Session Manager");
        if (manager.count("pendingfilerenameoperations")) pending = manager["pendingfilerenameoperations"].data;
    }
    EXPECT_NE(lower(pending).find(lower("\\??\\" + temporary)), std::string::npos) << pending;
    EXPECT_NE(lower(pending).find(lower("\\??\\" + held)), std::string::npos) << pending;
    std::string flags = savedMachineKey(prefix, kUninstallKey + "Widget")["productflags"].data;
    ASSERT_FALSE(flags.empty());
    EXPECT_EQ(std::stoll(flags) & 0x4000, 0x4000) << flags;
}

// --- The program of /r ------------------------------------------------------------------------

TEST_F(Installation, ProgramAfterInstallStartsOnlyAfterARunWithoutProblems) {
    // First a run with a problem (a drive that does not exist), then a clean
    // one: once the clean run's program has written its file, the other
    // program would long have written its own.
    build::Installer troubled = product("Widget");
    troubled.files.push_back(fileEntry("lost.txt", 0, bytesOf("lost"), {2021, 1, 1, 0, 0, 0}, "Q:\\nowhere\\lost.txt"));
    troubled.files.push_back(fileEntry("kept.txt", 0, bytesOf("kept"), {2021, 1, 1, 0, 0, 0}));
    ASSERT_TRUE(placeInstaller(prefix, troubled, "C:\\tavo\\troubled.exe"));
    const std::string troubledProgram = "cmd /c echo ran>C:\\ran-troubled.txt";
    expectSilentRun(runSetup("/a /r:\"" + troubledProgram + "\"", "C:\\tavo\\troubled.exe"));
    std::string log = readText(host("C:\\Program Files\\Acme\\Widget\\Uninstall\\Install.LOG"));
    EXPECT_NE(log.find("\r\nNot installed: Q:\\nowhere\\lost.txt\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("\r\nLaunch on exit: " + troubledProgram + "\r\n"), std::string::npos) << log;

    build::Installer clean = product("Gadget");
    clean.files.push_back(fileEntry("ok.txt", 0, bytesOf("ok"), {2021, 1, 1, 0, 0, 0}));
    ASSERT_TRUE(placeInstaller(prefix, clean, "C:\\tavo\\clean.exe"));
    expectSilentRun(runSetup("/a /r:\"cmd /c echo ran>C:\\ran-clean.txt\"", "C:\\tavo\\clean.exe"));
    EXPECT_TRUE(waitFor([&] { return readText(host("C:\\ran-clean.txt")) == "ran\r\n"; }, 30));
    EXPECT_FALSE(fs::exists(host("C:\\ran-troubled.txt")));
}

// --- Where the data comes from ------------------------------------------------------------------

TEST_F(Installation, DataFromTwoVolumesAndFromTheInstallerFileAndADirectoryOverride) {
    build::Installer split = product("Widget");
    split.settings.flagsLow = flag::PackedData.bit | flag::NoBackgroundWindow.bit;
    split.settings.firstVolumeId = 7000;
    split.layout.volumeSize = 4000;
    const Bytes a = noise(4000, 11), b = noise(3000, 12), c = noise(2500, 13);
    split.files.push_back(fileEntry("a.bin", 0, a, {2021, 1, 1, 0, 0, 0}));
    split.files.push_back(fileEntry("b.bin", 0, b, {2021, 1, 1, 0, 0, 0}, "sub\\"));
    split.files.push_back(fileEntry("c.bin", 0, c, {2021, 1, 1, 0, 0, 0}));
    std::vector<Bytes> volumes;
    ASSERT_TRUE(placeInstaller(prefix, split, kSetup, &volumes));
    ASSERT_EQ(volumes.size(), 2u) << "the region must span the installer and two volumes";
    expectSilentRun(runSetup("/a /d:\"C:\\Custom Place\\Widget\""));
    EXPECT_EQ(readBytes(host("C:\\Custom Place\\Widget\\a.bin")), a);
    EXPECT_EQ(readBytes(host("C:\\Custom Place\\Widget\\sub\\b.bin")), b);
    EXPECT_EQ(readBytes(host("C:\\Custom Place\\Widget\\c.bin")), c);
    EXPECT_FALSE(fs::exists(host("C:\\Program Files\\Acme\\Widget")));

    build::Installer inFile = product("Gadget");
    inFile.settings.flagsLow = flag::NoBackgroundWindow.bit;
    inFile.layout.dataInFile = true;
    const Bytes d = noise(6000, 14);
    inFile.files.push_back(fileEntry("d.bin", 0, d, {2021, 1, 1, 0, 0, 0}));
    ASSERT_TRUE(placeInstaller(prefix, inFile, "C:\\tavo\\gadget.exe"));
    expectSilentRun(runSetup("/a", "C:\\tavo\\gadget.exe"));
    EXPECT_EQ(readBytes(host("C:\\Program Files\\Acme\\Gadget\\d.bin")), d);
}

TEST_F(Installation, MissingVolumeIsAskedForUntilItComes) {
    build::Installer installer = product("Widget");
    installer.settings.flagsLow = flag::NoBackgroundWindow.bit;
    installer.settings.firstVolumeId = 41;
    installer.layout.volumeSize = 4000;
    const Bytes one = noise(3000, 21), two = noise(3000, 22);
    installer.files.push_back(fileEntry("one.bin", 0, one, {2021, 1, 1, 0, 0, 0}));
    installer.files.push_back(fileEntry("two.bin", 0, two, {2021, 1, 1, 0, 0, 0}));
    std::vector<Bytes> volumes;
    ASSERT_TRUE(placeInstaller(prefix, installer, kSetup, &volumes, false));
    ASSERT_EQ(volumes.size(), 1u);
    Bytes wrongVolume = volumes[0];
    wrongVolume[0] ^= 1;  // another volume's id

    // While the robot keeps answering OK, the wrong volume comes after the
    // first prompt and the right one after the third. The prefix's first
    // robot run writes its transcript to run1-transcript.txt.
    const std::string volume = host("C:\\tavo\\WIDGET2.TAV");
    const std::string transcript = host("C:\\robot\\run1-transcript.txt");
    auto prompts = [&] {
        std::string text = readText(transcript);
        size_t count = 0;
        for (size_t at = 0; (at = text.find("Please insert disk", at)) != std::string::npos; ++at) ++count;
        return count;
    };
    std::atomic<bool> supplied{false};
    std::thread supplier([&] {
        if (waitFor([&] { return prompts() >= 1; }, 30)) writeBytes(volume, wrongVolume);
        if (waitFor([&] { return prompts() >= 3; }, 30)) supplied = writeBytes(volume, volumes[0]);
    });
    const std::string caption = productText(27, "Widget");
    e2e::RobotRun run = runSetup("/a", kSetup, "on caption \"" + caption + "\"\n  click 1\n" + kQuietScript);
    supplier.join();
    EXPECT_TRUE(supplied);
    expectEndedByItself(run);

    const std::string prompt = "Please insert disk 2 of Widget into drive C: and click OK.";
    ASSERT_EQ(productText(26, "Widget"), "Please insert disk %d of Widget into drive %c: and click OK.");
    const std::string again = productText(30, "Widget") + "\r\n\r\n" + prompt;
    std::vector<e2e::Dialog> boxes = messageBoxes(run);
    ASSERT_GE(boxes.size(), 3u) << run.describe();
    EXPECT_EQ(boxes[0].caption, caption);
    EXPECT_EQ(boxes[0].message(), prompt) << "the first attempt only found no volume";
    for (size_t i = 1; i < boxes.size(); ++i) {
        EXPECT_EQ(boxes[i].caption, caption);
        EXPECT_EQ(boxes[i].message(), again) << "prompt " << i;
    }
    EXPECT_EQ(readBytes(host("C:\\Program Files\\Acme\\Widget\\one.bin")), one);
    EXPECT_EQ(readBytes(host("C:\\Program Files\\Acme\\Widget\\two.bin")), two);
}

// --- Damaged data ---------------------------------------------------------------------------

// Applies `damage` to the stored DataRegion of an installer whose region lies
// wholly in the section, and stores the checksum of the damaged bytes, so
// that only the region's content is wrong.
void damageRegion(Bytes& image, const std::function<void(uint8_t* region, size_t size)>& damage) {
    size_t section = payloadOffset(image);
    uint32_t fileCount = readLE32(&image.at(section + 24));
    uint32_t settingsSize = readLE32(&image.at(section + 8));
    uint32_t dataLength = readLE32(&image.at(section + 28));
    size_t start = section + 36 + 4 * fileCount + settingsSize;
    image.at(start + dataLength - 1);
    damage(&image[start], dataLength);
    writeLE32(&image[section + 32], payloadChecksum(&image[start], dataLength));
}

TEST_F(Installation, DamagedDataRegionsAndEntriesAreReportedByNumber) {
    struct Case {
        const char* what;
        std::function<void(build::Installer&)> configure;
        std::function<void(build::InstallerFiles&)> damage;
        int code;
    };
    auto volumes = [](build::Installer& i) {
        i.layout.volumeSize = 4000;
        i.files.push_back(fileEntry("big.bin", 0, noise(5000, 31), {2021, 1, 1, 0, 0, 0}));
    };
    const std::vector<Case> cases = {
        {"a volume longer than the region's rest", volumes,
         [](build::InstallerFiles& f) { f.volumes.back().resize(f.volumes.back().size() + 16, 0); }, 50},
        {"data checksum differs", nullptr,
         [](build::InstallerFiles& f) {
             size_t section = payloadOffset(f.installer);
             writeLE32(&f.installer.at(section + 32), readLE32(&f.installer.at(section + 32)) + 1);
         },
         55},
        {"packed region that does not unpack",
         [](build::Installer& i) { i.settings.flagsLow |= flag::PackedData.bit; },
         [](build::InstallerFiles& f) { damageRegion(f.installer, [](uint8_t* r, size_t) { r[0] ^= 0xFF; }); }, 60},
        {"entry with an empty name", [](build::Installer& i) { i.files[0].name = ""; }, nullptr, 70},
        {"body that differs from its checksum", nullptr,
         [](build::InstallerFiles& f) {
             // "a.txt", zero, kind, flags, attributes: the body starts at 18.
             damageRegion(f.installer, [](uint8_t* r, size_t) { r[18] ^= 0x20; });
         },
         100},
        {"kind 2 without a destination", [](build::Installer& i) { i.files[0].kind = 2; }, nullptr, 110},
    };
    Bytes stub = readBytes(e2e::stubExe(true));
    for (size_t n = 0; n < cases.size(); ++n) {
        const Case& c = cases[n];
        SCOPED_TRACE(c.what);
        build::Installer installer = product("Widget");
        installer.settings.flagsLow = flag::NoBackgroundWindow.bit;
        installer.files.push_back(fileEntry("a.txt", 0, bytesOf("alpha"), {2021, 1, 1, 0, 0, 0}));
        if (c.configure) c.configure(installer);
        build::InstallerFiles files = build::makeInstallerFiles(installer, stub, payload::kBuilderVersion);
        if (c.damage) c.damage(files);
        const std::string path = "C:\\damaged" + std::to_string(n) + "\\setup.exe";
        ASSERT_TRUE(writeBytes(host(path), files.installer));
        for (size_t v = 0; v < files.volumes.size(); ++v)
            ASSERT_TRUE(writeBytes(host(windowsDirOf(path) + "\\WIDGET" + std::to_string(v + 2) + ".TAV"), files.volumes[v]));

        e2e::RobotRun run = runSetup("/a", path);
        expectEndedByItself(run);
        std::vector<e2e::Dialog> boxes = messageBoxes(run);
        ASSERT_EQ(boxes.size(), 1u) << run.describe();
        EXPECT_EQ(boxes[0].caption, "FATAL ERROR");
        char expected[64];
        std::snprintf(expected, sizeof expected, kCorruptFormat, c.code);
        EXPECT_EQ(boxes[0].message(), expected) << run.describe();
    }
}

}  // namespace
