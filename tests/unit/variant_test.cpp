#include <gtest/gtest.h>

#include <math.h>

#include <string>

#include "core/variant.h"

namespace {

std::string str(const String& s) { return std::string(s.text(), size_t(s.length())); }

Variant integer(int64_t v) {
    Variant x;
    x.setInteger(v);
    return x;
}
Variant floating(double v) {
    Variant x;
    x.setFloating(v);
    return x;
}
Variant text(const char* v) {
    Variant x;
    x.setText(String(v));
    return x;
}
Timestamp stamp(int32_t month, int32_t day, int32_t year, int32_t hour, int32_t minute, int32_t second) {
    Timestamp t;
    t.date.set(month, day, year);
    t.time.hour = hour;
    t.time.minute = minute;
    t.time.second = second;
    return t;
}
Variant timestamp(const Timestamp& t, Variant::TimestampKind kind) {
    Variant x;
    x.setTimestamp(t, kind);
    return x;
}

TEST(VariantConversion, ToText) {
    const Timestamp both = stamp(12, 4, 2004, 16, 5, 9);
    const Timestamp dateOnly = stamp(12, 4, 2004, -1, -1, -1);
    const Timestamp timeOnly = stamp(0, 0, 0, 7, 8, 9);
    const Timestamp none;
    struct Case {
        Variant value;
        const char* text;
    } cases[] = {
        {Variant(), ""},
        {integer(-42), "-42"},
        {integer(4294967296), "4294967296"},
        {floating(2.5), "2.5"},
        {floating(100.0), "100"},
        {text("as it is "), "as it is "},
        {timestamp(both, Variant::DateOnly), "12/4/2004"},
        {timestamp(both, Variant::DateAndTime), "12/4/2004 16:05:09"},
        {timestamp(both, Variant::TimeOnly), "16:05:09"},
        {timestamp(dateOnly, Variant::DateAndTime), "12/4/2004"},
        {timestamp(timeOnly, Variant::DateAndTime), "07:08:09"},
        {timestamp(timeOnly, Variant::DateOnly), ""},
        {timestamp(dateOnly, Variant::TimeOnly), ""},
        {timestamp(none, Variant::DateAndTime), ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(str(c.value.toText()), c.text) << c.text;
    }
}

TEST(VariantConversion, ToInteger) {
    struct Case {
        Variant value;
        int64_t integer;
    } cases[] = {
        {Variant(), 0},
        {integer(-7), -7},
        {floating(2.9), 2},
        {floating(-2.9), -2},           // toward zero
        {floating(1e300), INT64_MAX},   // saturates instead of undefined behaviour
        {floating(-1e300), INT64_MIN},
        {floating(NAN), 0},
        {text("  123 apples"), 123},
        {text("-5"), -5},
        {text("apples 123"), 0},        // only a number at the start counts
        {text(""), 0},
        {timestamp(stamp(12, 4, 2004, 1, 2, 3), Variant::DateAndTime), 2453343},  // the day number
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.value.toInteger(), c.integer) << str(c.value.toText());
    }
}

TEST(VariantConversion, ToBool) {
    struct Case {
        const char* text;
        bool value;
    } texts[] = {
        {"", false},       {"  ", false},     {"0", false},   {" 0\r\n", false}, {"n", false},
        {"No", false},     {"F", false},      {"FALSE", false}, {"\tfalse ", false},
        {"1", true},       {"00", true},      {"yes", true},  {"nope", true},    {"x", true},
        {"-1", true},      {"0.0", true},
    };
    for (const auto& c : texts) {
        EXPECT_EQ(text(c.text).toBool(), c.value) << '"' << c.text << '"';
    }
    EXPECT_FALSE(Variant().toBool());
    EXPECT_FALSE(integer(0).toBool());
    EXPECT_TRUE(integer(-1).toBool());
    EXPECT_FALSE(floating(0.0).toBool());
    EXPECT_TRUE(floating(0.001).toBool());
    EXPECT_TRUE(timestamp(stamp(12, 4, 2004, -1, -1, -1), Variant::DateOnly).toBool());
    EXPECT_FALSE(timestamp(stamp(12, 4, 2004, -1, -1, -1), Variant::TimeOnly).toBool());
    EXPECT_FALSE(timestamp(Timestamp(), Variant::DateAndTime).toBool());
}

TEST(VariantConversion, IsEmpty) {
    EXPECT_TRUE(Variant().isEmpty());
    EXPECT_TRUE(integer(0).isEmpty());
    EXPECT_FALSE(integer(3).isEmpty());
    EXPECT_TRUE(floating(0.0).isEmpty());
    EXPECT_FALSE(floating(0.5).isEmpty());
    EXPECT_TRUE(text("").isEmpty());
    EXPECT_FALSE(text(" ").isEmpty());  // a blank text is not empty
    EXPECT_TRUE(timestamp(Timestamp(), Variant::DateAndTime).isEmpty());
    EXPECT_TRUE(timestamp(stamp(0, 0, 0, 7, 8, 9), Variant::DateOnly).isEmpty());
    EXPECT_FALSE(timestamp(stamp(0, 0, 0, 7, 8, 9), Variant::TimeOnly).isEmpty());
}

TEST(VariantValue, SettersReplaceTheKind) {
    Variant v;
    EXPECT_EQ(v.kind(), Variant::KindNone);
    v.setText("abc\0def", 7);  // binary registry data keeps its zeros
    EXPECT_EQ(v.kind(), Variant::KindText);
    EXPECT_EQ(v.text().length(), 7);
    v.setInteger(5);
    EXPECT_EQ(v.kind(), Variant::KindInteger);
    EXPECT_EQ(str(v.toText()), "5");
    String& buffer = v.makeText();
    buffer.append("filled in place");
    EXPECT_EQ(v.kind(), Variant::KindText);
    EXPECT_EQ(str(v.toText()), "filled in place");
    Variant copy = v;
    v.setNone();
    EXPECT_EQ(str(copy.text()), "filled in place");
    EXPECT_EQ(v.kind(), Variant::KindNone);
}

TEST(VariantValue, TextToTimestampParses) {
    Timestamp t = text("4-Dec-04 4:10pm").toTimestamp(2026);
    EXPECT_EQ(t.date.year, 2004);
    EXPECT_EQ(t.date.month, 12);
    EXPECT_EQ(t.time.hour, 16);
    EXPECT_TRUE(integer(5).toTimestamp(2026).date.isNull());
    Timestamp kept = timestamp(stamp(1, 2, 2003, 4, 5, 6), Variant::DateAndTime).toTimestamp(2026);
    EXPECT_EQ(kept.date.day, 2);
    EXPECT_EQ(kept.time.second, 6);
}

}  // namespace
