#include <gtest/gtest.h>

#include <string>

#include "install/batch_text.h"
#include "install/directory_variables.h"

namespace {

std::string str(const String& s) { return std::string(s.text(), size_t(s.length())); }

// Every variable's value is its own name, so that a line shows which value it took.
struct Values {
    String values[DirectoryVariableCount];
    Values() {
        for (int32_t i = 0; i < DirectoryVariableCount; ++i) values[i] = directoryVariableName(i);
        values[DirInstallerDrive] = "D";
        values[DirBootDrive] = "C:";
    }
};

const char kSetLines[] =
    "SET SharedDir=%SharedDir%\r\n"
    "SET InstallerFilepath=%InstallerFilepath%\r\n"
    "SET InstallerDir=%InstallerDir%\r\n"
    "SET InstallerFilename=%InstallerFilename%\r\n"
    "SET InstallerDrive=D:\r\n"
    "SET SystemDir=%SystemDir%\r\n"
    "SET DeviceDir=%DeviceDir%\r\n"
    "SET MediaDir=%MediaDir%\r\n"
    "SET FavoritesDir=%FavoritesDir%\r\n"
    "SET FavoritesAllDir=%FavoritesAllDir%\r\n"
    "SET FontDir=%FontDir%\r\n"
    "SET DesktopDir=%DesktopDir%\r\n"
    "SET DesktopAllDir=%DesktopAllDir%\r\n"
    "SET DocumentDir=%DocumentDir%\r\n"
    "SET DocumentAllDir=%DocumentAllDir%\r\n"
    "SET ProgramsDir=%ProgramsDir%\r\n"
    "SET StartMenuDir=%StartMenuDir%\r\n"
    "SET StartMenuAllDir=%StartMenuAllDir%\r\n"
    "SET SMProgramsDir=%SMProgramsDir%\r\n"
    "SET SMProgramsAllDir=%SMProgramsAllDir%\r\n"
    "SET StartupDir=%StartupDir%\r\n"
    "SET StartupAllDir=%StartupAllDir%\r\n"
    "SET BootDrive=C:\r\n"
    "SET CommonDir=%CommonDir%\r\n";

TEST(BatchText, SetLinesInTheirOrderWithAndWithoutDirectory) {
    Values v;
    EXPECT_EQ(str(batchText("c:\\prog files\\x", v.values, "echo hi", false)),
              std::string("@echo off\r\nSET InstallDir=c:\\prog files\\x\r\nSET InstallDrive=C:\r\n") + kSetLines +
                  "echo hi");
    // No directory: no InstallDir and InstallDrive lines, the other 24 stay.
    EXPECT_EQ(str(batchText("", v.values, "echo hi\r\n", false)),
              std::string("@echo off\r\n") + kSetLines + "echo hi\r\n");
    // A UNC directory has no drive; an empty value is an empty assignment.
    v.values[DirInstallerDrive] = "";
    std::string text = str(batchText("\\\\srv\\share", v.values, "x", false));
    EXPECT_NE(text.find("SET InstallDrive=\r\n"), std::string::npos);
    EXPECT_NE(text.find("SET InstallerDrive=\r\nSET SystemDir"), std::string::npos);
}

TEST(BatchText, LineEndingsBecomeCrLf) {
    Values v;
    struct Case {
        const char* commands;
        const char* expected;
    } cases[] = {
        {"a\nb\n", "a\r\nb\r\n"},
        {"a\rb", "a\r\nb"},
        {"a\n\rb\r\n", "a\r\nb\r\n"},
        {"a\r\n\r\nb", "a\r\n\r\nb"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(str(batchText("", v.values, c.commands, false)), std::string("@echo off\r\n") + kSetLines + c.expected)
            << c.commands;
    }
}

TEST(BatchText, PauseLinesDroppedOnlyWhenAsked) {
    struct Case {
        const char* commands;
        const char* kept;
    } cases[] = {
        {"echo 1\nPAUSE\necho 2", "echo 1\r\necho 2\r\n"},
        {"pause", ""},
        {"  @ Pause \t\r\nx", "x\r\n"},
        {"@pause\n\rx\ry", "x\r\ny\r\n"},
        {"PAUSE >NUL\nREM PAUSE\nPAUSED\n@@pause", "PAUSE >NUL\r\nREM PAUSE\r\nPAUSED\r\n@@pause\r\n"},
        {"  keep  \n\nx", "  keep  \r\n\r\nx\r\n"},  // kept lines are not trimmed; empty lines stay
    };
    for (const Case& c : cases) EXPECT_EQ(str(withoutPauseLines(c.commands)), c.kept) << c.commands;

    Values v;
    EXPECT_EQ(str(batchText("", v.values, "pause\n", false)), std::string("@echo off\r\n") + kSetLines + "pause\r\n");
    EXPECT_EQ(str(batchText("", v.values, "pause\n", true)), std::string("@echo off\r\n") + kSetLines);
}

TEST(BatchText, CommandLineQuotesTheBatchPath) {
    EXPECT_EQ(str(batchCommandLine("C:\\WINDOWS\\system32\\cmd.exe", "C:\\Program Files\\X\\TAVOBAT.BAT")),
              "C:\\WINDOWS\\system32\\cmd.exe /e:5000 /c \"C:\\Program Files\\X\\TAVOBAT.BAT\"");
    EXPECT_EQ(str(batchCommandLine("\"C:\\my os\\command.com\"", "TAVOBAT.BAT")),
              "\"C:\\my os\\command.com\" /e:5000 /c \"TAVOBAT.BAT\"");
}

TEST(BatchPathLine, AddsOnce) {
    String line = pathLineFor("C:\\PROGRA~1\\X");
    EXPECT_EQ(str(line), "PATH=%PATH%;C:\\PROGRA~1\\X\r\n");
    struct Case {
        const char* text;
        const char* addition;
    } cases[] = {
        {"", "\r\nPATH=%PATH%;C:\\PROGRA~1\\X\r\n"},  // a new file starts with an empty line
        {"@echo off\r\n", "PATH=%PATH%;C:\\PROGRA~1\\X\r\n"},
        {"@echo off\n", "PATH=%PATH%;C:\\PROGRA~1\\X\r\n"},
        {"@echo off", "\r\nPATH=%PATH%;C:\\PROGRA~1\\X\r\n"},
        {"@echo off\r", "\r\nPATH=%PATH%;C:\\PROGRA~1\\X\r\n"},
        {"x\r\npath=%path%;c:\\progra~1\\x\r\n", ""},
        {"x\r\nPATH=%PATH%;C:\\PROGRA~1\\X", "\r\nPATH=%PATH%;C:\\PROGRA~1\\X\r\n"},  // no line break: not the line
    };
    for (const Case& c : cases) EXPECT_EQ(str(pathLineAddition(c.text, line)), c.addition) << c.text;

    String text("rem\r\n");
    text += pathLineAddition(text, line);
    text += pathLineAddition(text, line);
    EXPECT_EQ(str(text), "rem\r\nPATH=%PATH%;C:\\PROGRA~1\\X\r\n");
}

TEST(BatchPathLine, RemovesTheFirstOccurrence) {
    String line = pathLineFor("C:\\X");
    struct Case {
        const char* before;
        bool removed;
        const char* after;
    } cases[] = {
        {"a\r\nPATH=%PATH%;C:\\X\r\nb\r\n", true, "a\r\nb\r\n"},
        {"a\r\npath=%path%;c:\\x\r\n", true, "a\r\n"},
        {"PATH=%PATH%;C:\\X\r\nPATH=%PATH%;C:\\X\r\n", true, "PATH=%PATH%;C:\\X\r\n"},
        {"a\r\nPATH=%PATH%;C:\\X", true, "a\r\n"},  // last line without a line break
        {"a\r\nPATH=%PATH%;C:\\Y\r\n", false, "a\r\nPATH=%PATH%;C:\\Y\r\n"},
        {"", false, ""},
    };
    for (const Case& c : cases) {
        String text(c.before);
        EXPECT_EQ(removePathLine(text, line), c.removed) << c.before;
        EXPECT_EQ(str(text), c.after) << c.before;
    }
}

TEST(BatchPathLine, FailureText) {
    EXPECT_EQ(str(modifyPathFailureText("C:\\autoexec.bat", true, "C:\\Program Files\\X")),
              "Unable to modify C:\\autoexec.bat.  You will need to manually add C:\\Program Files\\X to the PATH "
              "environment variable.\r\n\r\n");
    EXPECT_EQ(str(modifyPathFailureText("C:\\autoexec.bat", false, "C:\\X")),
              "Unable to modify C:\\autoexec.bat.  You will need to manually remove C:\\X from the PATH "
              "environment variable.\r\n\r\n");
}

}  // namespace
