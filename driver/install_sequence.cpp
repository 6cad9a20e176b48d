#include "driver/install_sequence.h"

// The wizard, the file installation and the uninstall record arrive with
// their modules; until then a payload that reads cleanly simply ends the run.
void RunInstallSequence() {}
