#include "installer_factory.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "builder/default_strings.h"
#include "builder/pack.h"
#include "builder/payload_writer.h"
#include "core/bytes.h"
#include "core/checksum.h"
#include "tests/e2e/wine_prefix.h"

namespace e2e {
namespace {

const size_t kSectionEntrySize = 40;

// The headers of a PE image, as far as the surgery below needs them. The
// image is the factory's own output, so a malformed one is a test bug.
struct PeHeaders {
  size_t pe = 0;
  size_t count = 0;
  size_t table = 0;
  uint32_t fileAlignment = 0;

  explicit PeHeaders(const Bytes& image) {
    pe = readLE32(&image.at(0x3C));
    count = readLE16(&image.at(pe + 6));
    table = pe + 24 + readLE16(&image.at(pe + 20));
    fileAlignment = readLE32(&image.at(pe + 24 + 36));
    image.at(table + count * kSectionEntrySize - 1);
  }
  size_t entry(size_t slot) const { return table + slot * kSectionEntrySize; }
  size_t tableEnd() const { return entry(count); }
};

// The `width` bytes at `offset`; throws std::out_of_range when they pass the end.
uint8_t* fieldAt(Bytes& bytes, size_t offset, size_t width) {
  bytes.at(offset + width - 1);
  return &bytes[offset];
}

size_t alignUp(size_t value, size_t alignment) { return (value + alignment - 1) / alignment * alignment; }

bool hasFlag(const build::Settings& s, payload::FlagBit f) {
  return ((f.half == 0 ? s.flagsLow : s.flagsHigh) & f.bit) != 0;
}

// The section content with the settings block made again from the recipe:
// the old stored block is cut out and the new one put in its place, and the
// header fields that depend on it follow.
Bytes remadeSectionContent(const build::Installer& installer, const PayloadRecipe& recipe, Bytes content) {
  build::Settings settings = installer.settings;
  settings.dataInFile = installer.layout.dataInFile ? 1 : 0;  // as writePayload stores it
  Bytes plain = build::writeSettingsBlock(settings);
  if (recipe.editSettings) recipe.editSettings(plain);
  uint32_t key = payloadChecksum(plain.data(), plain.size()) + recipe.keySkew;
  Bytes stored = pack(plain.data(), plain.size());
  scramble(stored.data(), stored.size(), key);
  if (recipe.editStored) recipe.editStored(stored);

  size_t at = header::kFileSizes + 4 * installer.files.size();
  size_t oldSize = readLE32(&content[header::kSettingsSize]);
  int64_t growth = (int64_t)stored.size() - (int64_t)oldSize;
  content.erase(content.begin() + at, content.begin() + at + oldSize);
  content.insert(content.begin() + at, stored.begin(), stored.end());
  writeLE32(&content[header::kSettingsSize], (uint32_t)stored.size());
  writeLE32(&content[header::kScrambleKey], key);
  uint32_t inSection = readLE32(&content[header::kSectionPayloadLength]);
  writeLE32(&content[header::kSectionPayloadLength], (uint32_t)(inSection + growth));
  return content;
}

}  // namespace

const char kSampleCorruptFormat[] = "Broken installer, code %d";

build::Installer sampleInstaller() {
  build::Installer installer;
  build::Settings& s = installer.settings;
  // Automatic mode: a sound installer then installs without a word.
  s.flagsLow = payload::flag::NoBackgroundWindow.bit | payload::flag::AutomaticInstall.bit;
  s.publisher = "Acme";
  s.productName = "Widget";
  s.productRegistry = "Software\\Acme\\Widget";
  s.volumeBaseName = "WIDGET";
  s.uninstallerName = "Uninstal.exe";
  s.buildTime = {2024, 5, 17, 12, 30, 0};
  s.languages = {"English"};
  for (const std::string& text : build::defaultStringTable()) s.strings.push_back({text});
  s.strings.at(13) = {kSampleCorruptFormat};

  build::FileEntry file;
  file.name = "readme.txt";
  file.body = {'H', 'e', 'l', 'l', 'o', '\r', '\n'};
  file.modified = {2024, 5, 17, 12, 0, 0};
  installer.files.push_back(file);
  return installer;
}

void InstallerImage::putU16(size_t fileOffset, uint16_t value) { writeLE16(fieldAt(bytes, fileOffset, 2), value); }

void InstallerImage::putU32(size_t fileOffset, uint32_t value) { writeLE32(fieldAt(bytes, fileOffset, 4), value); }

uint32_t InstallerImage::headerU32(size_t headerOffset) const {
  size_t at = section.fileOffset + headerOffset;
  bytes.at(at + 3);
  return readLE32(&bytes[at]);
}

size_t InstallerImage::sectionEntry() const {
  PeHeaders h(bytes);
  return h.entry(h.count - 1);  // the builder appends it last
}

InstallerImage makeInstaller(const build::Installer& installer, const PayloadRecipe& recipe) {
  InstallerImage made;
  Bytes stub = readBytes(stubExe(true));
  if (stub.empty()) {
    made.error = "cannot read the x64 stub " + stubExe(true);
    return made;
  }
  build::WriteOptions options;
  options.builderVersion = recipe.builderVersion;
  build::PayloadParts parts = build::writePayload(installer, options);
  if (!parts.error.empty()) {
    made.error = parts.error;
    return made;
  }
  Bytes content = parts.sectionContent;
  if (recipe.editSettings || recipe.keySkew || recipe.editStored)
    content = remadeSectionContent(installer, recipe, std::move(content));

  // As the builder does it: with the stub checksum the PE checksum stays 0,
  // because the stub checksum covers the PE headers.
  bool stubChecksum = hasFlag(installer.settings, payload::flag::CheckStubChecksum);
  try {
    made.bytes = build::appendPayloadSection(stub, content, parts.afterSection, installer.layout.dataInFile,
                                             &made.section,
                                             stubChecksum ? build::PeChecksum::Zero : build::PeChecksum::Recompute);
  } catch (const build::PeError& e) {
    made.error = e.what();
    return made;
  }
  if (stubChecksum) made.putHeaderU32(header::kStubChecksum, payloadChecksum(made.bytes.data(), made.section.fileOffset));
  return made;
}

void movePeHeaderIntoDosHeader(Bytes& image) {
  const size_t kNewPe = 0x30;
  PeHeaders h(image);
  size_t end = h.tableEnd();
  memmove(&image[kNewPe], &image[h.pe], end - h.pe);
  std::fill(image.begin() + (end - (h.pe - kNewPe)), image.begin() + end, 0);
  writeLE32(&image[0x3C], kNewPe);
}

void mergeSectionsBeforeLast(Bytes& image) {
  PeHeaders h(image);
  size_t first = h.entry(0), last = h.entry(h.count - 1);
  uint32_t base = readLE32(&image[first + 12]);
  // Where the sections' bytes begin in the file (a section may have none).
  uint32_t firstRaw = UINT32_MAX;
  for (size_t slot = 0; slot < h.count; ++slot)
    if (readLE32(&image[h.entry(slot) + 16])) firstRaw = std::min(firstRaw, readLE32(&image[h.entry(slot) + 20]));
  uint32_t lastAddress = readLE32(&image[last + 12]);

  // The merged section holds the memory image from the first section up to
  // the last one: each section's data at its address, zeros between.
  Bytes merged(alignUp(lastAddress - base, h.fileAlignment), 0);
  for (size_t slot = 0; slot + 1 < h.count; ++slot) {
    size_t entry = h.entry(slot);
    size_t at = readLE32(&image[entry + 12]) - base;
    size_t rawSize = readLE32(&image[entry + 16]), rawOffset = readLE32(&image[entry + 20]);
    size_t n = std::min(rawSize, merged.size() - at);
    std::copy_n(image.begin() + rawOffset, n, merged.begin() + at);
  }
  size_t lastRaw = readLE32(&image[last + 20]);
  Bytes tail(image.begin() + lastRaw, image.end());

  Bytes lastEntry(image.begin() + last, image.begin() + last + kSectionEntrySize);
  std::fill(image.begin() + first, image.begin() + h.tableEnd(), 0);
  memcpy(&image[first], ".text", 5);
  writeLE32(&image[first + 8], lastAddress - base);
  writeLE32(&image[first + 12], base);
  writeLE32(&image[first + 16], (uint32_t)merged.size());
  writeLE32(&image[first + 20], firstRaw);
  writeLE32(&image[first + 36], 0xE0000060);  // code, data; read, write, execute
  std::copy(lastEntry.begin(), lastEntry.end(), image.begin() + h.entry(1));
  writeLE32(&image[h.entry(1) + 20], firstRaw + (uint32_t)merged.size());
  writeLE16(&image[h.pe + 6], 2);

  image.resize(firstRaw);
  image.insert(image.end(), merged.begin(), merged.end());
  image.insert(image.end(), tail.begin(), tail.end());
}

}  // namespace e2e
