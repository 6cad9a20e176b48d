#include "builder/manifest_names.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace build {
namespace {

struct FlagName {
    const char* name;
    payload::FlagBit bit;
};

#define TAVO_FLAG_NAME(code, text, half, bit) {text, {half, bit}},
const FlagName kFlagNames[] = {TAVO_PRODUCT_FLAGS(TAVO_FLAG_NAME)};
#undef TAVO_FLAG_NAME

std::string hex(uint32_t v) {
    char buffer[16];
    snprintf(buffer, sizeof buffer, "0x%X", v);
    return buffer;
}

void addUnnamedBits(std::vector<std::string>& out, const char* prefix, uint32_t rest) {
    for (uint32_t bit = 1; bit != 0; bit <<= 1)
        if (rest & bit) out.push_back(prefix + hex(bit));
}

}  // namespace

std::optional<payload::FlagBit> productFlagByName(const std::string& name) {
    for (const FlagName& f : kFlagNames)
        if (name == f.name) return f.bit;
    return std::nullopt;
}

std::vector<std::string> productFlagNames() {
    std::vector<std::string> names;
    for (const FlagName& f : kFlagNames) names.push_back(f.name);
    return names;
}

std::vector<std::string> productFlagNamesOf(uint32_t low, uint32_t high) {
    std::vector<std::string> names;
    uint32_t rest[2] = {low, high};
    for (const FlagName& f : kFlagNames) {
        if (rest[f.bit.half] & f.bit.bit) names.push_back(f.name);
        rest[f.bit.half] &= ~f.bit.bit;
    }
    addUnnamedBits(names, "low:", rest[0]);
    addUnnamedBits(names, "high:", rest[1]);
    return names;
}

const std::vector<NamedValue>& fileKinds() {
    static const std::vector<NamedValue> table = {
        {"program", 0}, {"shared", 1}, {"font", 4}, {"startup", 5},
        {"system", 6},  {"com-server", 7}, {"type-library", 8},
    };
    return table;
}

const std::vector<NamedValue>& existenceRules() {
    static const std::vector<NamedValue> table = {
        {"always", 0x0}, {"never", 0x4}, {"only-if-present", 0x8}, {"only-if-absent", 0xC},
    };
    return table;
}

const std::vector<NamedValue>& fileAttributes() {
    static const std::vector<NamedValue> table = {
        {"read-only", 0x1}, {"hidden", 0x2},      {"system", 0x4},
        {"archive", 0x20},  {"temporary", 0x100}, {"offline", 0x1000},
    };
    return table;
}

const std::vector<NamedValue>& excludedSystems() {
    static const std::vector<NamedValue> table = {
        {"other", 0x1},     {"win32s", 0x2},   {"win95", 0x4},  {"win98", 0x8},   {"winme", 0x10},
        {"nt3", 0x20},      {"nt4", 0x40},     {"win2000", 0x80}, {"winxp", 0x100}, {"nt5.2", 0x200},
    };
    return table;
}

const std::vector<NamedValue>& deletionConditions() {
    static const std::vector<NamedValue> table = {
        {"always", 0},       {"date-equal", 1}, {"date-same-or-later", 2}, {"date-same-or-earlier", 3},
        {"size-equal", 4},   {"size-at-least", 5}, {"size-at-most", 6},
    };
    return table;
}

const std::vector<NamedValue>& uninstallValueTypes() {
    static const std::vector<NamedValue> table = {{"string", 0}, {"expand-string", 2}, {"number", 4}};
    return table;
}

std::optional<uint32_t> valueByName(const std::vector<NamedValue>& table, const std::string& name) {
    for (const NamedValue& v : table)
        if (name == v.name) return v.value;
    return std::nullopt;
}

std::string nameOfValue(const std::vector<NamedValue>& table, uint32_t value) {
    for (const NamedValue& v : table)
        if (v.value == value) return v.name;
    return std::to_string(value);
}

std::vector<std::string> namesOfBits(const std::vector<NamedValue>& table, uint32_t mask) {
    std::vector<std::string> names;
    for (const NamedValue& v : table)
        if (mask & v.value) {
            names.push_back(v.name);
            mask &= ~v.value;
        }
    addUnnamedBits(names, "", mask);
    return names;
}

std::string quotedNames(const std::vector<std::string>& names) {
    std::string out;
    for (const std::string& n : names) out += (out.empty() ? "\"" : ", \"") + n + "\"";
    return out;
}

namespace {

std::vector<std::string> namesOf(const std::vector<NamedValue>& table) {
    std::vector<std::string> names;
    for (const NamedValue& v : table) names.push_back(v.name);
    return names;
}

std::string lowered(std::string s) {
    for (char& c : s) c = char(tolower((unsigned char)c));
    return s;
}

// Edits (insert, delete, replace, swap of neighbours) from a to b.
size_t editDistance(const std::string& a, const std::string& b) {
    std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
    for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (size_t i = 1; i <= a.size(); ++i)
        for (size_t j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] != b[j - 1])});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[a.size()][b.size()];
}

}  // namespace

std::string numbersOf(const std::vector<NamedValue>& table) {
    std::string out;
    for (const NamedValue& v : table) out += (out.empty() ? "" : ", ") + std::to_string(v.value);
    return out;
}

std::optional<std::string> nearestName(const std::string& given, const std::vector<std::string>& names) {
    std::optional<std::string> best;
    size_t bestDistance = std::max<size_t>(2, given.size() / 3) + 1;
    for (const std::string& name : names) {
        size_t distance = editDistance(lowered(given), lowered(name));
        // A prefix such as "uninstall" for "uninstall-record" is a likely meaning too.
        if (given.size() >= 4 && lowered(name).compare(0, given.size(), lowered(given)) == 0) distance = 1;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = name;
        }
    }
    return best;
}

std::string unknownNameProblem(const std::string& given, const std::vector<std::string>& names,
                               const std::string& expectation) {
    std::optional<std::string> near = nearestName(given, names);
    return "unknown name \"" + given + "\"" + (near ? " (did you mean \"" + *near + "\"?)" : std::string()) +
           "; expected " + expectation + " " + quotedNames(names);
}

std::string unknownNameProblem(const std::string& given, const std::vector<NamedValue>& table,
                               const std::string& expectation) {
    return unknownNameProblem(given, namesOf(table), expectation);
}

std::string quotedNames(const std::vector<NamedValue>& table) {
    std::vector<std::string> names;
    for (const NamedValue& v : table) names.push_back(v.name);
    return quotedNames(names);
}

}  // namespace build
