// Shared-file reference counts in the machine's real SharedDLLs key: one
// installation adds one count, a reinstallation takes its earlier counts back
// before counting again. The value names are paths below the test program's
// scratch folder, removed again afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "core/registry.h"
#include "install/install_state.h"
#include "install/shared_files.h"
#include "win_test_support.h"

using namespace wintest;

namespace {

const char kSharedDlls[] = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

class SharedFilesTest : public testing::Test {
protected:
    void SetUp() override {
        dir = "C:\\tavo-win-tests\\" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name());
        plain = dir + "\\plain.dll";
        com = dir + "\\server.ocx";
        kept = dir + "\\never.dll";
        typelib = dir + "\\types.tlb";
        gone = dir + "\\gone.dll";
        for (const std::string* p : {&plain, &com, &kept, &typelib, &gone}) removeCount(*p);
        SharedFileList.clear();
        PreviousRecord = PreviousInstallation();
        SharedFilesText.clear();
        ProblemReport.clear();
    }
    void TearDown() override {
        for (const std::string* p : {&plain, &com, &kept, &typelib, &gone}) removeCount(*p);
        SharedFileList.clear();
        PreviousRecord = PreviousInstallation();
        SharedFilesText.clear();
    }

    // The count of `path`; -1 when there is no value.
    static int count(const std::string& path) {
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSharedDlls, 0, KEY_READ, &key) != ERROR_SUCCESS) return -1;
        DWORD type = 0, value = 0, size = sizeof value;
        LONG answer = RegQueryValueExA(key, path.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
        RegCloseKey(key);
        if (answer != ERROR_SUCCESS) return -1;
        EXPECT_EQ(type, DWORD(REG_DWORD)) << path;
        return int(value);
    }
    static void setCount(const std::string& path, DWORD value) {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSharedDlls, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(key, path.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
        RegCloseKey(key);
    }
    static void removeCount(const std::string& path) {
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSharedDlls, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
        RegDeleteValueA(key, path.c_str());
        RegCloseKey(key);
    }
    void listThisRun() {
        SharedFileList.clear();
        SharedFileList.append(text(plain));
        SharedFileList.append(text(com + "^"));
        SharedFileList.append(text(kept + " "));
        SharedFileList.append(text(typelib + "\xA9"));
    }

    std::string dir, plain, com, kept, typelib, gone;
};

TEST_F(SharedFilesTest, OneInstallationCountsEachFileOnceAndRecordsItsMarker) {
    setCount(plain, 3);  // another product's count
    listThisRun();
    CountSharedFiles(false);
    EXPECT_EQ(count(plain), 4);
    EXPECT_EQ(count(com), 1);
    EXPECT_EQ(count(kept), 1) << "counted under the path without its blank";
    EXPECT_EQ(count(typelib), 1);
    EXPECT_EQ(str(SharedFilesText),
              "\"" + plain + "\";\"" + com + "^\";\"" + kept + " \";\"" + typelib + "\xA9\"");
    EXPECT_TRUE(ProblemReport.isEmpty());
}

TEST_F(SharedFilesTest, AReinstallationEndsOneAboveTheCountsBeforeTheFirst) {
    setCount(plain, 3);
    listThisRun();
    CountSharedFiles(false);
    String firstText = SharedFilesText;

    // The same product again, with one file fewer and one it did not have.
    PreviousRecord.sharedFiles = firstText;
    SharedFileList.clear();
    SharedFileList.append(text(plain));
    SharedFileList.append(text(com + "^"));
    SharedFileList.append(text(typelib + "\xA9"));
    SharedFileList.append(text(gone));
    CountSharedFiles(true);

    EXPECT_EQ(count(plain), 4) << "taken back, then counted again";
    EXPECT_EQ(count(com), 1);
    EXPECT_EQ(count(typelib), 1);
    EXPECT_EQ(count(kept), -1) << "a count of 1 taken back is deleted, not written as 0";
    EXPECT_EQ(count(gone), 1);
    EXPECT_EQ(str(SharedFilesText), "\"" + plain + "\";\"" + com + "^\";\"" + typelib + "\xA9\";\"" + gone + "\"");
}

TEST_F(SharedFilesTest, WithoutReinstallTheEarlierTextIsNotTakenBack) {
    setCount(plain, 2);
    PreviousRecord.sharedFiles = text("\"" + plain + "\"");
    SharedFileList.append(text(plain));
    CountSharedFiles(false);
    EXPECT_EQ(count(plain), 3);
}

TEST_F(SharedFilesTest, TakingBackAMissingCountDeletesNothingElse) {
    setCount(com, 5);
    Registry registry;
    ASSERT_NE(registry.openSoftware(SharedDllsKey, false, 0), RegOpenFailed);
    takeBackSharedFileCounts(registry, text("\"" + gone + "\";\"" + com + "^\""));
    registry.close();
    EXPECT_EQ(count(gone), -1);
    EXPECT_EQ(count(com), 4);
}

}  // namespace
