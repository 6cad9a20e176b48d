// The tavo-build program itself: its exit codes, what it prints on stdout and
// stderr for each kind of outcome, and its progress, quiet and verbose modes.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int exitCode = -1;
    std::string out, err;
};

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string quoted(const std::string& arg) {
    std::string out = "'";
    for (char c : arg) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

class BuilderCli : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(TAVO_BUILD_TOOL)) GTEST_SKIP() << "tavo-build is not built yet";
        stub_ = fs::path(TAVO_DIST_DIR) / "tavo-stub-x64.exe";
        char pattern[] = "/tmp/tavo-cli-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        dir_ = pattern;
        write("app.exe", std::string(2000, 'A'));
        write("good.toml", "flags = [\"packed-data\"]\n[product]\nname = \"Widget\"\n[[files]]\nsource = \"app.exe\"\n");
        write("bad.toml", "[product]\nname = = \"W\"\n");
    }
    void TearDown() override {
        if (!dir_.empty()) fs::remove_all(dir_);
    }
    void write(const std::string& name, const std::string& bytes) {
        std::ofstream(dir_ / name, std::ios::binary) << bytes;
    }
    // Runs the tool in the temporary directory; stdout and stderr are files,
    // so the tool sees no terminal.
    Outcome run(const std::vector<std::string>& args) {
        std::string command = "cd " + quoted(dir_.string()) + " && " + quoted(TAVO_BUILD_TOOL);
        for (const std::string& arg : args) command += " " + quoted(arg);
        command += " >" + quoted((dir_ / "stdout").string()) + " 2>" + quoted((dir_ / "stderr").string());
        int status = system(command.c_str());
        Outcome o;
        o.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        o.out = readText(dir_ / "stdout");
        o.err = readText(dir_ / "stderr");
        return o;
    }
    bool haveStub() const { return fs::exists(stub_); }

    fs::path stub_, dir_;
};

struct Case {
    std::vector<std::string> args;
    int exitCode;
    const char* inOut;  // a text stdout holds ("" for none)
    const char* inErr;  // a text stderr holds
    bool needsStub;
};

TEST_F(BuilderCli, ExitCodesAndMessages) {
    const std::string stub = stub_.string();
    const Case cases[] = {
        {{"--version"}, 0, "tavo-build 11.30", "", false},
        {{"--help"}, 0, "Exit codes:", "", false},
        {{"inspect", "--help"}, 0, "Exit codes:", "", false},
        {{}, 2, "", "MANIFEST", false},
        {{"good.toml"}, 2, "", "-o OUTPUT", false},
        {{"good.toml", "-o", "x.exe", "--no-such-option"}, 2, "", "--no-such-option", false},
        {{"good.toml", "-o", "x.exe", "-q", "-v"}, 2, "", "excludes", false},
        {{"bad.toml", "-o", "x.exe", "--stub", stub}, 2, "", "bad.toml:2:8: not valid TOML", false},
        {{"missing.toml", "-o", "x.exe", "--stub", stub}, 2, "", "missing.toml: cannot open the manifest", false},
        {{"good.toml", "-o", "x.exe", "--stub", "no-stub.exe"}, 1, "", "the stub", false},
        {{"good.toml", "-o", "no-dir/x.exe", "--stub", stub}, 1, "", "no-dir", true},
        {{"good.toml", "-o", "x.exe", "--stub", stub}, 0, "Wrote x.exe", "", true},
        {{"inspect", "missing.exe"}, 1, "", "missing.exe: cannot open the file", false},
        {{"inspect", "good.toml"}, 3, "", "not an installer: not a Windows program", false},
        {{"inspect", stub}, 3, "", "no .tavo section", true},
    };
    for (const Case& c : cases) {
        std::string line;
        for (const std::string& a : c.args) line += " " + a;
        if (c.needsStub && !haveStub()) continue;
        Outcome o = run(c.args);
        EXPECT_EQ(c.exitCode, o.exitCode) << "tavo-build" << line << "\nstdout: " << o.out << "\nstderr: " << o.err;
        EXPECT_NE(std::string::npos, o.out.find(c.inOut)) << "tavo-build" << line << "\nstdout: " << o.out;
        EXPECT_NE(std::string::npos, o.err.find(c.inErr)) << "tavo-build" << line << "\nstderr: " << o.err;
        if (c.exitCode != 0) EXPECT_FALSE(fs::exists(dir_ / "x.exe")) << "tavo-build" << line;
        fs::remove(dir_ / "x.exe");
    }
}

TEST_F(BuilderCli, QuietVerboseAndProgress) {
    if (!haveStub()) GTEST_SKIP() << "the stub is not built yet";
    const std::string stub = stub_.string();

    Outcome quiet = run({"good.toml", "-o", "q.exe", "--stub", stub, "--quiet"});
    EXPECT_EQ(0, quiet.exitCode);
    EXPECT_EQ("", quiet.out);
    EXPECT_EQ("", quiet.err);
    EXPECT_TRUE(fs::exists(dir_ / "q.exe"));

    // Without a terminal and without --progress, no progress at all.
    Outcome plain = run({"good.toml", "-o", "p.exe", "--stub", stub});
    EXPECT_EQ("", plain.err);
    EXPECT_NE(std::string::npos, plain.out.find("1 file (")) << plain.out;

    Outcome verbose = run({"good.toml", "-o", "v.exe", "--stub", stub, "--verbose"});
    EXPECT_NE(std::string::npos, verbose.out.find("app.exe (program, 1.95 KiB)")) << verbose.out;
    EXPECT_NE(std::string::npos, verbose.out.find("packing: ")) << verbose.out;

    Outcome progress = run({"good.toml", "-o", "g.exe", "--stub", stub, "--progress"});
    for (const char* stage : {"reading files: 1.95 KiB in", "packing: ", "writing: "})
        EXPECT_NE(std::string::npos, progress.err.find(stage)) << progress.err;
    EXPECT_EQ(std::string::npos, progress.err.find('\r')) << "no redrawing when stderr is not a terminal";
}

TEST_F(BuilderCli, InspectShowsSizesAndRatios) {
    if (!haveStub()) GTEST_SKIP() << "the stub is not built yet";
    ASSERT_EQ(0, run({"good.toml", "-o", "s.exe", "--stub", stub_.string(), "-q"}).exitCode);
    Outcome o = run({"inspect", "s.exe"});
    EXPECT_EQ(0, o.exitCode) << o.err;
    for (const char* text : {"Sizes in bytes", "app.exe", "2000", "total"})
        EXPECT_NE(std::string::npos, o.out.find(text)) << text << "\n" << o.out;
}

}  // namespace
