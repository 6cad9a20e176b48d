// The end of the installation's log on Windows: the closing message box,
// the append to Install.LOG and, when asked, showing the log.
#include <windows.h>

#include "core/clock.h"
#include "core/file.h"
#include "core/file_system.h"
#include "core/path.h"
#include "driver/failure.h"
#include "driver/run_settings.h"
#include "install/install_log.h"
#include "install/install_state.h"
#include "payload/format.h"
#include "ui/localised_text.h"

// The header's date: day first, unlike the uninstall record's.
static const char kLogDatePattern[] = "d-M-yy h:ii:ssap";

static bool lowFlag(const payload::FlagBit& flag) { return (ProductFlags.low & flag.bit) != 0; }

// Shows the closing message; true when the user asked to see the log.
static bool showClosingMessage(ClosingMessage message, const String& logPath) {
    HWND owner = (HWND)OwnerWindow();
    if (message == SuccessMessage) {
        MessageBoxA(owner, LocalisedText(SuccessTextString), LocalisedText(SuccessCaptionString),
                    MB_OK | MB_ICONINFORMATION);
    } else if (message == ProblemsQuestion) {
        String text = formatText(LocalisedText(ProblemsQuestionString), logPath);
        return MessageBoxA(owner, text.text(), LocalisedText(ProblemsCaptionString), MB_YESNO | MB_ICONINFORMATION) ==
               IDYES;
    }
    return false;
}

static bool appendLogSection(bool reinstall, const String& problems, const String& logPath) {
    InstallLogHeader header;
    header.productName = ProductName;
    header.installDate = FormatNow(kLogDatePattern);
    header.recordKept = lowFlag(payload::flag::KeepUninstallRecord);
    header.reinstall = reinstall;
    header.installDir = InstallDir;
    header.displayVersion = PayloadSettings.displayVersion;
    String section = installLogSection(header, InstallLog, problems);
    return appendTextToFile(logPath, section.text(), 0);
}

// The shell's viewer for the log, else the text editor.
static void showLog(const String& logPath) {
    if (shellOpen(logPath)) return;
    runProcess(formatText("notepad.exe %s", logPath), 0, String());
}

void WriteInstallLog(bool reinstall, bool report, String problems) {
    String logPath = joinPath(UninstallDir, InstallLogName);
    bool hadProblems = !problems.isEmpty();
    bool wantsLog = false;
    if (report) {
        ClosingMessage message =
            closingMessageFor(report, hadProblems, AutomaticMode, lowFlag(payload::flag::NoClosingMessage));
        wantsLog = showClosingMessage(message, logPath);
        if (!hadProblems) problems = successProblemsText(LocalisedText(SuccessCaptionString));
    }
    if (keepsInstallLog(lowFlag(payload::flag::AlwaysWriteLog), hadProblems)) {
        if (!appendLogSection(reinstall, problems, logPath)) wantsLog = false;
    }
    if (wantsLog) showLog(logPath);
}
