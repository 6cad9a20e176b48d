#include "install/install_log.h"

const char InstallLogName[] = "Install.LOG";

String installLogHeaderText(const InstallLogHeader& header) {
    String text;
    text.appendFormat("\r\nInstallation log for: %s\r\n", header.productName);
    text.appendFormat("Install date: %s\r\n", header.installDate);
    if (header.recordKept) text.appendFormat("Install type: %s\r\n", header.reinstall ? "Reinstall" : "New");
    text.appendFormat("Install location: %s\r\n", header.installDir);
    text.appendFormat("Installer version: %.1f\r\n", kInstallerVersion);
    if (!header.displayVersion.isBlank()) text.appendFormat("Product version: %s\r\n", header.displayVersion);
    text.append("\r\n");
    return text;
}

String installLogSection(const InstallLogHeader& header, const String& installLog, const String& problems) {
    String text = installLogHeaderText(header);
    if (!installLog.isBlank()) {
        text.append(installLog);
        text.append("\r\n");
    }
    text.append(problems);
    return text;
}

ClosingMessage closingMessageFor(bool report, bool hadProblems, bool automaticMode, bool quietSuccess) {
    if (!report || automaticMode) return NoClosingMessage;
    if (hadProblems) return ProblemsQuestion;
    return quietSuccess ? NoClosingMessage : SuccessMessage;
}

String successProblemsText(const char* successCaption) { return formatText("%s\r\n\r\n", successCaption); }
