#include <gtest/gtest.h>

#include <string>

#include "core/wininit_text.h"

namespace {

std::string str(const String& s) { return std::string(s.text(), size_t(s.length())); }

TEST(WininitRename, AddsOrExtendsTheSection) {
    struct Case {
        const char* before;
        const char* after;
    } cases[] = {
        {"", "\r\n[rename]\r\nNUL=C:\\OLD.DLL"},  // a new file begins with an empty line
        {"[boot]\r\nx=1", "[boot]\r\nx=1\r\n[rename]\r\nNUL=C:\\OLD.DLL"},
        {"[boot]\r\nx=1\r\n", "[boot]\r\nx=1\r\n[rename]\r\nNUL=C:\\OLD.DLL"},
        {"[boot]\n", "[boot]\n[rename]\r\nNUL=C:\\OLD.DLL"},
        {"[rename]\r\nA=B\r\n", "[rename]\r\nNUL=C:\\OLD.DLL\r\nA=B\r\n"},  // newest first
        {"[boot]\r\n[Rename]\r\nA=B\r\n[x]\r\n", "[boot]\r\n[Rename]\r\nNUL=C:\\OLD.DLL\r\nA=B\r\n[x]\r\n"},
        {"[RENAME]", "[RENAME]\r\nNUL=C:\\OLD.DLL"},
    };
    for (const Case& c : cases) {
        String text(c.before);
        EXPECT_TRUE(addRenameEntry(text, "NUL", "C:\\OLD.DLL"));
        EXPECT_EQ(str(text), c.after) << c.before;
    }
}

TEST(WininitRename, TwoEntriesStandNewestFirst) {
    String text;
    ASSERT_TRUE(addRenameEntry(text, "C:\\APP\\A.DLL", "C:\\APP\\A.TMP"));
    ASSERT_TRUE(addRenameEntry(text, "NUL", "C:\\APP\\B.DLL"));
    EXPECT_EQ(str(text), "\r\n[rename]\r\nNUL=C:\\APP\\B.DLL\r\nC:\\APP\\A.DLL=C:\\APP\\A.TMP");
}

TEST(WininitRename, BlankNamesChangeNothing) {
    String text("[rename]\r\n");
    EXPECT_FALSE(addRenameEntry(text, " ", "C:\\A"));
    EXPECT_FALSE(addRenameEntry(text, "NUL", ""));
    EXPECT_EQ(str(text), "[rename]\r\n");
}

}  // namespace
