// The built-in English texts of every string id the installer and the
// uninstaller look up. A manifest starts from this table and overrides single
// ids; languages it adds fall back to these texts for ids they leave out.
#pragma once
#include <string>
#include <vector>

namespace build {

// Ids 0 .. kDefaultStringCount - 1 have a built-in text (possibly empty for
// the ids nothing looks up).
constexpr int kDefaultStringCount = 72;

// The English text of `id`; empty for ids without one. Line breaks are CR LF.
const char* defaultString(int id);

// The whole table, index = id.
std::vector<std::string> defaultStringTable();

// The printf conversions of a text in order ("%s", "%c", "%d", "%-5d" ...),
// without the literal "%%".
std::vector<std::string> formatConversions(const std::string& text);

}  // namespace build
