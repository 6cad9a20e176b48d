#include "install/file_body.h"

#include "payload/format.h"

namespace {

// Every attempt after the first is a retry; the counter counts them down.
constexpr int kRetries = 2;

void giveTimeAndAttributes(FileBodySystem& system, const String& path, const FileBody& body) {
    if (body.time.hasDate() && body.time.hasTime()) system.setModifiedTime(path, body.time);
    if (body.attributes != kBodyAttributesUnchanged) {
        system.setAttributes(path, body.attributes, kBodyAttributeMask);
    }
}

// The block that opens every report of a write that did not happen.
String notWrittenText(FileBodySystem& system, const String& path, const char* failureWord) {
    String message = formatText("\r\n%s %s\r\n", failureWord, path);
    String error = system.lastErrorText();
    if (!error.isEmpty()) {
        message += error;
        message += "\r\n";
    }
    return message;
}

FileBodyResult scheduleReplacement(FileBodySystem& system, const String& path, const FileBody& body,
                                   String& message, const FileBodyReports& reports) {
    String temporary;
    if (!system.writeTempFile(body.bytes, body.size, temporary)) {
        message.appendFormat(
            "Failed to register '%s' for replacement because no temporary file could be created.\r\n%s\r\n",
            path, system.lastErrorText());
        if (!temporary.isEmpty()) system.deleteFile(temporary);
        *reports.problems += message;
        return FileBodyFailed;
    }
    system.clearLastError();
    if (system.replaceAtRestart(temporary, path)) {
        message.appendFormat(
            "\"%s\" has been successfully registered for replacement.\r\n"
            "Temporary file is \"%s\"\r\nReboot will be required.\r\n\r\n",
            path, temporary);
        *reports.log += message;
        return FileBodyScheduled;
    }
    message.appendFormat("Failed to register '%s' for replacement with temporary file '%s'\r\n%s\r\n", path,
                         temporary, system.lastErrorText());
    system.deleteFile(temporary);
    *reports.problems += message;
    return FileBodyFailed;
}

}  // namespace

FileBodyResult writeFileBodyWith(FileBodySystem& system, const String& path, const FileBody& body,
                                 bool mayReplaceAtRestart, uint32_t productFlagsLow,
                                 const FileBodyReports& reports) {
    const bool verify = (productFlagsLow & payload::flag::VerifyWrittenFiles.bit) != 0;
    const bool clearOnFailure = (productFlagsLow & payload::flag::ClearAttributesOnFailure.bit) != 0;
    for (int retriesLeft = kRetries;; retriesLeft--) {
        if (system.writeFile(path, body.bytes, body.size)) {
            if (!verify || system.fileMatches(path, body.bytes, body.size)) {
                giveTimeAndAttributes(system, path, body);
                return FileBodyWritten;
            }
            if (retriesLeft == 0) {
                // The write itself worked: an older error text would mislead.
                system.clearLastError();
                system.appendFailure(*reports.problems, path);
                return FileBodyFailed;
            }
        } else {
            // A read-only (or hidden or system) file refuses the write; only
            // the settings may allow changing what its owner chose.
            if (retriesLeft == kRetries && clearOnFailure) system.clearAttributes(path, kBodyBlockingAttributes);
            if (retriesLeft == 0) break;
        }
    }
    String message = notWrittenText(system, path, reports.failureWord);
    const bool atRestart =
        mayReplaceAtRestart || (productFlagsLow & payload::flag::ReplaceAtRestartWhenInUse.bit) != 0;
    if (!atRestart) {
        *reports.problems += message;
        return FileBodyFailed;
    }
    return scheduleReplacement(system, path, body, message, reports);
}
