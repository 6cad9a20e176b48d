#include "tests/e2e/prefix_snapshot.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace e2e {
namespace {

namespace fs = std::filesystem;

std::string contentsKey(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    uint64_t hash = 1469598103934665603ull, size = 0;
    char chunk[65536];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        for (std::streamsize i = 0; i < in.gcount(); i++) hash = (hash ^ (uint8_t)chunk[i]) * 1099511628211ull;
        size += (uint64_t)in.gcount();
    }
    std::ostringstream text;
    text << size << ":" << std::hex << hash;
    return text.str();
}

bool skipped(const std::string& relative, const std::vector<std::string>& skippedFolders) {
    for (const std::string& folder : skippedFolders) {
        if (relative == folder || relative.rfind(folder + "/", 0) == 0) return true;
    }
    return false;
}

void readFiles(const fs::path& driveC, const std::vector<std::string>& skippedFolders, PrefixSnapshot& snapshot) {
    std::error_code error;
    for (fs::recursive_directory_iterator it(driveC, fs::directory_options::skip_permission_denied, error), end;
         it != end; it.increment(error)) {
        std::string relative = fs::relative(it->path(), driveC).generic_string();
        if (skipped(relative, skippedFolders)) {
            if (it->is_directory()) it.disable_recursion_pending();
            continue;
        }
        if (it->is_symlink()) {
            snapshot.files[relative] = "link";
            it.disable_recursion_pending();
        } else if (it->is_directory()) {
            snapshot.files[relative] = "dir";
        } else {
            snapshot.files[relative] = contentsKey(it->path());
        }
    }
}

// Wine's registry text: "[key] stamp" lines open a key, "#time=" lines stamp
// it, "name"=data or @=data lines are its values, a trailing backslash
// continues a value on the next line.
void readRegistryFile(const fs::path& file, const std::string& label, PrefixSnapshot& snapshot) {
    std::ifstream in(file, std::ios::binary);
    std::string line, key;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        while (!line.empty() && line.back() == '\\' && in) {
            std::string next;
            if (!std::getline(in, next)) break;
            line.pop_back();
            line += next.substr(next.find_first_not_of(" \t") == std::string::npos ? next.size()
                                                                                    : next.find_first_not_of(" \t"));
        }
        if (line.empty()) continue;
        if (line[0] == '[') {
            key = label + ":" + line.substr(1, line.rfind(']') - 1);
            snapshot.keys[key];
        } else if (key.empty() || line.rfind("#time=", 0) == 0) {
            continue;
        } else if (line[0] == '#') {
            snapshot.keys[key][line] = "";
        } else {
            size_t equals = line[0] == '@' ? 1 : line.find("\"=") + 1;
            if (equals == 0 || equals >= line.size()) continue;
            snapshot.keys[key][line.substr(0, equals)] = line.substr(equals + 1);
        }
    }
}

}  // namespace

PrefixSnapshot takeSnapshot(const std::string& prefixDir, const std::vector<std::string>& skippedFolders) {
    PrefixSnapshot snapshot;
    readFiles(fs::path(prefixDir) / "drive_c", skippedFolders, snapshot);
    for (const char* name : {"system.reg", "user.reg", "userdef.reg"}) {
        readRegistryFile(fs::path(prefixDir) / name, name, snapshot);
    }
    return snapshot;
}

std::vector<std::string> differences(const PrefixSnapshot& before, const PrefixSnapshot& after) {
    std::vector<std::string> found;
    for (const auto& [path, state] : before.files) {
        auto now = after.files.find(path);
        if (now == after.files.end()) found.push_back("-file " + path);
        else if (now->second != state) found.push_back("~file " + path);
    }
    for (const auto& [path, state] : after.files) {
        if (!before.files.count(path)) found.push_back("+file " + path);
    }
    for (const auto& [key, values] : before.keys) {
        auto now = after.keys.find(key);
        if (now == after.keys.end()) {
            found.push_back("-key " + key);
            continue;
        }
        for (const auto& [name, data] : values) {
            auto value = now->second.find(name);
            if (value == now->second.end()) found.push_back("-value " + key + " | " + name);
            else if (value->second != data) found.push_back("~value " + key + " | " + name);
        }
        for (const auto& [name, data] : now->second) {
            if (!values.count(name)) found.push_back("+value " + key + " | " + name);
        }
    }
    for (const auto& [key, values] : after.keys) {
        if (!before.keys.count(key)) found.push_back("+key " + key);
    }
    return found;
}

std::string subjectOf(const std::string& difference) { return difference.substr(1); }

}  // namespace e2e
