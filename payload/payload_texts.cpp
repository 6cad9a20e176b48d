#include "payload/data_region.h"
#include "payload/header.h"
#include "payload/payload_open.h"

const char kNoPayloadExplanation[] =
    "This program performs installations and uninstallations.\r\n"
    "There is no installation archive present.\r\n"
    "No Uninstallation parameters were specified.\r\n\r\n"
    "You should not delete this program or execute it directly.";

const char kCannotOpenItself[] = "Error code 1: The Varnel could not open itself.  Filename:\n%s";

const char kVersionMismatch[] =
    "The installer version (%.1f) does not match the version of TAVO (%.1f).  "
    "Close all applications and reinstall TAVO.";

const char kArchiveReadFailed[] = "Error code 2: failed to read archive data";
