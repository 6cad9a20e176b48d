#include "payload/file_entry.h"

#include "core/checksum.h"
#include "payload/format.h"

namespace {

const int kEntryCutOff = 100;

bool readTrailingTexts(MemoryStream& in, FileEntry& out) {
    bool whole = in.readText(out.firstText);
    if (out.flags & (payload::kEntryDesktopShortcut | payload::kEntryStartMenuShortcut)) {
        whole = in.readText(out.shortcutIcon) && whole;
    }
    whole = in.readText(out.shortcutArguments) && whole;
    return in.readText(out.destination) && whole;
}

}  // namespace

int readFileEntry(MemoryStream& in, int32_t size, FileEntry& out) {
    out = FileEntry();
    in.readText(out.name);
    if (out.name.isEmpty()) return 70;
    bool whole = in.readU32(out.kind);
    whole = in.readU32(out.flags) && whole;
    whole = in.readU32(out.attributes) && whole;
    if (size < 0) return 71;
    if (size > payload::kMaxFileSize) return 72;
    out.size = size;
    out.body = in.take((uint32_t)size);
    if (!whole || !out.body) return kEntryCutOff;
    if (!in.readU32(out.checksum)) return kEntryCutOff;
    if (payloadChecksum(out.body, (size_t)size) != out.checksum) return 100;
    if (!in.readDateTime(out.modified)) return kEntryCutOff;
    return readTrailingTexts(in, out) ? 0 : kEntryCutOff;
}
