// One record of the file catalogue in the (unpacked) DataRegion. The body is
// not copied: the entry points at it where it lies in the region.
#pragma once
#include <stdint.h>

#include "core/date_time.h"
#include "core/string.h"
#include "payload/memory_stream.h"

struct FileEntry {
    String name;                 // source name and default target name; never empty
    uint32_t kind = 0;
    uint32_t flags = 0;          // payload::kEntry*
    uint32_t attributes = 0;     // payload::kAttributesUnchanged: leave them
    const uint8_t* body = nullptr;  // inside the region; valid while the region lives
    int32_t size = 0;
    uint32_t checksum = 0;       // equals the body's payload checksum
    DateTime modified;
    String firstText;            // shortcut name, version text or font name, by kind
    String shortcutIcon;         // only with a shortcut flag
    String shortcutArguments;
    String destination;
};

// Reads the next entry from `region`, whose body is `size` bytes long (the
// header's file size for this entry). Returns 0 with `out` filled, or the
// corrupt-payload code: 70 empty name, 71 negative size, 72 size above
// 0x40000000, 100 a body whose checksum differs. An entry cut off by the end
// of the region also gives 100, since its body cannot be the one that was
// stored (a missing name gives 70).
int readFileEntry(MemoryStream& region, int32_t size, FileEntry& out);
