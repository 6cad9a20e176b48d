// Random version texts through the comparison and the padding, and random
// catalogue texts through the destination and deletion decisions: no crash,
// no read outside the texts, and the comparison is a consistent order.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include "install/install_files.h"
#include "install/version_compare.h"

static void require(bool condition) {
    if (!condition) abort();
}

static int sign(int32_t value) { return value < 0 ? -1 : value > 0 ? 1 : 0; }

// Padding keeps the order of texts whose every point-separated part starts
// with a digit and that have no lower-case letter (padding upper-cases).
static bool paddingKeepsOrder(const String& text) {
    bool partStart = true;
    for (int32_t i = 0; i < text.length(); i++) {
        char c = text.charAt(i);
        if (c >= 'a' && c <= 'z') return false;
        if (partStart && !(c >= '0' && c <= '9')) return false;
        partStart = c == '.';
    }
    return !partStart || text.isEmpty();
}

static void noExpansion(String&) {}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Layout: one split byte, one kind byte, one flags byte, then the text;
    // the split divides it into two texts.
    if (size < 3 || size > 4096) return 0;
    size_t split = data[0];
    const char* rest = reinterpret_cast<const char*>(data + 3);
    int32_t restLength = int32_t(size - 3);
    int32_t cut = split < size_t(restLength) ? int32_t(split) : restLength;
    String a(rest, cut);
    String b(rest + cut, restLength - cut);

    require(CompareVersions(a, a) == 0);
    require(sign(CompareVersions(a, b)) == -sign(CompareVersions(b, a)));
    String padded = paddedVersionText(a);
    if (paddingKeepsOrder(a)) require(CompareVersions(padded, a) == 0);

    FileEntry entry;
    entry.name = a.isEmpty() ? String("x") : a;
    entry.kind = data[1] % 10;
    entry.flags = data[2];
    entry.destination = b;
    DestinationFolders folders;
    folders.installDir = "C:\\App";
    folders.sharedDir = "C:\\Common\\Maker";
    folders.fontDir = "C:\\W\\Fonts";
    folders.systemDir = "C:\\W\\system32";
    folders.uninstallDir = "C:\\App\\Un";
    FileDestination destination;
    int code = resolveDestination(entry, folders, noExpansion, destination);
    require(code == 0 || code == kUnknownFileKind);

    FileDeletion deletion;
    deletion.condition = uint8_t(data[1] % 8);
    deletion.argument = b;
    bool remove = false;
    code = deletionApplies(deletion, int64_t(size), DateTime{2004, 12, 4, 16, 10, 44}, 2026, remove);
    require(code == 0 || (code == kBadDeletionDate && deletion.condition >= 1 && deletion.condition <= 3));
    return 0;
}
