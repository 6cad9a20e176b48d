// Random texts through the date parser and random patterns through the
// formatter: no crash, no read outside the text, no undefined arithmetic,
// and whatever the parser accepts must be a real date and time.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "core/timestamp_format.h"
#include "core/variant.h"

static void require(bool condition) {
    if (!condition) abort();
}

static int32_t readInt32(const uint8_t* data) {
    uint32_t v;
    memcpy(&v, data, sizeof v);
    return int32_t(v);
}

static void checkParsed(const Timestamp& t) {
    if (t.date.month != 0) {
        require(!t.date.isNull());
    } else {
        require(t.date.dayNumber == 0 && t.date.day == 0 && t.date.weekday == 0);
    }
    if (t.time.hour != -1) {
        require(t.time.isSet());
    } else {
        require(t.time.minute == -1 && t.time.second == -1);
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Layout: 4-byte current year, 24 bytes of raw Timestamp fields, one split
    // byte, then the text; the pattern is a zero-terminated copy of part of it.
    if (size < 29 || size > 4096) return 0;
    int32_t currentYear = readInt32(data);
    Timestamp raw;
    raw.date.set(readInt32(data + 4), readInt32(data + 8), readInt32(data + 12));
    raw.time.hour = readInt32(data + 16);
    raw.time.minute = readInt32(data + 20);
    raw.time.second = readInt32(data + 24);
    size_t split = data[28];
    const char* rest = reinterpret_cast<const char*>(data + 29);
    int32_t restLength = int32_t(size - 29);

    String text(rest, restLength);
    Timestamp parsed = ParseTimestamp(text, currentYear);
    checkParsed(parsed);
    Timestamp again = ParseTimestamp(text, 2026);
    checkParsed(again);

    String pattern(rest, split < size_t(restLength) ? int32_t(split) : restLength);
    FormatTimestamp(parsed, pattern.text());
    FormatTimestamp(raw, pattern.text());
    FormatTimestamp(Timestamp(), pattern.text());

    // What the stored formats write, the parser reads back.
    if (!again.date.isNull() && again.time.isSet() && again.date.year >= 1000 && again.date.year <= 9999) {
        Timestamp back = ParseTimestamp(FormatTimestamp(again, "m/d/yy HH:ii:ss"), 2026);
        require(back.date.dayNumber == again.date.dayNumber);
        require(back.time.hour == again.time.hour && back.time.minute == again.time.minute &&
                back.time.second == again.time.second);
    }

    Variant value;
    value.setText(text);
    value.toBool();
    value.toInteger();
    value.setTimestamp(raw, Variant::TimestampKind(split % 3));
    value.toText();
    value.toInteger();
    value.isEmpty();
    return 0;
}
