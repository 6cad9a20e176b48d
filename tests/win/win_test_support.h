// Helpers of the Windows tests: a scratch directory per test, raw file access
// that does not go through the code under test, and child processes of this
// same program in one of its helper modes (see win_main.cpp).
#pragma once
#include <string>

#include "core/string.h"

namespace wintest {

inline std::string str(const String& s) { return std::string(s.text(), size_t(s.length())); }
inline String text(const std::string& s) { return String(s.c_str(), int32_t(s.size())); }
inline std::string lowerCase(std::string s) {
    for (char& c : s) c = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
    return s;
}

// A fresh, empty directory for the running test: C:\tavo-win-tests\Suite.Test.
std::string scratchDir();
// This program's own path.
std::string selfPath();

// Plain Win32 access, independent of File.
bool writeRaw(const std::string& path, const std::string& bytes);
std::string readRaw(const std::string& path);  // empty when missing
bool existsRaw(const std::string& path);

// The command line that runs this program in a helper mode, e.g. "--exit-code=7".
std::string helperCommand(const std::string& mode);

// A child that holds `path` open without sharing until release() or the
// destructor. ok() is false when it did not get that far.
class FileHolder {
public:
    explicit FileHolder(const std::string& path);
    ~FileHolder();
    bool ok() const { return ok_; }
    void release();

private:
    void* process_ = nullptr;
    void* ready_ = nullptr;
    void* done_ = nullptr;
    bool ok_ = false;
};

// Helper modes; returns -1 when `argument` names none, else the exit code.
int runHelperMode(const char* argument);

}  // namespace wintest
