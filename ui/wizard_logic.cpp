#include "ui/wizard_logic.h"

#include <string.h>

#include "core/path.h"

// --- Language ---------------------------------------------------------------

String localeLanguagePrefix(const char* localeLanguageName) {
    String name = localeLanguageName;
    int32_t bracket = name.findChar('(');
    if (bracket >= 0) name.erase(bracket);
    int32_t blank = name.findFirstOf(String::blanks);
    if (blank >= 0) name.erase(blank);
    return name;
}

int32_t findLanguageByPrefix(const Vector<String>& names, const char* prefix) {
    int32_t length = (int32_t)strlen(prefix);
    for (int32_t i = 0; i < names.count(); ++i) {
        if (names[i].compare(prefix, false, length) == 0) return i;
    }
    return -1;
}

int32_t preselectedLanguage(const Vector<String>& names, const char* localeLanguageName) {
    String prefix = localeLanguagePrefix(localeLanguageName);
    int32_t found = findLanguageByPrefix(names, prefix.text());
    if (found < 0) found = findLanguageByPrefix(names, "English");
    return found < 0 ? 0 : found;
}

int32_t languageFromSelection(int32_t selection, int32_t count) {
    if (selection < 0 || count < 1) return 0;
    return selection >= count ? count - 1 : selection;
}

// --- The installation directory ---------------------------------------------

DirectoryProblem checkInstallDirectory(const String& path, const DirectoryRules& rules) {
    if (!isValidFileName(path) || !isAbsolutePath(path)) return DirectoryProblem::NotAbsolute;
    if (rules.refuseTwoBackslashes && path.startsWith("\\\\")) return DirectoryProblem::TwoBackslashes;
    if (!driveText(path).isEmpty() && rules.driveExists && !rules.driveExists(path.first())) {
        return DirectoryProblem::MissingDrive;
    }
    if (path.length() <= 3) return DirectoryProblem::DriveRoot;
    if (pathsEqual(path, rules.programsDirectory)) return DirectoryProblem::ProgramsDirectory;
    return DirectoryProblem::None;
}

String directoryProblemMessage(DirectoryProblem problem, const String& path, const DirectoryRules& rules,
                               const char* (*text)(int id)) {
    switch (problem) {
        case DirectoryProblem::NotAbsolute: return formatText("%s\r\n%s", text(14), path);
        case DirectoryProblem::TwoBackslashes: return formatText(text(66));
        case DirectoryProblem::MissingDrive: return formatText(text(16), path.first());
        case DirectoryProblem::DriveRoot: return formatText(text(17));
        case DirectoryProblem::ProgramsDirectory: return formatText(text(18), rules.programsDirectory);
        case DirectoryProblem::None: break;
    }
    return String();
}
