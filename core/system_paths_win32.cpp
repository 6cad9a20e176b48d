// The system's answers for SystemPaths, short names, environment expansion
// and message texts. Each call turns an answer into a result; the rules live
// in core/system_paths.cpp.
#include <windows.h>
#include <string.h>

#include "core/system_paths.h"

// Room for the 260 characters the system promises for these paths.
static const DWORD pathBufferSize = MAX_PATH + 1;

// The text the system wrote into `buffer`, or empty when `answer` says it
// failed (0) or needed more room (>= the buffer size).
static String answerText(DWORD answer, const char* buffer, DWORD bufferSize) {
    if (answer == 0 || answer >= bufferSize) return String();
    return String(buffer, int32_t(answer));
}

void initSystemPaths() {
    if (SystemPaths.filled) return;
    SystemAnswers answers;
    char buffer[pathBufferSize];

    answers.windowsDirectory = answerText(GetWindowsDirectoryA(buffer, pathBufferSize), buffer, pathBufferSize);

    // A truncated module path is not terminated on older systems.
    DWORD length = GetModuleFileNameA(nullptr, buffer, pathBufferSize);
    if (length >= pathBufferSize) length = pathBufferSize - 1;
    answers.modulePath = String(buffer, int32_t(length));

    answers.comspec = "%comspec%";
    answers.comspecExpanded = expandEnvironment(answers.comspec);

    answers.tempPath = answerText(GetTempPathA(pathBufferSize, buffer), buffer, pathBufferSize);

    fillSystemPaths(SystemPaths, answers);
}

String shortPathName(const String& path) {
    if (path.isEmpty()) return String();
    int32_t size = shortPathBufferSize(path.length());
    String shortened;
    if (!shortened.tryResize(size)) return path;
    DWORD answer = GetShortPathNameA(path.text(), shortened.buffer(), DWORD(size));
    if (answer == 0 || answer >= DWORD(size)) return path;
    shortened.resize(int32_t(answer));
    return shortened;
}

bool expandEnvironment(String& text) {
    const DWORD limit = 32000;  // 31999 characters and the terminator
    String expanded;
    expanded.resize(int32_t(limit));
    // The answer counts the terminator; older systems count more than they
    // wrote, so the length is taken from the text itself.
    DWORD answer = ExpandEnvironmentStringsA(text.text(), expanded.buffer(), limit);
    if (answer == 0 || answer > limit) return false;
    expanded.resize(int32_t(strlen(expanded.buffer())));
    text = static_cast<String&&>(expanded);
    return true;
}

String systemErrorText(uint32_t code) {
    if (code == 0) return String();
    char* message = nullptr;
    DWORD length = FormatMessageA(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&message), 0, nullptr);
    String text;
    if (length > 0 && message) text.assign(message, int32_t(length));
    if (message) LocalFree(message);
    return text;
}

String lastSystemErrorText() { return systemErrorText(GetLastError()); }
