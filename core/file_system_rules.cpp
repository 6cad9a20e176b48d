#include "core/file_system_rules.h"

#include "core/path.h"

bool directoryToRemove(const String& path, String& directory) {
    if (path.length() <= 3) return false;
    directory = path;
    directory.removeAllTrailing('\\');
    return true;
}

bool mayDeleteTree(const String& path, const String& windowsDirectory) {
    return path.length() >= 4 && !pathsEqualTrimmed(path, windowsDirectory);
}

MoveNames compareMoveNames(const String& source, const String& destination) {
    if (source.equals(destination)) return MoveSameName;
    return source.compare(destination, false) == 0 ? MoveCaseOnly : MoveOtherName;
}

String driveRootOfPath(const String& path) {
    char letter = path.charAt(0);
    bool isLetter = (letter >= 'a' && letter <= 'z') || (letter >= 'A' && letter <= 'Z');
    if (!isLetter) return String();
    return formatText("%c:\\", letter);
}

uint64_t clusterBytes(uint32_t sectorsPerCluster, uint32_t bytesPerSector, uint32_t clusters) {
    return uint64_t(sectorsPerCluster) * bytesPerSector * clusters;
}
