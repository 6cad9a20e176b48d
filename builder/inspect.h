// `tavo-build inspect`: reads an installer with the stub's own payload readers
// (section walk, header, settings block, data region with its volumes, file
// entries, uninstaller image) and describes it in readable form. Whatever the
// stub would refuse is reported with the stub's corrupt-payload code.
#pragma once
#include <filesystem>
#include <stdexcept>
#include <string>

namespace build {

struct InspectError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct InspectOptions {
    bool strings = false;  // also print every string of every language
};

// The description of the installer at `path`; volumes are looked for beside
// it. Throws InspectError when the stub would not accept the installer.
std::string inspectInstaller(const std::filesystem::path& path, const InspectOptions& options = {});

}  // namespace build
