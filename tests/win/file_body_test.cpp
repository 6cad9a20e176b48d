// Writing file bodies for real: bytes, time and attributes, read-only
// destinations, and a file in use replaced at the next restart.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "core/file_system.h"
#include "driver/run_settings.h"
#include "install/file_body.h"
#include "install/install_state.h"
#include "win_test_support.h"

using namespace wintest;

namespace {

constexpr uint32_t kClearAttributesOnFailure = 0x80000;
constexpr uint32_t kRestartNeeded = 0x4000;

class WriteFileBodyTest : public testing::Test {
protected:
    void SetUp() override {
        dir = scratchDir();
        ProductFlags = {0, 0};
        InstallLog.clear();
        ProblemReport.clear();
    }
    void TearDown() override { ProductFlags = {0, 0}; }

    bool write(const std::string& path, const std::string& bytes, uint32_t attributes, bool mayReplace,
               const DateTime& time = DateTime()) {
        return WriteFileBody(text(path), reinterpret_cast<const uint8_t*>(bytes.data()), int32_t(bytes.size()),
                             time, ProblemReport, attributes, mayReplace);
    }
    uint32_t attributesOf(const std::string& path) { return GetFileAttributesA(path.c_str()); }

    std::string dir;
};

TEST_F(WriteFileBodyTest, WritesBytesTimeAndAttributes) {
    std::string path = dir + "\\a.bin";
    std::string bytes("body\0with zero", 14);
    ASSERT_TRUE(write(path, bytes, 0x21, false, DateTime{2004, 12, 4, 16, 10, 44}));
    EXPECT_EQ(readRaw(path), bytes);
    DateTime modified;
    ASSERT_TRUE(getModifiedTime(text(path), modified));
    EXPECT_EQ(modified.year, 2004);
    EXPECT_EQ(modified.month, 12);
    EXPECT_EQ(modified.day, 4);
    EXPECT_EQ(modified.hour, 16);
    EXPECT_EQ(modified.minute, 10);
    EXPECT_EQ(modified.second, 44);
    EXPECT_EQ(attributesOf(path) & 0x1127, 0x21u) << "read-only and archive";
    EXPECT_EQ(str(ProblemReport), "");
}

TEST_F(WriteFileBodyTest, EmptyBodyAndAttributeWords) {
    std::string path = dir + "\\empty.txt";
    ASSERT_TRUE(write(path, "", 0x6, false, DateTime{2001, 2, 3, 4, 5, 6}));
    EXPECT_TRUE(existsRaw(path));
    EXPECT_EQ(readRaw(path), "");
    EXPECT_EQ(attributesOf(path) & 0x7, 0x6u) << "hidden and system";
    DateTime modified;
    ASSERT_TRUE(getModifiedTime(text(path), modified));
    EXPECT_EQ(modified.year, 2001);

    // A word of 0 clears; the write itself goes through the hidden file.
    // (Wine reports the archive bit for every file, so it is not looked at.)
    ASSERT_TRUE(write(path, "x", 0, false));
    EXPECT_EQ(attributesOf(path) & 0x1107, 0u);

    // All ones leaves what the write made, and a date without a time keeps
    // the time the write gave the file.
    ASSERT_TRUE(setAttributes(text(path), 0x2, 0x2));
    ASSERT_TRUE(write(path, "yz", kBodyAttributesUnchanged, false, DateTime{1999, 1, 1, -1, 0, 0}));
    EXPECT_EQ(readRaw(path), "yz");
    EXPECT_EQ(attributesOf(path) & 0x2, 0x2u);
    ASSERT_TRUE(getModifiedTime(text(path), modified));
    EXPECT_NE(modified.year, 1999);
}

TEST_F(WriteFileBodyTest, ReadOnlyDestinationNeedsTheOptionToBeOverwritten) {
    std::string path = dir + "\\locked.txt";
    ASSERT_TRUE(writeRaw(path, "old"));
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    HANDLE probe = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
        CloseHandle(probe);
        GTEST_SKIP() << "this system opens a read-only file for writing (Wine run as root ignores the "
                        "attribute); the attempts are a host unit test";
    }

    EXPECT_FALSE(write(path, "new", 0, false));
    EXPECT_EQ(readRaw(path), "old");
    std::string report = str(ProblemReport);
    EXPECT_EQ(report.rfind("\r\nError writing " + path + "\r\n", 0), 0u) << report;
    EXPECT_GT(report.size(), ("\r\nError writing " + path + "\r\n").size()) << "the system's error text follows";
    EXPECT_EQ(str(InstallLog), "");

    ProblemReport.clear();
    ProductFlags.low = kClearAttributesOnFailure;
    EXPECT_TRUE(write(path, "new", kBodyAttributesUnchanged, false));
    EXPECT_EQ(readRaw(path), "new");
    EXPECT_EQ(attributesOf(path) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(str(ProblemReport), "");
}

// The restart's pending renames, as the system keeps them.
std::string pendingRenames() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
        return std::string();
    }
    std::string value(65536, '\0');
    DWORD size = DWORD(value.size());
    LONG result = RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(&value[0]), &size);
    RegCloseKey(key);
    value.resize(result == ERROR_SUCCESS ? size : 0);
    for (char& c : value) c = c ? c : '|';
    return value;
}

TEST_F(WriteFileBodyTest, FileInUseIsReplacedAtTheRestartOnlyWhenAllowed) {
    std::string path = dir + "\\busy.dll";
    ASSERT_TRUE(writeRaw(path, "old"));
    FileHolder holder(path);
    ASSERT_TRUE(holder.ok());

    EXPECT_FALSE(write(path, "new", 0, false));
    std::string report = str(ProblemReport);
    EXPECT_EQ(report.rfind("\r\nError writing " + path + "\r\n", 0), 0u) << report;
    EXPECT_EQ(ProductFlags.low & kRestartNeeded, 0u);
    EXPECT_EQ(lowerCase(pendingRenames()).find(lowerCase(path)), std::string::npos);

    ProblemReport.clear();
    EXPECT_FALSE(write(path, "new", 0, true)) << "scheduled is not written";
    EXPECT_EQ(str(ProblemReport), "") << "a scheduled replacement is no problem";
    EXPECT_EQ(ProductFlags.low & kRestartNeeded, kRestartNeeded);
    std::string log = str(InstallLog);
    EXPECT_EQ(log.rfind("\r\nError writing " + path + "\r\n", 0), 0u) << log;
    std::string scheduled = "\"" + path + "\" has been successfully registered for replacement.\r\nTemporary file is \"";
    size_t at = log.find(scheduled);
    ASSERT_NE(at, std::string::npos) << log;
    size_t nameStart = at + scheduled.size();
    size_t nameEnd = log.find('"', nameStart);
    ASSERT_NE(nameEnd, std::string::npos);
    EXPECT_EQ(log.substr(nameEnd), "\"\r\nReboot will be required.\r\n\r\n");
    std::string temporary = log.substr(nameStart, nameEnd - nameStart);
    EXPECT_EQ(readRaw(temporary), "new") << temporary;
    EXPECT_NE(lowerCase(pendingRenames()).find(lowerCase(path)), std::string::npos) << pendingRenames();

    holder.release();
    EXPECT_EQ(readRaw(path), "old") << "the file itself waits for the restart";
    DeleteFileA(temporary.c_str());
}

TEST_F(WriteFileBodyTest, NegativeSizeIsCorrupt) {
    EXPECT_EXIT(WriteFileBody(text(dir + "\\x"), nullptr, -1, DateTime(), ProblemReport, 0, false),
                testing::ExitedWithCode(1), "corrupt payload 5");
}

}  // namespace
