// Reading an installer manifest (TOML) into a build::Installer.
//
// Every key, with its type and default, is in the one list of
// builder/manifest_keys.cpp, which docs/manifest.md is tested against; the
// document describes what each key does. Texts are UTF-8 in the manifest and
// stored in the code page (default CP1252); multi-line texts get CR LF line
// breaks. Paths of source files are relative to the manifest's directory.
#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>

#include "builder/installer_model.h"
#include "builder/manifest_fields.h"

namespace build {

struct Manifest {
    Installer installer;                  // buildTime not yet set
    std::optional<DateTime> buildTime;    // "build-time" when the manifest gives one
};

// Reads and checks the manifest. Any problem throws ManifestError with one
// message "file:line: key: problem"; `shownName` is the file name the message
// uses (the path as the user typed it).
// The observer hears of every source file read (stage ReadingFiles).
Manifest readManifest(const std::filesystem::path& path, const std::string& shownName,
                      BuildObserver* observer = nullptr);

// Same, from text already in memory (tests); files are looked up in `directory`.
Manifest readManifestText(const std::string& text, const std::string& shownName,
                          const std::filesystem::path& directory);

// The build time: SOURCE_DATE_EPOCH (seconds since 1970, UTC) when
// `sourceDateEpoch` is set, else the manifest's, else `now` (seconds, UTC).
// Throws std::runtime_error when SOURCE_DATE_EPOCH is not a number.
DateTime chooseBuildTime(const char* sourceDateEpoch, const std::optional<DateTime>& fromManifest, int64_t now);

// Seconds since 1970 as a UTC date and time.
DateTime utcDateTime(int64_t seconds);

}  // namespace build
