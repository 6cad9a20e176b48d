#include "install/version_compare.h"

namespace {

// Numbers beyond this stop growing, so that any two differ within 64 bits.
constexpr int64_t kNumberCeiling = 100000000000000000LL;

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Hands out the numbers of a version text one at a time.
class VersionNumbers {
public:
    explicit VersionNumbers(const String& text) : at_(text.text()), end_(text.text() + text.length()) {}

    // The next number; false when the list has ended.
    bool next(int64_t& number) {
        while (at_ < end_) {
            char c = *at_++;
            if (isDigit(c)) {
                number = c - '0';
                while (at_ < end_ && isDigit(*at_)) {
                    if (number < kNumberCeiling) number = number * 10 + (*at_ - '0');
                    at_++;
                }
                started_ = true;
                return true;
            }
            if (c == '.' && !started_) {
                started_ = true;
                number = 0;
                return true;
            }
        }
        return false;
    }

private:
    const char* at_;
    const char* end_;
    bool started_ = false;
};

int32_t lastLetter(const String& text) {
    for (int32_t i = text.length(); i-- > 0;) {
        if (isLetter(text.charAt(i))) return (unsigned char)text.charAt(i);
    }
    return 0;
}

int32_t clampToInt32(int64_t value) {
    if (value > 0x7FFFFFFF) return 0x7FFFFFFF;
    if (value < -0x7FFFFFFF) return -0x7FFFFFFF;
    return int32_t(value);
}

}  // namespace

int32_t CompareVersions(const String& a, const String& b) {
    VersionNumbers left(a);
    VersionNumbers right(b);
    for (;;) {
        int64_t x = 0;
        int64_t y = 0;
        bool hasLeft = left.next(x);
        bool hasRight = right.next(y);
        if (hasLeft && hasRight) {
            if (x != y) return clampToInt32(x - y);
            continue;
        }
        if (!hasLeft && !hasRight) return lastLetter(a) - lastLetter(b);
        return hasLeft ? 1 : -1;
    }
}

String paddedVersionText(const String& text) {
    constexpr int32_t kPartWidth = 10;
    if (text.isEmpty()) return String();
    String upper(text);
    upper.toUpper();
    String padded;
    int32_t start = 0;
    for (;;) {
        int32_t point = upper.findChar('.', start);
        int32_t end = point < 0 ? upper.length() : point;
        for (int32_t width = end - start; width < kPartWidth; width++) padded.appendChar('0');
        padded.append(upper.text() + start, end - start);
        if (point < 0) return padded;
        padded.appendChar('.');
        start = point + 1;
    }
}
