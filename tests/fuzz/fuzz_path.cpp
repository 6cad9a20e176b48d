// Random text through every pure path helper: none may crash, read outside
// its text or reach a hard stop, and a few properties must hold for any text.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "core/path.h"
#include "core/system_paths.h"

static void require(bool condition) {
    if (!condition) abort();
}

static bool isPrefix(const String& part, const String& whole) {
    return part.length() <= whole.length() && memcmp(part.text(), whole.text(), size_t(part.length())) == 0;
}

static bool isSuffix(const String& part, const String& whole) {
    return part.length() <= whole.length() &&
           memcmp(part.text(), whole.text() + whole.length() - part.length(), size_t(part.length())) == 0;
}

static void takeApart(const String& path) {
    int32_t separator = separatorPosition(path);
    require(separator >= -1 && separator < path.length());

    String directory = directoryPart(path);
    require(isPrefix(directory, path));
    String name = fileNamePart(path);
    require(isSuffix(name, path));

    String copy(path);
    stripDirectory(copy);
    require(copy.equals(name));
    copy = path;
    if (stripFileName(copy)) require(isPrefix(copy, path));

    int32_t dot = extensionPosition(path);
    require(dot == -1 || (dot >= 0 && dot < path.length() && path.text()[dot] == '.'));
    copy = path;
    require(stripExtension(copy) == (dot >= 0));

    require(isPrefix(driveRoot(path), path));
    require(isPrefix(driveText(path), path));
    isAbsolutePath(path);
    require(pathsEqual(path, path) && pathsEqualTrimmed(path, path));
    for (uint32_t flags = 0; flags < 8; flags++) isValidFileName(path, flags);
}

static void combine(const String& a, const String& b) {
    String joined = joinPath(a, b);
    require(joined.length() >= b.length());
    require(pathsEqual(a, b) == pathsEqual(b, a));
    require(pathsEqualTrimmed(a, b) == pathsEqualTrimmed(b, a));

    String extended(a);
    addExtension(extended, b);
    String absolute(a);
    makeAbsolutePath(absolute, b);  // b.text() stops at b's first zero byte
    makeAbsolutePath(absolute, static_cast<const char*>(nullptr));

    SystemPathsRecord paths;
    SystemAnswers answers;
    answers.windowsDirectory = a;
    answers.modulePath = b;
    answers.comspecExpanded = (a.length() & 1) != 0;
    answers.comspec = b;
    answers.tempPath = a;
    fillSystemPaths(paths, answers);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) return 0;
    // The first byte splits the rest into two texts.
    size_t split = size ? data[0] % size : 0;
    const char* text = reinterpret_cast<const char*>(data);
    String whole(size ? text + 1 : "", int32_t(size ? size - 1 : 0));
    String a(size ? text + 1 : "", int32_t(split ? split - 1 : 0));
    String b = whole.substring(a.length());

    takeApart(whole);
    takeApart(a);
    takeApart(b);
    combine(a, b);
    combine(b, a);
    return 0;
}
