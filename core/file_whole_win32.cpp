// The whole-file helpers: one File opened, used and closed per call.
#include <windows.h>
#include <string.h>

#include "core/file.h"
#include "core/system_info.h"
#include "core/system_paths.h"

// The size of the pieces fileMatchesMemory compares.
static const int32_t comparePieceSize = 4096;
// Attempts of appendTextToFile.
static const int32_t appendAttempts = 10;

bool fileExists(const String& path) {
    File file;
    FileOpenResult result = file.open(path, ModeExistenceTest);
    return result == FileOpened || result == FileLocked;
}

FileOpenResult readWholeFile(const String& path, String& out) {
    out.clear();
    if (path.isEmpty()) return FileInvalidName;
    File file;
    FileOpenResult result = file.open(path, ModeReadOnly);
    if (result != FileOpened) return result;
    return file.readAll(out) ? FileOpened : FileReadFailed;
}

static bool writeOpened(File& file, const void* data, int32_t count) {
    if (!data || count <= 0) return true;
    if (count == WholeText) count = int32_t(strlen(static_cast<const char*>(data)));
    return file.write(data, count);
}

bool writeWholeFile(const String& path, const void* data, int32_t count) {
    File file;
    if (file.open(path, ModeCreateAlways) != FileOpened) return false;
    return writeOpened(file, data, count);
}

bool writeWholeFile(const String& path, const String& data) {
    return writeWholeFile(path, data.text(), data.length());
}

bool writeTempFile(const void* data, int32_t count, String& name) {
    File file;
    FileOpenResult result = file.open(nullptr, ModeTempName);
    name = file.name();
    if (result != FileOpened) return false;
    return writeOpened(file, data, count);
}

bool fileMatchesMemory(const void* data, int32_t count, const String& path) {
    File file;
    if (file.open(path, ModeReadOnly) != FileOpened || file.length() != count) return false;
    const char* expected = static_cast<const char*>(data);
    char piece[comparePieceSize];
    for (int32_t done = 0; done < count;) {
        int32_t size = count - done < comparePieceSize ? count - done : comparePieceSize;
        if (!file.read(piece, size) || memcmp(piece, expected + done, size_t(size)) != 0) return false;
        done += size;
    }
    return true;
}

bool appendTextToFile(const String& path, const char* text, uint32_t flags) {
    uint32_t mode = ModeAppend | ((flags & AppendMustExist) ? ModeOpenExisting : ModeOpenAlways);
    // Another program (a virus scanner, an editor) may hold the file for a
    // moment; a failed write is tried again a little later.
    for (int32_t attempt = 0; attempt < appendAttempts; attempt++) {
        File file;
        if (file.open(path, mode) != FileOpened) return false;
        if (flags & AppendOnNewLine) file.ensureLineBreakAtEnd();
        if (!text || !*text) return true;
        // ensureLineBreakAtEnd keeps the position it found, before its line break.
        if (file.seekFromEnd(0) && file.writeText(text)) return true;
        if (flags & AppendNoRetry) return false;
        file.close();
        SleepMs(100);
    }
    return false;
}

String tempFileName(const String& directory) {
    const String& where = directory.isEmpty() ? SystemPaths.tempDirectory : directory;
    char name[MAX_PATH + 1];
    if (GetTempFileNameA(where.text(), "TVT", 0, name) == 0) return String();
    return String(name);
}
