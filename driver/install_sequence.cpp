#include "driver/install_sequence.h"

#include "core/path.h"
#include "core/value_text.h"
#include "install/version_compare.h"

namespace {

// Low-half option bits the sequence decides by.
constexpr uint32_t kNoReinstall = 0x1;
constexpr uint32_t kDirectoryDialog = 0x80;
constexpr uint32_t kNoReinstallQuestion = 0x10000000;

const char kMasterPlaceholder[] = "<master>";

}  // namespace

bool showsLanguageDialog(int32_t languageCount, bool automaticMode) {
    return languageCount != 1 && !automaticMode;
}

DirectoryChoice directoryChoice(bool reinstall, bool automaticMode, uint32_t flagsLow) {
    if (reinstall) {
        if (flagsLow & kNoReinstall) return DirectoryChoice::RefuseReinstall;
        if (automaticMode || (flagsLow & kNoReinstallQuestion)) return DirectoryChoice::Reinstall;
        return DirectoryChoice::AskReinstall;
    }
    if (automaticMode || !(flagsLow & kDirectoryDialog)) return DirectoryChoice::CreateSilently;
    return DirectoryChoice::Dialog;
}

bool launchesProgramAfter(bool restart, const String& problems, const String& program) {
    return !restart && problems.isEmpty() && !program.isEmpty();
}

int reinstallQuestionId(bool compareVersions, const String& installedVersion, const String& thisVersion) {
    if (!compareVersions || installedVersion.isBlank() || thisVersion.isBlank()) return 3;
    int order = CompareVersions(installedVersion, thisVersion);
    if (order == 0) return 4;
    return order < 0 ? 5 : 6;
}

String reinstallQuestionText(int questionId, const String& previousLocation, StringLookup text) {
    String question(text(questionId));
    question += "\r\n";
    question += previousLocation;
    question += "\r\n\r\n";
    question += text(7);
    return question;
}

Vector<String> wizardPages(const char* first, const Vector<String>& texts, const String& productName,
                           const String& windowsDirectory) {
    Vector<String> pages;
    for (int32_t i = -1; i < texts.count(); ++i) {
        String page(i < 0 ? String(first) : texts[i]);
        if (page.isBlank()) continue;
        page.replaceAll("<product>", productName.text(), String::IgnoreCase);
        page.replaceAll("<os>", windowsDirectory.text(), String::IgnoreCase);
        pages.append(moveValue(page));
    }
    return pages;
}

String diskSpaceQuestion(uint64_t needed, char driveLetter, uint64_t freeBytes, StringLookup text) {
    return formatText(text(19), SizeText((int64_t)needed), driveLetter, SizeText((int64_t)freeBytes));
}

String directoryConfirmText(bool exists, const String& path, StringLookup text) {
    return formatText(text(exists ? 22 : 23), path);
}

String directoryCreateFailureText(const String& path, const char* systemError, StringLookup text) {
    String message(text(25));
    message += "\r\n";
    message += path;
    message += "\r\n\r\n";
    message += systemError;
    message.trimEnd();
    return message;
}

String uninstallerArgumentsFor(const String& uninstallName) {
    String arguments("/u:\"");
    arguments += uninstallName;
    arguments += "\"";
    return arguments;
}

uint64_t clusterRoundedSize(int64_t size, int32_t clusterSize) {
    if (size <= 0) return 0;
    if (clusterSize < 1) return (uint64_t)size;
    uint64_t cluster = (uint64_t)clusterSize;
    return ((uint64_t)size + cluster - 1) / cluster * cluster;
}

uint64_t diskSpaceNeeded(const int32_t* sizes, int32_t count, int32_t clusterSize) {
    uint64_t total = 0;
    for (int32_t i = 0; i < count; ++i) total += clusterRoundedSize(sizes[i], clusterSize);
    return total;
}

bool isMasterPlaceholder(const String& directory) { return directory.equalsIgnoreCase(kMasterPlaceholder); }

void settleDefaultInstallDir(String& directory, const String& programsDirectory) {
    if (isMasterPlaceholder(directory) || isAbsolutePath(directory)) return;
    makeAbsolutePath(directory, programsDirectory);
}
