// Builder-made x64 installers under wine64, whole and damaged: what the user
// sees of each payload fault that the stub finds before the installation
// begins, and that a sound payload gets there without a word.
//
// A report found before the payload's string table has been read is in the
// stub's own English; one found after it uses the payload's string 13, which
// the sample installer makes distinctive. The sample keeps no uninstall
// record (so reading its settings makes no shared folder), and a refused or
// damaged one ends before it writes anything: each such group of cases
// shares a prefix, which is the same afterwards, apart from the installers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "boot/packed_image.h"
#include "builder/installer_model.h"
#include "builder/pe_squeeze.h"
#include "core/bytes.h"
#include "payload/format.h"
#include "tests/e2e/installer_factory.h"
#include "tests/e2e/test_support.h"
#include "tests/e2e/wine_prefix.h"

namespace {

using e2e::Bytes;
using e2e::InstallerImage;
using e2e::PayloadRecipe;
namespace header = e2e::header;

const char kBuiltInCorruptFormat[] =
    "This installation program is corrupt.  This is usually caused by a faulty download, but it can also be "
    "caused by a virus on your computer.  The installation cannot proceed.\r\n\r\n"
    "Delete the corrupted installer (to prevent caching), then re-download it.  If the problem persists, check "
    "your system for viruses.\r\n\r\nError code: %d";

const char kNoPayloadExplanation[] =
    "This program performs installations and uninstallations.\r\n"
    "There is no installation archive present.\r\n"
    "No Uninstallation parameters were specified.\r\n"
    "\r\n"
    "You should not delete this program or execute it directly.";

std::string formatCode(const char* format, int code) {
  char text[1024];
  std::snprintf(text, sizeof text, format, code);
  return text;
}

std::string builtInReport(int code) { return formatCode(kBuiltInCorruptFormat, code); }
std::string payloadReport(int code) { return formatCode(e2e::kSampleCorruptFormat, code); }

std::string versionRefusal(const char* builderVersion) {
  return std::string("The installer version (11.3) does not match the version of TAVO (") + builderVersion +
         ").  Close all applications and reinstall TAVO.";
}

// The offset just after `text` and its zero byte in a plain settings block;
// the text must occur there once.
size_t offsetAfterText(const Bytes& block, const std::string& text) {
  std::string needle = text + '\0';
  auto at = std::search(block.begin(), block.end(), needle.begin(), needle.end());
  EXPECT_NE(at, block.end()) << "\"" << text << "\" is not in the settings block";
  EXPECT_EQ(std::search(at + 1, block.end(), needle.begin(), needle.end()), block.end()) << text;
  return at == block.end() ? 0 : size_t(at - block.begin()) + needle.size();
}

// Field offsets in the sample's plain settings block, found from texts that
// come right before them.
size_t bitmapSizeAt(const Bytes& block) { return offsetAfterText(block, "Software\\Acme\\Widget"); }
size_t licenceCountAt(const Bytes& block) { return bitmapSizeAt(block) + 4; }
// The sample has no associations and no uninstall values.
size_t associationCountAt(const Bytes& block) { return offsetAfterText(block, payload::kFileDeletionEnd); }
size_t uninstallValueCountAt(const Bytes& block) { return associationCountAt(block) + 4; }
size_t stringCountAt(const Bytes& block) { return uninstallValueCountAt(block) + 4 + 1; }

std::function<void(Bytes&)> putI32At(size_t (*fieldAt)(const Bytes&), int32_t value) {
  return [fieldAt, value](Bytes& block) {
    size_t at = fieldAt(block);
    block.at(at + 3);
    writeLE32(&block[at], (uint32_t)value);
  };
}

std::function<void(InstallerImage&)> putHeader(size_t offset, uint32_t value) {
  return [offset, value](InstallerImage& image) { image.putHeaderU32(offset, value); };
}

PayloadRecipe builtBy(uint32_t builderVersion) {
  PayloadRecipe recipe;
  recipe.builderVersion = builderVersion;
  return recipe;
}

PayloadRecipe withSettingsEdit(std::function<void(Bytes&)> edit) {
  PayloadRecipe recipe;
  recipe.editSettings = std::move(edit);
  return recipe;
}

PayloadRecipe withStoredEdit(std::function<void(Bytes&)> edit) {
  PayloadRecipe recipe;
  recipe.editStored = std::move(edit);
  return recipe;
}

PayloadRecipe withKeySkew(uint32_t skew) {
  PayloadRecipe recipe;
  recipe.keySkew = skew;
  return recipe;
}

std::vector<std::string> texts(size_t count) { return std::vector<std::string>(count, "text"); }

struct PayloadCase {
  const char* what;
  std::function<void(build::Installer&)> configure;  // changes to the sample installer
  PayloadRecipe recipe;
  std::function<void(InstallerImage&)> damage;        // changes to the finished bytes
  std::string message;  // the one "FATAL ERROR" box; empty: no box at all
};

class Payload : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(e2e::requireRobotStubAndPrefix(prefix));
  }

  void runCases(const std::vector<PayloadCase>& cases) {
    for (size_t i = 0; i < cases.size(); ++i) runCase(cases[i], "C:\\tavo\\setup" + std::to_string(i) + ".exe");
  }

  // Cases that must end before anything is written to the disk or the registry.
  void runCasesWritingNothing(const std::vector<PayloadCase>& cases) {
    e2e::PrefixChanges watch(prefix, {"robot", "tavo"});
    runCases(cases);
    EXPECT_EQ(e2e::joinedLines(watch.changes()), "");
  }

  void runCase(const PayloadCase& c, const std::string& installerPath) {
    SCOPED_TRACE(c.what);
    build::Installer installer = e2e::sampleInstaller();
    if (c.configure) c.configure(installer);
    InstallerImage image = e2e::makeInstaller(installer, c.recipe);
    ASSERT_EQ(image.error, "");
    if (c.damage) c.damage(image);
    std::string hostPath = prefix.unixPath(installerPath);
    std::filesystem::create_directories(std::filesystem::path(hostPath).parent_path());
    ASSERT_TRUE(e2e::writeBytes(hostPath, image.bytes)) << hostPath;

    // A sound installer goes on to install, and its progress dialog may be
    // seen on the way: it is left alone, and only message boxes count.
    e2e::RobotRun run =
        prefix.runRobot(installerPath, "on caption \"FATAL ERROR\"\n  click 1\ndefault\n  ignore\n");
    ASSERT_TRUE(run.ok()) << run.describe();
    const e2e::Transcript& t = run.transcript;
    EXPECT_FALSE(t.timedOut) << run.describe();
    EXPECT_EQ(t.exitCode, 1) << run.describe();
    std::vector<e2e::Dialog> boxes;
    for (const e2e::Dialog& d : t.dialogs)
      if (d.control(e2e::kMessageTextId)) boxes.push_back(d);
    if (c.message.empty()) {
      EXPECT_EQ(boxes.size(), 0u) << run.describe();
      return;
    }
    ASSERT_EQ(boxes.size(), 1u) << run.describe();
    EXPECT_EQ(boxes[0].caption, "FATAL ERROR");
    EXPECT_EQ(boxes[0].message(), c.message) << run.describe();
    EXPECT_EQ(boxes[0].buttons(), std::vector<std::string>{"OK"});
  }

  e2e::WinePrefix prefix;
};

TEST_F(Payload, SoundInstallersReachTheInstallationWithoutABox) {
  const std::vector<PayloadCase> cases = {
      {"as the builder makes it", nullptr, {}, nullptr, ""},
      {"builder 11.31, the newest readable", nullptr, builtBy(1131), nullptr, ""},
      {"builder 10.00, older", nullptr, builtBy(1000), nullptr, ""},
      {"stub checksum tested and right",
       [](build::Installer& i) { i.settings.flagsHigh |= payload::flag::CheckStubChecksum.bit; }, {}, nullptr, ""},
      {"1001 files to delete, the most a block may hold",
       [](build::Installer& i) { i.settings.fileDeletions.resize(1001, {"%InstallDir%\\old.txt", 0, "", 0}); },
       {}, nullptr, ""},
  };
  runCases(cases);
}

TEST_F(Payload, RefusedInstallersSayWhy) {
  const std::vector<PayloadCase> cases = {
      {"builder 11.32", nullptr, builtBy(1132), nullptr, versionRefusal("11.3")},
      {"builder 12.50", nullptr, builtBy(1250), nullptr, versionRefusal("12.5")},
      {"payload section named .TAVO", nullptr, {},
       [](InstallerImage& image) { memcpy(&image.bytes.at(image.sectionEntry()), ".TAVO", 5); },
       kNoPayloadExplanation},
  };
  runCasesWritingNothing(cases);
}

// Everything here is found before the settings block's string table is read.
// A stub whose packed code does not restore (a byte of its stream changed, as
// in a damaged download) says so and runs none of it: no report of the
// stub's, nothing written.
TEST_F(Payload, DamagedPackedCodeSaysSoAndRunsNothing) {
  e2e::PrefixChanges watch(prefix, {"robot", "tavo"});
  InstallerImage image = e2e::makeInstaller(e2e::sampleInstaller());
  ASSERT_EQ(image.error, "");
  Bytes& b = image.bytes;
  uint32_t pe = readLE32(&b[0x3C]);
  size_t table = pe + 24 + readLE16(&b[pe + 20]), packed = 0;
  for (size_t e = table; e < table + 40 * readLE16(&b[pe + 6]); e += 40)
    if (memcmp(&b[e], packed_image::kSectionName, 8) == 0) packed = readLE32(&b[e + 20]);
  ASSERT_NE(packed, 0u) << "the stub is not squeezed";
  size_t stream = packed + readLE32(&b[packed + packed_image::kStreamAt]);
  b[stream + readLE32(&b[packed + packed_image::kStreamSizeAt]) / 2] ^= 0x20;
  std::string hostPath = prefix.unixPath("C:\\tavo\\damaged.exe");
  std::filesystem::create_directories(std::filesystem::path(hostPath).parent_path());
  ASSERT_TRUE(e2e::writeBytes(hostPath, b));

  e2e::RobotRun run =
      prefix.runRobot("C:\\tavo\\damaged.exe", "on caption \"Error\"\n  click 1\ndefault\n  ignore\n");
  ASSERT_TRUE(run.ok()) << run.describe();
  const e2e::Transcript& t = run.transcript;
  EXPECT_FALSE(t.timedOut) << run.describe();
  EXPECT_EQ(t.exitCode, 1) << run.describe();
  ASSERT_EQ(t.dialogs.size(), 1u) << run.describe();
  EXPECT_EQ(t.dialogs[0].caption, "Error");
  EXPECT_EQ(t.dialogs[0].message(), build::kDamagedStubMessage);
  EXPECT_EQ(e2e::joinedLines(watch.changes()), "");
}

TEST_F(Payload, HeaderAndSectionFaultsShowTheBuiltInReport) {
  const std::vector<PayloadCase> cases = {
      {"payload section at file offset 0", nullptr, {},
       [](InstallerImage& image) {
         image.putU32(image.sectionEntry() + 16, 0);  // no raw data: the loader maps zeros
         image.putU32(image.sectionEntry() + 20, 0);
       },
       builtInReport(9)},
      {"wrong magic", nullptr, {}, putHeader(header::kMagic, payload::kHeaderMagic ^ 1), builtInReport(20)},
      {"settingsSize 0", nullptr, {}, putHeader(header::kSettingsSize, 0), builtInReport(22)},
      {"settingsSize -1", nullptr, {}, putHeader(header::kSettingsSize, 0xFFFFFFFF), builtInReport(22)},
      {"settingsSize 0xA00000", nullptr, {}, putHeader(header::kSettingsSize, 0xA00000), builtInReport(22)},
      {"settings checksum differs from ScrambleKey", nullptr, withKeySkew(1), nullptr,
       builtInReport(25)},
      {"file count -1", nullptr, {}, putHeader(header::kFileCount, 0xFFFFFFFF), builtInReport(27)},
      {"file size 0x40000001", nullptr, {}, putHeader(header::kFileSizes, 0x40000001), builtInReport(28)},
      {"file size -1", nullptr, {}, putHeader(header::kFileSizes, 0xFFFFFFFF), builtInReport(28)},
      {"data length -1", nullptr, {}, putHeader(header::kDataLength, 0xFFFFFFFF), builtInReport(29)},
      {"PE header offset 0x30, inside the DOS header", nullptr, {},
       [](InstallerImage& image) { e2e::movePeHeaderIntoDosHeader(image.bytes); }, builtInReport(43)},
      {"two sections", nullptr, {}, [](InstallerImage& image) { e2e::mergeSectionsBeforeLast(image.bytes); },
       builtInReport(44)},
      {"sectionPayloadLength -1", nullptr, {}, putHeader(header::kSectionPayloadLength, 0xFFFFFFFF),
       builtInReport(45)},
      {"stored settings block with a broken packed magic", nullptr,
       withStoredEdit([](Bytes& stored) { stored.at(0) ^= 0xFF; }), nullptr,
       builtInReport(47)},
  };
  runCasesWritingNothing(cases);
}

// The block is read in one pass and the string table comes near its end: a
// field found wrong before it has no payload text to report with yet.
TEST_F(Payload, SettingsFaultsBeforeTheStringTableShowTheBuiltInReport) {
  auto settings = [](std::function<void(build::Settings&)> change) {
    return [change](build::Installer& i) { change(i.settings); };
  };
  const std::vector<PayloadCase> cases = {
      {"minimum step time 10000", settings([](build::Settings& s) { s.minStepTime = 10000; }), {}, nullptr,
       builtInReport(19)},
      {"blank volume base name", settings([](build::Settings& s) { s.volumeBaseName = "  "; }), {}, nullptr,
       builtInReport(21)},
      {"UninstallerPatch offset -1",
       settings([](build::Settings& s) {
         s.flagsLow |= payload::flag::KeepUninstallRecord.bit;
         s.uninstallerPatchOffset = -1;
       }),
       {}, nullptr, builtInReport(23)},
      {"UninstallerPatch offset beyond the installer",
       settings([](build::Settings& s) {
         s.flagsLow |= payload::flag::KeepUninstallRecord.bit;
         s.uninstallerPatchOffset = 0x7FFFFFFF;
         s.uninstallerPatch = {1, 2, 3};
       }),
       {}, nullptr, builtInReport(23)},
      {"21 licence texts", settings([](build::Settings& s) { s.licenceTexts = texts(21); }), {}, nullptr,
       builtInReport(24)},
      {"licence text count -1", nullptr, withSettingsEdit(putI32At(licenceCountAt, -1)), nullptr, builtInReport(24)},
      {"21 readme texts", settings([](build::Settings& s) { s.readmeTexts = texts(21); }), {}, nullptr,
       builtInReport(26)},
      {"no language", settings([](build::Settings& s) { s.languages.clear(); }), {}, nullptr, builtInReport(30)},
      {"101 languages", settings([](build::Settings& s) { s.languages.resize(101, "English"); }), {}, nullptr,
       builtInReport(30)},
      {"no string", settings([](build::Settings& s) { s.strings.clear(); }), {}, nullptr, builtInReport(31)},
      {"string count 10001", nullptr, withSettingsEdit(putI32At(stringCountAt, 10001)), nullptr, builtInReport(31)},
      {"association count -1", nullptr, withSettingsEdit(putI32At(associationCountAt, -1)), nullptr, builtInReport(36)},
      {"association count 10001", nullptr, withSettingsEdit(putI32At(associationCountAt, 10001)), nullptr,
       builtInReport(36)},
      {"uninstall value count -1", nullptr, withSettingsEdit(putI32At(uninstallValueCountAt, -1)), nullptr,
       builtInReport(37)},
      {"1002 files to delete",
       settings([](build::Settings& s) { s.fileDeletions.resize(1002, {"%InstallDir%\\old.txt", 0, "", 0}); }),
       {}, nullptr, builtInReport(38)},
      {"bitmap size 101", settings([](build::Settings& s) { s.bitmapSize = 101; }), {}, nullptr,
       builtInReport(39)},
      {"bitmap size -1", settings([](build::Settings& s) { s.bitmapSize = -1; }), {}, nullptr, builtInReport(39)},
  };
  runCasesWritingNothing(cases);
}

// The end marker follows the string table, and the installer's own bytes are
// checked after the whole block: the payload's string 13 is known by then.
TEST_F(Payload, FaultsAfterTheStringTableShowThePayloadsReport) {
  auto breakEndMarker = [](Bytes& block) { writeLE32(&block.at(block.size() - 4), 0); };
  const std::vector<PayloadCase> cases = {
      {"wrong end marker", nullptr, withSettingsEdit(breakEndMarker), nullptr, payloadReport(32)},
      {"wrong end marker, string 13 empty", [](build::Installer& i) { i.settings.strings.at(13) = {""}; },
       withSettingsEdit(breakEndMarker), nullptr, builtInReport(32)},
      {"stub checksum tested and wrong",
       [](build::Installer& i) { i.settings.flagsHigh |= payload::flag::CheckStubChecksum.bit; }, {},
       [](InstallerImage& image) {
         image.putHeaderU32(header::kStubChecksum, image.headerU32(header::kStubChecksum) + 1);
       },
       payloadReport(40)},
  };
  runCasesWritingNothing(cases);
}

}  // namespace
