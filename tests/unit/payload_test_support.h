// Shared pieces of the payload tests: a valid installer description for the
// writer to start from, and files held in memory.
#pragma once
#include <string.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "builder/installer_model.h"
#include "payload/pe_section.h"

namespace payload_test {

// Settings the stub accepts: one language, a few strings, a volume name.
inline build::Settings validSettings() {
    build::Settings s;
    s.productName = "Widget";
    s.publisher = "Acme";
    s.volumeBaseName = "WIDGET";
    s.languages = {"English"};
    s.strings = {{"Widget Setup"}, {"unused"}};
    return s;
}

inline build::FileEntry fileWithBody(const std::string& name, std::vector<uint8_t> body) {
    build::FileEntry f;
    f.name = name;
    f.body = std::move(body);
    f.firstText = name + " shortcut";
    f.destination = "%InstallDir%\\" + name;
    return f;
}

// Bytes that repeat enough to pack and vary enough to catch misplaced copies.
inline std::vector<uint8_t> patternBytes(size_t n, uint32_t seed) {
    std::vector<uint8_t> out(n);
    for (size_t i = 0; i < n; ++i) out[i] = (uint8_t)((i * 7 + seed) % 251 ^ (i / 64));
    return out;
}

// A file held in memory; reads beyond `readableUpTo` fail, as on a bad disk.
class MemoryFile final : public FileBytes {
public:
    explicit MemoryFile(std::vector<uint8_t> bytes) : bytes(std::move(bytes)), readableUpTo((size_t)-1) {}
    bool readAt(uint32_t offset, void* out, uint32_t count) override {
        size_t end = (size_t)offset + count;
        if (offset > bytes.size() || count > bytes.size() - offset || end > readableUpTo) return false;
        if (count) memcpy(out, bytes.data() + offset, count);
        return true;
    }
    std::vector<uint8_t> bytes;
    size_t readableUpTo;
};

inline std::vector<uint8_t> readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// A file of the build's dist/ folder.
inline std::string distPath(const char* name) { return std::string(TAVO_DIST_DIR) + "/" + name; }

}  // namespace payload_test
