// Packed blocks against zlib on the same data, in one run:
//   packed size against zlib level 9 with gzip framing (what `gzip -9` writes,
//   less its file-name field), pack speed, and unpack throughput against
//   memcpy and zlib's inflate. Speeds are the best of several runs.
//
// Usage: tavo-bench NAME=LISTFILE...   (each list file: one path a line)
// Each set is measured on its files concatenated, as one block, the way the
// builder packs the data region; a line for all sets together follows.
#include <malloc.h>
#include <stdlib.h>
#include <string.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "builder/pack.h"
#include "payload/unpack.h"

namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<uint8_t>;

constexpr int kRuns = 7;

double seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

bool readFile(const std::string& path, Bytes& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

Bytes gzip9(const Bytes& data) {
    z_stream z{};
    if (deflateInit2(&z, 9, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK) abort();
    Bytes out(deflateBound(&z, data.size()));
    z.next_in = const_cast<uint8_t*>(data.data());
    z.avail_in = (uInt)data.size();
    z.next_out = out.data();
    z.avail_out = (uInt)out.size();
    if (deflate(&z, Z_FINISH) != Z_STREAM_END) abort();
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

double bestInflate(const Bytes& gz, Bytes& out) {
    double best = 1e9;
    for (int r = 0; r < kRuns; ++r) {
        auto t0 = Clock::now();
        z_stream z{};
        if (inflateInit2(&z, 15 + 16) != Z_OK) abort();
        z.next_in = const_cast<uint8_t*>(gz.data());
        z.avail_in = (uInt)gz.size();
        z.next_out = out.data();
        z.avail_out = (uInt)out.size();
        if (inflate(&z, Z_FINISH) != Z_STREAM_END) abort();
        inflateEnd(&z);
        best = std::min(best, seconds(t0, Clock::now()));
    }
    return best;
}

double bestMemcpy(const Bytes& data, Bytes& out) {
    double best = 1e9;
    for (int r = 0; r < kRuns; ++r) {
        auto t0 = Clock::now();
        memcpy(out.data(), data.data(), data.size());
        best = std::min(best, seconds(t0, Clock::now()));
        if (out[data.size() / 2] != data[data.size() / 2]) abort();
    }
    return best;
}

// Unpack consumes its input buffer, so each run gets a fresh copy made
// before the clock starts; the output buffer it allocates is part of the time.
double bestUnpack(const Bytes& block, const Bytes& data) {
    double best = 1e9;
    for (int r = 0; r < kRuns; ++r) {
        uint8_t* buffer = (uint8_t*)malloc(block.size());
        memcpy(buffer, block.data(), block.size());
        int32_t size = (int32_t)block.size();
        auto t0 = Clock::now();
        bool ok = Unpack(buffer, size);
        double t = seconds(t0, Clock::now());
        if (!ok || (size_t)size != data.size() || memcmp(buffer, data.data(), data.size()) != 0) {
            std::fprintf(stderr, "bench: the packed block does not unpack to the input\n");
            exit(1);
        }
        free(buffer);
        best = std::min(best, t);
    }
    return best;
}

void measure(const std::string& name, const Bytes& data, size_t files) {
    double mb = data.size() / 1e6;
    auto t0 = Clock::now();
    Bytes block = pack(data.data(), data.size());
    double packTime = seconds(t0, Clock::now());
    Bytes gz = gzip9(data);

    Bytes scratch(data.size());
    double tCopy = bestMemcpy(data, scratch);
    double tInflate = bestInflate(gz, scratch);
    if (memcmp(scratch.data(), data.data(), data.size()) != 0) abort();
    double tUnpack = bestUnpack(block, data);

    std::printf("%-8s %4zu files %9.2f MB | packed %10zu  gzip-9 %10zu  packed/gzip %.3f (goal <= 1)  pack %6.2f MB/s\n",
                name.c_str(), files, mb, block.size(), gz.size(), (double)block.size() / gz.size(), mb / packTime);
    std::printf("%-8s unpack %8.0f MB/s  inflate %7.0f MB/s  memcpy %7.0f MB/s | unpack/inflate %.2f (goal >= 2)  unpack/memcpy %.3f\n",
                "", mb / tUnpack, mb / tInflate, mb / tCopy, tInflate / tUnpack, tCopy / tUnpack);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    // Keep freed memory in the heap so that every run writes to pages that
    // are already mapped, for the unpacker as for the others.
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s NAME=LISTFILE...\n", argv[0]);
        return 2;
    }
    Bytes all;
    size_t allFiles = 0;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        size_t eq = arg.find('=');
        if (eq == std::string::npos) {
            std::fprintf(stderr, "bench: expected NAME=LISTFILE, got %s\n", argv[i]);
            return 2;
        }
        std::ifstream list(arg.substr(eq + 1));
        Bytes set, file;
        size_t files = 0;
        for (std::string path; std::getline(list, path);) {
            if (path.empty()) continue;
            if (!readFile(path, file)) {
                std::fprintf(stderr, "bench: cannot read %s\n", path.c_str());
                return 1;
            }
            set.insert(set.end(), file.begin(), file.end());
            ++files;
        }
        if (set.empty()) continue;
        measure(arg.substr(0, eq), set, files);
        all.insert(all.end(), set.begin(), set.end());
        allFiles += files;
    }
    if (argc > 2 && !all.empty()) measure("all", all, allFiles);
    return 0;
}
