#include "core/file_spec.h"

#include "core/path.h"

// Hash slots of the duplicate set: a few thousand files per list stay on
// short chains.
static constexpr int32_t seenSlotCount = 509;

int32_t parseSpecificationLine(const String& line, const String& defaultDirectory, Array<String>& specifications) {
    String trimmed(line);
    trimmed.trim();
    String directory = directoryPart(trimmed);
    int32_t separator = separatorPosition(trimmed);
    String rest = trimmed.substring(separator + 1);
    if (directory.isBlank()) {
        directory = defaultDirectory;
    } else {
        makeAbsolutePath(directory, defaultDirectory);  // an absolute one stays as it is
    }
    int32_t added = 0;
    while (!rest.isEmpty()) {
        int32_t end = rest.findChar(';');
        String piece = rest.extract(0, end < 0 ? String::all : end);
        rest.dropFirst(1);  // the ";"
        if (piece.isEmpty()) continue;
        makeAbsolutePath(piece, directory);
        if (directory.isEmpty() && !isAbsolutePath(piece)) continue;
        if (piece.isEmpty()) continue;
        specifications.append(moveValue(piece));
        added++;
    }
    return added;
}

int32_t parseSpecificationText(const String& text, const String& defaultDirectory, Array<String>& specifications) {
    String remaining(text);
    int32_t added = 0;
    while (!remaining.isEmpty()) {
        added += parseSpecificationLine(remaining.takeLine(), defaultDirectory, specifications);
    }
    return added;
}

bool takeRecursiveMarker(String& specification) {
    int32_t length = specification.length();
    if (length < 3) return false;
    const char* tail = specification.text() + length - 3;
    if (tail[0] != ' ' || tail[1] != '/' || (tail[2] | 0x20) != 's') return false;
    specification.dropLast(3);
    specification.trimEnd();
    return true;
}

FileSpecification splitSpecification(const String& specification) {
    FileSpecification parts;
    parts.pattern = specification;
    parts.recursive = takeRecursiveMarker(parts.pattern);
    parts.directory = directoryPart(parts.pattern);
    parts.namePattern = fileNamePart(parts.pattern);
    return parts;
}

FileListBuilder::FileListBuilder(Array<String>& files) : files_(files), seen_(seenSlotCount) {
    for (const String& path : files_) remember(path);
}

bool FileListBuilder::remember(const String& path) {
    String key(path);
    key.toLower();
    return seen_.insert(key, true);
}

bool FileListBuilder::add(const String& path) {
    if (!remember(path)) return false;
    files_.append(path);
    return true;
}
