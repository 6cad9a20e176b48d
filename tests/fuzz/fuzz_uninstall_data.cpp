// Uninstall.DAT and the record's "ProductFonts" and "SharedFiles" values may
// have been edited by hand: taking them apart must end, never stop the run,
// and every piece must come out of the text it was taken from.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include "uninstall/uninstall_data.h"

static void require(bool condition) {
    if (!condition) abort();
}

static void fuzzDataFile(const String& text) {
    UninstallDataPieces pieces;
    splitUninstallData(text, pieces);
    require(pieces.body.length() + pieces.strings.length() + pieces.associations.length() <= text.length());

    Array<String> lines;
    uninstallBodyLines(pieces.body, lines);
    require(lines.count() <= pieces.body.length());
    Array<String> folders;
    for (const String& line : lines) {
        String target;
        if (uninstallLineKind(line, target) == UninstallLineFolder) insertFolderLongestFirst(folders, target);
    }
    for (int32_t i = 1; i < folders.count(); i++) require(folders[i - 1].length() >= folders[i].length());
    String installDir = lines.count() > 0 ? lines[0] : String();
    for (const String& folder : folders) {
        Array<String> climb;
        folderClimb(folder, installDir, climb);
        for (int32_t i = 1; i < climb.count(); i++) require(climb[i].length() < climb[i - 1].length());
    }

    TextTable table;
    readUninstallStrings(pieces.strings, table);
    for (int32_t id = 0; id <= kUninstallMaxStringId; id++) {
        require(table.entry(id, 0) && table.entry(id, 0)->length() <= pieces.strings.length());
    }

    Array<FileAssociation> records;
    String list = pieces.associations;
    takeUninstallAssociations(list, records);
    require(records.count() <= kUninstallMaxSectionLines);
}

static void fuzzRecordValues(const String& text) {
    int32_t position = 0;
    String name, file;
    while (takeFontPair(text, position, name, file)) {
        require(position <= text.length());
        require(name.length() + file.length() + 4 <= text.length());
    }
    String rest = text;
    SharedFileRecord record;
    while (true) {
        int32_t before = rest.length();
        if (!takeSharedFileRecord(rest, record)) {
            require(rest.length() == before);
            break;
        }
        require(!record.path.isEmpty());
        require(rest.length() <= before - record.path.length() - 2);
    }
    uint32_t low = 0, high = 0;
    productFlagsFromText(text, low, high);
    String path = text;
    for (int32_t climbs = 0; climbToParent(path); climbs++) require(climbs < text.length());
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 16384) return 0;
    String text(reinterpret_cast<const char*>(data), int32_t(size));
    fuzzDataFile(text);
    fuzzRecordValues(text);
    return 0;
}
