// The installation itself, from the wizard to the last batch text, once the
// payload's settings and the StubImage are ready; and the decisions it makes
// on the way, kept pure so that they are tested on any host.
#pragma once
#include <stdint.h>

#include "core/containers.h"
#include "core/string.h"

// Looks a language string up by id (LocalisedText on Windows).
typedef const char* (*StringLookup)(int id);

// --- Which way the run goes ---------------------------------------------------

// The language dialog is worth showing for any count but 1, and never in
// automatic mode.
bool showsLanguageDialog(int32_t languageCount, bool automaticMode);

// How the installation directory is settled.
enum class DirectoryChoice {
    RefuseReinstall,  // string 9, then the end of the run (automatic mode or not)
    AskReinstall,     // question first, then the earlier location
    Reinstall,        // the earlier location without a question
    CreateSilently,   // create InstallDir (result not looked at); no tests
    Dialog,           // the directory dialog with its tests and questions
};
DirectoryChoice directoryChoice(bool reinstall, bool automaticMode, uint32_t flagsLow);

// Whether the program of /r starts: not after a restart, not after problems,
// and only when there is one.
bool launchesProgramAfter(bool restart, const String& problems, const String& program);

// --- Texts ----------------------------------------------------------------------

// The reinstall question's first string: 3, or with version comparison (high
// bit 0x10) and both versions not blank, by CompareVersions(installed, this):
// 4 equal, 5 the installed one lower, 6 the installed one higher.
int reinstallQuestionId(bool compareVersions, const String& installedVersion, const String& thisVersion);

// S(id), "\r\n", the earlier location, "\r\n\r\n", S(7).
String reinstallQuestionText(int questionId, const String& previousLocation, StringLookup text);

// What the wizard shows as licence (or readme) pages: `first` (string 63 or
// 64) and then `texts`, blank ones left out, each with "<product>" and
// "<os>" replaced (without regard to case).
Vector<String> wizardPages(const char* first, const Vector<String>& texts, const String& productName,
                           const String& windowsDirectory);

// The disk-space question: S(19) with the size text of `needed`, the drive
// letter and the size text of `freeBytes`.
String diskSpaceQuestion(uint64_t needed, char driveLetter, uint64_t freeBytes, StringLookup text);

// S(22) when the directory exists, S(23) when it is to be created, with the path.
String directoryConfirmText(bool exists, const String& path, StringLookup text);

// S(25), "\r\n", the path, "\r\n\r\n", the system's error text; trailing
// blanks removed.
String directoryCreateFailureText(const String& path, const char* systemError, StringLookup text);

// "/u:\"name\"": what the uninstaller is started with.
String uninstallerArgumentsFor(const String& uninstallName);

// --- Numbers --------------------------------------------------------------------

// `size` taken up to the next whole number of clusters; a cluster size below
// 1 (unknown) leaves it as it is. Negative sizes count as 0.
uint64_t clusterRoundedSize(int64_t size, int32_t clusterSize);

// The sum of clusterRoundedSize over `count` body sizes, in 64 bits.
uint64_t diskSpaceNeeded(const int32_t* sizes, int32_t count, int32_t clusterSize);

// The question is asked when the need reaches the free space (equal included).
inline bool diskSpaceShort(uint64_t needed, uint64_t freeBytes) { return needed >= freeBytes; }

// --- Settling the directories of the settings block ---------------------------

// The default directory value that names the master product's location.
bool isMasterPlaceholder(const String& directory);

// The default installation directory (variables already expanded) made
// absolute against the programs directory, unless it is the master
// placeholder or already absolute.
void settleDefaultInstallDir(String& directory, const String& programsDirectory);

// --- Windows only (driver/install_sequence_win32.cpp) ---------------------------

// Runs the install sequence. Returns to the caller, which ends the run;
// every refusal and cancel on the way ends it through Shutdown.
void RunInstallSequence();
