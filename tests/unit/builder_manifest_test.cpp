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

// Each mistake gives one message: file, line and column of the value (of the
// table when the key is missing), the key path, and what was expected.
TEST_F(BuilderManifest, MistakesNameFileLineKeyAndProblem) {
    writeFile("one.txt", "1");
    writeFile("two.txt", "2");
    writeFile("bad.bmp", "not a bitmap at all, really");
    const std::string w = "[product]\nname = \"W\"\n";
    struct Case {
        std::string text;
        std::string expected;  // a regular expression for the whole message
    } cases[] = {
        // TOML syntax, from the parser.
        {"[product]\nname = = \"W\"\n", R"(setup\.toml:2:8: not valid TOML: .*)"},
        {"[product\nname = \"W\"\n", R"(setup\.toml:1:9: not valid TOML: .*)"},
        {w + "name = \"X\"\n", R"(setup\.toml:3:\d+: not valid TOML: .*redefine.*)"},
        // Unknown keys and names, with the likely meaning.
        {w + "nmae = \"X\"\n",
         R"(setup\.toml:3:8: key 'product\.nmae': unknown key \(did you mean 'name'\?\); \[product\] takes "name", .*)"},
        {"[produkt]\nname = \"W\"\n",
         R"(setup\.toml:1:1: key 'produkt': unknown key \(did you mean 'product'\?\); \(top level\) takes "codepage", .*)"},
        {w + "[[files]]\nsource = \"one.txt\"\nshortcut = true\n",
         R"(setup\.toml:5:12: key 'files\[0\]\.shortcut': unknown key \(did you mean 'shortcut-name'\?\); \[\[files\]\] takes .*)"},
        {"flags = [\"uninstall-record\", \"silent\"]\n" + w,
         R"(setup\.toml:1:30: key 'flags\[1\]': unknown name "silent"; expected any of "no-reinstall", .*"maximised-background")"},
        {"flags = [\"packed\"]\n" + w,
         R"(setup\.toml:1:10: key 'flags\[0\]': unknown name "packed" \(did you mean "packed-data"\?\); expected any of .*)"},
        {w + "[[files]]\nsource = \"one.txt\"\n[[files]]\nsource = \"two.txt\"\nkind = \"exe\"\n",
         R"(setup\.toml:7:8: key 'files\[1\]\.kind': unknown name "exe"; expected one of "program", .*"type-library")"},
        {w + "[[files]]\nsource = \"one.txt\"\nkind = 2\n",
         R"(setup\.toml:5:8: key 'files\[0\]\.kind': unknown value 2; expected one of "program", .* \(or their numbers 0, 1, 4, 5, 6, 7, 8\))"},
        {w + "[[files]]\nsource = \"one.txt\"\nattributes = [\"readonly\"]\n",
         R"(setup\.toml:5:15: key 'files\[0\]\.attributes\[0\]': unknown name "readonly" \(did you mean "read-only"\?\); expected any of .*)"},
        {"shortcuts = \"everyone\"\n" + w,
         R"(setup\.toml:1:13: key 'shortcuts': unknown value "everyone"; expected "current-user" or "all-users")"},
        {"codepage = \"KLINGON\"\n" + w,
         R"(setup\.toml:1:12: key 'codepage': unknown code page "KLINGON"; use an iconv name such as "CP1252")"},
        // Wrong types.
        {w + "[appearance]\ntitle-shadow = \"yes\"\n",
         R"(setup\.toml:4:16: key 'appearance\.title-shadow': expected true or false, found a string)"},
        {w + "version = 2\n", R"(setup\.toml:3:11: key 'product\.version': expected a string, found an integer)"},
        {"product = \"W\"\n", R"(setup\.toml:1:11: key 'product': expected a table, found a string)"},
        {w + "files = \"*.txt\"\n",
         R"(setup\.toml:3:9: key 'product\.files': unknown key; \[product\] takes .*)"},
        {"files = \"*.txt\"\n" + w,
         R"(setup\.toml:1:9: key 'files': expected an array of tables \(\[\[files\]\]\), found a string)"},
        {"flags = \"packed-data\"\n" + w, R"(setup\.toml:1:9: key 'flags': expected a list of names, found a string)"},
        {"min-step-time = 0.5\n" + w, R"(setup\.toml:1:17: key 'min-step-time': expected an integer, found a number)"},
        {w + "[batch]\nat-end = 3\n",
         R"(setup\.toml:4:10: key 'batch\.at-end': expected a string or \{ file = "\.\.\." \}, found an integer)"},
        {w + "[[files]]\nsource = [\"one.txt\", \"two.txt\"]\n",
         R"(setup\.toml:4:10: key 'files\[0\]\.source': expected a file path \(a string\), found an array)"},
        {w + "[texts]\nlicence = [{ txt = \"x\" }]\n",
         R"(setup\.toml:4:12: key 'texts\.licence\[0\]': expected a file path or \{ text = "\.\.\." \}; the table takes the one key "text")"},
        // Bad values.
        {w + "[layout]\nvolume-size = -5\n",
         R"(setup\.toml:4:15: key 'layout\.volume-size': expected a byte count such as .*)"},
        {w + "[[files]]\nsource = \"one.txt\"\ndestination = \"Docs/\"\n",
         R"(setup\.toml:5:15: key 'files\[0\]\.destination': the target is Windows: write folders with backslashes, .*)"},
        {w + "[directories]\ninstall = \"%ProgramsDir%/W\"\n",
         R"(setup\.toml:4:11: key 'directories\.install': the target is Windows: write folders with backslashes, .*)"},
        {w + "[appearance]\ntop-color = \"blue\"\n",
         R"(setup\.toml:4:13: key 'appearance\.top-color': expected a colour written "#RRGGBB")"},
        {w + "[appearance]\nbitmap-size = 101\n",
         R"(setup\.toml:4:15: key 'appearance\.bitmap-size': 101 is out of range; expected 0 to 100)"},
        {"min-step-time = 10000\n" + w,
         R"(setup\.toml:1:17: key 'min-step-time': 10000 is out of range; expected 0 to 9999)"},
        {"build-time = 2024-01-01\n" + w,
         R"(setup\.toml:1:14: key 'build-time': expected a date and a time, such as .*)"},
        {"[product]\npublisher = \"A\"\n",
         R"(setup\.toml:1:1: key 'product\.name': missing; every installer needs a product name)"},
        {"[product]\nname = \"  \"\n", R"(setup\.toml:2:8: key 'product\.name': the product name is blank)"},
        {w + "[layout]\npack-level = 6\n",
         R"(setup\.toml:4:14: key 'layout\.pack-level': 6 is out of range; expected 1 to 5)"},
        {"[product]\nname = \"Caf\xC3\xA9 \xE2\x82\xAC \xE4\xB8\xAD\"\n",
         R"(setup\.toml:2:8: key 'product\.name': the text has a character that code page CP1252 cannot hold)"},
        {w + "master-product = \"G\"\n",
         R"(setup\.toml:3:18: key 'product\.master-product': only used with the flag "requires-master-product")"},
        {w + "[layout]\nvolume-size = \"12X\"\n",
         R"(setup\.toml:4:15: key 'layout\.volume-size': expected a byte count such as .*)"},
        {w + "[[files]]\nsource = \"*.txt\"\nname = \"x.txt\"\n",
         R"(setup\.toml:5:8: key 'files\[0\]\.name': "\*\.txt" matches 2 files; "name" renames a single file)"},
        {w + "[[files]]\nsource = \"one.txt\"\nkind = \"font\"\nversion = \"1\"\n",
         R"(setup\.toml:6:11: key 'files\[0\]\.version': only kinds "system", "com-server" and "type-library" carry a version)"},
        {w + "[[files]]\nsource = \"one.txt\"\nkind = \"shared\"\ndesktop-shortcut = true\n",
         R"(setup\.toml:6:20: key 'files\[0\]\.desktop-shortcut': only files of kind "program" or "startup" get shortcuts)"},
        {w + "[[files]]\nname = \"x\"\n",
         R"(setup\.toml:3:1: key 'files\[0\]\.source': missing; every \[\[files\]\] table names its file\(s\) with "source")"},
        {w + "[strings]\nabc = \"x\"\n",
         R"(setup\.toml:4:7: key 'strings\.abc': string ids are numbers from 0 to 9999)"},
        {w + "[strings]\n19 = \"Need %s on %s\"\n",
         R"(setup\.toml:4:6: key 'strings\.19': the installer fills in %s, %c, %s here, in this order; the text has %s, %s .*)"},
        {w + "[[languages]]\nname = \"Deutsch\"\n[languages.strings]\n16 = \"Laufwerk fehlt\"\n",
         R"(setup\.toml:6:6: key 'languages\[0\]\.strings\.16': the installer fills in %c here, in this order; the text has none .*)"},
        {w + "[[languages]]\nname = \"English\"\n",
         R"(setup\.toml:4:8: key 'languages\[0\]\.name': English is built in; override its texts in \[strings\])"},
        {w + "[[delete]]\nspec = \"*.tmp\"\ncondition = \"date-equal\"\n",
         R"(setup\.toml:3:1: key 'delete\[0\]\.argument': missing; the condition compares with it: give a date such as "2020-01-31")"},
        {w + "[[delete]]\nspec = \"*.tmp\"\ncondition = \"date-equal\"\nargument = \"soon\"\n",
         R"(setup\.toml:6:12: key 'delete\[0\]\.argument': "soon" is not a date the installer can read; .*)"},
        {w + "[[delete]]\nspec = \"*.tmp\"\ncondition = \"size-at-least\"\nargument = \"1 MB\"\n",
         R"(setup\.toml:6:12: key 'delete\[0\]\.argument': "1 MB" is not a number of bytes; .*)"},
        {w + "[[delete]]\nspec = \"*.tmp\"\nargument = \"1\"\n",
         R"(setup\.toml:5:12: key 'delete\[0\]\.argument': only used with a date or size condition .*)"},
        // Files that are not there or not right.
        {w + "[[files]]\nsource = \"*.exe\"\n",
         R"(setup\.toml:4:10: key 'files\[0\]\.source': "\*\.exe" matches no file \(looked in ".*"\))"},
        {w + "[texts]\nreadme = [\"missing.txt\"]\n",
         R"(setup\.toml:4:11: key 'texts\.readme\[0\]': cannot read file "missing\.txt")"},
        {w + "[batch]\nat-end = { file = \"missing.bat\" }\n",
         R"(setup\.toml:4:19: key 'batch\.at-end\.file': cannot read file "missing\.bat")"},
        {w + "[appearance]\nbackground-bitmap = \"missing.bmp\"\n",
         R"(setup\.toml:4:21: key 'appearance\.background-bitmap': cannot read file "missing\.bmp")"},
        {w + "[appearance]\nbackground-bitmap = \"bad.bmp\"\n",
         R"(setup\.toml:4:21: key 'appearance\.background-bitmap': not a \.bmp file .*)"},
    };
    for (const Case& c : cases) {
        std::string message = errorOf(c.text);
        EXPECT_TRUE(std::regex_match(message, std::regex(c.expected))) << "manifest:\n"
                                                                      << c.text << "message: " << message;
    }
}

TEST_F(BuilderManifest, OverriddenFormatsKeepTheirConversions) {
    build::Manifest m = read(std::string(kProduct) + "[strings]\n16 = \"%c: is not there (100%% sure).\"\n"
                                                     "42 = \"Done: 100% of it.\"\n");
    EXPECT_EQ("%c: is not there (100%% sure).", m.installer.settings.strings[16][0]);
    EXPECT_EQ("Done: 100% of it.", m.installer.settings.strings[42][0]);  // not a format: taken as written
}

TEST_F(BuilderManifest, DeletionArgumentsAreCheckedAndDatesWritten) {
    build::Manifest m = read(std::string(kProduct) +
                             "[[delete]]\nspec = \"a\"\ncondition = \"date-equal\"\nargument = 2020-01-31\n"
                             "[[delete]]\nspec = \"b\"\ncondition = \"date-same-or-later\"\nargument = 2020-01-31T18:30:00\n"
                             "[[delete]]\nspec = \"c\"\ncondition = \"date-same-or-earlier\"\nargument = \"01/31/2020\"\n"
                             "[[delete]]\nspec = \"d\"\ncondition = \"size-at-least\"\nargument = 1048576\n"
                             "[[delete]]\nspec = \"e\"\ncondition = \"size-at-most\"\nargument = \"1,024\"\n");
    std::vector<std::string> arguments;
    for (const build::FileDeletion& d : m.installer.settings.fileDeletions) arguments.push_back(d.argument);
    EXPECT_EQ((std::vector<std::string>{"2020-01-31", "2020-01-31 18:30:00", "01/31/2020", "1048576", "1,024"}),
              arguments);
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
