// Reading the installer's own file to find where the loader mapped the payload.
#include <windows.h>

#include "driver/failure.h"
#include "payload/payload_open.h"

namespace {

// The installer's file, opened once for the whole run.
class OwnFile final : public FileBytes {
public:
    explicit OwnFile(HANDLE h) : handle_(h) {}
    bool readAt(uint32_t offset, void* out, uint32_t count) override {
        if (!seek(offset)) return false;
        DWORD got = 0;
        return ReadFile(handle_, out, count, &got, nullptr) && got == count;
    }
    bool seek(uint32_t offset) {
        return SetFilePointer(handle_, (LONG)offset, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER;
    }

private:
    HANDLE handle_;
};

HANDLE OwnFileHandle = INVALID_HANDLE_VALUE;

}  // namespace

void OpenPayload(const char* installSource, PayloadLocation& location) {
    OwnFileHandle = CreateFileA(installSource, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (OwnFileHandle == INVALID_HANDLE_VALUE) FatalMessage(kCannotOpenItself, installSource);
    OwnFile file(OwnFileHandle);
    location.fileLength = GetFileSize(OwnFileHandle, nullptr);

    int found = findPayloadSection(file, location.section);
    if (found == SectionMissing) FatalMessage(kNoPayloadExplanation);
    if (found != SectionFound) ReportCorrupt(found);
    if (location.section.fileDataOffset == 0) ReportCorrupt(9);
    if (!file.seek(location.section.fileDataOffset)) ReportCorrupt(10);
    location.mapped = (const uint8_t*)GetModuleHandleA(nullptr) + location.section.memoryOffset;
}
