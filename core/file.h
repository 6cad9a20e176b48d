// File: one open file of the installer, with the open-mode word of
// core/file_mode.h, and the whole-file helpers built on it.
//
// Sizes and positions are signed 32-bit (no files above 2 GB). A closed File
// answers every read, write and query with failure. Failures leave a text in
// lastError(): an open-result text, one of the read/write texts below, or the
// system's message text. name() and lastError() survive a close.
//
// Texts: "Not all data could be written", "Read access denied", "Write access
// denied", "Read past end of file", "File not open", "NULL block pointer",
// "Illegal block size %d".
#pragma once
#include <stdint.h>

#include "core/byte_stream.h"
#include "core/containers.h"
#include "core/date_time.h"
#include "core/file_mode.h"
#include "core/string.h"

// The only attribute files are created with (FILE_ATTRIBUTE_NORMAL).
constexpr uint32_t FileAttributeNormal = 0x80;

class File : public ByteSink, public ByteSource {
public:
    constexpr File() : handle_(nullptr), readAllowed_(false), writeAllowed_(false) {}
    ~File() { close(); }
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Closes what was open, then opens `name` with `mode`. An empty name
    // without ModeTempName gives FileInvalidName. A sharing violation is
    // retried 5 times, 100 ms apart. ModeAppend positions at the end;
    // ModeCloseAfterOpen closes again at once (the result is still 0).
    // With ModeTempName the name is ignored and name() tells the new one.
    FileOpenResult open(const char* name, uint32_t mode, uint32_t attributes = FileAttributeNormal);
    FileOpenResult open(const String& name, uint32_t mode, uint32_t attributes = FileAttributeNormal) {
        return open(name.text(), mode, attributes);
    }
    void close();
    bool isOpen() const { return handle_ != nullptr; }
    const String& name() const { return name_; }
    const String& lastError() const { return lastError_; }

    // -1 when closed; the position is unchanged.
    int32_t length();
    // -1 when closed.
    int32_t position() override;
    // True while the position is before the end; false when closed.
    bool moreToRead() override;
    bool seek(int32_t offset);         // from the start
    bool seekFromEnd(int32_t offset);  // from the end

    // True when exactly `count` bytes were read.
    bool read(void* buffer, int32_t count);
    // Reads at `offset`, then restores the position.
    bool readAt(int32_t offset, void* buffer, int32_t count);
    // The last `count` bytes; false when count < 1 or above the length.
    bool readTail(void* buffer, int32_t count);
    // `count` bytes from `offset` into `out`; false for negative arguments or
    // a range past the end. The position is unchanged.
    bool readRange(String& out, int32_t offset, int32_t count);
    // The whole file; the position is unchanged.
    bool readAll(String& out);
    // The bytes up to the next zero byte (consumed) or the end of the file.
    String readZeroTerminated();

    // True when all bytes were written (in pieces of at most 1 MB); a count
    // of 0 succeeds at once.
    bool write(const void* data, int32_t count);
    bool writeText(const char* text);  // without the terminator

    // True when the file is empty or ends with CR or LF.
    bool endsWithLineBreak();
    // Appends "\r\n" unless the file ends with a line break; the position is
    // kept. True when nothing had to be written or the write worked.
    bool ensureLineBreakAtEnd();
    // Ends the file at the current position; false without write access.
    bool truncate();
    // Seeks to 0, writes `content`, truncates.
    bool rewrite(const String& content);

    // Sets the last-write time only, from a local time; flushes first.
    bool setModifiedTime(const DateTime& time);
    bool flush();

    // The stream faces: the block checks (0 succeeds, negative and null fail
    // with their texts), then write/read.
    bool writeBlock(const void* data, int32_t count) override;
    bool readBlock(void* buffer, int32_t count) override;

private:
    bool checkOpen();
    bool pushPosition();  // false when closed
    void popPosition();
    bool readInto(void* buffer, int32_t count, int32_t& got);  // one system read
    void noteSystemError();

    void* handle_;
    String name_;
    Stack<int32_t> savedPositions_;
    bool readAllowed_;
    bool writeAllowed_;
    String lastError_;
};

// --- Whole-file helpers -----------------------------------------------------

// True when opening with ModeExistenceTest gives FileOpened or FileLocked (a
// locked file exists).
bool fileExists(const String& path);

// The whole file into `out`: FileInvalidName for an empty path, the open
// result, FileReadFailed when the read fails; an empty file gives FileOpened
// and an empty text.
FileOpenResult readWholeFile(const String& path, String& out);

// A count of WholeText takes the length of the zero-terminated data.
constexpr int32_t WholeText = 0x7FFFFFFF;

// Creates or truncates `path` (mode 3) and writes `count` bytes of `data`.
// Without data (null or count <= 0) the result is whether the open worked.
bool writeWholeFile(const String& path, const void* data, int32_t count);
bool writeWholeFile(const String& path, const String& data);

// The same into a new temporary file; `name` receives its generated name
// (empty when none could be made).
bool writeTempFile(const void* data, int32_t count, String& name);

// True when `path` is `count` bytes long and holds exactly `data`; compared in
// 4096-byte pieces, stopping at the first difference.
bool fileMatchesMemory(const void* data, int32_t count, const String& path);

// Flags of appendTextToFile.
enum : uint32_t {
    AppendOnNewLine = 0x1,  // start on a new line
    AppendNoRetry = 0x2,    // a failed write is not retried
    AppendMustExist = 0x4,  // the file must already exist
};

// Appends `text` at the end of `path` (created unless AppendMustExist). Up to
// 10 attempts, 100 ms apart, when writing fails; an open failure fails at
// once. An empty text only opens (and starts the new line).
bool appendTextToFile(const String& path, const char* text, uint32_t flags);

// A new unique file that the system creates in `directory` (the temporary
// directory when empty), with the prefix "TVT"; empty when the system fails.
String tempFileName(const String& directory);
