#include "core/variant.h"

#include "core/timestamp_format.h"
#include "core/value_text.h"

void Variant::setNone() {
    kind_ = KindNone;
    text_.clear();
}

void Variant::setInteger(int64_t value) {
    setNone();
    kind_ = KindInteger;
    integer_ = value;
}

void Variant::setFloating(double value) {
    setNone();
    kind_ = KindFloating;
    floating_ = value;
}

void Variant::setText(const String& value) {
    text_ = value;
    kind_ = KindText;
}

void Variant::setText(const char* text, int32_t count) {
    text_.assign(text, count);
    kind_ = KindText;
}

void Variant::setTimestamp(const Timestamp& value, TimestampKind kind) {
    setNone();
    kind_ = KindTimestamp;
    timestampKind_ = kind;
    timestamp_ = value;
}

String& Variant::makeText() {
    text_.clear();
    kind_ = KindText;
    return text_;
}

// Whether the parts of the sub-kind hold anything.
bool Variant::timestampIsSet() const {
    bool hasDate = !timestamp_.date.isNull();
    bool hasTime = timestamp_.time.isSet();
    switch (timestampKind_) {
        case DateOnly: return hasDate;
        case TimeOnly: return hasTime;
        default: return hasDate || hasTime;
    }
}

String Variant::toText() const {
    switch (kind_) {
        case KindInteger: return IntegerText(integer_);
        case KindFloating: return NumberText(floating_, -1);
        case KindText: return text_;
        case KindTimestamp: {
            bool hasDate = timestampKind_ != TimeOnly && !timestamp_.date.isNull();
            bool hasTime = timestampKind_ != DateOnly && timestamp_.time.isSet();
            const char* pattern = hasDate ? (hasTime ? "m/d/yy HH:ii:ss" : "m/d/yy") : "HH:ii:ss";
            return hasDate || hasTime ? FormatTimestamp(timestamp_, pattern) : String();
        }
        default: return String();
    }
}

int64_t Variant::toInteger() const {
    switch (kind_) {
        case KindInteger: return integer_;
        case KindFloating:
            // The conversion itself is undefined outside the range.
            if (!(floating_ == floating_)) return 0;
            if (floating_ >= 9223372036854775807.0) return INT64_MAX;
            if (floating_ <= -9223372036854775808.0) return INT64_MIN;
            return int64_t(floating_);
        case KindText: return leadingInteger(text_.text(), text_.length());
        case KindTimestamp: return timestamp_.date.dayNumber;
        default: return 0;
    }
}

static bool textMeansFalse(const String& text) {
    String trimmed(text);
    trimmed.trim();
    if (trimmed.isEmpty() || trimmed.equals("0")) return true;
    static const char* const falseWords[] = {"n", "no", "f", "false"};
    for (const char* word : falseWords) {
        if (trimmed.equalsIgnoreCase(word)) return true;
    }
    return false;
}

bool Variant::toBool() const {
    switch (kind_) {
        case KindInteger: return integer_ != 0;
        case KindFloating: return floating_ != 0.0;
        case KindText: return !textMeansFalse(text_);
        case KindTimestamp: return timestampIsSet();
        default: return false;
    }
}

bool Variant::isEmpty() const {
    switch (kind_) {
        case KindInteger: return integer_ == 0;
        case KindFloating: return floating_ == 0.0;
        case KindText: return text_.isEmpty();
        case KindTimestamp: return !timestampIsSet();
        default: return true;
    }
}

Timestamp Variant::toTimestamp(int32_t currentYear) const {
    if (kind_ == KindTimestamp) return timestamp_;
    if (kind_ == KindText) return ParseTimestamp(text_, currentYear);
    return Timestamp();
}
