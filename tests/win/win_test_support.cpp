#include "win_test_support.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include <gtest/gtest.h>

namespace wintest {
namespace {

const char kReadyEvent[] = "TavoWinTestsHolderReady";
const char kReleaseEvent[] = "TavoWinTestsHolderRelease";

void makeDirectory(const std::string& path) { CreateDirectoryA(path.c_str(), nullptr); }

// Empties a scratch directory left by an earlier run of the same test.
void emptyDirectory(const std::string& path) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        std::string entry = path + "\\" + name;
        SetFileAttributesA(entry.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            emptyDirectory(entry);
            RemoveDirectoryA(entry.c_str());
        } else {
            DeleteFileA(entry.c_str());
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

}  // namespace

std::string scratchDir() {
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::string root = "C:\\tavo-win-tests";
    makeDirectory(root);
    std::string dir = root + "\\" + test->test_suite_name() + "." + test->name();
    makeDirectory(dir);
    emptyDirectory(dir);
    return dir;
}

std::string selfPath() {
    char path[MAX_PATH + 1];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length);
}

bool writeRaw(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

std::string readRaw(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string bytes;
    char piece[4096];
    DWORD got = 0;
    while (ReadFile(file, piece, sizeof piece, &got, nullptr) && got > 0) bytes.append(piece, got);
    CloseHandle(file);
    return bytes;
}

bool existsRaw(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string helperCommand(const std::string& mode) { return "\"" + selfPath() + "\" " + mode; }

FileHolder::FileHolder(const std::string& path) {
    ready_ = CreateEventA(nullptr, TRUE, FALSE, kReadyEvent);
    done_ = CreateEventA(nullptr, TRUE, FALSE, kReleaseEvent);
    ResetEvent(ready_);
    ResetEvent(done_);
    std::string line = helperCommand("--hold-file=" + path);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child = {};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child)) return;
    CloseHandle(child.hThread);
    process_ = child.hProcess;
    ok_ = WaitForSingleObject(ready_, 20000) == WAIT_OBJECT_0;
}

void FileHolder::release() {
    if (!process_) return;
    SetEvent(done_);
    WaitForSingleObject(process_, 20000);
    CloseHandle(process_);
    process_ = nullptr;
}

FileHolder::~FileHolder() {
    release();
    if (ready_) CloseHandle(ready_);
    if (done_) CloseHandle(done_);
}

// --hold-file=PATH: opens PATH without sharing, says so, waits for release.
static int holdFile(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return 2;
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, kReadyEvent);
    HANDLE done = OpenEventA(SYNCHRONIZE, FALSE, kReleaseEvent);
    if (!ready || !done) return 3;
    SetEvent(ready);
    WaitForSingleObject(done, 60000);
    CloseHandle(file);
    return 0;
}

int runHelperMode(const char* argument) {
    auto value = [argument](const char* prefix) -> const char* {
        size_t length = std::strlen(prefix);
        return std::strncmp(argument, prefix, length) == 0 ? argument + length : nullptr;
    };
    if (const char* path = value("--hold-file=")) return holdFile(path);
    if (const char* code = value("--exit-code=")) return std::atoi(code);
    if (const char* path = value("--touch-after-delay=")) {
        Sleep(300);
        return writeRaw(path, "touched") ? 0 : 2;
    }
    return -1;
}

}  // namespace wintest
