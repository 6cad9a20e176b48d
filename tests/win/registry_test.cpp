// Registry against the Wine prefix's registry, under HKCU\Software\TavoWinTests.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "core/registry.h"
#include "win_test_support.h"

using namespace wintest;

namespace {

class RegistryTest : public testing::Test {
protected:
    void SetUp() override {
        const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
        base = std::string("Software\\TavoWinTests\\") + test->name();
        RegDeleteTreeA(HKEY_CURRENT_USER, base.c_str());
    }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, base.c_str()); }
    std::string key(const std::string& below = "") const { return below.empty() ? base : base + "\\" + below; }
    bool exists(const std::string& below) const {
        HKEY k;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, key(below).c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
        RegCloseKey(k);
        return true;
    }
    std::string base;
};

TEST_F(RegistryTest, OpenTellsCreatedFromExistingAndOpenOnlyChangesNothing) {
    Registry registry;
    EXPECT_EQ(registry.open(RegistryRootCurrentUser, key().c_str(), 0), RegCreatedNew);
    EXPECT_TRUE(registry.setText("marker", "outer", 0));
    EXPECT_EQ(registry.open(RegistryRootCurrentUser, key().c_str(), 0), RegOpenedExisting);
    registry.close();
    EXPECT_EQ(registry.open(RegistryRootCurrentUser, key("missing").c_str(), RegOpenOnly), RegOpenFailed);
    EXPECT_FALSE(exists("missing"));
    String marker;
    EXPECT_TRUE(registry.readString(marker, "marker", "", 0)) << "the current key is unchanged";
    EXPECT_EQ(str(marker), "outer");
    EXPECT_EQ(registry.open(RegistryRootNone, "x", 0), RegOpenFailed);
}

TEST_F(RegistryTest, NestedKeysCloseBackToTheOuterKey) {
    Registry registry;
    ASSERT_NE(registry.open(RegistryRootCurrentUser, key("A").c_str(), 0), RegOpenFailed);
    EXPECT_EQ(registry.openSub("B", 0), RegCreatedNew);
    EXPECT_TRUE(registry.setInt("level", 2, 0));
    registry.close();
    EXPECT_TRUE(registry.setInt("level", 1, 0));
    EXPECT_EQ(registry.readInt("level", 0, 0), 1);
    EXPECT_EQ(registry.openSub("B", RegOpenOnly), RegOpenedExisting);
    EXPECT_EQ(registry.readInt("level", 0, 0), 2);
    registry.closeAll();
    EXPECT_FALSE(registry.hasCurrentKey());
    EXPECT_EQ(registry.openSub("B", 0), RegOpenFailed);
    EXPECT_FALSE(registry.setInt("level", 3, 0));
    EXPECT_EQ(registry.deleteValue("level"), RegNothingToDelete);
    EXPECT_EQ(registry.deleteKey("B", 0), RegNothingToDelete);
}

TEST_F(RegistryTest, DeleteKeyRemovesAWholeTree) {
    Registry registry;
    ASSERT_NE(registry.open(RegistryRootCurrentUser, key("Tree\\L1\\L2\\L3").c_str(), 0), RegOpenFailed);
    registry.setText("deep", "value", 0);
    registry.closeAll();
    ASSERT_NE(registry.open(RegistryRootCurrentUser, key("Tree\\L1b").c_str(), 0), RegOpenFailed);
    registry.closeAll();

    ASSERT_NE(registry.open(RegistryRootCurrentUser, key().c_str(), RegOpenOnly), RegOpenFailed);
    EXPECT_EQ(registry.subkeyCount(), 1);
    EXPECT_EQ(registry.deleteKey("Tree", 0), RegDeleted);
    EXPECT_FALSE(exists("Tree"));
    EXPECT_EQ(registry.subkeyCount(), 0);
    EXPECT_EQ(registry.deleteKey("Tree", 0), RegNothingToDelete);
    EXPECT_EQ(registry.deleteKey("", 0), RegNothingToDelete);
}

TEST_F(RegistryTest, OnlyIfEmptyKeepsAKeyWithAValue) {
    Registry registry;
    ASSERT_NE(registry.open(RegistryRootCurrentUser, key("Full").c_str(), 0), RegOpenFailed);
    registry.setInt("one", 1, 0);
    registry.closeAll();
    ASSERT_NE(registry.open(RegistryRootCurrentUser, key("Empty").c_str(), 0), RegOpenFailed);
    registry.closeAll();

    ASSERT_NE(registry.open(RegistryRootCurrentUser, key().c_str(), RegOpenOnly), RegOpenFailed);
    EXPECT_EQ(registry.deleteKey("Full", RegOnlyIfEmpty), RegNotEmpty);
    EXPECT_TRUE(exists("Full"));
    EXPECT_EQ(registry.deleteKey("Empty", RegOnlyIfEmpty), RegDeleted);
    EXPECT_FALSE(exists("Empty"));
}

TEST_F(RegistryTest, SubkeyNamesAndEmptiness) {
    Registry registry;
    for (const char* name : {"K1", "K2", "K3"}) {
        ASSERT_NE(registry.open(RegistryRootCurrentUser, key(name).c_str(), 0), RegOpenFailed);
        registry.close();
    }
    ASSERT_NE(registry.open(RegistryRootCurrentUser, key().c_str(), RegOpenOnly), RegOpenFailed);
    Array<String> names;
    SetLastError(5);
    EXPECT_EQ(registry.subkeyNames(names), 3);
    EXPECT_EQ(GetLastError(), 0u);
    ASSERT_EQ(names.count(), 3);
    EXPECT_EQ(str(names[0]), "K1");
    EXPECT_TRUE(registry.hasSubkeys());
    EXPECT_FALSE(registry.isEmptyKey());
    EXPECT_EQ(registry.openSub("K1", RegOpenOnly), RegOpenedExisting);
    EXPECT_TRUE(registry.isEmptyKey());
    EXPECT_TRUE(registry.setInt("v", 0, 0));
    EXPECT_FALSE(registry.isEmptyKey());
}

TEST_F(RegistryTest, TextsReadBackUnchanged) {
    Registry registry;
    ASSERT_NE(registry.open(RegistryRootCurrentUser, key().c_str(), 0), RegOpenFailed);
    const std::string texts[] = {
        "", "x", std::string(30, 'a'), std::string(31, 'b'), std::string(32, 'c'), std::string(33, 'd'),
        "C:\\Program Files\\App\\bin;%WinDir% with blanks ", std::string(5000, 'e'),
    };
    for (const std::string& t : texts) {
        SCOPED_TRACE(t.size());
        ASSERT_TRUE(registry.setString("text", text(t), 0));
        String back("stale");
        EXPECT_TRUE(registry.readString(back, "text", "default", 0));
        EXPECT_EQ(str(back), t);
        Variant value;
        ASSERT_TRUE(registry.queryValue("text", value, 0));
        EXPECT_EQ(value.kind(), Variant::KindText);
    }
}

TEST_F(RegistryTest, NumbersAndConversions) {
    Registry registry;
    ASSERT_NE(registry.open(RegistryRootCurrentUser, key().c_str(), 0), RegOpenFailed);
    ASSERT_TRUE(registry.setInt("number", -5, 0));
    Variant value;
    ASSERT_TRUE(registry.queryValue("number", value, 0));
    EXPECT_EQ(value.kind(), Variant::KindInteger);
    EXPECT_EQ(registry.readInt("number", 0, 0), -5);
    EXPECT_TRUE(registry.readBool("number", false, 0));

    ASSERT_TRUE(registry.setText("numeric", "42abc", 0));
    EXPECT_EQ(registry.readInt("numeric", 0, 0), 42);
    ASSERT_TRUE(registry.setText("no", "No", 0));
    EXPECT_FALSE(registry.readBool("no", true, 0));
    ASSERT_TRUE(registry.setBool("flag", true));
    EXPECT_EQ(registry.readInt("flag", 0, 0), 1);

    EXPECT_EQ(registry.readInt("missing", 99, 0), 99);
    EXPECT_TRUE(registry.readBool("missing", true, 0));
    String out;
    EXPECT_FALSE(registry.readString(out, "missing", "fallback", 0));
    EXPECT_EQ(str(out), "fallback");

    Variant floating;
    floating.setFloating(2.5);
    ASSERT_TRUE(registry.setValue("floating", floating, 0));
    EXPECT_TRUE(registry.readString(out, "floating", "", 0));
    EXPECT_EQ(str(out), "2.5");
}

TEST_F(RegistryTest, OtherValueTypesReadAsTheirBytes) {
    Registry registry;
    ASSERT_NE(registry.open(RegistryRootCurrentUser, key().c_str(), 0), RegOpenFailed);
    HKEY raw;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, key().c_str(), 0, KEY_ALL_ACCESS, &raw), ERROR_SUCCESS);
    const char expand[] = "%TEMP%\\x";
    const char multi[] = "one\0two\0";
    std::string longMulti = std::string(40, 'm') + std::string(1, '\0') + "z" + std::string(2, '\0');
    const unsigned char binary[] = {1, 0, 2};
    const unsigned char qword[8] = {1};
    RegSetValueExA(raw, "expand", 0, REG_EXPAND_SZ, (const BYTE*)expand, sizeof expand);
    RegSetValueExA(raw, "multi", 0, REG_MULTI_SZ, (const BYTE*)multi, sizeof multi);
    RegSetValueExA(raw, "longMulti", 0, REG_MULTI_SZ, (const BYTE*)longMulti.data(), DWORD(longMulti.size()));
    RegSetValueExA(raw, "binary", 0, REG_BINARY, binary, sizeof binary);
    RegSetValueExA(raw, "qword", 0, REG_QWORD, qword, sizeof qword);
    RegCloseKey(raw);

    Variant value;
    ASSERT_TRUE(registry.queryValue("expand", value, 0));
    EXPECT_EQ(str(value.text()), std::string(expand, sizeof expand));
    ASSERT_TRUE(registry.queryValue("multi", value, 0));
    EXPECT_EQ(str(value.text()), std::string(multi, sizeof multi));
    ASSERT_TRUE(registry.queryValue("longMulti", value, 0));
    EXPECT_EQ(str(value.text()), longMulti.substr(0, longMulti.size() - 1)) << "the larger form drops one byte";
    ASSERT_TRUE(registry.queryValue("binary", value, 0));
    EXPECT_EQ(str(value.text()), std::string("\1\0\2", 3));
    EXPECT_FALSE(registry.queryValue("qword", value, 0));
    EXPECT_TRUE(registry.valueExists("qword"));
    EXPECT_FALSE(registry.valueExists("none"));
}

TEST_F(RegistryTest, EmptyValuesDeleteWhenAsked) {
    Registry registry;
    ASSERT_NE(registry.open(RegistryRootCurrentUser, key().c_str(), 0), RegOpenFailed);
    ASSERT_TRUE(registry.setText("text", "present", 0));
    EXPECT_TRUE(registry.setString("text", String(), RegDeleteWhenEmpty));
    EXPECT_FALSE(registry.valueExists("text"));
    EXPECT_FALSE(registry.setString("text", String(), RegDeleteWhenEmpty)) << "nothing was deleted";
    EXPECT_FALSE(registry.valueExists("text"));

    ASSERT_TRUE(registry.setInt("number", 3, 0));
    EXPECT_TRUE(registry.setInt("number", 0, RegDeleteWhenEmpty));
    EXPECT_FALSE(registry.valueExists("number"));

    ASSERT_TRUE(registry.setInt("variant", 3, 0));
    Variant none;
    EXPECT_TRUE(registry.setValue("variant", none, 0));
    EXPECT_FALSE(registry.valueExists("variant"));
    Variant zero;
    zero.setInteger(0);
    EXPECT_TRUE(registry.setValue("variant", zero, 0));
    EXPECT_EQ(registry.readInt("variant", 7, 0), 0);
    EXPECT_TRUE(registry.setValue("variant", zero, RegDeleteWhenEmpty));
    EXPECT_FALSE(registry.valueExists("variant"));
    EXPECT_EQ(registry.deleteValue("variant"), RegRefused);
}

TEST_F(RegistryTest, PathOperations) {
    Registry registry;
    String out;
    // Without RegOpenOnly a missing key is created, empty, and the default returned.
    EXPECT_TRUE(registry.readStringAt(out, RegistryRootCurrentUser, key("Made\\value").c_str(), "dflt", 0));
    EXPECT_EQ(str(out), "");
    EXPECT_TRUE(exists("Made"));
    EXPECT_FALSE(registry.readStringAt(out, RegistryRootCurrentUser, key("NotMade\\value").c_str(), "dflt",
                                       RegOpenOnly));
    EXPECT_EQ(str(out), "dflt");
    EXPECT_FALSE(exists("NotMade"));

    ASSERT_NE(registry.open(RegistryRootCurrentUser, key("Made").c_str(), 0), RegOpenFailed);
    registry.setText("value", "read through the path", 0);
    registry.closeAll();
    EXPECT_TRUE(registry.readStringAt(out, RegistryRootCurrentUser, key("Made\\value").c_str(), "", RegOpenOnly));
    EXPECT_EQ(str(out), "read through the path");
    EXPECT_FALSE(registry.hasCurrentKey());

    EXPECT_TRUE(registry.keyExists(RegistryRootCurrentUser, key("Made").c_str()));
    EXPECT_FALSE(registry.keyExists(RegistryRootCurrentUser, ""));
    EXPECT_TRUE(registry.softwareKeyExists((key("Made").c_str() + 9), true));
    EXPECT_EQ(registry.deleteKeyAt(RegistryRootCurrentUser, key("Made").c_str(), 0), RegDeleted);
    EXPECT_FALSE(exists("Made"));
    EXPECT_EQ(registry.deleteKeyAt(RegistryRootCurrentUser, key("Missing\\Below").c_str(), 0), RegNothingToDelete);

    std::string belowText = key().substr(9);  // without "Software\"
    const char* below = belowText.c_str();
    ASSERT_NE(registry.openSoftware((std::string(below) + "\\S1\\S2").c_str(), true, 0), RegOpenFailed);
    registry.closeAll();
    EXPECT_EQ(registry.deleteSoftwareSubkey(below, "S1", true, 0), RegDeleted);
    EXPECT_FALSE(exists("S1"));
    EXPECT_EQ(registry.deleteSoftwareKey(below, true, 0), RegDeleted);
    EXPECT_FALSE(registry.keyExists(RegistryRootCurrentUser, key().c_str()));
}

}  // namespace
