// File specification lists: texts of lines such as "C:\Data\a.txt;b.txt" or
// "Logs\*.log /s" that name files by patterns. These are the pure steps; the
// directory search that turns a pattern into existing files is the caller's.
//
// Line form: an optional directory, a backslash, then specifications
// separated by ";". The directory is everything before the last backslash
// that precedes the first ";" outside double quotes (directoryPart); a
// backslash right after a drive's ":" stays with it. A specification may hold
// "*" and "?" and may end in " /s" (any case): search all subdirectories too.
#pragma once
#include <stdint.h>

#include "core/containers.h"
#include "core/string.h"

// Appends to `specifications` the specifications of one line, each made
// absolute (makeAbsolutePath) against the line's directory and still carrying
// its " /s" marker. The line is trimmed of blanks, CR, LF and tabs first. A
// blank directory is `defaultDirectory`; any other is made absolute against
// it (so a relative one lies inside it). The rest is split at every ";" as it
// stands (no quoting); empty pieces are skipped, and so is a piece that is
// not absolute when there is no directory at all. Returns how many it added.
int32_t parseSpecificationLine(const String& line, const String& defaultDirectory, Array<String>& specifications);

// parseSpecificationLine for every line of `text` (any line ending), in
// order. Returns how many it added.
int32_t parseSpecificationText(const String& text, const String& defaultDirectory, Array<String>& specifications);

// One specification taken apart for the search.
struct FileSpecification {
    String pattern;      // the search pattern without the marker: "C:\Logs\*.log"
    String directory;    // directoryPart(pattern): where the found names are joined on
    String namePattern;  // fileNamePart(pattern): the pattern for each subdirectory
    bool recursive = false;
};

// Removes a trailing " /s" (any case, with the blanks before it) from
// `specification`; true when it was there.
bool takeRecursiveMarker(String& specification);

// Splits `specification` into its parts (see FileSpecification).
FileSpecification splitSpecification(const String& specification);

// Collects found files into `files` (which may already hold some) without
// duplicates: a path equal to one already there, letter case ignored (ASCII),
// is not added again. Order is the order of arrival. `files` must outlive the
// builder and must only grow through it while the builder is in use.
class FileListBuilder {
public:
    explicit FileListBuilder(Array<String>& files);
    FileListBuilder(const FileListBuilder&) = delete;
    FileListBuilder& operator=(const FileListBuilder&) = delete;

    // True when `path` was new and appended.
    bool add(const String& path);
    int32_t count() const { return files_.count(); }

private:
    bool remember(const String& path);

    Array<String>& files_;
    NameSet seen_;  // lower-cased paths
};
