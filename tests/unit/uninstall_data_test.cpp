#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/shared_files.h"
#include "install/uninstall_record.h"
#include "uninstall/uninstall_data.h"

namespace {

std::string str(const String& s) { return std::string(s.text(), size_t(s.length())); }

std::vector<std::string> bodyLines(const std::string& body) {
    Array<String> lines;
    uninstallBodyLines(String(body.data(), int32_t(body.size())), lines);
    std::vector<std::string> out;
    for (const String& line : lines) out.push_back(str(line));
    return out;
}

// --- Cutting the file --------------------------------------------------------------

TEST(UninstallDataSplit, PiecesByMarkersInAnyCase) {
    struct Case {
        const char* text;
        const char* body;
        const char* strings;
        const char* associations;
    } cases[] = {
        {"a\r\nb\r\n", "a\r\nb\r\n", "", ""},
        {"a\r\n[strings]\r\n~10\r\nX\r\n", "a\r\n", "\r\n~10\r\nX\r\n", ""},
        {"a[STRINGS]s[associations]x~!~y~!~z", "a", "s", "x~!~y~!~z"},
        // Associations are only looked for after the strings.
        {"[Associations]a[Strings]s", "[Associations]a", "s", ""},
        {"", "", "", ""},
    };
    for (const Case& c : cases) {
        UninstallDataPieces pieces;
        splitUninstallData(String(c.text), pieces);
        EXPECT_EQ(str(pieces.body), c.body) << c.text;
        EXPECT_EQ(str(pieces.strings), c.strings) << c.text;
        EXPECT_EQ(str(pieces.associations), c.associations) << c.text;
    }
}

TEST(UninstallDataBody, LinesAtEveryBreakKindWithEmptyLinesKept) {
    using Lines = std::vector<std::string>;
    EXPECT_EQ(bodyLines("a\r\nb\r\n"), (Lines{"a", "b"}));
    EXPECT_EQ(bodyLines("a\n\rb\rc\nd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(bodyLines(std::string("a\0b\0\0c", 7)), (Lines{"a", "b", "", "c"}));
    EXPECT_EQ(bodyLines("a\r\n\r\n\r\n"), (Lines{"a", "", ""}));
    EXPECT_EQ(bodyLines("\r\r"), (Lines{"", ""}));
    EXPECT_EQ(bodyLines("\n\n"), (Lines{"", ""}));
    EXPECT_EQ(bodyLines(""), Lines{});
}

TEST(UninstallDataBody, LineKinds) {
    struct Case {
        const char* line;
        UninstallLineKind kind;
        const char* target;
    } cases[] = {
        {"C:\\App\\a.exe", UninstallLineFile, "C:\\App\\a.exe"},
        {"~C:\\App\\Data", UninstallLineFolder, "C:\\App\\Data"},
        {"!.tvx", UninstallLineClassKey, ".tvx"},
        {"~", UninstallLineFolder, ""},
        {"", UninstallLineEmpty, ""},
    };
    for (const Case& c : cases) {
        String target("stale");
        EXPECT_EQ(uninstallLineKind(String(c.line), target), c.kind) << c.line;
        EXPECT_EQ(str(target), c.target) << c.line;
    }
}

// --- [Strings] ---------------------------------------------------------------------

std::string tableText(TextTable& table, int32_t id) {
    String* text = table.entry(id, 0);
    return text ? str(*text) : std::string("<none>");
}

TEST(UninstallDataStrings, TextsRunToTheNextTildeLineAndLoseTrailingBlanks) {
    TextTable table;
    readUninstallStrings(String("\r\n~10\r\nOne\r\n~15\r\nTwo\r\nlines \t\r\n\r\n~20\r\n\r\n~34\r\nLast"), table);
    EXPECT_EQ(tableText(table, 10), "One");
    EXPECT_EQ(tableText(table, 15), "Two\r\nlines");
    EXPECT_EQ(tableText(table, 20), "");
    EXPECT_EQ(tableText(table, 34), "Last");
    EXPECT_EQ(table.stringCount(), kUninstallMaxStringId + 1);
    EXPECT_EQ(table.languageCount(), 1);
}

TEST(UninstallDataStrings, IdsOutsideTheRangeAreSkippedWithTheirLines) {
    TextTable table;
    readUninstallStrings(String("~0\r\nzero\r\n~1001\r\nbig\r\n~x\r\nnone\r\n~1000\r\nok\r\n~99999999999\r\nwrap\r\n"),
                         table);
    EXPECT_EQ(tableText(table, 1000), "ok");
    EXPECT_EQ(tableText(table, 0), "");
    for (int32_t id = 1; id < 1000; id++) ASSERT_EQ(tableText(table, id), "") << id;
}

TEST(UninstallDataStrings, AtMost500LinesCountingOnlyTextStarts) {
    // 499 skipped lines, then a text with long continuation: its lines do not count.
    std::string section;
    for (int i = 0; i < 499; i++) section += "junk\r\n";
    section += "~10\r\n";
    for (int i = 0; i < 600; i++) section += "more\r\n";
    section += "~15\r\nlate\r\n";
    TextTable table;
    readUninstallStrings(String(section.data(), int32_t(section.size())), table);
    EXPECT_EQ(tableText(table, 10).size(), 600 * 6 - 2);
    EXPECT_EQ(tableText(table, 15), "");  // the 501st counted line

    section = std::string(500, '\n') + "~10\r\ntoo late\r\n";
    readUninstallStrings(String(section.data(), int32_t(section.size())), table);
    EXPECT_EQ(tableText(table, 10), "");
}

// --- [Associations] ----------------------------------------------------------------

TEST(UninstallDataAssociations, ThreeFieldsPerLineBlankOnesDropped) {
    String list("\r\n.tvx~!~TavoFile~!~open\r\n.a~!~~!~open\r\nbroken line\r\n.b~!~T~!~ \r\n.c~!~T2~!~edit");
    Array<FileAssociation> records;
    takeUninstallAssociations(list, records);
    ASSERT_EQ(records.count(), 2);
    EXPECT_EQ(str(records[0].extension), ".tvx");
    EXPECT_EQ(str(records[0].typeName), "TavoFile");
    EXPECT_EQ(str(records[0].verb), "open");
    EXPECT_EQ(str(records[1].extension), ".c");
    EXPECT_EQ(str(records[1].verb), "edit");
    EXPECT_TRUE(list.isEmpty());
}

TEST(UninstallDataAssociations, AtMost500LinesTakenTheRestStays) {
    std::string text;
    for (int i = 0; i < 502; i++) text += ".x~!~T~!~open\r\n";
    String list(text.c_str());
    Array<FileAssociation> records;
    takeUninstallAssociations(list, records);
    EXPECT_EQ(records.count(), 500);
    EXPECT_EQ(str(list), ".x~!~T~!~open\r\n.x~!~T~!~open\r\n");
}

TEST(UninstallDataFlags, ReadsTheWordTheWriterWrote) {
    struct Case {
        uint32_t low, high;
    } cases[] = {{0, 0}, {0x200, 0}, {0x8000400, 0x108}, {0xFFFFFFFF, 0xFFFFFFFF}, {0, 0x80000000}, {5, 0x7FFFFFFF}};
    for (const Case& c : cases) {
        uint32_t low = 1, high = 1;
        productFlagsFromText(productFlagsText(c.low, c.high), low, high);
        EXPECT_EQ(low, c.low);
        EXPECT_EQ(high, c.high);
    }
    uint32_t low = 1, high = 1;
    productFlagsFromText(String("flags: 1,024"), low, high);
    EXPECT_EQ(low, 1024u);
    EXPECT_EQ(high, 0u);
    productFlagsFromText(String(), low, high);
    EXPECT_EQ(low | high, 0u);
}

// --- Round trips with the writer ---------------------------------------------------

const char* writerText(int id) {
    switch (id) {
        case 10: return "The following could not be removed:\r\n\r\n%s";
        case 53: return "Remove <product>?";
        case 58: return "Could not delete:";
        case 71: return "Done.";
        default: return "";
    }
}

TEST(UninstallDataRoundTrip, ReaderTakesBackWhatTheWriterWrote) {
    String list;
    NameSet seen(kUninstallSetSlots);
    recordUninstallEntry(list, seen, String("C:\\App\\a.exe"), UninstallFileEntry);
    recordUninstallEntry(list, seen, String("C:\\App\\Data"), UninstallFolderEntry);
    recordUninstallEntry(list, seen, String("TavoFile"), UninstallClassKeyEntry);
    String associations(".tvx~!~TavoFile~!~open\r\n");

    UninstallDataPieces pieces;
    splitUninstallData(uninstallDataText(list, associations, writerText), pieces);

    Array<String> lines;
    uninstallBodyLines(pieces.body, lines);
    std::vector<std::string> kinds;
    for (const String& line : lines) {
        String target;
        UninstallLineKind kind = uninstallLineKind(line, target);
        if (kind != UninstallLineEmpty) kinds.push_back(std::to_string(kind) + " " + str(target));
    }
    EXPECT_EQ(kinds, (std::vector<std::string>{"1 C:\\App\\a.exe", "2 C:\\App\\Data", "3 TavoFile"}));

    TextTable table;
    readUninstallStrings(pieces.strings, table);
    for (int32_t id : UninstallStringIds) EXPECT_EQ(tableText(table, id), writerText(id)) << id;

    Array<FileAssociation> records;
    takeUninstallAssociations(pieces.associations, records);
    ASSERT_EQ(records.count(), 1);
    EXPECT_EQ(str(records[0].typeName), "TavoFile");
}

TextTable* RewriteTable = nullptr;
const char* rewriteLookup(int id) {
    String* text = RewriteTable->entry(id, 0);
    return text ? text->text() : "";
}

TEST(UninstallDataRoundTrip, RewrittenFileListsOnlyWhatRemainsAndKeepsTheTexts) {
    TextTable table;
    readUninstallStrings(String("~10\r\nFailed:\r\n%s\r\n~58\r\nCould not delete:\r\n"), table);
    String remaining;
    NameSet seen(kUninstallSetSlots);
    recordUninstallEntry(remaining, seen, String("C:\\App\\locked.dll"), UninstallFileEntry);
    RewriteTable = &table;
    String rewritten = uninstallDataText(remaining, String(), rewriteLookup);

    UninstallDataPieces pieces;
    splitUninstallData(rewritten, pieces);
    EXPECT_EQ(str(pieces.associations), "");
    Array<String> lines;
    uninstallBodyLines(pieces.body, lines);
    ASSERT_GE(lines.count(), 1);
    EXPECT_EQ(str(lines[0]), "C:\\App\\locked.dll");
    for (int32_t i = 1; i < lines.count(); i++) EXPECT_TRUE(lines[i].isEmpty());
    TextTable again;
    readUninstallStrings(pieces.strings, again);
    EXPECT_EQ(tableText(again, 10), "Failed:\r\n%s");
    EXPECT_EQ(tableText(again, 58), "Could not delete:");
}

// --- "ProductFonts" ----------------------------------------------------------------

TEST(UninstallDataFonts, PairsUntilTheFirstMissingOrUnquotedText) {
    struct Case {
        const char* text;
        std::vector<std::string> pairs;
    } cases[] = {
        {"\"Tavo Sans\" \"tavosans.ttf\" \"Mono\" \"mono.fon\" ", {"Tavo Sans|tavosans.ttf", "Mono|mono.fon"}},
        {"\"A\"\"B\"", {}},  // a doubled quote, so one text A"B and no file
        {"  \"Say \"\"hi\"\"\"\t\"f.ttf\"", {"Say \"hi\"|f.ttf"}},
        {"\"A\" \"a.ttf\" \"B\" b.ttf", {"A|a.ttf"}},
        {"\"A\" \"a.ttf\" \"B\"", {"A|a.ttf"}},
        {"\"A\" \"a.ttf", {}},
        {"A a", {}},
        {"", {}},
    };
    for (const Case& c : cases) {
        String text(c.text);
        int32_t position = 0;
        String name, file;
        std::vector<std::string> pairs;
        while (takeFontPair(text, position, name, file)) pairs.push_back(str(name) + "|" + str(file));
        EXPECT_EQ(pairs, c.pairs) << c.text;
    }
}

TEST(UninstallDataFonts, ReadsTheWritersText) {
    Array<InstalledFont> fonts;
    InstalledFont font;
    font.name = "Tavo Sans";
    font.fileName = "tavosans.ttf";
    fonts.append(font);
    font.name = "Hidden";
    font.recorded = false;
    fonts.append(font);
    font.name = "Tavo Mono";
    font.fileName = "tavomono.fon";
    font.recorded = true;
    fonts.append(font);
    String text = productFontsText(fonts);
    int32_t position = 0;
    String name, file;
    ASSERT_TRUE(takeFontPair(text, position, name, file));
    EXPECT_EQ(str(name) + "|" + str(file), "Tavo Sans|tavosans.ttf");
    ASSERT_TRUE(takeFontPair(text, position, name, file));
    EXPECT_EQ(str(name) + "|" + str(file), "Tavo Mono|tavomono.fon");
    EXPECT_FALSE(takeFontPair(text, position, name, file));
}

// --- "SharedFiles" -----------------------------------------------------------------

TEST(UninstallDataShared, MarkersComeOffInTheirOrder) {
    struct Case {
        std::string entry;
        const char* path;
        bool comServer, neverDelete, typeLibrary;
    } cases[] = {
        {"C:\\S\\a.dll", "C:\\S\\a.dll", false, false, false},
        {"C:\\S\\a.dll^", "C:\\S\\a.dll", true, false, false},
        {"C:\\S\\a.dll ", "C:\\S\\a.dll", false, true, false},
        {"C:\\S\\a.tlb\xA9", "C:\\S\\a.tlb", false, false, true},
        {"C:\\S\\a.dll\xA9 ^", "C:\\S\\a.dll", true, true, true},
        {"C:\\S\\a.dll^ ", "C:\\S\\a.dll^", false, true, false},  // out of order: "^" stays
    };
    for (const Case& c : cases) {
        String text;
        appendSharedFilesEntry(text, String(c.entry.c_str()));
        String rest = text;
        SharedFileRecord record;
        ASSERT_TRUE(takeSharedFileRecord(rest, record)) << c.entry;
        EXPECT_EQ(str(record.path), c.path);
        EXPECT_EQ(str(record.path), str(sharedFileValueName(String(c.entry.c_str()))));
        EXPECT_EQ(record.comServer, c.comServer) << c.entry;
        EXPECT_EQ(record.neverDelete, c.neverDelete) << c.entry;
        EXPECT_EQ(record.typeLibrary, c.typeLibrary) << c.entry;
        EXPECT_TRUE(rest.isEmpty());
    }
}

TEST(UninstallDataShared, EntriesUntilTheFirstMissingOrEmptyOne) {
    String text;
    appendSharedFilesEntry(text, String("C:\\S\\a.dll^"));
    appendSharedFilesEntry(text, String("C:\\S\\b.dll"));
    appendSharedFilesEntry(text, String("^"));
    appendSharedFilesEntry(text, String("C:\\S\\c.dll"));
    std::vector<std::string> paths;
    SharedFileRecord record;
    while (takeSharedFileRecord(text, record)) paths.push_back(str(record.path));
    EXPECT_EQ(paths, (std::vector<std::string>{"C:\\S\\a.dll", "C:\\S\\b.dll"}));
    EXPECT_EQ(str(text), "\"^\";\"C:\\S\\c.dll\"");

    String unclosed("\"C:\\x.dll");
    EXPECT_FALSE(takeSharedFileRecord(unclosed, record));
    EXPECT_EQ(str(unclosed), "\"C:\\x.dll");
}

// --- Folders and climbs ------------------------------------------------------------

TEST(UninstallDataFolders, LongestFirst) {
    Array<String> folders;
    for (const char* f : {"C:\\App\\A", "C:\\App\\A\\Deep\\Er", "C:\\App\\B", "C:\\App\\A\\Deep"}) {
        insertFolderLongestFirst(folders, String(f));
    }
    std::vector<std::string> order;
    for (const String& f : folders) order.push_back(str(f));
    EXPECT_EQ(order, (std::vector<std::string>{"C:\\App\\A\\Deep\\Er", "C:\\App\\A\\Deep", "C:\\App\\A", "C:\\App\\B"}));
}

TEST(UninstallDataFolders, ClimbStopsBeforeTheInstallationFolderAndTheRoot) {
    struct Case {
        const char* folder;
        const char* installDir;
        std::vector<std::string> climb;
    } cases[] = {
        {"C:\\App\\Data\\Sub", "C:\\App", {"C:\\App\\Data\\Sub", "C:\\App\\Data"}},
        {"c:\\app\\data\\", "C:\\APP", {"c:\\app\\data\\"}},
        {"C:\\App", "C:\\App", {}},
        {"C:\\App", "c:\\app\\", {}},
        // Outside the installation folder the climb ends above the drive root.
        {"D:\\Other\\Dir", "C:\\App", {"D:\\Other\\Dir", "D:\\Other"}},
        {"Rel\\Dir", "C:\\App", {"Rel\\Dir"}},
        {"", "C:\\App", {}},
    };
    for (const Case& c : cases) {
        Array<String> out;
        folderClimb(String(c.folder), String(c.installDir), out);
        std::vector<std::string> climb;
        for (const String& f : out) climb.push_back(str(f));
        EXPECT_EQ(climb, c.climb) << c.folder;
    }
}

TEST(UninstallDataFolders, ParentsForTheStartMenuAndKeyClimbs) {
    struct Case {
        const char* path;
        bool climbs;
        const char* parent;
    } cases[] = {
        {"C:\\Menu\\Programs\\Tavo\\Demo", true, "C:\\Menu\\Programs\\Tavo"},
        {"C:\\Menu\\", false, "C:\\Menu\\"},  // never up to the drive
        {"C:\\Menu", false, "C:\\Menu"},
        {"Tavo Soft\\Demo\\1.0", true, "Tavo Soft\\Demo"},
        {"Tavo Soft\\Demo\\", true, "Tavo Soft"},
        {"Tavo Soft", false, "Tavo Soft"},
        {"\\Lead", false, "\\Lead"},
        {"", false, ""},
    };
    for (const Case& c : cases) {
        String path(c.path);
        bool climbs = climbToParent(path);
        EXPECT_EQ(climbs, c.climbs) << c.path;
        EXPECT_EQ(str(path), c.parent) << c.path;
    }
}

}  // namespace
