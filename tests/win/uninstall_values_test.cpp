// The product's uninstall values written into a real key and read back raw:
// every value in its registry type and form, and the drop rules deleting
// values an earlier installation left. Under HKCU\Software\TavoWinTests.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "core/registry.h"
#include "install/uninstall_record.h"
#include "win_test_support.h"

using namespace wintest;

namespace {

struct RawValue {
    bool present = false;
    DWORD type = 0;
    std::string bytes;
};

class UninstallValuesTest : public testing::Test {
protected:
    void SetUp() override {
        base = std::string("Software\\TavoWinTests\\") +
               testing::UnitTest::GetInstance()->current_test_info()->name();
        RegDeleteTreeA(HKEY_CURRENT_USER, base.c_str());
    }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, base.c_str()); }

    void write(const UninstallRecordInputs& inputs) {
        Array<UninstallRegistryValue> values;
        uninstallRegistryValues(inputs, values);
        Registry registry;
        ASSERT_NE(registry.open(RegistryRootCurrentUser, base.c_str(), 0), RegOpenFailed);
        writeUninstallValues(registry, values);
        registry.close();
    }
    RawValue raw(const char* name) const {
        RawValue v;
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, base.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return v;
        char data[1024];
        DWORD size = sizeof data;
        if (RegQueryValueExA(key, name, nullptr, &v.type, reinterpret_cast<BYTE*>(data), &size) == ERROR_SUCCESS) {
            v.present = true;
            v.bytes.assign(data, size);
        }
        RegCloseKey(key);
        return v;
    }
    // A text value as the system stores it: the text and its terminator.
    void expectText(const char* name, const std::string& text, DWORD type = REG_SZ) const {
        RawValue v = raw(name);
        ASSERT_TRUE(v.present) << name;
        EXPECT_EQ(v.type, type) << name;
        EXPECT_EQ(v.bytes, text + '\0') << name;
    }
    void expectNumber(const char* name, uint32_t number) const {
        RawValue v = raw(name);
        ASSERT_TRUE(v.present) << name;
        EXPECT_EQ(v.type, DWORD(REG_DWORD)) << name;
        ASSERT_EQ(v.bytes.size(), 4u) << name;
        uint32_t stored;
        memcpy(&stored, v.bytes.data(), 4);
        EXPECT_EQ(stored, number) << name;
    }
    void expectMissing(const char* name) const { EXPECT_FALSE(raw(name).present) << name; }

    std::string base;
};

UninstallRecordInputs fullInputs(const Vector<UninstallValue>* extras) {
    UninstallRecordInputs in;
    in.uninstallerPath = "C:\\Tavo App\\Uninstall\\unins.exe";
    in.uninstallName = "Tavo App";
    in.productName = "Tavo Application";
    in.installSource = "Z:\\media\\setup.exe";
    in.displayVersion = "1,200.5";
    in.publisher = "Tavo Makers";
    in.productRegistry = "Tavo\\App";
    in.productStartMenu = "Tavo App";
    in.sharedPath = "C:\\Common\\Tavo";
    in.productFonts = "\"Tavo Sans\" \"tavosans.ttf\" ";
    in.productFlagsLow = 0x8004;
    in.productFlagsHigh = 0x1;
    in.uninstallBatch1 = "echo one\r\necho more";
    in.uninstallBatch2 = "echo two";
    in.sharedFiles = "\"C:\\Windows\\System32\\tavo.dll \";\"C:\\Common\\Tavo\\x.ocx^\"";
    in.uninstallSubdir = "Uninstall";
    in.shortcutMode = 1;
    in.displayTitle = "Tavo Application";
    in.titleColor = 0xFFFFFF;
    in.topColor = 0xFF0000;
    in.bottomColor = 0x000080;
    in.titleShadow = 3;
    in.bitmapSize = 100;
    in.extraValues = extras;
    in.installDir = "C:\\Tavo App";
    in.installDate = "12/4/26 4:10:44p";
    return in;
}

TEST_F(UninstallValuesTest, EveryValueReadsBackInItsForm) {
    Vector<UninstallValue> extras;
    extras.append(UninstallValue{"HelpLink", 0, "http://tavo.example/help"});
    extras.append(UninstallValue{"Readme", 2, "%SystemRoot%\\readme.txt"});
    extras.append(UninstallValue{"EstimatedSize", 4, "1500"});
    write(fullInputs(&extras));

    expectText("UninstallString", "C:\\Tavo App\\Uninstall\\unins.exe /u:\"Tavo App\"");
    expectText("QuietUninstallString", "C:\\Tavo App\\Uninstall\\unins.exe /a /u:\"Tavo App\"");
    expectText("DisplayName", "Tavo Application");
    expectText("InstallSource", "Z:\\media\\setup.exe");
    expectText("DisplayVersion", "1,200.5");
    expectText("Publisher", "Tavo Makers");
    expectNumber("VersionMajor", 1200);
    expectNumber("VersionMinor", 5);
    expectText("ProductRegistry", "Tavo\\App");
    expectText("ProductStartMenu", "Tavo App");
    expectText("SharedPath", "C:\\Common\\Tavo");
    expectText("ProductFonts", "\"Tavo Sans\" \"tavosans.ttf\" ");
    expectText("ProductFlags", "4295000068");
    expectText("UninstallBatch1", "echo one\r\necho more");
    expectText("UninstallBatch2", "echo two");
    expectText("SharedFiles", "\"C:\\Windows\\System32\\tavo.dll \";\"C:\\Common\\Tavo\\x.ocx^\"");
    expectText("UninstallSubdir", "Uninstall");
    expectNumber("ShortcutMode", 1);
    expectText("DisplayTitle", "Tavo Application");
    expectNumber("TitleColor", 0xFFFFFF);
    expectNumber("TopColor", 0xFF0000);
    expectNumber("BottomColor", 0x000080);
    expectNumber("MonoColor", 0);
    expectNumber("TitleShadow", 3);
    expectNumber("BitmapSize", 100);
    expectText("HelpLink", "http://tavo.example/help");
    expectText("Readme", "%SystemRoot%\\readme.txt", REG_EXPAND_SZ);
    expectNumber("EstimatedSize", 1500);
    expectText("InstallLocation", "C:\\Tavo App");
    expectText("InstallDate", "12/4/26 4:10:44p");

    // What the uninstaller reads through Registry comes back unchanged.
    Registry registry;
    ASSERT_NE(registry.open(RegistryRootCurrentUser, base.c_str(), RegOpenOnly), RegOpenFailed);
    String text;
    EXPECT_TRUE(registry.readString(text, "ProductFlags", "", 0));
    EXPECT_EQ(text.toInteger64(), int64_t(0x100008004LL));
    EXPECT_TRUE(registry.readString(text, "UninstallBatch1", "", 0));
    EXPECT_EQ(str(text), "echo one\r\necho more");
    EXPECT_EQ(registry.readInt("TitleShadow", 1, 0), 3);
    EXPECT_FALSE(registry.readBool("MonoColor", true, 0));
}

TEST_F(UninstallValuesTest, AReinstallWithEmptySettingsRemovesTheEarlierValues) {
    Vector<UninstallValue> extras;
    extras.append(UninstallValue{"HelpLink", 0, "http://tavo.example/help"});
    extras.append(UninstallValue{"Readme", 2, "readme.txt"});
    extras.append(UninstallValue{"EstimatedSize", 4, "1500"});
    write(fullInputs(&extras));

    UninstallRecordInputs again = fullInputs(nullptr);
    again.displayVersion = "";
    again.publisher = "";
    again.productFonts = "";
    again.sharedFiles = "";
    again.uninstallBatch1 = "";
    again.shortcutMode = 0;
    again.bottomColor = again.topColor;
    Vector<UninstallValue> emptied;
    emptied.append(UninstallValue{"HelpLink", 0, ""});
    emptied.append(UninstallValue{"Readme", 2, ""});
    emptied.append(UninstallValue{"EstimatedSize", 4, "0"});
    again.extraValues = &emptied;
    write(again);

    for (const char* name : {"DisplayVersion", "Publisher", "ProductFonts", "SharedFiles", "UninstallBatch1",
                             "ShortcutMode", "BottomColor", "HelpLink", "Readme", "EstimatedSize"}) {
        expectMissing(name);
    }
    expectNumber("MonoColor", 1);
    expectNumber("TopColor", 0xFF0000);
    expectText("UninstallBatch2", "echo two");
    // No point in the version: the earlier numbers are neither written nor removed.
    expectNumber("VersionMajor", 1200);
    expectNumber("VersionMinor", 5);
}

TEST_F(UninstallValuesTest, AVersionWithoutPointWritesNoNumbers) {
    UninstallRecordInputs in = fullInputs(nullptr);
    in.displayVersion = "2010";
    write(in);
    expectText("DisplayVersion", "2010");
    expectMissing("VersionMajor");
    expectMissing("VersionMinor");
}

}  // namespace
