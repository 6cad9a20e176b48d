// What a Wine prefix holds, taken at one moment so that two moments can be
// compared: the drive_c file tree and the registry files as keys and values.
#pragma once
#include <map>
#include <set>
#include <string>
#include <vector>

namespace e2e {

struct PrefixSnapshot {
    // drive_c-relative path -> "dir", "link" or "<size>:<content hash>".
    std::map<std::string, std::string> files;
    // "<file>:<key>" -> value name (as the file writes it, "@" the default) -> data.
    // Key-line timestamps and "#time=" lines are left out: Wine rewrites them.
    std::map<std::string, std::map<std::string, std::string>> keys;
};

// Reads the prefix at `prefixDir`. Its wineserver must have been stopped
// first, so that the registry files hold everything. Paths under one of
// `skippedFolders` (drive_c-relative, e.g. "robot") are left out.
PrefixSnapshot takeSnapshot(const std::string& prefixDir, const std::vector<std::string>& skippedFolders);

// The differences from `before` to `after`, one line each:
// "+file P", "-file P", "~file P", "+key K", "-key K", "+value K | N",
// "-value K | N", "~value K | N".
std::vector<std::string> differences(const PrefixSnapshot& before, const PrefixSnapshot& after);

// The thing a difference line is about (the line without its sign), so that
// differences seen between two idle snapshots can be set aside as noise.
std::string subjectOf(const std::string& difference);

}  // namespace e2e
