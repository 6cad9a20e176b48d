#include "builder/default_strings.h"

namespace build {
namespace {

// Texts that the installer uses as formats carry exactly the conversions their
// callers pass (drive letters as %c, so that a letter given as text or as a
// character prints the same); no other "%" may appear in them.
const char* const kTexts[kDefaultStringCount] = {
    /* 0 */ "<product> Setup",
    /* 1 */ "",
    /* 2 */ "Reinstall <product>",
    /* 3 */ "<product> is already installed in this folder:",
    /* 4 */ "This version of <product> is already installed in this folder:",
    /* 5 */ "An older version of <product> is installed in this folder:",
    /* 6 */ "A newer version of <product> is already installed in this folder:",
    /* 7 */ "Do you want to install <product> over the existing installation?",
    /* 8 */ "Preparing to install...",
    /* 9 */ "<product> is already installed on this computer and cannot be installed a second time.\r\n\r\n"
            "To install it again, uninstall it first.",
    /* 10 */ "<product> was uninstalled, but some items could not be removed:\r\n\r\n%s\r\n"
             "You can delete them yourself, or restart the computer and run the uninstaller again.",
    /* 11 */ "Choose the folder where <product> will be installed:",
    /* 12 */ "<product> requires %s, which is not installed on this computer.\r\n\r\n"
             "Install it first, then run this setup again.",
    /* 13 */ "The setup program for <product> is damaged and cannot continue. This is usually caused by an "
             "incomplete download, but it can also be caused by a virus on your computer.\r\n\r\n"
             "Delete this setup program, download it again and run the new copy. If the problem persists, "
             "check your computer for viruses.\r\n\r\nError code: %d",
    /* 14 */ "The installation folder is not valid:",
    /* 15 */ "Uninstall <product>",
    /* 16 */ "Drive %c: does not exist. Please choose a folder on another drive.",
    /* 17 */ "<product> cannot be installed in the root folder of a drive. Please choose a folder.",
    /* 18 */ "<product> cannot be installed directly in %s. Please choose a folder inside it.",
    /* 19 */ "<product> needs %s of disk space, but drive %c: has only %s free.\r\n\r\n"
             "Do you want to install it anyway?",
    /* 20 */ "<product>",
    /* 21 */ "<product> Setup Error",
    /* 22 */ "%s\r\n\r\nThis folder already exists. Do you want to install <product> into it?",
    /* 23 */ "%s\r\n\r\nThis folder does not exist yet and will be created. "
             "Do you want to install <product> into it?",
    /* 24 */ "Installation Folder",
    /* 25 */ "Could not create the folder",
    /* 26 */ "Please insert disk %d of <product> into drive %c: and click OK.",
    /* 27 */ "Insert Next Disk",
    /* 28 */ "Do you really want to cancel the installation of <product>?\r\n\r\n"
             "Files that are already installed stay in place.",
    /* 29 */ "Unpacking files...",
    /* 30 */ "This is not the right disk.",
    /* 31 */ "Error:",
    /* 32 */ "Registering components and creating shortcuts...",
    /* 33 */ "Uninstall <product>",
    /* 34 */ "<product> was removed from your computer.",
    /* 35 */ "Remove Shared File",
    /* 36 */ "Finishing the installation...",
    /* 37 */ "Your computer must be restarted to complete the installation of <product>.\r\n\r\n"
             "Do you want to restart now?",
    /* 38 */ "Shortcut to %s",
    /* 39 */ "Installing <product>",
    /* 40 */ "<product> was installed, but some problems occurred. The details are in the installation log:\r\n"
             "%s\r\n\r\nDo you want to see the log now?",
    /* 41 */ "Installation Problems",
    /* 42 */ "<product> was installed successfully.",
    /* 43 */ "Installation Complete",
    /* 44 */ "License Agreement",
    /* 45 */ "I Accept",
    /* 46 */ "I Do Not Accept",
    /* 47 */ "Please read the following license agreement. You must accept it to install <product>.",
    /* 48 */ "OK",
    /* 49 */ "Cancel",
    /* 50 */ "Read Me",
    /* 51 */ "Please read the following information about <product>.",
    /* 52 */ "Browse...",
    /* 53 */ "Do you want to remove <product> and all of its components from your computer?",
    /* 54 */ "<product> Setup",
    /* 55 */ "Uninstall <product>",
    /* 56 */ "The font \"%s\" was installed with <product>. Do you want to remove it?\r\n\r\n"
             "Other programs may also use this font.",
    /* 57 */ "Remove Font",
    /* 58 */ "Could not delete:",
    /* 59 */ "The shared file\r\n%s\r\nis no longer used by any program. Do you want to remove it?\r\n\r\n"
             "If other programs still need it they may stop working. If you are not sure, choose No.",
    /* 60 */ "",
    /* 61 */ "<product> cannot be installed on %s.",
    /* 62 */ "Checking the installation files...",
    /* 63 */ "",
    /* 64 */ "",
    /* 65 */ "",
    /* 66 */ "<product> cannot be installed in a network folder. Please choose a folder on a local drive.",
    /* 67 */ "Removing fonts...",
    /* 68 */ "Removing shortcuts and shared files...",
    /* 69 */ "Removing registry entries...",
    /* 70 */ "Restoring file associations...",
    /* 71 */ "Uninstalling <product>",
};

}  // namespace

const char* defaultString(int id) {
    if (id < 0 || id >= kDefaultStringCount) return "";
    return kTexts[id];
}

std::vector<std::string> defaultStringTable() {
    return std::vector<std::string>(kTexts, kTexts + kDefaultStringCount);
}

std::vector<std::string> formatConversions(const std::string& text) {
    std::vector<std::string> out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') continue;
        if (i + 1 < text.size() && text[i + 1] == '%') {
            ++i;
            continue;
        }
        size_t end = text.find_first_not_of("-+ #0123456789.lhI", i + 1);
        end = end == std::string::npos ? text.size() : end + 1;
        out.push_back(text.substr(i, end - i));
        i = end - 1;
    }
    return out;
}

}  // namespace build
