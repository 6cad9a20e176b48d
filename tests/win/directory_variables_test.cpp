// The directory variables as a Wine prefix answers them.
#include <gtest/gtest.h>

#include <string>

#include "core/file_system.h"
#include "core/system_paths.h"
#include "install/directory_variables.h"
#include "win_test_support.h"

extern String InstallDir;

using namespace wintest;

namespace {

class DirectoryVariablesTest : public testing::Test {
protected:
    void SetUp() override {
        InstallDir = "C:\\Program Files\\Tavo Test";
        SharedDir = "C:\\Program Files\\Common Files\\Tavo";
    }
    void TearDown() override {
        InstallDir = String();
        SharedDir = String();
    }
};

// Every value on this system; the folders the system has must exist.
TEST_F(DirectoryVariablesTest, EveryVariableHasAValueAndTheSystemFoldersExist) {
    const DirectoryVariable mayBeMissing[] = {DirInstall, DirShared, DirMedia};
    for (int32_t v = 0; v < DirectoryVariableCount; v++) {
        DirectoryVariable variable = DirectoryVariable(v);
        String value = DirectoryValue(variable);
        SCOPED_TRACE(std::string(directoryVariableName(v)) + " = " + str(value));
        RecordProperty(directoryVariableName(v), str(value));  // in --gtest_output=xml
        EXPECT_FALSE(value.isEmpty());
        bool isPath = variable != DirBootDrive && variable != DirInstallDrive && variable != DirInstallerDrive &&
                      variable != DirInstallerFilename && variable != DirInstallerFilepath;
        bool required = true;
        for (DirectoryVariable optional : mayBeMissing) required = required && optional != variable;
        if (isPath && required) {
            EXPECT_TRUE(directoryExists(value));
        }
    }
}

TEST_F(DirectoryVariablesTest, ExpandingUsesTheRunWideValues) {
    String line("%InstallDir%\\bin;%WINDIR%;%temp%\\x;%InstallDrive%;%BootDrive%;%Unknown%");
    ExpandDirectoryVariables(line);
    EXPECT_EQ(str(line), "C:\\Program Files\\Tavo Test\\bin;" + str(SystemPaths.windowsDirectory) + ";" +
                             str(SystemPaths.tempDirectory) + "\\x;C:;C:;%Unknown%");
    String installer("%InstallerFilepath%|%InstallerDir%\\%InstallerFilename%");
    ExpandDirectoryVariables(installer);
    std::string self = selfPath();
    EXPECT_EQ(lowerCase(str(installer)), lowerCase(self + "|" + self));
}

TEST_F(DirectoryVariablesTest, TheShellAnswersFolderQueries) {
    const int32_t csidlWindows = 0x24, csidlFonts = 0x14, csidlNoSuchFolder = 0x7F;
    EXPECT_EQ(lowerCase(str(SpecialFolderFromShell(csidlWindows))), lowerCase(str(SystemPaths.windowsDirectory)));
    EXPECT_TRUE(directoryExists(SpecialFolderFromShell(csidlFonts)));
    EXPECT_EQ(str(SpecialFolderFromShell(csidlNoSuchFolder)), "");
    EXPECT_TRUE(ShellChangeNotify(0x08000000, 0, nullptr, nullptr));  // SHCNE_ASSOCCHANGED
}

}  // namespace
