// Variant: one registry value as the installer reads and writes it, with the
// conversions between its kinds.
//
//   to text:    integer "-12"; floating NumberText(value, -1); date/time by
//               sub-kind ("m/d/yy", "m/d/yy HH:ii:ss", "HH:ii:ss", each part
//               only when set); none "".
//   to integer: floating truncated toward zero (saturating, NaN 0); text the
//               integer it begins with (leadingInteger); date/time its
//               dayNumber; none 0.
//   to bool:    number != 0; text after trimming blanks, CR, LF and tabs is
//               false when empty, "0", "n", "no", "f" or "false" (any case);
//               date/time when not null; none false.
//   isEmpty:    integer 0, floating 0.0, empty text, null date/time, none.
#pragma once
#include <stdint.h>

#include "core/date.h"
#include "core/string.h"

class Variant {
public:
    enum Kind : uint8_t { KindNone, KindInteger, KindFloating, KindText, KindTimestamp };
    // Which parts of a KindTimestamp value count.
    enum TimestampKind : uint8_t { DateOnly, DateAndTime, TimeOnly };

    constexpr Variant()
        : kind_(KindNone), timestampKind_(DateAndTime), integer_(0), floating_(0), text_(), timestamp_() {}

    // Each setter replaces the value and its kind (a text held before is freed).
    void setNone();
    void setInteger(int64_t value);
    void setFloating(double value);
    void setText(const String& value);
    void setText(const char* text, int32_t count);  // exactly `count` bytes
    void setTimestamp(const Timestamp& value, TimestampKind kind);
    // Makes the value an empty text and hands out its String to be filled in
    // place (the registry reads large values straight into it).
    String& makeText();

    Kind kind() const { return kind_; }
    TimestampKind timestampKind() const { return timestampKind_; }
    // The stored value of each kind; meaningful only for that kind.
    int64_t integer() const { return integer_; }
    double floating() const { return floating_; }
    const String& text() const { return text_; }
    const Timestamp& timestamp() const { return timestamp_; }

    String toText() const;
    int64_t toInteger() const;
    bool toBool() const;
    bool isEmpty() const;
    // A date/time as it stands; a text read by ParseTimestamp (years of two
    // digits placed near `currentYear`); any other kind gives an unset value.
    Timestamp toTimestamp(int32_t currentYear) const;

private:
    bool timestampIsSet() const;

    Kind kind_;
    TimestampKind timestampKind_;
    int64_t integer_;
    double floating_;
    String text_;
    Timestamp timestamp_;
};
