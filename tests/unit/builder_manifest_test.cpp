// The manifest reader: what each key becomes, and one clear message per
// mistake naming the file, the line, the key and the problem.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <utime.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "builder/default_strings.h"
#include "builder/manifest.h"
#include "builder/manifest_names.h"
#include "payload/format.h"

namespace {

namespace fs = std::filesystem;

class BuilderManifest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tavo-manifest-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    void writeFile(const std::string& name, const std::string& bytes) {
        fs::create_directories((dir_ / name).parent_path());
        std::ofstream(dir_ / name, std::ios::binary) << bytes;
    }
    build::Manifest read(const std::string& text) {
        writeFile("setup.toml", text);
        return build::readManifest(dir_ / "setup.toml", "setup.toml");
    }
    std::string errorOf(const std::string& text) {
        try {
            read(text);
        } catch (const build::ManifestError& e) {
            return e.what();
        }
        return "(no error)";
    }

    fs::path dir_;
};

constexpr char kProduct[] = "[product]\nname = \"Widget\"\n";

TEST_F(BuilderManifest, MinimalManifestGetsTheDefaults) {
    build::Manifest m = read(kProduct);
    const build::Settings& s = m.installer.settings;
    EXPECT_EQ("Widget", s.productName);
    EXPECT_EQ(0u, s.flagsLow);
    EXPECT_EQ("Uninstall.exe", s.uninstallerName);
    EXPECT_EQ("Setup", s.volumeBaseName);
    EXPECT_EQ(std::vector<std::string>{"English"}, s.languages);
    ASSERT_EQ(size_t(build::kDefaultStringCount), s.strings.size());
    EXPECT_EQ("<product> Setup", s.strings[0][0]);
    EXPECT_FALSE(m.buildTime);
    EXPECT_TRUE(m.installer.files.empty());
}

TEST_F(BuilderManifest, EverySettingsFieldHasAKey) {
    writeFile("art/bg.bmp", std::string("BM") + std::string(12, '\0') + std::string("\x28\0\0\0", 4) + std::string(36, 'x'));
    writeFile("before.bat", "echo one\necho two\n");
    writeFile("licence.txt", "Caf\xC3\xA9 terms\n");
    writeFile("patch.bin", "PATCH");
    build::Manifest m = read(R"(
codepage = "CP1252"
flags = ["uninstall-record", "packed-data", "requires-master-product", "maximised-background"]
min-step-time = 250
build-time = 2024-05-31T12:34:56
shortcuts = "all-users"
excluded-systems = ["win95", "nt4"]
[product]
name = "Widget"
publisher = "Acme"
version = "2.1"
registry-key = "Acme\\Widget"
uninstall-name = "Widget 2"
master-product = "Gadget"
[directories]
install = "%ProgramsDir%\\Acme\\Widget"
shared = "Acme Shared"
start-menu = "Acme\\Widget"
desktop-folder = "Acme"
uninstall-subdir = "Uninst"
uninstaller-name = "Remove.exe"
[appearance]
title-color = "#102030"
title-shadow = false
top-color = "#A0B0C0"
bottom-color = "#000001"
background-bitmap = "art/bg.bmp"
bitmap-size = 50
[texts]
licence = ["licence.txt", { text = "Second\nlicence" }]
readme = [{ text = "Read me" }]
[batch]
before-install = { file = "before.bat" }
after-install = "echo after"
at-end = "echo end"
uninstall-first = "echo u1"
uninstall-last = "echo u2"
[layout]
data-in-file = true
volume-size = "1K"
volume-base-name = "WIDGET"
first-volume-id = 77
pack-level = 5
[uninstaller-patch]
offset = 64
file = "patch.bin"
[[delete]]
spec = "%InstallDir%\\*.tmp"
condition = "size-at-least"
argument = "1,024"
at-restart = true
[[associations]]
extension = ".wdg"
type = "Widget.Doc"
command = "\"%InstallDir%\\w.exe\" \"%1\""
default-verb = true
[[uninstall-values]]
name = "HelpLink"
type = "expand-string"
value = "%InstallDir%\\help.htm"
[strings]
0 = "Widget Installer"
100 = "Extra"
[[languages]]
name = "Deutsch"
[languages.strings]
0 = "Widget-Installation"
)");
    const build::Settings& s = m.installer.settings;
    EXPECT_EQ(payload::flag::KeepUninstallRecord.bit | payload::flag::PackedData.bit |
                  payload::flag::RequiresMasterProduct.bit, s.flagsLow);
    EXPECT_EQ(payload::flag::MaximisedBackground.bit, s.flagsHigh);
    EXPECT_EQ(250, s.minStepTime);
    ASSERT_TRUE(m.buildTime);
    EXPECT_EQ(2024, m.buildTime->year);
    EXPECT_EQ(56, m.buildTime->second);
    EXPECT_EQ(1, s.shortcutMode);
    EXPECT_EQ(0x4u | 0x40u, s.excludedSystems);
    EXPECT_EQ("Acme", s.publisher);
    EXPECT_EQ("2.1", s.displayVersion);
    EXPECT_EQ("Acme\\Widget", s.productRegistry);
    EXPECT_EQ("Widget 2", s.uninstallName);
    EXPECT_EQ("Gadget", s.masterProductName);
    EXPECT_EQ("%ProgramsDir%\\Acme\\Widget", s.defaultInstallDir);
    EXPECT_EQ("Acme Shared", s.sharedPath);
    EXPECT_EQ("Acme\\Widget", s.productStartMenu);
    EXPECT_EQ("Acme", s.desktopFolder);
    EXPECT_EQ("Uninst", s.uninstallSubdir);
    EXPECT_EQ("Remove.exe", s.uninstallerName);
    EXPECT_EQ(0x302010u, s.titleColor);
    EXPECT_EQ(0, s.titleShadow);
    EXPECT_EQ(0xC0B0A0u, s.topColor);
    EXPECT_EQ(0x010000u, s.bottomColor);
    EXPECT_EQ(40u, s.backgroundBitmap.size());  // the file without its 14-byte header
    EXPECT_EQ(50, s.bitmapSize);
    EXPECT_EQ((std::vector<std::string>{"Caf\xE9 terms\r\n", "Second\r\nlicence"}), s.licenceTexts);
    EXPECT_EQ(std::vector<std::string>{"Read me"}, s.readmeTexts);
    EXPECT_EQ("echo one\r\necho two\r\n", s.installBatchBefore);
    EXPECT_EQ("echo after", s.installBatchAfter);
    EXPECT_EQ("echo end", s.installBatchLast);
    EXPECT_EQ("echo u1", s.uninstallBatch1);
    EXPECT_EQ("echo u2", s.uninstallBatch2);
    EXPECT_TRUE(m.installer.layout.dataInFile);
    EXPECT_EQ(1, s.dataInFile);
    EXPECT_EQ(1024, m.installer.layout.volumeSize);
    EXPECT_EQ(5, m.installer.layout.packLevel);
    EXPECT_EQ("WIDGET", s.volumeBaseName);
    EXPECT_EQ(77u, s.firstVolumeId);
    EXPECT_EQ(64, s.uninstallerPatchOffset);
    EXPECT_EQ((std::vector<uint8_t>{'P', 'A', 'T', 'C', 'H'}), s.uninstallerPatch);
    ASSERT_EQ(1u, s.fileDeletions.size());
    EXPECT_EQ(5, s.fileDeletions[0].condition);
    EXPECT_EQ("1,024", s.fileDeletions[0].argument);
    EXPECT_EQ(payload::kDeletionAtRestart, s.fileDeletions[0].flags);
    ASSERT_EQ(1u, s.fileAssociations.size());
    EXPECT_EQ("open", s.fileAssociations[0].verb);
    EXPECT_EQ(payload::kAssociationDefaultVerb, s.fileAssociations[0].flags);
    ASSERT_EQ(1u, s.uninstallValues.size());
    EXPECT_EQ(2, s.uninstallValues[0].type);

    EXPECT_EQ((std::vector<std::string>{"English", "Deutsch"}), s.languages);
    ASSERT_EQ(101u, s.strings.size());
    EXPECT_EQ((std::vector<std::string>{"Widget Installer", "Widget-Installation"}), s.strings[0]);
    EXPECT_EQ((std::vector<std::string>{"Extra", "Extra"}), s.strings[100]);   // falls back to English
    EXPECT_EQ(s.strings[13][0], s.strings[13][1]);
    EXPECT_EQ((std::vector<std::string>{"", ""}), s.strings[99]);
}

// Each language's texts are stored in that language's code page.
TEST_F(BuilderManifest, LanguagesUseTheirOwnCodepage) {
    build::Manifest m = read(std::string(kProduct) +
                             "[[languages]]\nname = \"\xD0\xA0\xD1\x83\xD1\x81\"\ncodepage = \"CP1251\"\n"
                             "[languages.strings]\n0 = \"\xD0\xAF\"\n");
    const build::Settings& s = m.installer.settings;
    ASSERT_EQ(2u, s.languages.size());
    EXPECT_EQ("\xD0\xF3\xF1", s.languages[1]);
    EXPECT_EQ("\xDF", s.strings[0][1]);
}

TEST_F(BuilderManifest, FilesComeFromGlobsInSortedOrder) {
    writeFile("bin/b.dll", "BB");
    writeFile("bin/a.dll", "A");
    writeFile("bin/readme.txt", "R");
    writeFile("bin/sub/c.dll", "C");  // not matched by *.dll in bin/
    struct utimbuf times = {0, 1700000000};  // 2023-11-14 22:13:20 UTC
    ASSERT_EQ(0, utime((dir_ / "bin/a.dll").c_str(), &times));
    build::Manifest m = read(std::string(kProduct) + R"(
[[files]]
source = "bin/*.dll"
kind = "com-server"
version = "1.2.3.4"
attributes = ["read-only", "hidden"]
remove-on-uninstall = false
install = "only-if-absent"
[[files]]
source = "bin/readme.txt"
name = "README.TXT"
kind = 5
desktop-shortcut = true
shortcut-name = "Read me"
shortcut-icon = "icon.ico"
shortcut-arguments = "/x"
destination = "%InstallDir%\\doc\\"
modified = 2020-01-02
in-uninstall-dir = true
)");
    const auto& files = m.installer.files;
    ASSERT_EQ(3u, files.size());
    EXPECT_EQ("a.dll", files[0].name);
    EXPECT_EQ("b.dll", files[1].name);
    EXPECT_EQ(std::vector<uint8_t>{'A'}, files[0].body);
    EXPECT_EQ(7u, files[0].kind);
    EXPECT_EQ("1.2.3.4", files[0].firstText);
    EXPECT_EQ(0x3u, files[0].attributes);
    EXPECT_EQ(payload::kEntryNotRecorded | 0xCu, files[0].flags);
    EXPECT_EQ(2023, files[0].modified.year);
    EXPECT_EQ(22, files[0].modified.hour);
    EXPECT_EQ(20, files[0].modified.second);

    const build::FileEntry& r = files[2];
    EXPECT_EQ("README.TXT", r.name);
    EXPECT_EQ(5u, r.kind);
    EXPECT_EQ(payload::kEntryDesktopShortcut | payload::kEntryInUninstallDir, r.flags);
    EXPECT_EQ(payload::kAttributesUnchanged, r.attributes);
    EXPECT_EQ("Read me", r.firstText);
    EXPECT_EQ("icon.ico", r.shortcutIcon);
    EXPECT_EQ("/x", r.shortcutArguments);
    EXPECT_EQ("%InstallDir%\\doc\\", r.destination);
    EXPECT_EQ(2020, r.modified.year);
    EXPECT_EQ(-1, r.modified.hour);  // a date alone has no time
}

// Each mistake gives one message: file, line, key path, problem.
TEST_F(BuilderManifest, MistakesNameFileLineKeyAndProblem) {
    writeFile("one.txt", "1");
    writeFile("two.txt", "2");
    writeFile("bad.bmp", "not a bitmap at all, really");
    struct Case {
        std::string text;
        std::string expected;  // a regular expression for the whole message
    } cases[] = {
        {"[product]\nname = \"W\"\n[[files]]\nsource = \"one.txt\"\n[[files]]\nsource = \"two.txt\"\nkind = \"exe\"\n",
         R"(setup\.toml:7: files\[1\]\.kind: unknown name "exe"; expected one of "program", .*"type-library")"},
        {"flags = [\"uninstall-record\", \"silent\"]\n[product]\nname = \"W\"\n",
         R"(setup\.toml:1: flags: unknown flag "silent"; expected any of "no-reinstall", .*"maximised-background")"},
        {"[product]\npublisher = \"A\"\n", R"(setup\.toml:1: product\.name: missing; .*)"},
        {"[product]\nname = \"  \"\n", R"(setup\.toml:2: product\.name: the product name is blank)"},
        {"[product]\nname = \"W\"\nnmae = \"X\"\n", R"(setup\.toml:3: product\.nmae: unknown key; expected one of "name", .*)"},
        {"[product]\nname = \"W\"\n[appearance]\ntop-color = \"blue\"\n",
         R"(setup\.toml:4: appearance\.top-color: expected a colour written "#RRGGBB")"},
        {"[product]\nname = \"W\"\n[appearance]\nbitmap-size = 101\n",
         R"(setup\.toml:4: appearance\.bitmap-size: 101 is out of range; expected 0 to 100)"},
        {"[product]\nname = \"W\"\n[appearance]\nbackground-bitmap = \"bad.bmp\"\n",
         R"(setup\.toml:4: appearance\.background-bitmap: not a \.bmp file)"},
        {"[product]\nname = \"W\"\n[[files]]\nsource = \"*.exe\"\n",
         R"(setup\.toml:4: files\[0\]\.source: "\*\.exe" matches no file)"},
        {"[product]\nname = \"W\"\n[[files]]\nsource = \"*.txt\"\nname = \"x.txt\"\n",
         R"(setup\.toml:5: files\[0\]\.name: "\*\.txt" matches 2 files; a new name fits only one)"},
        {"[product]\nname = \"W\"\n[[files]]\nsource = \"one.txt\"\nkind = \"font\"\nversion = \"1\"\n",
         R"(setup\.toml:6: files\[0\]\.version: only kinds "system", "com-server" and "type-library" carry a version)"},
        {"[product]\nname = \"W\"\n[[files]]\nsource = \"one.txt\"\nkind = \"shared\"\ndesktop-shortcut = true\n",
         R"(setup\.toml:6: files\[0\]\.desktop-shortcut: only files of kind "program" or "startup" get shortcuts)"},
        {"[product]\nname = \"W\"\n[[files]]\nsource = \"one.txt\"\nattributes = [\"readonly\"]\n",
         R"(setup\.toml:5: files\[0\]\.attributes: unknown name "readonly"; expected any of "read-only", .*)"},
        {"[product]\nname = \"W\"\n[[files]]\nsource = \"one.txt\"\nkind = 2\n",
         R"(setup\.toml:5: files\[0\]\.kind: unknown value 2; expected one of .*)"},
        {"[product]\nname = \"W\"\n[texts]\nreadme = [\"missing.txt\"]\n",
         R"(setup\.toml:4: texts\.readme\[0\]: cannot read file "missing\.txt")"},
        {"[product]\nname = \"W\"\n[strings]\nabc = \"x\"\n",
         R"(setup\.toml:4: strings\.abc: string ids are numbers from 0 to 9999)"},
        {"[product]\nname = \"W\"\n[[languages]]\nname = \"English\"\n",
         R"(setup\.toml:4: languages\[0\]\.name: English is built in; override its texts in \[strings\])"},
        {"[product]\nname = \"W\"\n[layout]\nvolume-size = \"12X\"\n",
         R"(setup\.toml:4: layout\.volume-size: expected a byte count such as .*)"},
        {"[product]\nname = \"W\"\n[layout]\npack-level = 6\n",
         R"(setup\.toml:4: layout\.pack-level: 6 is out of range; expected 1 to 5)"},
        {"[product]\nname = \"W\"\nmaster-product = \"G\"\n",
         R"(setup\.toml:3: product\.master-product: only used with the flag "requires-master-product")"},
        {"[product]\nname = \"Caf\xC3\xA9 \xE2\x82\xAC \xE4\xB8\xAD\"\n",
         R"(setup\.toml:2: product\.name: the text has a character that code page CP1252 cannot hold)"},
        {"[product]\nname = \"W\"\n[[delete]]\nspec = \"*.tmp\"\ncondition = \"date-equal\"\n",
         R"(setup\.toml:5: delete\[0\]\.condition: this condition compares with "argument" .*)"},
        {"min-step-time = 10000\n[product]\nname = \"W\"\n",
         R"(setup\.toml:1: min-step-time: 10000 is out of range; expected 0 to 9999)"},
        {"build-time = 2024-01-01\n[product]\nname = \"W\"\n",
         R"(setup\.toml:1: build-time: give a date and a time, such as .*)"},
        {"codepage = \"KLINGON\"\n[product]\nname = \"W\"\n",
         R"(setup\.toml:1: codepage: unknown code page "KLINGON"; use an iconv name such as "CP1252")"},
        {"[product]\nname = = \"W\"\n", R"(setup\.toml:2: .*)"},  // TOML syntax, from the parser
    };
    for (const Case& c : cases) {
        std::string message = errorOf(c.text);
        EXPECT_TRUE(std::regex_match(message, std::regex(c.expected))) << "manifest:\n"
                                                                      << c.text << "message: " << message;
    }
}

TEST(BuilderManifestNames, EveryFlagNameRoundTrips) {
    std::vector<std::string> names = build::productFlagNames();
    ASSERT_FALSE(names.empty());
    uint64_t seen = 0;
    for (const std::string& name : names) {
        std::optional<payload::FlagBit> bit = build::productFlagByName(name);
        ASSERT_TRUE(bit) << name;
        uint64_t mask = uint64_t(bit->bit) << (32 * bit->half);
        EXPECT_EQ(0u, seen & mask) << name << " shares its bit";
        seen |= mask;
        uint32_t low = bit->half == 0 ? bit->bit : 0, high = bit->half == 1 ? bit->bit : 0;
        EXPECT_EQ(std::vector<std::string>{name}, build::productFlagNamesOf(low, high));
    }
    EXPECT_FALSE(build::productFlagByName("Uninstall-Record"));  // names are exact
    EXPECT_EQ(std::vector<std::string>{"low:0x8"}, build::productFlagNamesOf(0x8, 0));
}

TEST(BuilderManifestColour, HashRgbBecomesWindowsByteOrder) {
    struct Case {
        const char* text;
        std::optional<uint32_t> value;
    } cases[] = {
        {"#000000", 0u},         {"#FF0000", 0x0000FFu}, {"#00ff00", 0x00FF00u}, {"#0000FF", 0xFF0000u},
        {"#123456", 0x563412u}, {"123456", std::nullopt}, {"#12345", std::nullopt}, {"#1234567", std::nullopt},
        {"#12345G", std::nullopt}, {"", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(c.value, build::parseColour(c.text)) << c.text;
}

TEST(BuilderManifestText, LineBreaksBecomeCrLf) {
    EXPECT_EQ("a\r\nb\r\nc\r\nd\r\n\r\n", build::withCrLf("a\nb\r\nc\rd\n\r\n"));
    EXPECT_EQ("x\r\ny", build::withCrLf("x\n\ry"));
}

TEST(BuilderManifestBuildTime, SourceDateEpochWinsThenManifestThenNow) {
    build::DateTime given;
    given.year = 2001;
    given.month = 2;
    given.day = 3;
    given.hour = 4;
    EXPECT_EQ(2021, build::chooseBuildTime("1609459200", given, 0).year);  // 2021-01-01 00:00:00 UTC
    EXPECT_EQ(2001, build::chooseBuildTime(nullptr, given, 0).year);
    EXPECT_EQ(1970, build::chooseBuildTime("", std::nullopt, 59).year);
    EXPECT_EQ(59, build::chooseBuildTime("", std::nullopt, 59).second);
    EXPECT_THROW(build::chooseBuildTime("soon", std::nullopt, 0), std::runtime_error);
}

}  // namespace
