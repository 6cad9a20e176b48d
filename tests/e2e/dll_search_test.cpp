// An installer started from a downloads folder in which someone planted
// libraries under the names of the system libraries the installer binds by
// name at run time: none of them may be loaded, and the installation goes
// through as usual with the system's own libraries.
//
// Wine prefers its built-in libraries, which would hide a search of the
// installer's folder; the prefix therefore tells the installer to prefer a
// native copy of libraries that Windows does not keep in its list of known
// system libraries, as Windows itself would. Not of version.dll: Wine's own
// user32 imports it, so the copy beside the installer would be taken while
// the process starts, before any of the installer's code runs (on Windows
// no known system library imports it).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "payload/format.h"
#include "tests/e2e/installer_factory.h"
#include "tests/e2e/test_support.h"
#include "tests/e2e/wine_prefix.h"

namespace {

namespace fs = std::filesystem;
using e2e::Bytes;

const char kDownloads[] = "C:\\users\\Public\\Downloads";
const char kInstallDir[] = "C:\\Widget";
const char kSystemDir[] = "C:\\windows\\system32";

// Every library the installer binds by name at run time.
const std::vector<std::string> kBoundLibraries = {"shell32",  "oleaut32", "msimg32", "advapi32",
                                                  "kernel32", "version",  "comctl32"};
// Those that are no known system library (version.dll aside, see above): a
// search by name would find the planted copy in the installer's folder first.
const std::vector<std::string> kNativeFirst = {"msimg32", "comctl32"};

std::string setting(const char* name, const char* builtIn) {
    const char* value = std::getenv(name);
    return value && *value ? value : builtIn;
}

std::string plantedLibrary() { return setting("TAVO_E2E_PLANTED_LIBRARY_DLL", TAVO_E2E_PLANTED_LIBRARY_DLL); }
std::string fixtureDll(const std::string& name) {
    return setting("TAVO_E2E_FIXTURE_DIR", TAVO_E2E_FIXTURE_DIR) + "/" + name;
}

// The markers the planted libraries left: their file names.
std::vector<std::string> markersIn(const std::string& folder) {
    std::vector<std::string> markers;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error))
        if (entry.path().extension() == ".loaded") markers.push_back(entry.path().filename().string());
    return markers;
}

TEST(DllSearch, LibrariesPlantedBesideTheInstallerAreNeverLoaded) {
    ASSERT_TRUE(fs::exists(e2e::robotExe())) << "build the x64 tree: " << e2e::robotExe();
    ASSERT_TRUE(fs::exists(plantedLibrary())) << plantedLibrary();
    const Bytes v19 = e2e::readBytes(fixtureDll("version_fixture_1_9.dll"));
    const Bytes v20 = e2e::readBytes(fixtureDll("version_fixture_2_0.dll"));
    ASSERT_FALSE(v19.empty()) << fixtureDll("version_fixture_1_9.dll");
    ASSERT_FALSE(v20.empty()) << fixtureDll("version_fixture_2_0.dll");
    e2e::WinePrefix prefix;
    ASSERT_TRUE(prefix.ok());

    for (const std::string& name : kNativeFirst) {
        e2e::ProcessResult added = prefix.wine({"reg", "add", "HKCU\\Software\\Wine\\AppDefaults\\setup.exe\\DllOverrides",
                                                "/v", name, "/d", "native,builtin", "/f"});
        ASSERT_EQ(added.exitCode, 0) << added.output;
    }
    for (const std::string& name : kBoundLibraries)
        ASSERT_TRUE(prefix.copyIn(plantedLibrary(), std::string(kDownloads) + "\\" + name + ".dll")) << name;

    // The background window paints its gradient (msimg32), the progress
    // dialog needs the common controls (comctl32), and the newer version of
    // a system file already in place is read (version) and kept.
    build::Installer installer = e2e::sampleInstaller();
    installer.settings.flagsLow &= ~payload::flag::NoBackgroundWindow.bit;
    build::FileEntry system;
    system.name = "tavo_planted_k8.dll";
    system.kind = 8;
    system.body = v19;
    system.firstText = "1.9";
    system.modified = {2021, 1, 1, 0, 0, 0};
    installer.files.push_back(system);
    const std::string systemFile = prefix.unixPath(std::string(kSystemDir) + "\\tavo_planted_k8.dll");
    ASSERT_TRUE(e2e::writeBytes(systemFile, v20));

    e2e::InstallerImage image = e2e::makeInstaller(installer);
    ASSERT_EQ(image.error, "");
    const std::string setup = std::string(kDownloads) + "\\setup.exe";
    ASSERT_TRUE(e2e::writeBytes(prefix.unixPath(setup), image.bytes));

    e2e::RobotRun run = prefix.runRobot(setup + " /a /d:\"" + kInstallDir + "\"", e2e::kQuietScript);
    e2e::expectEndedByItself(run);
    EXPECT_EQ(e2e::messageBoxes(run).size(), 0u) << run.describe();
    EXPECT_EQ(e2e::readText(prefix.unixPath(std::string(kInstallDir) + "\\readme.txt")), "Hello\r\n");
    EXPECT_EQ(e2e::readBytes(systemFile), v20) << "the installed version was not read";
    EXPECT_EQ(markersIn(prefix.unixPath(kDownloads)), std::vector<std::string>{}) << run.describe();
}

}  // namespace
