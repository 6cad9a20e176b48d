// Writing one file body to disk: up to three attempts, optional
// verification, the file's time and attributes, and, for a file that is in
// use, replacement at the next restart.
//
// The attempts and the texts are decided here, over FileBodySystem, so that
// every branch is tested on any host; install/file_body_win32.cpp gives the
// system's answers and the run-wide WriteFileBody.
#pragma once
#include <stdint.h>

#include "core/date_time.h"
#include "core/string.h"

// Attributes a written file may be given: read-only, hidden, system,
// archive, temporary, offline.
constexpr uint32_t kBodyAttributeMask = 0x1127;
// Attributes cleared before the second attempt when asked to: read-only,
// hidden, system.
constexpr uint32_t kBodyBlockingAttributes = 0x7;
// The attribute word that leaves the attributes as the write made them.
constexpr uint32_t kBodyAttributesUnchanged = 0xFFFFFFFF;

// What writing a body needs from the file system.
class FileBodySystem {
public:
    // Creates or truncates `path` (attribute normal), writes the bytes and
    // closes; true when all of it worked. A failure leaves its system error
    // as the last error.
    virtual bool writeFile(const String& path, const uint8_t* body, int32_t size) = 0;
    // True when `path` holds exactly the bytes.
    virtual bool fileMatches(const String& path, const uint8_t* body, int32_t size) = 0;
    virtual void clearAttributes(const String& path, uint32_t mask) = 0;
    // Opens the existing file and sets its modification time.
    virtual void setModifiedTime(const String& path, const DateTime& time) = 0;
    virtual void setAttributes(const String& path, uint32_t value, uint32_t mask) = 0;

    // The system's text for the last error; empty when it has none.
    virtual String lastErrorText() = 0;
    virtual void clearLastError() = 0;
    // The run's failure block for `path` (AppendFailure) appended to `report`.
    virtual void appendFailure(String& report, const String& path) = 0;

    // Writes the bytes to a new temporary file; `name` receives its name as
    // the restart needs it (short form), or empty. False when the file could
    // not be made or written.
    virtual bool writeTempFile(const uint8_t* body, int32_t size, String& name) = 0;
    // Schedules `temporary` to replace `destination` at the next restart.
    virtual bool replaceAtRestart(const String& temporary, const String& destination) = 0;
    virtual void deleteFile(const String& path) = 0;

protected:
    ~FileBodySystem() = default;
};

// One body and what the written file is given.
struct FileBody {
    const uint8_t* bytes = nullptr;
    int32_t size = 0;                               // 0 ... ; checked by the caller
    DateTime time;                                  // set only with a date and a time
    uint32_t attributes = kBodyAttributesUnchanged; // bits of kBodyAttributeMask
};

// Where the texts of a write go, and the words they need.
struct FileBodyReports {
    String* problems;         // failures (the run's ProblemReport, or another text)
    String* log;              // the note of a scheduled replacement (InstallLog)
    const char* failureWord;  // language string 31
};

enum FileBodyResult {
    FileBodyWritten,    // the file holds the body, with its time and attributes
    FileBodyFailed,     // the failure is in *problems
    FileBodyScheduled,  // replaced at the next restart; the note is in *log
};

// Writes `body` to `path`. `productFlagsLow` gives the options: 0x40000
// verify each write (a mismatch is tried again, then reported with the
// failure block), 0x80000 clear the blocking attributes after the first
// failed write, 0x800 replace at the restart even when
// `mayReplaceAtRestart` is false. A write that fails three times is
// reported, or scheduled for the restart when that is allowed; the caller
// sets the run's restart-required bit for FileBodyScheduled.
FileBodyResult writeFileBodyWith(FileBodySystem& system, const String& path, const FileBody& body,
                                 bool mayReplaceAtRestart, uint32_t productFlagsLow,
                                 const FileBodyReports& reports);

// --- Windows only (install/file_body_win32.cpp) ---

// The run-wide write: the options of ProductFlags, failures appended to
// `problems`, a scheduling note to InstallLog, ProductFlags low bit 0x4000
// set when the replacement waits for the restart. A negative size ends the
// run (ReportCorrupt 5). True only when the file now holds the body.
bool WriteFileBody(const String& path, const uint8_t* body, int32_t size, const DateTime& time,
                   String& problems, uint32_t attributes, bool mayReplaceAtRestart);
