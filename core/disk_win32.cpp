// Drives and disk space. GetDiskFreeSpaceExA is missing on the first 95
// release; without it the cluster counts of the older query are used.
#include <windows.h>

#include "core/file_system.h"
#include "core/file_system_rules.h"
#include "core/system_info.h"

// The newer query: looked up once per run, dropped when the system says it is
// not implemented.
static void* diskFreeSpaceEx = nullptr;
static bool diskFreeSpaceExLooked = false;

static void* newerDiskQuery() {
    if (!diskFreeSpaceExLooked) {
        diskFreeSpaceExLooked = true;
        const FunctionTableEntry table[] = {{"GetDiskFreeSpaceExA", &diskFreeSpaceEx, true}, {nullptr, nullptr, false}};
        BindFunctions("kernel32.dll", table);
    }
    return diskFreeSpaceEx;
}

bool driveExists(char letter) {
    char root[] = {letter, ':', '\\', 0};
    return GetDriveTypeA(root) != DRIVE_NO_ROOT_DIR;
}

bool diskSpace(const String& root, uint64_t* freeBytes, uint64_t* totalBytes) {
    if (void* entry = newerDiskQuery()) {
        ULARGE_INTEGER callerFree, total, totalFree;
        if (asFunction<decltype(&::GetDiskFreeSpaceExA)>(entry)(root.text(), &callerFree, &total, &totalFree)) {
            if (freeBytes) *freeBytes = totalFree.QuadPart;
            if (totalBytes) *totalBytes = total.QuadPart;
            return true;
        }
        if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return false;
        diskFreeSpaceEx = nullptr;
    }
    DWORD sectorsPerCluster, bytesPerSector, freeClusters, totalClusters;
    if (!GetDiskFreeSpaceA(root.text(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters)) {
        return false;
    }
    if (freeBytes) *freeBytes = clusterBytes(sectorsPerCluster, bytesPerSector, freeClusters);
    if (totalBytes) *totalBytes = clusterBytes(sectorsPerCluster, bytesPerSector, totalClusters);
    return true;
}

uint64_t freeBytesOnDrive(const String& path) {
    String root = driveRootOfPath(path);
    uint64_t freeBytes = 0;
    if (root.isEmpty() || !diskSpace(root, &freeBytes, nullptr)) return ~uint64_t(0);
    return freeBytes;
}

int32_t clusterSize(const String& path) {
    String root = driveRootOfPath(path);
    DWORD sectorsPerCluster, bytesPerSector, freeClusters, totalClusters;
    if (root.isEmpty() ||
        !GetDiskFreeSpaceA(root.text(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters)) {
        return -1;
    }
    return int32_t(clusterBytes(sectorsPerCluster, bytesPerSector, 1));
}
