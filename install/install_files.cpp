#include "install/install_files.h"

#include "core/date.h"
#include "core/path.h"
#include "core/timestamp_format.h"
#include "install/version_compare.h"
#include "payload/format.h"

namespace {

constexpr uint32_t kRemoveWholeFolder = payload::flag::RemoveWholeFolder.bit;

bool isProgramKind(uint32_t kind) { return kind == FileKindProgram || kind == FileKindStartup; }

// The directory of a kind; false for a kind without one.
bool kindDirectory(uint32_t kind, const DestinationFolders& folders, String& directory) {
    switch (kind) {
        case FileKindProgram:
        case FileKindStartup: directory = folders.installDir; return true;
        case FileKindShared: directory = folders.sharedDir; return true;
        case FileKindFont: directory = folders.fontDir; return true;
        case FileKindSystemShared:
        case FileKindComServer:
        case FileKindTypeLibrary: directory = folders.systemDir; return true;
        default: return false;
    }
}

// Negative, 0 or positive as `a` lies before, on or after `b`, field by
// field in the order given.
int compareFields(const int32_t* a, const int32_t* b, int count) {
    for (int i = 0; i < count; i++) {
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    }
    return 0;
}

// Year, month, day, hour, minute, second, as a file time is ordered.
int compareFileTimes(const DateTime& a, const DateTime& b) {
    const int32_t left[] = {a.year, a.month, a.day, a.hour, a.minute, a.second};
    const int32_t right[] = {b.year, b.month, b.day, b.hour, b.minute, b.second};
    return compareFields(left, right, 6);
}

String lineFor(const String& destination, const char* text) {
    String line(destination);
    line += text;
    return line;
}

const char kOutOfDate[] = " is out of date and will be replaced.\r\n";

ReplacementDecision keep(const String& destination, const char* text) {
    ReplacementDecision decision;
    decision.replace = false;
    if (text) decision.logLine = lineFor(destination, text);
    return decision;
}

ReplacementDecision replaceOutOfDate(const String& destination) {
    ReplacementDecision decision;
    decision.logLine = lineFor(destination, kOutOfDate);
    return decision;
}

// The file's time against a date condition's argument: the dates, then the
// times of day when the argument has one. An argument without a date is
// compared by its time of day alone.
int compareWithArgument(const DateTime& modified, const Timestamp& argument) {
    const int32_t fileDate[] = {modified.year, modified.month, modified.day};
    const int32_t fileTime[] = {modified.hour, modified.minute, modified.second};
    const int32_t argumentDate[] = {argument.date.year, argument.date.month, argument.date.day};
    const int32_t argumentTime[] = {argument.time.hour, argument.time.minute, argument.time.second};
    const bool hasDate = !argument.date.isNull();
    if (hasDate) {
        int byDate = compareFields(fileDate, argumentDate, 3);
        if (byDate != 0 || !argument.time.isSet()) return byDate;
    }
    return compareFields(fileTime, argumentTime, 3);
}

}  // namespace

int resolveDestination(const FileEntry& entry, const DestinationFolders& folders, void (*expand)(String&),
                       FileDestination& out) {
    String destination = entry.destination;
    out.name = entry.name;
    if (!destination.isEmpty() && destination.findChar('\\') < 0) {
        out.name = destination;
        destination.clear();
    }
    if (!destination.isEmpty()) {
        expand(destination);
        makeAbsolutePath(destination, entry.kind == FileKindShared ? folders.sharedDir : folders.installDir);
        if (destination.endsWithChar('\\')) destination += fileNamePart(out.name);
        out.path = destination;
        out.createDirectory = true;
        return 0;
    }
    if (entry.flags & payload::kEntryInUninstallDir) {
        out.path = joinPath(folders.uninstallDir, out.name);
        out.createDirectory = false;
        return 0;
    }
    String directory;
    if (!kindDirectory(entry.kind, folders, directory)) return kUnknownFileKind;
    out.path = joinPath(directory, out.name);
    out.createDirectory = isProgramKind(entry.kind);
    return 0;
}

bool directoryToCreate(const String& destination, const String& installDir, String& directory) {
    directory = directoryPart(destination);
    return !directory.equalsIgnoreCase(installDir.text());
}

bool sharedFileEntry(uint32_t kind, uint32_t flags, const String& destination, String& entry) {
    char marker = 0;
    switch (kind) {
        case FileKindShared: break;
        case FileKindSystemShared: marker = kSharedNeverDelete; break;
        case FileKindComServer: marker = kSharedComServer; break;
        case FileKindTypeLibrary: marker = kSharedTypeLibrary; break;
        default: return false;
    }
    if (flags & payload::kEntryNotRecorded) marker = kSharedNeverDelete;
    entry = destination;
    if (marker) entry.appendChar(marker);
    return true;
}

bool wantsShortcut(uint32_t kind, uint32_t flags) {
    const uint32_t shortcutFlags = payload::kEntryDesktopShortcut | payload::kEntryStartMenuShortcut;
    return kind == FileKindStartup || (kind == FileKindProgram && (flags & shortcutFlags) != 0);
}

ShortcutRequest shortcutRequestFor(const FileEntry& entry, const String& destination, const String& uninstallDir,
                                   const char* defaultNameFormat) {
    ShortcutRequest request;
    if (entry.firstText.isEmpty()) {
        request.name.format(defaultNameFormat, fileNamePart(destination));
    } else {
        request.name = entry.firstText;
    }
    request.target = destination;
    request.arguments = entry.shortcutArguments;
    if (!entry.shortcutIcon.isBlank()) request.icon = joinPath(uninstallDir, entry.shortcutIcon);
    request.kind = entry.kind;
    request.flags = entry.flags;
    return request;
}

bool recordedForUninstall(uint32_t kind, uint32_t flags, uint32_t productFlagsLow) {
    return isProgramKind(kind) && (flags & payload::kEntryNotRecorded) == 0 &&
           (productFlagsLow & kRemoveWholeFolder) == 0;
}

bool existenceRuleAsks(uint32_t flags) {
    uint32_t rule = flags & payload::kEntryExistenceRuleMask;
    return rule == 0x8 || rule == 0xC;
}

ExistenceAction existenceRule(uint32_t flags, uint32_t kind, bool exists) {
    switch (flags & payload::kEntryExistenceRuleMask) {
        case 0x4: return ExistenceSkip;
        case 0x8: return exists ? ExistenceGoOn : ExistenceSkip;
        case 0xC:
            if (!exists) return ExistenceGoOn;
            return isProgramKind(kind) && (flags & payload::kEntryNotRecorded) == 0 ? ExistenceSkipButRecord
                                                                                   : ExistenceSkip;
        default: return ExistenceGoOn;
    }
}

ReplacementTest replacementTestOf(uint32_t kind) {
    switch (kind) {
        case FileKindShared:
        case FileKindFont: return ReplaceByDate;
        case FileKindSystemShared:
        case FileKindComServer:
        case FileKindTypeLibrary: return ReplaceByVersionThenDate;
        default: return ReplaceAlways;
    }
}

ReplacementDecision decideByDate(const String& destination, const DateTime& entryTime, const ExistingFile& existing) {
    if (!entryTime.hasDate() || !entryTime.hasTime() || !existing.infoRead ||
        compareFileTimes(existing.modified, entryTime) < 0) {
        return replaceOutOfDate(destination);
    }
    return keep(destination, " is up to date.\r\n");
}

ReplacementDecision decideByVersionThenDate(const String& destination, const String& entryVersion,
                                            const DateTime& entryTime, const ExistingFile& existing) {
    if (!entryVersion.isBlank() && !existing.version.isBlank() &&
        CompareVersions(entryVersion, existing.version) <= 0) {
        return keep(destination, " was not installed because its version is not newer.\r\n");
    }
    if (!existing.infoRead) return keep(destination, nullptr);
    if (compareFileTimes(existing.modified, entryTime) >= 0) {
        return keep(destination, " was not installed because its date is not newer.\r\n");
    }
    return replaceOutOfDate(destination);
}

int deletionApplies(const FileDeletion& deletion, int64_t size, const DateTime& modified, int32_t currentYear,
                    bool& remove) {
    remove = true;
    switch (deletion.condition) {
        case 1:
        case 2:
        case 3: {
            Timestamp argument = ParseTimestamp(deletion.argument, currentYear);
            if (argument.date.isNull() && !argument.time.isSet()) return kBadDeletionDate;
            int order = compareWithArgument(modified, argument);
            remove = deletion.condition == 1 ? order == 0 : deletion.condition == 2 ? order >= 0 : order <= 0;
            return 0;
        }
        case 4:
        case 5:
        case 6: {
            int64_t limit = deletion.argument.toInteger64();
            remove = deletion.condition == 4 ? size == limit : deletion.condition == 5 ? size >= limit : size <= limit;
            return 0;
        }
        default: return 0;
    }
}
