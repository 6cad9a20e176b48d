// Payload faults that the stub only meets once the installation has begun:
// in the data region (read from volumes, checked, unpacked) and in the
// catalogue and the deletion list. Each ends the run with the numbered report
// in the payload's words, and nothing is written before it but the folders
// that the installation makes before it reads its data: the installation
// folder, before the data region, and the uninstall folder, after it.
//
// The faults the header and the settings block can hold are payload_test's.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "builder/build_installer.h"
#include "builder/installer_model.h"
#include "core/bytes.h"
#include "core/checksum.h"
#include "payload/format.h"
#include "tests/e2e/installer_factory.h"
#include "tests/e2e/test_support.h"
#include "tests/e2e/wine_prefix.h"

namespace {

namespace fs = std::filesystem;
namespace flag = payload::flag;
using Bytes = std::vector<uint8_t>;
using e2e::noise;
using e2e::payloadOffset;

// Applies `damage` to the stored data region of an installer that holds it
// wholly in its section, and stores the checksum of the damaged bytes, so
// that only the region's content is wrong.
void damageRegion(Bytes& image, const std::function<void(uint8_t* region)>& damage) {
  size_t section = payloadOffset(image);
  uint32_t fileCount = readLE32(&image.at(section + e2e::header::kFileCount));
  uint32_t settingsSize = readLE32(&image.at(section + e2e::header::kSettingsSize));
  uint32_t dataLength = readLE32(&image.at(section + e2e::header::kDataLength));
  size_t start = section + e2e::header::kFileSizes + 4 * fileCount + settingsSize;
  image.at(start + dataLength - 1);
  damage(&image[start]);
  writeLE32(&image[section + e2e::header::kDataChecksum], payloadChecksum(&image[start], dataLength));
}

// How far a run gets before its fault, which decides the folders made by then.
enum class Stage { DataRegion, Catalogue };

struct Case {
  const char* what;
  std::function<void(build::Installer&)> configure;
  std::function<void(build::InstallerFiles&)> damage;
  int code;
  Stage stage;
};

TEST(CorruptPayload, LateFaultsAreReportedByNumberAndWriteOnlyTheEarlyFolders) {
  ASSERT_TRUE(fs::exists(e2e::robotExe())) << "build the x64 tree: " << e2e::robotExe();
  ASSERT_TRUE(fs::exists(e2e::stubExe(true))) << "stub not built: " << e2e::stubExe(true);
  e2e::WinePrefix prefix;
  ASSERT_TRUE(prefix.ok());
  // A file the deletion list names; it must survive the run that stops there.
  const std::string kept = "C:\\kept\\old.txt";
  ASSERT_TRUE(e2e::writeBytes(prefix.unixPath(kept), e2e::bytesOf("old")));

  auto inVolumes = [](build::Installer& i) {
    i.layout.volumeSize = 4000;
    i.files.push_back(i.files[0]);
    i.files.back().name = "big.bin";
    i.files.back().body = noise(5000, 31);
  };
  const std::vector<Case> cases = {
      {"a volume longer than the rest of the region", inVolumes,
       [](build::InstallerFiles& f) { f.volumes.back().resize(f.volumes.back().size() + 16, 0); }, 50,
       Stage::DataRegion},
      {"data checksum differs", nullptr,
       [](build::InstallerFiles& f) {
         size_t at = payloadOffset(f.installer) + e2e::header::kDataChecksum;
         writeLE32(&f.installer.at(at), readLE32(&f.installer.at(at)) + 1);
       },
       55, Stage::DataRegion},
      {"packed region that does not unpack", [](build::Installer& i) { i.settings.flagsLow |= flag::PackedData.bit; },
       [](build::InstallerFiles& f) { damageRegion(f.installer, [](uint8_t* r) { r[0] ^= 0xFF; }); }, 60,
       Stage::DataRegion},
      {"deletion date that does not parse",
       [&kept](build::Installer& i) { i.settings.fileDeletions = {{kept, 1, "the day after tomorrow", 0}}; }, nullptr,
       65, Stage::Catalogue},
      {"first entry without a name", [](build::Installer& i) { i.files[0].name = ""; }, nullptr, 70,
       Stage::Catalogue},
      {"first body differs from its checksum", nullptr,
       [](build::InstallerFiles& f) {
         // "readme.txt", its zero, kind, flags and attributes: the body starts at 23.
         damageRegion(f.installer, [](uint8_t* r) { r[23] ^= 0x20; });
       },
       100, Stage::Catalogue},
      {"first entry of kind 2 without a destination", [](build::Installer& i) { i.files[0].kind = 2; }, nullptr, 110,
       Stage::Catalogue},
  };

  Bytes stub = e2e::readBytes(e2e::stubExe(true));
  e2e::PrefixChanges watch(prefix, {"robot", "tavo"});
  std::vector<std::string> expected = {"+file Program Files/Acme"};
  for (size_t n = 0; n < cases.size(); ++n) {
    const Case& c = cases[n];
    SCOPED_TRACE(c.what);
    build::Installer installer = e2e::sampleInstaller();
    const std::string product = "Case" + std::to_string(c.code);
    installer.settings.defaultInstallDir = "Acme\\" + product;
    installer.settings.uninstallSubdir = "Uninstall";
    if (c.configure) c.configure(installer);
    build::InstallerFiles files = build::makeInstallerFiles(installer, stub, payload::kBuilderVersion);
    if (c.damage) c.damage(files);
    const std::string dir = "C:\\tavo\\" + product;
    ASSERT_TRUE(e2e::writeBytes(prefix.unixPath(dir + "\\setup.exe"), files.installer));
    for (size_t v = 0; v < files.volumes.size(); ++v)
      ASSERT_TRUE(e2e::writeBytes(prefix.unixPath(dir + "\\" + files.volumeBaseName + std::to_string(v + 2) + ".TAV"), files.volumes[v]));

    e2e::RobotRun run = prefix.runRobot(dir + "\\setup.exe", e2e::kQuietScript);
    e2e::expectEndedByItself(run);
    std::vector<e2e::Dialog> boxes = e2e::messageBoxes(run);
    ASSERT_EQ(boxes.size(), 1u) << run.describe();
    EXPECT_EQ(boxes[0].caption, "FATAL ERROR");
    char report[64];
    std::snprintf(report, sizeof report, e2e::kSampleCorruptFormat, c.code);
    EXPECT_EQ(boxes[0].message(), report) << run.describe();

    expected.push_back("+file Program Files/Acme/" + product);
    if (c.stage == Stage::Catalogue) expected.push_back("+file Program Files/Acme/" + product + "/Uninstall");
  }
  std::vector<std::string> changes = watch.changes();
  std::sort(expected.begin(), expected.end());
  std::sort(changes.begin(), changes.end());
  EXPECT_EQ(e2e::joinedLines(changes), e2e::joinedLines(expected));
  EXPECT_EQ(e2e::readText(prefix.unixPath(kept)), "old");
}

}  // namespace
