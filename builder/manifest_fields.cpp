#include "builder/manifest_fields.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iterator>

namespace build {
namespace {

Spot spotOfNode(const toml::node& n, Spot fallback) {
    const toml::source_position& p = n.source().begin;
    return p.line ? Spot{p.line, p.column} : fallback;
}

const char* typeName(const toml::node& n) {
    switch (n.type()) {
        case toml::node_type::table: return "a table";
        case toml::node_type::array: return "an array";
        case toml::node_type::string: return "a string";
        case toml::node_type::integer: return "an integer";
        case toml::node_type::floating_point: return "a number";
        case toml::node_type::boolean: return "a boolean";
        case toml::node_type::date: return "a date";
        case toml::node_type::time: return "a time";
        case toml::node_type::date_time: return "a date-time";
        default: return "nothing";
    }
}

// Reads a whole file; nullopt when it cannot be read.
std::optional<std::vector<uint8_t>> readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
}

DateTime fromToml(const toml::date& d) {
    DateTime t;
    t.year = d.year;
    t.month = d.month;
    t.day = d.day;
    return t;
}

}  // namespace

std::optional<uint32_t> parseColour(const std::string& text) {
    if (text.size() != 7 || text[0] != '#') return std::nullopt;
    uint32_t rgb = 0;
    for (size_t i = 1; i < 7; ++i) {
        char c = text[i];
        uint32_t digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else return std::nullopt;
        rgb = rgb << 4 | digit;
    }
    // Windows keeps red in the lowest byte.
    return (rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16;
}

bool isValidUtf8(const std::string& bytes) {
    size_t i = 0, n = bytes.size();
    while (i < n) {
        unsigned char c = bytes[i];
        size_t extra = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : 99;
        if (extra == 99 || i + extra >= n + (extra == 0)) return false;
        for (size_t k = 1; k <= extra; ++k)
            if (((unsigned char)bytes[i + k] >> 6) != 0x2) return false;
        i += extra + 1;
    }
    return true;
}

bool isKnownCodepage(const std::string& codepage) {
    iconv_t cd = iconv_open(codepage.c_str(), "UTF-8");
    if (cd == (iconv_t)-1) return false;
    iconv_close(cd);
    return true;
}

std::optional<std::string> utf8ToCodepage(const std::string& utf8, const std::string& codepage) {
    bool ascii = true;
    for (unsigned char c : utf8) ascii = ascii && c < 0x80;
    if (ascii) return utf8;
    iconv_t cd = iconv_open(codepage.c_str(), "UTF-8");
    if (cd == (iconv_t)-1) return std::nullopt;
    std::string out(utf8.size() * 2 + 8, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (result == (size_t)-1 || inLeft != 0) return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

std::string withCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != '\r' && c != '\n') {
            out += c;
            continue;
        }
        char pair = c == '\r' ? '\n' : '\r';
        if (i + 1 < text.size() && text[i + 1] == pair) ++i;
        out += "\r\n";
    }
    return out;
}

std::string spotText(const std::string& fileName, Spot spot) {
    std::string out = fileName + ":" + std::to_string(spot.line ? spot.line : 1);
    if (spot.line && spot.column) out += ":" + std::to_string(spot.column);
    return out;
}

ManifestTable::ManifestTable(const toml::table* table, std::string path, const ManifestContext& context,
                             std::string codepage, Spot spot)
    : table_(table), path_(std::move(path)), context_(context), codepage_(std::move(codepage)), spot_(spot) {}

std::string ManifestTable::keyPath(const std::string& key) const {
    if (path_.empty()) return key;
    if (key.empty()) return path_;
    return path_ + "." + key;
}

void ManifestTable::failAt(Spot spot, const std::string& key, const std::string& problem) const {
    std::string name = keyPath(key);
    throw ManifestError(spotText(context_.fileName, spot) + ": " + (name.empty() ? "" : "key '" + name + "': ") +
                        problem);
}

Spot ManifestTable::spotOf(const char* key) const {
    const toml::node* n = node(key);
    return n ? spotOfNode(*n, spot_) : spot_;
}

void ManifestTable::fail(const std::string& key, const std::string& problem) const {
    failAt(spotOf(key.c_str()), key, problem);
}

const toml::node* ManifestTable::node(const char* key) const { return table_ ? table_->get(key) : nullptr; }

bool ManifestTable::has(const char* key) const { return node(key) != nullptr; }

std::vector<std::string> ManifestTable::keys() const {
    std::vector<std::pair<toml::source_position, std::string>> found;
    if (table_)
        for (auto&& [key, value] : *table_) found.emplace_back(key.source().begin, std::string(key.str()));
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> out;
    for (auto& f : found) out.push_back(std::move(f.second));
    return out;
}

void ManifestTable::allowOnly(const std::string& table) const {
    std::vector<std::string> allowed = allowedKeys(table);
    for (const std::string& key : keys()) {
        bool known = false;
        for (const std::string& a : allowed) known = known || key == a;
        if (known) continue;
        std::optional<std::string> near = nearestName(key, allowed);
        fail(key, "unknown key" + (near ? " (did you mean '" + *near + "'?)" : std::string()) + "; " +
                      tableHeading(table) + " takes " + quotedNames(allowed));
    }
}

ManifestTable ManifestTable::table(const char* key) const {
    const toml::node* n = node(key);
    if (n && !n->is_table()) fail(key, std::string("expected a table, found ") + typeName(*n));
    return ManifestTable(n ? n->as_table() : nullptr, keyPath(key), context_, codepage_, spotOf(key));
}

std::vector<ManifestTable> ManifestTable::tables(const char* key) const {
    std::vector<ManifestTable> out;
    const toml::node* n = node(key);
    if (!n) return out;
    const toml::array* items = n->as_array();
    if (!items) fail(key, std::string("expected an array of tables ([[") + key + "]]), found " + typeName(*n));
    for (size_t i = 0; i < items->size(); ++i) {
        const toml::node& item = *items->get(i);
        std::string name = std::string(key) + "[" + std::to_string(i) + "]";
        Spot spot = spotOfNode(item, spotOf(key));
        if (!item.is_table()) failAt(spot, name, std::string("expected a table, found ") + typeName(item));
        out.emplace_back(item.as_table(), keyPath(name), context_, codepage_, spot);
    }
    return out;
}

ManifestTable ManifestTable::withCodepage(std::string codepage) const {
    return ManifestTable(table_, path_, context_, std::move(codepage), spot_);
}

std::string ManifestTable::toAnsi(const std::string& utf8, const std::string& key) const {
    std::optional<std::string> ansi = utf8ToCodepage(utf8, codepage_);
    if (!ansi) fail(key, "the text has a character that code page " + codepage_ + " cannot hold");
    if (ansi->find('\0') != std::string::npos) fail(key, "the text holds a zero character");
    return *ansi;
}

std::optional<std::string> ManifestTable::optionalText(const char* key) const {
    const toml::node* n = node(key);
    if (!n) return std::nullopt;
    if (!n->is_string()) fail(key, std::string("expected a string, found ") + typeName(*n));
    return toAnsi(n->as_string()->get(), key);
}

std::string ManifestTable::text(const char* key, const std::string& fallback) const {
    return optionalText(key).value_or(fallback);
}

std::string ManifestTable::multiLineText(const char* key) const { return withCrLf(text(key)); }

std::string ManifestTable::textFromFile(const std::string& relative, const std::string& key, Spot spot) const {
    std::optional<std::vector<uint8_t>> bytes = readBytes(context_.directory / relative);
    if (!bytes) failAt(spot, key, "cannot read file \"" + relative + "\"");
    std::string raw(bytes->begin(), bytes->end());
    if (raw.compare(0, 3, "\xEF\xBB\xBF") == 0) raw.erase(0, 3);
    if (isValidUtf8(raw)) {
        std::optional<std::string> ansi = utf8ToCodepage(raw, codepage_);
        if (!ansi) failAt(spot, key, "\"" + relative + "\" has a character that code page " + codepage_ + " cannot hold");
        raw = *ansi;
    }
    if (raw.find('\0') != std::string::npos) failAt(spot, key, "\"" + relative + "\" holds a zero byte; it is not a text file");
    return withCrLf(raw);
}

std::string ManifestTable::textOrFile(const char* key) const {
    const toml::node* n = node(key);
    if (!n) return "";
    if (n->is_string()) return multiLineText(key);
    ManifestTable inner = n->is_table() ? table(key) : ManifestTable(nullptr, "", context_, codepage_, Spot{});
    if (!n->is_table()) fail(key, std::string("expected a string or { file = \"...\" }, found ") + typeName(*n));
    if (!inner.has("file") || inner.table_->size() != 1)
        fail(key, "expected a string or { file = \"...\" }; the table takes the one key \"file\"");
    return textFromFile(inner.pathText("file"), std::string(key) + ".file", inner.spotOf("file"));
}

std::string ManifestTable::pathText(const char* key) const {
    const toml::node* n = node(key);
    if (!n) fail(key, "missing; expected a file path");
    if (!n->is_string()) fail(key, std::string("expected a file path (a string), found ") + typeName(*n));
    return n->as_string()->get();
}

std::vector<std::string> ManifestTable::textList(const char* key) const {
    std::vector<std::string> out;
    const toml::node* n = node(key);
    if (!n) return out;
    const toml::array* items = n->as_array();
    if (!items) fail(key, std::string("expected a list of file paths or { text = \"...\" }, found ") + typeName(*n));
    for (size_t i = 0; i < items->size(); ++i) {
        const toml::node& item = *items->get(i);
        std::string name = std::string(key) + "[" + std::to_string(i) + "]";
        Spot spot = spotOfNode(item, spotOf(key));
        if (item.is_string()) {
            out.push_back(textFromFile(item.as_string()->get(), name, spot));
            continue;
        }
        const toml::table* inner = item.as_table();
        if (!inner) failAt(spot, name, std::string("expected a file path or { text = \"...\" }, found ") + typeName(item));
        if (!inner->contains("text") || inner->size() != 1)
            failAt(spot, name, "expected a file path or { text = \"...\" }; the table takes the one key \"text\"");
        out.push_back(ManifestTable(inner, keyPath(name), context_, codepage_, spot).multiLineText("text"));
    }
    return out;
}

bool ManifestTable::boolean(const char* key, bool fallback) const {
    const toml::node* n = node(key);
    if (!n) return fallback;
    if (!n->is_boolean()) fail(key, std::string("expected true or false, found ") + typeName(*n));
    return n->as_boolean()->get();
}

int64_t ManifestTable::integer(const char* key, int64_t min, int64_t max, int64_t fallback) const {
    const toml::node* n = node(key);
    if (!n) return fallback;
    if (!n->is_integer()) fail(key, std::string("expected an integer, found ") + typeName(*n));
    int64_t v = n->as_integer()->get();
    if (v < min || v > max)
        fail(key, std::to_string(v) + " is out of range; expected " + std::to_string(min) + " to " + std::to_string(max));
    return v;
}

uint32_t ManifestTable::named(const char* key, const std::vector<NamedValue>& names, uint32_t fallback) const {
    const toml::node* n = node(key);
    if (!n) return fallback;
    if (n->is_integer()) {
        int64_t v = n->as_integer()->get();
        for (const NamedValue& nv : names)
            if (nv.value == v) return nv.value;
        fail(key, "unknown value " + std::to_string(v) + "; expected one of " + quotedNames(names) +
                      " (or their numbers " + numbersOf(names) + ")");
    }
    if (!n->is_string()) fail(key, std::string("expected a name, found ") + typeName(*n));
    const std::string& name = n->as_string()->get();
    if (std::optional<uint32_t> v = valueByName(names, name)) return *v;
    fail(key, unknownNameProblem(name, names, "one of"));
}

std::vector<std::string> ManifestTable::nameList(const char* key) const {
    std::vector<std::string> out;
    const toml::node* n = node(key);
    if (!n) return out;
    const toml::array* items = n->as_array();
    if (!items) fail(key, std::string("expected a list of names, found ") + typeName(*n));
    for (size_t i = 0; i < items->size(); ++i) {
        const toml::node& item = *items->get(i);
        if (!item.is_string())
            failAt(spotOfNode(item, spotOf(key)), std::string(key) + "[" + std::to_string(i) + "]",
                       std::string("expected a name, found ") + typeName(item));
        out.push_back(item.as_string()->get());
    }
    return out;
}

std::optional<uint32_t> ManifestTable::bitNames(const char* key, const std::vector<NamedValue>& names) const {
    if (!has(key)) return std::nullopt;
    uint32_t mask = 0;
    std::vector<std::string> given = nameList(key);
    for (size_t i = 0; i < given.size(); ++i) {
        std::optional<uint32_t> bit = valueByName(names, given[i]);
        if (!bit) failItem(key, i, unknownNameProblem(given[i], names, "any of"));
        mask |= *bit;
    }
    return mask;
}

uint32_t ManifestTable::colour(const char* key, uint32_t fallback) const {
    const toml::node* n = node(key);
    if (!n) return fallback;
    std::optional<uint32_t> c = n->is_string() ? parseColour(n->as_string()->get()) : std::nullopt;
    if (!c) fail(key, "expected a colour written \"#RRGGBB\"");
    return *c;
}

std::optional<DateTime> ManifestTable::dateTime(const char* key) const {
    const toml::node* n = node(key);
    if (!n) return std::nullopt;
    if (const auto* d = n->as_date()) return fromToml(d->get());
    const auto* dt = n->as_date_time();
    if (!dt) fail(key, std::string("expected a date-time such as 2024-05-31T12:00:00, found ") + typeName(*n));
    const toml::date_time& v = dt->get();
    if (v.offset) fail(key, "expected a local time without a time-zone offset (leave out the \"Z\" or \"+01:00\")");
    DateTime t = fromToml(v.date);
    t.hour = v.time.hour;
    t.minute = v.time.minute;
    t.second = v.time.second;
    return t;
}

int64_t ManifestTable::byteCount(const char* key, int64_t fallback) const {
    const toml::node* n = node(key);
    if (!n) return fallback;
    if (n->is_integer() && n->as_integer()->get() >= 0) return integer(key, 0, INT64_C(1) << 40, fallback);
    const std::string* text = n->is_string() ? &n->as_string()->get() : nullptr;
    int64_t value = 0;
    size_t i = 0;
    while (text && i < text->size() && (*text)[i] >= '0' && (*text)[i] <= '9' && value < (INT64_C(1) << 40))
        value = value * 10 + ((*text)[i++] - '0');
    std::string suffix = text ? text->substr(i) : "?";
    int shift = suffix == "" ? 0 : suffix == "K" ? 10 : suffix == "M" ? 20 : suffix == "G" ? 30 : -1;
    if (!text || i == 0 || shift < 0 || value >= (INT64_C(1) << 40))
        fail(key, "expected a byte count such as 1457664, \"1400K\" or \"650M\"");
    return value << shift;
}

void ManifestTable::failItem(const char* key, size_t index, const std::string& problem) const {
    const toml::node* n = node(key);
    const toml::array* items = n ? n->as_array() : nullptr;
    Spot spot = items && index < items->size() ? spotOfNode(*items->get(index), spotOf(key)) : spotOf(key);
    failAt(spot, std::string(key) + "[" + std::to_string(index) + "]", problem);
}

std::vector<uint8_t> ManifestTable::fileBytes(const char* key) const {
    std::string relative = pathText(key);
    std::optional<std::vector<uint8_t>> bytes = readBytes(context_.directory / relative);
    if (!bytes) fail(key, "cannot read file \"" + relative + "\"");
    return *bytes;
}

}  // namespace build
