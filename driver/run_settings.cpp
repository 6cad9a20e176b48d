#include "driver/run_settings.h"

void* InstanceHandle = nullptr;
bool AutomaticMode = false;
bool UninstallMode = false;
String InstallDir;
String ProductName;
String UninstallName;
String RunAfterInstall;
String InstallSource;
ProductFlagWords ProductFlags = {0, 0};
