#include "builder/payload_writer.h"

#include <algorithm>

#include "builder/pack.h"
#include "core/bytes.h"
#include "core/checksum.h"

namespace build {
namespace {

using Bytes = std::vector<uint8_t>;

class Writer {
public:
    explicit Writer(Bytes& out) : out_(out) {}
    void u8(uint8_t v) { out_.push_back(v); }
    void u16(uint16_t v) { put(v, 2); }
    void u32(uint32_t v) { put(v, 4); }
    void i32(int32_t v) { put((uint32_t)v, 4); }
    void u64(uint32_t low, uint32_t high) {
        u32(low);
        u32(high);
    }
    void text(const std::string& s) {
        out_.insert(out_.end(), s.begin(), s.end());
        out_.push_back(0);
    }
    void bytes(const Bytes& b) { out_.insert(out_.end(), b.begin(), b.end()); }
    void dateTime(const DateTime& t) {
        for (int32_t field : {t.year, t.month, t.day, t.hour, t.minute, t.second}) i32(field);
    }

private:
    void put(uint32_t v, int width) {
        for (int i = 0; i < width; ++i) out_.push_back((uint8_t)(v >> (8 * i)));
    }
    Bytes& out_;
};

bool hasFlag(const Settings& s, payload::FlagBit f) {
    return (f.half == 0 ? s.flagsLow : s.flagsHigh) & f.bit;
}

// One member per field of TAVO_SETTINGS_FIELDS, called in that order.
class SettingsWriter {
public:
    SettingsWriter(const Settings& s, Bytes& out) : s_(s), w_(out) {}

#define TAVO_WRITE_FIELD(name, encoding) name();
    void writeAll() { TAVO_SETTINGS_FIELDS(TAVO_WRITE_FIELD) }
#undef TAVO_WRITE_FIELD

private:
    void productFlags() { w_.u64(s_.flagsLow, s_.flagsHigh); }
    void minStepTime() { w_.u16(s_.minStepTime); }
    void shortcutMode() { w_.u8(s_.shortcutMode); }
    void buildTime() { w_.dateTime(s_.buildTime); }
    void publisher() { w_.text(s_.publisher); }
    void productName() { w_.text(s_.productName); }
    void sharedPath() { w_.text(s_.sharedPath); }
    void productStartMenu() { w_.text(s_.productStartMenu); }
    void defaultInstallDir() { w_.text(s_.defaultInstallDir); }
    void displayVersion() { w_.text(s_.displayVersion); }
    void productRegistry() { w_.text(s_.productRegistry); }
    void bitmapSize() { w_.i32(s_.bitmapSize); }
    void licenceTexts() { texts(s_.licenceTexts); }
    void readmeTexts() { texts(s_.readmeTexts); }
    void uninstallSubdir() { w_.text(s_.uninstallSubdir); }
    void volumeBaseName() { w_.text(s_.volumeBaseName); }
    void uninstallerName() { w_.text(s_.uninstallerName); }
    void uninstallName() { w_.text(s_.uninstallName); }
    void titleColor() { w_.u32(s_.titleColor); }
    void titleShadow() { w_.u8(s_.titleShadow); }
    void topColor() { w_.u32(s_.topColor); }
    void bottomColor() { w_.u32(s_.bottomColor); }
    void backgroundBitmap() {
        w_.i32((int32_t)s_.backgroundBitmap.size());
        w_.bytes(s_.backgroundBitmap);
    }
    void masterProductName() {
        if (hasFlag(s_, payload::flag::RequiresMasterProduct)) w_.text(s_.masterProductName);
    }
    void desktopFolder() { w_.text(s_.desktopFolder); }
    void installBatchBefore() { w_.text(s_.installBatchBefore); }
    void installBatchAfter() { w_.text(s_.installBatchAfter); }
    void installBatchLast() { w_.text(s_.installBatchLast); }
    void uninstallBatch1() { w_.text(s_.uninstallBatch1); }
    void uninstallBatch2() { w_.text(s_.uninstallBatch2); }
    void reserved() { w_.bytes(Bytes(payload::kReservedSize, 0)); }
    void excludedSystems() { w_.u32(s_.excludedSystems); }
    void dataInFile() { w_.u8(s_.dataInFile); }
    void firstVolumeId() { w_.u32(s_.firstVolumeId); }
    void uninstallerPatch() {
        if (!hasFlag(s_, payload::flag::KeepUninstallRecord)) return;
        w_.i32(s_.uninstallerPatchOffset);
        if (s_.uninstallerPatchOffset <= 0) return;
        w_.i32((int32_t)s_.uninstallerPatch.size());
        w_.bytes(s_.uninstallerPatch);
    }
    void fileDeletions() {
        for (const FileDeletion& d : s_.fileDeletions) {
            w_.text(d.spec);
            w_.u8(d.condition);
            w_.text(d.argument);
            w_.u32(d.flags);
        }
        w_.text(payload::kFileDeletionEnd);
    }
    void fileAssociations() {
        w_.i32((int32_t)s_.fileAssociations.size());
        for (const FileAssociation& a : s_.fileAssociations) {
            w_.u32(a.flags);
            for (const std::string* t : {&a.extension, &a.typeName, &a.description, &a.verb, &a.verbCaption,
                                         &a.command, &a.language, &a.icon}) {
                w_.text(*t);
            }
        }
    }
    void uninstallValues() {
        w_.i32((int32_t)s_.uninstallValues.size());
        for (const UninstallValue& v : s_.uninstallValues) {
            w_.text(v.name);
            w_.u8(v.type);
            w_.text(v.value);
        }
    }
    void languageCount() { w_.u8((uint8_t)s_.languages.size()); }
    void stringCount() { w_.i32((int32_t)s_.strings.size()); }
    void languageTable() {
        for (const std::string& name : s_.languages) w_.text(name);
    }
    // A row with fewer texts than languages is completed with empty texts.
    void stringTable() {
        for (const std::vector<std::string>& row : s_.strings) {
            for (size_t language = 0; language < s_.languages.size(); ++language) {
                w_.text(language < row.size() ? row[language] : std::string());
            }
        }
    }
    void endMarker() { w_.u32(payload::kEndMarker); }

    void texts(const std::vector<std::string>& list) {
        w_.i32((int32_t)list.size());
        for (const std::string& t : list) w_.text(t);
    }

    const Settings& s_;
    Writer w_;
};

void writeEntry(Writer& w, const FileEntry& f) {
    w.text(f.name);
    w.u32(f.kind);
    w.u32(f.flags);
    w.u32(f.attributes);
    w.bytes(f.body);
    w.u32(payloadChecksum(f.body.data(), f.body.size()));
    w.dateTime(f.modified);
    w.text(f.firstText);
    if (f.flags & (payload::kEntryDesktopShortcut | payload::kEntryStartMenuShortcut)) w.text(f.shortcutIcon);
    w.text(f.shortcutArguments);
    w.text(f.destination);
}

std::string checkEncodable(const Installer& installer) {
    for (const FileEntry& f : installer.files) {
        if (f.body.size() > (size_t)payload::kMaxFileSize) return "file too large for a payload: " + f.name;
    }
    if (installer.files.size() > (size_t)0x7FFFFFFF / 4) return "too many files for a payload";
    return std::string();
}

// The stored region: the catalogue, packed when the settings ask for it.
Bytes storedData(const Installer& installer, BuildObserver& observer, uint64_t& unpackedSize) {
    Bytes catalogue = writeFileCatalogue(installer.files);
    unpackedSize = catalogue.size();
    bool packed = hasFlag(installer.settings, payload::flag::PackedData);
    if (!packed || catalogue.empty()) return catalogue;
    observer.stageStarted(BuildStage::Packing, catalogue.size());
    Bytes stored = pack(catalogue.data(), catalogue.size(), installer.layout.packLevel);
    observer.stageFinished(stored.size());
    return stored;
}

Bytes header(const Installer& installer, const WriteOptions& options, size_t settingsSize, uint32_t key,
             size_t sectionPayloadLength, const Bytes& data) {
    Bytes out;
    Writer w(out);
    w.u32(payload::kHeaderMagic);
    w.u32(options.builderVersion);
    w.i32((int32_t)settingsSize);
    w.u32(key);
    w.u32(0);  // stubChecksum: setStubChecksum
    w.i32((int32_t)sectionPayloadLength);
    w.i32((int32_t)installer.files.size());
    w.i32((int32_t)data.size());
    w.u32(payloadChecksum(data.data(), data.size()));
    for (const FileEntry& f : installer.files) w.i32((int32_t)f.body.size());
    return out;
}

// Cuts the stored data into the installer's share and the volumes' shares.
void splitData(const Installer& installer, const Bytes& data, Bytes& first, PayloadParts& parts) {
    int64_t share = installer.layout.volumeSize;
    if (share <= 0 || (int64_t)data.size() <= share) {
        first = data;
        return;
    }
    first.assign(data.begin(), data.begin() + share);
    uint32_t id = installer.settings.firstVolumeId;
    for (size_t at = (size_t)share; at < data.size(); at += (size_t)share, ++id) {
        Bytes volume;
        Writer(volume).u32(id);
        size_t end = std::min(data.size(), at + (size_t)share);
        volume.insert(volume.end(), data.begin() + at, data.begin() + end);
        parts.volumes.push_back(std::move(volume));
    }
}

}  // namespace

std::vector<uint8_t> writeSettingsBlock(const Settings& settings) {
    Bytes out;
    SettingsWriter(settings, out).writeAll();
    return out;
}

std::vector<uint8_t> writeFileCatalogue(const std::vector<FileEntry>& files) {
    Bytes out;
    Writer w(out);
    for (const FileEntry& f : files) writeEntry(w, f);
    return out;
}

PayloadParts writePayload(const Installer& installer, const WriteOptions& options) {
    PayloadParts parts;
    parts.error = checkEncodable(installer);
    if (!parts.error.empty()) return parts;

    Settings settings = installer.settings;
    settings.dataInFile = installer.layout.dataInFile ? 1 : 0;
    Bytes block = writeSettingsBlock(settings);
    uint32_t key = payloadChecksum(block.data(), block.size());
    Bytes stored = pack(block.data(), block.size(), installer.layout.packLevel);
    if (stored.size() >= (size_t)payload::kMaxSettingsSize) {
        parts.error = "the settings (texts, strings and lists) take 10 MiB or more even when packed; "
                      "shorten the licence and readme texts or carry fewer languages";
        return parts;
    }
    scramble(stored.data(), stored.size(), key);

    Bytes data = storedData(installer, options.observer ? *options.observer : noObserver(), parts.dataSize);
    parts.storedDataSize = data.size();
    if (data.size() > (size_t)0x7FFFFFFF) {
        parts.error = "the files take more than 2 GiB as stored; an installer cannot carry that much";
        return parts;
    }
    Bytes first;
    splitData(installer, data, first, parts);
    size_t dataStart = payload::kHeaderFixedSize + 4 * installer.files.size() + stored.size();
    size_t inSection = installer.layout.dataInFile ? dataStart : dataStart + first.size();

    parts.sectionContent = header(installer, options, stored.size(), key, inSection, data);
    parts.sectionContent.insert(parts.sectionContent.end(), stored.begin(), stored.end());
    Bytes& dataHome = installer.layout.dataInFile ? parts.afterSection : parts.sectionContent;
    dataHome.insert(dataHome.end(), first.begin(), first.end());
    return parts;
}

void setStubChecksum(std::vector<uint8_t>& sectionContent, uint32_t checksum) {
    if (sectionContent.size() >= 20) writeLE32(&sectionContent[16], checksum);
}

}  // namespace build
