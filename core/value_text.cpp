#include "core/value_text.h"

static const char* const monthNames[12] = {
    "January", "February", "March", "April", "May", "June",
    "July", "August", "September", "October", "November", "December",
};

static const char* const weekdayNames[7] = {
    "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday",
};

static const char* const smallNumberWords[20] = {
    "Zero", "One", "Two", "Three", "Four", "Five", "Six", "Seven", "Eight", "Nine",
    "Ten", "Eleven", "Twelve", "Thirteen", "Fourteen", "Fifteen", "Sixteen", "Seventeen", "Eighteen", "Nineteen",
};

// Index = tens digit; 0 and 1 are never used.
static const char* const tensWords[10] = {
    "", "", "Twenty", "Thirty", "Forty", "Fifty", "Sixty", "Seventy", "Eighty", "Ninety",
};

static const char* const firstOrdinals[10] = {
    "", "First", "Second", "Third", "Fourth", "Fifth", "Sixth", "Seventh", "Eighth", "Ninth",
};

String SizeText(int64_t bytes) {
    if (bytes >= 0 && bytes < 0x400) return formatText("%d bytes", bytes);
    // Multiplying by exact binary fractions keeps the texts identical on every compiler.
    if (bytes >= 0 && bytes < 0x100000) return formatText("%.2f KB", double(bytes) * (1.0 / 1024));
    if (bytes >= 0 && bytes < 0x40000000) return formatText("%.2f MB", double(bytes) * (1.0 / 1048576));
    if (bytes < (int64_t(1) << 40)) return formatText("%.2f GB", double(bytes) * (1.0 / 1073741824));
    return formatText("%.2f TB", double(bytes) * (1.0 / 1099511627776.0));
}

String NumberText(double value, int32_t decimals) {
    if (decimals >= 0) return formatText("%.*f", decimals, value);
    String text = formatText("%.6f", value);
    if (text.findChar('.') >= 0) {  // "inf" and "nan" have nothing to trim
        text.removeAllTrailing('0');
        text.removeTrailing('.');
    }
    return text;
}

String IntegerText(int64_t value) { return formatText("%d", value); }

// Words for a magnitude, appended to `out`; the recursion is at most a few
// levels deep (one per "Million" group).
static void appendNumberWords(String& out, uint64_t value) {
    struct Scale {
        uint64_t size;
        const char* name;
    };
    static const Scale scales[3] = {{1000000, " Million"}, {1000, " Thousand"}, {100, " Hundred"}};
    for (const Scale& scale : scales) {
        if (value >= scale.size) {
            appendNumberWords(out, value / scale.size);
            out.append(scale.name);
            if (value % scale.size != 0) {
                out.appendChar(' ');
                appendNumberWords(out, value % scale.size);
            }
            return;
        }
    }
    if (value >= 20) {
        out.append(tensWords[value / 10]);
        if (value % 10 != 0) {
            out.appendChar(' ');
            out.append(smallNumberWords[value % 10]);
        }
        return;
    }
    out.append(smallNumberWords[value]);
}

String NumberWords(int64_t value, int32_t style) {
    String words;
    if (style == NumberWordsYear && value >= 100 && value < 10000 && value % 1000 > 9) {
        appendNumberWords(words, uint64_t(value / 100));
        words.appendChar(' ');
        if (value % 100 < 10) words.append("Oh ");
        appendNumberWords(words, uint64_t(value % 100));
        return words;
    }
    uint64_t magnitude = uint64_t(value);
    if (value < 0) {
        words.append("Negative ");
        magnitude = 0 - magnitude;  // also right for the most negative value
    }
    appendNumberWords(words, magnitude);
    return words;
}

String OrdinalSuffixText(int32_t n) {
    uint32_t magnitude = n < 0 ? 0u - uint32_t(n) : uint32_t(n);
    const char* suffix = "th";
    if (n < 4 || n > 20) {
        switch (magnitude % 10) {
            case 1: suffix = "st"; break;
            case 2: suffix = "nd"; break;
            case 3: suffix = "rd"; break;
            default: break;
        }
    }
    return formatText("%d%s", n, suffix);
}

String OrdinalWords(int32_t n) {
    if (n < 1 || n > 31) return String();
    if (n < 10) return String(firstOrdinals[n]);
    if (n == 12) return String("Twelfth");
    if (n < 20) return formatText("%sth", smallNumberWords[n]);
    if (n == 20) return String("Twentieth");
    if (n == 30) return String("Thirtieth");
    return formatText("%s %s", tensWords[n / 10], firstOrdinals[n % 10]);
}

const char* monthNameText(int32_t month) { return month >= 1 && month <= 12 ? monthNames[month - 1] : nullptr; }

const char* weekdayNameText(int32_t weekday) {
    return weekday >= 1 && weekday <= 7 ? weekdayNames[weekday - 1] : nullptr;
}

String MonthName(int32_t month) { return String(monthNameText(month)); }

String WeekdayName(int32_t weekday) { return String(weekdayNameText(weekday)); }

int64_t leadingInteger(const char* text, int32_t length) {
    if (!text) return 0;
    int32_t i = 0;
    auto more = [&]() { return i < length && text[i] != 0; };
    while (more() && (text[i] == ' ' || text[i] == '\t')) i++;
    bool negative = false;
    if (more() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const uint64_t limit = negative ? uint64_t(INT64_MAX) + 1 : uint64_t(INT64_MAX);
    uint64_t magnitude = 0;
    for (; more() && text[i] >= '0' && text[i] <= '9'; i++) {
        uint64_t digit = uint64_t(text[i] - '0');
        magnitude = magnitude > (limit - digit) / 10 ? limit : magnitude * 10 + digit;
    }
    if (!negative) return int64_t(magnitude);
    return magnitude > uint64_t(INT64_MAX) ? INT64_MIN : -int64_t(magnitude);
}
