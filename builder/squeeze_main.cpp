// tavo-squeeze: makes the shipped stubs from the linked ones.
//   tavo-squeeze LINKED_DIR DIST_DIR
// Squeezes every tavo-stub-*.exe of LINKED_DIR into DIST_DIR when the
// squeezed file is missing or older than the linked one or the tool. Exit code 1 when a
// stub cannot be squeezed or written.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "builder/pe_squeeze.h"

namespace fs = std::filesystem;

namespace {

bool squeezeFile(const fs::path& linked, const fs::path& squeezed) {
    std::ifstream in(linked, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    if (!in.good() && !in.eof()) {
        std::fprintf(stderr, "tavo-squeeze: cannot read %s\n", linked.c_str());
        return false;
    }
    build::SqueezeReport report;
    std::vector<uint8_t> out;
    try {
        out = build::squeezeStub(bytes, build::kDamagedStubMessage, &report);
    } catch (const build::PeError& e) {
        std::fprintf(stderr, "tavo-squeeze: %s: %s\n", linked.c_str(), e.what());
        return false;
    }
    fs::path temporary = squeezed.string() + ".new";
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file.write((const char*)out.data(), (std::streamsize)out.size());
    file.close();
    std::error_code error;
    if (!file || (fs::rename(temporary, squeezed, error), error)) {
        std::fprintf(stderr, "tavo-squeeze: cannot write %s\n", squeezed.c_str());
        return false;
    }
    fs::permissions(squeezed, fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                    fs::perm_options::add, error);
    std::printf("tavo-squeeze: %s: %zu bytes (linked %zu; %u bytes of code and data packed into %u)\n",
                squeezed.c_str(), out.size(), bytes.size(), report.unpackedBytes, report.streamBytes);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Makes the shipped stubs from the linked ones (their code and data packed)"};
    std::string linkedDir, distDir;
    app.add_option("linked", linkedDir, "Folder of the linked stubs")->required()->type_name("DIR");
    app.add_option("dist", distDir, "Folder of the shipped stubs")->required()->type_name("DIR");
    CLI11_PARSE(app, argc, argv);

    std::error_code error;
    if (!fs::is_directory(linkedDir, error)) return 0;  // no stubs built in this tree
    // A squeezed stub is current when newer than its linked stub and this tool.
    fs::file_time_type tool = fs::last_write_time(fs::read_symlink("/proc/self/exe", error), error);
    bool ok = true;
    for (const fs::directory_entry& entry : fs::directory_iterator(linkedDir, error)) {
        std::string name = entry.path().filename().string();
        if (name.rfind("tavo-stub-", 0) != 0 || entry.path().extension() != ".exe") continue;
        fs::path squeezed = fs::path(distDir) / name;
        if (fs::exists(squeezed, error) &&
            fs::last_write_time(squeezed, error) >= std::max(tool, fs::last_write_time(entry.path(), error)))
            continue;
        ok = squeezeFile(entry.path(), squeezed) && ok;
    }
    return ok ? 0 : 1;
}
