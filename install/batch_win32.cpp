// Runs batch texts through the command interpreter and changes the PATH line
// of autoexec.bat; the texts themselves come from install/batch_text.h.
#include "core/file.h"
#include "core/file_system.h"
#include "core/path.h"
#include "core/system_paths.h"
#include "driver/run_settings.h"
#include "install/batch_text.h"
#include "install/directory_variables.h"
#include "install/later_actions.h"

void RunBatchCommands(const String& directory, bool hidden, const String& commands) {
    if (commands.isBlank()) return;
    String values[DirectoryVariableCount];
    for (int32_t variable = 0; variable < DirectoryVariableCount; ++variable) {
        values[variable] = DirectoryValue((DirectoryVariable)variable);
    }
    String text = batchText(directory, values, commands, AutomaticMode || hidden);
    String batchPath = joinPath(directory, kBatchFileName);
    if (!writeWholeFile(batchPath, text.text(), text.length())) return;
    uint32_t flags = RunWait | RunPumpMessages;
    if (hidden) flags |= RunHidden;
    runProcess(batchCommandLine(SystemPaths.commandInterpreter, batchPath), flags, directory);
    deleteFile(batchPath, 0);
}

String ModifyPath(bool add) {
    String autoexecPath = DirectoryValue(DirBootDrive);
    autoexecPath += "\\autoexec.bat";
    File autoexec;
    if (autoexec.open(autoexecPath, add ? ModeOpenAlways : ModeOpenExisting) != FileOpened) {
        return modifyPathFailureText(autoexecPath, add, InstallDir);
    }
    String text;
    autoexec.readAll(text);
    String pathLine = pathLineFor(shortPathName(InstallDir));
    if (add) {
        String addition = pathLineAddition(text, pathLine);
        if (!addition.isEmpty() && autoexec.seekFromEnd(0)) autoexec.write(addition.text(), addition.length());
    } else if (removePathLine(text, pathLine)) {
        autoexec.rewrite(text);
    }
    return String();
}
