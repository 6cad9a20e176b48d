// Reading the installer's own file to find where the loader mapped the
// payload, and turning the pure readers' codes into reports.
#include <windows.h>

#include "driver/failure.h"
#include "payload/payload_open.h"

namespace {

// The installer's file, opened once for the whole run.
class OwnFile final : public FileBytes {
public:
    constexpr OwnFile() : handle(nullptr) {}
    bool readAt(uint32_t offset, void* out, uint32_t count) override {
        if (!seek(offset)) return false;
        DWORD got = 0;
        return ReadFile(handle, out, count, &got, nullptr) && got == count;
    }
    bool seek(uint32_t offset) {
        LONG high = 0;
        return SetFilePointer(handle, (LONG)offset, &high, FILE_BEGIN) != INVALID_SET_FILE_POINTER ||
               GetLastError() == NO_ERROR;
    }

    HANDLE handle;  // set once by OpenPayload
};

OwnFile Installer;

}  // namespace

FileBytes& InstallerFile() { return Installer; }

void OpenPayload(const char* installSource, PayloadLocation& location) {
    Installer.handle = CreateFileA(installSource, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (Installer.handle == INVALID_HANDLE_VALUE) FatalMessage(kCannotOpenItself, installSource);
    location.fileLength = GetFileSize(Installer.handle, nullptr);

    int found = findPayloadSection(Installer, location.section);
    if (found == SectionMissing) FatalMessage(kNoPayloadExplanation);
    if (found != SectionFound) ReportCorrupt(found);
    if (location.section.fileDataOffset == 0) ReportCorrupt(9);
    if (!Installer.seek(location.section.fileDataOffset)) ReportCorrupt(10);
    location.mapped = (const uint8_t*)GetModuleHandleA(nullptr) + location.section.memoryOffset;
    location.mappedSize = mappedPayloadSize(location.section, location.fileLength);
}

void ReadPayloadHeader(const PayloadLocation& location, PayloadHeader& header) {
    int code = readPayloadHeader(location.mapped, location.mappedSize, header);
    if (code == HeaderVersionRefused) FatalMessage(versionRefusalText(header.builderVersion).text());
    if (code != 0) ReportCorrupt(code);
}

void TakeSettingsBlock(const PayloadLocation& location, const PayloadHeader& header, uint8_t*& block,
                       int32_t& size) {
    if (int code = takeSettingsBlock(location.mapped, header, block, size)) ReportCorrupt(code);
}

void BuildStubImage(const PayloadLocation& location, const StubImageSettings& settings, String& image) {
    int code = buildStubImage(Installer, location.fileLength, location.section, settings, image);
    if (code != 0) ReportCorrupt(code);
}
