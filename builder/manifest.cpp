#include "builder/manifest.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>

#include "builder/manifest_sections.h"
#include "core/checksum.h"

namespace build {
namespace {

constexpr char kDefaultCodepage[] = "CP1252";
constexpr char kDefaultUninstallerName[] = "Uninstall.exe";
constexpr char kDefaultVolumeBaseName[] = "Setup";

void readFlags(const ManifestTable& root, Settings& s) {
    std::vector<std::string> names = root.nameList("flags");
    for (size_t i = 0; i < names.size(); ++i) {
        std::optional<payload::FlagBit> bit = productFlagByName(names[i]);
        if (!bit) root.failItem("flags", i, unknownNameProblem(names[i], productFlagNames(), "any of"));
        (bit->half == 0 ? s.flagsLow : s.flagsHigh) |= bit->bit;
    }
}

bool hasFlag(const Settings& s, payload::FlagBit bit) {
    return ((bit.half == 0 ? s.flagsLow : s.flagsHigh) & bit.bit) != 0;
}

void readProduct(const ManifestTable& root, Settings& s) {
    ManifestTable p = root.table("product");
    p.allowOnly("product");
    s.productName = p.text("name");
    if (s.productName.find_first_not_of(" \t") == std::string::npos)
        p.fail("name", p.has("name") ? "the product name is blank" : "missing; every installer needs a product name");
    s.publisher = p.text("publisher");
    s.displayVersion = p.text("version");
    s.productRegistry = p.text("registry-key");
    s.uninstallName = p.text("uninstall-name");
    s.masterProductName = p.text("master-product");
    if (p.has("master-product") && !hasFlag(s, payload::flag::RequiresMasterProduct))
        p.fail("master-product", "only used with the flag \"requires-master-product\"");
}

void readDirectories(const ManifestTable& root, Settings& s) {
    ManifestTable d = root.table("directories");
    d.allowOnly("directories");
    s.defaultInstallDir = d.text("install");
    s.sharedPath = d.text("shared");
    s.productStartMenu = d.text("start-menu");
    s.desktopFolder = d.text("desktop-folder");
    s.uninstallSubdir = d.text("uninstall-subdir");
    s.uninstallerName = d.text("uninstaller-name", kDefaultUninstallerName);
    for (const char* key : {"install", "shared", "start-menu", "desktop-folder", "uninstall-subdir", "uninstaller-name"})
        if (d.text(key).find('/') != std::string::npos)
            d.fail(key, "the target is Windows: write folders with backslashes, such as 'Example\\Widget'");
    if (s.uninstallerName.find_first_not_of(" \t") == std::string::npos)
        d.fail("uninstaller-name", "expected a file name such as \"Uninstall.exe\"");
}

// The stub shows a packed DIB: a .bmp file without its 14-byte file header,
// with a core (12-byte) or info (40-byte) header.
void readBitmap(const ManifestTable& a, Settings& s) {
    if (!a.has("background-bitmap")) return;
    std::vector<uint8_t> file = a.fileBytes("background-bitmap");
    if (file.size() <= 14 + 12 || file[0] != 'B' || file[1] != 'M')
        a.fail("background-bitmap", "not a .bmp file (it does not start with \"BM\")");
    uint32_t headerSize = file[14] | file[15] << 8 | file[16] << 16 | uint32_t(file[17]) << 24;
    if (headerSize != 12 && headerSize != 40)
        a.fail("background-bitmap", "the bitmap has a " + std::to_string(headerSize) +
                                        "-byte header; save it as a Windows 3 (40-byte header) .bmp");
    s.backgroundBitmap.assign(file.begin() + 14, file.end());
}

void readAppearance(const ManifestTable& root, Settings& s) {
    ManifestTable a = root.table("appearance");
    a.allowOnly("appearance");
    s.titleColor = a.colour("title-color", s.titleColor);
    s.titleShadow = a.boolean("title-shadow", s.titleShadow != 0) ? 1 : 0;
    s.topColor = a.colour("top-color", s.topColor);
    s.bottomColor = a.colour("bottom-color", s.bottomColor);
    s.bitmapSize = int32_t(a.integer("bitmap-size", 0, payload::kMaxBitmapPercent, s.bitmapSize));
    readBitmap(a, s);
}

void readTexts(const ManifestTable& root, Settings& s) {
    ManifestTable t = root.table("texts");
    t.allowOnly("texts");
    if (t.has("licence") && t.has("license")) t.fail("license", "give either \"licence\" or \"license\", not both");
    const char* licenceKey = t.has("license") ? "license" : "licence";
    s.licenceTexts = t.textList(licenceKey);
    s.readmeTexts = t.textList("readme");
    if (s.licenceTexts.size() > size_t(payload::kMaxLicenceTexts))
        t.fail(licenceKey, "at most " + std::to_string(payload::kMaxLicenceTexts) + " texts; found " +
                               std::to_string(s.licenceTexts.size()));
    if (s.readmeTexts.size() > size_t(payload::kMaxLicenceTexts))
        t.fail("readme", "at most " + std::to_string(payload::kMaxLicenceTexts) + " texts; found " +
                              std::to_string(s.readmeTexts.size()));
}

void readBatch(const ManifestTable& root, Settings& s) {
    ManifestTable b = root.table("batch");
    b.allowOnly("batch");
    s.installBatchBefore = b.textOrFile("before-install");
    s.installBatchAfter = b.textOrFile("after-install");
    s.installBatchLast = b.textOrFile("at-end");
    s.uninstallBatch1 = b.textOrFile("uninstall-first");
    s.uninstallBatch2 = b.textOrFile("uninstall-last");
}

// Different products get different volume ids without the author choosing one.
uint32_t defaultVolumeId(const Settings& s) {
    std::string seed = s.productName + '\n' + s.displayVersion;
    return payloadChecksum(seed.data(), seed.size());
}

void readLayout(const ManifestTable& root, Installer& installer) {
    Settings& s = installer.settings;
    ManifestTable l = root.table("layout");
    l.allowOnly("layout");
    installer.layout.packLevel = int(l.integer("pack-level", kPackMinLevel, kPackMaxLevel, kPackDefaultLevel));
    installer.layout.dataInFile = l.boolean("data-in-file", false);
    s.dataInFile = installer.layout.dataInFile ? 1 : 0;
    installer.layout.volumeSize = l.byteCount("volume-size", 0);
    if (installer.layout.volumeSize != 0 && installer.layout.volumeSize < 512)
        l.fail("volume-size", "a volume must hold at least 512 bytes (0 keeps everything in the installer)");
    s.volumeBaseName = l.text("volume-base-name", kDefaultVolumeBaseName);
    if (s.volumeBaseName.find_first_not_of(" \t") == std::string::npos)
        l.fail("volume-base-name", "the volume files need a base name");
    if (s.volumeBaseName.find_first_of("\\/:*?\"<>|") != std::string::npos)
        l.fail("volume-base-name", "a file name cannot hold \\ / : * ? \" < > |");
    s.firstVolumeId = uint32_t(l.integer("first-volume-id", 0, UINT32_MAX, defaultVolumeId(s)));
}

void readUninstallerPatch(const ManifestTable& root, Settings& s) {
    if (!root.has("uninstaller-patch")) return;
    ManifestTable p = root.table("uninstaller-patch");
    p.allowOnly("uninstaller-patch");
    if (!hasFlag(s, payload::flag::KeepUninstallRecord))
        root.fail("uninstaller-patch", "only used with the flag \"uninstall-record\" (without it there is no uninstaller)");
    s.uninstallerPatchOffset = int32_t(p.integer("offset", 1, INT32_MAX, 0));
    if (!p.has("offset") || !p.has("file")) p.fail("", "needs both \"offset\" and \"file\"");
    s.uninstallerPatch = p.fileBytes("file");
}

void readTopLevel(const ManifestTable& root, Settings& s) {
    s.minStepTime = uint16_t(root.integer("min-step-time", 0, payload::kMaxMinStepTime, 0));
    if (root.has("shortcuts")) {
        std::optional<std::string> mode = root.optionalText("shortcuts");
        if (*mode != "current-user" && *mode != "all-users")
            root.fail("shortcuts", "unknown value \"" + *mode + "\"; expected \"current-user\" or \"all-users\"");
        s.shortcutMode = *mode == "all-users" ? 1 : 0;
    }
    s.excludedSystems = root.bitNames("excluded-systems", excludedSystems()).value_or(0);
}

Manifest readRoot(const toml::table& doc, const ManifestContext& context) {
    ManifestTable bare(&doc, "", context, kDefaultCodepage, Spot{1, 0});
    std::string codepage = bare.text("codepage", kDefaultCodepage);
    if (!isKnownCodepage(codepage))
        bare.fail("codepage", "unknown code page \"" + codepage + "\"; use an iconv name such as \"CP1252\"");
    ManifestTable root = bare.withCodepage(codepage);
    root.allowOnly("");
    Manifest m;
    Settings& s = m.installer.settings;
    readFlags(root, s);
    readTopLevel(root, s);
    m.buildTime = root.dateTime("build-time");
    if (m.buildTime && m.buildTime->hour < 0) root.fail("build-time", "expected a date and a time, such as 2024-05-31T12:00:00");
    readProduct(root, s);
    readDirectories(root, s);
    readAppearance(root, s);
    readTexts(root, s);
    readBatch(root, s);
    readLayout(root, m.installer);
    readUninstallerPatch(root, s);
    readDeletions(root, s);
    readAssociations(root, s);
    readUninstallValues(root, s);
    readLanguages(root, s);
    readFiles(root, m.installer);
    return m;
}

Manifest parseAndRead(const std::string& text, const std::string& shownName,
                      const std::filesystem::path& directory, BuildObserver* observer) {
    toml::table doc;
    try {
        doc = toml::parse(text, shownName);
    } catch (const toml::parse_error& e) {
        const toml::source_position& at = e.source().begin;
        throw ManifestError(spotText(shownName, Spot{at.line, at.column}) + ": not valid TOML: " +
                            std::string(e.description()));
    }
    ManifestContext context{shownName, directory, observer};
    return readRoot(doc, context);
}

}  // namespace

Manifest readManifest(const std::filesystem::path& path, const std::string& shownName, BuildObserver* observer) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw ManifestError(shownName + ": cannot open the manifest: " + std::strerror(errno));
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::filesystem::path directory = path.parent_path();
    if (directory.empty()) directory = ".";
    return parseAndRead(text, shownName, directory, observer);
}

Manifest readManifestText(const std::string& text, const std::string& shownName,
                          const std::filesystem::path& directory) {
    return parseAndRead(text, shownName, directory, nullptr);
}

DateTime utcDateTime(int64_t seconds) {
    time_t t = time_t(seconds);
    struct tm parts {};
    gmtime_r(&t, &parts);
    DateTime d;
    d.year = parts.tm_year + 1900;
    d.month = parts.tm_mon + 1;
    d.day = parts.tm_mday;
    d.hour = parts.tm_hour;
    d.minute = parts.tm_min;
    d.second = parts.tm_sec;
    return d;
}

DateTime chooseBuildTime(const char* sourceDateEpoch, const std::optional<DateTime>& fromManifest, int64_t now) {
    if (sourceDateEpoch && *sourceDateEpoch) {
        char* end = nullptr;
        long long seconds = strtoll(sourceDateEpoch, &end, 10);
        if (*end != '\0' || seconds < 0)
            throw std::runtime_error(std::string("SOURCE_DATE_EPOCH is not a number of seconds: ") + sourceDateEpoch);
        return utcDateTime(seconds);
    }
    if (fromManifest) return *fromManifest;
    return utcDateTime(now);
}

}  // namespace build
