// The built-in English texts: every id the installer looks up has one, and
// texts used as formats carry exactly the conversions their callers pass.
#include <gtest/gtest.h>

#include <string.h>

#include <map>
#include <set>
#include <string>

#include "builder/default_strings.h"

namespace {

// The conversion letters of a format, in order ("%%" is not one).
std::string conversions(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') continue;
        ++i;
        while (i < text.size() && strchr("-+ #0123456789.lhI", text[i])) ++i;
        if (i < text.size() && text[i] != '%') out += text[i];
    }
    return out;
}

TEST(BuilderDefaultStrings, EachFormatTakesExactlyItsArguments) {
    // id -> conversions its caller supplies; every other id takes none.
    const std::map<int, std::string> formats = {
        {10, "s"}, {12, "s"}, {13, "d"}, {16, "c"}, {18, "s"}, {19, "scs"}, {22, "s"}, {23, "s"},
        {26, "dc"}, {38, "s"}, {40, "s"}, {56, "s"}, {59, "s"}, {61, "s"},
    };
    for (int id = 0; id < build::kDefaultStringCount; ++id) {
        auto it = formats.find(id);
        EXPECT_EQ(it == formats.end() ? "" : it->second, conversions(build::defaultString(id))) << "string " << id;
    }
}

TEST(BuilderDefaultStrings, EveryUsedIdHasAText) {
    // Unused ids, and the texts shown before the product's own licence and
    // readme (blank ones are skipped), may be empty.
    const std::set<int> mayBeEmpty = {1, 60, 63, 64, 65};
    for (int id = 0; id < build::kDefaultStringCount; ++id) {
        std::string text = build::defaultString(id);
        if (!mayBeEmpty.count(id)) EXPECT_FALSE(text.empty()) << "string " << id;
        // Lines starting with "~" would end the text inside Uninstall.DAT; bare LFs
        // would show as boxes in message boxes.
        EXPECT_EQ(std::string::npos, text.find("\n~")) << "string " << id;
        for (size_t i = 0; i < text.size(); ++i)
            if (text[i] == '\n') EXPECT_TRUE(i > 0 && text[i - 1] == '\r') << "string " << id;
    }
    EXPECT_EQ(size_t(build::kDefaultStringCount), build::defaultStringTable().size());
    EXPECT_STREQ("", build::defaultString(build::kDefaultStringCount));
}

}  // namespace
