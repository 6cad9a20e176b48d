// String: the byte string (ANSI code page) that carries every path, message,
// registry name and file text of the stub.
//
// Representation: `data` (heap, zero-terminated when present, null for a string
// that never held text), `length` (signed 32-bit, no terminator), `capacity`.
// Growth: a new length n >= 1 reallocates to exactly n + 21 bytes when n does
// not fit (n >= capacity) or when n is more than 512 below the capacity; a
// length below 1 frees the buffer. Allocation failure ends the run through
// OutOfMemoryReport, except in tryResize, which reports it as false.
//
// Conventions: positions are 0-based; a count of String::all (0x7FFFFFFF) means
// "to the end" or "all"; searches return a position or -1; a null C-string
// argument counts as empty. Out-of-range positions and counts given to the
// editing operations are clamped (only `at` stops the run).
//
// A (text, count) pair copies exactly `count` bytes, zeros included, so that
// binary data can be held; count String::all takes the C string up to its
// terminator and a negative count takes nothing. Text arguments may point
// into the string being changed.
#pragma once
#include <stdint.h>
#include <stddef.h>

#include "core/format.h"

class String {
public:
    static constexpr int32_t all = 0x7FFFFFFF;

    // Option bits of find/findChar/replaceAll.
    enum : uint32_t {
        IgnoreCase = 0x1,       // ASCII letters only
        Wildcard = 0x4,         // "?" in the pattern matches any character
        SkipQuoted = 0x10,      // findChar: skip text between double quotes
        Backwards = 0x20,       // search backwards from `start`
        AnyOfSet = 0x4000,      // the pattern is a set; any one character matches
    };

    // The blank set used by every trim: blank, CR, LF and tab.
    static const char blanks[];

    constexpr String() : data_(nullptr), length_(0), capacity_(0) {}
    String(const char* text);
    String(const char* text, int32_t count);
    String(const String& other);
    String(String&& other);  // takes the buffer over
    ~String();

    String& operator=(const char* text);
    String& operator=(const String& other);
    String& operator=(String&& other);

    void assign(const char* text, int32_t count);
    void append(const char* text);
    void append(const char* text, int32_t count);
    void append(const String& other);
    void appendChar(char c);
    String& operator+=(const char* text) { append(text); return *this; }
    String& operator+=(const String& other) { append(other); return *this; }
    String& operator+=(char c) { appendChar(c); return *this; }

    void clear();  // frees the buffer

    // Sets the length, keeping the first bytes and zero-terminating; new bytes
    // are undefined. tryResize reports allocation failure as false instead of
    // ending the run (for large data that may not fit).
    void resize(int32_t newLength);
    bool tryResize(int32_t newLength);

    // Hands the buffer to the caller (free with free()); the string becomes empty.
    char* stealData();

    const char* text() const { return data_ ? data_ : ""; }  // never null
    char* buffer() { return data_; }                          // may be null
    int32_t length() const { return length_; }
    int32_t capacity() const { return capacity_; }
    bool isEmpty() const { return length_ < 1; }
    bool isBlank() const;

    char at(int32_t i) const;      // out of range: InternalFatal("Core", 7748)
    char charAt(int32_t i) const;  // out of range: 0
    char first() const { return length_ > 0 ? data_[0] : 0; }
    char last() const { return length_ > 0 ? data_[length_ - 1] : 0; }

    // Editing.
    void insert(int32_t position, const char* text, int32_t count = all);
    void insertChar(char c, int32_t position, int32_t count = 1);
    void erase(int32_t position, int32_t count = all);
    String substring(int32_t position, int32_t count = all) const;
    String extract(int32_t position, int32_t count = all);  // returns the piece and removes it
    void dropFirst(int32_t n);
    void dropLast(int32_t n);

    // Searching. An empty `what` or set finds nothing. Forwards, a match lies
    // wholly within the `count` characters from `start`. Backwards, a match
    // begins at or before `start` (String::all: the end) and at most `count`
    // characters before it. SkipQuoted scanning starts outside quotes at
    // `start`; a quote character itself can still be found.
    int32_t find(const char* what, int32_t start = 0, uint32_t options = 0, int32_t count = all) const;
    int32_t findChar(char c, int32_t start = 0, uint32_t options = 0) const;  // also Backwards
    int32_t findLastChar(char c, int32_t before = all, uint32_t options = 0) const;  // below `before`
    int32_t findFirstOf(const char* set, int32_t start = 0) const;
    int32_t findFirstNotOf(const char* set, int32_t start = 0) const;
    bool contains(const char* what, uint32_t options = 0) const { return find(what, 0, options) >= 0; }

    // Comparing. compare looks at most `count` characters, the terminator
    // included, as unsigned bytes; without case, ASCII letters compare as
    // their lower-case forms. A null `other` counts as empty.
    int compare(const char* other, bool caseSensitive = true, int32_t count = all) const;
    int compare(const String& other, bool caseSensitive = true, int32_t count = all) const {
        return compare(other.text(), caseSensitive, count);
    }
    bool equals(const String& other) const;
    bool equals(const char* other) const;
    bool equalsIgnoreCase(const char* other) const { return compare(other, false) == 0; }
    bool startsWith(const char* text) const;
    bool startsWithChar(char c) const { return length_ > 0 && data_[0] == c; }
    bool endsWithChar(char c) const { return length_ > 0 && data_[length_ - 1] == c; }

    // Replacing; both return how many were removed or replaced. replaceAll
    // takes the options of find except Backwards (it always works left to
    // right) and never searches inside a replacement it has just made.
    int32_t removeAll(const char* what, int32_t maxCount = all, bool caseSensitive = true);
    int32_t replaceAll(const char* what, const char* with, uint32_t options = 0,
                       int32_t start = 0, int32_t maxCount = all);

    // Trimming over the blank set, or over a given set.
    void trim();
    void trimStart();
    void trimEnd();
    void trimStartOf(const char* set);
    void trimEndOf(const char* set);
    bool removeTrailing(char c);     // one
    int32_t removeAllTrailing(char c);
    bool removeLeading(char c);      // one
    bool unquote(char c = '"');      // only when at least 2 long and both ends are c
    void quote(char c = '"');

    // Removes the first line and returns it without its ending (LF, CR, CR LF
    // or LF CR); the last line may have no ending.
    String takeLine();
    // Lone LF, lone CR and LF CR become CR LF; returns the number of changes.
    int32_t normaliseLineEndings();

    void toUpper();
    void toLower();

    // printf-style formatting with typed arguments (see core/format.h): a
    // missing or mismatched argument never reads outside what was passed.
    // The pattern and the arguments may be this string's own text: the result
    // is built aside and only then replaces or extends the string.
    template <class... Args>
    void format(const char* pattern, const Args&... args) {
        const FormatArg list[] = {FormatArg(args)..., FormatArg()};
        formatList(pattern, list, sizeof...(Args));
    }
    template <class... Args>
    void appendFormat(const char* pattern, const Args&... args) {
        const FormatArg list[] = {FormatArg(args)..., FormatArg()};
        appendFormatList(pattern, list, sizeof...(Args));
    }
    void formatList(const char* pattern, const FormatArg* args, int count);
    void appendFormatList(const char* pattern, const FormatArg* args, int count);

    // Decimal from the first digit, "+", "-" or "." on, with every "," from
    // there removed; stops at the first other character; 0 when none (and
    // when the text begins with "."). Values beyond the result type saturate
    // at its minimum or maximum.
    int32_t toInteger() const;
    int64_t toInteger64() const;

    // The payload checksum of the bytes (see core/checksum.h).
    uint32_t hash() const;

private:
    void setLength(int32_t n);  // the growth rule; keeps the bytes that fit
    bool applyLength(int32_t n, bool stopOnFailure);
    bool holds(const char* p) const;  // p points into this string's buffer
    char* data_;
    int32_t length_;
    int32_t capacity_;
};

bool operator==(const String& a, const String& b);
inline bool operator!=(const String& a, const String& b) { return !(a == b); }

// Formatted text in one call: String s = formatText("%d", 5);
template <class... Args>
String formatText(const char* pattern, const Args&... args) {
    String s;
    s.appendFormat(pattern, args...);
    return s;
}
