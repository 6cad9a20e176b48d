#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/install_state.h"
#include "install/shared_files.h"

namespace {

std::string str(const String& s) { return std::string(s.text(), size_t(s.length())); }

TEST(SharedFiles, ValueNameDropsOneMarker) {
    struct Case {
        const char* entry;
        const char* name;
    } cases[] = {
        {"C:\\S\\a.dll", "C:\\S\\a.dll"},
        {"C:\\S\\a.dll^", "C:\\S\\a.dll"},
        {"C:\\S\\a.dll ", "C:\\S\\a.dll"},
        {"C:\\S\\a.tlb\xA9", "C:\\S\\a.tlb"},
        {"C:\\S\\a.dll  ", "C:\\S\\a.dll "},  // one blank only
        {"C:\\S\\a.dll^^", "C:\\S\\a.dll^"},
        {"^", ""},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(str(sharedFileValueName(String(c.entry))), c.name) << c.entry;
}

TEST(SharedFiles, TextQuotesEachEntryWithItsMarker) {
    String text;
    appendSharedFilesEntry(text, "C:\\S\\a.dll");
    EXPECT_EQ(str(text), "\"C:\\S\\a.dll\"");
    appendSharedFilesEntry(text, "C:\\W\\b.dll ");
    appendSharedFilesEntry(text, "C:\\W\\c.ocx^");
    appendSharedFilesEntry(text, "C:\\W\\d.tlb\xA9");
    EXPECT_EQ(str(text), "\"C:\\S\\a.dll\";\"C:\\W\\b.dll \";\"C:\\W\\c.ocx^\";\"C:\\W\\d.tlb\xA9\"");
}

std::vector<std::string> takeAll(const char* text) {
    String rest(text);
    String name;
    std::vector<std::string> names;
    while (takeSharedFilesEntry(rest, name)) names.push_back(str(name));
    return names;
}

TEST(SharedFiles, EarlierTextIsTakenApartEntryByEntry) {
    typedef std::vector<std::string> Names;
    EXPECT_EQ(takeAll("\"C:\\S\\a.dll\";\"C:\\W\\b.dll \";\"C:\\W\\c.ocx^\";\"C:\\W\\d.tlb\xA9\""),
              (Names{"C:\\S\\a.dll", "C:\\W\\b.dll", "C:\\W\\c.ocx", "C:\\W\\d.tlb"}));
    EXPECT_EQ(takeAll(""), Names{});
    EXPECT_EQ(takeAll("no quotes"), Names{});
    EXPECT_EQ(takeAll("\"C:\\a.dll\";\"C:\\unclosed"), Names{"C:\\a.dll"});
    EXPECT_EQ(takeAll("\"C:\\a.dll\";\"\";\"C:\\b.dll\""), Names{"C:\\a.dll"}) << "an empty entry ends the walk";
    EXPECT_EQ(takeAll("\"C:\\a.dll\"\"C:\\b.dll\""), (Names{"C:\\a.dll", "C:\\b.dll"}));
}

TEST(SharedFiles, TakingAnEntryLeavesTheRest) {
    String rest("\"C:\\a.dll^\";\"C:\\b.dll\"");
    String name;
    ASSERT_TRUE(takeSharedFilesEntry(rest, name));
    EXPECT_EQ(str(name), "C:\\a.dll");
    EXPECT_EQ(str(rest), "\"C:\\b.dll\"");
    ASSERT_TRUE(takeSharedFilesEntry(rest, name));
    EXPECT_EQ(str(rest), "");
    EXPECT_FALSE(takeSharedFilesEntry(rest, name));
    EXPECT_EQ(str(name), "C:\\b.dll") << "a failed take leaves the name alone";
}

TEST(SharedFiles, TextOfAListReadsBackToItsValueNames) {
    const char* entries[] = {"C:\\S\\a.dll", "C:\\W\\b.dll ", "C:\\W\\c.ocx^", "C:\\W\\d.tlb\xA9"};
    String text;
    for (const char* e : entries) appendSharedFilesEntry(text, e);
    std::vector<std::string> names = takeAll(text.text());
    ASSERT_EQ(names.size(), 4u);
    for (size_t i = 0; i < 4; i++) EXPECT_EQ(names[i], str(sharedFileValueName(entries[i])));
}

}  // namespace
