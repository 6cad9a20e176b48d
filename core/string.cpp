#include "core/string.h"

#include <stdlib.h>
#include <string.h>

#include "core/checksum.h"
#include "core/fatal.h"

const char String::blanks[] = " \r\n\t";

namespace {

constexpr int32_t GrowthSlack = 21;       // spare bytes after each reallocation
constexpr int32_t ShrinkThreshold = 512;  // free bytes above this shrink the buffer
// Longest length whose buffer size still fits the signed capacity field.
constexpr int32_t MaxLength = String::all - GrowthSlack;

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? (char)(c + ('a' - 'A')) : c; }
char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? (char)(c - ('a' - 'A')) : c; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool sameChar(char a, char b, bool ignoreCase) {
    return a == b || (ignoreCase && lowerAscii(a) == lowerAscii(b));
}

// The terminator never belongs to a set.
bool inSet(char c, const char* set) {
    for (; set && *set; ++set) {
        if (*set == c) {
            return true;
        }
    }
    return false;
}

int32_t textLength(const char* text) {
    if (!text) {
        return 0;
    }
    size_t n = strlen(text);
    return n > (size_t)MaxLength ? MaxLength : (int32_t)n;
}

// How many bytes a (text, count) argument stands for.
int32_t countOf(const char* text, int32_t count) {
    if (!text || count < 0) {
        return 0;
    }
    return count == String::all ? textLength(text) : count;
}

// n, or the out-of-memory stop when no buffer could hold that much.
int32_t checkedLength(int64_t n) {
    if (n > MaxLength) {
        OutOfMemoryReport((size_t)n + GrowthSlack);
    }
    return (int32_t)n;
}

int32_t grownLength(int32_t a, int32_t b) { return checkedLength((int64_t)a + b); }

// memcpy that accepts null pointers when there is nothing to copy; returns the
// end of what was written.
char* copyBytes(char* to, const char* from, int32_t n) {
    if (n > 0) {
        memcpy(to, from, (size_t)n);
    }
    return n > 0 ? to + n : to;
}

int32_t clampTo(int32_t value, int32_t low, int32_t high) {
    return value < low ? low : (value > high ? high : value);
}

// Saturating decimal reader behind toInteger and toInteger64.
int64_t leadingDecimal(const char* text, int32_t length) {
    int32_t i = 0;
    while (i < length && !isDigit(text[i]) && text[i] != '+' && text[i] != '-' && text[i] != '.') {
        ++i;
    }
    bool negative = false;
    if (i < length && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const uint64_t limit = negative ? (uint64_t)INT64_MAX + 1 : (uint64_t)INT64_MAX;
    uint64_t magnitude = 0;
    for (; i < length && (text[i] == ',' || isDigit(text[i])); ++i) {
        if (text[i] == ',') {
            continue;  // thousands separators
        }
        uint64_t digit = (uint64_t)(text[i] - '0');
        magnitude = magnitude > (limit - digit) / 10 ? limit : magnitude * 10 + digit;
    }
    if (!negative) {
        return (int64_t)magnitude;
    }
    return magnitude > (uint64_t)INT64_MAX ? INT64_MIN : -(int64_t)magnitude;
}

}  // namespace

// ---- storage -------------------------------------------------------------

bool String::applyLength(int32_t n, bool stopOnFailure) {
    if (n < 1) {
        free(data_);
        data_ = nullptr;
        length_ = 0;
        capacity_ = 0;
        return true;
    }
    if (n >= capacity_ || capacity_ - n > ShrinkThreshold) {
        size_t size = (size_t)n + GrowthSlack;
        char* moved = n > MaxLength ? nullptr : static_cast<char*>(realloc(data_, size));
        if (!moved) {
            if (stopOnFailure) {
                OutOfMemoryReport(size);
            }
            return false;
        }
        data_ = moved;
        capacity_ = (int32_t)size;
    }
    length_ = n;
    data_[n] = 0;
    return true;
}

void String::setLength(int32_t n) { applyLength(n, true); }

bool String::holds(const char* p) const {
    uintptr_t at = (uintptr_t)p, begin = (uintptr_t)data_;
    return data_ && at >= begin && at < begin + (uintptr_t)capacity_;
}

String::String(const char* text) : String() { assign(text, all); }
String::String(const char* text, int32_t count) : String() { assign(text, count); }
String::String(const String& other) : String() { assign(other.data_, other.length_); }

String::String(String&& other) : data_(other.data_), length_(other.length_), capacity_(other.capacity_) {
    other.data_ = nullptr;
    other.length_ = 0;
    other.capacity_ = 0;
}

String::~String() { free(data_); }

String& String::operator=(const char* text) {
    assign(text, all);
    return *this;
}

String& String::operator=(const String& other) {
    if (this != &other) {
        assign(other.data_, other.length_);
    }
    return *this;
}

String& String::operator=(String&& other) {
    if (this != &other) {
        free(data_);
        data_ = other.data_;
        length_ = other.length_;
        capacity_ = other.capacity_;
        other.data_ = nullptr;
        other.length_ = 0;
        other.capacity_ = 0;
    }
    return *this;
}

void String::assign(const char* text, int32_t count) {
    int32_t n = countOf(text, count);
    if (n > 0 && holds(text)) {
        memmove(data_, text, (size_t)n);  // before a shrinking reallocation drops it
        setLength(n);
        return;
    }
    setLength(n);
    if (n > 0) {
        memcpy(data_, text, (size_t)n);
    }
}

void String::append(const char* text) { append(text, all); }

void String::append(const char* text, int32_t count) {
    int32_t n = countOf(text, count);
    if (n == 0) {
        return;
    }
    int32_t old = length_;
    if (holds(text)) {
        size_t offset = (size_t)(text - data_);
        setLength(grownLength(old, n));
        memmove(data_ + old, data_ + offset, (size_t)n);
        return;
    }
    setLength(grownLength(old, n));
    memcpy(data_ + old, text, (size_t)n);
}

void String::append(const String& other) { append(other.data_, other.length_); }

void String::appendChar(char c) {
    int32_t old = length_;
    setLength(grownLength(old, 1));
    data_[old] = c;
}

void String::clear() { setLength(0); }

void String::resize(int32_t newLength) { setLength(newLength); }

bool String::tryResize(int32_t newLength) { return applyLength(newLength, false); }

char* String::stealData() {
    char* taken = data_;
    data_ = nullptr;
    length_ = 0;
    capacity_ = 0;
    return taken;
}

bool String::isBlank() const {
    for (int32_t i = 0; i < length_; ++i) {
        if (!inSet(data_[i], blanks)) {
            return false;
        }
    }
    return true;
}

char String::at(int32_t i) const {
    if (i < 0 || i >= length_) {
        InternalFatal("Core", 7748);
    }
    return data_[i];
}

char String::charAt(int32_t i) const { return (i >= 0 && i < length_) ? data_[i] : 0; }

// ---- editing -------------------------------------------------------------

void String::insert(int32_t position, const char* text, int32_t count) {
    int32_t n = countOf(text, count);
    if (n == 0) {
        return;
    }
    if (holds(text)) {
        String copy(text, n);  // the move below would shift the source
        insert(position, copy.data_, n);
        return;
    }
    int32_t at = clampTo(position, 0, length_);
    int32_t old = length_;
    setLength(grownLength(old, n));
    memmove(data_ + at + n, data_ + at, (size_t)(old - at));
    memcpy(data_ + at, text, (size_t)n);
}

void String::insertChar(char c, int32_t position, int32_t count) {
    if (count <= 0) {
        return;
    }
    int32_t at = clampTo(position, 0, length_);
    int32_t old = length_;
    setLength(grownLength(old, count));
    memmove(data_ + at + count, data_ + at, (size_t)(old - at));
    memset(data_ + at, c, (size_t)count);
}

void String::erase(int32_t position, int32_t count) {
    int32_t at = clampTo(position, 0, length_);
    int32_t n = clampTo(count, 0, length_ - at);
    if (n == 0) {
        return;
    }
    memmove(data_ + at, data_ + at + n, (size_t)(length_ - at - n));
    setLength(length_ - n);
}

String String::substring(int32_t position, int32_t count) const {
    int32_t at = clampTo(position, 0, length_);
    int32_t n = clampTo(count, 0, length_ - at);
    return n > 0 ? String(data_ + at, n) : String();
}

String String::extract(int32_t position, int32_t count) {
    String piece = substring(position, count);
    erase(position, count);
    return piece;
}

void String::dropFirst(int32_t n) { erase(0, n); }

void String::dropLast(int32_t n) { setLength(length_ - clampTo(n, 0, length_)); }

// ---- searching -----------------------------------------------------------

namespace {

// Whether `what` (or, for AnyOfSet, one character of it) matches at `text`,
// which has at least `whatLength` characters (1 for AnyOfSet) left.
bool matchesAt(const char* text, const char* what, int32_t whatLength, uint32_t options) {
    bool ignoreCase = (options & String::IgnoreCase) != 0;
    if (options & String::AnyOfSet) {
        for (int32_t i = 0; i < whatLength; ++i) {
            if (sameChar(text[0], what[i], ignoreCase)) {
                return true;
            }
        }
        return false;
    }
    bool wildcard = (options & String::Wildcard) != 0;
    for (int32_t i = 0; i < whatLength; ++i) {
        if (!(wildcard && what[i] == '?') && !sameChar(text[i], what[i], ignoreCase)) {
            return false;
        }
    }
    return true;
}

}  // namespace

int32_t String::find(const char* what, int32_t start, uint32_t options, int32_t count) const {
    int32_t whatLength = textLength(what);
    int32_t span = (options & AnyOfSet) ? 1 : whatLength;
    if (whatLength == 0 || count <= 0 || span > length_) {
        return -1;
    }
    int32_t lastFit = length_ - span;
    if (options & Backwards) {
        if (start < 0) {
            return -1;
        }
        int64_t lowest = start == all ? 0 : (int64_t)start - count;
        for (int32_t p = start < lastFit ? start : lastFit; p >= 0 && p >= lowest; --p) {
            if (matchesAt(data_ + p, what, whatLength, options)) {
                return p;
            }
        }
        return -1;
    }
    int32_t from = start < 0 ? 0 : start;
    int64_t windowEnd = (int64_t)from + count;
    int64_t lastStart = (windowEnd < length_ ? windowEnd : length_) - span;
    for (int64_t p = from; p <= lastStart; ++p) {
        if (matchesAt(data_ + p, what, whatLength, options)) {
            return (int32_t)p;
        }
    }
    return -1;
}

int32_t String::findChar(char c, int32_t start, uint32_t options) const {
    if (options & Backwards) {
        return start < 0 ? -1 : findLastChar(c, start == all ? all : start + 1, options);
    }
    bool ignoreCase = (options & IgnoreCase) != 0;
    bool quoted = false;
    for (int32_t i = start < 0 ? 0 : start; i < length_; ++i) {
        if (!quoted && sameChar(data_[i], c, ignoreCase)) {
            return i;
        }
        if ((options & SkipQuoted) && data_[i] == '"') {
            quoted = !quoted;
        }
    }
    return -1;
}

int32_t String::findLastChar(char c, int32_t before, uint32_t options) const {
    bool ignoreCase = (options & IgnoreCase) != 0;
    bool quoted = false;
    for (int32_t i = clampTo(before, 0, length_) - 1; i >= 0; --i) {
        if (!quoted && sameChar(data_[i], c, ignoreCase)) {
            return i;
        }
        if ((options & SkipQuoted) && data_[i] == '"') {
            quoted = !quoted;
        }
    }
    return -1;
}

int32_t String::findFirstOf(const char* set, int32_t start) const {
    for (int32_t i = start < 0 ? 0 : start; i < length_; ++i) {
        if (inSet(data_[i], set)) {
            return i;
        }
    }
    return -1;
}

int32_t String::findFirstNotOf(const char* set, int32_t start) const {
    for (int32_t i = start < 0 ? 0 : start; i < length_; ++i) {
        if (!inSet(data_[i], set)) {
            return i;
        }
    }
    return -1;
}

// ---- comparing -----------------------------------------------------------

int String::compare(const char* other, bool caseSensitive, int32_t count) const {
    const unsigned char* a = reinterpret_cast<const unsigned char*>(text());
    const unsigned char* b = reinterpret_cast<const unsigned char*>(other ? other : "");
    for (int32_t i = 0; i < count; ++i) {
        int ca = caseSensitive ? a[i] : (unsigned char)lowerAscii((char)a[i]);
        int cb = caseSensitive ? b[i] : (unsigned char)lowerAscii((char)b[i]);
        if (ca != cb) {
            return ca - cb;
        }
        if (ca == 0) {
            return 0;
        }
    }
    return 0;
}

bool String::equals(const String& other) const {
    return length_ == other.length_ && (length_ == 0 || memcmp(data_, other.data_, (size_t)length_) == 0);
}

bool String::equals(const char* other) const {
    int32_t n = textLength(other);
    return length_ == n && (n == 0 || memcmp(data_, other, (size_t)n) == 0);
}

bool String::startsWith(const char* text) const {
    int32_t n = textLength(text);
    return n <= length_ && (n == 0 || memcmp(data_, text, (size_t)n) == 0);
}

bool operator==(const String& a, const String& b) { return a.equals(b); }

// ---- replacing -----------------------------------------------------------

int32_t String::removeAll(const char* what, int32_t maxCount, bool caseSensitive) {
    return replaceAll(what, "", caseSensitive ? 0u : (uint32_t)IgnoreCase, 0, maxCount);
}

int32_t String::replaceAll(const char* what, const char* with, uint32_t options, int32_t start,
                           int32_t maxCount) {
    options &= ~(uint32_t)Backwards;
    int32_t span = (options & AnyOfSet) ? 1 : textLength(what);
    int32_t withLength = textLength(with);
    // First pass counts, so that the result is allocated once.
    int32_t found = 0;
    int64_t resultLength = length_;
    for (int32_t p = find(what, start, options); p >= 0 && found < maxCount;
         p = find(what, p + span, options)) {
        ++found;
        resultLength += withLength - span;
    }
    if (found == 0) {
        return 0;
    }
    String result;
    result.setLength(checkedLength(resultLength));
    char* out = result.data_;
    int32_t copied = 0;
    int32_t p = find(what, start, options);
    for (int32_t done = 0; done < found; ++done, p = find(what, copied, options)) {
        out = copyBytes(out, data_ + copied, p - copied);
        out = copyBytes(out, with, withLength);
        copied = p + span;
    }
    copyBytes(out, data_ + copied, length_ - copied);
    *this = static_cast<String&&>(result);
    return found;
}

// ---- trimming ------------------------------------------------------------

void String::trim() {
    trimEnd();
    trimStart();
}

void String::trimStart() { trimStartOf(blanks); }
void String::trimEnd() { trimEndOf(blanks); }

void String::trimStartOf(const char* set) {
    int32_t n = 0;
    while (n < length_ && inSet(data_[n], set)) {
        ++n;
    }
    erase(0, n);
}

void String::trimEndOf(const char* set) {
    int32_t n = length_;
    while (n > 0 && inSet(data_[n - 1], set)) {
        --n;
    }
    setLength(n);
}

bool String::removeTrailing(char c) {
    if (!endsWithChar(c)) {
        return false;
    }
    setLength(length_ - 1);
    return true;
}

int32_t String::removeAllTrailing(char c) {
    int32_t n = length_;
    while (n > 0 && data_[n - 1] == c) {
        --n;
    }
    int32_t removed = length_ - n;
    setLength(n);
    return removed;
}

bool String::removeLeading(char c) {
    if (!startsWithChar(c)) {
        return false;
    }
    erase(0, 1);
    return true;
}

bool String::unquote(char c) {
    if (length_ < 2 || data_[0] != c || data_[length_ - 1] != c) {
        return false;
    }
    memmove(data_, data_ + 1, (size_t)(length_ - 2));
    setLength(length_ - 2);
    return true;
}

void String::quote(char c) {
    insertChar(c, 0);
    appendChar(c);
}

// ---- lines ---------------------------------------------------------------

namespace {

bool isLineBreak(char c) { return c == '\r' || c == '\n'; }

// Length of the line ending at text[i] (a CR or LF): the pairs CR LF and LF CR
// count as one ending.
int32_t endingLength(const char* text, int32_t i, int32_t length) {
    return (i + 1 < length && isLineBreak(text[i + 1]) && text[i + 1] != text[i]) ? 2 : 1;
}

}  // namespace

String String::takeLine() {
    int32_t end = 0;
    while (end < length_ && !isLineBreak(data_[end])) {
        ++end;
    }
    String line = substring(0, end);
    erase(0, end < length_ ? end + endingLength(data_, end, length_) : end);
    return line;
}

int32_t String::normaliseLineEndings() {
    int32_t changes = 0;
    int32_t added = 0;
    for (int32_t i = 0; i < length_; ++i) {
        if (!isLineBreak(data_[i])) {
            continue;
        }
        int32_t ending = endingLength(data_, i, length_);
        if (ending == 1 || data_[i] == '\n') {
            ++changes;
            added += ending == 1 ? 1 : 0;
        }
        i += ending - 1;
    }
    if (changes == 0) {
        return 0;
    }
    String result;
    result.setLength(grownLength(length_, added));
    char* out = result.data_;
    for (int32_t i = 0; i < length_; ++i) {
        if (!isLineBreak(data_[i])) {
            *out++ = data_[i];
            continue;
        }
        i += endingLength(data_, i, length_) - 1;
        *out++ = '\r';
        *out++ = '\n';
    }
    *this = static_cast<String&&>(result);
    return changes;
}

void String::toUpper() {
    for (int32_t i = 0; i < length_; ++i) {
        data_[i] = upperAscii(data_[i]);
    }
}

void String::toLower() {
    for (int32_t i = 0; i < length_; ++i) {
        data_[i] = lowerAscii(data_[i]);
    }
}

// ---- formatting, numbers, hash --------------------------------------------

void String::formatList(const char* pattern, const FormatArg* args, int count) {
    String result;
    formatAppend(result, pattern, args, count);
    *this = static_cast<String&&>(result);
}

void String::appendFormatList(const char* pattern, const FormatArg* args, int count) {
    formatAppend(*this, pattern, args, count);
}

int32_t String::toInteger() const {
    int64_t value = leadingDecimal(data_, length_);
    return value > INT32_MAX ? INT32_MAX : (value < INT32_MIN ? INT32_MIN : (int32_t)value);
}

int64_t String::toInteger64() const { return leadingDecimal(data_, length_); }

uint32_t String::hash() const { return payloadChecksum(data_, (size_t)length_); }
