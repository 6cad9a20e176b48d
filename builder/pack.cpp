// The packer: a binary-tree match finder and an optimal parse. Tokens carry
// no state between them (no repeated offsets, no entropy coding), so the
// cheapest packing of a stretch is a shortest path over positions whose edges
// are tokens priced at their exact bit cost.
#include "builder/pack.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace {

constexpr uint32_t kMagic = 0x9EC72BA1;
constexpr uint32_t kMinMatch = 4;   // shortest back-reference, also its shortest distance
constexpr uint32_t kMinRun = 3;     // shortest byte run
// The longest nice length of any level: it sizes the cost tables.
constexpr uint32_t kNiceLength = 192;
// Positions per optimal-parse pass; edges are cut at the end of a pass.
constexpr size_t kSegment = size_t(1) << 18;
// Literal runs are priced by header class: a run of up to 4^(c+1) bytes has a
// header of 1 + 3(c+1) bits. Longer runs than the last class are split.
constexpr int kLiteralClasses = 8;

inline uint32_t bitLength(uint32_t v) { return v ? 32 - (uint32_t)__builtin_clz(v) : 0; }

inline uint32_t read32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

// Fewest leading 1-bits k for `value`, and the field width they give.
void numberShape(uint32_t base, uint32_t step, uint32_t value, uint32_t& k, uint32_t& width) {
    uint32_t need = bitLength(value);
    k = need <= base ? 0 : (need - base + step - 1) / step;
    width = std::min<uint32_t>(base + k * step, 32);
}

}  // namespace

uint32_t packedNumberBits(uint32_t base, uint32_t step, uint32_t value) {
    uint32_t k, width;
    numberShape(base, step, value, k, width);
    return k + 1 + width;
}

namespace {

// How hard a level looks. The finders compare up to the nice length; a match
// or run of the take length is taken without looking at the positions it
// covers (which the bucket finder then only enters).
struct LevelParameters {
    uint32_t windowBits;
    uint32_t niceLength;
    uint32_t takeLength;
    uint32_t bucketWays;   // > 0: the bucket finder, with this many positions a bucket
    uint32_t bucketBits;   //   and 2^bucketBits buckets
    uint32_t searchDepth;  // otherwise the tree finder, visiting this many nodes
};

// The fast levels look at few candidates near by; the last is the thorough
// parse, where more depth gains little.
constexpr LevelParameters kLevels[kPackMaxLevel] = {
    {22, 32, 12, 4, 17, 0},   {24, 32, 16, 8, 18, 0},   {24, 64, 64, 0, 0, 16},
    {24, 128, 128, 0, 0, 32}, {24, 192, 192, 0, 0, 48},
};

class BitWriter {
public:
    explicit BitWriter(std::vector<uint8_t>& out) : out_(out) {}

    void put(uint32_t bits, uint32_t count) {  // count <= 32
        acc_ |= (uint64_t(bits) & ((uint64_t(1) << count) - 1)) << fill_;
        fill_ += count;
        while (fill_ >= 8) {
            out_.push_back(uint8_t(acc_));
            acc_ >>= 8;
            fill_ -= 8;
        }
    }

    void putNumber(uint32_t base, uint32_t step, uint32_t value) {
        uint32_t k, width;
        numberShape(base, step, value, k, width);
        put((uint32_t(1) << k) - 1, k);  // k <= 31 for every base >= 1
        put(0, 1);
        put(value, width);
    }

    void finish() {
        if (fill_ > 0) out_.push_back(uint8_t(acc_));
        acc_ = 0;
        fill_ = 0;
    }

private:
    std::vector<uint8_t>& out_;
    uint64_t acc_ = 0;
    uint32_t fill_ = 0;
};

// Writes tokens; adjacent literal runs become one (never costs more).
class TokenWriter {
public:
    TokenWriter(BitWriter& bits, const uint8_t* data) : bits_(bits), data_(data) {}

    void literals(size_t pos, size_t count) {
        if (pendingCount_ > 0 && pendingPos_ + pendingCount_ == pos) {
            pendingCount_ += count;
            return;
        }
        flush();
        pendingPos_ = pos;
        pendingCount_ = count;
    }

    void byteRun(uint8_t byte, size_t count) {
        flush();
        bits_.put(3, 2);
        bits_.put(byte, 8);
        bits_.putNumber(1, 1, uint32_t(count - kMinRun));
    }

    void backReference(size_t length, uint32_t distance) {
        flush();
        bits_.put(1, 2);
        bits_.putNumber(2, 1, uint32_t(length - kMinMatch));
        bits_.putNumber(12, 2, distance - kMinMatch);
    }

    void flush() {
        if (pendingCount_ == 0) return;
        bits_.put(0, 1);
        bits_.putNumber(2, 2, uint32_t(pendingCount_ - 1));
        for (size_t i = 0; i < pendingCount_; ++i) bits_.put(data_[pendingPos_ + i], 8);
        pendingCount_ = 0;
    }

private:
    BitWriter& bits_;
    const uint8_t* data_;
    size_t pendingPos_ = 0;
    size_t pendingCount_ = 0;
};

struct Match {
    uint32_t length;    // usable length: never above the distance
    uint32_t distance;
};

// What both match finders share: the window, the collected matches and their
// frontier, and the probes of periodic stretches.
class FinderBase {
public:
    // The matches at the position last searched: usable lengths and distances
    // both increasing, so for every length the nearest (cheapest) distance is
    // listed. The longest may run past the nice length when it was extended
    // by direct comparison.
    const std::vector<Match>& matches() const { return found_; }

protected:
    // Matches as found: the length compared (up to the finder's limit, or up
    // to the distance for the periodic probes) and the distance.
    struct RawMatch {
        uint32_t length;
        uint32_t distance;
    };

    FinderBase(const uint8_t* data, size_t n, const LevelParameters& level)
        : data_(data), n_(n), nice_(level.niceLength) {
        uint32_t bits = 8;
        while (bits < level.windowBits && (size_t(1) << bits) < n) ++bits;
        windowBits_ = bits;
        window_ = size_t(1) << bits;
    }

    uint32_t matchLength(size_t pos, size_t distance, size_t limit) const {
        const uint8_t* p = data_ + pos;
        const uint8_t* q = p - distance;
        size_t len = 0;
        while (len + 8 <= limit) {
            uint64_t a, b;
            std::memcpy(&a, p + len, 8);
            std::memcpy(&b, q + len, 8);
            if (a != b) return uint32_t(len + (__builtin_ctzll(a ^ b) >> 3));
            len += 8;
        }
        while (len < limit && p[len] == q[len]) ++len;
        return uint32_t(len);
    }

    void notePeriod(uint32_t len, size_t distance) {
        if (len > distance && (period_ == 0 || distance < period_)) period_ = uint32_t(distance);
    }

    // The matches in raw_ at `pos` become the frontier in found_.
    void finish(size_t pos) {
        addPeriodicMatches(pos);
        keepFrontier();
        if (!found_.empty()) {
            Match& last = found_.back();
            if (last.length == nice_ && last.distance > nice_)
                last.length = matchLength(pos, last.distance, std::min<size_t>(n_ - pos, last.distance));
        }
    }

    const uint8_t* data_;
    size_t n_;
    uint32_t nice_;
    uint32_t windowBits_;
    size_t window_;
    std::vector<RawMatch> raw_;
    std::vector<Match> found_;
    uint32_t period_ = 0;  // shortest distance whose match outran it, 0 when none

private:
    // A periodic stretch gives a near match longer than its distance, which a
    // reference cannot use (length <= distance), and periods below 4 cannot
    // be referenced at all. Multiples of the period can copy more; the finders
    // have usually dropped them (equal prefixes are replaced), so they are
    // probed directly, doubling while the stretch reaches back.
    void addPeriodicMatches(size_t pos) {
        if (period_ == 0) return;
        size_t first = (kMinMatch + period_ - 1) / period_ * period_;  // the first usable multiple
        for (size_t distance = first; distance <= pos && distance < window_; distance *= 2) {
            // Compared to the full usable length: a long stretch is then taken
            // whole and its positions are skipped, which pays for the compare.
            uint32_t len = matchLength(pos, distance, std::min<size_t>(n_ - pos, distance));
            if (len < kMinMatch) break;
            raw_.push_back({len, uint32_t(distance)});
            if (len < distance) break;
        }
    }

    void keepFrontier() {
        std::sort(raw_.begin(), raw_.end(),
                  [](const RawMatch& a, const RawMatch& b) { return a.distance < b.distance; });
        uint32_t best = kMinMatch - 1;
        for (const RawMatch& m : raw_) {
            uint32_t usable = std::min(m.length, m.distance);
            if (usable > best) {
                best = usable;
                found_.push_back({usable, m.distance});
            }
        }
    }
};

// Binary-tree match finder over a sliding window (each node's children are
// older positions; a path from the root visits ever older ones). find() or
// skip() must be called for every position in order: both enter it.
class TreeFinder : public FinderBase {
public:
    TreeFinder(const uint8_t* data, size_t n, const LevelParameters& level)
        : FinderBase(data, n, level), depth_(level.searchDepth) {
        hashBits_ = std::min<uint32_t>(std::max<uint32_t>(windowBits_, 12), 22);
        head_.assign(size_t(1) << hashBits_, 0);
        tree_.assign(2 * window_, 0);
    }

    // Enters `pos` without collecting matches (inside a stretch already taken).
    void skip(size_t pos) {
        raw_.clear();
        size_t avail = n_ - pos;
        if (avail >= kMinMatch) searchTree(pos, uint32_t(std::min<size_t>(nice_, avail)));
    }

    const std::vector<Match>& find(size_t pos) {
        found_.clear();
        raw_.clear();
        size_t avail = n_ - pos;
        if (avail < kMinMatch) return found_;
        searchTree(pos, uint32_t(std::min<size_t>(nice_, avail)));
        finish(pos);
        return found_;
    }

private:
    uint32_t hash(size_t pos) const { return (read32(data_ + pos) * 0x9E3779B1u) >> (32 - hashBits_); }

    // Walks the tree from the newest position of the hash bucket, collecting
    // matches, and re-links it with `pos` as the new root. Tree links hold
    // position + 1; 0 is none.
    void searchTree(size_t pos, uint32_t lenLimit) {
        const uint8_t* p = data_ + pos;
        period_ = 0;
        uint32_t h = hash(pos);
        uint32_t node = head_[h];
        head_[h] = uint32_t(pos + 1);
        uint32_t* smaller = &tree_[2 * (pos & (window_ - 1))];
        uint32_t* larger = smaller + 1;
        uint32_t lenSmaller = 0, lenLarger = 0;
        for (uint32_t depth = depth_;; --depth) {
            size_t distance = node ? pos - (node - 1) : 0;
            if (node == 0 || depth == 0 || distance >= window_) {
                *smaller = *larger = 0;
                return;
            }
            size_t older = node - 1;
            uint32_t* pair = &tree_[2 * (older & (window_ - 1))];
            const uint8_t* q = data_ + older;
            // Both neighbours share this many bytes with p, so does q.
            uint32_t len = std::min(lenSmaller, lenLarger);
            if (q[len] == p[len]) {
                while (++len < lenLimit && q[len] == p[len]) {
                }
                if (len >= kMinMatch && distance >= kMinMatch) raw_.push_back({len, uint32_t(distance)});
                notePeriod(len, distance);
                if (len == lenLimit) {
                    // q equals p as far as the tree looks: p takes its place.
                    *smaller = pair[0];
                    *larger = pair[1];
                    return;
                }
            }
            if (q[len] < p[len]) {
                *smaller = node;
                smaller = pair + 1;
                node = *smaller;
                lenSmaller = len;
            } else {
                *larger = node;
                larger = pair;
                node = *larger;
                lenLarger = len;
            }
        }
    }

    uint32_t depth_;
    uint32_t hashBits_;
    std::vector<uint32_t> head_;
    std::vector<uint32_t> tree_;
};

// Hash-bucket match finder for the fast levels: a bucket keeps the newest few
// positions whose first bytes hash there, newest first, so a look-up costs one
// cache line and a compare per candidate; positions inside a stretch already
// taken are only entered.
class BucketFinder : public FinderBase {
    static constexpr size_t kPrefetchDistance = 8;

public:
    BucketFinder(const uint8_t* data, size_t n, const LevelParameters& level)
        : FinderBase(data, n, level), ways_(level.bucketWays) {
        hashBits_ = std::min(level.bucketBits, windowBits_);
        slots_.assign((size_t(1) << hashBits_) * ways_, 0);
    }

    void skip(size_t pos) {
        if (n_ - pos < kMinMatch) return;
        prefetchAhead(pos);
        enter(bucket(pos), pos);
    }

    const std::vector<Match>& find(size_t pos) {
        found_.clear();
        raw_.clear();
        period_ = 0;
        size_t avail = n_ - pos;
        if (avail < kMinMatch) return found_;
        const size_t limit = std::min<size_t>(nice_, avail);
        prefetchAhead(pos);
        uint32_t* slots = bucket(pos);
        for (uint32_t i = 0; i < ways_ && slots[i] != 0; ++i) {
            size_t distance = pos - (slots[i] - 1);
            if (distance >= window_) break;
            uint32_t len = matchLength(pos, distance, limit);
            if (len >= kMinMatch && distance >= kMinMatch) raw_.push_back({len, uint32_t(distance)});
            notePeriod(len, distance);
        }
        enter(slots, pos);
        finish(pos);
        return found_;
    }

private:
    // The bucket of a position a few ahead: positions are entered in order,
    // and the table is too large for the nearest cache.
    void prefetchAhead(size_t pos) {
        if (n_ - pos >= kPrefetchDistance + kMinMatch) __builtin_prefetch(bucket(pos + kPrefetchDistance));
    }

    uint32_t* bucket(size_t pos) {
        uint32_t h = (read32(data_ + pos) * 0x9E3779B1u) >> (32 - hashBits_);
        return &slots_[size_t(h) * ways_];
    }

    void enter(uint32_t* slots, size_t pos) {
        for (uint32_t i = ways_ - 1; i > 0; --i) slots[i] = slots[i - 1];
        slots[0] = uint32_t(pos + 1);
    }

    uint32_t ways_;
    uint32_t hashBits_;
    std::vector<uint32_t> slots_;
};

enum : uint32_t { kLiteralEdge = 0, kRunEdge = 1 };  // otherwise a back-reference's distance

template <class Finder>
class Parser {
public:
    Parser(const uint8_t* data, size_t n, const LevelParameters& level, BitWriter& bits)
        : data_(data),
          n_(n),
          nice_(level.niceLength),
          take_(level.takeLength),
          finder_(data, n, level),
          writer_(bits, data) {
        const size_t most = std::min(n, kSegment) + 1;
        for (int c = 0; c < kLiteralClasses; ++c) {
            literalMax_[c] = uint32_t(1) << (2 * (c + 1));
            literalHeader_[c] = 1 + 3 * uint32_t(c + 1);
        }
        for (uint32_t len = kMinMatch; len <= kNiceLength; ++len)
            lengthBits_[len] = packedNumberBits(2, 1, len - kMinMatch);
        for (uint32_t len = kMinRun; len <= kNiceLength; ++len)
            runBits_[len] = 2 + 8 + packedNumberBits(1, 1, len - kMinRun);
        starts_.resize(most);
        cost_.resize(most);
        from_.resize(most);
        edge_.resize(most);
    }

    void run() {
        for (size_t start = 0; start < n_;) {
            size_t end = std::min(n_, start + kSegment);
            parseSegment(start, end);
            start = end;
        }
        writer_.flush();
    }

private:
    void relax(size_t to, uint32_t cost, size_t from, uint32_t edge) {
        if (cost < cost_[to]) {
            cost_[to] = cost;
            from_[to] = uint32_t(from);
            edge_[to] = edge;
        }
    }

    // Bytes equal to data[pos] from pos on.
    size_t runLength(size_t pos) {
        if (pos >= runEnd_ || data_[pos] != runByte_) {
            runByte_ = data_[pos];
            runEnd_ = pos + 1;
            while (runEnd_ < n_ && data_[runEnd_] == runByte_) ++runEnd_;
        }
        return runEnd_ - pos;
    }

    int64_t startValue(uint32_t index) const { return int64_t(cost_[index]) - 8 * int64_t(index); }

    // Offers `index` as the start of literal runs. A run from i to j costs
    // cost[i] - 8i + 8j + header, so per header class the start with the
    // least cost[i] - 8i within reach wins. The candidates, in increasing
    // order of both index and value, are one list for all classes (the
    // minimum of a sliding window), each class with its own front; the
    // widest class's front is the oldest.
    void addLiteralStart(uint32_t index) {
        const int64_t value = startValue(index);
        const size_t oldest = startFront_[kLiteralClasses - 1];
        while (startEnd_ > oldest && startValue(starts_[startEnd_ - 1]) >= value) --startEnd_;
        for (size_t& front : startFront_) front = std::min(front, startEnd_);
        starts_[startEnd_++] = index;
    }

    // The cheapest ways to reach `at` with a literal run as the last token.
    void reachByLiterals(uint32_t at) {
        for (int c = 0; c < kLiteralClasses; ++c) {
            size_t& front = startFront_[c];
            while (front < startEnd_ && at - starts_[front] > literalMax_[c]) ++front;
            if (front == startEnd_) continue;
            uint32_t from = starts_[front];
            relax(at, cost_[from] + 8 * (at - from) + literalHeader_[c], from, kLiteralEdge);
        }
    }

    // Shortest path over [start, end]; then the tokens of that path are written.
    void parseSegment(size_t start, size_t end) {
        const size_t length = end - start;
        std::fill(cost_.begin(), cost_.begin() + length + 1, UINT32_MAX);
        cost_[0] = 0;
        startEnd_ = 0;
        for (size_t& front : startFront_) front = 0;
        size_t skipUntil = start;
        for (size_t pos = start;; ++pos) {
            const uint32_t at = uint32_t(pos - start);
            if (at > 0) {
                addLiteralStart(at - 1);
                reachByLiterals(at);
            }
            if (pos == end) break;
            if (pos < skipUntil) {
                finder_.skip(pos);
                continue;
            }
            const std::vector<Match>& matches = finder_.find(pos);
            const uint32_t base = cost_[at];
            const size_t room = end - pos;
            size_t longest = 0;

            size_t run = std::min(runLength(pos), room);
            if (run >= kMinRun) {
                size_t top = std::min<size_t>(run, nice_);
                for (size_t len = kMinRun; len <= top; ++len) relax(at + len, base + runBits_[len], at, kRunEdge);
                if (run > top)
                    relax(at + run, base + 10 + packedNumberBits(1, 1, uint32_t(run - kMinRun)), at, kRunEdge);
                longest = run;
            }

            size_t done = kMinMatch - 1;
            for (const Match& m : matches) {
                size_t top = std::min<size_t>(m.length, room);
                if (top <= done) continue;
                const uint32_t head = base + 2 + packedNumberBits(12, 2, m.distance - kMinMatch);
                size_t stepTop = std::min<size_t>(top, nice_);
                for (size_t len = done + 1; len <= stepTop; ++len)
                    relax(at + len, head + lengthBits_[len], at, m.distance);
                if (top > stepTop)
                    relax(at + top, head + packedNumberBits(2, 1, uint32_t(top - kMinMatch)), at, m.distance);
                done = top;
                longest = std::max(longest, top);
            }
            if (longest >= take_) skipUntil = pos + longest;
        }
        writePath(start, length);
    }

    void writePath(size_t start, size_t length) {
        path_.clear();
        for (uint32_t at = uint32_t(length); at > 0; at = from_[at]) path_.push_back(at);
        uint32_t from = 0;
        for (auto it = path_.rbegin(); it != path_.rend(); ++it) {
            uint32_t to = *it;
            uint32_t edge = edge_[to];
            size_t count = to - from;
            if (edge == kLiteralEdge)
                writer_.literals(start + from, count);
            else if (edge == kRunEdge)
                writer_.byteRun(data_[start + from], count);
            else
                writer_.backReference(count, edge);
            from = to;
        }
    }

    const uint8_t* data_;
    size_t n_;
    size_t nice_;
    size_t take_;
    Finder finder_;
    TokenWriter writer_;
    std::vector<uint32_t> starts_;
    size_t startEnd_ = 0;
    size_t startFront_[kLiteralClasses] = {};
    uint32_t literalMax_[kLiteralClasses];
    uint32_t literalHeader_[kLiteralClasses];
    uint32_t lengthBits_[kNiceLength + 1] = {};
    uint32_t runBits_[kNiceLength + 1] = {};
    std::vector<uint32_t> cost_;
    std::vector<uint32_t> from_;
    std::vector<uint32_t> edge_;
    std::vector<uint32_t> path_;
    size_t runEnd_ = 0;
    uint8_t runByte_ = 0;
};

}  // namespace

std::vector<uint8_t> pack(const uint8_t* data, size_t n, int level) {
    if (n > 0x7FFFFFFF) throw std::length_error("pack: a packed block holds less than 2 GiB");
    if (level < 1 || level > kPackMaxLevel) throw std::invalid_argument("pack: no such level");
    std::vector<uint8_t> out;
    out.reserve(n / 2 + 16);
    out.resize(8);
    uint32_t header[2] = {kMagic, uint32_t(n)};
    for (int i = 0; i < 8; ++i) out[i] = uint8_t(header[i / 4] >> (8 * (i % 4)));
    BitWriter bits(out);
    const LevelParameters& parameters = kLevels[level - 1];
    if (n > 0 && parameters.bucketWays > 0)
        Parser<BucketFinder>(data, n, parameters, bits).run();
    else if (n > 0)
        Parser<TreeFinder>(data, n, parameters, bits).run();
    bits.finish();
    return out;
}
