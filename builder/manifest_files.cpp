// [[files]]: each entry names its sources with a glob relative to the
// manifest; every match becomes one FileEntry, in sorted order.
#include <glob.h>
#include <sys/stat.h>

#include <fstream>
#include <iterator>

#include "builder/manifest.h"
#include "builder/manifest_sections.h"
#include "payload/format.h"

namespace build {
namespace {

constexpr uint32_t kProgram = 0, kFont = 4, kStartup = 5, kSystem = 6, kTypeLibrary = 8;

bool getsShortcuts(uint32_t kind) { return kind == kProgram || kind == kStartup; }
bool hasVersion(uint32_t kind) { return kind >= kSystem && kind <= kTypeLibrary; }

// Regular files matching `pattern`, sorted (glob sorts in the C locale).
std::vector<std::string> matchingFiles(const std::string& pattern) {
    std::vector<std::string> out;
    glob_t found{};
    if (glob(pattern.c_str(), GLOB_ERR, nullptr, &found) == 0) {
        for (size_t i = 0; i < found.gl_pathc; ++i) {
            struct stat st {};
            if (stat(found.gl_pathv[i], &st) == 0 && S_ISREG(st.st_mode)) out.push_back(found.gl_pathv[i]);
        }
    }
    globfree(&found);
    return out;
}

// The kind's own text (shortcut name, version or font name) and the checks
// that keys belong to the kind.
void readKindTexts(const ManifestTable& t, FileEntry& e) {
    bool shortcuts = getsShortcuts(e.kind);
    for (const char* key : {"desktop-shortcut", "start-menu-shortcut", "shortcut-name", "shortcut-icon",
                            "shortcut-arguments"})
        if (!shortcuts && t.has(key)) t.fail(key, "only files of kind \"program\" or \"startup\" get shortcuts");
    if (!hasVersion(e.kind) && t.has("version"))
        t.fail("version", "only kinds \"system\", \"com-server\" and \"type-library\" carry a version");
    if (e.kind != kFont && t.has("font-name")) t.fail("font-name", "only files of kind \"font\" have a font name");

    if (t.boolean("desktop-shortcut", false)) e.flags |= payload::kEntryDesktopShortcut;
    if (t.boolean("start-menu-shortcut", false)) e.flags |= payload::kEntryStartMenuShortcut;
    e.firstText = shortcuts ? t.text("shortcut-name") : hasVersion(e.kind) ? t.text("version") : t.text("font-name");
    e.shortcutIcon = t.text("shortcut-icon");
    if (t.has("shortcut-icon") && !(e.flags & (payload::kEntryDesktopShortcut | payload::kEntryStartMenuShortcut)))
        t.fail("shortcut-icon", "only stored with desktop-shortcut or start-menu-shortcut");
    e.shortcutArguments = t.text("shortcut-arguments");
}

// Everything of an entry but the source's own name, body and time.
FileEntry readTemplate(const ManifestTable& t) {
    FileEntry e;
    e.kind = t.named("kind", fileKinds(), kProgram);
    e.flags = t.named("install", existenceRules(), 0);
    if (!t.boolean("remove-on-uninstall", true)) e.flags |= payload::kEntryNotRecorded;
    if (t.boolean("in-uninstall-dir", false)) e.flags |= payload::kEntryInUninstallDir;
    readKindTexts(t, e);
    e.destination = t.text("destination");
    e.attributes = t.bitNames("attributes", fileAttributes()).value_or(payload::kAttributesUnchanged);
    return e;
}

void addSource(const ManifestTable& t, const std::string& path, FileEntry e, std::vector<FileEntry>& out) {
    std::ifstream in(path, std::ios::binary);
    e.body.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!in && !in.eof()) t.fail("source", "cannot read \"" + path + "\"");
    if (e.body.size() > size_t(payload::kMaxFileSize))
        t.fail("source", "\"" + path + "\" is larger than " + std::to_string(payload::kMaxFileSize) + " bytes");
    if (std::optional<DateTime> given = t.dateTime("modified")) {
        e.modified = *given;
    } else {
        struct stat st {};
        if (stat(path.c_str(), &st) != 0) t.fail("source", "cannot read the time of \"" + path + "\"");
        e.modified = utcDateTime(st.st_mtime);
    }
    out.push_back(std::move(e));
}

}  // namespace

void readFiles(const ManifestTable& root, Installer& installer) {
    for (const ManifestTable& t : root.tables("files")) {
        t.allowOnly({"source", "name", "kind", "destination", "desktop-shortcut", "start-menu-shortcut",
                     "shortcut-name", "shortcut-icon", "shortcut-arguments", "version", "font-name", "install",
                     "remove-on-uninstall", "in-uninstall-dir", "attributes", "modified"});
        if (!t.has("source")) t.fail("source", "missing; every entry names its file(s) with \"source\"");
        std::string source = t.pathText("source");
        FileEntry shape = readTemplate(t);
        std::vector<std::string> paths = matchingFiles((t.context().directory / source).string());
        if (paths.empty()) t.fail("source", "\"" + source + "\" matches no file");
        if (t.has("name") && paths.size() != 1)
            t.fail("name", "\"" + source + "\" matches " + std::to_string(paths.size()) +
                               " files; a new name fits only one");
        for (const std::string& path : paths) {
            FileEntry e = shape;
            std::string fileName = std::filesystem::path(path).filename().string();
            e.name = t.has("name") ? t.text("name") : t.toAnsi(fileName, "source");
            if (e.name.empty() || e.name.find_first_of("\\/") != std::string::npos)
                t.fail("name", "a file name, without directories");
            addSource(t, path, std::move(e), installer.files);
        }
    }
}

}  // namespace build
