// [strings] and [[languages]]: English comes first, from the built-in table
// with the manifest's overrides; every further language starts from that
// English column and overrides what it translates.
#include <algorithm>
#include <set>

#include "builder/default_strings.h"
#include "builder/manifest_sections.h"
#include "payload/format.h"

namespace build {
namespace {

constexpr char kEnglish[] = "English";

using Overrides = std::vector<std::pair<int, std::string>>;

std::string listed(const std::vector<std::string>& conversions) {
    std::string out;
    for (const std::string& c : conversions) out += (out.empty() ? "" : ", ") + c;
    return out.empty() ? "none" : out;
}

// The installer formats a text that has conversions with the values of its
// built-in text, in that order; a text with others would print garbage or
// crash the installer, so it must carry exactly the same ones.
void checkConversions(const ManifestTable& strings, const std::string& key, int id, const std::string& text) {
    std::vector<std::string> expected = formatConversions(defaultString(id));
    if (expected.empty()) return;
    std::vector<std::string> given = formatConversions(text);
    if (given != expected)
        strings.fail(key, "the installer fills in " + listed(expected) + " here, in this order; the text has " +
                              listed(given) + " (write a literal percent sign as %%)");
}

Overrides readOverrides(const ManifestTable& holder) {
    Overrides out;
    ManifestTable strings = holder.table("strings");
    if (!holder.has("strings")) return out;
    // Exactly the decimal ids; anything else is named in the error.
    for (const std::string& key : strings.keys()) {
        bool digits = !key.empty() && key.size() <= 4 && key.find_first_not_of("0123456789") == std::string::npos &&
                      (key.size() == 1 || key[0] != '0');
        if (!digits)
            strings.fail(key, "string ids are numbers from 0 to " + std::to_string(payload::kMaxStrings - 1));
        int id = std::stoi(key);
        std::string text = strings.multiLineText(key.c_str());
        checkConversions(strings, key, id, text);
        out.emplace_back(id, text);
    }
    return out;
}

}  // namespace

void readLanguages(const ManifestTable& root, Settings& settings) {
    std::vector<std::string> english = defaultStringTable();
    std::vector<std::pair<std::string, Overrides>> others;
    Overrides own = readOverrides(root);
    std::set<std::string> names{kEnglish};
    for (const ManifestTable& language : root.tables("languages")) {
        language.allowOnly("languages[]");
        std::string codepage = language.text("codepage", root.codepage());
        if (!isKnownCodepage(codepage)) language.fail("codepage", "unknown code page \"" + codepage + "\"; use an iconv name such as \"CP1252\"");
        ManifestTable inCodepage = language.withCodepage(codepage);
        std::string name = inCodepage.text("name");
        if (name.find_first_not_of(" \t") == std::string::npos) language.fail("name", "missing or blank; every language needs a name, such as \"Deutsch\"");
        if (!names.insert(name).second)
            language.fail("name", name == kEnglish ? "English is built in; override its texts in [strings]"
                                                   : "language \"" + name + "\" is given twice");
        others.emplace_back(name, readOverrides(inCodepage));
    }
    size_t count = english.size();
    for (const auto& [id, text] : own) count = std::max(count, size_t(id) + 1);
    for (const auto& other : others)
        for (const auto& [id, text] : other.second) count = std::max(count, size_t(id) + 1);
    english.resize(count);
    for (const auto& [id, text] : own) english[id] = text;

    settings.languages = {kEnglish};
    settings.strings.assign(count, {});
    for (size_t id = 0; id < count; ++id) settings.strings[id].push_back(english[id]);
    for (const auto& [name, overrides] : others) {
        settings.languages.push_back(name);
        for (size_t id = 0; id < count; ++id) settings.strings[id].push_back(english[id]);
        for (const auto& [id, text] : overrides) settings.strings[id].back() = text;
    }
    if (settings.languages.size() > size_t(payload::kMaxLanguages))
        root.fail("languages", "at most " + std::to_string(payload::kMaxLanguages) + " languages");
}

}  // namespace build
