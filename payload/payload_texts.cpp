#include "payload/payload_open.h"

const char kNoPayloadExplanation[] =
    "This program performs installations and uninstallations.\r\n"
    "There is no installation archive present.\r\n"
    "No Uninstallation parameters were specified.\r\n\r\n"
    "You should not delete this program or execute it directly.";

const char kCannotOpenItself[] = "Error code 1: The Varnel could not open itself.  Filename:\n%s";
