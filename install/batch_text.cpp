#include "install/batch_text.h"

#include "install/directory_variables.h"

const char kBatchFileName[] = "TAVOBAT.BAT";

namespace {

// The SET lines in their fixed order; DirInstallerDrive is written with a
// ":" after the letter (see setLines).
struct BatchSetLine {
    const char* name;
    DirectoryVariable variable;
};

constexpr BatchSetLine kSetLines[] = {
    {"SharedDir", DirShared},
    {"InstallerFilepath", DirInstallerFilepath},
    {"InstallerDir", DirInstaller},
    {"InstallerFilename", DirInstallerFilename},
    {"InstallerDrive", DirInstallerDrive},
    {"SystemDir", DirSystem},
    {"DeviceDir", DirDevice},
    {"MediaDir", DirMedia},
    {"FavoritesDir", DirFavorites},
    {"FavoritesAllDir", DirFavoritesAll},
    {"FontDir", DirFont},
    {"DesktopDir", DirDesktop},
    {"DesktopAllDir", DirDesktopAll},
    {"DocumentDir", DirDocument},
    {"DocumentAllDir", DirDocumentAll},
    {"ProgramsDir", DirPrograms},
    {"StartMenuDir", DirStartMenu},
    {"StartMenuAllDir", DirStartMenuAll},
    {"SMProgramsDir", DirSMPrograms},
    {"SMProgramsAllDir", DirSMProgramsAll},
    {"StartupDir", DirStartup},
    {"StartupAllDir", DirStartupAll},
    {"BootDrive", DirBootDrive},
    {"CommonDir", DirCommon},
};
static_assert(sizeof kSetLines / sizeof kSetLines[0] == 24, "the batch file has 24 variable lines");

void appendSetLines(String& text, const String* values) {
    for (const BatchSetLine& line : kSetLines) {
        const String& value = values[line.variable];
        // The variable of the same name is the letter alone; the batch gets a drive.
        if (line.variable == DirInstallerDrive && !value.isEmpty()) {
            text.appendFormat("SET %s=%s:\r\n", line.name, value);
        } else {
            text.appendFormat("SET %s=%s\r\n", line.name, value);
        }
    }
}

bool isPauseLine(const String& line) {
    String copy = line;
    copy.trim();
    if (copy.removeLeading('@')) copy.trimStart();
    return copy.equalsIgnoreCase("PAUSE");
}

}  // namespace

String withoutPauseLines(const String& commands) {
    String rest = commands;
    String kept;
    while (!rest.isEmpty()) {
        String line = rest.takeLine();
        if (isPauseLine(line)) continue;
        kept += line;
        kept += "\r\n";
    }
    return kept;
}

String batchText(const String& directory, const String* values, const String& commands, bool dropPause) {
    String text("@echo off\r\n");
    if (!directory.isEmpty()) {
        text.appendFormat("SET InstallDir=%s\r\n", directory);
        text.appendFormat("SET InstallDrive=%s\r\n", installDriveOf(directory));
    }
    appendSetLines(text, values);
    text += dropPause ? withoutPauseLines(commands) : commands;
    text.normaliseLineEndings();
    return text;
}

String batchCommandLine(const String& interpreter, const String& batchPath) {
    String line;
    line.format("%s /e:%d /c \"%s\"", interpreter, kBatchEnvironmentSize, batchPath);
    return line;
}

String pathLineFor(const String& shortDirectory) {
    String line;
    line.format("PATH=%%PATH%%;%s\r\n", shortDirectory);
    return line;
}

String pathLineAddition(const String& text, const String& pathLine) {
    String addition;
    if (text.find(pathLine.text(), 0, String::IgnoreCase) >= 0) return addition;
    if (!text.endsWithChar('\n')) addition = "\r\n";
    addition += pathLine;
    return addition;
}

bool removePathLine(String& text, const String& pathLine) {
    int32_t at = text.find(pathLine.text(), 0, String::IgnoreCase);
    if (at >= 0) {
        text.erase(at, pathLine.length());
        return true;
    }
    String lastLine = pathLine;
    lastLine.dropLast(2);
    at = text.find(lastLine.text(), 0, String::IgnoreCase);
    if (at < 0) return false;
    text.erase(at, lastLine.length());
    return true;
}

String modifyPathFailureText(const String& autoexecPath, bool add, const String& installDir) {
    String message;
    message.format("Unable to modify %s.  You will need to manually %s %s %s the PATH environment variable.\r\n\r\n",
                   autoexecPath, add ? "add" : "remove", installDir, add ? "to" : "from");
    return message;
}
