#include "driver/run_settings.h"

#include "payload/format.h"
#include "ui/localised_text.h"

void* InstanceHandle = nullptr;
bool AutomaticMode = false;
bool UninstallMode = false;
String InstallDir;
String ProductName;
String UninstallName;
String RunAfterInstall;
String InstallSource;
ProductFlagWords ProductFlags = {0, 0};
PayloadLocation InstallerPayload;
PayloadHeader PayloadHeaderFields;
SettingsBlock PayloadSettings;
String StubImage;

void applyProductFlags(const SettingsBlock& block) {
    ProductFlags.low = block.productFlagsLow;
    ProductFlags.high = block.productFlagsHigh;
    if (block.lowFlag(payload::flag::AutomaticInstall.bit)) AutomaticMode = true;
}

void applySettingsBlock(SettingsBlock& block) {
    ProductName = block.productName;
    UninstallName = block.uninstallName;
    InstallLocalisedTexts(moveValue(block.languageTable), moveValue(block.stringTable));
}
