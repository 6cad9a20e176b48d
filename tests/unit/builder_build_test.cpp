// Whole builds: the same input gives the same bytes, a failed build leaves
// nothing behind, and inspect reads what was built with the stub's readers.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "builder/build_installer.h"
#include "builder/inspect.h"
#include "builder/manifest.h"

namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

class BuilderBuild : public ::testing::Test {
protected:
    void SetUp() override {
        stub_ = fs::path(TAVO_DIST_DIR) / "tavo-stub-x64.exe";
        if (!fs::exists(stub_)) GTEST_SKIP() << "the stub is not built yet";
        char pattern[] = "/tmp/tavo-build-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        dir_ = pattern;
        fs::create_directory(dir_ / "files");
        write("files/app.exe", std::string(3000, 'A') + "tail");
        write("files/notes.txt", "line one\nline two\n");
    }
    void TearDown() override {
        if (!dir_.empty()) fs::remove_all(dir_);
    }
    void write(const std::string& name, const std::string& bytes) {
        std::ofstream(dir_ / name, std::ios::binary) << bytes;
    }
    build::BuildSummary buildFrom(const std::string& manifest, const std::string& output,
                                  const char* epoch = "1700000000") {
        write("setup.toml", manifest);
        build::BuildRequest request;
        request.manifest = dir_ / "setup.toml";
        request.manifestShownName = "setup.toml";
        request.output = dir_ / output;
        request.stub = stub_;
        request.sourceDateEpoch = epoch;
        request.now = 1;
        return build::buildInstaller(request);
    }
    std::vector<std::string> names() {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(dir_)) out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }

    fs::path stub_, dir_;
};

const char kManifest[] = R"(
flags = ["uninstall-record", "packed-data", "check-stub-checksum"]
[product]
name = "Widget"
publisher = "Acme"
version = "3.0"
[[files]]
source = "files/*"
)";

TEST_F(BuilderBuild, SameInputGivesTheSameBytes) {
    buildFrom(kManifest, "one.exe");
    buildFrom(kManifest, "two.exe");
    std::vector<uint8_t> one = readAll(dir_ / "one.exe");
    EXPECT_FALSE(one.empty());
    EXPECT_EQ(one, readAll(dir_ / "two.exe"));
    // A different build time changes only what it should: still a valid installer.
    buildFrom(kManifest, "three.exe", "1800000000");
    EXPECT_NE(one, readAll(dir_ / "three.exe"));
}

TEST_F(BuilderBuild, InspectReadsTheBuildWithTheStubsReaders) {
    buildFrom(std::string(kManifest) + "[strings]\n0 = \"Widget Setup!\"\n", "setup.exe");
    build::InspectOptions options;
    options.strings = true;
    std::string text = build::inspectInstaller(dir_ / "setup.exe", options);
    for (const char* expected : {"builder version       11.30", "\"Widget\"", "\"Acme\"",
                                 "uninstall-record, packed-data, check-stub-checksum",
                                 "build time            2023-11-14 22:13:20", "\"app.exe\" program, 3004 bytes",
                                 "\"notes.txt\" program, 18 bytes", "\"Widget Setup!\""})
        EXPECT_NE(std::string::npos, text.find(expected)) << "missing: " << expected << "\n" << text;
}

TEST_F(BuilderBuild, VolumesAreWrittenBesideAndReadBack) {
    std::string manifest = std::string(kManifest) + "[layout]\ndata-in-file = true\nvolume-size = 1024\n"
                                                    "volume-base-name = \"WDG\"\n";
    write("files/big.bin", std::string(5000, '\x5A'));
    // Packing would make the data too small to need volumes.
    manifest.replace(manifest.find("\"packed-data\", "), 15, "");
    build::BuildSummary summary = buildFrom(manifest, "setup.exe");
    ASSERT_GE(summary.volumes.size(), 2u);
    EXPECT_EQ(dir_ / "WDG2.TAV", summary.volumes[0]);
    std::string text = build::inspectInstaller(dir_ / "setup.exe");
    EXPECT_NE(std::string::npos, text.find("\"big.bin\" program, 5000 bytes")) << text;

    fs::remove(summary.volumes.back());
    EXPECT_THROW(build::inspectInstaller(dir_ / "setup.exe"), build::InspectError);
}

TEST_F(BuilderBuild, ABadManifestLeavesNothingBehind) {
    std::vector<std::string> before = names();
    EXPECT_THROW(buildFrom("[product]\nname = \"W\"\n[[files]]\nsource = \"none.*\"\n", "setup.exe"),
                 build::ManifestError);
    EXPECT_THROW(buildFrom("[product]\nname = \"W\"\n", "setup.exe", "not-a-number"), build::BuildError);
    before.push_back("setup.toml");
    std::sort(before.begin(), before.end());
    EXPECT_EQ(before, names());
}

}  // namespace
