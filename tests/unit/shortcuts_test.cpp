#include <gtest/gtest.h>

#include <string>

#include "install/shortcuts.h"

namespace {

std::string str(const String& s) { return std::string(s.text(), size_t(s.length())); }

TEST(Shortcuts, PlacesFromKindAndFlags) {
    struct Case {
        uint32_t kind;
        uint32_t flags;
        bool desktop, startMenu, startup, recorded;
    } cases[] = {
        {0, 0x1, true, false, false, true},
        {0, 0x2, false, true, false, true},
        {0, 0x3, true, true, false, true},
        {5, 0x0, false, false, true, true},   // a start-up file asks for its link without flags
        {5, 0x23, true, true, true, false},
        {0, 0x21, true, false, false, false},
        {0, 0xC, false, false, false, true},  // existence-rule bits ask for nothing
    };
    for (const Case& c : cases) {
        ShortcutRequest request;
        request.kind = c.kind;
        request.flags = c.flags;
        ShortcutPlaces places = shortcutPlacesOf(request);
        EXPECT_EQ(places.desktop, c.desktop) << c.kind << " " << c.flags;
        EXPECT_EQ(places.startMenu, c.startMenu) << c.kind << " " << c.flags;
        EXPECT_EQ(places.startup, c.startup) << c.kind << " " << c.flags;
        EXPECT_EQ(places.recorded, c.recorded) << c.kind << " " << c.flags;
    }
}

TEST(Shortcuts, LinkExtensionAddedOnce) {
    struct Case {
        const char* before;
        const char* after;
    } cases[] = {
        {"C:\\D\\Tool", "C:\\D\\Tool.LNK"},
        {"C:\\D\\Readme.txt", "C:\\D\\Readme.txt.LNK"},
        {"C:\\D\\Tool.lnk", "C:\\D\\Tool.lnk"},
        {"C:\\D\\Tool.Lnk", "C:\\D\\Tool.Lnk"},
        {"C:\\my.lnk files\\Tool", "C:\\my.lnk files\\Tool"},  // anywhere in the path counts
        {"", ".LNK"},
    };
    for (const Case& c : cases) {
        String path(c.before);
        addLinkExtension(path);
        EXPECT_EQ(str(path), c.after);
    }
}

TEST(Shortcuts, LogLines) {
    struct Case {
        ShortcutLogKind kind;
        const char* line;
    } cases[] = {
        {ShortcutLogDesktop, "Desktop Shortcut(Tool) -> C:\\L.LNK\r\n"},
        {ShortcutLogDesktopFolder, "Desktop Folder Shortcut(Tool) -> C:\\L.LNK\r\n"},
        {ShortcutLogStartMenu, "Start Menu Shortcut(Tool) -> C:\\L.LNK\r\n"},
        {ShortcutLogStartup, "Startup Shortcut(Tool) -> C:\\L.LNK\r\n"},
        {ShortcutLogUninstaller, "Uninstaller Shortcut -> C:\\L.LNK\r\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(str(shortcutLogLine(c.kind, "Tool", "C:\\L.LNK")), c.line);
}

}  // namespace
