// The font list key and font resources on Windows.
#include <windows.h>

#include "core/registry.h"
#include "core/system_info.h"
#include "install/fonts.h"
#include "install/install_state.h"

namespace {

// The 9x family keeps its font list outside the "Windows NT" branch.
const char* fontListKey() {
    return IsNtFamily() ? "Microsoft\\Windows NT\\CurrentVersion\\Fonts" : "Microsoft\\Windows\\CurrentVersion\\Fonts";
}

}  // namespace

bool SetFontValue(const String& name, const String& fileName) {
    Registry fonts;
    if (fonts.openSoftware(fontListKey(), false, 0) == RegOpenFailed) return false;
    return fonts.setString(name.text(), fileName, 0);
}

bool DeleteFontValue(const String& name) {
    Registry fonts;
    if (fonts.openSoftware(fontListKey(), false, 0) == RegOpenFailed) return false;
    int32_t result = fonts.deleteValue(name.text());
    return result == RegDeleted || result == RegNothingToDelete;
}

void RegisterFont(const String& name, const String& fileName, bool recorded) {
    SetFontValue(name, fileName);
    AddFontResourceA(fileName.text());
    InstalledFont font;
    font.name = name;
    font.fileName = fileName;
    font.recorded = recorded;
    InstalledFonts.append(moveValue(font));
}
