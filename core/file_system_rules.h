// The text and number rules of the file-system operations (core/file_system.h),
// kept apart from the system calls so that they are tested on any host.
#pragma once
#include <stdint.h>

#include "core/string.h"

// The directory name removeDirectory hands to the system: `path` without every
// trailing backslash. False for a path of 3 characters or fewer, so that a
// drive root is never removed.
bool directoryToRemove(const String& path, String& directory);

// Whether deleteDirectoryTree may walk `path`: at least 4 characters and not
// the Windows directory (compared by pathsEqualTrimmed).
bool mayDeleteTree(const String& path, const String& windowsDirectory);

// How moveFile's two names relate.
enum MoveNames {
    MoveSameName,   // identical byte for byte: nothing to do
    MoveCaseOnly,   // differ only in letter case: the system renames in place
    MoveOtherName,  // a different file: the destination is deleted first
};
MoveNames compareMoveNames(const String& source, const String& destination);

// "X:\" for a path beginning with a letter; empty otherwise. The disk-space
// queries ask about the root of the path's drive.
String driveRootOfPath(const String& path);

// sectors per cluster x bytes per sector x clusters, in 64 bits.
uint64_t clusterBytes(uint32_t sectorsPerCluster, uint32_t bytesPerSector, uint32_t clusters);
