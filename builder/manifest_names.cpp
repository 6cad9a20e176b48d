#include "builder/manifest_names.h"

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

std::string quotedNames(const std::vector<NamedValue>& table) {
    std::vector<std::string> names;
    for (const NamedValue& v : table) names.push_back(v.name);
    return quotedNames(names);
}

}  // namespace build
