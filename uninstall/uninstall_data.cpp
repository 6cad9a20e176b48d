#include "uninstall/uninstall_data.h"

#include "core/path.h"

const char UninstallAssociationSeparator[] = "~!~";

void splitUninstallData(const String& text, UninstallDataPieces& out) {
    out.body.clear();
    out.strings.clear();
    out.associations.clear();
    static const char stringsMark[] = "[Strings]";
    static const char associationsMark[] = "[Associations]";
    int32_t strings = text.find(stringsMark, 0, String::IgnoreCase);
    if (strings < 0) {
        out.body = text;
        return;
    }
    out.body = text.substring(0, strings);
    int32_t afterStrings = strings + int32_t(sizeof stringsMark) - 1;
    int32_t associations = text.find(associationsMark, afterStrings, String::IgnoreCase);
    if (associations < 0) {
        out.strings = text.substring(afterStrings);
        return;
    }
    out.strings = text.substring(afterStrings, associations - afterStrings);
    out.associations = text.substring(associations + int32_t(sizeof associationsMark) - 1);
}

bool nextTextLine(const String& text, int32_t& position, int32_t& start, int32_t& length) {
    int32_t end = text.length();
    if (position < 0 || position >= end) return false;
    const char* p = text.text();
    int32_t i = position;
    while (i < end && p[i] != '\r' && p[i] != '\n' && p[i] != 0) i++;
    start = position;
    length = i - position;
    if (i < end) {
        char c = p[i++];
        // CR LF and LF CR are one break; a zero byte is always a break of its own.
        if (c != 0 && i < end && (p[i] == '\r' || p[i] == '\n') && p[i] != c) i++;
    }
    position = i;
    return true;
}

void uninstallBodyLines(const String& body, Array<String>& lines) {
    int32_t position = 0, start = 0, length = 0;
    while (nextTextLine(body, position, start, length)) lines.append(body.substring(start, length));
}

UninstallLineKind uninstallLineKind(const String& line, String& target) {
    if (line.isEmpty()) {
        target.clear();
        return UninstallLineEmpty;
    }
    char mark = line.first();
    if (mark == '~' || mark == '!') {
        target = line.substring(1);
        return mark == '~' ? UninstallLineFolder : UninstallLineClassKey;
    }
    target = line;
    return UninstallLineFile;
}

// The id of a "~id" line: the decimal digits right after the "~" (blanks
// allowed before them); 0 when there are none or the number is too large.
static int32_t stringIdOf(const char* line, int32_t length) {
    int32_t i = 1;
    while (i < length && (line[i] == ' ' || line[i] == '\t')) i++;
    int32_t id = 0;
    for (; i < length && line[i] >= '0' && line[i] <= '9'; i++) {
        id = id * 10 + (line[i] - '0');
        if (id > kUninstallMaxStringId) return 0;
    }
    return id;
}

static bool isTextHeader(const char* p, int32_t start, int32_t length) { return length > 0 && p[start] == '~'; }

void readUninstallStrings(const String& section, TextTable& table) {
    table.reset(kUninstallMaxStringId + 1, 1);
    const char* p = section.text();
    int32_t position = 0, start = 0, length = 0;
    bool pending = nextTextLine(section, position, start, length);
    for (int32_t taken = 0; pending && taken < kUninstallMaxSectionLines; taken++) {
        int32_t id = isTextHeader(p, start, length) ? stringIdOf(p + start, length) : 0;
        pending = nextTextLine(section, position, start, length);
        if (id < 1) continue;
        // The text runs, breaks included, up to the next "~" line or the end.
        int32_t textStart = pending ? start : section.length();
        int32_t textEnd = textStart;
        while (pending && !isTextHeader(p, start, length)) {
            textEnd = position;
            pending = nextTextLine(section, position, start, length);
        }
        String text = section.substring(textStart, textEnd - textStart);
        text.trimEnd();
        *table.entry(id, 0) = moveValue(text);
    }
}

// One association line; false when a field is blank or a separator missing.
static bool associationFromLine(const String& line, FileAssociation& record) {
    const int32_t width = int32_t(sizeof UninstallAssociationSeparator) - 1;
    int32_t first = line.find(UninstallAssociationSeparator);
    if (first < 0) return false;
    int32_t second = line.find(UninstallAssociationSeparator, first + width);
    if (second < 0) return false;
    record.extension = line.substring(0, first);
    record.typeName = line.substring(first + width, second - first - width);
    record.verb = line.substring(second + width);
    return !record.extension.isBlank() && !record.typeName.isBlank() && !record.verb.isBlank();
}

void takeUninstallAssociations(String& list, Array<FileAssociation>& out) {
    for (int32_t taken = 0; taken < kUninstallMaxSectionLines && !list.isEmpty(); taken++) {
        String line = list.takeLine();
        FileAssociation record;
        if (associationFromLine(line, record)) out.append(moveValue(record));
    }
}

void productFlagsFromText(const String& text, uint32_t& low, uint32_t& high) {
    uint64_t word = uint64_t(text.toInteger64());
    low = uint32_t(word);
    high = uint32_t(word >> 32);
}

// A double-quoted text at `position` after blanks; "" inside stands for one
// quote. False when there is no opening or closing quote.
static bool takeQuoted(const String& text, int32_t& position, String& out) {
    const char* p = text.text();
    int32_t end = text.length();
    int32_t i = position;
    while (i < end && (p[i] == ' ' || p[i] == '\t')) i++;
    if (i >= end || p[i] != '"') return false;
    String value;
    for (i++; i < end; i++) {
        if (p[i] != '"') {
            value.appendChar(p[i]);
        } else if (i + 1 < end && p[i + 1] == '"') {
            value.appendChar('"');
            i++;
        } else {
            position = i + 1;
            out = moveValue(value);
            return true;
        }
    }
    return false;
}

bool takeFontPair(const String& text, int32_t& position, String& fontName, String& fileName) {
    int32_t at = position;
    String name, file;
    if (!takeQuoted(text, at, name) || !takeQuoted(text, at, file)) return false;
    position = at;
    fontName = moveValue(name);
    fileName = moveValue(file);
    return true;
}

bool takeSharedFileRecord(String& rest, SharedFileRecord& record) {
    int32_t open = rest.findChar('"');
    if (open < 0) return false;
    int32_t close = rest.findChar('"', open + 1);
    if (close < 0) return false;
    String path = rest.substring(open + 1, close - open - 1);
    bool comServer = path.removeTrailing('^');
    bool neverDelete = path.removeTrailing(' ');
    bool typeLibrary = path.removeTrailing(char(0xA9));
    if (path.isEmpty()) return false;
    rest.erase(0, close + 1);
    rest.removeLeading(';');
    record.path = moveValue(path);
    record.comServer = comServer;
    record.neverDelete = neverDelete;
    record.typeLibrary = typeLibrary;
    return true;
}

void insertFolderLongestFirst(Array<String>& folders, const String& folder) {
    int32_t at = 0;
    while (at < folders.count() && folders[at].length() >= folder.length()) at++;
    folders.insert(at, folder);
}

void folderClimb(const String& folder, const String& installDir, Array<String>& out) {
    String current = folder;
    while (current.length() > 3 && !pathsEqual(current, installDir)) {
        out.append(current);
        current.removeTrailing('\\');
        String parent = directoryPart(current);
        if (parent.length() >= current.length()) break;
        current = moveValue(parent);
    }
}

bool climbToParent(String& path) {
    String cut = path;
    cut.removeTrailing('\\');
    int32_t slash = cut.findLastChar('\\');
    if (slash <= 0) return false;
    cut = cut.substring(0, slash);
    if (cut.length() == 2 && cut.last() == ':') return false;
    path = moveValue(cut);
    return true;
}
