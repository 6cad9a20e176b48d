#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/bytes.h"
#include "install/uninstall_record.h"

namespace {

std::string str(const String& s) { return std::string(s.text(), size_t(s.length())); }

// --- The uninstall list ------------------------------------------------------

TEST(UninstallList, LinesByKindWithFoldersAndKeysOnce) {
    String list;
    NameSet seen(kUninstallSetSlots);
    struct Step {
        const char* path;
        int32_t kind;
        bool written;
    } steps[] = {
        {"C:\\App\\a.exe", UninstallFileEntry, true},
        {"C:\\App\\a.exe", UninstallFileEntry, true},  // files are listed each time
        {"C:\\App\\Data", UninstallFolderEntry, true},
        {"c:\\app\\data", UninstallFolderEntry, false},  // the same folder in another case
        {".tvx", UninstallClassKeyEntry, true},
        {".TVX", 7, false},  // any other kind is a key, and keys share the set
        {"C:\\App\\Data", UninstallClassKeyEntry, false},  // a folder's path is taken already
        {"C:\\", UninstallFolderEntry, false},  // drive roots are never listed
        {"abc", UninstallFileEntry, false},
        {"", UninstallFileEntry, false},
    };
    for (const Step& s : steps) {
        EXPECT_EQ(recordUninstallEntry(list, seen, String(s.path), s.kind), s.written) << s.path << " " << s.kind;
    }
    EXPECT_EQ(str(list), "C:\\App\\a.exe\r\nC:\\App\\a.exe\r\n~C:\\App\\Data\r\n!.tvx\r\n");
}

TEST(UninstallList, RunWideListClearsWithItsSet) {
    ClearUninstallList();
    RecordForUninstall("C:\\App", UninstallFolderEntry);
    RecordForUninstall("C:\\APP", UninstallFolderEntry);
    EXPECT_EQ(str(UninstallList), "~C:\\App\r\n");
    ClearUninstallList();
    EXPECT_TRUE(UninstallList.isEmpty());
    RecordForUninstall("c:\\app", UninstallFolderEntry);  // the set was emptied too
    EXPECT_EQ(str(UninstallList), "~c:\\app\r\n");
    ClearUninstallList();
}

// --- Uninstall.DAT -----------------------------------------------------------

const char* sampleText(int id) {
    static std::string texts[100];
    std::string& t = texts[id];
    t = id == 53 ? "Remove it?\r\nAll of it." : "S" + std::to_string(id);
    return t.c_str();
}

std::string expectedStrings() {
    const char* lines =
        "~10\r\nS10\r\n~15\r\nS15\r\n~20\r\nS20\r\n~30\r\nS30\r\n~34\r\nS34\r\n~35\r\nS35\r\n~39\r\nS39\r\n"
        "~49\r\nS49\r\n~53\r\nRemove it?\r\nAll of it.\r\n~55\r\nS55\r\n~56\r\nS56\r\n~57\r\nS57\r\n"
        "~58\r\nS58\r\n~59\r\nS59\r\n~67\r\nS67\r\n~68\r\nS68\r\n~69\r\nS69\r\n~70\r\nS70\r\n~71\r\nS71\r\n";
    return lines;
}

TEST(UninstallData, ListThenStringsThenAssociations) {
    String list("C:\\App\\a.exe\r\n~C:\\App\r\n");
    String associations(".tvx~!~TavoDoc~!~open\r\n");
    EXPECT_EQ(str(uninstallDataText(list, associations, sampleText)),
              "C:\\App\\a.exe\r\n~C:\\App\r\n\r\n\r\n[Strings]\r\n" + expectedStrings() +
                  "\r\n\r\n[Associations]\r\n.tvx~!~TavoDoc~!~open\r\n");
}

TEST(UninstallData, WithoutAssociationsEndsWithTheLastString) {
    std::string text = str(uninstallDataText(String(), String(), sampleText));
    EXPECT_EQ(text, "\r\n\r\n[Strings]\r\n" + expectedStrings());
    EXPECT_EQ(text.substr(text.size() - 10), "~71\r\nS71\r\n");
}

// --- The values of the product's key --------------------------------------------

struct Expected {
    const char* name;
    UninstallValueKind kind;
    UninstallDropRule rule;
    const char* text;  // texts
    int32_t number;    // numbers
};

void expectValues(const Array<UninstallRegistryValue>& values, const std::vector<Expected>& expected) {
    ASSERT_EQ(values.count(), int32_t(expected.size()));
    for (int32_t i = 0; i < values.count(); i++) {
        const UninstallRegistryValue& v = values[i];
        const Expected& e = expected[size_t(i)];
        EXPECT_EQ(str(v.name), e.name) << "#" << i + 1;
        EXPECT_EQ(v.kind, e.kind) << e.name;
        EXPECT_EQ(v.rule, e.rule) << e.name;
        if (e.kind == UninstallNumber) {
            EXPECT_EQ(v.number, e.number) << e.name;
        } else {
            EXPECT_EQ(str(v.text), e.text) << e.name;
        }
    }
}

UninstallRecordInputs fullInputs(const Vector<UninstallValue>* extras) {
    UninstallRecordInputs in;
    in.uninstallerPath = "C:\\Program Files\\Tavo App\\Uninstall\\unins.exe";
    in.uninstallName = "Tavo App";
    in.productName = "Tavo Application";
    in.installSource = "D:\\setup.exe";
    in.displayVersion = "2.10";
    in.publisher = "Tavo Makers";
    in.productRegistry = "Tavo\\App";
    in.productStartMenu = "Tavo App";
    in.sharedPath = "C:\\Program Files\\Common Files\\Tavo";
    in.productFonts = "\"Tavo Sans\" \"tavosans.ttf\" ";
    in.productFlagsLow = 0x4;
    in.productFlagsHigh = 0x80000000u;
    in.uninstallBatch1 = "echo one";
    in.uninstallBatch2 = "echo two";
    in.sharedFiles = "\"C:\\Windows\\System32\\tavo.dll \"";
    in.uninstallSubdir = "Uninstall";
    in.shortcutMode = 1;
    in.displayTitle = "Tavo\r\nApplication";
    in.titleColor = 0xFFFFFF;
    in.topColor = 0x800000;
    in.bottomColor = 0x000000;
    in.titleShadow = 200;
    in.bitmapSize = 50;
    in.extraValues = extras;
    in.installDir = "C:\\Program Files\\Tavo App";
    in.installDate = "12/4/26 4:10:44p";
    return in;
}

TEST(UninstallValues, AllValuesInOrderWithKindsAndRules) {
    Vector<UninstallValue> extras;
    extras.append(UninstallValue{"HelpLink", 0, "http://tavo.example/help"});
    extras.append(UninstallValue{"Readme", 2, "C:\\Program Files\\Tavo App\\readme.txt"});
    extras.append(UninstallValue{"EstimatedSize", 4, " 1500 KB"});
    Array<UninstallRegistryValue> values;
    uninstallRegistryValues(fullInputs(&extras), values);
    const char* command = "C:\\Program Files\\Tavo App\\Uninstall\\unins.exe /u:\"Tavo App\"";
    const char* quiet = "C:\\Program Files\\Tavo App\\Uninstall\\unins.exe /a /u:\"Tavo App\"";
    expectValues(values, {
        {"UninstallString", UninstallText, KeepValue, command, 0},
        {"QuietUninstallString", UninstallText, KeepValue, quiet, 0},
        {"DisplayName", UninstallText, KeepValue, "Tavo Application", 0},
        {"InstallSource", UninstallText, KeepValue, "D:\\setup.exe", 0},
        {"DisplayVersion", UninstallText, DropWhenEmpty, "2.10", 0},
        {"Publisher", UninstallText, DropWhenEmpty, "Tavo Makers", 0},
        {"VersionMajor", UninstallNumber, KeepValue, "", 2},
        {"VersionMinor", UninstallNumber, KeepValue, "", 10},
        {"ProductRegistry", UninstallText, DropWhenEmpty, "Tavo\\App", 0},
        {"ProductStartMenu", UninstallText, DropWhenEmpty, "Tavo App", 0},
        {"SharedPath", UninstallText, DropWhenEmpty, "C:\\Program Files\\Common Files\\Tavo", 0},
        {"ProductFonts", UninstallText, DropWhenEmpty, "\"Tavo Sans\" \"tavosans.ttf\" ", 0},
        {"ProductFlags", UninstallText, KeepValue, "-9223372036854775804", 0},
        {"UninstallBatch1", UninstallText, DropWhenEmpty, "echo one", 0},
        {"UninstallBatch2", UninstallText, DropWhenEmpty, "echo two", 0},
        {"SharedFiles", UninstallText, DropWhenEmpty, "\"C:\\Windows\\System32\\tavo.dll \"", 0},
        {"UninstallSubdir", UninstallText, DropWhenEmpty, "Uninstall", 0},
        {"ShortcutMode", UninstallNumber, DropWhenEmpty, "", 1},
        {"DisplayTitle", UninstallText, KeepValue, "Tavo\r\nApplication", 0},
        {"TitleColor", UninstallNumber, KeepValue, "", 0xFFFFFF},
        {"TopColor", UninstallNumber, KeepValue, "", 0x800000},
        {"BottomColor", UninstallNumber, KeepValue, "", 0},
        {"MonoColor", UninstallNumber, KeepValue, "", 0},
        {"TitleShadow", UninstallNumber, KeepValue, "", 200},
        {"BitmapSize", UninstallNumber, KeepValue, "", 50},
        {"HelpLink", UninstallText, DropWhenEmpty, "http://tavo.example/help", 0},
        {"Readme", UninstallExpandText, DropWhenEmpty, "C:\\Program Files\\Tavo App\\readme.txt", 0},
        {"EstimatedSize", UninstallNumber, DropWhenEmpty, "", 1500},
        {"InstallLocation", UninstallText, KeepValue, "C:\\Program Files\\Tavo App", 0},
        {"InstallDate", UninstallText, KeepValue, "12/4/26 4:10:44p", 0},
    });
    for (const UninstallRegistryValue& v : values) EXPECT_FALSE(v.deletes()) << str(v.name);
}

TEST(UninstallValues, EmptySettingsDeleteTheirValuesAndEqualColoursMakeOneColour) {
    UninstallRecordInputs in;
    in.uninstallerPath = "C:\\A\\u.exe";
    in.uninstallName = "A";
    in.topColor = in.bottomColor = 0x123456;
    Vector<UninstallValue> extras;
    extras.append(UninstallValue{"Empty", 0, ""});
    extras.append(UninstallValue{"EmptyExpand", 2, ""});
    extras.append(UninstallValue{"Zero", 4, "none"});
    in.extraValues = &extras;
    Array<UninstallRegistryValue> values;
    uninstallRegistryValues(in, values);

    std::string deleted, kept;
    for (const UninstallRegistryValue& v : values) (v.deletes() ? deleted : kept) += str(v.name) + " ";
    EXPECT_EQ(deleted,
              "DisplayVersion Publisher ProductRegistry ProductStartMenu SharedPath ProductFonts UninstallBatch1 "
              "UninstallBatch2 SharedFiles UninstallSubdir ShortcutMode BottomColor Empty EmptyExpand Zero ");
    // No point in the (empty) version: neither version value is in the list.
    EXPECT_EQ(kept,
              "UninstallString QuietUninstallString DisplayName InstallSource ProductFlags DisplayTitle TitleColor "
              "TopColor MonoColor TitleShadow BitmapSize InstallLocation InstallDate ");
    for (const UninstallRegistryValue& v : values) {
        if (str(v.name) == "MonoColor") EXPECT_EQ(v.number, 1);
        if (str(v.name) == "ProductFlags") EXPECT_EQ(str(v.text), "0");
        if (str(v.name) == "DisplayTitle") EXPECT_EQ(v.rule, KeepValue) << "an empty title is still written";
    }
}

TEST(UninstallValues, VersionNumbers) {
    struct Case {
        const char* version;
        bool written;
        int32_t major;
        int32_t minor;
    } cases[] = {
        {"2.10", true, 2, 10},
        {"1,200.5", true, 1200, 5},
        {"3", false, 0, 0},
        {"", false, 0, 0},
        {"v4.2.1", true, 4, 2},
        {"Release 5.0 beta", true, 5, 0},
        {"6.", true, 6, 0},
        {"7.x", true, 7, 0},
        {"8.-3", true, 8, -3},
        {"9. 4", true, 9, 0},   // only digits right after the point count
        {".5", true, 0, 5},     // a leading point reads as no major number
        {"1.99999999999", true, 1, INT32_MAX},
    };
    for (const Case& c : cases) {
        int32_t major = -99, minor = -99;
        ASSERT_EQ(versionNumbers(String(c.version), major, minor), c.written) << c.version;
        if (!c.written) continue;
        EXPECT_EQ(major, c.major) << c.version;
        EXPECT_EQ(minor, c.minor) << c.version;
    }
}

TEST(UninstallValues, ProductFlagsAsOneSignedNumber) {
    EXPECT_EQ(str(productFlagsText(0, 0)), "0");
    EXPECT_EQ(str(productFlagsText(0xFFFFFFFFu, 0)), "4294967295");
    EXPECT_EQ(str(productFlagsText(0x4, 0x1)), "4294967300");
    EXPECT_EQ(str(productFlagsText(0xFFFFFFFFu, 0xFFFFFFFFu)), "-1");
}

TEST(UninstallValues, ProductFontsArePairsOfQuotedTexts) {
    Array<InstalledFont> fonts;
    EXPECT_EQ(str(productFontsText(fonts)), "");
    fonts.append(InstalledFont{"Tavo Sans", "tavosans.ttf", true});
    fonts.append(InstalledFont{"Hidden", "hidden.ttf", false});
    fonts.append(InstalledFont{"Tavo Mono Bold", "TAVOMB.TTF", true});
    EXPECT_EQ(str(productFontsText(fonts)), "\"Tavo Sans\" \"tavosans.ttf\" \"Tavo Mono Bold\" \"TAVOMB.TTF\" ");
}

TEST(UninstallValues, ProductKeyPath) {
    EXPECT_EQ(str(productUninstallKey("Tavo App")), "Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tavo App");
}

// --- The saved background picture ------------------------------------------------

TEST(UninstallBackground, FileHeaderBeforeThePackedBitmap) {
    PackedBitmap bitmap;
    bitmap.width = 2;
    bitmap.height = 1;
    bitmap.bitsPerPixel = 24;
    bitmap.bitsOffset = 40;
    bitmap.data.resize(48);
    memset(bitmap.data.buffer(), 0x5A, 48);
    String file = bitmapFileBytes(bitmap);
    ASSERT_EQ(file.length(), 14 + 48);
    const uint8_t* p = reinterpret_cast<const uint8_t*>(file.text());
    EXPECT_EQ(p[0], 'B');
    EXPECT_EQ(p[1], 'M');
    EXPECT_EQ(readLE32(p + 2), 62u);
    EXPECT_EQ(readLE32(p + 6), 0u);
    EXPECT_EQ(readLE32(p + 10), 54u);
    EXPECT_EQ(packedBitmapLength(p), 48) << "the loader reads back exactly the packed bytes";
    EXPECT_EQ(memcmp(p + 14, bitmap.data.text(), 48), 0);
}

}  // namespace
