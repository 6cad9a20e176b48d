// The uninstaller: started with /u:"name", it undoes the installation that
// left the record of `name` (the product's key under the system's Uninstall
// key and Uninstall.DAT in its uninstall folder), in a fixed order and
// without roll-back. Windows only (uninstall/uninstall_win32.cpp); the
// record's texts are taken apart by uninstall/uninstall_data.h.
#pragma once
#include "core/string.h"

// True when the uninstallation completed without failures; false when it was
// refused (no record, record unreadable or corrupt) or something could not be
// removed, in which case the record stays, listing what is left. Ends the
// process itself when the user declines the confirmation.
bool UninstallProduct(const String& name);
