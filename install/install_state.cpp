#include "install/install_state.h"

String InstallLog;
String ProblemReport;
String UninstallList;
String AssociationList;
Array<String> SharedFileList;
Array<String> ComServerList;
Array<String> TypeLibraryList;
String SharedFilesText;
Array<ShortcutRequest> ShortcutList;
Array<InstalledFont> InstalledFonts;
bool ReinstallFlag = false;
bool RestartFlag = false;
String UninstallDir;
String UninstallerPath;
String UninstallerArguments;
PreviousInstallation PreviousRecord;
