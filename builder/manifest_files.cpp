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
        t.fail("shortcut-icon", "only used with desktop-shortcut = true or start-menu-shortcut = true");
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
    if (e.destination.find('/') != std::string::npos)
        t.fail("destination", "the target is Windows: write folders with backslashes, such as 'Docs\\' "
                              "(a destination without a backslash renames the file)");
    e.attributes = t.bitNames("attributes", fileAttributes()).value_or(payload::kAttributesUnchanged);
    return e;
}

// One source file found for an entry, before its body is read.
struct FoundSource {
    const ManifestTable* table;
    FileEntry shape;
    std::string path;
    uint64_t size;
};

// A found path as the manifest's author sees it: relative to the manifest.
std::string shownPath(const ManifestTable& t, const std::string& path) {
    std::string prefix = (t.context().directory / "").string();
    return path.compare(0, prefix.size(), prefix) == 0 ? path.substr(prefix.size()) : path;
}

// Reads the body and the time; reports the bytes read to the observer.
void addSource(const FoundSource& found, BuildObserver& observer, uint64_t& done, std::vector<FileEntry>& out) {
    const ManifestTable& t = *found.table;
    FileEntry e = found.shape;
    std::ifstream in(found.path, std::ios::binary);
    e.body.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!in && !in.eof()) t.fail("source", "cannot read \"" + found.path + "\"");
    if (e.body.size() > size_t(payload::kMaxFileSize))
        t.fail("source", "\"" + found.path + "\" is larger than an installer can carry (" +
                             std::to_string(payload::kMaxFileSize) + " bytes)");
    if (std::optional<DateTime> given = t.dateTime("modified")) {
        e.modified = *given;
    } else {
        struct stat st {};
        if (stat(found.path.c_str(), &st) != 0) t.fail("source", "cannot read the time of \"" + found.path + "\"");
        e.modified = utcDateTime(st.st_mtime);
    }
    observer.fileAdded(shownPath(t, found.path), e.name, nameOfValue(fileKinds(), e.kind), e.body.size());
    done += e.body.size();
    observer.stageProgress(done);
    out.push_back(std::move(e));
}

// The sources of one [[files]] table, each with its entry but the body.
void findSources(const ManifestTable& t, std::vector<FoundSource>& found) {
    t.allowOnly("files[]");
    if (!t.has("source")) t.fail("source", "missing; every [[files]] table names its file(s) with \"source\"");
    std::string source = t.pathText("source");
    FileEntry shape = readTemplate(t);
    std::vector<std::string> paths = matchingFiles((t.context().directory / source).string());
    if (paths.empty())
        t.fail("source", "\"" + source + "\" matches no file (looked in \"" + t.context().directory.string() + "\")");
    if (t.has("name") && paths.size() != 1)
        t.fail("name", "\"" + source + "\" matches " + std::to_string(paths.size()) +
                           " files; \"name\" renames a single file");
    for (const std::string& path : paths) {
        FileEntry e = shape;
        std::string fileName = std::filesystem::path(path).filename().string();
        e.name = t.has("name") ? t.text("name") : t.toAnsi(fileName, "source");
        if (e.name.empty() || e.name.find_first_of("\\/") != std::string::npos)
            t.fail("name", "expected a file name without a folder; use \"destination\" for the folder");
        struct stat st {};
        uint64_t size = stat(path.c_str(), &st) == 0 ? uint64_t(st.st_size) : 0;
        found.push_back({&t, std::move(e), path, size});
    }
}

}  // namespace

void readFiles(const ManifestTable& root, Installer& installer) {
    std::vector<ManifestTable> tables = root.tables("files");
    std::vector<FoundSource> found;
    for (const ManifestTable& t : tables) findSources(t, found);
    uint64_t total = 0;
    for (const FoundSource& f : found) total += f.size;
    BuildObserver& observer = root.context().observer ? *root.context().observer : noObserver();
    observer.stageStarted(BuildStage::ReadingFiles, total);
    uint64_t done = 0;
    for (const FoundSource& f : found) addSource(f, observer, done, installer.files);
    observer.stageFinished(done);
}

}  // namespace build
