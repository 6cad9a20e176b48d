#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/file_spec.h"

namespace {

std::string str(const String& s) { return std::string(s.text(), size_t(s.length())); }

std::vector<std::string> strings(const Array<String>& list) {
    std::vector<std::string> out;
    for (const String& s : list) out.push_back(str(s));
    return out;
}

typedef std::vector<std::string> Texts;

TEST(FileSpecLine, DirectoriesAndPieces) {
    struct Case {
        const char* line;
        const char* defaultDirectory;
        Texts specifications;
    } cases[] = {
        {"*.txt", "C:\\App", {"C:\\App\\*.txt"}},
        {"Logs\\*.log /s", "C:\\App", {"C:\\App\\Logs\\*.log /s"}},  // relative folder inside the default
        {"C:\\Data\\a.txt;b.txt", "C:\\App", {"C:\\Data\\a.txt", "C:\\Data\\b.txt"}},
        {"  C:\\Data\\a.txt;;b.txt;\r\n", "C:\\App", {"C:\\Data\\a.txt", "C:\\Data\\b.txt"}},
        {"C:\\Data\\a.txt; b.txt ", "C:\\App", {"C:\\Data\\a.txt", "C:\\Data\\b.txt"}},  // pieces are trimmed
        {"C:\\Data\\a.txt;D:\\b.txt", "C:\\App", {"C:\\Data\\a.txt", "D:\\b.txt"}},     // absolute pieces stay
        {"C:\\*.ini", "C:\\App", {"C:\\*.ini"}},  // the root keeps its backslash
        {"\\\\server\\share\\*.doc", "C:\\App", {"\\\\server\\share\\*.doc"}},
        {"Sub\\Deeper\\x.dat;y.dat", "C:\\App", {"C:\\App\\Sub\\Deeper\\x.dat", "C:\\App\\Sub\\Deeper\\y.dat"}},
        {"*.a;x\\*.b", "C:\\App", {"C:\\App\\*.a", "C:\\App\\x\\*.b"}},  // backslashes after the ";" are piece text
        {"*.txt", "", {}},                         // nothing absolute to go on
        {"C:\\x\\*.txt;y.txt", "", {"C:\\x\\*.txt", "C:\\x\\y.txt"}},
        {"", "C:\\App", {}},
        {"  ;  ; ", "C:\\App", {}},
    };
    for (const Case& c : cases) {
        Array<String> out;
        int32_t added = parseSpecificationLine(c.line, c.defaultDirectory, out);
        EXPECT_EQ(strings(out), c.specifications) << c.line;
        EXPECT_EQ(added, out.count()) << c.line;
    }
}

TEST(FileSpecLine, AppendsAfterWhatIsThere) {
    Array<String> out;
    out.append(String("first"));
    EXPECT_EQ(parseSpecificationLine("a;b", "C:\\D", out), 2);
    EXPECT_EQ(strings(out), (Texts{"first", "C:\\D\\a", "C:\\D\\b"}));
}

TEST(FileSpecText, EveryLineInOrder) {
    Array<String> out;
    int32_t added = parseSpecificationText("*.txt\r\nLogs\\*.log /s\n\n\rC:\\Data\\a.txt;b.txt", "C:\\App", out);
    EXPECT_EQ(added, 4);
    EXPECT_EQ(strings(out), (Texts{"C:\\App\\*.txt", "C:\\App\\Logs\\*.log /s", "C:\\Data\\a.txt", "C:\\Data\\b.txt"}));
}

TEST(FileSpecMarker, TrailingSlashSOnly) {
    struct Case {
        const char* before;
        bool recursive;
        const char* after;
    } cases[] = {
        {"C:\\x\\*.log /s", true, "C:\\x\\*.log"},
        {"C:\\x\\*.log /S", true, "C:\\x\\*.log"},
        {"C:\\x\\*.log  /s", true, "C:\\x\\*.log"},
        {" /s", true, ""},
        {"C:\\x\\*.log/s", false, "C:\\x\\*.log/s"},
        {"C:\\x\\*.log\t/s", false, "C:\\x\\*.log\t/s"},
        {"C:\\x\\*.log /sx", false, "C:\\x\\*.log /sx"},
        {"C:\\x /s\\*.log", false, "C:\\x /s\\*.log"},
        {"/s", false, "/s"},
        {"", false, ""},
    };
    for (const Case& c : cases) {
        String s(c.before);
        EXPECT_EQ(takeRecursiveMarker(s), c.recursive) << c.before;
        EXPECT_EQ(str(s), c.after) << c.before;
    }
}

TEST(FileSpecSplit, PatternDirectoryAndName) {
    FileSpecification deep = splitSpecification("C:\\App\\Logs\\*.log /s");
    EXPECT_EQ(str(deep.pattern), "C:\\App\\Logs\\*.log");
    EXPECT_EQ(str(deep.directory), "C:\\App\\Logs");
    EXPECT_EQ(str(deep.namePattern), "*.log");
    EXPECT_TRUE(deep.recursive);

    FileSpecification root = splitSpecification("C:\\*.ini");
    EXPECT_EQ(str(root.directory), "C:\\");
    EXPECT_EQ(str(root.namePattern), "*.ini");
    EXPECT_FALSE(root.recursive);
}

TEST(FileListBuilder, KeepsFirstOfEachPathIgnoringCase) {
    Array<String> files;
    files.append(String("C:\\App\\A.txt"));
    FileListBuilder builder(files);
    EXPECT_FALSE(builder.add("c:\\app\\a.TXT"));  // already there before the builder
    EXPECT_TRUE(builder.add("C:\\App\\b.txt"));
    EXPECT_FALSE(builder.add("C:\\APP\\B.TXT"));
    EXPECT_TRUE(builder.add("C:\\App\\Sub\\b.txt"));
    EXPECT_EQ(builder.count(), 3);
    EXPECT_EQ(strings(files), (Texts{"C:\\App\\A.txt", "C:\\App\\b.txt", "C:\\App\\Sub\\b.txt"}));
}

TEST(FileListBuilder, ManyFilesKeepTheirOrder) {
    Array<String> files;
    FileListBuilder builder(files);
    const int32_t count = 5000;
    for (int32_t i = 0; i < count; i++) ASSERT_TRUE(builder.add(formatText("C:\\Dir\\file%d.dat", i)));
    for (int32_t i = count; i-- > 0;) ASSERT_FALSE(builder.add(formatText("c:\\DIR\\FILE%d.DAT", i)));
    ASSERT_EQ(files.count(), count);
    for (int32_t i = 0; i < count; i++) ASSERT_EQ(str(files[i]), str(formatText("C:\\Dir\\file%d.dat", i)));
}

}  // namespace
