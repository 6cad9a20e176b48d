// The system-integration steps of whole installations under wine64: the
// batch texts with their SET lines, the PATH line of autoexec.bat, the shell
// links and where they go, the product's keys and the file associations with
// the backup of what they replaced.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
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
using e2e::kQuietScript;
using e2e::messageBoxes;
using e2e::readBytes;
using e2e::readText;
using e2e::writeBytes;

namespace fs = std::filesystem;
namespace flag = payload::flag;
using Bytes = std::vector<uint8_t>;
using Lines = std::vector<std::string>;

const char kSetup[] = "C:\\tavo\\setup.exe";
const char kDir[] = "C:\\Program Files\\Acme\\Widget";


// The lines of a CR LF text; the text after the last line break is the last line.
Lines crlfLines(const std::string& text) {
    Lines lines;
    size_t start = 0;
    for (size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2)
        lines.push_back(text.substr(start, at - start));
    lines.push_back(text.substr(start));
    return lines;
}

std::string lower(std::string text) {
    for (char& c : text) c = (char)std::tolower((unsigned char)c);
    return text;
}

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

build::Installer product(const std::string& name) {
    build::Installer installer;
    build::Settings& s = installer.settings;
    s.flagsLow = flag::KeepUninstallRecord.bit | flag::AlwaysWriteLog.bit | flag::NoBackgroundWindow.bit |
                 flag::DetailedLog.bit;
    s.publisher = "Acme";
    s.productName = name;
    s.displayVersion = "1.0";
    s.defaultInstallDir = "Acme\\" + name;
    s.productStartMenu = "Acme\\" + name;
    s.uninstallSubdir = "Uninstall";
    s.volumeBaseName = "WIDGET";
    s.uninstallerName = "Uninstal.exe";
    s.buildTime = {2024, 5, 17, 12, 30, 0};
    s.languages = {"English"};
    for (const std::string& text : build::defaultStringTable()) s.strings.push_back({text});
    return installer;
}

build::FileEntry fileEntry(const std::string& name, uint32_t kind, uint32_t flags = 0,
                           const std::string& shortcutName = "") {
    build::FileEntry file;
    file.name = name;
    file.kind = kind;
    file.flags = flags;
    file.body = bytesOf("body of " + name);
    file.modified = {2021, 1, 1, 0, 0, 0};
    file.firstText = shortcutName;
    return file;
}

class Integration : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(e2e::requireRobotStubAndPrefix(prefix));
    }

    // Makes the installer with the builder's library and runs it with /a;
    // the run must end by itself without a single box.
    void install(const build::Installer& installer) {
        std::ifstream stubFile(e2e::stubExe(true), std::ios::binary);
        Bytes stub((std::istreambuf_iterator<char>(stubFile)), {});
        build::InstallerFiles files = build::makeInstallerFiles(installer, stub, payload::kBuilderVersion);
        fs::create_directories(fs::path(host(kSetup)).parent_path());
        std::ofstream out(host(kSetup), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(files.installer.data()), (std::streamsize)files.installer.size());
        out.close();
        e2e::RobotRun run = prefix.runRobot(std::string(kSetup) + " /a", kQuietScript, 30000);
        ASSERT_TRUE(run.ok()) << run.describe();
        EXPECT_FALSE(run.transcript.timedOut) << run.describe();
        EXPECT_EQ(run.transcript.exitCode, 1) << run.describe();
        for (const e2e::Dialog& d : run.transcript.dialogs)
            EXPECT_FALSE(d.control(e2e::kMessageTextId)) << run.describe();
    }

    std::string host(const std::string& windowsPath) const { return prefix.unixPath(windowsPath); }
    std::string installed(const std::string& name) const { return readText(host(std::string(kDir) + "\\" + name)); }

    // The default value of a class-root key, or "<missing>".
    std::string classDefault(const std::string& key, const std::string& name = "") const {
        std::optional<e2e::RegValue> value = prefix.regQuery("HKCR\\" + key, name);
        return value ? value->data : "<missing>";
    }

    e2e::WinePrefix prefix;
};

// --- Batch texts and the PATH ---------------------------------------------------------

const char* const kSetNames[] = {
    "SharedDir",     "InstallerFilepath", "InstallerDir",   "InstallerFilename", "InstallerDrive",
    "SystemDir",     "DeviceDir",         "MediaDir",       "FavoritesDir",      "FavoritesAllDir",
    "FontDir",       "DesktopDir",        "DesktopAllDir",  "DocumentDir",       "DocumentAllDir",
    "ProgramsDir",   "StartMenuDir",      "StartMenuAllDir", "SMProgramsDir",    "SMProgramsAllDir",
    "StartupDir",    "StartupAllDir",     "BootDrive",      "CommonDir"};

TEST_F(Integration, BatchTextSetsEveryVariableAndLosesItsPauseInAutomaticMode) {
    build::Installer installer = product("Widget");
    // The batch copies itself while it runs: the only way to see its text.
    installer.settings.installBatchAfter =
        "copy TAVOBAT.BAT batch-copy.txt >NUL\nSET > env.txt\n  @ Pause \nREM PAUSE\npause >NUL\n";
    installer.files.push_back(fileEntry("app.txt", 0));
    install(installer);

    Lines batch = crlfLines(installed("batch-copy.txt"));
    // The last line ends in CR LF too, which leaves an empty line after it.
    ASSERT_EQ(batch.size(), 3u + 24u + 4u + 1u) << installed("batch-copy.txt");
    EXPECT_EQ(batch[0], "@echo off");
    EXPECT_EQ(batch[1], std::string("SET InstallDir=") + kDir);
    EXPECT_EQ(batch[2], "SET InstallDrive=C:");
    for (size_t i = 0; i < 24; ++i) {
        EXPECT_EQ(batch[3 + i].rfind(std::string("SET ") + kSetNames[i] + "=", 0), 0u) << batch[3 + i];
    }
    EXPECT_EQ(batch[4], "SET InstallerFilepath=C:\\tavo\\setup.exe");
    EXPECT_EQ(batch[5], "SET InstallerDir=C:\\tavo");
    EXPECT_EQ(batch[6], "SET InstallerFilename=setup.exe");
    EXPECT_EQ(batch[7], "SET InstallerDrive=C:");
    EXPECT_EQ(lower(batch[8]), "set systemdir=c:\\windows\\system32");
    EXPECT_EQ(batch[25], "SET BootDrive=C:");
    // The commands with Unix line ends made CR LF, the PAUSE line dropped.
    Lines commands(batch.begin() + 27, batch.end());
    EXPECT_EQ(commands,
              (Lines{"copy TAVOBAT.BAT batch-copy.txt >NUL", "SET > env.txt", "REM PAUSE", "pause >NUL", ""}));

    // Every assignment reached the command interpreter's environment.
    std::string environment = lower(installed("env.txt"));
    for (size_t i = 1; i < 27; ++i) {
        std::string assignment = lower(batch[i].substr(4));
        if (assignment.back() == '=') continue;  // an empty value is no variable
        EXPECT_NE(environment.find(assignment + "\r\n"), std::string::npos) << assignment;
    }
    EXPECT_FALSE(fs::exists(host(std::string(kDir) + "\\TAVOBAT.BAT"))) << "deleted after the run";
}

TEST_F(Integration, PathLineIsAddedOnce) {
    const std::string autoexec = host("C:\\autoexec.bat");
    fs::remove(autoexec);
    build::Installer installer = product("Widget");
    installer.settings.flagsLow |= flag::AddToPath.bit;
    installer.files.push_back(fileEntry("app.txt", 0));
    install(installer);

    // A missing file is made with an empty first line; the path is the short form.
    std::string text = readText(autoexec);
    std::smatch match;
    ASSERT_TRUE(std::regex_match(text, match, std::regex("\r\nPATH=%PATH%;([^ \r\n]+)\r\n"))) << text;
    EXPECT_TRUE(endsWith(lower(match[1].str()), "\\acme\\widget")) << text;

    install(installer);  // the reinstallation finds the line and leaves it
    EXPECT_EQ(readText(autoexec), text);
}

TEST_F(Integration, UnopenableAutoexecIsReportedWithTheLongDirectory) {
    fs::remove(host("C:\\autoexec.bat"));
    fs::create_directories(host("C:\\autoexec.bat"));  // a folder cannot be opened as the file
    build::Installer installer = product("Widget");
    installer.settings.flagsLow |= flag::AddToPath.bit;
    installer.files.push_back(fileEntry("app.txt", 0));
    install(installer);

    std::string log = readText(host(std::string(kDir) + "\\Uninstall\\Install.LOG"));
    EXPECT_NE(log.find(std::string("\r\nUnable to modify C:\\autoexec.bat.  You will need to manually add ") + kDir +
                       " to the PATH environment variable.\r\n"),
              std::string::npos)
        << log;
}

// Each batch appends its name, then what of the installation it finds: the
// order of the lines and what each one saw place the three batches.
TEST_F(Integration, InstallBatchesRunBeforeTheFilesAfterTheRecordAndAtTheEnd) {
    const std::string uninstallDir = "%InstallDir%\\Uninstall";
    auto probe = [&](const std::string& batch) {
        return "echo " + batch + ">>C:\\batches.txt\n" +
               "if exist \"%InstallDir%\\app.txt\" echo " + batch + " file>>C:\\batches.txt\n" +
               "if exist \"" + uninstallDir + "\\Uninstall.DAT\" echo " + batch + " record>>C:\\batches.txt\n" +
               "if exist \"" + uninstallDir + "\\Install.LOG\" echo " + batch + " log>>C:\\batches.txt\n";
    };
    fs::remove(host("C:\\batches.txt"));
    build::Installer installer = product("Widget");
    installer.settings.installBatchBefore = probe("before");
    installer.settings.installBatchAfter = probe("after");
    installer.settings.installBatchLast = probe("last");
    installer.files.push_back(fileEntry("app.txt", 0));
    install(installer);

    EXPECT_EQ(crlfLines(readText(host("C:\\batches.txt"))),
              (Lines{"before", "after", "after file", "after record", "last", "last file", "last record", "last log",
                     ""}));
}

// --- Shortcuts --------------------------------------------------------------------------------

// The lines of Uninstall.DAT before its [Strings] section that name a link.
Lines recordedLinks(const std::string& data) {
    Lines links;
    for (const std::string& line : crlfLines(data.substr(0, data.find("[Strings]"))))
        if (endsWith(lower(line), ".lnk")) links.push_back(line);
    return links;
}

bool isShellLink(const std::string& bytes) { return bytes.size() > 4 && bytes.compare(0, 4, "L\0\0\0", 4) == 0; }

TEST_F(Integration, ShortcutsGoWhereTheyAreAskedAndAreRecorded) {
    build::Installer installer = product("Widget");
    installer.settings.flagsLow |= flag::UninstallerStartMenuShortcut.bit;
    installer.settings.flagsHigh |= flag::UninstallerShortcutInUninstallDir.bit;
    installer.files.push_back(fileEntry("app.exe", 0, payload::kEntryDesktopShortcut | payload::kEntryStartMenuShortcut,
                                        "App"));
    installer.files.push_back(fileEntry("readme.txt", 0, payload::kEntryDesktopShortcut, "Readme.txt"));
    installer.files.push_back(fileEntry("tool.exe", 5, 0, "Tool"));
    installer.files.push_back(fileEntry("quiet.exe", 0, payload::kEntryStartMenuShortcut | payload::kEntryNotRecorded,
                                        "Quiet"));
    install(installer);

    const std::string uninstallDir = std::string(kDir) + "\\Uninstall";
    std::string removeText = build::defaultString(33);
    for (size_t at; (at = removeText.find("<product>")) != std::string::npos;) removeText.replace(at, 9, "Widget");
    Lines links = recordedLinks(readText(host(uninstallDir + "\\Uninstall.DAT")));
    // In the order made: per file desktop, start menu, start-up; then the uninstaller's.
    const std::vector<std::string> ends = {
        "\\desktop\\app.lnk",
        "\\start menu\\programs\\acme\\widget\\app.lnk",
        "\\desktop\\readme.txt.lnk",
        "\\start menu\\programs\\startup\\tool.lnk",
        lower("\\start menu\\programs\\acme\\widget\\" + removeText + ".lnk"),
        lower(uninstallDir + "\\" + removeText + ".lnk"),
    };
    ASSERT_EQ(links.size(), ends.size()) << readText(host(uninstallDir + "\\Uninstall.DAT"));
    for (size_t i = 0; i < ends.size(); ++i) {
        EXPECT_TRUE(endsWith(lower(links[i]), ends[i])) << links[i];
        EXPECT_TRUE(isShellLink(readText(host(links[i])))) << links[i];
    }
    EXPECT_EQ(lower(links[0]).find("\\users\\public\\"), std::string::npos) << "the user's folders, not all users'";

    // The link that is not recorded is made all the same.
    std::string startMenu = links[1].substr(0, links[1].rfind('\\'));
    EXPECT_TRUE(isShellLink(readText(host(startMenu + "\\Quiet.LNK"))));

    std::string log = readText(host(uninstallDir + "\\Install.LOG"));
    EXPECT_NE(log.find("\r\nDesktop Shortcut(App) -> " + links[0] + "\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("\r\nStart Menu Shortcut(App) -> " + links[1] + "\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("\r\nStartup Shortcut(Tool) -> " + links[3] + "\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("\r\nUninstaller Shortcut -> " + links[5] + "\r\n"), std::string::npos) << log;
    EXPECT_TRUE(endsWith(log, "\r\nInstallation Complete\r\n\r\n")) << log;
}

TEST_F(Integration, DesktopFolderIsMadeAndRecordedOnce) {
    build::Installer installer = product("Widget");
    installer.settings.desktopFolder = "Acme Tools";
    installer.files.push_back(fileEntry("one.exe", 0, payload::kEntryDesktopShortcut, "One"));
    installer.files.push_back(fileEntry("two.exe", 0, payload::kEntryDesktopShortcut, "Two"));
    install(installer);

    std::string data = readText(host(std::string(kDir) + "\\Uninstall\\Uninstall.DAT"));
    Lines links = recordedLinks(data);
    ASSERT_EQ(links.size(), 2u) << data;
    const std::string folder = links[0].substr(0, links[0].rfind('\\'));
    EXPECT_TRUE(endsWith(lower(folder), "\\desktop\\acme tools")) << folder;
    EXPECT_EQ(links[1], folder + "\\Two.LNK");
    size_t first = data.find("~" + folder + "\r\n");
    EXPECT_NE(first, std::string::npos) << data;
    EXPECT_EQ(data.find("~" + folder + "\r\n", first + 1), std::string::npos) << data;
    for (const std::string& link : links) EXPECT_TRUE(isShellLink(readText(host(link)))) << link;
    std::string log = readText(host(std::string(kDir) + "\\Uninstall\\Install.LOG"));
    EXPECT_NE(log.find("\r\nDesktop Folder Shortcut(One) -> " + links[0] + "\r\n"), std::string::npos) << log;
}

// A link read back through the shell's link object: target, arguments and
// working directory, or the reader's failure.
Lines readLink(e2e::WinePrefix& prefix, const std::string& link) {
    const std::string out = "C:\\link-read.txt";
    fs::remove(prefix.unixPath(out));
    e2e::ProcessResult read = prefix.wine({TAVO_E2E_READ_LINK_EXE, link, out});
    if (read.exitCode != 0) return {"read_link failed: " + std::to_string(read.exitCode), read.output};
    return crlfLines(readText(prefix.unixPath(out)));
}

TEST_F(Integration, ShortcutsStartTheirTargetWithArgumentsInTheInstallDirectory) {
    ASSERT_TRUE(fs::exists(TAVO_E2E_READ_LINK_EXE)) << TAVO_E2E_READ_LINK_EXE;
    build::Installer installer = product("Widget");
    installer.settings.flagsLow |= flag::UninstallerStartMenuShortcut.bit;
    build::FileEntry app = fileEntry("app.exe", 0, payload::kEntryDesktopShortcut, "App");
    app.shortcutArguments = "--open \"%InstallDir%\\data.txt\"";
    installer.files.push_back(app);
    installer.files.push_back(fileEntry("plain.exe", 0, payload::kEntryStartMenuShortcut, "Plain"));
    install(installer);

    Lines links = recordedLinks(readText(host(std::string(kDir) + "\\Uninstall\\Uninstall.DAT")));
    ASSERT_EQ(links.size(), 3u);
    const std::string dir = kDir;
    EXPECT_EQ(readLink(prefix, links[0]), (Lines{dir + "\\app.exe", "--open \"" + dir + "\\data.txt\"", dir, ""}));
    EXPECT_EQ(readLink(prefix, links[1]), (Lines{dir + "\\plain.exe", "", dir, ""}));
    // The uninstaller's link names the product and has no working directory.
    EXPECT_EQ(readLink(prefix, links[2]), (Lines{dir + "\\Uninstall\\Uninstal.exe", "/u:\"Widget\"", "", ""}));
}

// --- Registry keys and associations ---------------------------------------------------------

TEST_F(Integration, AssociationOverAnExistingTypeKeepsABackup) {
    e2e::ProcessResult seeded = prefix.wine({"reg", "add", "HKCR\\.wid", "/ve", "/d", "OldType", "/f"});
    ASSERT_EQ(seeded.exitCode, 0) << seeded.output;

    build::Installer installer = product("Widget");
    installer.settings.productRegistry = "Acme\\Widget";
    build::FileAssociation widget;
    widget.flags = payload::kAssociationDefaultVerb;
    widget.extension = "wid";
    widget.typeName = "Widget.Doc";
    widget.description = "Widget document";
    widget.verb = "open";
    widget.verbCaption = "&Open";
    widget.command = "\"%InstallDir%\\app.exe\" \"%1\"";
    widget.icon = "%InstallDir%\\app.exe,0";
    build::FileAssociation otherLanguage = widget;
    otherLanguage.extension = ".skip";
    otherLanguage.language = "Deutsch";
    build::FileAssociation unknownWithoutType;
    unknownWithoutType.extension = ".nothere";
    unknownWithoutType.verb = "open";
    unknownWithoutType.command = "x";
    installer.settings.fileAssociations = {widget, otherLanguage, unknownWithoutType};
    installer.files.push_back(fileEntry("app.exe", 0));
    install(installer);

    const std::string app = std::string(kDir) + "\\app.exe";
    EXPECT_EQ(classDefault(".wid"), "Widget.Doc");
    EXPECT_EQ(classDefault(".wid", "Widget Backup"), "OldType");
    EXPECT_EQ(classDefault("Widget.Doc"), "Widget document");
    EXPECT_EQ(classDefault("Widget.Doc\\DefaultIcon"), app + ",0");
    EXPECT_EQ(classDefault("Widget.Doc\\shell"), "open");
    EXPECT_EQ(classDefault("Widget.Doc\\shell\\open"), "&Open");
    EXPECT_EQ(classDefault("Widget.Doc\\shell\\open\\command"), "\"" + app + "\" \"%1\"");
    EXPECT_EQ(classDefault("Widget.Doc", "Widget Backup"), "<missing>") << "nothing was there to keep";
    EXPECT_FALSE(prefix.regKeyExists("HKCR\\.skip"));
    EXPECT_FALSE(prefix.regKeyExists("HKCR\\.nothere"));

    std::string data = readText(host(std::string(kDir) + "\\Uninstall\\Uninstall.DAT"));
    EXPECT_NE(data.find("\r\n[Associations]\r\n.wid~!~Widget.Doc~!~open\r\n"), std::string::npos) << data;
    EXPECT_EQ(data.find(".skip"), std::string::npos) << data;
    EXPECT_EQ(data.find(".nothere"), std::string::npos) << data;
    std::string log = readText(host(std::string(kDir) + "\\Uninstall\\Install.LOG"));
    EXPECT_TRUE(endsWith(log, "\r\nInstallation Complete\r\n\r\n")) << log;

    // The product's own keys, empty, under the machine and the user.
    EXPECT_TRUE(prefix.regKeyExists("HKLM\\Software\\Acme\\Widget"));
    EXPECT_TRUE(prefix.regKeyExists("HKCU\\Software\\Acme\\Widget"));
}

// --- COM servers and type libraries ----------------------------------------------------------

// The ids of fixtures/tavo_typelib.idl.
const char kFixtureLibrary[] = "{6F1C2A3E-5B7D-4E21-9A0C-3D8E7F4B2A11}";
const char kFixtureInterface[] = "{6F1C2A3E-5B7D-4E21-9A0C-3D8E7F4B2A12}";

Bytes hostBytes(const std::string& path) {
    std::string text = readText(path);
    return Bytes(text.begin(), text.end());
}

TEST_F(Integration, ComServersAndTypeLibrariesAreRegisteredAndLogged) {
    const std::string system = "C:\\windows\\system32\\";
    build::Installer installer = product("Widget");
    std::vector<build::FileEntry>& f = installer.files;
    f.push_back(fileEntry("tavo_com.dll", 7));
    f.back().body = hostBytes(TAVO_E2E_COM_SERVER_DLL);
    f.push_back(fileEntry("tavo_plain.dll", 7));  // loads, but registers nothing
    f.back().body = hostBytes(std::string(TAVO_E2E_FIXTURE_DIR) + "/version_fixture_2_0.dll");
    f.push_back(fileEntry("tavo_text.dll", 7));   // no library at all
    f.push_back(fileEntry("tavo_fixture.tlb", 8));
    f.back().body = hostBytes(TAVO_E2E_TYPELIB_TLB);
    f.push_back(fileEntry("tavo_broken.tlb", 8));
    for (const build::FileEntry& file : f) ASSERT_FALSE(file.body.empty()) << file.name;
    install(installer);

    std::string log = readText(host(std::string(kDir) + "\\Uninstall\\Install.LOG"));
    const std::string com = "Registering COM File \"" + system;
    EXPECT_NE(log.find("\r\n" + com + "tavo_com.dll\"...OK\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("\r\n" + com + "tavo_plain.dll\"...GetProcAddress() Failed\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("\r\n" + com + "tavo_text.dll\"...LoadLibrary() Failed\r\n"), std::string::npos) << log;
    const std::string library = "Registering Type Library \"" + system;
    EXPECT_NE(log.find("\r\n" + library + "tavo_fixture.tlb\"...OK\r\n"), std::string::npos) << log;
    // A failed library: FAILED, then the system's text for the last error on
    // a line of its own (empty here: Wine's LoadTypeLib leaves no last error).
    EXPECT_NE(log.find("\r\n" + library + "tavo_broken.tlb\"...FAILED\r\n"), std::string::npos) << log;
    // Registration failures stay in the log; the installation counts as clean.
    EXPECT_TRUE(endsWith(log, "\r\nInstallation Complete\r\n\r\n")) << log;

    std::optional<e2e::RegValue> trace = prefix.regQuery("HKCU\\Software\\TavoComFixture", "Registered");
    ASSERT_TRUE(trace) << "DllRegisterServer was not called";
    EXPECT_EQ(lower(trace->data), lower(system + "tavo_com.dll"));

    // The library's keys, read back: its version with the help string, the
    // file for the 64-bit system kind, and its automation interface.
    const std::string typeLib = "TypeLib\\" + std::string(kFixtureLibrary) + "\\1.2";
    EXPECT_EQ(classDefault(typeLib, ""), "Tavo fixture type library");
    EXPECT_EQ(lower(classDefault(typeLib + "\\0\\win64", "")), lower(system + "tavo_fixture.tlb"));
    const std::string face = "Interface\\" + std::string(kFixtureInterface);
    EXPECT_EQ(classDefault(face, ""), "ITavoFixture");
    EXPECT_EQ(lower(classDefault(face + "\\TypeLib", "")), lower(kFixtureLibrary));
    EXPECT_EQ(classDefault(face + "\\TypeLib", "Version"), "1.2");
}

// --- Fonts -----------------------------------------------------------------------------------

TEST_F(Integration, FontIsEnteredInTheFontList) {
    build::Installer installer = product("Widget");
    installer.files.push_back(fileEntry("tavo_font.ttf", 4, 0, "Tavo Sans (TrueType)"));
    install(installer);

    EXPECT_EQ(readText(host("C:\\windows\\Fonts\\tavo_font.ttf")), "body of tavo_font.ttf");
    std::optional<e2e::RegValue> value =
        prefix.regQuery("HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", "Tavo Sans (TrueType)");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->type, "REG_SZ");
    EXPECT_EQ(value->data, "tavo_font.ttf") << "the file name alone";
}

// --- Restart ---------------------------------------------------------------------------------

// A held shared file waits for the restart; in automatic mode the installer
// then asks, without a question, for the session to end with a restart. In
// the test's own prefix Wine answers that with its restart, which works
// through the waiting replacements and clears their list (the file itself
// stays old: it is still held then). Without the request the list stays
// until the next start of the prefix (see the installation tests).
TEST_F(Integration, AutomaticModeRestartsWhenAFileWaitsForTheRestart) {
    ASSERT_TRUE(fs::exists(TAVO_E2E_HOLD_FILE_EXE)) << TAVO_E2E_HOLD_FILE_EXE;
    const std::string held = "C:\\Shared\\held.dat", ready = "C:\\hold-ready", release = "C:\\hold-release";
    ASSERT_TRUE(writeBytes(host(held), bytesOf("old")));
    fs::last_write_time(host(held), fs::file_time_type::clock::now() - std::chrono::hours(24 * 365 * 10));
    build::Installer installer = product("Widget");
    installer.settings.sharedPath = "C:\\Shared";
    installer.files.push_back(fileEntry("held.dat", 1));
    std::ifstream stubFile(e2e::stubExe(true), std::ios::binary);
    Bytes stub((std::istreambuf_iterator<char>(stubFile)), {});
    ASSERT_TRUE(writeBytes(host(kSetup), build::makeInstallerFiles(installer, stub, payload::kBuilderVersion).installer));

    // The run has no box in automatic mode, so it needs no robot (which the
    // ending session would take down with it).
    e2e::ProcessResult holder;
    std::thread holding([&] { holder = prefix.wine({TAVO_E2E_HOLD_FILE_EXE, held, ready, release}, 90); });
    for (int i = 0; i < 600 && !fs::exists(host(ready)); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const bool isHeld = fs::exists(host(ready));
    e2e::ProcessResult setupRun;
    if (isHeld) setupRun = prefix.wine({kSetup, "/a"}, 60);
    std::this_thread::sleep_for(std::chrono::seconds(3));  // the restart runs on after the installer has ended
    writeBytes(host(release), {});
    holding.join();
    ASSERT_TRUE(isHeld) << holder.output;
    EXPECT_EQ(setupRun.exitCode, 1) << setupRun.output;

    std::string log = readText(host(std::string(kDir) + "\\Uninstall\\Install.LOG"));
    ASSERT_NE(log.find("\"" + held + "\" has been successfully registered for replacement.\r\n"), std::string::npos)
        << log;
    // Read from the saved hive: starting Wine again would restart it too.
    prefix.stopServer();
    std::string machine = readText(prefix.dir() + "/system.reg");
    ASSERT_FALSE(machine.empty());
    EXPECT_EQ(lower(machine).find("pendingfilerenameoperations"), std::string::npos) << "no restart was carried out";
}

}  // namespace
