#include <gtest/gtest.h>

#include <string>

#include "install/associations.h"

namespace {

std::string str(const String& s) { return std::string(s.text(), size_t(s.length())); }

TEST(Associations, BackupValueName) {
    struct Case {
        const char* product;
        const char* name;
    } cases[] = {
        {"Tool", "Tool Backup"},
        {"A\\B\r\nC\tD", "ABCD Backup"},
        {"", " Backup"},
    };
    for (const Case& c : cases) EXPECT_EQ(str(backupValueName(c.product)), c.name) << c.product;
}

TEST(Associations, WhichRecordsApply) {
    struct Case {
        const char* extension;
        const char* language;
        bool applies;
    } cases[] = {
        {".txt", "", true},
        {".txt", "English", true},
        {".txt", "Deutsch", false},
        {".txt", "english", false},  // compared exactly
        {"", "", false},
    };
    for (const Case& c : cases) {
        FileAssociation association;
        association.extension = c.extension;
        association.language = c.language;
        EXPECT_EQ(associationApplies(association, "English"), c.applies) << c.extension << "/" << c.language;
    }
    EXPECT_EQ(str(dottedExtension("txt")), ".txt");
    EXPECT_EQ(str(dottedExtension(".txt")), ".txt");
}

TEST(Associations, BackupOnlyOfAnotherValue) {
    struct Case {
        const char* current;
        const char* replacement;
        bool backup;
    } cases[] = {
        {"OtherType", "MyType", true},
        {"mytype", "MyType", false},  // the same type in another case
        {"", "MyType", false},
        {" \t\r\n", "MyType", false},
        {"MyType2", "MyType", true},  // whole text, not a prefix
    };
    for (const Case& c : cases) EXPECT_EQ(needsBackup(c.current, c.replacement), c.backup) << c.current;
}

TEST(Associations, Texts) {
    EXPECT_EQ(str(associationListLine(".tav", "Tavo.Doc", "open")), ".tav~!~Tavo.Doc~!~open\r\n");
    EXPECT_EQ(str(associationListLine(".tav", "", "")), ".tav~!~~!~\r\n");
    EXPECT_EQ(str(associationFailureText(".tav")), "Failed to associate file type:  \".tav\".\r\n\r\n");
    EXPECT_EQ(str(productKeysFailureText("Maker\\Tool")), "Error creating registry keys:\r\nMaker\\Tool\r\n\r\n");
}

}  // namespace
