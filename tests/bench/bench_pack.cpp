// Packed blocks against zlib and xz on the same data, in one run:
//   packed size at the default and the maximum level against zlib level 9
//   with gzip framing (what `gzip -9` writes, less its file-name field) and
//   xz preset 9 (what `xz -9` writes), pack speed at both levels against
//   zlib's level 9, and unpack throughput against memcpy and zlib's inflate.
//
// Times are the CPU time of this thread, so that other work on the machine
// does not move the figures; speeds are the best of several runs (packing:
// one run, it is slow at the maximum level).
//
// Usage: tavo-bench [--raw FILE] NAME=LISTFILE...   (each list: one path a line)
// Each set is measured on its files concatenated, as one block, the way the
// builder packs the data region, at the default level; all sets together
// follow with every figure. --raw also writes the figures of all sets
// together as "key value" lines, for scripts/figures.sh.
#include <lzma.h>
#include <malloc.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "builder/pack.h"
#include "payload/unpack.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr int kRuns = 7;

double cpuNow() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "bench: %s\n", what);
    exit(1);
}

bool readFile(const std::string& path, Bytes& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

Bytes gzip9(const Bytes& data) {
    z_stream z{};
    if (deflateInit2(&z, 9, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK) fail("deflateInit2");
    Bytes out(deflateBound(&z, data.size()));
    z.next_in = const_cast<uint8_t*>(data.data());
    z.avail_in = (uInt)data.size();
    z.next_out = out.data();
    z.avail_out = (uInt)out.size();
    if (deflate(&z, Z_FINISH) != Z_STREAM_END) fail("deflate");
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

size_t xz9Size(const Bytes& data) {
    Bytes out(lzma_stream_buffer_bound(data.size()));
    size_t written = 0;
    if (lzma_easy_buffer_encode(9, LZMA_CHECK_CRC64, nullptr, data.data(), data.size(), out.data(), &written,
                                out.size()) != LZMA_OK)
        fail("lzma_easy_buffer_encode");
    return written;
}

double bestInflate(const Bytes& gz, Bytes& out) {
    double best = 1e9;
    for (int r = 0; r < kRuns; ++r) {
        double t0 = cpuNow();
        z_stream z{};
        if (inflateInit2(&z, 15 + 16) != Z_OK) fail("inflateInit2");
        z.next_in = const_cast<uint8_t*>(gz.data());
        z.avail_in = (uInt)gz.size();
        z.next_out = out.data();
        z.avail_out = (uInt)out.size();
        if (inflate(&z, Z_FINISH) != Z_STREAM_END) fail("inflate");
        inflateEnd(&z);
        best = std::min(best, cpuNow() - t0);
    }
    return best;
}

double bestMemcpy(const Bytes& data, Bytes& out) {
    double best = 1e9;
    for (int r = 0; r < kRuns; ++r) {
        double t0 = cpuNow();
        memcpy(out.data(), data.data(), data.size());
        best = std::min(best, cpuNow() - t0);
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
        double t0 = cpuNow();
        bool ok = Unpack(buffer, size);
        double t = cpuNow() - t0;
        if (!ok || (size_t)size != data.size() || memcmp(buffer, data.data(), data.size()) != 0)
            fail("the packed block does not unpack to the input");
        free(buffer);
        best = std::min(best, t);
    }
    return best;
}

struct Packed {
    Bytes block;
    double seconds;
};

Packed timedPack(const Bytes& data, int level) {
    double t0 = cpuNow();
    Bytes block = pack(data.data(), data.size(), level);
    return {std::move(block), cpuNow() - t0};
}

struct Figures {
    size_t files = 0;
    double mb = 0;
    size_t packed = 0, packedMax = 0, gzip = 0, xz = 0;
    double packMBs = 0, packMaxMBs = 0, gzipMBs = 0;
    double unpackMBs = 0, inflateMBs = 0, memcpyMBs = 0;
};

// The default level's figures; `thorough` adds the maximum level and xz.
Figures measure(const Bytes& data, size_t files, bool thorough) {
    Figures f;
    f.files = files;
    f.mb = data.size() / 1e6;
    Packed packed = timedPack(data, kPackDefaultLevel);
    f.packed = packed.block.size();
    f.packMBs = f.mb / packed.seconds;
    if (thorough) {
        Packed most = timedPack(data, kPackMaxLevel);
        f.packedMax = most.block.size();
        f.packMaxMBs = f.mb / most.seconds;
        f.xz = xz9Size(data);
    }
    double t0 = cpuNow();
    Bytes gz = gzip9(data);
    f.gzipMBs = f.mb / (cpuNow() - t0);
    f.gzip = gz.size();

    Bytes scratch(data.size());
    f.memcpyMBs = f.mb / bestMemcpy(data, scratch);
    f.inflateMBs = f.mb / bestInflate(gz, scratch);
    if (memcmp(scratch.data(), data.data(), data.size()) != 0) fail("inflate does not restore the input");
    f.unpackMBs = f.mb / bestUnpack(packed.block, data);
    return f;
}

void print(const std::string& name, const Figures& f) {
    std::printf("%-8s %4zu files %9.2f MB | level %d: packed %10zu  gzip-9 %10zu  packed/gzip %.3f (goal <= 1)"
                "  pack %6.2f MB/s (goal >= 10)  gzip -9 %6.2f MB/s\n",
                name.c_str(), f.files, f.mb, kPackDefaultLevel, f.packed, f.gzip, (double)f.packed / f.gzip,
                f.packMBs, f.gzipMBs);
    if (f.packedMax)
        std::printf("%-8s level %d: packed %10zu  packed/gzip %.3f  pack %6.2f MB/s | xz -9 %10zu  xz/gzip %.3f\n", "",
                    kPackMaxLevel, f.packedMax, (double)f.packedMax / f.gzip, f.packMaxMBs, f.xz,
                    (double)f.xz / f.gzip);
    std::printf("%-8s unpack %8.0f MB/s  inflate %7.0f MB/s  memcpy %7.0f MB/s | unpack/inflate %.2f (goal >= 2)"
                "  unpack/memcpy %.3f\n",
                "", f.unpackMBs, f.inflateMBs, f.memcpyMBs, f.unpackMBs / f.inflateMBs, f.unpackMBs / f.memcpyMBs);
    std::fflush(stdout);
}

void writeRaw(const std::string& path, const Figures& f) {
    FILE* out = std::fopen(path.c_str(), "w");
    if (!out) fail("cannot write the --raw file");
    std::fprintf(out, "files %zu\nbytes %.0f\n", f.files, f.mb * 1e6);
    std::fprintf(out, "default_level %d\nmax_level %d\n", kPackDefaultLevel, kPackMaxLevel);
    std::fprintf(out, "packed %zu\npacked_max %zu\ngzip9 %zu\nxz9 %zu\n", f.packed, f.packedMax, f.gzip, f.xz);
    std::fprintf(out, "pack_mbs %.2f\npack_max_mbs %.2f\ngzip9_mbs %.2f\n", f.packMBs, f.packMaxMBs, f.gzipMBs);
    std::fprintf(out, "unpack_mbs %.1f\ninflate_mbs %.1f\nmemcpy_mbs %.1f\n", f.unpackMBs, f.inflateMBs,
                 f.memcpyMBs);
    std::fclose(out);
}

}  // namespace

int main(int argc, char** argv) {
    // Keep freed memory in the heap so that every run writes to pages that
    // are already mapped, for the unpacker as for the others.
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    std::string raw;
    std::vector<std::string> sets;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--raw" && i + 1 < argc)
            raw = argv[++i];
        else
            sets.push_back(arg);
    }
    if (sets.empty()) {
        std::fprintf(stderr, "usage: %s [--raw FILE] NAME=LISTFILE...\n", argv[0]);
        return 2;
    }
    Bytes all;
    size_t allFiles = 0;
    for (const std::string& arg : sets) {
        size_t eq = arg.find('=');
        if (eq == std::string::npos) {
            std::fprintf(stderr, "bench: expected NAME=LISTFILE, got %s\n", arg.c_str());
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
        if (sets.size() > 1) print(arg.substr(0, eq), measure(set, files, false));
        all.insert(all.end(), set.begin(), set.end());
        allFiles += files;
    }
    if (all.empty()) fail("no data");
    Figures f = measure(all, allFiles, true);
    print("all", f);
    if (!raw.empty()) writeRaw(raw, f);
    return 0;
}
