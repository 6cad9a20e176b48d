#include "core/timestamp_format.h"

#include "core/value_text.h"

const char DefaultTimestampPattern[] = "m/d/y h:ii:ssap";

// ---- formatting ------------------------------------------------------------

static void appendNumber(String& out, int32_t value, bool twoDigits) {
    out.appendFormat(twoDigits ? "%02d" : "%d", value);
}

// The first three letters of a name, or nothing for an index out of range.
static void appendShortName(String& out, const char* name) {
    if (name) out.append(name, 3);
}

static void appendName(String& out, const char* name) {
    if (name) out.append(name);
}

static void appendYearWords(String& out, int32_t year, bool full) {
    if (full) {
        out.append(NumberWords(year, NumberWordsYear));
        return;
    }
    int32_t shortYear = year % 100;
    if (shortYear < 10) out.append("Oh ");
    out.append(NumberWords(shortYear, NumberWordsPlain));
}

// Appends the field of `letter` (single or doubled); false when the letter
// is not a field letter.
static bool appendField(String& out, const Timestamp& value, char letter, bool doubled) {
    const Date& date = value.date;
    const Time& time = value.time;
    switch (letter) {
        case 'd': appendNumber(out, date.day, doubled); return true;
        case 'D': out.append(doubled ? OrdinalWords(date.day) : OrdinalSuffixText(date.day)); return true;
        case 'm': appendNumber(out, date.month, doubled); return true;
        case 'w': appendNumber(out, date.weekday, doubled); return true;
        case 'M':
            (doubled ? appendName : appendShortName)(out, monthNameText(date.month));
            return true;
        case 'W':
            (doubled ? appendName : appendShortName)(out, weekdayNameText(date.weekday));
            return true;
        // The year is the one field whose single letter is the short form's.
        case 'y': out.appendFormat(doubled ? "%04d" : "%02d", doubled ? date.year : date.year % 100); return true;
        case 'Y': appendYearWords(out, date.year, doubled); return true;
        case 'h': appendNumber(out, time.hour12(), doubled); return true;
        case 'H': appendNumber(out, time.hour, doubled); return true;
        case 'i': appendNumber(out, time.minute, doubled); return true;
        case 's': appendNumber(out, time.second, doubled); return true;
        default: return false;
    }
}

String FormatTimestamp(const Timestamp& value, const char* pattern) {
    if (!pattern || !*pattern) pattern = DefaultTimestampPattern;
    String out;
    for (const char* p = pattern; *p;) {
        char c = *p;
        if ((c == 'a' || c == 'A') && (p[1] == 'p' || p[1] == 'P')) {
            bool am = value.time.isAm();
            out.append(c == 'a' ? (am ? "a" : "p") : (am ? "a.m." : "p.m."));
            p += 2;
            continue;
        }
        bool doubled = p[1] == c;
        if (appendField(out, value, c, doubled)) {
            p += doubled ? 2 : 1;
            continue;
        }
        out.appendChar(c);
        p++;
    }
    return out;
}

// ---- parsing ---------------------------------------------------------------

namespace {

// A bounded cursor over the text; reading past the end yields 0.
struct Scanner {
    const char* text;
    int32_t length;
    int32_t at;

    char peek(int32_t ahead = 0) const {
        int32_t i = at + ahead;
        return i >= 0 && i < length ? text[i] : 0;
    }
    void skipBlanks() {
        while (peek() == ' ' || peek() == '\t') at++;
    }
    bool skipChar(char c) {
        if (peek() != c) return false;
        at++;
        return true;
    }
    bool skipSeparator() { return skipChar('/') || skipChar('.') || skipChar('-'); }
};

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char lower(char c) { return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c; }

// Blanks, then decimal digits (no sign: "-" separates dates); 0 when there
// are none. Saturates, so any digit run gives a valid 32-bit value.
int32_t readNumber(Scanner& s) {
    s.skipBlanks();
    int32_t value = 0;
    for (; isDigit(s.peek()); s.at++) {
        int32_t digit = s.peek() - '0';
        value = value > (INT32_MAX - digit) / 10 ? INT32_MAX : value * 10 + digit;
    }
    return value;
}

// True (and the cursor moved) when the text goes on with the first `count`
// characters of `name`, letter case ignored.
bool skipPrefix(Scanner& s, const char* name, int32_t count) {
    for (int32_t i = 0; i < count; i++) {
        if (!name[i] || lower(s.peek(i)) != lower(name[i])) return false;
    }
    s.at += count;
    return true;
}

// The 1-based index of the first name that stands at the cursor in full or
// by its first three letters; 0 (cursor unmoved) when none does.
int32_t skipName(Scanner& s, const char* (*nameOf)(int32_t), int32_t count) {
    for (int32_t index = 1; index <= count; index++) {
        const char* name = nameOf(index);
        int32_t full = 0;
        while (name[full]) full++;
        if (skipPrefix(s, name, full) || skipPrefix(s, name, 3)) return index;
    }
    return 0;
}

struct DateFields {
    int32_t month = 0;
    int32_t day = 0;
    int32_t year = 0;
};

// "December 4th, 2004", "Dec 4 2004", "December 2004" (the 1st).
bool readMonthFirst(Scanner& s, DateFields& f) {
    f.month = skipName(s, monthNameText, 12);
    if (f.month == 0) return false;
    f.day = readNumber(s);
    if (f.day == 0) return false;
    char a = s.peek(), b = s.peek(1);
    if ((a == 't' && b == 'h') || (a == 's' && b == 't') || (a == 'r' && b == 'd')) s.at += 2;
    s.skipChar(',');
    s.skipBlanks();
    int32_t yearStart = s.at;
    f.year = readNumber(s);
    if (f.year == 0 || s.peek() == ':') {
        // No year: what was read as the day is the year. A number before ":"
        // was an hour, which the time reader takes again.
        s.at = yearStart;
        f.year = f.day;
        f.day = 1;
    }
    return true;
}

// "12/4/2004", "2004-12-4", "12/2004", "4-Dec-04", "4 Dec 2004".
bool readNumberFirst(Scanner& s, DateFields& f) {
    int32_t first = readNumber(s);
    if (first == 0) return false;
    s.skipBlanks();
    bool separated = s.skipSeparator();
    s.skipBlanks();
    if (isLetter(s.peek())) {
        f.day = first;
        f.month = skipName(s, monthNameText, 12);
        if (f.month == 0) return false;
        if (!s.skipSeparator()) s.skipBlanks();
        f.year = readNumber(s);
        return true;
    }
    if (!separated) return false;
    int32_t second = readNumber(s);
    if (second == 0) return false;
    s.skipBlanks();
    if (!s.skipSeparator()) {
        f.month = first;
        f.year = second;
        f.day = 1;
        return true;
    }
    int32_t third = readNumber(s);
    if (first > 1000 && third <= 31) {
        f.year = first;
        f.month = second;
        f.day = third;
    } else {
        f.month = first;
        f.day = second;
        f.year = third;
    }
    return true;
}

// Of year + the current century and that minus or plus 100, the one nearest
// to the current year; ties go to the later candidate.
int32_t yearNear(int32_t year, int32_t currentYear) {
    int64_t current = currentYear;
    int64_t middle = year + (current - current % 100);
    int64_t lower = middle - 100, upper = middle + 100;
    auto distance = [current](int64_t y) { return y > current ? y - current : current - y; };
    int64_t chosen = middle;
    if (distance(lower) < distance(middle)) {
        chosen = lower;
    } else if (distance(upper) <= distance(middle)) {
        chosen = upper;
    }
    if (chosen > INT32_MAX) return INT32_MAX;
    return chosen < INT32_MIN ? INT32_MIN : int32_t(chosen);
}

// Returns true when the text held a date (valid or not), leaving the cursor
// after it.
bool readDate(Scanner& s, Date& date, int32_t currentYear) {
    s.skipBlanks();
    if (skipName(s, weekdayNameText, 7)) {
        s.skipChar(',');
        s.skipBlanks();
    }
    DateFields f;
    bool found = false;
    if (isLetter(s.peek())) {
        found = readMonthFirst(s, f);
    } else if (isDigit(s.peek())) {
        found = readNumberFirst(s, f);
    }
    if (!found) return false;
    if (f.year <= 100) f.year = yearNear(f.year, currentYear);
    date.set(f.month, f.day, f.year);
    if (date.isNull()) date = Date();
    return true;
}

// "4:10", "4:10:44", "4:10:44pm", "16:05"; "p" adds 12 to an hour below 12.
void readTime(Scanner& s, Time& time) {
    s.skipBlanks();
    if (!isDigit(s.peek())) return;
    Time read;
    read.hour = readNumber(s);
    if (!s.skipChar(':')) return;
    read.minute = readNumber(s);
    s.skipBlanks();
    read.second = 0;
    if (s.skipChar(':')) {
        read.second = readNumber(s);
        s.skipBlanks();
    }
    if ((s.peek() == 'p' || s.peek() == 'P') && read.hour < 12) read.hour += 12;
    if (read.isSet()) time = read;
}

}  // namespace

Timestamp ParseTimestamp(const String& text, int32_t currentYear) {
    Timestamp result;
    Scanner s = {text.text(), text.length(), 0};
    if (readDate(s, result.date, currentYear)) {
        s.skipChar(',');
    } else {
        s.at = 0;
    }
    readTime(s, result.time);
    return result;
}
