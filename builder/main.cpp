// tavo-build: makes an installer from a manifest, or describes one.
//   tavo-build MANIFEST -o setup.exe [--stub x86|x64|PATH] [-q|-v] [--progress]
//   tavo-build inspect setup.exe [--strings]
// Exit codes: see kExitCodes below (also printed by --help).
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
#include "builder/console_report.h"
#include "builder/inspect.h"
#include "builder/manifest.h"
#include "builder/pack.h"
#include "payload/format.h"

namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kBadInput = 2;
constexpr int kNotAnInstaller = 3;

constexpr char kExitCodes[] =
    "Exit codes:\n"
    "  0  done\n"
    "  1  failed for a reason outside the manifest: the stub or a file could not be\n"
    "     read, the installer could not be written\n"
    "  2  the command line or the manifest is wrong (the message names the place)\n"
    "  3  inspect: the file is not an installer the stub would accept\n";

// Quick builds show no progress at all; slower ones show it after this long.
constexpr double kProgressDelaySeconds = 0.5;

// What the command line asks of a build. A new option is a field here, an
// add_option in main and, when the build needs it, a line in runBuild.
struct BuildCommand {
    std::string manifest;
    std::string output;
    std::string stub = "x86";
    unsigned builderVersion = payload::kBuilderVersion;
    bool quiet = false;
    bool verbose = false;
    bool progress = false;
    int packLevel = 0;  // > 0: instead of the manifest's pack-level
};

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

build::ConsoleOptions consoleOptions(const BuildCommand& command) {
    build::ConsoleOptions options;
    bool terminal = isatty(STDERR_FILENO) != 0;
    options.progress = !command.quiet && (command.progress || terminal);
    options.redraw = terminal;
    options.verbose = command.verbose;
    options.delaySeconds = command.progress ? 0 : kProgressDelaySeconds;
    return options;
}

int runBuild(const BuildCommand& command) {
    if ((command.stub == "x86" || command.stub == "x64") && !std::filesystem::exists(stubPath(command.stub))) {
        std::cerr << "tavo-build: the " << command.stub << " stub is missing: expected " << stubPath(command.stub)
                  << " beside tavo-build; build it (scripts/build.sh) or give a stub with --stub PATH\n";
        return kFailed;
    }
    build::BuildRequest request;
    request.manifest = command.manifest;
    request.manifestShownName = command.manifest;
    request.output = command.output;
    request.stub = stubPath(command.stub);
    request.builderVersion = command.builderVersion;
    request.packLevel = command.packLevel;
    request.sourceDateEpoch = getenv("SOURCE_DATE_EPOCH");
    request.now = int64_t(time(nullptr));
    build::ConsoleReport report(consoleOptions(command), stdout, stderr);
    request.observer = &report;
    try {
        build::BuildSummary summary = build::buildInstaller(request);
        report.clear();
        if (!command.quiet) std::cout << build::summaryText(command.output, summary);
        return kDone;
    } catch (const build::ManifestError& e) {
        report.clear();
        std::cerr << e.what() << "\n";
        return kBadInput;
    } catch (const std::exception& e) {
        report.clear();
        std::cerr << "tavo-build: " << e.what() << "\n";
        return kFailed;
    }
}

int runInspect(const std::string& installer, bool strings) {
    try {
        build::InspectOptions options;
        options.strings = strings;
        std::cout << build::inspectInstaller(installer, options);
        return kDone;
    } catch (const build::InspectError& e) {
        std::cerr << "tavo-build: " << installer << ": " << e.what() << "\n";
        return kNotAnInstaller;
    } catch (const std::exception& e) {
        std::cerr << "tavo-build: " << installer << ": " << e.what() << "\n";
        return kFailed;
    }
}

std::string versionText() {
    char text[48];
    snprintf(text, sizeof text, "tavo-build %u.%02u", payload::kBuilderVersion / 100, payload::kBuilderVersion % 100);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Makes a TAVO installer for Windows from a manifest (a TOML file; see docs/manifest.md),\n"
                 "or describes an installer that was made.\n\n"
                 "  tavo-build MANIFEST -o OUTPUT [OPTIONS]\n"
                 "  tavo-build inspect INSTALLER [--strings]\n",
                 "tavo-build"};
    app.footer(std::string("Example:\n  tavo-build widget.toml -o widget-setup.exe\n\n") + kExitCodes);
    app.set_version_flag("--version", versionText(), "Print the builder's version and exit");
    BuildCommand build;
    app.add_option("manifest", build.manifest, "The installer's manifest (TOML)")->type_name("FILE");
    app.add_option("-o,--output", build.output, "The installer to write; volume files go beside it")
        ->type_name("FILE");
    app.add_option("--stub", build.stub,
                   "The stub the installer is made from: x86 (runs on every Windows), x64, or a path")
        ->type_name("x86|x64|PATH")
        ->capture_default_str();
    app.add_flag("-q,--quiet", build.quiet, "Print nothing but errors");
    app.add_flag("-v,--verbose", build.verbose, "List every file put into the installer and the time of each stage")
        ->excludes("--quiet");
    app.add_flag("--progress", build.progress,
                 "Show progress on stderr even when it is not a terminal (a line per stage)");
    app.add_option("--level", build.packLevel,
                   "Packing level, 1 (fast, the default) to 5 (smallest); overrides the manifest's pack-level")
        ->check(CLI::Range(kPackMinLevel, kPackMaxLevel));
    app.add_option("--builder-version", build.builderVersion)->group("");

    CLI::App* inspect = app.add_subcommand("inspect", "Describe an installer as the stub reads it");
    std::string installer;
    bool strings = false;
    inspect->add_option("installer", installer, "The installer to read")->required()->type_name("FILE");
    inspect->add_flag("--strings", strings, "Also print every string of every language");
    inspect->footer(kExitCodes);

    if (argc == 1) {
        std::cerr << app.help();
        return kBadInput;
    }
    try {
        app.parse(argc, argv);
        if (!inspect->parsed()) {
            if (build.manifest.empty()) throw CLI::RequiredError("MANIFEST (the installer's manifest)");
            if (build.output.empty()) throw CLI::RequiredError("-o OUTPUT (the installer to write)");
        }
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return kBadInput;
    }
    if (inspect->parsed()) return runInspect(installer, strings);
    return runBuild(build);
}
