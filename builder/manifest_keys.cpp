#include "builder/manifest_keys.h"

#include "builder/pack.h"
#include "payload/format.h"

namespace build {
namespace {

std::string range(int64_t low, int64_t high) {
    return "integer, " + std::to_string(low) + " to " + std::to_string(high);
}

std::vector<ManifestKey> makeKeys() {
    const std::string text = "string", flag = "boolean", none = "\"\"", path = "file path";
    const std::string textOrFile = "string or { file = path }";
    const std::string textList = "list of file paths or { text = \"...\" }";
    return {
        {"", "codepage", text, "\"CP1252\""},
        {"", "flags", "list of flag names", "[]"},
        {"", "min-step-time", range(0, payload::kMaxMinStepTime), "0"},
        {"", "build-time", "date-time", "the time of the build"},
        {"", "shortcuts", "\"current-user\" or \"all-users\"", "\"current-user\""},
        {"", "excluded-systems", "list of system names", "[]"},

        {"product", "name", text, "required"},
        {"product", "publisher", text, none},
        {"product", "version", text, none},
        {"product", "registry-key", text, none},
        {"product", "uninstall-name", text, "the product name"},
        {"product", "master-product", text, "the product name"},

        {"directories", "install", text, "the product name"},
        {"directories", "shared", text, "publisher or product name"},
        {"directories", "start-menu", text, "publisher\\product"},
        {"directories", "desktop-folder", text, none},
        {"directories", "uninstall-subdir", text, none},
        {"directories", "uninstaller-name", text, "\"Uninstall.exe\""},

        {"appearance", "title-color", "colour \"#RRGGBB\"", "\"#FFFFFF\""},
        {"appearance", "title-shadow", flag, "true"},
        {"appearance", "top-color", "colour \"#RRGGBB\"", "\"#000080\""},
        {"appearance", "bottom-color", "colour \"#RRGGBB\"", "\"#000000\""},
        {"appearance", "background-bitmap", path + " (.bmp)", "none"},
        {"appearance", "bitmap-size", range(0, payload::kMaxBitmapPercent), "100"},

        {"texts", "licence", textList, "[]"},
        {"texts", "license", textList, "[]"},
        {"texts", "readme", textList, "[]"},

        {"batch", "before-install", textOrFile, none},
        {"batch", "after-install", textOrFile, none},
        {"batch", "at-end", textOrFile, none},
        {"batch", "uninstall-first", textOrFile, none},
        {"batch", "uninstall-last", textOrFile, none},

        {"layout", "data-in-file", flag, "false"},
        {"layout", "volume-size", "byte count", "0"},
        {"layout", "volume-base-name", text, "\"Setup\""},
        {"layout", "first-volume-id", range(0, UINT32_MAX), "from name and version"},
        {"layout", "pack-level", range(kPackMinLevel, kPackMaxLevel), std::to_string(kPackDefaultLevel)},

        {"uninstaller-patch", "offset", range(1, INT32_MAX), "required"},
        {"uninstaller-patch", "file", path, "required"},

        {"files[]", "source", "file path or pattern", "required"},
        {"files[]", "name", text, "the source's name"},
        {"files[]", "kind", "kind name", "\"program\""},
        {"files[]", "destination", text, none},
        {"files[]", "desktop-shortcut", flag, "false"},
        {"files[]", "start-menu-shortcut", flag, "false"},
        {"files[]", "shortcut-name", text, none},
        {"files[]", "shortcut-icon", text, "the file itself"},
        {"files[]", "shortcut-arguments", text, none},
        {"files[]", "version", text, none},
        {"files[]", "font-name", text, none},
        {"files[]", "install", "install rule name", "\"always\""},
        {"files[]", "remove-on-uninstall", flag, "true"},
        {"files[]", "in-uninstall-dir", flag, "false"},
        {"files[]", "attributes", "list of attribute names", "unchanged"},
        {"files[]", "modified", "date-time", "the source's time"},

        {"delete[]", "spec", text, "required"},
        {"delete[]", "condition", "condition name", "\"always\""},
        {"delete[]", "argument", "string, date or integer", "none"},
        {"delete[]", "at-restart", flag, "false"},

        {"associations[]", "extension", text, "required"},
        {"associations[]", "type", text, "required"},
        {"associations[]", "description", text, none},
        {"associations[]", "verb", text, "\"open\""},
        {"associations[]", "verb-caption", text, none},
        {"associations[]", "command", text, "required"},
        {"associations[]", "language", text, none},
        {"associations[]", "icon", text, none},
        {"associations[]", "default-verb", flag, "false"},

        {"uninstall-values[]", "name", text, "required"},
        {"uninstall-values[]", "type", "value type name", "\"string\""},
        {"uninstall-values[]", "value", text, none},

        {"strings", "<id>", text, "the built-in English text"},

        {"languages[]", "name", text, "required"},
        {"languages[]", "codepage", text, "the top-level codepage"},
        {"languages[].strings", "<id>", text, "the English text"},
    };
}

// "files[]" -> "files"; "languages[].strings" -> "languages[]" and "strings".
std::string parentOf(const std::string& table) {
    size_t dot = table.rfind('.');
    return dot == std::string::npos ? "" : table.substr(0, dot);
}

std::string lastName(const std::string& table) {
    size_t dot = table.rfind('.');
    std::string name = dot == std::string::npos ? table : table.substr(dot + 1);
    if (name.size() > 2 && name.compare(name.size() - 2, 2, "[]") == 0) name.resize(name.size() - 2);
    return name;
}

}  // namespace

const std::vector<ManifestKey>& manifestKeys() {
    static const std::vector<ManifestKey> keys = makeKeys();
    return keys;
}

std::vector<std::string> manifestTables() {
    std::vector<std::string> tables;
    for (const ManifestKey& k : manifestKeys())
        if (tables.empty() || tables.back() != k.table) tables.push_back(k.table);
    return tables;
}

std::vector<std::string> allowedKeys(const std::string& table) {
    std::vector<std::string> out;
    for (const ManifestKey& k : manifestKeys())
        if (k.table == table) out.push_back(k.name);
    for (const std::string& inner : manifestTables())
        if (!inner.empty() && parentOf(inner) == table) out.push_back(lastName(inner));
    return out;
}

std::string tableHeading(const std::string& table) {
    if (table.empty()) return "(top level)";
    bool array = table.find("[]") != std::string::npos && table.back() == ']';
    std::string dotted;
    for (char c : table)
        if (c != '[' && c != ']') dotted += c;
    return array ? "[[" + dotted + "]]" : "[" + dotted + "]";
}

}  // namespace build
