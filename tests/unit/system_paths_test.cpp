#include <gtest/gtest.h>

#include <string>

#include "core/system_paths.h"

namespace {

std::string str(const String& s) { return std::string(s.text(), size_t(s.length())); }

SystemAnswers typicalAnswers() {
    SystemAnswers answers;
    answers.windowsDirectory = "C:\\WINDOWS";
    answers.modulePath = "d:\\Downloads\\setup.exe";
    answers.comspecExpanded = true;
    answers.comspec = "C:\\WINDOWS\\system32\\cmd.exe";
    answers.tempPath = "C:\\TEMP\\";
    return answers;
}

TEST(SystemPathsFill, DerivesEveryValueFromTheAnswers) {
    SystemPathsRecord paths;
    ASSERT_TRUE(fillSystemPaths(paths, typicalAnswers()));
    EXPECT_EQ(str(paths.windowsDirectory), "C:\\WINDOWS");
    EXPECT_EQ(str(paths.programPath), "d:\\Downloads\\setup.exe");
    EXPECT_EQ(str(paths.programFileName), "setup.exe");
    EXPECT_EQ(str(paths.programDirectory), "d:\\Downloads");
    EXPECT_EQ(paths.programDrive, 'D');
    EXPECT_EQ(str(paths.commandInterpreter), "C:\\WINDOWS\\system32\\cmd.exe");
    EXPECT_EQ(str(paths.tempDirectory), "C:\\TEMP");
}

TEST(SystemPathsFill, OnlyTheFirstFillCounts) {
    SystemPathsRecord paths;
    ASSERT_TRUE(fillSystemPaths(paths, typicalAnswers()));
    SystemAnswers other = typicalAnswers();
    other.windowsDirectory = "E:\\OTHER";
    other.modulePath = "E:\\x.exe";
    EXPECT_FALSE(fillSystemPaths(paths, other));
    EXPECT_EQ(str(paths.windowsDirectory), "C:\\WINDOWS");
    EXPECT_EQ(paths.programDrive, 'D');
}

TEST(SystemPathsFill, ProgramInTheRootAndWithoutDrive) {
    struct Case {
        const char* modulePath;
        const char* fileName;
        const char* directory;
        char drive;
    } cases[] = {
        {"C:\\setup.exe", "setup.exe", "C:\\", 'C'},
        {"\\\\server\\share\\setup.exe", "setup.exe", "\\\\server\\share", 0},
        {"1:\\setup.exe", "setup.exe", "1:\\", 0},
        {"", "", "", 0},
    };
    for (const Case& c : cases) {
        SystemAnswers answers = typicalAnswers();
        answers.modulePath = c.modulePath;
        SystemPathsRecord paths;
        fillSystemPaths(paths, answers);
        EXPECT_EQ(str(paths.programFileName), c.fileName) << c.modulePath;
        EXPECT_EQ(str(paths.programDirectory), c.directory) << c.modulePath;
        EXPECT_EQ(paths.programDrive, c.drive) << c.modulePath;
    }
}

TEST(SystemPathsRules, CommandInterpreterFallsBackAndIsQuotedWhenItHoldsBlanks) {
    struct Case {
        bool expanded;
        const char* expansion;
        const char* windowsDirectory;
        const char* interpreter;
    } cases[] = {
        {true, "C:\\WINDOWS\\COMMAND.COM", "C:\\WINDOWS", "C:\\WINDOWS\\COMMAND.COM"},
        {false, "C:\\x\\cmd.exe", "C:\\WINDOWS", "C:\\WINDOWS\\command.com"},
        {true, "", "C:\\WINDOWS", "C:\\WINDOWS\\command.com"},
        {true, " \r\n\t", "C:\\WINDOWS\\", "C:\\WINDOWS\\command.com"},
        {true, "C:\\Program Files\\cmd.exe", "C:\\WINDOWS", "\"C:\\Program Files\\cmd.exe\""},
        {true, "C:\\x\tcmd.exe", "C:\\WINDOWS", "\"C:\\x\tcmd.exe\""},
        {true, "C:\\cmd.exe\r\n", "C:\\WINDOWS", "\"C:\\cmd.exe\r\n\""},
        {false, "", "C:\\My Windows", "\"C:\\My Windows\\command.com\""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(str(commandInterpreterFrom(c.expanded, c.expansion, c.windowsDirectory)), c.interpreter)
            << c.expansion;
    }
}

TEST(SystemPathsRules, TempDirectoryLosesOneTrailingBackslash) {
    struct Case {
        const char* system;
        const char* directory;
    } cases[] = {
        {"C:\\TEMP\\", "C:\\TEMP"},
        {"C:\\TEMP", "C:\\TEMP"},
        {"C:\\TEMP\\\\", "C:\\TEMP\\"},
        {"", "c:\\temp"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(str(tempDirectoryFrom(c.system)), c.directory) << c.system;
    }
}

TEST(SystemPathsRules, ShortPathBufferIsTwiceTheLengthButAtLeast260) {
    EXPECT_EQ(shortPathBufferSize(0), 260);
    EXPECT_EQ(shortPathBufferSize(129), 260);
    EXPECT_EQ(shortPathBufferSize(130), 260);
    EXPECT_EQ(shortPathBufferSize(131), 262);
    EXPECT_EQ(shortPathBufferSize(1000), 2000);
    EXPECT_GT(shortPathBufferSize(0x7FFFFFFF), 0);
}

}  // namespace
