// Every key a manifest may hold, in one list: the manifest reader rejects
// keys that are not in it, and docs/manifest.md is tested against it (keys,
// types and defaults), so the document cannot drift from the reader.
#pragma once
#include <string>
#include <vector>

namespace build {

struct ManifestKey {
    std::string table;     // "" top level, "product", "files[]" an array of tables, "languages[].strings"
    std::string name;      // "<id>" stands for the numeric string ids of a strings table
    std::string type;      // as docs/manifest.md writes it
    std::string fallback;  // the default as docs/manifest.md writes it
};

// In document order.
const std::vector<ManifestKey>& manifestKeys();

// The tables that hold keys, in document order ("" first).
std::vector<std::string> manifestTables();

// The keys `table` may hold: its own keys and the tables nested in it
// ("product" and "files" at the top level, "strings" in "languages[]").
std::vector<std::string> allowedKeys(const std::string& table);

// The TOML header of a table as a reader sees it: "[product]",
// "[[files]]", "[languages.strings]"; "(top level)" for "".
std::string tableHeading(const std::string& table);

}  // namespace build
