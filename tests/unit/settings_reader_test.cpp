#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "builder/payload_writer.h"
#include "core/bytes.h"
#include "payload/format.h"
#include "payload/settings_reader.h"
#include "payload_test_support.h"

namespace {

using payload_test::validSettings;

const uint32_t kInstallerLength = 500000;

struct Reading {
    int code = -99;
    SettingsBlock block;
};

Reading readBlock(const std::vector<uint8_t>& bytes, const char* nameOverride = nullptr) {
    Reading r;
    MemoryStream stream(bytes.data(), (uint32_t)bytes.size());
    readProductFlags(stream, r.block);
    SettingsContext context;
    context.productNameOverride = nameOverride;
    context.windowsDirectory = "C:\\WINDOWS";
    context.installerFileLength = kInstallerLength;
    r.code = readSettingsRest(stream, context, r.block);
    return r;
}

Reading readSettings(const build::Settings& s, const char* nameOverride = nullptr) {
    return readBlock(build::writeSettingsBlock(s), nameOverride);
}

std::string str(const String& s) { return std::string(s.text(), (size_t)s.length()); }

build::Settings everyField() {
    build::Settings s = validSettings();
    s.flagsLow = 0x4 | 0x10000 | 0x20 | 0x100;
    s.flagsHigh = 0x41;
    s.minStepTime = 9999;
    s.shortcutMode = 1;
    s.buildTime = {2003, 4, 5, 6, 7, 8};
    s.sharedPath = "Shared";
    s.productStartMenu = "Acme\\Widget";
    s.defaultInstallDir = "%ProgramsDir%\\Widget";
    s.displayVersion = "1.2";
    s.productRegistry = "Software\\Acme\\Widget";
    s.bitmapSize = 100;
    s.licenceTexts = {"Licence one", ""};
    s.readmeTexts = {"Readme"};
    s.uninstallSubdir = "uninst";
    s.uninstallerName = "Uninstall.exe";
    s.uninstallName = "Widget 1.2";
    s.titleColor = 0x123456;
    s.titleShadow = 0;
    s.topColor = 0xFF0000;
    s.bottomColor = 0x0000FF;
    s.backgroundBitmap = {'B', 'M', 0, 1, 2};
    s.masterProductName = "Gadget";
    s.desktopFolder = "Acme";
    s.installBatchBefore = "echo before";
    s.installBatchAfter = "echo after";
    s.installBatchLast = "echo last";
    s.uninstallBatch1 = "echo u1";
    s.uninstallBatch2 = "echo u2";
    s.excludedSystems = 0x6;
    s.dataInFile = 1;
    s.firstVolumeId = 0xCAFE0001;
    s.uninstallerPatchOffset = 0x100;
    s.uninstallerPatch = {0xDE, 0xAD, 0x00, 0xBE};
    s.fileDeletions = {{"%InstallDir%\\old*.dll", 2, "2001-01-01", 0x2}, {"x.tmp", 0, "", 0}};
    s.fileAssociations = {{1, "wdg", "Widget.Doc", "Widget document", "open", "&Open",
                           "\"%InstallDir%\\w.exe\" \"%1\"", "", "%InstallDir%\\w.exe,0"}};
    s.uninstallValues = {{"HelpLink", 0, "http://example.invalid"}, {"NoModify", 4, "1"}};
    s.languages = {"English", "Deutsch"};
    s.strings = {{"Widget Setup", "Widget Installation"}, {"line\none", "Zeile\r\neins"}};
    return s;
}

TEST(SettingsReaderTest, ReadsEveryFieldTheWriterWrote) {
    build::Settings s = everyField();
    Reading r = readSettings(s);
    ASSERT_EQ(r.code, 0);
    const SettingsBlock& b = r.block;
    EXPECT_EQ(b.productFlagsLow, s.flagsLow);
    EXPECT_EQ(b.productFlagsHigh, s.flagsHigh);
    EXPECT_EQ(b.minStepTime, 9999);
    EXPECT_EQ(b.shortcutMode, 1);
    EXPECT_EQ(b.buildTime.year, 2003);
    EXPECT_EQ(b.buildTime.second, 8);
    EXPECT_EQ(str(b.publisher), "Acme");
    EXPECT_EQ(str(b.productName), "Widget");
    EXPECT_EQ(str(b.sharedPath), "Shared");
    EXPECT_EQ(str(b.productStartMenu), "Acme\\Widget");
    EXPECT_EQ(str(b.defaultInstallDir), "%ProgramsDir%\\Widget");
    EXPECT_EQ(str(b.displayVersion), "1.2");
    EXPECT_EQ(str(b.productRegistry), "Software\\Acme\\Widget");
    EXPECT_EQ(b.bitmapSize, 100);
    ASSERT_EQ(b.licenceTexts.count(), 2);
    EXPECT_EQ(str(b.licenceTexts[0]), "Licence one");
    ASSERT_EQ(b.readmeTexts.count(), 1);
    EXPECT_EQ(str(b.uninstallSubdir), "uninst");
    EXPECT_EQ(str(b.volumeBaseName), "WIDGET");
    EXPECT_EQ(str(b.uninstallerName), "Uninstall.exe");
    EXPECT_EQ(str(b.uninstallName), "Widget 1.2");
    EXPECT_EQ(b.titleColor, 0x123456u);
    EXPECT_EQ(b.titleShadow, 0);
    EXPECT_EQ(b.topColor, 0xFF0000u);
    EXPECT_EQ(b.bottomColor, 0x0000FFu);
    EXPECT_EQ(str(b.backgroundBitmap), std::string("BM\0\1\2", 5));
    EXPECT_EQ(str(b.masterProductName), "Gadget");
    EXPECT_EQ(str(b.desktopFolder), "Acme");
    EXPECT_EQ(str(b.installBatchBefore), "echo before");
    EXPECT_EQ(str(b.installBatchAfter), "echo after");
    EXPECT_EQ(str(b.installBatchLast), "echo last");
    EXPECT_EQ(str(b.uninstallBatch1), "echo u1");
    EXPECT_EQ(str(b.uninstallBatch2), "echo u2");
    EXPECT_EQ(b.excludedSystems, 6u);
    EXPECT_EQ(b.dataInFile, 1);
    EXPECT_EQ(b.firstVolumeId, 0xCAFE0001u);
    EXPECT_EQ(b.uninstallerPatchOffset, 0x100);
    EXPECT_EQ(str(b.uninstallerPatch), std::string("\xDE\xAD\0\xBE", 4));

    ASSERT_EQ(b.fileDeletions.count(), 2);
    EXPECT_EQ(str(b.fileDeletions[0].spec), "%InstallDir%\\old*.dll");
    EXPECT_EQ(b.fileDeletions[0].condition, 2);
    EXPECT_EQ(str(b.fileDeletions[0].argument), "2001-01-01");
    EXPECT_EQ(b.fileDeletions[0].flags, 2u);
    ASSERT_EQ(b.fileAssociations.count(), 1);
    const FileAssociation& a = b.fileAssociations[0];
    EXPECT_EQ(a.flags, 1u);
    EXPECT_EQ(str(a.extension), ".wdg");
    EXPECT_EQ(str(a.typeName), "Widget.Doc");
    EXPECT_EQ(str(a.description), "Widget document");
    EXPECT_EQ(str(a.verb), "open");
    EXPECT_EQ(str(a.verbCaption), "&Open");
    EXPECT_EQ(str(a.command), "\"%InstallDir%\\w.exe\" \"%1\"");
    EXPECT_EQ(str(a.language), "");
    EXPECT_EQ(str(a.icon), "%InstallDir%\\w.exe,0");
    ASSERT_EQ(b.uninstallValues.count(), 2);
    EXPECT_EQ(str(b.uninstallValues[1].name), "NoModify");
    EXPECT_EQ(b.uninstallValues[1].type, 4);
    EXPECT_EQ(str(b.uninstallValues[1].value), "1");

    ASSERT_EQ(b.languageTable.count(), 2);
    EXPECT_EQ(str(b.languageTable[1]), "Deutsch");
    EXPECT_EQ(b.defaultLanguage, 0);
    TextTable table = b.stringTable;
    ASSERT_EQ(table.stringCount(), 2);
    EXPECT_EQ(str(*table.entry(0, 1)), "Widget Installation");
    EXPECT_EQ(str(*table.entry(1, 0)), "line\r\none");
    EXPECT_EQ(str(*table.entry(1, 1)), "Zeile\r\neins");
}

TEST(SettingsReaderTest, ProductFlagsComeFirstAndAlone) {
    std::vector<uint8_t> bytes = build::writeSettingsBlock(everyField());
    MemoryStream stream(bytes.data(), (uint32_t)bytes.size());
    SettingsBlock b;
    readProductFlags(stream, b);
    EXPECT_EQ(b.productFlagsLow, everyField().flagsLow);
    EXPECT_EQ(b.productFlagsHigh, 0x41u);
    EXPECT_EQ(stream.position(), 8u);
    EXPECT_TRUE(b.productName.isEmpty());
}

struct DefaultCase {
    const char* what;
    std::function<void(build::Settings&)> change;
    const char* nameOverride;
    std::function<std::string(const SettingsBlock&)> field;
    std::string expected;
};

TEST(SettingsReaderTest, DefaultsFollowTheProductName) {
    auto shared = [](const SettingsBlock& b) { return str(b.sharedPath); };
    auto menu = [](const SettingsBlock& b) { return str(b.productStartMenu); };
    auto dir = [](const SettingsBlock& b) { return str(b.defaultInstallDir); };
    auto uninstall = [](const SettingsBlock& b) { return str(b.uninstallName); };
    auto master = [](const SettingsBlock& b) { return str(b.masterProductName); };
    auto name = [](const SettingsBlock& b) { return str(b.productName); };
    auto record = [](build::Settings& s) { s.flagsLow |= 0x4; };
    const DefaultCase cases[] = {
        {"shared path: publisher", record, nullptr, shared, "Acme"},
        {"shared path: product when publisher blank",
         [&](build::Settings& s) { record(s); s.publisher = " \t"; }, nullptr, shared, "Widget"},
        {"shared path: empty without uninstall record", [](build::Settings& s) { s.sharedPath = "X"; }, nullptr,
         shared, ""},
        {"shared path: /n name", [&](build::Settings& s) { record(s); s.publisher = ""; }, "Other", shared,
         "Other"},
        {"start menu: publisher and product", nullptr, nullptr, menu, "Acme\\Widget"},
        {"start menu: product alone", [](build::Settings& s) { s.publisher = ""; }, nullptr, menu, "Widget"},
        {"start menu: /n name", nullptr, "Other", menu, "Acme\\Other"},
        {"directory: product", nullptr, nullptr, dir, "Widget"},
        {"directory: /n name", nullptr, "Other", dir, "Other"},
        {"directory: <os> in any case",
         [](build::Settings& s) { s.defaultInstallDir = "<OS>\\x<os>"; }, nullptr, dir,
         "C:\\WINDOWS\\xC:\\WINDOWS"},
        {"directory: <master> kept", [](build::Settings& s) { s.defaultInstallDir = "<Master>"; }, nullptr, dir,
         "<Master>"},
        {"uninstall name: product when blank", [](build::Settings& s) { s.uninstallName = "  "; }, nullptr,
         uninstall, "Widget"},
        {"uninstall name: /n name", nullptr, "Other", uninstall, "Other"},
        {"master: product when blank", [](build::Settings& s) { s.flagsLow |= 0x10000; }, nullptr, master,
         "Widget"},
        {"master: absent without its flag", [](build::Settings& s) { s.masterProductName = "Gadget"; }, nullptr,
         master, ""},
        {"product name: /n wins", nullptr, "Other", name, "Other"},
        {"product name: empty /n does not", nullptr, "", name, "Widget"},
    };
    for (const DefaultCase& c : cases) {
        build::Settings s = validSettings();
        if (c.change) c.change(s);
        Reading r = readSettings(s, c.nameOverride);
        ASSERT_EQ(r.code, 0) << c.what;
        EXPECT_EQ(c.field(r.block), c.expected) << c.what;
    }
}

struct CodeCase {
    const char* what;
    std::function<void(build::Settings&)> change;
    int expected;
};

TEST(SettingsReaderTest, EachRangeCheckHasItsCode) {
    auto names = [](int n) { return std::vector<std::string>((size_t)n, "x"); };
    const CodeCase cases[] = {
        {"step time 9999", [](build::Settings& s) { s.minStepTime = 9999; }, 0},
        {"step time 10000", [](build::Settings& s) { s.minStepTime = 10000; }, 19},
        {"bitmap -1", [](build::Settings& s) { s.bitmapSize = -1; }, 39},
        {"bitmap 101", [](build::Settings& s) { s.bitmapSize = 101; }, 39},
        {"bitmap 0", [](build::Settings& s) { s.bitmapSize = 0; }, 0},
        {"20 licence texts", [&](build::Settings& s) { s.licenceTexts = names(20); }, 0},
        {"21 licence texts", [&](build::Settings& s) { s.licenceTexts = names(21); }, 24},
        {"21 readme texts", [&](build::Settings& s) { s.readmeTexts = names(21); }, 26},
        {"empty volume name", [](build::Settings& s) { s.volumeBaseName = ""; }, 21},
        {"blank volume name", [](build::Settings& s) { s.volumeBaseName = " \r\n\t"; }, 21},
        {"patch offset -1",
         [](build::Settings& s) { s.flagsLow |= 0x4; s.uninstallerPatchOffset = -1; }, 23},
        {"patch offset past the installer",
         [](build::Settings& s) { s.flagsLow |= 0x4; s.uninstallerPatchOffset = kInstallerLength + 1; }, 23},
        {"patch offset at the installer's end",
         [](build::Settings& s) { s.flagsLow |= 0x4; s.uninstallerPatchOffset = kInstallerLength; }, 0},
        {"patch offset ignored without uninstall record",
         [](build::Settings& s) { s.uninstallerPatchOffset = -1; }, 0},
        {"1001 deletions", [](build::Settings& s) { s.fileDeletions.resize(1001, {"f", 0, "", 0}); }, 0},
        {"1002 deletions", [](build::Settings& s) { s.fileDeletions.resize(1002, {"f", 0, "", 0}); }, 38},
        {"10000 associations", [](build::Settings& s) { s.fileAssociations.resize(10000); }, 0},
        {"10001 associations", [](build::Settings& s) { s.fileAssociations.resize(10001); }, 36},
        {"10001 uninstall values", [](build::Settings& s) { s.uninstallValues.resize(10001); }, 37},
        {"no language", [](build::Settings& s) { s.languages.clear(); }, 30},
        {"100 languages", [&](build::Settings& s) { s.languages = names(100); }, 0},
        {"101 languages", [&](build::Settings& s) { s.languages = names(101); }, 30},
        {"no string", [](build::Settings& s) { s.strings.clear(); }, 31},
        {"10000 strings", [](build::Settings& s) { s.strings.resize(10000); }, 0},
        {"10001 strings", [](build::Settings& s) { s.strings.resize(10001); }, 31},
    };
    for (const CodeCase& c : cases) {
        build::Settings s = validSettings();
        c.change(s);
        EXPECT_EQ(readSettings(s).code, c.expected) << c.what;
    }
}

TEST(SettingsReaderTest, NegativeListCountsAreCorrupt) {
    // The writer cannot write negative counts; patch them into its block.
    // After the uninstall-value count come the language count (1), the
    // string count (4), the names, the texts and the end marker (4).
    build::Settings s = validSettings();
    std::vector<uint8_t> bytes = build::writeSettingsBlock(s);
    size_t tail = 1 + 4 + 4;
    for (const std::string& name : s.languages) tail += name.size() + 1;
    for (const auto& row : s.strings) for (const std::string& text : row) tail += text.size() + 1;
    size_t valuesCount = bytes.size() - tail - 4;
    size_t associationsCount = valuesCount - 4;
    ASSERT_EQ(readLE32(&bytes[valuesCount]), 0u);
    std::vector<uint8_t> values = bytes, associations = bytes;
    writeLE32(&values[valuesCount], 0xFFFFFFFF);
    writeLE32(&associations[associationsCount], 0xFFFFFFFF);
    EXPECT_EQ(readBlock(values).code, 37);
    EXPECT_EQ(readBlock(associations).code, 36);
}

TEST(SettingsReaderTest, EndMarkerMustFollowTheTable) {
    std::vector<uint8_t> bytes = build::writeSettingsBlock(validSettings());
    ASSERT_EQ(readBlock(bytes).code, 0);
    bytes.back() ^= 1;
    EXPECT_EQ(readBlock(bytes).code, 32);
}

// Every block cut short fails a check instead of reading past its end: the
// missing bytes read as zeros, so for instance the deletion list fills up
// with empty specs (38) or the end marker is missing (32).
TEST(SettingsReaderTest, EveryShortBlockFails) {
    std::vector<uint8_t> bytes = build::writeSettingsBlock(everyField());
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        std::vector<uint8_t> shorter(bytes.begin(), bytes.begin() + cut);
        EXPECT_NE(readBlock(shorter).code, 0) << "cut at " << cut;
    }
    EXPECT_EQ(readBlock({}).code, 21);  // all zeros: a blank volume name is the first failed check
}

TEST(SettingsReaderTest, StringTableLineBreaksBecomeCrLf) {
    const std::pair<std::string, std::string> cases[] = {
        {"a\nb", "a\r\nb"}, {"a\rb", "a\r\nb"}, {"a\n\rb", "a\r\nb"},
        {"a\r\nb", "a\r\nb"}, {"\n\n", "\r\n\r\n"}, {"plain", "plain"},
    };
    for (const auto& c : cases) {
        build::Settings s = validSettings();
        s.strings = {{c.first}};
        Reading r = readSettings(s);
        ASSERT_EQ(r.code, 0);
        EXPECT_EQ(str(*r.block.stringTable.entry(0, 0)), c.second);
    }
}

TEST(SettingsReaderTest, LastLanguageNamedExactlyEnglishIsTheDefault) {
    struct Case {
        std::vector<std::string> names;
        int32_t expected;
    } cases[] = {
        {{"English"}, 0},
        {{"Deutsch", "English"}, 1},
        {{"English", "Deutsch", "English"}, 2},
        {{"Deutsch", "english", "ENGLISH"}, 0},
    };
    for (const Case& c : cases) {
        build::Settings s = validSettings();
        s.languages = c.names;
        Reading r = readSettings(s);
        ASSERT_EQ(r.code, 0);
        EXPECT_EQ(r.block.defaultLanguage, c.expected) << c.names.size();
    }
}

TEST(SettingsReaderTest, StringRowsSpanEveryLanguage) {
    build::Settings s = validSettings();
    s.languages = {"English", "Deutsch", "Francais"};
    s.strings = {{"a0", "a1", "a2"}, {"b0", "b1", "b2"}};
    Reading r = readSettings(s);
    ASSERT_EQ(r.code, 0);
    for (int id = 0; id < 2; ++id) {
        for (int l = 0; l < 3; ++l) {
            EXPECT_EQ(str(*r.block.stringTable.entry(id, l)), std::string(1, "ab"[id]) + char('0' + l));
        }
    }
}

}  // namespace
