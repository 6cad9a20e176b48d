#include <gtest/gtest.h>

#include <string>

#include "install/components.h"

namespace {

std::string str(const String& s) { return std::string(s.text(), size_t(s.length())); }

TEST(Components, LogLines) {
    EXPECT_EQ(str(comServerLogStart("C:\\S\\a.dll")), "Registering COM File \"C:\\S\\a.dll\"...");
    EXPECT_EQ(str(typeLibraryLogStart("C:\\S\\a.tlb")), "Registering Type Library \"C:\\S\\a.tlb\"...");
    struct Case {
        const char* systemText;
        const char* end;
    } cases[] = {
        {"Access is denied.\r\n", "FAILED\r\nAccess is denied.\r\n"},
        {"Access is denied.", "FAILED\r\nAccess is denied.\r\n"},
        {"Odd.\n", "FAILED\r\nOdd.\n"},
        {"Odd.\r", "FAILED\r\nOdd.\r"},
        {"", "FAILED\r\n\r\n"},  // an unknown error still ends its line
    };
    for (const Case& c : cases) EXPECT_EQ(str(typeLibraryFailureEnd(c.systemText)), c.end) << c.systemText;
}

}  // namespace
