// The install sequence on Windows: the phases in their fixed order, from the
// wizard to the last batch text. What each phase does inside belongs to its
// module; this file owns the order and the conditions that skip, repeat or
// end the phases.
#include <windows.h>

#include "core/file_system.h"
#include "core/os_version.h"
#include "core/path.h"
#include "core/registry.h"
#include "core/system_info.h"
#include "core/system_paths.h"
#include "driver/failure.h"
#include "driver/install_sequence.h"
#include "driver/run_settings.h"
#include "install/directory_variables.h"
#include "install/install_files.h"
#include "install/install_log.h"
#include "install/install_state.h"
#include "install/later_actions.h"
#include "install/shared_files.h"
#include "install/uninstall_record.h"
#include "payload/format.h"
#include "payload/memory_stream.h"
#include "payload/payload_open.h"
#include "ui/background.h"
#include "ui/localised_text.h"
#include "ui/progress.h"
#include "ui/progress_logic.h"
#include "ui/wizard.h"
#include "ui/wizard_logic.h"

namespace {

namespace flag = payload::flag;

const char kUninstallKey[] = "Microsoft\\Windows\\CurrentVersion\\Uninstall";

// The default installation directory once settled; the master product's
// location may still replace it.
String DefaultInstallDir;

bool lowFlag(const payload::FlagBit& bit) { return (ProductFlags.low & bit.bit) != 0; }
bool highFlag(const payload::FlagBit& bit) { return (ProductFlags.high & bit.bit) != 0; }

bool askYesNo(void* owner, const char* text, const char* caption) {
    return MessageBoxA((HWND)owner, text, caption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void holdStatus() { HoldStatus(PayloadSettings.minStepTime); }

// The settings block leaves these to the driver: they need the system's folders.
void settleDirectories() {
    DefaultInstallDir = PayloadSettings.defaultInstallDir;
    ExpandDirectoryVariables(DefaultInstallDir);
    settleDefaultInstallDir(DefaultInstallDir, DirectoryValue(DirPrograms));

    SharedDir.clear();
    if (lowFlag(flag::KeepUninstallRecord)) {
        SharedDir = PayloadSettings.sharedPath;
        makeAbsolutePath(SharedDir, DirectoryValue(DirCommon));
        createDirectories(SharedDir);
    }
}

void chooseLanguage() {
    if (showsLanguageDialog(LanguageTable.count(), AutomaticMode) && RunLanguageDialog() != kDialogAccepted) {
        Shutdown();
    }
    DisplayTitle = LocalisedText(kDisplayTitleText);
    RepaintBackgroundWindow();
}

void refuseExcludedSystem() {
    if (!isExcludedSystem(PayloadSettings.excludedSystems, CurrentOsCode())) return;
    ErrorMessage(LocalisedText(61), OsVersionText());
    Shutdown();
}

// The master product counts as installed when its uninstall key exists and
// names an uninstaller.
void requireMasterProduct() {
    if (!lowFlag(flag::RequiresMasterProduct)) return;
    String name = PayloadSettings.masterProductName.isBlank() ? ProductName : PayloadSettings.masterProductName;
    Registry registry;
    bool installed = registry.openSoftware(joinPath(kUninstallKey, name).text(), false, RegOpenOnly) != RegOpenFailed &&
                     (registry.valueExists("UninstallString") || registry.valueExists("QuietUninstallString"));
    String location;
    if (installed) registry.readString(location, "InstallLocation", "", 0);
    registry.closeAll();
    if (!installed) {
        ErrorMessage(LocalisedText(12), name);
        Shutdown();
    }
    if (isMasterPlaceholder(DefaultInstallDir)) DefaultInstallDir = location;
}

void lookForPreviousInstallation() {
    if (!lowFlag(flag::KeepUninstallRecord)) return;
    ReadPreviousRecord();
    ReinstallFlag = !PreviousRecord.installLocation.isEmpty() && directoryExists(PreviousRecord.installLocation);
}

void showWizardPages(int firstText, const Vector<String>& texts, int (*dialog)(const char*)) {
    if (AutomaticMode) return;
    Vector<String> pages = wizardPages(LocalisedText(firstText), texts, ProductName, SystemPaths.windowsDirectory);
    for (int32_t i = 0; i < pages.count(); ++i) {
        if (dialog(pages[i].text()) != kDialogAccepted) Shutdown();
    }
}

void askBeforeReinstalling() {
    int question = reinstallQuestionId(highFlag(flag::CompareVersions), PreviousRecord.displayVersion,
                                       PayloadSettings.displayVersion);
    String text = reinstallQuestionText(question, PreviousRecord.installLocation, LocalisedText);
    if (!askYesNo(OwnerWindow(), text.text(), LocalisedText(2))) Shutdown();
}

// True when the space suffices or the user goes on anyway.
bool diskSpaceAccepted() {
    String drive = driveText(InstallDir);
    if (drive.isEmpty()) return true;
    const Vector<int32_t>& sizes = PayloadHeaderFields.fileSizes;
    uint64_t needed = diskSpaceNeeded(sizes.isEmpty() ? nullptr : &sizes[0], sizes.count(), clusterSize(InstallDir));
    uint64_t freeBytes = freeBytesOnDrive(InstallDir);
    if (!diskSpaceShort(needed, freeBytes)) return true;
    String question = diskSpaceQuestion(needed, drive.first(), freeBytes, LocalisedText);
    return askYesNo(OwnerWindow(), question.text(), LocalisedText(20));
}

// The confirmation (when asked for) and the creation of a new directory;
// false sends the user back to the dialog.
bool confirmAndCreateDirectory() {
    ShowWaitCursor();
    bool exists = directoryExists(InstallDir);
    ClearCursor();
    if (lowFlag(flag::ConfirmDirectory)) {
        String text = directoryConfirmText(exists, InstallDir, LocalisedText);
        if (!askYesNo(OwnerWindow(), text.text(), LocalisedText(24))) return false;
    }
    if (exists || createDirectories(InstallDir)) return true;
    String systemError = lastSystemErrorText();
    ErrorMessageText(directoryCreateFailureText(InstallDir, systemError.text(), LocalisedText).text());
    return false;
}

void runDirectoryDialog() {
    DirectoryRules rules;
    rules.refuseTwoBackslashes = highFlag(flag::RefuseUncDirectory);
    rules.driveExists = driveExists;
    rules.programsDirectory = DirectoryValue(DirPrograms);
    for (;;) {
        if (!ChooseDirectory()) Shutdown();
        InstallDir.trim();
        if (InstallDir.isEmpty()) continue;
        DirectoryProblem problem = checkInstallDirectory(InstallDir, rules);
        if (problem != DirectoryProblem::None) {
            ErrorMessageText(directoryProblemMessage(problem, InstallDir, rules, LocalisedText).text());
            continue;
        }
        if (diskSpaceAccepted() && confirmAndCreateDirectory()) return;
    }
}

void settleInstallDir() {
    switch (directoryChoice(ReinstallFlag, AutomaticMode, ProductFlags.low)) {
    case DirectoryChoice::RefuseReinstall:
        AutomaticMode = false;  // so that the refusal shows
        ErrorMessageText(LocalisedText(9));
        Shutdown();
    case DirectoryChoice::AskReinstall:
        askBeforeReinstalling();
        InstallDir = PreviousRecord.installLocation;
        return;
    case DirectoryChoice::Reinstall:
        InstallDir = PreviousRecord.installLocation;
        return;
    case DirectoryChoice::CreateSilently:
        if (InstallDir.isEmpty()) InstallDir = DefaultInstallDir;
        createDirectories(InstallDir);
        return;
    case DirectoryChoice::Dialog:
        if (InstallDir.isEmpty()) InstallDir = DefaultInstallDir;
        runDirectoryDialog();
        return;
    }
}

// The data region, the listed deletions and the file catalogue.
void installFilePhase() {
    DataRegion region;
    AssembleDataRegion(InstallerPayload, PayloadHeaderFields, PayloadSettings, region);

    UninstallDir = joinPath(InstallDir, PayloadSettings.uninstallSubdir);
    if (!PayloadSettings.uninstallSubdir.isEmpty()) createDirectories(UninstallDir);

    // Empties the uninstall list and the shared-file, component and font
    // lists once the deletions are done.
    DeleteListedFiles();

    // Ends with the font-change broadcast (when a font came) and 87 percent.
    MemoryStream catalogue(region.bytes, (uint32_t)region.size);
    InstallFiles(catalogue, PayloadHeaderFields.fileCount, PayloadHeaderFields.fileSizes);
    releaseDataRegion(region);
}

void registerFiles() {
    if (lowFlag(flag::KeepUninstallRecord)) CountSharedFiles(ReinstallFlag);
    RegisterComponents();
    holdStatus();
    SetProgressStatus(32, progress::kRegistering);
}

void makeShortcuts() {
    if (lowFlag(flag::KeepUninstallRecord)) {
        UninstallerPath = joinPath(UninstallDir, PayloadSettings.uninstallerName);
        UninstallerArguments = uninstallerArgumentsFor(UninstallName);
        if (highFlag(flag::UninstallerDesktopShortcut)) {
            ShortcutRequest uninstaller;
            uninstaller.name = LocalisedText(33);
            uninstaller.target = UninstallerPath;
            uninstaller.arguments = UninstallerArguments;
            uninstaller.flags = payload::kEntryDesktopShortcut;
            ShortcutList.append(moveValue(uninstaller));
        }
    }
    CreateShortcuts();
    CreateUninstallerShortcuts();
    SetProgressPercent(progress::kRegistryAndLinks);
    holdStatus();
}

void writeRecordAndKeys() {
    SaveBackgroundForUninstaller();
    CreateProductKeys();
    CreateAssociations();
    if (lowFlag(flag::AddToPath)) ProblemReport += ModifyPath(true);
    if (lowFlag(flag::KeepUninstallRecord)) WriteUninstallRecord();
    holdStatus();
    SetProgressStatus(36, progress::kInstallFinished);
    if (lowFlag(flag::KeepUninstallRecord) && !WriteUninstallData()) {
        AppendFailure(ProblemReport, UninstallDataPath().text());
    }
}

void finishInstallation() {
    RunBatchCommands(InstallDir, lowFlag(flag::HideBatchAfter), PayloadSettings.installBatchAfter);
    RefreshDesktop();
    holdStatus();
    CloseProgressDialog();

    if (!RunAfterInstall.isEmpty()) InstallLog.appendFormat("Launch on exit: %s\r\n", RunAfterInstall);
    WriteInstallLog(ReinstallFlag, true, ProblemReport);

    // Set by a file that waits for the restart, or by the settings block.
    if (lowFlag(flag::RestartNeeded)) {
        RestartFlag = AutomaticMode || askYesNo(BackgroundWindow, LocalisedText(37), LocalisedText(20));
    }
    RunBatchCommands(InstallDir, lowFlag(flag::HideBatchLast), PayloadSettings.installBatchLast);
    removeDirectory(SharedDir);
    removeDirectory(UninstallDir);
    removeDirectory(InstallDir);

    if (RestartFlag) {
        RestartSystem(2, 0);
    } else if (launchesProgramAfter(RestartFlag, ProblemReport, RunAfterInstall)) {
        runProcess(RunAfterInstall, 0, String());
    }
}

}  // namespace

void RunInstallSequence() {
    settleDirectories();
    chooseLanguage();
    refuseExcludedSystem();
    requireMasterProduct();
    lookForPreviousInstallation();
    showWizardPages(63, PayloadSettings.licenceTexts, RunLicenceDialog);
    showWizardPages(64, PayloadSettings.readmeTexts, RunReadmeDialog);
    settleInstallDir();

    RunBatchCommands(InstallDir, lowFlag(flag::HideBatchBefore), PayloadSettings.installBatchBefore);
    ShowProgressDialog();
    SetProgressStatus(8, progress::kInstallStarted);
    installFilePhase();
    registerFiles();
    makeShortcuts();
    writeRecordAndKeys();
    finishInstallation();
}
