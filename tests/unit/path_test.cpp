#include <gtest/gtest.h>

#include <string>

#include "core/path.h"
#include "core/system_paths.h"

namespace {

std::string str(const String& s) { return std::string(s.text(), size_t(s.length())); }

TEST(PathJoin, PutsExactlyOneSeparatorWhereNeeded) {
    struct Case {
        const char* directory;
        const char* name;
        const char* joined;
    } cases[] = {
        {"C:", "x", "C:x"},
        {"C:\\dir\\", "\\x", "C:\\dir\\x"},
        {"C:\\dir", "\\x", "C:\\dir\\x"},
        {"C:\\dir\\\\", "\\x", "C:\\dir\\\\x"},  // only one trailing backslash goes
        {"C:\\dir", "x", "C:\\dir\\x"},
        {"C:\\dir\\", "x", "C:\\dir\\x"},
        {"C:\\", "x\\y", "C:\\x\\y"},
        {"", "x", "x"},
        {"C:\\dir", "", "C:\\dir"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(str(joinPath(c.directory, c.name)), c.joined) << c.directory << " + " << c.name;
    }
}

TEST(PathParts, SeparatorPositionStopsAtFirstUnquotedSemicolon) {
    struct Case {
        const char* path;
        int position;
    } cases[] = {
        {"C:\\dir\\file", 6},
        {"file", -1},
        {"", -1},
        {"C:file", 1},
        {"\\\\server\\share\\f", 14},
        {"C:\\dir\\*.a;*.b", 6},
        {"C:\\dir\\*.a;x\\*.b", 6},            // backslashes after the ";" do not count
        {"\"C:\\a;b\\\"*.x;y\\z", 7},           // the quoted ";" does not end the search
        {"*.a;*.b", -1},
        {"a;b:c", 3},                           // no backslash: the first ":" anywhere
    };
    for (const Case& c : cases) {
        EXPECT_EQ(separatorPosition(c.path), c.position) << c.path;
    }
}

TEST(PathParts, DirectoryPartKeepsTheDriveAndItsRoot) {
    struct Case {
        const char* path;
        const char* directory;
    } cases[] = {
        {"C:\\dir\\file", "C:\\dir"},
        {"C:\\file", "C:\\"},
        {"C:file", "C:"},
        {"C:\\", "C:\\"},
        {"C:", "C:"},
        {"file", ""},
        {"\\file", ""},
        {"\\\\server\\share\\f", "\\\\server\\share"},
        {"C:\\dir\\*.a;x\\*.b", "C:\\dir"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(str(directoryPart(c.path)), c.directory) << c.path;
    }
}

TEST(PathParts, FileNamePartAndStripDirectory) {
    struct Case {
        const char* path;
        const char* name;
    } cases[] = {
        {"C:\\dir\\file.txt", "file.txt"},
        {"C:file", "file"},
        {"file", "file"},
        {"C:\\dir\\", ""},
        {"a;b\\c", "c"},  // the whole text is searched, unlike separatorPosition
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(str(fileNamePart(c.path)), c.name) << c.path;
        String path(c.path);
        stripDirectory(path);
        EXPECT_EQ(str(path), c.name) << c.path;
    }
}

TEST(PathParts, StripFileNameKeepsTheSeparator) {
    struct Case {
        const char* path;
        bool stripped;
        const char* result;
    } cases[] = {
        {"C:\\dir\\file", true, "C:\\dir\\"},
        {"C:\\dir\\", true, "C:\\dir\\"},
        {"C:file", true, "C:"},
        {"file", false, "file"},
        {"", false, ""},
    };
    for (const Case& c : cases) {
        String path(c.path);
        EXPECT_EQ(stripFileName(path), c.stripped) << c.path;
        EXPECT_EQ(str(path), c.result) << c.path;
    }
}

TEST(PathExtension, PositionIsTheLastDotInTheFileName) {
    struct Case {
        const char* path;
        int position;
        const char* stripped;
    } cases[] = {
        {"setup.exe", 5, "setup"},
        {"C:\\dir.d\\a.b.c", 12, "C:\\dir.d\\a.b"},
        {"C:\\dir.d\\setup", -1, "C:\\dir.d\\setup"},
        {".profile", 0, ""},
        {"", -1, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(extensionPosition(c.path), c.position) << c.path;
        String path(c.path);
        EXPECT_EQ(stripExtension(path), c.position >= 0) << c.path;
        EXPECT_EQ(str(path), c.stripped) << c.path;
    }
}

TEST(PathExtension, AddExtensionOnlyToANameWithout) {
    struct Case {
        const char* path;
        const char* extension;
        bool added;
        const char* result;
    } cases[] = {
        {"setup", "EXE", true, "setup.EXE"},
        {"setup", ".exe", true, "setup.exe"},
        {"setup.exe", "EXE", false, "setup.exe"},
        {"C:\\dir.d\\setup", "exe", true, "C:\\dir.d\\setup.exe"},
        {"  \t", "exe", false, "  \t"},
        {"", "exe", false, ""},
    };
    for (const Case& c : cases) {
        String path(c.path);
        EXPECT_EQ(addExtension(path, c.extension), c.added) << c.path;
        EXPECT_EQ(str(path), c.result) << c.path;
    }
}

TEST(PathDrive, RootAndText) {
    struct Case {
        const char* path;
        const char* root;
        const char* text;
    } cases[] = {
        {"C:\\dir", "C:\\", "C:"},
        {"c:dir", "c:", "c:"},
        {"D:", "D:", "D:"},
        {"\\\\srv\\share", "", ""},
        {"1:\\x", "", ""},
        {"dir", "", ""},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(str(driveRoot(c.path)), c.root) << c.path;
        EXPECT_EQ(str(driveText(c.path)), c.text) << c.path;
    }
}

TEST(PathAbsolute, IsAbsolutePath) {
    struct Case {
        const char* path;
        bool absolute;
    } cases[] = {
        {"C:\\x", true}, {"x:\\", true},  {" \t\r\nC:\\x", true}, {"\\\\srv", true},
        {"\t\\\\a", true}, {"C:x", false}, {"\\x", false},         {"x", false},
        {"", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(isAbsolutePath(c.path), c.absolute) << c.path;
    }
    EXPECT_FALSE(isAbsolutePath(static_cast<const char*>(nullptr)));
}

TEST(PathAbsolute, MakeAbsolutePathRules) {
    struct Case {
        const char* path;
        const char* base;
        bool changed;
        const char* result;
    } cases[] = {
        // The path is trimmed; empty paths and unusable bases change nothing else.
        {" \tx\r\n", "C:\\base", true, "C:\\base\\x"},
        {"", "C:\\base", false, ""},
        {" \r\n", "C:\\base", false, ""},
        {"x", nullptr, false, "x"},
        {"x", "relative", false, "x"},
        {"x", "C:relative", false, "x"},
        {"x", "  C:\\base", true, "C:\\base\\x"},
        // UNC paths are left alone.
        {"\\\\srv\\s", "C:\\base", false, "\\\\srv\\s"},
        // A rooted path takes the base's drive.
        {"\\x", "C:\\base", true, "C:\\x"},
        {"\\x", "\\\\srv\\share", false, "\\x"},
        // A relative path goes below the base.
        {"x", "C:\\base\\", true, "C:\\base\\x"},
        {"x\\y", "\\\\srv\\share", true, "\\\\srv\\share\\x\\y"},
        // A drive path: rooted stays, drive-relative takes the base's directories.
        {"D:\\x", "C:\\base", false, "D:\\x"},
        {"D:x", "C:\\base", true, "D:\\base\\x"},
        {"D:x", "C:\\", true, "D:\\x"},
        {"D:", "C:\\base", true, "D:\\base\\"},
    };
    for (const Case& c : cases) {
        String path(c.path);
        EXPECT_EQ(makeAbsolutePath(path, c.base), c.changed) << c.path << " against " << (c.base ? c.base : "null");
        EXPECT_EQ(str(path), c.result) << c.path << " against " << (c.base ? c.base : "null");
    }
}

TEST(PathCompare, PathsEqualIgnoresCaseAndTrailingBackslashes) {
    struct Case {
        const char* a;
        const char* b;
        bool equal;
        bool equalTrimmed;
    } cases[] = {
        {"C:\\Dir\\", "c:\\dir", true, true},
        {"C:\\Dir\\\\\\", "c:\\DIR", true, false},  // the trimmed form removes only one
        {"C:\\dir\\\\", "C:\\dir\\", true, false},
        {"C:\\Dir", "C:\\Dir2", false, false},
        {" C:\\dir\r\n", "C:\\dir", false, true},
        {"\tC:\\Dir\\ ", "c:\\dir", false, true},
        {"", "\\\\", true, false},
        {"", "", true, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(pathsEqual(c.a, c.b), c.equal) << c.a << " / " << c.b;
        EXPECT_EQ(pathsEqual(c.b, c.a), c.equal) << c.b << " / " << c.a;
        EXPECT_EQ(pathsEqualTrimmed(c.a, c.b), c.equalTrimmed) << c.a << " / " << c.b;
    }
}

TEST(PathValidName, ForbiddenCharactersByFlag) {
    struct Case {
        const char* name;
        uint32_t flags;
        bool valid;
    } cases[] = {
        {"setup.exe", 0, true},
        {"", 0, false},
        {"  ", 0, true},
        {"  ", FileNameTrim, false},
        {" x.txt\t", FileNameTrim, true},
        {"C:\\dir\\file", 0, true},
        {"1:\\file", 0, false},
        {"C:\\a:b", 0, false},
        {"\"C:\\Program Files\\x\"", 0, true},
        {"\"abc", 0, false},
        {"\"", 0, false},
        {"*.txt", 0, false},
        {"*.txt", FileNameAllowAsterisk, true},
        {"?.txt", FileNameAllowAsterisk, false},
        {"?.txt", FileNameAllowWildcards, true},
        {"*?.txt", FileNameAllowWildcards, true},
        {"a|b", FileNameAllowWildcards, false},
        {" *.txt", FileNameTrim | FileNameAllowAsterisk, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(isValidFileName(c.name, c.flags), c.valid) << c.name << " flags " << c.flags;
    }
    // Each of the nine characters alone makes a name invalid (index 2, past
    // where a drive's ":" would be allowed).
    for (const char* p = "/\"<>|*?:;"; *p; p++) {
        char name[] = {'a', 'b', *p, 'c', 0};
        EXPECT_FALSE(isValidFileName(name)) << name;
    }
    EXPECT_TRUE(isValidFileName(String("a\0b", 3))) << "a zero byte is not in the set";
}

class PathProgramDirectory : public ::testing::Test {
protected:
    void SetUp() override { saved_ = SystemPaths.programDirectory; }
    void TearDown() override { SystemPaths.programDirectory = saved_; }
    String saved_;
};

TEST_F(PathProgramDirectory, PathsInTheProgramDirectory) {
    SystemPaths.programDirectory = "C:\\Setup";
    EXPECT_EQ(str(programPathIn("Data2.TAV")), "C:\\Setup\\Data2.TAV");
    String relative("readme.txt");
    EXPECT_TRUE(makeAbsoluteInProgramDirectory(relative));
    EXPECT_EQ(str(relative), "C:\\Setup\\readme.txt");

    SystemPaths.programDirectory = "C:\\";
    EXPECT_EQ(str(programPathIn("Data2.TAV")), "C:\\Data2.TAV");

    SystemPaths.programDirectory = "";
    String unchanged("readme.txt");
    EXPECT_FALSE(makeAbsoluteInProgramDirectory(unchanged));
    EXPECT_EQ(str(unchanged), "readme.txt");
}

}  // namespace
