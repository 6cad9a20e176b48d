#include <gtest/gtest.h>

#include <map>
#include <string>

#include "install/directory_variables.h"

namespace {

std::string str(const String& s) { return std::string(s.text(), size_t(s.length())); }

// Answers from tables; anything not listed is missing. Counts the shell
// queries so that the order of the chains shows.
class FakeSource : public DirectorySource {
public:
    FakeSource() {
        record.windowsDirectory = "C:\\WINDOWS";
        record.programPath = "d:\\setup\\setup.exe";
        record.programFileName = "setup.exe";
        record.programDirectory = "d:\\setup";
        record.programDrive = 'D';
        record.tempDirectory = "C:\\TEMP";
        paths = &record;
        installDir = "C:\\Program Files\\App";
        sharedDir = "C:\\Program Files\\Common Files\\Maker";
        system = "C:\\WINDOWS\\system32";
    }
    String shellFolderValue(const char* name, bool allUsers) override {
        registryReads++;
        auto& table = allUsers ? machineFolders : userFolders;
        auto found = table.find(name);
        return found == table.end() ? String() : String(found->second.c_str());
    }
    String currentVersionValue(const char* name) override {
        registryReads++;
        auto found = currentVersion.find(name);
        return found == currentVersion.end() ? String() : String(found->second.c_str());
    }
    String bootDirValue() override {
        registryReads++;
        return String(bootDir.c_str());
    }
    String shellFolderPath(int32_t csidl) override {
        shellQueries++;
        auto found = shell.find(csidl);
        return found == shell.end() ? String() : String(found->second.c_str());
    }
    String systemDirectory() override { return String(system.c_str()); }
    bool expandSystemRoot(String& expansion) override {
        expansion = systemRoot.c_str();
        return systemRootExpands;
    }
    bool isNtFamily() override { return nt; }

    SystemPathsRecord record;
    std::map<std::string, std::string> userFolders, machineFolders, currentVersion;
    std::map<int, std::string> shell;
    std::string bootDir, system, systemRoot = "C:\\WINDOWS";
    bool systemRootExpands = true, nt = true;
    int shellQueries = 0;
    int registryReads = 0;
};

std::string valueOf(FakeSource& source, DirectoryVariable variable) {
    DirectoryResolver resolver(source);
    return str(resolver.value(variable));
}

std::string expanded(FakeSource& source, const char* text) {
    DirectoryResolver resolver(source);
    String s(text);
    resolver.expand(s);
    return str(s);
}

// Only what the text names is looked up; a value that brings in a later
// variable's name still gets that one looked up and replaced.
TEST(DirectoryVariables, ExpansionLooksUpOnlyTheNamedVariables) {
    struct Case {
        const char* text;
        const char* result;
        int registryReads;
    };
    const Case cases[] = {
        {"%InstallDir%\\bin\\", "C:\\Program Files\\App\\bin\\", 0},
        {"plain.txt", "plain.txt", 0},
        {"%Temp%\\%WinDir%", "C:\\TEMP\\C:\\WINDOWS", 0},
        {"%BootDrive%\\x", "C:\\x", 1},
        // The user's desktop is the fallback of the all-users one.
        {"%DesktopAllDir%", "C:\\WINDOWS\\Desktop", 2},
    };
    for (const Case& c : cases) {
        FakeSource source;
        EXPECT_EQ(expanded(source, c.text), c.result) << c.text;
        EXPECT_EQ(source.registryReads, c.registryReads) << c.text;
    }
    FakeSource source;
    source.installDir = "%MediaDir%\\App";
    EXPECT_EQ(expanded(source, "%installdir%"), "C:\\WINDOWS\\Media\\App");
    EXPECT_EQ(source.registryReads, 1);
    EXPECT_EQ(source.shellQueries, 0);
}

TEST(DirectoryVariables, NamesInTheirOrder) {
    EXPECT_STREQ(directoryVariableName(DirBootDrive), "%BootDrive%");
    EXPECT_STREQ(directoryVariableName(DirInstallerFilepath), "%InstallerFilepath%");
    EXPECT_STREQ(directoryVariableName(DirSMProgramsAll), "%SMProgramsAllDir%");
    EXPECT_STREQ(directoryVariableName(DirWin), "%WinDir%");
    EXPECT_EQ(int(DirectoryVariableCount), 28);
    EXPECT_EQ(directoryVariableName(DirectoryVariableCount), nullptr);
    EXPECT_EQ(directoryVariableName(-1), nullptr);
}

TEST(DirectoryVariables, ReplacementIgnoresCaseAndReplacesEveryOccurrence) {
    FakeSource source;
    EXPECT_EQ(expanded(source, "%installdir%\\bin"), "C:\\Program Files\\App\\bin");
    EXPECT_EQ(expanded(source, "%INSTALLDIR%\\bin"), "C:\\Program Files\\App\\bin");
    EXPECT_EQ(expanded(source, "%Temp%;%temp%"), "C:\\TEMP;C:\\TEMP");
    EXPECT_EQ(expanded(source, "%Other%\\%WinDir"), "%Other%\\%WinDir");
}

TEST(DirectoryVariables, OnePassInTableOrder) {
    // A value holding a later variable is expanded by that later step; one
    // holding an earlier variable is not.
    FakeSource source;
    source.installDir = "%WinDir%\\App";
    source.sharedDir = "%BootDrive%\\Shared";
    EXPECT_EQ(expanded(source, "%InstallDir%"), "C:\\WINDOWS\\App");
    EXPECT_EQ(expanded(source, "%SharedDir%"), "%BootDrive%\\Shared");
    // A value holding its own variable is not searched again.
    source.installDir = "%InstallDir%x";
    EXPECT_EQ(expanded(source, "%InstallDir%"), "%InstallDir%x");
}

TEST(DirectoryVariables, RunAndInstallerValues) {
    FakeSource source;
    EXPECT_EQ(expanded(source, "%InstallerDir%|%InstallerDrive%|%InstallerFilename%|%InstallerFilepath%"),
              "d:\\setup|D|setup.exe|d:\\setup\\setup.exe");
    EXPECT_EQ(valueOf(source, DirInstallDrive), "C:");
    source.installDir = "\\\\server\\share\\app";
    EXPECT_EQ(valueOf(source, DirInstallDrive), "");
    source.installDir = "e:\\x";
    EXPECT_EQ(valueOf(source, DirInstallDrive), "E:");
    source.record.programDrive = 0;
    EXPECT_EQ(valueOf(source, DirInstallerDrive), "");
    EXPECT_EQ(valueOf(source, DirTemp), "C:\\TEMP");
    EXPECT_EQ(valueOf(source, DirWin), "C:\\WINDOWS");
}

TEST(DirectoryVariables, BootDriveFromTheSetupValue) {
    struct Case {
        const char* bootDir;
        const char* drive;
    } cases[] = {{"C:\\", "C:"}, {"d:\\", "D:"}, {"", "C:"}, {"1:\\", "C:"}, {"E", "C:"}, {"\\\\x", "C:"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bootDir);
        FakeSource source;
        source.bootDir = c.bootDir;
        EXPECT_EQ(valueOf(source, DirBootDrive), c.drive);
    }
}

TEST(DirectoryVariables, RegistryValuesLoseOneTrailingBackslashUnlessARoot) {
    FakeSource source;
    source.userFolders["Desktop"] = "D:\\Data\\Desktop\\";
    source.userFolders["Fonts"] = "D:\\";
    source.currentVersion["ProgramFilesDir"] = "E:\\Programs\\\\";
    EXPECT_EQ(valueOf(source, DirDesktop), "D:\\Data\\Desktop");
    EXPECT_EQ(valueOf(source, DirFont), "D:\\");
    EXPECT_EQ(valueOf(source, DirPrograms), "E:\\Programs\\");
    // Shell answers are taken as they stand.
    source.shell[0x14] = "F:\\Fonts\\";
    source.userFolders.erase("Fonts");
    EXPECT_EQ(valueOf(source, DirFont), "F:\\Fonts\\");
}

TEST(DirectoryVariables, ChainsTakeRegistryThenShellThenFallback) {
    FakeSource source;
    source.shell[0x10] = "C:\\Shell\\Desktop";
    source.userFolders["Desktop"] = "C:\\Reg\\Desktop";
    EXPECT_EQ(valueOf(source, DirDesktop), "C:\\Reg\\Desktop");
    EXPECT_EQ(source.shellQueries, 0);
    source.userFolders.erase("Desktop");
    EXPECT_EQ(valueOf(source, DirDesktop), "C:\\Shell\\Desktop");
    source.shell.clear();
    EXPECT_EQ(valueOf(source, DirDesktop), "C:\\WINDOWS\\Desktop");

    // All-users folders are read from the machine and fall back to the user's.
    source.userFolders["Desktop"] = "C:\\User\\Desktop";
    EXPECT_EQ(valueOf(source, DirDesktopAll), "C:\\User\\Desktop");
    source.userFolders["Common Desktop"] = "C:\\Wrong";
    EXPECT_EQ(valueOf(source, DirDesktopAll), "C:\\User\\Desktop");
    source.machineFolders["Common Desktop"] = "C:\\All\\Desktop";
    EXPECT_EQ(valueOf(source, DirDesktopAll), "C:\\All\\Desktop");
}

TEST(DirectoryVariables, EveryFallbackWhenNothingAnswers) {
    FakeSource source;
    source.system = "";
    std::map<DirectoryVariable, std::string> expected = {
        {DirBootDrive, "C:"},
        {DirCommon, "c:\\Program Files\\Common Files"},
        {DirPrograms, "c:\\Program Files"},
        {DirSystem, "C:\\WINDOWS\\System32"},
        {DirDevice, "C:\\WINDOWS\\INF"},
        {DirMedia, "C:\\WINDOWS\\Media"},
        {DirFavorites, "C:\\WINDOWS\\Favorites"},
        {DirFavoritesAll, "C:\\WINDOWS\\Favorites"},
        {DirFont, "C:\\WINDOWS\\Fonts"},
        {DirDesktop, "C:\\WINDOWS\\Desktop"},
        {DirDesktopAll, "C:\\WINDOWS\\Desktop"},
        {DirDocument, "c:\\My Documents"},
        {DirDocumentAll, "c:\\My Documents"},
        {DirStartMenu, "C:\\WINDOWS\\Start Menu"},
        {DirStartMenuAll, "C:\\WINDOWS\\Start Menu"},
        {DirSMPrograms, "C:\\WINDOWS\\Start Menu\\Programs"},
        {DirSMProgramsAll, "C:\\WINDOWS\\Start Menu\\Programs"},
        {DirStartup, "C:\\WINDOWS\\Start Menu\\Programs\\StartUp"},
        {DirStartupAll, "C:\\WINDOWS\\Start Menu\\Programs\\StartUp"},
    };
    for (const auto& [variable, value] : expected) {
        SCOPED_TRACE(directoryVariableName(variable));
        EXPECT_EQ(valueOf(source, variable), value);
    }
    source.nt = false;
    EXPECT_EQ(valueOf(source, DirSystem), "C:\\WINDOWS\\System");
}

TEST(DirectoryVariables, FallbacksBuildOnTheFoundValuesOfOtherFolders) {
    FakeSource source;
    source.currentVersion["ProgramFilesDir"] = "D:\\Progs";
    source.shell[0x0B] = "D:\\Menu";
    EXPECT_EQ(valueOf(source, DirCommon), "D:\\Progs\\Common Files");
    EXPECT_EQ(valueOf(source, DirStartupAll), "D:\\Menu\\Programs\\StartUp");
}

TEST(DirectoryVariables, DeviceDirExpandsItsFirstSystemRoot) {
    FakeSource source;
    source.currentVersion["DevicePath"] = "%SystemRoot%\\inf;D:\\drivers";
    EXPECT_EQ(valueOf(source, DirDevice), "C:\\WINDOWS\\inf;D:\\drivers");
    source.currentVersion["DevicePath"] = "%systemroot%\\inf;%SystemRoot%\\x";
    EXPECT_EQ(valueOf(source, DirDevice), "C:\\WINDOWS\\inf;%SystemRoot%\\x");
    source.systemRootExpands = false;
    EXPECT_EQ(valueOf(source, DirDevice), "%systemroot%\\inf;%SystemRoot%\\x");
    source.systemRootExpands = true;
    source.systemRoot = "";
    EXPECT_EQ(valueOf(source, DirDevice), "%systemroot%\\inf;%SystemRoot%\\x");
}

}  // namespace
