// The DataRegion's surroundings on Windows: the volume files beside the
// installer and the prompt that asks for them.
#include <windows.h>

#include "driver/failure.h"
#include "driver/run_settings.h"
#include "payload/format.h"
#include "payload/payload_open.h"
#include "ui/localised_text.h"
#include "ui/progress.h"

namespace {

class VolumeHost final : public DataRegionHost {
public:
    void setProgressPercent(int percent) override { SetProgressPercent(percent); }
    void setProgressStatus(int stringId, int percent) override { SetProgressStatus(stringId, percent); }
    void holdStatus() override { HoldStatus(PayloadSettings.minStepTime); }
    void restartStatusClock() override { RestartStatusClock(); }

    // A confirmed cancel ends the run inside ConfirmCancel, so the user is
    // asked again until the volume comes.
    bool askForVolume(const String& prompt) override {
        const UINT okCancelQuestion = 0x21;
        if (MessageBoxA((HWND)OwnerWindow(), prompt.text(), LocalisedText(27), okCancelQuestion) != IDOK) {
            ConfirmCancel();
        }
        return true;
    }

    bool openVolume(const String& path) override {
        volume_ = CreateFileA(path.text(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
        return volume_ != INVALID_HANDLE_VALUE;
    }

    int64_t volumeLength() override {
        DWORD high = 0;
        DWORD low = GetFileSize(volume_, &high);
        if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return -1;
        return (int64_t)(((uint64_t)high << 32) | low);
    }

    bool readVolume(void* out, uint32_t count) override {
        DWORD got = 0;
        return ReadFile(volume_, out, count, &got, nullptr) && got == count;
    }

    void closeVolume() override {
        if (volume_ != INVALID_HANDLE_VALUE) CloseHandle(volume_);
        volume_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE volume_ = INVALID_HANDLE_VALUE;
};

}  // namespace

void AssembleDataRegion(const PayloadLocation& location, const PayloadHeader& header,
                        const SettingsBlock& settings, DataRegion& region) {
    DataRegionSource source;
    source.section = location.mapped;
    source.header = &header;
    source.dataInFile = settings.dataInFile != 0;
    source.packed = settings.lowFlag(payload::flag::PackedData.bit);
    source.file = &InstallerFile();
    source.fileLength = location.fileLength;
    source.fileDataOffset = location.section.fileDataOffset;
    source.volumeBaseName = settings.volumeBaseName.text();
    source.firstVolumeId = settings.firstVolumeId;

    VolumeHost host;
    int code = assembleDataRegion(source, host, region);
    host.closeVolume();
    if (code == DataRegionReadFailed) FatalMessage(kArchiveReadFailed);
    if (code != 0) ReportCorrupt(code);
}
