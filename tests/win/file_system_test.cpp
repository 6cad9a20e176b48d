// Directories, deletion and renaming (now and at the restart), attributes,
// searches, drives and disk space.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/file.h"
#include "core/file_system.h"
#include "core/path.h"
#include "core/registry.h"
#include "core/system_info.h"
#include "core/system_paths.h"
#include "win_test_support.h"

using namespace wintest;

namespace {

class FileSystemTest : public testing::Test {
protected:
    void SetUp() override { dir = scratchDir(); }
    String path(const char* name) const { return text(dir + "\\" + name); }
    std::string dir;
};

TEST_F(FileSystemTest, CreateDirectoriesMakesEveryMissingLevel) {
    String deep = path("one\\two\\three");
    EXPECT_FALSE(directoryExists(deep));
    EXPECT_TRUE(createDirectories(deep));
    EXPECT_TRUE(directoryExists(deep));
    EXPECT_TRUE(createDirectories(deep)) << "an existing directory";
    EXPECT_TRUE(createDirectories(path("with\\trailing\\")));
    EXPECT_TRUE(directoryExists(path("with\\trailing")));
    EXPECT_TRUE(createDirectories(String("C:\\")));
    EXPECT_FALSE(createDirectories(String()));
    EXPECT_FALSE(directoryExists(String()));

    ASSERT_TRUE(writeRaw(dir + "\\file", "x"));
    EXPECT_FALSE(createDirectories(path("file\\below"))) << "a file stands in the way";
}

TEST_F(FileSystemTest, DirectoryExistsKeepsTheCurrentDirectory) {
    String before = currentDirectory();
    ASSERT_FALSE(before.isEmpty());
    EXPECT_TRUE(directoryExists(text(dir)));
    EXPECT_FALSE(directoryExists(path("missing")));
    EXPECT_EQ(str(currentDirectory()), str(before));
}

TEST_F(FileSystemTest, DeleteDirectoryTreeRemovesEverythingBelow) {
    String root = path("tree");
    ASSERT_TRUE(createDirectories(path("tree\\a\\b\\c")));
    ASSERT_TRUE(createDirectories(path("tree\\empty")));
    for (const char* name : {"tree\\1.txt", "tree\\a\\2.txt", "tree\\a\\b\\c\\3.txt"}) {
        ASSERT_TRUE(writeRaw(str(path(name)), name));
    }
    ASSERT_TRUE(setReadOnly(path("tree\\a\\2.txt"), true));
    EXPECT_TRUE(deleteDirectoryTree(root));
    EXPECT_FALSE(existsRaw(str(root)));
}

TEST_F(FileSystemTest, DeleteDirectoryTreeGoesOnPastAFailureAndReportsIt) {
    ASSERT_TRUE(createDirectories(path("tree\\sub")));
    ASSERT_TRUE(writeRaw(str(path("tree\\held.txt")), "x"));
    ASSERT_TRUE(writeRaw(str(path("tree\\sub\\free.txt")), "x"));
    FileHolder holder(str(path("tree\\held.txt")));
    ASSERT_TRUE(holder.ok());
    EXPECT_FALSE(deleteDirectoryTree(path("tree")));
    EXPECT_TRUE(existsRaw(str(path("tree\\held.txt"))));
    EXPECT_FALSE(existsRaw(str(path("tree\\sub")))) << "the walk went on";
}

TEST_F(FileSystemTest, RootsAndTheWindowsDirectoryAreNeverRemoved) {
    EXPECT_FALSE(removeDirectory(String("C:\\")));
    EXPECT_FALSE(deleteDirectoryTree(String("C:\\")));
    EXPECT_FALSE(deleteDirectoryTree(SystemPaths.windowsDirectory));
    String windows = SystemPaths.windowsDirectory;
    windows.append("\\");
    EXPECT_FALSE(deleteDirectoryTree(windows));
    EXPECT_TRUE(directoryExists(SystemPaths.windowsDirectory));

    ASSERT_TRUE(createDirectories(path("gone")));
    EXPECT_TRUE(removeDirectory(path("gone\\\\")));
    EXPECT_FALSE(directoryExists(path("gone")));
}

TEST_F(FileSystemTest, DeleteFileClearsReadOnlyFirst) {
    String name = path("ro.txt");
    ASSERT_TRUE(writeRaw(str(name), "x"));
    ASSERT_TRUE(setReadOnly(name, true));
    EXPECT_TRUE(deleteFile(name, 0));
    EXPECT_FALSE(existsRaw(str(name)));
    EXPECT_FALSE(deleteFile(name, 0));
    EXPECT_FALSE(deleteFile(String(), 0));
}

TEST_F(FileSystemTest, MoveFileReplacesRenamesAndLeavesItselfAlone) {
    String a = path("a.txt"), b = path("b.txt");
    ASSERT_TRUE(writeRaw(str(a), "from a"));
    ASSERT_TRUE(writeRaw(str(b), "old b"));
    ASSERT_TRUE(setReadOnly(b, true));
    EXPECT_TRUE(moveFile(a, b, 0));
    EXPECT_FALSE(existsRaw(str(a)));
    EXPECT_EQ(readRaw(str(b)), "from a");

    EXPECT_TRUE(moveFile(b, b, 0));
    EXPECT_EQ(readRaw(str(b)), "from a");

    // A case-only rename goes to the system without deleting the destination,
    // which is the file itself. (Wine keeps the old letter case.)
    EXPECT_TRUE(moveFile(b, path("B.TXT"), 0));
    EXPECT_EQ(readRaw(str(b)), "from a");

    EXPECT_FALSE(moveFile(path("missing.txt"), path("x.txt"), 0));
    SetLastError(0);
    EXPECT_FALSE(moveFile(String(" "), b, 0));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

class WininitTest : public FileSystemTest {
protected:
    void SetUp() override {
        FileSystemTest::SetUp();
        ini = str(joinPath(SystemPaths.windowsDirectory, String("wininit.ini")));
        DeleteFileA(ini.c_str());
    }
    void TearDown() override { DeleteFileA(ini.c_str()); }
    std::string ini;
};

TEST_F(WininitTest, RenamesAreAddedFirstInANewSection) {
    EXPECT_TRUE(scheduleRenameAtRestart(String("C:\\A.DLL"), String("C:\\A.NEW")));
    EXPECT_EQ(readRaw(ini), "\r\n[rename]\r\nC:\\A.DLL=C:\\A.NEW");
    EXPECT_TRUE(scheduleRenameAtRestart(String("NUL"), String("C:\\OLD.DLL")));
    EXPECT_EQ(readRaw(ini), "\r\n[rename]\r\nNUL=C:\\OLD.DLL\r\nC:\\A.DLL=C:\\A.NEW");
    EXPECT_FALSE(scheduleRenameAtRestart(String(" "), String("x")));
}

TEST_F(WininitTest, AnExistingFileKeepsItsTextAndSection) {
    ASSERT_TRUE(writeRaw(ini, "[boot]\r\nx=y"));
    EXPECT_TRUE(scheduleRenameAtRestart(String("D"), String("S")));
    EXPECT_EQ(readRaw(ini), "[boot]\r\nx=y\r\n[rename]\r\nD=S");

    ASSERT_TRUE(writeRaw(ini, "[Rename]\r\nold=entry\r\n"));
    EXPECT_TRUE(scheduleRenameAtRestart(String("D"), String("S")));
    EXPECT_EQ(readRaw(ini), "[Rename]\r\nD=S\r\nold=entry\r\n");
}

// The delayed moves of the NT family, as the system keeps them.
std::string pendingRenames() {
    Registry registry;
    if (!registry.open(RegistryRootLocalMachine, "System\\CurrentControlSet\\Control\\Session Manager", RegOpenOnly))
        return std::string();
    Variant value;
    if (!registry.queryValue("PendingFileRenameOperations", value, 0)) return std::string();
    return lowerCase(str(value.text()));
}

TEST_F(FileSystemTest, AtRestartDeletionsAndMovesAreHandedToTheDelayedMove) {
    ASSERT_TRUE(IsNtFamily());
    String doomed = path("doomed.dll"), source = path("new.dll"), target = path("target.dll");
    ASSERT_TRUE(writeRaw(str(doomed), "x"));
    ASSERT_TRUE(writeRaw(str(source), "new"));
    EXPECT_TRUE(deleteFile(doomed, DeleteAtRestart));
    EXPECT_TRUE(moveFile(source, target, MoveAtRestart));
    EXPECT_TRUE(existsRaw(str(doomed))) << "nothing happens before the restart";
    EXPECT_TRUE(existsRaw(str(source)));

    std::string pending = pendingRenames();
    EXPECT_NE(pending.find(lowerCase(str(doomed))), std::string::npos) << pending;
    EXPECT_NE(pending.find(lowerCase(str(source))), std::string::npos) << pending;
    EXPECT_NE(pending.find(lowerCase(str(target))), std::string::npos) << pending;
    EXPECT_FALSE(existsRaw(str(joinPath(SystemPaths.windowsDirectory, String("wininit.ini")))));
}

TEST_F(FileSystemTest, AttributesChangeOnlyTheMaskedBits) {
    String name = path("attr.txt");
    ASSERT_TRUE(writeRaw(str(name), "x"));
    EXPECT_EQ(getFileAttributes(path("missing")), NoFileAttributes);
    EXPECT_FALSE(isReadOnly(path("missing")));
    EXPECT_FALSE(setReadOnly(path("missing"), true));

    EXPECT_TRUE(setAttributes(name, AttributeReadOnly | AttributeHidden, AttributeReadOnly | AttributeHidden));
    EXPECT_TRUE(isReadOnly(name));
    EXPECT_TRUE(getFileAttributes(name) & AttributeHidden);
    EXPECT_TRUE(clearAttributes(name, AttributeReadOnly | AttributeHidden | AttributeSystem));
    EXPECT_FALSE(isReadOnly(name));
    EXPECT_FALSE(getFileAttributes(name) & AttributeHidden);
    EXPECT_TRUE(clearAttributes(name, AttributeReadOnly)) << "nothing to change";
}

TEST_F(FileSystemTest, FinderListsEveryEntryAndReportsSizes) {
    ASSERT_TRUE(writeRaw(dir + "\\one.txt", "1"));
    ASSERT_TRUE(writeRaw(dir + "\\two.txt", "22"));
    ASSERT_TRUE(createDirectories(path("sub.txt")));
    std::set<std::string> names;
    FileFinder finder;
    FileInfo info;
    for (bool found = finder.findFirst(path("*.txt"), info); found; found = finder.findNext(info)) {
        names.insert(str(info.longName) + (info.isDirectory() ? "/" : ":" + std::to_string(info.size)));
    }
    EXPECT_EQ(names, (std::set<std::string>{"one.txt:1", "two.txt:2", "sub.txt/"}));
    EXPECT_FALSE(finder.findNext(info)) << "the search closed itself";
    EXPECT_FALSE(finder.findFirst(path("*.none"), info));
    EXPECT_TRUE(getFileInfo(path("two.txt"), info));
    EXPECT_EQ(info.size, 2);
    EXPECT_TRUE(info.lastWrite.hasDate());
}

TEST_F(FileSystemTest, DrivesAndDiskSpace) {
    EXPECT_TRUE(driveExists('C'));
    EXPECT_FALSE(driveExists('Q'));
    uint64_t freeBytes = 0, totalBytes = 0;
    ASSERT_TRUE(diskSpace(String("C:\\"), &freeBytes, &totalBytes));
    EXPECT_GT(totalBytes, 0u);
    EXPECT_LE(freeBytes, totalBytes);
    EXPECT_TRUE(diskSpace(String("C:\\"), nullptr, nullptr));
    EXPECT_NE(freeBytesOnDrive(path("x")), ~uint64_t(0));
    EXPECT_EQ(freeBytesOnDrive(String("\\\\server\\share")), ~uint64_t(0));
    EXPECT_EQ(freeBytesOnDrive(String()), ~uint64_t(0));
    EXPECT_GT(clusterSize(text(dir)), 0);
    EXPECT_EQ(clusterSize(String("\\\\x")), -1);
}

TEST_F(FileSystemTest, SystemDirectoryExists) {
    String system = systemDirectory();
    EXPECT_FALSE(system.isEmpty());
    EXPECT_TRUE(directoryExists(system)) << str(system);
}

}  // namespace
