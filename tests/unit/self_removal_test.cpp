#include <gtest/gtest.h>

#include <string>

#include "uninstall/self_removal.h"

namespace {

std::string str(const String& s) { return std::string(s.text(), size_t(s.length())); }

const char* const kLoop =
    ":Repeat\r\n"
    "del \"C:\\Program Files\\Demo\\Uninstall\\unins.exe\"\r\n"
    "if not exist \"C:\\Program Files\\Demo\\Uninstall\\unins.exe\" goto Removed\r\n"
    "set TavoTry1=%TavoTry1%x\r\n"
    "if not \"%TavoTry1%\"==\"xxxxxxxxxx\" goto Repeat\r\n"
    "set TavoTry1=\r\n"
    "set TavoTry2=%TavoTry2%x\r\n"
    "if not \"%TavoTry2%\"==\"xxxxxxxxxx\" goto Repeat\r\n"
    "set TavoTry2=\r\n"
    "set TavoTry3=%TavoTry3%x\r\n"
    "if not \"%TavoTry3%\"==\"xxxxxxxxxx\" goto Repeat\r\n"
    "set TavoTry3=\r\n"
    "set TavoTry4=%TavoTry4%x\r\n"
    "if not \"%TavoTry4%\"==\"xxxxxxxxxx\" goto Repeat\r\n"
    "set TavoTry4=\r\n"
    ":Removed\r\n"
    "set TavoTry1=\r\n"
    "set TavoTry2=\r\n"
    "set TavoTry3=\r\n"
    "set TavoTry4=\r\n";

TEST(SelfRemovalBatch, BoundedLoopThenBothFoldersThenItself) {
    String text = selfRemovalBatchText(String("C:\\Program Files\\Demo\\Uninstall\\unins.exe"),
                                       String("C:\\Program Files\\Demo"), String("Uninstall"));
    EXPECT_EQ(str(text), std::string(kLoop) +
                             "rd \"C:\\Program Files\\Demo\\Uninstall\"\r\n"
                             "rd \"C:\\Program Files\\Demo\"\r\n"
                             "del \"c:\\delunins.bat\"\r\n");
}

TEST(SelfRemovalBatch, WithoutSubdirectoryOnlyTheInstallationFolder) {
    String text = selfRemovalBatchText(String("C:\\Program Files\\Demo\\Uninstall\\unins.exe"),
                                       String("C:\\Program Files\\Demo"), String());
    EXPECT_EQ(str(text), std::string(kLoop) +
                             "rd \"C:\\Program Files\\Demo\"\r\n"
                             "del \"c:\\delunins.bat\"\r\n");
}

// Runs the batch's counter as the interpreter would, with a program that is
// never deleted: the loop must end, after exactly 10^places attempts.
TEST(SelfRemovalBatch, CounterEndsAfterTenToThePlacesAttempts) {
    int counters[kSelfRemovalCountPlaces] = {};
    long attempts = 0;
    for (bool repeat = true; repeat;) {
        attempts++;
        repeat = false;
        for (int& place : counters) {
            if (++place != 10) {
                repeat = true;
                break;
            }
            place = 0;
        }
        ASSERT_LT(attempts, 1000000);
    }
    EXPECT_EQ(attempts, 10000);
    // The text holds one "goto Repeat" per place and no unconditional one.
    String text = selfRemovalBatchText(String("C:\\u.exe"), String("C:\\App"), String());
    EXPECT_EQ(text.removeAll("goto Repeat"), kSelfRemovalCountPlaces);
    EXPECT_EQ(text.removeAll("\ngoto"), 0);
    // A smaller bound has fewer places; one out of range falls back to the full bound.
    for (int32_t places : {1, 2, 3, 0, 5}) {
        String bounded = selfRemovalBatchText(String("C:\\u.exe"), String("C:\\App"), String(), places);
        int32_t expected = places >= 1 && places <= kSelfRemovalCountPlaces ? places : kSelfRemovalCountPlaces;
        EXPECT_EQ(bounded.removeAll("goto Repeat"), expected) << places;
    }
}

TEST(SelfRemovalCommand, InterpreterQuotedOnceHoweverItCame) {
    struct Case {
        const char* interpreter;
        const char* program;
        const char* commandLine;
    } cases[] = {
        {"C:\\WINDOWS\\system32\\cmd.exe", "C:\\WINDOWS\\system32\\cmd.exe",
         "\"C:\\WINDOWS\\system32\\cmd.exe\" /c c:\\delunins.bat"},
        {"\"C:\\My Windows\\system32\\cmd.exe\"", "C:\\My Windows\\system32\\cmd.exe",
         "\"C:\\My Windows\\system32\\cmd.exe\" /c c:\\delunins.bat"},
        {"C:\\WINDOWS\\COMMAND.COM", "C:\\WINDOWS\\COMMAND.COM", "\"C:\\WINDOWS\\COMMAND.COM\" /c c:\\delunins.bat"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(str(interpreterProgram(String(c.interpreter))), c.program);
        EXPECT_EQ(str(selfRemovalCommandLine(String(c.interpreter))), c.commandLine);
    }
}

}  // namespace
