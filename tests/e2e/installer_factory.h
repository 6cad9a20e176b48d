// x64 installers made in memory for the end-to-end tests, with the builder's
// own library, and the damage a test may do to them on the way: edits to the
// plain settings block before it is packed and scrambled, to the stored
// block, to the header fields and to the PE headers.
#pragma once
#include "tests/e2e/test_support.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "builder/installer_model.h"
#include "builder/pe_append.h"
#include "payload/format.h"

namespace e2e {

using Bytes = std::vector<uint8_t>;

// Language string 13 of sampleInstaller(): tells a report in the payload's
// words from the stub's built-in English one.
extern const char kSampleCorruptFormat[];

// An installer the stub reads to the end: one language "English" with the
// builder's default strings (string 13 replaced by kSampleCorruptFormat),
// one small file, no background window, installing in automatic mode.
build::Installer sampleInstaller();

// Offsets of the payload header fields, from the section's first byte.
namespace header {
constexpr size_t kMagic = 0;
constexpr size_t kBuilderVersion = 4;
constexpr size_t kSettingsSize = 8;
constexpr size_t kScrambleKey = 12;
constexpr size_t kStubChecksum = 16;
constexpr size_t kSectionPayloadLength = 20;
constexpr size_t kFileCount = 24;
constexpr size_t kDataLength = 28;
constexpr size_t kDataChecksum = 32;
constexpr size_t kFileSizes = 36;
}  // namespace header

// How the payload is made. The defaults make what the builder makes.
struct PayloadRecipe {
  uint32_t builderVersion = payload::kBuilderVersion;
  // Applied to the plain settings block before it is packed and scrambled;
  // ScrambleKey is then the checksum of the edited block.
  std::function<void(Bytes&)> editSettings;
  // Added to ScrambleKey after it was taken as the block's checksum and before
  // scrambling: the block still unpacks but its checksum no longer matches.
  uint32_t keySkew = 0;
  // Applied to the stored block after packing and scrambling.
  std::function<void(Bytes&)> editStored;
};

// An installer's bytes and where its payload section lies in them.
struct InstallerImage {
  Bytes bytes;
  build::AppendedSection section;
  std::string error;  // not empty: nothing was made

  void putU16(size_t fileOffset, uint16_t value);
  void putU32(size_t fileOffset, uint32_t value);
  void putHeaderU32(size_t headerOffset, uint32_t value) { putU32(section.fileOffset + headerOffset, value); }
  uint32_t headerU32(size_t headerOffset) const;
  // File offset of the payload section's section-table entry.
  size_t sectionEntry() const;
};

// Builds an installer from the x64 stub (stubExe(true)) the way the builder
// does, including the stub checksum when the settings ask for its test.
InstallerImage makeInstaller(const build::Installer& installer, const PayloadRecipe& recipe = {});

// PE surgery that the loader still accepts.
//
// Moves the NT headers and the section table to file offset 0x30, into the
// DOS header: the 32-bit offset at 0x3C then falls on the file header's
// PointerToSymbolTable, which loaders ignore, and holds 0x30.
void movePeHeaderIntoDosHeader(Bytes& image);
// Merges every section but the last into one readable, writable, executable
// section with the same memory layout; the last section's data moves up
// behind it. Leaves two sections.
void mergeSectionsBeforeLast(Bytes& image);


}  // namespace e2e
