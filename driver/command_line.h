// The installer's command line: splitting into atoms, the five options, and
// the installer's own path taken from the full process command line.
#pragma once
#include "core/string.h"

// What the options asked for. Later options overwrite earlier ones.
struct CommandLineOptions {
    bool automaticMode = false;   // /a
    bool uninstallMode = false;   // /u, /u:"name", and anything else starting with U
    String installDir;            // /d:"dir"
    String productName;           // /n:"name"
    String uninstallName;         // /u:"name"
    String runAfterInstall;       // /r:"program" with `x` standing for "x"
};

// Cuts the next atom off the front of `text` and returns it (empty when the
// text is used up). Whitespace (blank, tab, CR, LF) separates atoms; a double
// quote opens a section taken whole up to the next lone quote, quotes kept,
// "" inside standing for one quote; an unclosed section runs to the end.
String takeAtom(String& text);

// Parses the argument text (the command line without the program path).
// Returns true when the options are sound; false with `usageError` set to the
// text the usage report shows ("Unexpected command line parameter:\n...",
// "Illegal command line atom:\n..." or "Product name required").
// At most 19 atoms are looked at; the rest is ignored without a message.
bool parseCommandLine(const char* argumentText, CommandLineOptions& options, String& usageError);

// The installer's own path from the full process command line (program path
// included): leading blanks/CR/LF/tabs removed, a quoted path kept up to its
// matching quote ("" standing for one quote), else cut at the first blank;
// ".EXE" appended when the result has no extension.
String installSourceFrom(const char* fullCommandLine);

// The argument text the system hands a graphical program's entry point: the
// full command line without the program path and the whitespace after it.
// Returns a pointer inside `fullCommandLine`.
const char* argumentTextFrom(const char* fullCommandLine);
