#include "core/path.h"

#include <string.h>

#include "core/system_paths.h"

// Paths may hold any byte (they come from the payload and the command line),
// so every scan below is bounded by the length, not by a terminator.

static bool isLetter(char c) {
    char lower = char(c | 0x20);
    return lower >= 'a' && lower <= 'z';
}

static bool isBlankChar(char c) { return c == ' ' || c == '\r' || c == '\n' || c == '\t'; }

static char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c + ('a' - 'A')) : c; }

static bool startsWithDrive(const String& path) { return isLetter(path.charAt(0)) && path.charAt(1) == ':'; }

// Last index of `c` below `end`, or -1.
static int32_t lastIndexOf(const String& s, char c, int32_t end) {
    const char* t = s.text();
    for (int32_t i = end; i-- > 0;) {
        if (t[i] == c) return i;
    }
    return -1;
}

static int32_t firstIndexOf(const String& s, char c) {
    const char* t = s.text();
    for (int32_t i = 0; i < s.length(); i++) {
        if (t[i] == c) return i;
    }
    return -1;
}

// The first ";" outside double quotes, or the length when there is none.
static int32_t specificationEnd(const String& s) {
    const char* t = s.text();
    bool quoted = false;
    for (int32_t i = 0; i < s.length(); i++) {
        if (t[i] == '"') quoted = !quoted;
        if (t[i] == ';' && !quoted) return i;
    }
    return s.length();
}

String joinPath(const String& directory, const String& name) {
    if (name.isEmpty()) return directory;
    if (directory.isEmpty()) return name;
    String joined(directory);
    if (name.first() == '\\') {
        joined.removeTrailing('\\');
    } else if (!joined.endsWithChar(':') && !joined.endsWithChar('\\')) {
        joined.appendChar('\\');
    }
    joined.append(name);
    return joined;
}

int32_t separatorPosition(const String& path) {
    int32_t position = lastIndexOf(path, '\\', specificationEnd(path));
    return position >= 0 ? position : firstIndexOf(path, ':');
}

String directoryPart(const String& path) {
    int32_t position = separatorPosition(path);
    if (position < 0) return String();
    bool keep = path.charAt(position) == ':' || (position > 0 && path.charAt(position - 1) == ':');
    return path.substring(0, keep ? position + 1 : position);
}

// Index of the first character of the file-name part.
static int32_t fileNameStart(const String& path) {
    int32_t position = lastIndexOf(path, '\\', path.length());
    if (position < 0) position = firstIndexOf(path, ':');
    return position + 1;
}

String fileNamePart(const String& path) { return path.substring(fileNameStart(path)); }

void stripDirectory(String& path) {
    int32_t start = fileNameStart(path);
    if (start > 0) path.erase(0, start);
}

bool stripFileName(String& path) {
    int32_t position = separatorPosition(path);
    if (position < 0) return false;
    path.erase(position + 1);
    return true;
}

int32_t extensionPosition(const String& path) {
    int32_t dot = lastIndexOf(path, '.', path.length());
    return dot > lastIndexOf(path, '\\', path.length()) ? dot : -1;
}

bool stripExtension(String& path) {
    int32_t dot = extensionPosition(path);
    if (dot < 0) return false;
    path.erase(dot);
    return true;
}

bool addExtension(String& path, const String& extension) {
    if (path.isBlank() || extensionPosition(path) >= 0) return false;
    if (!extension.startsWithChar('.')) path.appendChar('.');
    path.append(extension);
    return true;
}

String driveRoot(const String& path) {
    if (!startsWithDrive(path)) return String();
    return path.substring(0, path.charAt(2) == '\\' ? 3 : 2);
}

String driveText(const String& path) { return startsWithDrive(path) ? path.substring(0, 2) : String(); }

bool isAbsolutePath(const char* path) {
    if (!path) return false;
    while (isBlankChar(*path)) path++;
    if (path[0] == '\\' && path[1] == '\\') return true;
    return path[0] && path[1] == ':' && path[2] == '\\';
}

// `base` is absolute; `path` is trimmed and not empty.
static bool absoluteAgainst(String& path, const char* base) {
    int32_t baseLength = int32_t(strlen(base));
    bool baseHasBackslash = base[baseLength - 1] == '\\';
    if (path.charAt(0) == '\\') {
        if (path.charAt(1) == '\\') return false;  // UNC
        if (!isLetter(base[0]) || base[1] != ':') return false;
        path.insert(0, base, 2);
        return true;
    }
    if (path.charAt(1) != ':') {
        if (!baseHasBackslash) path.insertChar('\\', 0);
        path.insert(0, base, baseLength);
        return true;
    }
    if (path.charAt(2) == '\\') return false;
    // A drive-relative path keeps its own drive and takes base's directories.
    if (!baseHasBackslash) path.insertChar('\\', 2);
    path.insert(2, base + 2, baseLength - 2);
    return true;
}

bool makeAbsolutePath(String& path, const char* base) {
    path.trim();
    if (path.isEmpty() || !base) return false;
    while (isBlankChar(*base)) base++;
    if (!isAbsolutePath(base)) return false;
    return absoluteAgainst(path, base);
}

bool makeAbsoluteInProgramDirectory(String& path) { return makeAbsolutePath(path, SystemPaths.programDirectory); }

static bool equalIgnoringCase(const char* a, int32_t aLength, const char* b, int32_t bLength) {
    if (aLength != bLength) return false;
    for (int32_t i = 0; i < aLength; i++) {
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    }
    return true;
}

bool pathsEqual(const String& a, const String& b) {
    int32_t aLength = a.length();
    int32_t bLength = b.length();
    while (aLength > 0 && a.text()[aLength - 1] == '\\') aLength--;
    while (bLength > 0 && b.text()[bLength - 1] == '\\') bLength--;
    return equalIgnoringCase(a.text(), aLength, b.text(), bLength);
}

// The trimmed text of `s` without one trailing backslash, as start and length.
static const char* trimmedForComparing(const String& s, int32_t& length) {
    const char* t = s.text();
    int32_t start = 0;
    int32_t end = s.length();
    while (start < end && isBlankChar(t[start])) start++;
    while (end > start && isBlankChar(t[end - 1])) end--;
    if (end > start && t[end - 1] == '\\') end--;
    length = end - start;
    return t + start;
}

bool pathsEqualTrimmed(const String& a, const String& b) {
    int32_t aLength;
    int32_t bLength;
    const char* aText = trimmedForComparing(a, aLength);
    const char* bText = trimmedForComparing(b, bLength);
    return equalIgnoringCase(aText, aLength, bText, bLength);
}

static const char* forbiddenFileNameChars(uint32_t flags) {
    if (flags & FileNameAllowWildcards) return "/\"<>|:;";
    if (flags & FileNameAllowAsterisk) return "/\"<>|?:;";
    return "/\"<>|*?:;";
}

bool isValidFileName(const String& name, uint32_t flags) {
    String checked(name);
    if (flags & FileNameTrim) checked.trim();
    if (checked.isEmpty()) return false;
    const char* t = checked.text();
    int32_t start = 0;
    int32_t end = checked.length();
    if (end >= 2 && t[0] == '"' && t[end - 1] == '"') {
        start++;
        end--;
    }
    int32_t driveColon = -1;
    if (end - start >= 2 && t[start + 1] == ':') {
        if (!isLetter(t[start])) return false;
        driveColon = start + 1;
    }
    const char* forbidden = forbiddenFileNameChars(flags);
    size_t forbiddenCount = strlen(forbidden);
    for (int32_t i = start; i < end; i++) {
        // memchr, not strchr: a zero byte must not match the set's terminator.
        if (i != driveColon && memchr(forbidden, t[i], forbiddenCount)) return false;
    }
    return true;
}

String programPathIn(const String& name) { return joinPath(SystemPaths.programDirectory, name); }
