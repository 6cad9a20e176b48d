#include "builder/inspect.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <vector>

#include "builder/manifest_names.h"
#include "builder/packed_shares.h"
#include "payload/data_region.h"
#include "payload/file_entry.h"
#include "payload/header.h"
#include "payload/memory_stream.h"
#include "payload/pe_section.h"
#include "payload/settings_reader.h"
#include "payload/stub_image.h"
#include "payload/unpack.h"

namespace build {
namespace {

// Volumes come from the installer's directory on this host; the stub's
// reader names them with Windows paths, of which only the file name counts.
// Where the stub would ask the user for a missing volume, inspecting gives up.
class VolumeHost final : public DataRegionHost {
public:
    explicit VolumeHost(std::filesystem::path directory) : directory_(std::move(directory)) {}
    ~VolumeHost() { closeVolume(); }
    void setProgressPercent(int) override {}
    void setProgressStatus(int, int) override {}
    void holdStatus() override {}
    void restartStatusClock() override {}
    bool askForVolume(const String&) override { return false; }
    const std::string& lastVolumeName() const { return lastName_; }
    bool openVolume(const String& path) override {
        closeVolume();
        const char* name = strrchr(path.text(), '\\');
        lastName_ = name ? name + 1 : path.text();
        file_ = fopen((directory_ / lastName_).c_str(), "rb");
        return file_ != nullptr;
    }
    int64_t volumeLength() override {
        long here = ftell(file_);
        fseek(file_, 0, SEEK_END);
        long length = ftell(file_);
        fseek(file_, here, SEEK_SET);
        return length;
    }
    bool readVolume(void* out, uint32_t count) override { return fread(out, 1, count, file_) == count; }
    void closeVolume() override {
        if (file_) fclose(file_);
        file_ = nullptr;
    }

private:
    std::filesystem::path directory_;
    std::string lastName_;
    FILE* file_ = nullptr;
};

[[noreturn]] void refuse(const std::string& what, int code) {
    throw InspectError("damaged: " + what + " would make the installer stop with error code " + std::to_string(code));
}

std::string hex(uint64_t v) {
    char buffer[24];
    snprintf(buffer, sizeof buffer, "0x%llX", (unsigned long long)v);
    return buffer;
}

std::string dateTimeText(const DateTime& t) {
    char buffer[64];
    if (!t.hasDate()) return "(no date)";
    if (!t.hasTime()) {
        snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", t.year, t.month, t.day);
    } else {
        snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                 t.second);
    }
    return buffer;
}

// A stored text on one line: control characters escaped.
std::string quoted(const String& s) {
    std::string out = "\"";
    for (int32_t i = 0; i < s.length(); ++i) {
        char c = s.charAt(i);
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c == '\t') out += "\\t";
        else if (c == '"' || c == '\\') out += std::string("\\") + c;
        else out += c;
    }
    return out + "\"";
}

std::string joined(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items) out += (out.empty() ? "" : ", ") + item;
    return out.empty() ? "(none)" : out;
}

std::string colourText(uint32_t colorref) {
    char buffer[16];
    snprintf(buffer, sizeof buffer, "#%02X%02X%02X", colorref & 0xFF, colorref >> 8 & 0xFF, colorref >> 16 & 0xFF);
    return buffer;
}

class Report {
public:
    void heading(const std::string& title) { out_ << title << "\n"; }
    void line(const std::string& label, const std::string& value) {
        out_ << "  " << label << std::string(label.size() < 22 ? 22 - label.size() : 1, ' ') << value << "\n";
    }
    void line(const std::string& label, const char* value) { line(label, std::string(value)); }
    void line(const std::string& label, const String& value) { line(label, quoted(value)); }
    void raw(const std::string& text) { out_ << text; }
    std::string text() const { return out_.str(); }

private:
    std::ostringstream out_;
};

void describeHeader(Report& r, const PayloadSection& section, const PayloadHeader& h, uint32_t fileLength) {
    r.heading("Section .tavo");
    r.line("file offset", hex(section.fileDataOffset));
    r.line("raw size", std::to_string(section.fileDataSize));
    r.line("memory offset", hex(section.memoryOffset));
    r.line("installer size", std::to_string(fileLength));
    r.heading("Header");
    char version[16];
    snprintf(version, sizeof version, "%u.%02u", h.builderVersion / 100, h.builderVersion % 100);
    r.line("builder version", version);
    r.line("settings size", std::to_string(h.settingsSize) + " bytes stored");
    r.line("scramble key", hex(h.scrambleKey));
    r.line("stub checksum", hex(h.stubChecksum));
    r.line("section payload", std::to_string(h.sectionPayloadLength) + " bytes");
    r.line("data", std::to_string(h.dataLength) + " bytes stored from section offset " + std::to_string(h.dataStart) +
                       ", checksum " + hex(h.dataChecksum));
    r.line("files", std::to_string(h.fileCount));
}

void describeTexts(Report& r, const char* label, const Vector<String>& texts) {
    std::vector<std::string> sizes;
    for (int32_t i = 0; i < texts.count(); ++i) sizes.push_back(std::to_string(texts[i].length()) + " bytes");
    r.line(label, std::to_string(texts.count()) + (texts.count() ? " (" + joined(sizes) + ")" : ""));
}

void describeSettings(Report& r, SettingsBlock& s) {
    r.heading("Settings");
    r.line("flags", joined(productFlagNamesOf(s.productFlagsLow, s.productFlagsHigh)));
    r.line("flag words", "low " + hex(s.productFlagsLow) + ", high " + hex(s.productFlagsHigh));
    r.line("min step time", std::to_string(s.minStepTime) + " ms");
    r.line("shortcuts", s.shortcutMode == 1 ? "all-users" : "current-user");
    r.line("build time", dateTimeText(s.buildTime));
    r.line("product name", s.productName);
    r.line("publisher", s.publisher);
    r.line("version", s.displayVersion);
    r.line("registry key", s.productRegistry);
    r.line("uninstall name", s.uninstallName);
    if (s.lowFlag(payload::flag::RequiresMasterProduct.bit)) r.line("master product", s.masterProductName);
    r.line("install dir", s.defaultInstallDir);
    r.line("shared path", s.sharedPath);
    r.line("start menu", s.productStartMenu);
    r.line("desktop folder", s.desktopFolder);
    r.line("uninstall subdir", s.uninstallSubdir);
    r.line("uninstaller name", s.uninstallerName);
    r.line("colours", "title " + colourText(s.titleColor) + (s.titleShadow ? " with shadow" : "") + ", top " +
                          colourText(s.topColor) + ", bottom " + colourText(s.bottomColor));
    r.line("background bitmap", std::to_string(s.backgroundBitmap.length()) + " bytes at " +
                                    std::to_string(s.bitmapSize) + " %");
    describeTexts(r, "licence texts", s.licenceTexts);
    describeTexts(r, "readme texts", s.readmeTexts);
    r.line("batch before", s.installBatchBefore);
    r.line("batch after", s.installBatchAfter);
    r.line("batch at end", s.installBatchLast);
    r.line("uninstall batch 1", s.uninstallBatch1);
    r.line("uninstall batch 2", s.uninstallBatch2);
    r.line("excluded systems", joined(namesOfBits(excludedSystems(), s.excludedSystems)));
    r.line("data in file", s.dataInFile ? "yes" : "no");
    r.line("volumes", quoted(s.volumeBaseName) + " from id " + std::to_string(s.firstVolumeId));
    if (s.uninstallerPatchOffset > 0)
        r.line("uninstaller patch", std::to_string(s.uninstallerPatch.length()) + " bytes at " +
                                        std::to_string(s.uninstallerPatchOffset));
}

void describeLists(Report& r, SettingsBlock& s) {
    for (int32_t i = 0; i < s.fileDeletions.count(); ++i) {
        const ::FileDeletion& d = s.fileDeletions[i];
        std::string text = quoted(d.spec) + " " + nameOfValue(deletionConditions(), d.condition);
        if (!d.argument.isEmpty()) text += " " + quoted(d.argument);
        if (d.flags & payload::kDeletionAtRestart) text += ", at restart";
        r.line("delete", text);
    }
    for (int32_t i = 0; i < s.fileAssociations.count(); ++i) {
        const ::FileAssociation& a = s.fileAssociations[i];
        r.line("association", quoted(a.extension) + " " + quoted(a.typeName) + " " + quoted(a.verb) + " -> " +
                                  quoted(a.command) + (a.flags & payload::kAssociationDefaultVerb ? ", default" : ""));
    }
    for (int32_t i = 0; i < s.uninstallValues.count(); ++i) {
        const ::UninstallValue& v = s.uninstallValues[i];
        r.line("uninstall value", quoted(v.name) + " " + nameOfValue(uninstallValueTypes(), v.type) + " " +
                                      quoted(v.value));
    }
}

void describeLanguages(Report& r, SettingsBlock& s, bool everyString) {
    std::vector<std::string> names;
    for (int32_t i = 0; i < s.languageTable.count(); ++i) names.push_back(quoted(s.languageTable[i]));
    r.line("languages", joined(names) + " (default " + std::to_string(s.defaultLanguage) + ")");
    r.line("strings", std::to_string(s.stringTable.stringCount()) + " per language");
    if (!everyString) return;
    r.heading("Strings");
    for (int32_t id = 0; id < s.stringTable.stringCount(); ++id)
        for (int32_t language = 0; language < s.stringTable.languageCount(); ++language) {
            String* text = s.stringTable.entry(id, language);
            r.line(std::to_string(id) + " " + s.languageTable[language].text(), text ? *text : String());
        }
}

// What the entry's first text is, by kind: a shortcut name, a version or a font name.
std::string firstTextLabel(uint32_t kind) {
    if (kind == 4) return "font name";
    if (kind >= 6 && kind <= 8) return "version";
    return "shortcut name";
}

void describeEntry(Report& r, int index, const ::FileEntry& e) {
    std::string text = quoted(e.name) + " " + nameOfValue(fileKinds(), e.kind) + ", " + std::to_string(e.size) +
                       " bytes, " + dateTimeText(e.modified);
    std::vector<std::string> flags;
    if (e.flags & payload::kEntryDesktopShortcut) flags.push_back("desktop-shortcut");
    if (e.flags & payload::kEntryStartMenuShortcut) flags.push_back("start-menu-shortcut");
    if (e.flags & payload::kEntryExistenceRuleMask)
        flags.push_back("install " + nameOfValue(existenceRules(), e.flags & payload::kEntryExistenceRuleMask));
    if (e.flags & payload::kEntryNotRecorded) flags.push_back("kept on uninstall");
    if (e.flags & payload::kEntryInUninstallDir) flags.push_back("in-uninstall-dir");
    if (!flags.empty()) text += "; " + joined(flags);
    if (e.attributes != payload::kAttributesUnchanged)
        text += "; attributes " + joined(namesOfBits(fileAttributes(), e.attributes));
    if (!e.firstText.isEmpty()) text += "; " + firstTextLabel(e.kind) + " " + quoted(e.firstText);
    if (!e.shortcutIcon.isEmpty()) text += "; icon " + quoted(e.shortcutIcon);
    if (!e.shortcutArguments.isEmpty()) text += "; arguments " + quoted(e.shortcutArguments);
    if (!e.destination.isEmpty()) text += " -> " + quoted(e.destination);
    r.raw("  [" + std::to_string(index) + "] " + text + "\n");
}

std::vector<uint8_t> readInstaller(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error(std::string("cannot open the file: ") + strerror(errno));
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() > UINT32_MAX) throw InspectError("not an installer: larger than an installer can be");
    return bytes;
}

struct FreeBlock {
    void operator()(uint8_t* p) const { free(p); }
};

// The data region as stored, and unpacked when it was packed.
class StoredRegion {
public:
    StoredRegion(const DataRegion& region, bool packed)
        : stored_(region.bytes, region.bytes + region.size), packed_(packed) {}
    ~StoredRegion() { free(unpacked_); }
    // What the installer does with a packed region; false when it would fail.
    bool unpack() {
        if (!packed_) return true;
        int32_t size = int32_t(stored_.size());
        uint8_t* block = static_cast<uint8_t*>(malloc(stored_.empty() ? 1 : stored_.size()));
        if (!block) return false;
        std::copy(stored_.begin(), stored_.end(), block);
        if (!Unpack(block, size)) {
            free(block);
            return false;
        }
        unpacked_ = block;
        unpackedSize_ = uint32_t(size);
        return true;
    }
    const uint8_t* bytes() const { return packed_ ? unpacked_ : stored_.data(); }
    uint32_t size() const { return packed_ ? unpackedSize_ : uint32_t(stored_.size()); }
    bool packed() const { return packed_; }
    const std::vector<uint8_t>& stored() const { return stored_; }

private:
    std::vector<uint8_t> stored_;
    bool packed_;
    uint8_t* unpacked_ = nullptr;
    uint32_t unpackedSize_ = 0;
};

std::string percentOf(double part, double whole) {
    char buffer[16];
    snprintf(buffer, sizeof buffer, "%.1f %%", whole > 0 ? 100 * part / whole : 100.0);
    return buffer;
}

std::string sizeRow(const std::string& name, uint64_t size, double stored) {
    char buffer[160];
    snprintf(buffer, sizeof buffer, "  %-28s %12llu %12.0f %9s\n", name.c_str(), (unsigned long long)size, stored,
             percentOf(stored, double(size)).c_str());
    return buffer;
}

// The entries with their details, then a table of sizes: each file's size,
// its share of the stored region (its catalogue fields included) and the
// ratio of the two, with the totals.
void describeFiles(Report& r, const PayloadHeader& header, const StoredRegion& region) {
    r.heading("Files (" + std::to_string(header.fileCount) + ")");
    MemoryStream entries(region.bytes(), region.size());
    std::vector<std::string> names;
    std::vector<uint64_t> ends;
    for (int32_t i = 0; i < header.fileCount; ++i) {
        ::FileEntry entry;
        int code = readFileEntry(entries, header.fileSizes[i], entry);
        if (code) refuse("the file catalogue", code);
        describeEntry(r, i, entry);
        names.push_back(entry.name.text());
        ends.push_back(entries.position());
    }
    if (ends.empty() || ends.back() != region.size()) ends.push_back(region.size());
    std::vector<double> shares(ends.size());
    uint64_t previous = 0;
    for (size_t i = 0; i < ends.size(); ++i) shares[i] = double(ends[i] - previous), previous = ends[i];
    if (region.packed()) {
        const std::vector<uint8_t>& packed = region.stored();
        if (std::optional<std::vector<double>> bits = packedBytesPerRange(packed.data(), packed.size(), ends))
            shares = *bits;
        else
            refuse("the file data", 60);
    }

    char title[160];
    snprintf(title, sizeof title, "Sizes in bytes%*s %12s %12s %9s\n", 16, "", "size", "stored", "ratio");
    r.raw(title);
    uint64_t total = 0;
    for (int32_t i = 0; i < header.fileCount; ++i) {
        r.raw(sizeRow(names[i], uint64_t(header.fileSizes[i]), shares[i]));
        total += uint64_t(header.fileSizes[i]);
    }
    r.raw(sizeRow("total", total, double(header.dataLength)));
    r.raw(std::string("  stored: each file's share of the ") + (region.packed() ? "packed" : "stored") +
          " data, its catalogue entry included; ratio: stored / size\n");
}

}  // namespace

std::string inspectInstaller(const std::filesystem::path& path, const InspectOptions& options) {
    std::vector<uint8_t> bytes = readInstaller(path);
    uint32_t fileLength = uint32_t(bytes.size());
    if (bytes.size() < 2 || bytes[0] != 'M' || bytes[1] != 'Z')
        throw InspectError("not an installer: not a Windows program (it does not start with \"MZ\")");
    BufferBytes file(bytes.data(), (uint32_t)bytes.size());
    PayloadSection section{};
    int found = findPayloadSection(file, section);
    if (found == SectionMissing)
        throw InspectError("not an installer: it has no .tavo section (a stub without a payload, or another program)");
    if (found != SectionFound) refuse("the PE headers", found);

    // What the loader maps: the section's bytes that the file holds.
    uint32_t available = mappedPayloadSize(section, fileLength);
    std::vector<uint8_t> mapped(bytes.begin() + section.fileDataOffset,
                                bytes.begin() + section.fileDataOffset + available);
    PayloadHeader header;
    int code = readPayloadHeader(mapped.data(), available, header);
    if (code == HeaderVersionRefused) throw InspectError(versionRefusalText(header.builderVersion).text());
    if (code) refuse("the payload header", code);

    uint8_t* blockBytes = nullptr;
    int32_t blockSize = 0;
    if ((code = takeSettingsBlock(mapped.data(), header, blockBytes, blockSize)) != 0) refuse("the settings block", code);
    std::unique_ptr<uint8_t, FreeBlock> block(blockBytes);
    MemoryStream stream(block.get(), uint32_t(blockSize));
    SettingsBlock settings;
    readProductFlags(stream, settings);
    if ((code = settingsChecksumCode(block.get(), blockSize, header.scrambleKey)) != 0) refuse("the settings block", code);
    SettingsContext context;
    context.windowsDirectory = "C:\\WINDOWS";
    context.installerFileLength = fileLength;
    if ((code = readSettingsRest(stream, context, settings)) != 0) refuse("the settings block", code);

    StubImageSettings imageSettings;
    imageSettings.testStubChecksum = settings.highFlag(payload::flag::CheckStubChecksum.bit);
    imageSettings.stubChecksum = header.stubChecksum;
    imageSettings.patchOffset = settings.uninstallerPatchOffset;
    imageSettings.patch = &settings.uninstallerPatch;
    String image;
    if ((code = buildStubImage(file, fileLength, section, imageSettings, image)) != 0) refuse("the uninstaller image", code);

    DataRegionSource source;
    source.section = mapped.data();
    source.header = &header;
    source.dataInFile = settings.dataInFile != 0;
    // The stored bytes are kept for the per-file stored sizes; unpacked below.
    source.packed = false;
    source.file = &file;
    source.fileLength = fileLength;
    source.fileDataOffset = section.fileDataOffset;
    source.volumeBaseName = settings.volumeBaseName.text();
    source.firstVolumeId = settings.firstVolumeId;
    VolumeHost host(path.parent_path().empty() ? "." : path.parent_path());
    DataRegion region;
    if ((code = assembleDataRegion(source, host, region)) != 0) {
        if (code == DataRegionReadFailed) throw InspectError(kArchiveReadFailed);
        if (code == DataRegionGivenUp) {
            throw InspectError("volume \"" + host.lastVolumeName() + "\" is missing, cut short or carries the wrong id");
        }
        refuse("the data region", code);
    }

    StoredRegion stored(region, settings.lowFlag(payload::flag::PackedData.bit));
    releaseDataRegion(region);
    if (!stored.unpack()) refuse("the file data", 60);

    Report r;
    describeHeader(r, section, header, fileLength);
    describeSettings(r, settings);
    describeLists(r, settings);
    describeLanguages(r, settings, options.strings);
    r.heading("Uninstaller image");
    r.line("size", std::to_string(image.length()) + " bytes");
    describeFiles(r, header, stored);
    return r.text();
}

}  // namespace build
