// tavo-build: makes an installer from a manifest, or describes one.
//   tavo-build MANIFEST -o setup.exe [--stub x86|x64|PATH]
//   tavo-build inspect setup.exe [--strings]
// Exit codes: 0 done, 2 bad manifest or command line, 1 any other failure.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <string>

#include "builder/build_installer.h"
#include "builder/inspect.h"
#include "builder/manifest.h"
#include "builder/pack.h"
#include "payload/format.h"

namespace {

constexpr int kFailed = 1;
constexpr int kBadInput = 2;

std::filesystem::path toolDirectory() {
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path(".") : self.parent_path();
}

// "x86" and "x64" name the stubs that lie beside the tool; anything else is a path.
std::filesystem::path stubPath(const std::string& choice) {
    if (choice == "x86" || choice == "x64") return toolDirectory() / ("tavo-stub-" + choice + ".exe");
    return choice;
}

int runBuild(const std::string& manifest, const std::string& output, const std::string& stub,
             uint32_t builderVersion, int packLevel) {
    build::BuildRequest request;
    request.manifest = manifest;
    request.manifestShownName = manifest;
    request.output = output;
    request.stub = stubPath(stub);
    request.builderVersion = builderVersion;
    request.packLevel = packLevel;
    request.sourceDateEpoch = getenv("SOURCE_DATE_EPOCH");
    request.now = int64_t(time(nullptr));
    try {
        build::BuildSummary summary = build::buildInstaller(request);
        std::cout << "wrote " << output << " (" << summary.installerSize << " bytes, " << summary.fileCount
                  << " files)\n";
        for (const auto& volume : summary.volumes) std::cout << "wrote " << volume.string() << "\n";
        return 0;
    } catch (const build::ManifestError& e) {
        std::cerr << e.what() << "\n";
        return kBadInput;
    } catch (const std::exception& e) {
        std::cerr << "tavo-build: " << e.what() << "\n";
        return kFailed;
    }
}

int runInspect(const std::string& installer, bool strings) {
    try {
        build::InspectOptions options;
        options.strings = strings;
        std::cout << build::inspectInstaller(installer, options);
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "tavo-build: " << installer << ": " << e.what() << "\n";
        return kFailed;
    }
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Makes a TAVO installer from a manifest, or describes an installer."};
    app.footer("Usage: tavo-build MANIFEST -o OUTPUT [--stub x86|x64|PATH]\n"
               "       tavo-build inspect INSTALLER [--strings]");
    std::string manifest, output, stub = "x86";
    unsigned builderVersion = payload::kBuilderVersion;
    app.add_option("manifest", manifest, "The installer's manifest (TOML)");
    app.add_option("-o,--output", output, "The installer to write; volumes go beside it");
    app.add_option("--stub", stub, "x86 or x64 (the stubs beside this tool) or a stub's path")->capture_default_str();
    int packLevel = 0;
    app.add_option("--level", packLevel, "Packing level, 1 (fast, the default) to 5 (smallest); overrides the manifest")
        ->check(CLI::Range(kPackMinLevel, kPackMaxLevel));
    app.add_option("--builder-version", builderVersion)->group("");

    CLI::App* inspect = app.add_subcommand("inspect", "Describe an installer as the stub reads it");
    std::string installer;
    bool strings = false;
    inspect->add_option("installer", installer, "The installer to read")->required();
    inspect->add_flag("--strings", strings, "Also print every string of every language");

    try {
        app.parse(argc, argv);
        if (!inspect->parsed()) {
            if (manifest.empty()) throw CLI::RequiredError("manifest");
            if (output.empty()) throw CLI::RequiredError("-o,--output");
        }
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return kBadInput;
    }
    if (inspect->parsed()) return runInspect(installer, strings);
    return runBuild(manifest, output, stub, builderVersion, packLevel);
}
