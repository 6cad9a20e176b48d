// File on the Win32 file functions. The mode rules and result texts are in
// core/file_mode.cpp; this file turns system answers into results and texts.
#include <windows.h>
#include <string.h>

#include "core/file.h"
#include "core/file_system.h"
#include "core/system_info.h"
#include "core/system_paths.h"

static_assert(GENERIC_READ == 0x80000000u && GENERIC_WRITE == 0x40000000u, "access bits");
static_assert(FILE_SHARE_READ == 1 && FILE_SHARE_WRITE == 2, "share bits");
static_assert(CREATE_NEW == 1 && CREATE_ALWAYS == 2 && OPEN_EXISTING == 3 && OPEN_ALWAYS == 4, "dispositions");
static_assert(ERROR_SHARING_VIOLATION == SharingViolationError, "sharing violation");
static_assert(FILE_ATTRIBUTE_NORMAL == FileAttributeNormal, "normal attribute");

// Bytes handed to one WriteFile call.
static const int32_t writePieceSize = 0x100000;

static HANDLE handleOf(void* handle) { return static_cast<HANDLE>(handle); }

FileOpenResult File::open(const char* name, uint32_t mode, uint32_t attributes) {
    close();
    lastError_.clear();
    if (mode & ModeTempName) {
        name_ = tempFileName(String());
    } else {
        name_ = name;
    }
    if (name_.isEmpty()) {
        lastError_ = fileOpenResultText(FileInvalidName);
        return FileInvalidName;
    }

    FileOpenRequest request = fileOpenRequest(mode);
    HANDLE handle = INVALID_HANDLE_VALUE;
    DWORD error = 0;
    for (int32_t retries = 0;; retries++) {
        handle = CreateFileA(name_.text(), request.desiredAccess, request.shareMode, nullptr, request.disposition,
                             attributes, nullptr);
        if (handle != INVALID_HANDLE_VALUE) break;
        error = GetLastError();
        if (error != ERROR_SHARING_VIOLATION || retries == OpenRetries) break;
        SleepMs(OpenRetryPauseMs);
    }
    if (handle == INVALID_HANDLE_VALUE) {
        bool writeToReadOnly = error == ERROR_ACCESS_DENIED && request.write && isReadOnly(name_);
        FileOpenResult result = fileOpenResultFor(error, writeToReadOnly);
        lastError_ = fileOpenResultText(result);
        return result;
    }

    handle_ = handle;
    readAllowed_ = request.read;
    writeAllowed_ = request.write;
    if (mode & ModeAppend) seekFromEnd(0);
    if (mode & ModeCloseAfterOpen) close();
    return FileOpened;
}

void File::close() {
    if (handle_) CloseHandle(handleOf(handle_));
    handle_ = nullptr;
    readAllowed_ = false;
    writeAllowed_ = false;
    savedPositions_.clear();
}

bool File::checkOpen() {
    if (handle_) return true;
    lastError_ = "File not open";
    return false;
}

void File::noteSystemError() { lastError_ = lastSystemErrorText(); }

int32_t File::length() {
    if (!handle_) return -1;
    DWORD size = GetFileSize(handleOf(handle_), nullptr);
    if (size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return -1;
    return int32_t(size);
}

int32_t File::position() {
    if (!handle_) return -1;
    DWORD at = SetFilePointer(handleOf(handle_), 0, nullptr, FILE_CURRENT);
    return at == INVALID_SET_FILE_POINTER ? -1 : int32_t(at);
}

bool File::moreToRead() {
    int32_t at = position();
    return at >= 0 && at < length();
}

bool File::seek(int32_t offset) {
    if (!handle_ || offset < 0) return false;
    return SetFilePointer(handleOf(handle_), LONG(offset), nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER;
}

bool File::seekFromEnd(int32_t offset) {
    if (!handle_) return false;
    return SetFilePointer(handleOf(handle_), LONG(offset), nullptr, FILE_END) != INVALID_SET_FILE_POINTER;
}

bool File::pushPosition() {
    int32_t at = position();
    if (at < 0) return false;
    savedPositions_.push(at);
    return true;
}

void File::popPosition() { seek(savedPositions_.pop()); }

bool File::readInto(void* buffer, int32_t count, int32_t& got) {
    DWORD done = 0;
    if (!ReadFile(handleOf(handle_), buffer, DWORD(count), &done, nullptr)) {
        noteSystemError();
        return false;
    }
    got = int32_t(done);
    return true;
}

bool File::read(void* buffer, int32_t count) {
    if (!checkOpen()) return false;
    if (!readAllowed_) {
        lastError_ = "Read access denied";
        return false;
    }
    if (count < 0) {
        lastError_.format("Illegal block size %d", count);
        return false;
    }
    int32_t got = 0;
    if (!readInto(buffer, count, got)) return false;
    if (got < count) {
        lastError_ = "Read past end of file";
        return false;
    }
    return true;
}

bool File::readAt(int32_t offset, void* buffer, int32_t count) {
    if (!checkOpen() || !pushPosition()) return false;
    bool ok = seek(offset) && read(buffer, count);
    popPosition();
    return ok;
}

bool File::readTail(void* buffer, int32_t count) {
    int32_t size = length();
    if (count < 1 || count > size) return false;
    return readAt(size - count, buffer, count);
}

bool File::readRange(String& out, int32_t offset, int32_t count) {
    if (offset < 0 || count < 0) return false;
    int32_t size = length();
    if (size < 0 || int64_t(offset) + count > size) return false;
    if (!out.tryResize(count)) return false;
    if (count == 0) return true;
    return readAt(offset, out.buffer(), count);
}

bool File::readAll(String& out) { return readRange(out, 0, length()); }

String File::readZeroTerminated() {
    String text;
    if (!checkOpen() || !readAllowed_) return text;
    char c;
    int32_t got = 0;
    while (readInto(&c, 1, got) && got == 1 && c != 0) text.appendChar(c);
    return text;
}

bool File::write(const void* data, int32_t count) {
    if (!checkOpen()) return false;
    if (!writeAllowed_) {
        lastError_ = "Write access denied";
        return false;
    }
    if (count < 0) {
        lastError_.format("Illegal block size %d", count);
        return false;
    }
    const char* bytes = static_cast<const char*>(data);
    while (count > 0) {
        DWORD piece = DWORD(count < writePieceSize ? count : writePieceSize);
        DWORD written = 0;
        if (!WriteFile(handleOf(handle_), bytes, piece, &written, nullptr)) {
            noteSystemError();
            return false;
        }
        if (written != piece) {
            lastError_ = "Not all data could be written";
            return false;
        }
        bytes += piece;
        count -= int32_t(piece);
    }
    return true;
}

bool File::writeText(const char* text) { return text ? write(text, int32_t(strlen(text))) : true; }

bool File::endsWithLineBreak() {
    int32_t size = length();
    if (size == 0) return true;
    char last = 0;
    if (size < 0 || !readAt(size - 1, &last, 1)) return false;
    return last == '\r' || last == '\n';
}

bool File::ensureLineBreakAtEnd() {
    if (!checkOpen()) return false;
    if (endsWithLineBreak()) return true;
    if (!pushPosition()) return false;
    bool ok = seekFromEnd(0) && write("\r\n", 2);
    popPosition();
    return ok;
}

bool File::truncate() {
    if (!checkOpen() || !writeAllowed_) return false;
    if (!SetEndOfFile(handleOf(handle_))) {
        noteSystemError();
        return false;
    }
    return true;
}

bool File::rewrite(const String& content) {
    return seek(0) && write(content.text(), content.length()) && truncate();
}

bool File::flush() { return checkOpen() && FlushFileBuffers(handleOf(handle_)); }

bool File::setModifiedTime(const DateTime& time) {
    if (!checkOpen()) return false;
    SYSTEMTIME local = {};
    local.wYear = WORD(time.year);
    local.wMonth = WORD(time.month);
    local.wDay = WORD(time.day);
    if (time.hasTime()) {
        local.wHour = WORD(time.hour);
        local.wMinute = WORD(time.minute);
        local.wSecond = WORD(time.second);
    }
    FILETIME localTime, fileTime;
    if (!SystemTimeToFileTime(&local, &localTime) || !LocalFileTimeToFileTime(&localTime, &fileTime)) return false;
    flush();
    if (!SetFileTime(handleOf(handle_), nullptr, nullptr, &fileTime)) {
        noteSystemError();
        return false;
    }
    return true;
}

bool File::writeBlock(const void* data, int32_t count) {
    if (count == 0) return true;
    if (count < 0) {
        lastError_.format("Illegal block size %d", count);
        return false;
    }
    if (!data) {
        lastError_ = "NULL block pointer";
        return false;
    }
    return write(data, count);
}

bool File::readBlock(void* buffer, int32_t count) {
    if (count == 0) return true;
    if (count < 0) {
        lastError_.format("Illegal block size %d", count);
        return false;
    }
    if (!buffer) {
        lastError_ = "NULL block pointer";
        return false;
    }
    return read(buffer, count);
}
