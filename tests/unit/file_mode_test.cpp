#include <gtest/gtest.h>

#include <string>

#include "core/file_mode.h"
#include "core/file_system_rules.h"

namespace {

std::string str(const String& s) { return std::string(s.text(), size_t(s.length())); }

const uint32_t kRead = 0x80000000u, kWrite = 0x40000000u;
const uint32_t kShareRead = 1, kShareWrite = 2;
const uint32_t kCreateNew = 1, kCreateAlways = 2, kOpenExisting = 3, kOpenAlways = 4;

TEST(FileMode, TheInstallersModesAskForTheRightAccessSharingAndDisposition) {
    struct Case {
        uint32_t mode;
        uint32_t access, share, disposition;
    } cases[] = {
        {0x111, kRead, kShareRead | kShareWrite, kOpenExisting},  // reading: write sharing comes with it
        {3, kRead | kWrite, 0, kCreateAlways},
        {1, kRead | kWrite, 0, kOpenExisting},
        {0, kRead | kWrite, 0, kOpenAlways},
        {0x400, kRead | kWrite, 0, kOpenAlways},
        {0x401, kRead | kWrite, 0, kOpenExisting},
        {0xB19, 0, kShareRead | kShareWrite, kOpenExisting},
        {ModeCreateNew, kRead | kWrite, 0, kCreateNew},
        {0x20000000, kRead | kWrite, 0, kCreateAlways},  // a temporary name forces create-always
        {0x20000001, kRead | kWrite, 0, kCreateAlways},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode 0x" << std::hex << c.mode);
        FileOpenRequest request = fileOpenRequest(c.mode);
        EXPECT_EQ(request.desiredAccess, c.access);
        EXPECT_EQ(request.shareMode, c.share);
        EXPECT_EQ(request.disposition, c.disposition);
        EXPECT_EQ(request.read, (c.access & kRead) != 0);
        EXPECT_EQ(request.write, (c.access & kWrite) != 0);
    }
}

TEST(FileMode, SharingIsWidenedOnlyForTheRightThatIsNotHeld) {
    struct Case {
        uint32_t mode;
        uint32_t share;
    } cases[] = {
        {ModeShareRead, kShareRead},                            // read and write held: as asked
        {ModeShareWrite, kShareWrite},
        {ModeNoRead | ModeShareWrite, kShareRead | kShareWrite},   // no read right: read sharing added
        {ModeNoRead | ModeShareRead, kShareRead},                  // read sharing does not add write sharing
        {ModeNoWrite | ModeShareRead, kShareRead | kShareWrite},   // no write right: write sharing added
        {ModeNoWrite | ModeShareWrite, kShareWrite},
        {ModeNoRead | ModeNoWrite, 0},                             // nothing asked, nothing given
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode 0x" << std::hex << c.mode);
        EXPECT_EQ(fileOpenRequest(c.mode).shareMode, c.share);
    }
}

TEST(FileOpenResultText, EveryCodeHasItsTextAndUnknownCodesTheUnknownOne) {
    EXPECT_STREQ(fileOpenResultText(0), "The file was successfully opened.");
    EXPECT_STREQ(fileOpenResultText(5), "The file is locked by another application.");
    EXPECT_STREQ(fileOpenResultText(6), "Failed to read the file into memory.");
    EXPECT_STREQ(fileOpenResultText(10), "Too many indexed files exist.");
    EXPECT_STREQ(fileOpenResultText(12), "The file's Read-Only attribute is set.");
    for (int32_t code : {-1, 13, 1000}) EXPECT_STREQ(fileOpenResultText(code), "An unknown error occurred.");
}

TEST(FileOpenResultFor, SystemErrorsMapToResults) {
    struct Case {
        uint32_t error;
        bool writeToReadOnly;
        FileOpenResult result;
    } cases[] = {
        {2, false, FileNotFound},        {3, false, FileDirectoryMissing}, {4, false, FileTooManyOpen},
        {5, false, FileAccessDenied},    {5, true, FileReadOnlySet},       {32, false, FileLocked},
        {80, false, FileAlreadyExists},  {87, false, FileInvalidParameter}, {123, false, FileInvalidName},
        {183, false, FileUnknownError},  {1, true, FileUnknownError},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "error " << c.error);
        EXPECT_EQ(fileOpenResultFor(c.error, c.writeToReadOnly), c.result);
    }
}

TEST(FileSystemRules, RemoveDirectoryNeverTakesARootAndDropsEveryTrailingBackslash) {
    String directory;
    for (const char* root : {"C:\\", "C:", "", "\\\\"}) {
        SCOPED_TRACE(root);
        EXPECT_FALSE(directoryToRemove(String(root), directory));
    }
    ASSERT_TRUE(directoryToRemove(String("C:\\dir\\\\"), directory));
    EXPECT_EQ(str(directory), "C:\\dir");
    ASSERT_TRUE(directoryToRemove(String("C:\\d"), directory));
    EXPECT_EQ(str(directory), "C:\\d");
}

TEST(FileSystemRules, DeleteTreeRefusesShortPathsAndTheWindowsDirectory) {
    String windows("C:\\WINDOWS");
    EXPECT_FALSE(mayDeleteTree(String("C:\\"), windows));
    EXPECT_FALSE(mayDeleteTree(String("c:\\windows\\"), windows));
    EXPECT_FALSE(mayDeleteTree(String(" C:\\Windows "), windows));
    EXPECT_TRUE(mayDeleteTree(String("C:\\WINDOWS\\Temp"), windows));
    EXPECT_TRUE(mayDeleteTree(String("C:\\App"), windows));
}

TEST(FileSystemRules, MoveNamesTellSameNameCaseOnlyAndOther) {
    EXPECT_EQ(compareMoveNames(String("C:\\a.txt"), String("C:\\a.txt")), MoveSameName);
    EXPECT_EQ(compareMoveNames(String("C:\\a.txt"), String("C:\\A.TXT")), MoveCaseOnly);
    EXPECT_EQ(compareMoveNames(String("C:\\a.txt"), String("C:\\b.txt")), MoveOtherName);
    EXPECT_EQ(compareMoveNames(String("C:\\a.txt"), String("C:\\a.txt ")), MoveOtherName);
}

TEST(FileSystemRules, DriveRootNeedsALeadingLetter) {
    EXPECT_EQ(str(driveRootOfPath(String("d:\\setup\\x"))), "d:\\");
    EXPECT_EQ(str(driveRootOfPath(String("Z"))), "Z:\\");
    EXPECT_EQ(str(driveRootOfPath(String("\\\\server\\share"))), "");
    EXPECT_EQ(str(driveRootOfPath(String("1:\\"))), "");
    EXPECT_EQ(str(driveRootOfPath(String())), "");
}

TEST(FileSystemRules, ClusterProductsDoNotOverflowAt4GB) {
    // 8 sectors of 512 bytes, 2^21 clusters: 8 GB.
    EXPECT_EQ(clusterBytes(8, 512, 1u << 21), 8ull << 30);
    EXPECT_EQ(clusterBytes(64, 4096, 0xFFFFFFFFu), 64ull * 4096 * 0xFFFFFFFFull);
    EXPECT_EQ(clusterBytes(8, 512, 0), 0u);
}

}  // namespace
