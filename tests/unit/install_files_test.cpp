#include <gtest/gtest.h>

#include <string>

#include "install/install_files.h"

namespace {

std::string str(const String& s) { return std::string(s.text(), size_t(s.length())); }

void fakeExpand(String& text) {
    text.replaceAll("%InstallDir%", "C:\\Program Files\\App", String::IgnoreCase);
    text.replaceAll("%WinDir%", "C:\\WINDOWS", String::IgnoreCase);
}

DestinationFolders testFolders() {
    DestinationFolders folders;
    folders.installDir = "C:\\Program Files\\App";
    folders.sharedDir = "C:\\Program Files\\Common Files\\Maker";
    folders.fontDir = "C:\\WINDOWS\\Fonts";
    folders.systemDir = "C:\\WINDOWS\\system32";
    folders.uninstallDir = "C:\\Program Files\\App\\Uninstall";
    return folders;
}

FileEntry entryOf(const char* name, uint32_t kind, uint32_t flags, const char* destination) {
    FileEntry entry;
    entry.name = name;
    entry.kind = kind;
    entry.flags = flags;
    entry.destination = destination;
    return entry;
}

TEST(InstallFilesDestination, FollowsTheDestinationTextThenTheFlagsThenTheKind) {
    const struct {
        const char* name;
        uint32_t kind;
        uint32_t flags;
        const char* destination;
        const char* path;
        const char* newName;
        bool create;
    } cases[] = {
        // By kind.
        {"a.exe", 0, 0, "", "C:\\Program Files\\App\\a.exe", "a.exe", true},
        {"a.exe", 5, 0, "", "C:\\Program Files\\App\\a.exe", "a.exe", true},
        {"s.dll", 1, 0, "", "C:\\Program Files\\Common Files\\Maker\\s.dll", "s.dll", false},
        {"f.ttf", 4, 0, "", "C:\\WINDOWS\\Fonts\\f.ttf", "f.ttf", false},
        {"x.dll", 6, 0, "", "C:\\WINDOWS\\system32\\x.dll", "x.dll", false},
        {"x.dll", 7, 0, "", "C:\\WINDOWS\\system32\\x.dll", "x.dll", false},
        {"x.tlb", 8, 0, "", "C:\\WINDOWS\\system32\\x.tlb", "x.tlb", false},
        {"bin\\a.exe", 0, 0, "", "C:\\Program Files\\App\\bin\\a.exe", "bin\\a.exe", true},
        // A name without a backslash renames and keeps the kind's directory.
        {"readme.1st", 0, 0, "readme.txt", "C:\\Program Files\\App\\readme.txt", "readme.txt", true},
        {"old.dll", 6, 0, "new.dll", "C:\\WINDOWS\\system32\\new.dll", "new.dll", false},
        // A directory ending in a backslash takes the name's file-name part.
        {"docs\\a.txt", 0, 0, "%InstallDir%\\doc\\", "C:\\Program Files\\App\\doc\\a.txt", "docs\\a.txt", true},
        {"a.txt", 1, 0, "%INSTALLDIR%\\doc\\b.txt", "C:\\Program Files\\App\\doc\\b.txt", "a.txt", true},
        // Relative destinations lie in the shared directory for kind 1, else InstallDir.
        {"a.txt", 1, 0, "sub\\", "C:\\Program Files\\Common Files\\Maker\\sub\\a.txt", "a.txt", true},
        {"a.txt", 6, 0, "sub\\b.txt", "C:\\Program Files\\App\\sub\\b.txt", "a.txt", true},
        {"a.txt", 0, 0, "\\root\\a.txt", "C:\\root\\a.txt", "a.txt", true},
        {"w.ini", 0, 0, "%WinDir%\\w.ini", "C:\\WINDOWS\\w.ini", "w.ini", true},
        // The uninstall directory, unless a destination is given.
        {"help.ico", 0, 0x40, "", "C:\\Program Files\\App\\Uninstall\\help.ico", "help.ico", false},
        {"help.ico", 6, 0x40, "i.ico", "C:\\Program Files\\App\\Uninstall\\i.ico", "i.ico", false},
        {"help.ico", 0, 0x40, "D:\\x\\", "D:\\x\\help.ico", "help.ico", true},
        // A kind without a directory passes when it is not asked.
        {"odd", 2, 0, "D:\\odd", "D:\\odd", "odd", true},
        {"odd", 3, 0x40, "", "C:\\Program Files\\App\\Uninstall\\odd", "odd", false},
    };
    DestinationFolders folders = testFolders();
    for (const auto& c : cases) {
        FileDestination out;
        ASSERT_EQ(resolveDestination(entryOf(c.name, c.kind, c.flags, c.destination), folders, fakeExpand, out), 0)
            << c.name << " kind " << c.kind;
        EXPECT_EQ(str(out.path), c.path) << c.name << " -> " << c.destination;
        EXPECT_EQ(str(out.name), c.newName) << c.name << " -> " << c.destination;
        EXPECT_EQ(out.createDirectory, c.create) << c.name << " -> " << c.destination;
    }
}

TEST(InstallFilesDestination, AKindWithoutADirectoryIsCorrupt) {
    DestinationFolders folders = testFolders();
    for (uint32_t kind : {2u, 3u, 9u, 0x80000000u, 0xFFFFFFFFu}) {
        FileDestination out;
        EXPECT_EQ(resolveDestination(entryOf("a", kind, 0, ""), folders, fakeExpand, out), kUnknownFileKind) << kind;
        EXPECT_EQ(resolveDestination(entryOf("a", kind, 0, "b"), folders, fakeExpand, out), kUnknownFileKind)
            << "a new name still takes the kind's directory";
    }
}

TEST(InstallFilesDestination, TheInstallationDirectoryItselfIsNotCreated) {
    const struct {
        const char* destination;
        const char* directory;
        bool create;
    } cases[] = {
        {"C:\\Program Files\\App\\a.exe", "C:\\Program Files\\App", false},
        {"c:\\program files\\APP\\a.exe", "c:\\program files\\APP", false},
        {"C:\\Program Files\\App\\doc\\a.txt", "C:\\Program Files\\App\\doc", true},
        {"C:\\a.txt", "C:\\", true},
    };
    for (const auto& c : cases) {
        String directory;
        EXPECT_EQ(directoryToCreate(String(c.destination), String("C:\\Program Files\\App"), directory), c.create)
            << c.destination;
        EXPECT_EQ(str(directory), c.directory);
    }
}

TEST(InstallFilesLists, SharedEntriesCarryTheirKindsMarker) {
    const struct {
        uint32_t kind;
        uint32_t flags;
        bool listed;
        const char* entry;
    } cases[] = {
        {0, 0, false, ""},          {4, 0, false, ""},          {5, 0x20, false, ""},
        {1, 0, true, "C:\\x.dll"},  {1, 0x20, true, "C:\\x.dll "},
        {6, 0, true, "C:\\x.dll "}, {6, 0x20, true, "C:\\x.dll "},
        {7, 0, true, "C:\\x.dll^"}, {7, 0x20, true, "C:\\x.dll "},
        {8, 0, true, "C:\\x.dll\xA9"}, {8, 0x20, true, "C:\\x.dll "},
    };
    for (const auto& c : cases) {
        String entry;
        EXPECT_EQ(sharedFileEntry(c.kind, c.flags, String("C:\\x.dll"), entry), c.listed) << c.kind;
        EXPECT_EQ(str(entry), c.entry) << "kind " << c.kind << " flags " << c.flags;
    }
}

TEST(InstallFilesLists, ShortcutsForKindFiveAndFlaggedKindZero) {
    const struct {
        uint32_t kind;
        uint32_t flags;
        bool wanted;
    } cases[] = {{0, 0, false}, {0, 1, true}, {0, 2, true}, {0, 0x20, false}, {5, 0, true},
                 {1, 3, false}, {6, 1, false}, {4, 2, false}};
    for (const auto& c : cases) EXPECT_EQ(wantsShortcut(c.kind, c.flags), c.wanted) << c.kind << "/" << c.flags;
}

TEST(InstallFilesLists, ShortcutRequestNamesAndIcon) {
    FileEntry entry = entryOf("bin\\app.exe", 5, 0x23, "");
    entry.shortcutArguments = "/x";
    String destination("C:\\App\\bin\\app.exe");

    ShortcutRequest request = shortcutRequestFor(entry, destination, String("C:\\App\\Un"), "Start %s now");
    EXPECT_EQ(str(request.name), "Start app.exe now");
    EXPECT_EQ(str(request.target), "C:\\App\\bin\\app.exe");
    EXPECT_EQ(str(request.arguments), "/x");
    EXPECT_EQ(str(request.icon), "") << "a blank icon text is no icon";
    EXPECT_EQ(request.kind, 5u);
    EXPECT_EQ(request.flags, 0x23u);

    entry.firstText = "My App";
    entry.shortcutIcon = "app.ico";
    request = shortcutRequestFor(entry, destination, String("C:\\App\\Un"), "Start %s now");
    EXPECT_EQ(str(request.name), "My App");
    EXPECT_EQ(str(request.icon), "C:\\App\\Un\\app.ico");

    entry.firstText = "";
    entry.shortcutIcon = "  ";
    request = shortcutRequestFor(entry, destination, String("C:\\App\\Un"), "100% %s %d");
    EXPECT_EQ(str(request.icon), "");
    EXPECT_FALSE(request.name.isEmpty()) << "a payload format with odd fields still gives a name";
}

TEST(InstallFilesLists, OnlyProgramFilesAreRecordedUnlessExcluded) {
    const struct {
        uint32_t kind;
        uint32_t flags;
        uint32_t productFlags;
        bool recorded;
    } cases[] = {{0, 0, 0, true},       {5, 0, 0, true},      {0, 0x20, 0, false}, {5, 0, 0x400, false},
                 {0, 0x3, 0x4, true},   {1, 0, 0, false},     {4, 0, 0, false},    {6, 0, 0, false},
                 {7, 0, 0, false},      {2, 0, 0, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(recordedForUninstall(c.kind, c.flags, c.productFlags), c.recorded)
            << c.kind << "/" << c.flags << "/" << c.productFlags;
    }
}

TEST(InstallFilesExistence, RuleOfFlagBitsFourAndEight) {
    const struct {
        uint32_t flags;
        uint32_t kind;
        bool exists;
        ExistenceAction action;
    } cases[] = {
        {0x0, 0, false, ExistenceGoOn},  {0x0, 0, true, ExistenceGoOn},
        {0x4, 0, false, ExistenceSkip},  {0x4, 0, true, ExistenceSkip},
        {0x8, 0, false, ExistenceSkip},  {0x8, 0, true, ExistenceGoOn},
        {0xC, 0, false, ExistenceGoOn},  {0xC, 0, true, ExistenceSkipButRecord},
        {0xC, 5, true, ExistenceSkipButRecord},  {0xD, 0, true, ExistenceSkipButRecord},
        {0x2C, 0, true, ExistenceSkip},  // flag 0x20: not recorded
        {0xC, 1, true, ExistenceSkip},   {0xC, 7, true, ExistenceSkip},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(existenceRule(c.flags, c.kind, c.exists), c.action)
            << "flags " << c.flags << " kind " << c.kind << " exists " << c.exists;
    }
    EXPECT_FALSE(existenceRuleAsks(0x0));
    EXPECT_FALSE(existenceRuleAsks(0x4)) << "skipped without looking";
    EXPECT_TRUE(existenceRuleAsks(0x8));
    EXPECT_TRUE(existenceRuleAsks(0xC | 0x3));
}

TEST(InstallFilesReplacement, TestByKind) {
    const struct {
        uint32_t kind;
        ReplacementTest test;
    } cases[] = {{0, ReplaceAlways},  {5, ReplaceAlways}, {1, ReplaceByDate}, {4, ReplaceByDate},
                 {6, ReplaceByVersionThenDate}, {7, ReplaceByVersionThenDate},
                 {8, ReplaceByVersionThenDate}, {2, ReplaceAlways}};
    for (const auto& c : cases) EXPECT_EQ(replacementTestOf(c.kind), c.test) << c.kind;
}

const char kPath[] = "C:\\WINDOWS\\system32\\x.dll";
const std::string kOutOfDate = std::string(kPath) + " is out of date and will be replaced.\r\n";
const std::string kUpToDate = std::string(kPath) + " is up to date.\r\n";
const std::string kVersionNotNewer = std::string(kPath) + " was not installed because its version is not newer.\r\n";
const std::string kDateNotNewer = std::string(kPath) + " was not installed because its date is not newer.\r\n";

ExistingFile existingAt(DateTime modified, const char* version = "") {
    ExistingFile existing;
    existing.infoRead = true;
    existing.modified = modified;
    existing.version = version;
    return existing;
}

TEST(InstallFilesReplacement, DateTestReplacesOnlyOlderOrUnknown) {
    const DateTime entry = {2004, 12, 4, 16, 10, 44};
    ExistingFile unreadable;
    const struct {
        DateTime entryTime;
        ExistingFile existing;
        bool replace;
        const std::string* line;
    } cases[] = {
        {entry, existingAt({2004, 12, 4, 16, 10, 44}), false, &kUpToDate},  // the same time
        {entry, existingAt({2004, 12, 4, 16, 10, 43}), true, &kOutOfDate},
        {entry, existingAt({2004, 12, 4, 16, 10, 45}), false, &kUpToDate},
        {entry, existingAt({2003, 12, 31, 23, 59, 59}), true, &kOutOfDate},
        {entry, existingAt({2005, 1, 1, 0, 0, 0}), false, &kUpToDate},
        {entry, existingAt({2004, 11, 30, 23, 0, 0}), true, &kOutOfDate},  // month before day
        {entry, unreadable, true, &kOutOfDate},
        {{2004, 12, 4, -1, 0, 0}, existingAt({2010, 1, 1, 0, 0, 0}), true, &kOutOfDate},  // no time
        {{0, 0, 0, 16, 10, 44}, existingAt({2010, 1, 1, 0, 0, 0}), true, &kOutOfDate},    // no date
    };
    for (const auto& c : cases) {
        ReplacementDecision decision = decideByDate(String(kPath), c.entryTime, c.existing);
        EXPECT_EQ(decision.replace, c.replace) << c.existing.modified.year << "-" << c.existing.modified.month;
        EXPECT_EQ(str(decision.logLine), *c.line);
    }
}

TEST(InstallFilesReplacement, VersionTestThenDateTest) {
    const DateTime entry = {2004, 12, 4, 16, 10, 44};
    const DateTime older = {2003, 1, 1, 0, 0, 0};
    const DateTime newer = {2005, 1, 1, 0, 0, 0};
    ExistingFile unreadable;
    unreadable.version = "0000000001";
    const struct {
        const char* entryVersion;
        ExistingFile existing;
        bool replace;
        std::string line;
    } cases[] = {
        {"2.0", existingAt(newer, "0000000001.0000000009"), false, kDateNotNewer},  // newer version, newer date
        {"2.0", existingAt(older, "0000000001.0000000009"), true, kOutOfDate},
        {"1.9", existingAt(older, "0000000001.0000000009"), false, kVersionNotNewer},  // equal version
        {"1.8", existingAt(older, "0000000001.0000000009"), false, kVersionNotNewer},
        {"1.10", existingAt(older, "0000000001.0000000009"), true, kOutOfDate},
        {"", existingAt(older, "0000000009"), true, kOutOfDate},      // no entry version: date only
        {"  ", existingAt(newer, "0000000001"), false, kDateNotNewer},
        {"1.0", existingAt(older, ""), true, kOutOfDate},              // no file version: date only
        {"2.0", existingAt(entry, "0000000001"), false, kDateNotNewer},  // the same time is not newer
        {"2.0", unreadable, false, ""},                                  // unknown time: kept, no line
    };
    for (const auto& c : cases) {
        ReplacementDecision decision = decideByVersionThenDate(String(kPath), String(c.entryVersion), entry, c.existing);
        EXPECT_EQ(decision.replace, c.replace) << c.entryVersion << " over " << str(c.existing.version);
        EXPECT_EQ(str(decision.logLine), c.line) << c.entryVersion << " over " << str(c.existing.version);
    }
}

FileDeletion deletionOf(uint8_t condition, const char* argument) {
    FileDeletion deletion;
    deletion.spec = "*.old";
    deletion.condition = condition;
    deletion.argument = argument;
    return deletion;
}

TEST(InstallFilesDeletion, ConditionsByDateSizeOrNone) {
    const DateTime modified = {2004, 12, 4, 16, 10, 44};
    const struct {
        uint8_t condition;
        const char* argument;
        int64_t size;
        bool remove;
    } cases[] = {
        {0, "", 5, true}, {7, "junk", 5, true}, {200, "", 5, true},
        // Dates alone when the argument has no time of day.
        {1, "12/4/2004", 0, true},  {1, "12/5/2004", 0, false}, {1, "2004-12-4", 0, true},
        {2, "12/4/2004", 0, true},  {2, "12/3/2004", 0, true},  {2, "12/5/2004", 0, false},
        {3, "12/4/2004", 0, true},  {3, "12/3/2004", 0, false}, {3, "12/5/2004", 0, true},
        // Date and time when it has one.
        {1, "12/4/2004 16:10:44", 0, true},  {1, "12/4/2004 16:10:45", 0, false},
        {2, "12/4/2004 16:10:45", 0, false}, {2, "12/4/2004 16:10:43", 0, true},
        {3, "12/4/2004 16:10:45", 0, true},  {3, "12/4/2004 16:10:43", 0, false},
        {3, "12/4/04 4:10:44pm", 0, true},
        // A time of day alone.
        {1, "16:10", 0, false}, {2, "16:10", 0, true}, {3, "16:11", 0, true},
        // Sizes, every "," removed.
        {4, "1024", 1024, true}, {4, "1024", 1023, false},
        {5, "1,024", 1024, true}, {5, "1,024", 1025, true}, {5, "1,024", 1023, false},
        {6, "1,024", 1024, true}, {6, "1,024", 1023, true}, {6, "1,024", 1025, false},
        {4, "", 0, true}, {5, "-5", 0, true}, {6, "x", 0, true}, {4, "5000000000", 5000000000LL, true},
    };
    for (const auto& c : cases) {
        bool remove = !c.remove;
        EXPECT_EQ(deletionApplies(deletionOf(c.condition, c.argument), c.size, modified, 2010, remove), 0)
            << int(c.condition) << " " << c.argument;
        EXPECT_EQ(remove, c.remove) << int(c.condition) << " " << c.argument << " size " << c.size;
    }
}

TEST(InstallFilesDeletion, ADateThatIsNoDateIsCorrupt) {
    const DateTime modified = {2004, 12, 4, 16, 10, 44};
    for (uint8_t condition : {1, 2, 3}) {
        for (const char* argument : {"", "soon", "13/45/2004"}) {
            bool remove = true;
            EXPECT_EQ(deletionApplies(deletionOf(condition, argument), 0, modified, 2010, remove), kBadDeletionDate)
                << int(condition) << " " << argument;
        }
    }
    bool remove = false;
    EXPECT_EQ(deletionApplies(deletionOf(4, "soon"), 0, modified, 2010, remove), 0) << "a size is never corrupt";
}

}  // namespace
