#include "driver/command_line.h"

#include <string.h>

#include "core/path.h"

namespace {

const int kMaxAtoms = 19;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Copies a quoted section starting at text[i] (the opening quote) into `atom`,
// quotes included, "" standing for one quote. Returns the index after it.
int32_t takeQuotedSection(const char* text, int32_t i, int32_t length, String& atom) {
    atom.appendChar('"');
    ++i;
    while (i < length) {
        if (text[i] == '"') {
            if (i + 1 < length && text[i + 1] == '"') {
                atom.appendChar('"');
                i += 2;
                continue;
            }
            atom.appendChar('"');
            return i + 1;
        }
        atom.appendChar(text[i++]);
    }
    return i;  // unclosed: runs to the end
}

// The value of /d:, /n: and /u:: one pair of enclosing quotes removed.
String optionValue(const String& rest, int32_t from) {
    String value = rest.substring(from);
    if (value.length() >= 1 && value.first() == '"' && value.last() == '"') {
        value.dropFirst(1);
        value.dropLast(1);
    }
    return value;
}

bool beginsWith(const String& s, const char* prefix) {
    int32_t n = (int32_t)strlen(prefix);
    return s.length() >= n && s.compare(prefix, false, n) == 0;
}

// Applies one option atom (introducer removed). False for an illegal atom.
bool applyOption(const String& rest, CommandLineOptions& options) {
    if (rest.equalsIgnoreCase("A")) {
        options.automaticMode = true;
    } else if (beginsWith(rest, "D:")) {
        options.installDir = optionValue(rest, 2);
    } else if (beginsWith(rest, "N:")) {
        options.productName = optionValue(rest, 2);
    } else if (beginsWith(rest, "U")) {
        options.uninstallMode = true;
        if (rest.charAt(1) == ':') options.uninstallName = optionValue(rest, 2);
    } else if (beginsWith(rest, "R:\"")) {
        String program = rest.substring(3);
        program.removeTrailing('"');
        program.replaceAll("`", "\"");
        options.runAfterInstall = program;
    } else if (!rest.isEmpty()) {
        return false;
    }
    return true;
}

}  // namespace

String takeAtom(String& text) {
    const char* p = text.text();
    int32_t length = text.length();
    int32_t i = 0;
    while (i < length && isSpace(p[i])) ++i;
    String atom;
    while (i < length && !isSpace(p[i])) {
        if (p[i] == '"') {
            i = takeQuotedSection(p, i, length, atom);
        } else {
            atom.appendChar(p[i++]);
        }
    }
    if (i < length) ++i;  // the whitespace that ended the atom
    text.dropFirst(i);
    return atom;
}

bool parseCommandLine(const char* argumentText, CommandLineOptions& options, String& usageError) {
    String text(argumentText);
    for (int counter = 1; counter <= kMaxAtoms; ++counter) {
        String atom = takeAtom(text);
        if (atom.isEmpty()) break;
        if (atom.first() != '/' && atom.first() != '-') {
            usageError.format("Unexpected command line parameter:\n%s", atom);
            return false;
        }
        atom.dropFirst(1);
        if (!applyOption(atom, options)) {
            usageError.format("Illegal command line atom:\n%s", atom);
            return false;
        }
    }
    if (options.uninstallMode && options.uninstallName.isEmpty()) {
        usageError = "Product name required";
        return false;
    }
    return true;
}

String installSourceFrom(const char* fullCommandLine) {
    String line(fullCommandLine);
    line.trimStart();
    String path;
    if (line.first() == '"') {
        takeQuotedSection(line.text(), 0, line.length(), path);
        path.dropFirst(1);
        path.removeTrailing('"');
    } else {
        int32_t blank = line.findChar(' ');
        path = line.substring(0, blank < 0 ? String::all : blank);
    }
    addExtension(path, "EXE");
    return path;
}

const char* argumentTextFrom(const char* fullCommandLine) {
    const char* p = fullCommandLine ? fullCommandLine : "";
    if (*p == '"') {
        ++p;
        while (*p && *p != '"') ++p;
        if (*p == '"') ++p;
    } else {
        while (*p && *p != ' ' && *p != '\t') ++p;
    }
    while (*p == ' ' || *p == '\t') ++p;
    return p;
}
