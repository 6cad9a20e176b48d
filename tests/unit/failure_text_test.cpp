#include <gtest/gtest.h>

#include "driver/failure_text.h"
#include "driver/run_settings.h"

namespace {

TEST(FailureText, UsageReportHasItsExactSpacing) {
    String text = usageReportText("Product name required", "setup.exe");
    EXPECT_STREQ(text.text(),
                 "Product name required\n\nUsage:\n"
                 "setup.exe [/a] [/d:\"dir\"] [/n:\"name\"] [/u:\"name\"] [/r:\"program\"]\n\n"
                 "/a                  \tAutomatic mode\n"
                 "/d:\"dir\"        \tOverride installation directory\n"
                 "/n:\"name\"\tOverride product name\n"
                 "/u:\"name\"\tUninstall product by name\r\n"
                 "/r:\"program\"\tRun the specified program after a successful installation");
}

TEST(FailureText, CorruptReportUsesTheLocalisedTextWhenThereIsOne) {
    String builtIn = corruptReportText("", 43);
    EXPECT_EQ(builtIn.find("This installation program is corrupt.  This is usually"), 0);
    EXPECT_NE(builtIn.find("viruses.\r\n\r\nError code: 43"), -1);
    EXPECT_EQ(builtIn.find("Error code: 43"), builtIn.length() - 14);

    EXPECT_STREQ(corruptReportText("Broken (%d)", 25).text(), "Broken (25)");
    EXPECT_STREQ(corruptReportText(nullptr, 9).text(), corruptReportText("", 9).text());
    // A localised text may carry more conversions than the one argument.
    EXPECT_STREQ(corruptReportText("%d %s %d", 7).text(), "7  0");
}

TEST(FailureText, ErrorMessageIsSilentInAutomaticModeUnlessAsked) {
    struct Case {
        const char* text;
        bool automatic;
        uint32_t high;
        bool shown;
    } cases[] = {
        {"Disk full", false, 0, true},
        {"Disk full", true, 0, false},
        {"Disk full", true, kHighShowErrorsInAutomaticMode, true},
        {" \r\n\t", false, 0, false},
        {"", false, 0, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(errorMessageShown(c.text, c.automatic, c.high), c.shown) << c.text;
    }
}

TEST(FailureText, FailureLinesAndOutOfMemory) {
    EXPECT_STREQ(failureLines("Failed", "C:\\x.dll", "Access is denied.").text(),
                 "Failed C:\\x.dll\r\nAccess is denied.\r\n");

    uint32_t words[10];
    for (int i = 0; i < 10; ++i) words[i] = 0x11223344u + i;
    String text = outOfMemoryText(4096, words, 10);
    EXPECT_STREQ(text.text(),
                 "Out Of Memory.  Make sure your hard drive is not full.\nRequested size = 4096 "
                 "(0x00001000)\n\nStack contents:"
                 "\r11223344 11223345 11223346 11223347 11223348 11223349 1122334A 1122334B"
                 "\r1122334C 1122334D");
}

}  // namespace
