// The readable names a manifest uses for numeric payload values, in both
// directions: the manifest reader looks names up, `inspect` prints them.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "payload/format.h"

namespace build {

// A name and the number it stands for.
struct NamedValue {
    const char* name;
    uint32_t value;
};

// ProductFlags, by the names of TAVO_PRODUCT_FLAGS.
std::optional<payload::FlagBit> productFlagByName(const std::string& name);
std::vector<std::string> productFlagNames();
// Names of the bits set in the two halves; bits without a name appear as
// "low:0x..." or "high:0x...".
std::vector<std::string> productFlagNamesOf(uint32_t low, uint32_t high);

// Small tables: FileEntry kinds, existence rules, file attributes, excluded
// systems, deletion conditions, uninstall value types.
const std::vector<NamedValue>& fileKinds();
const std::vector<NamedValue>& existenceRules();
const std::vector<NamedValue>& fileAttributes();
const std::vector<NamedValue>& excludedSystems();
const std::vector<NamedValue>& deletionConditions();
const std::vector<NamedValue>& uninstallValueTypes();

std::optional<uint32_t> valueByName(const std::vector<NamedValue>& table, const std::string& name);
// The name of `value`, or the number in decimal when the table has none.
std::string nameOfValue(const std::vector<NamedValue>& table, uint32_t value);
// The names of the bits of `mask` (tables of single bits); unnamed bits in hex.
std::vector<std::string> namesOfBits(const std::vector<NamedValue>& table, uint32_t mask);
// "a", "b", "c" for error messages.
std::string quotedNames(const std::vector<NamedValue>& table);
std::string quotedNames(const std::vector<std::string>& names);
// "0, 1, 4" for error messages.
std::string numbersOf(const std::vector<NamedValue>& table);

// The name of `names` closest to a mistyped `given` (a few letters off, or
// the same but for case), if any is close enough to be a likely meaning.
std::optional<std::string> nearestName(const std::string& given, const std::vector<std::string>& names);
// "unknown name "x" (did you mean "y"?); expected <expectation> "a", "b"".
std::string unknownNameProblem(const std::string& given, const std::vector<std::string>& names,
                               const std::string& expectation);
std::string unknownNameProblem(const std::string& given, const std::vector<NamedValue>& table,
                               const std::string& expectation);

}  // namespace build
