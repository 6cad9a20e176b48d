// File specification lists: the directory searches behind core/file_spec.h.
#include "core/file_list.h"
#include "core/file_spec.h"
#include "core/file_system.h"
#include "core/path.h"

static bool isDotEntry(const String& name) { return name.equals(".") || name.equals(".."); }

int64_t ExpandSpecification(Array<String>& files, const String& specification, uint32_t flags) {
    if (!(flags & ExpandAppend)) files.clear();
    FileSpecification parts = splitSpecification(specification);
    int64_t total = 0;

    FileFinder finder;
    FileInfo info;
    for (bool found = finder.findFirst(parts.pattern, info); found; found = finder.findNext(info)) {
        bool listed = !info.isDirectory() || ((flags & ExpandListDirectories) && !isDotEntry(info.longName));
        if (!listed) continue;
        files.append(joinPath(parts.directory, info.longName));
        total += info.size;
    }
    if (!parts.recursive) return total;

    String everything = joinPath(parts.directory, String("*.*"));
    for (bool found = finder.findFirst(everything, info); found; found = finder.findNext(info)) {
        if (!info.isDirectory() || isDotEntry(info.longName)) continue;
        String below = joinPath(joinPath(parts.directory, info.longName), parts.namePattern);
        below.append(" /s");
        total += ExpandSpecification(files, below, flags | ExpandAppend);
    }
    return total;
}

void ExpandFileSpecifications(const String& text, Array<String>& files, const String& defaultDirectory) {
    Array<String> specifications;
    parseSpecificationText(text, defaultDirectory, specifications);
    FileListBuilder list(files);
    for (const String& specification : specifications) {
        Array<String> found;
        ExpandSpecification(found, specification, 0);
        for (const String& path : found) list.add(path);
    }
}
