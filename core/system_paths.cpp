#include "core/system_paths.h"

#include "core/path.h"

SystemPathsRecord SystemPaths;

char programDriveOf(const String& path) {
    char letter = path.charAt(0);
    if (path.charAt(1) != ':') return 0;
    if (letter >= 'a' && letter <= 'z') return char(letter - ('a' - 'A'));
    return (letter >= 'A' && letter <= 'Z') ? letter : 0;
}

static bool containsBlankChar(const String& text) {
    const char* t = text.text();
    for (int32_t i = 0; i < text.length(); i++) {
        if (t[i] == ' ' || t[i] == '\r' || t[i] == '\n' || t[i] == '\t') return true;
    }
    return false;
}

String commandInterpreterFrom(bool expanded, const String& expansion, const String& windowsDirectory) {
    String interpreter = (expanded && !expansion.isBlank()) ? expansion : joinPath(windowsDirectory, "command.com");
    // Batch lines and process command lines take it as one word.
    if (containsBlankChar(interpreter)) interpreter.quote('"');
    return interpreter;
}

String tempDirectoryFrom(const String& systemTempPath) {
    if (systemTempPath.isEmpty()) return String("c:\\temp");
    String directory(systemTempPath);
    directory.removeTrailing('\\');
    return directory;
}

int32_t shortPathBufferSize(int32_t pathLength) {
    int32_t doubled = pathLength > 0x3FFFFFFF ? 0x7FFFFFFF : pathLength * 2;
    return doubled < 260 ? 260 : doubled;
}

bool fillSystemPaths(SystemPathsRecord& paths, const SystemAnswers& answers) {
    if (paths.filled) return false;
    paths.windowsDirectory = answers.windowsDirectory;
    paths.programPath = answers.modulePath;
    paths.programFileName = fileNamePart(paths.programPath);
    paths.programDirectory = directoryPart(paths.programPath);
    paths.programDrive = programDriveOf(paths.programPath);
    paths.commandInterpreter = commandInterpreterFrom(answers.comspecExpanded, answers.comspec, paths.windowsDirectory);
    paths.tempDirectory = tempDirectoryFrom(answers.tempPath);
    paths.filled = true;
    return true;
}
