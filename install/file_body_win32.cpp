// The file system's answers for writing a body, and the run-wide WriteFileBody.
#include <windows.h>

#include "core/file.h"
#include "core/file_system.h"
#include "core/system_paths.h"
#include "driver/failure.h"
#include "driver/run_settings.h"
#include "install/file_body.h"
#include "install/install_state.h"
#include "payload/format.h"
#include "ui/localised_text.h"

namespace {

class SystemFileBody final : public FileBodySystem {
public:
    bool writeFile(const String& path, const uint8_t* body, int32_t size) override {
        File file;
        if (file.open(path, ModeCreateAlways) != FileOpened) return false;
        if (file.write(body, size)) return true;
        // Closing must not hide why the write failed.
        DWORD error = GetLastError();
        file.close();
        SetLastError(error);
        return false;
    }
    bool fileMatches(const String& path, const uint8_t* body, int32_t size) override {
        return fileMatchesMemory(body, size, path);
    }
    void clearAttributes(const String& path, uint32_t mask) override { ::clearAttributes(path, mask); }
    void setModifiedTime(const String& path, const DateTime& time) override {
        File file;
        if (file.open(path, ModeOpenExisting) == FileOpened) file.setModifiedTime(time);
    }
    void setAttributes(const String& path, uint32_t value, uint32_t mask) override {
        ::setAttributes(path, value, mask);
    }
    String lastErrorText() override { return lastSystemErrorText(); }
    void clearLastError() override { SetLastError(0); }
    void appendFailure(String& report, const String& path) override { AppendFailure(report, path.text()); }
    bool writeTempFile(const uint8_t* body, int32_t size, String& name) override {
        bool written = ::writeTempFile(body, size, name);
        if (!name.isEmpty()) name = shortPathName(name);
        return written;
    }
    bool replaceAtRestart(const String& temporary, const String& destination) override {
        return moveFile(temporary, destination, MoveAtRestart);
    }
    void deleteFile(const String& path) override { ::deleteFile(path, 0); }
};

}  // namespace

bool WriteFileBody(const String& path, const uint8_t* body, int32_t size, const DateTime& time,
                   String& problems, uint32_t attributes, bool mayReplaceAtRestart) {
    if (size < 0) ReportCorrupt(5);
    SystemFileBody system;
    FileBody file;
    file.bytes = body;
    file.size = size;
    file.time = time;
    file.attributes = attributes;
    FileBodyReports reports = {&problems, &InstallLog, LocalisedText(31)};
    FileBodyResult result = writeFileBodyWith(system, path, file, mayReplaceAtRestart, ProductFlags.low, reports);
    if (result == FileBodyScheduled) ProductFlags.low |= payload::flag::RestartNeeded.bit;
    return result == FileBodyWritten;
}
