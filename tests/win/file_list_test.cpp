// File specification lists over a real directory tree.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "core/file_list.h"
#include "core/file_system.h"
#include "win_test_support.h"

using namespace wintest;

namespace {

class FileListTest : public testing::Test {
protected:
    void SetUp() override {
        dir = scratchDir();
        for (const char* folder : {"sub\\deeper", "folder.txt", "other"}) {
            ASSERT_TRUE(createDirectories(text(dir + "\\" + folder)));
        }
        for (const char* file : {"a.txt", "b.txt", "c.log", "sub\\d.txt", "sub\\deeper\\e.txt", "other\\f.txt"}) {
            ASSERT_TRUE(writeRaw(dir + "\\" + file, file));
        }
    }
    // The expansion, as paths relative to the scratch directory.
    std::vector<std::string> expand(const std::string& specifications) {
        Array<String> files;
        ExpandFileSpecifications(text(specifications), files, text(dir));
        std::vector<std::string> relative;
        for (const String& f : files) {
            std::string path = str(f);
            relative.push_back(lowerCase(path).rfind(lowerCase(dir) + "\\", 0) == 0 ? path.substr(dir.size() + 1) : path);
        }
        return relative;
    }
    static std::set<std::string> asSet(const std::vector<std::string>& list) {
        return std::set<std::string>(list.begin(), list.end());
    }
    std::string dir;
};

TEST_F(FileListTest, AnExtensionPatternListsTheFilesOfTheDefaultDirectoryOnly) {
    EXPECT_EQ(asSet(expand("*.txt")), (std::set<std::string>{"a.txt", "b.txt"})) << "folder.txt is not a file";
}

TEST_F(FileListTest, RecursiveSearchListsTheParentFolderFirst) {
    std::vector<std::string> found = expand("sub\\*.txt /s");
    EXPECT_EQ(found, (std::vector<std::string>{"sub\\d.txt", "sub\\deeper\\e.txt"}));
    EXPECT_EQ(asSet(expand("*.txt /S")),
              (std::set<std::string>{"a.txt", "b.txt", "sub\\d.txt", "sub\\deeper\\e.txt", "other\\f.txt"}));
}

TEST_F(FileListTest, SemicolonListsKeepOnlyExistingFiles) {
    EXPECT_EQ(expand(dir + "\\a.txt;b.txt;missing.txt;;"), (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_EQ(expand("none\\*.*\r\nmissing.txt"), std::vector<std::string>{});
}

TEST_F(FileListTest, EveryFileIsListedOnce) {
    EXPECT_EQ(expand("a.txt\r\nA.TXT\n" + dir + "\\a.txt"), std::vector<std::string>{"a.txt"});
    std::vector<std::string> mixed = expand("b.txt\r\n*.txt");
    EXPECT_EQ(mixed.size(), 2u);
    EXPECT_EQ(mixed[0], "b.txt");
}

TEST_F(FileListTest, OneSpecificationGivesItsFilesAndTheirSize) {
    Array<String> files;
    files.append(String("kept"));
    EXPECT_EQ(ExpandSpecification(files, text(dir + "\\*.txt /s"), ExpandAppend), 5 + 5 + 9 + 16 + 11);
    EXPECT_EQ(files.count(), 6);
    EXPECT_EQ(ExpandSpecification(files, text(dir + "\\c.log"), 0), 5);
    ASSERT_EQ(files.count(), 1);
    EXPECT_EQ(str(files[0]), dir + "\\c.log");
    EXPECT_EQ(ExpandSpecification(files, text(dir + "\\*.txt"), ExpandListDirectories), 10);
    EXPECT_EQ(files.count(), 3) << "with the folder";
}

}  // namespace
