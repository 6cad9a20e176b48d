#include "core/string.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

std::string bytesOf(const String& s) { return std::string(s.text(), (size_t)s.length()); }

// ---- storage -------------------------------------------------------------

TEST(StringGrowth, AppendingOneCharReallocatesEvery21Characters) {
    String s;
    EXPECT_EQ(0, s.capacity());
    std::vector<int32_t> grewAt;
    int32_t capacity = 0;
    for (int i = 1; i <= 100; ++i) {
        s.appendChar('x');
        if (s.capacity() != capacity) {
            grewAt.push_back(s.length());
            capacity = s.capacity();
            EXPECT_EQ(s.length() + 21, capacity);
        }
    }
    EXPECT_EQ((std::vector<int32_t>{1, 22, 43, 64, 85}), grewAt);
    EXPECT_EQ(100, s.length());
    EXPECT_EQ(0, s.text()[100]);
}

TEST(StringGrowth, ShrinksOnlyWhenMoreThan512BytesStandFree) {
    struct Case {
        int32_t from, to, capacity;
    } cases[] = {
        {1000, 600, 1021},  // 421 free: kept
        {1000, 509, 1021},  // exactly 512 free: kept
        {1000, 508, 529},   // 513 free: shrinks to n + 21
        {1000, 1020, 1021}, // still fits
        {1000, 1021, 1042}, // n == capacity: grows
        {1000, 1, 22},
    };
    for (const Case& c : cases) {
        String s;
        s.resize(c.from);
        ASSERT_EQ(c.from + 21, s.capacity());
        s.resize(c.to);
        EXPECT_EQ(c.capacity, s.capacity()) << c.from << " -> " << c.to;
        EXPECT_EQ(c.to, s.length());
        EXPECT_EQ(0, s.text()[c.to]);
    }
}

TEST(StringGrowth, LengthBelowOneFreesTheBuffer) {
    for (int32_t n : {0, -1, -100}) {
        String s("abc");
        s.resize(n);
        EXPECT_EQ(nullptr, s.buffer());
        EXPECT_EQ(0, s.capacity());
        EXPECT_EQ(0, s.length());
        EXPECT_STREQ("", s.text());
    }
    String empty("");
    EXPECT_EQ(nullptr, empty.buffer());
}

TEST(StringGrowth, TryResizeReportsFailureAndKeepsTheText) {
    String s("keep");
    EXPECT_FALSE(s.tryResize(String::all));
    EXPECT_STREQ("keep", s.text());
    EXPECT_EQ(4, s.length());
    EXPECT_TRUE(s.tryResize(2));
    EXPECT_STREQ("ke", s.text());
}

TEST(StringGrowth, ResizeBeyondAnyBufferStopsTheRun) {
    EXPECT_EXIT(
        {
            String s;
            s.resize(String::all);
        },
        ::testing::ExitedWithCode(1), "Out Of Memory");
}

TEST(StringStorage, CountedTextKeepsZeroBytesAndAllMeansToTerminator) {
    const char bytes[] = {'a', 0, 'b', 'c'};
    String s(bytes, 4);
    EXPECT_EQ(std::string(bytes, 4), bytesOf(s));
    EXPECT_EQ(2, String("ab\0cd", String::all).length());
    EXPECT_TRUE(String("abc", -3).isEmpty());
    EXPECT_TRUE(String(nullptr, 5).isEmpty());
    EXPECT_TRUE(String(nullptr).isEmpty());
    s.append(nullptr);
    EXPECT_EQ(4, s.length());
}

TEST(StringStorage, TextArgumentsMayPointIntoTheSameString) {
    String s("0123456789");
    s = s.text() + 3;
    EXPECT_STREQ("3456789", s.text());

    s.append(s);
    EXPECT_STREQ("34567893456789", s.text());

    String t("abc");
    t.insert(1, t.text(), 2);
    EXPECT_STREQ("aabbc", t.text());

    // Big enough that the assignment shrinks the buffer after moving the text.
    String big;
    big.resize(2000);
    memset(big.buffer(), 'q', 2000);
    big.buffer()[1990] = 'Z';
    big.assign(big.text() + 1990, 10);
    EXPECT_EQ("Zqqqqqqqqq", bytesOf(big));
    EXPECT_EQ(31, big.capacity());
}

TEST(StringStorage, CopyMoveAndSteal) {
    String a("hello");
    String b(a);
    EXPECT_TRUE(a == b);
    EXPECT_NE(a.buffer(), b.buffer());

    const char* buffer = a.buffer();
    String c(static_cast<String&&>(a));
    EXPECT_EQ(buffer, c.buffer());
    EXPECT_TRUE(a.isEmpty());
    EXPECT_EQ(nullptr, a.buffer());

    b = static_cast<String&&>(c);
    EXPECT_EQ(buffer, b.buffer());
    b = b;
    EXPECT_STREQ("hello", b.text());

    char* taken = b.stealData();
    EXPECT_STREQ("hello", taken);
    free(taken);
    EXPECT_TRUE(b.isEmpty());
    EXPECT_EQ(nullptr, String().stealData());
}

TEST(StringAccess, AtStopsTheRunOutsideTheText) {
    String s("ab");
    EXPECT_EQ('b', s.at(1));
    EXPECT_EXIT(s.at(2), ::testing::ExitedWithCode(1),
                "FATAL ERROR: Internal Fatal Error\r\nModule: Core\r\nLine: 7748");
    EXPECT_EXIT(s.at(-1), ::testing::ExitedWithCode(1), "Line: 7748");
    EXPECT_EXIT(String().at(0), ::testing::ExitedWithCode(1), "Line: 7748");
}

TEST(StringAccess, PeekingGivesZeroOutsideTheText) {
    String s("C:\\");
    EXPECT_EQ(':', s.charAt(1));
    EXPECT_EQ(0, s.charAt(3));
    EXPECT_EQ(0, s.charAt(-1));
    EXPECT_EQ('C', s.first());
    EXPECT_EQ('\\', s.last());
    EXPECT_EQ(0, String().first());
    EXPECT_EQ(0, String().last());
}

TEST(StringAccess, BlankMeansOnlyBlankSetCharacters) {
    EXPECT_TRUE(String().isBlank());
    EXPECT_TRUE(String(" \r\n\t").isBlank());
    EXPECT_FALSE(String(" x ").isBlank());
    EXPECT_FALSE(String("\v").isBlank());
}

// ---- editing -------------------------------------------------------------

TEST(StringEditing, PositionsAndCountsAreClamped) {
    struct Case {
        const char* what;
        std::string (*run)();
        const char* expected;
    } cases[] = {
        {"insert middle", [] { String s("abef"); s.insert(2, "cd"); return bytesOf(s); }, "abcdef"},
        {"insert counted", [] { String s("af"); s.insert(1, "bcdxx", 4); return bytesOf(s); }, "abcdxf"},
        {"insert past end", [] { String s("ab"); s.insert(99, "c"); return bytesOf(s); }, "abc"},
        {"insert negative", [] { String s("bc"); s.insert(-5, "a"); return bytesOf(s); }, "abc"},
        {"insertChar", [] { String s("ad"); s.insertChar('-', 1, 3); return bytesOf(s); }, "a---d"},
        {"insertChar none", [] { String s("ad"); s.insertChar('-', 1, 0); return bytesOf(s); }, "ad"},
        {"erase middle", [] { String s("abcdef"); s.erase(1, 2); return bytesOf(s); }, "adef"},
        {"erase to end", [] { String s("abcdef"); s.erase(2); return bytesOf(s); }, "ab"},
        {"erase past end", [] { String s("abc"); s.erase(5, 2); return bytesOf(s); }, "abc"},
        {"erase negative count", [] { String s("abc"); s.erase(1, -2); return bytesOf(s); }, "abc"},
        {"substring", [] { return bytesOf(String("abcdef").substring(2, 3)); }, "cde"},
        {"substring over end", [] { return bytesOf(String("abcdef").substring(4, 10)); }, "ef"},
        {"substring past end", [] { return bytesOf(String("abc").substring(7)); }, ""},
        {"substring negative", [] { return bytesOf(String("abc").substring(-2, 2)); }, "ab"},
        {"dropFirst", [] { String s("abcdef"); s.dropFirst(2); return bytesOf(s); }, "cdef"},
        {"dropFirst all", [] { String s("abc"); s.dropFirst(9); return bytesOf(s); }, ""},
        {"dropLast", [] { String s("abcdef"); s.dropLast(2); return bytesOf(s); }, "abcd"},
        {"dropLast negative", [] { String s("abc"); s.dropLast(-1); return bytesOf(s); }, "abc"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, c.run()) << c.what;
    }
}

TEST(StringEditing, ExtractReturnsThePieceAndRemovesIt) {
    String s("name=value");
    String name = s.extract(0, 5);
    EXPECT_STREQ("name=", name.text());
    EXPECT_STREQ("value", s.text());
    EXPECT_STREQ("", s.extract(20, 2).text());
}

// ---- searching -----------------------------------------------------------

TEST(StringFind, OptionsTable) {
    const int32_t all = String::all;
    struct Case {
        const char* text;
        const char* what;
        int32_t start;
        uint32_t options;
        int32_t count;
        int32_t expected;
    } cases[] = {
        {"abcabc", "bc", 0, 0, all, 1},
        {"abcabc", "bc", 2, 0, all, 4},
        {"abcabc", "bc", 5, 0, all, -1},
        {"abcabc", "bc", -3, 0, all, 1},
        {"abcabc", "", 0, 0, all, -1},
        {"abcabc", nullptr, 0, 0, all, -1},
        {"", "a", 0, 0, all, -1},
        {"ab", "abc", 0, 0, all, -1},
        {"abc", "abc", 0, 0, all, 0},
        {"abcabc", "bc", 0, 0, 2, -1},  // the match must lie within the window
        {"abcabc", "bc", 0, 0, 3, 1},
        {"abcabc", "bc", 0, 0, 0, -1},
        {"[Rename]", "[RENAME]", 0, String::IgnoreCase, all, 0},
        {"[Rename]", "[RENAME]", 0, 0, all, -1},
        {"x\xC4y", "\xE4", 0, String::IgnoreCase, all, -1},  // ASCII letters only
        {"file1.txt", "file?.txt", 0, String::Wildcard, all, 0},
        {"file1.txt", "file?.txt", 0, 0, all, -1},
        {"a?c", "a?c", 0, 0, all, 0},
        {"xAbC", "a?c", 0, String::Wildcard | String::IgnoreCase, all, 1},
        {"abcabc", "bc", 5, String::Backwards, all, 4},
        {"abcabc", "bc", 3, String::Backwards, all, 1},
        {"abcabc", "bc", 4, String::Backwards, all, 4},  // a match may begin at start
        {"abcabc", "bc", all, String::Backwards, all, 4},
        {"abcabc", "bc", 0, String::Backwards, all, -1},
        {"abcabc", "bc", -1, String::Backwards, all, -1},
        {"abcabc", "bc", 5, String::Backwards, 1, 4},
        {"abcabc", "ab", 5, String::Backwards, 1, -1},
        {"a/b\\c", "\\/", 0, String::AnyOfSet, all, 1},
        {"a/b\\c", "\\/", all, String::AnyOfSet | String::Backwards, all, 3},
        {"abc", "XC", 0, String::AnyOfSet | String::IgnoreCase, all, 2},
        {"abc", "xyz", 0, String::AnyOfSet, all, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, String(c.text).find(c.what, c.start, c.options, c.count))
            << "\"" << c.text << "\" find \"" << (c.what ? c.what : "(null)") << "\" from " << c.start
            << " options " << c.options << " count " << c.count;
    }
    EXPECT_TRUE(String("[rename]").contains("[RENAME]", String::IgnoreCase));
}

TEST(StringFind, CharactersWithAndWithoutQuotes) {
    String s("a \"b c\" d");
    EXPECT_EQ(1, s.findChar(' '));
    EXPECT_EQ(7, s.findChar(' ', 2, String::SkipQuoted));
    EXPECT_EQ(4, s.findChar(' ', 2));
    EXPECT_EQ(2, s.findChar('"', 0, String::SkipQuoted));  // the quote itself can be found
    EXPECT_EQ(-1, s.findChar('c', 0, String::SkipQuoted));
    EXPECT_EQ(8, s.findChar('D', 0, String::IgnoreCase));
    EXPECT_EQ(-1, s.findChar('D'));
    EXPECT_EQ(0, s.findChar('a', -4));
    EXPECT_EQ(-1, s.findChar('a', 20));

    EXPECT_EQ(7, s.findLastChar(' '));
    EXPECT_EQ(4, s.findLastChar(' ', 7));
    EXPECT_EQ(1, s.findLastChar(' ', 7, String::SkipQuoted));
    EXPECT_EQ(-1, s.findLastChar(' ', 1));
    EXPECT_EQ(4, s.findChar(' ', 6, String::Backwards));
    EXPECT_EQ(7, s.findChar(' ', 7, String::Backwards));
}

TEST(StringFind, FirstOfAndFirstNotOf) {
    String s("  \tkey = value");
    EXPECT_EQ(3, s.findFirstNotOf(String::blanks));
    EXPECT_EQ(7, s.findFirstOf("=:"));
    EXPECT_EQ(-1, s.findFirstOf(""));
    EXPECT_EQ(-1, s.findFirstOf(nullptr));
    EXPECT_EQ(5, s.findFirstNotOf(nullptr, 5));
    EXPECT_EQ(-1, String("   ").findFirstNotOf(" "));
    // A zero byte in the text is not the set's terminator.
    EXPECT_EQ(-1, String("a\0b", 3).findFirstOf("xyz"));
}

// ---- comparing -----------------------------------------------------------

TEST(StringCompare, SignCaseAndCountTable) {
    const int32_t all = String::all;
    struct Case {
        const char* a;
        const char* b;
        bool caseSensitive;
        int32_t count;
        int sign;
    } cases[] = {
        {"abc", "abc", true, all, 0},
        {"abc", "abd", true, all, -1},
        {"abd", "abc", true, all, 1},
        {"ab", "abc", true, all, -1},   // the terminator takes part
        {"abc", "ab", true, all, 1},
        {"ab", "abc", true, 2, 0},
        {"ab", "abc", true, 3, -1},
        {"ABC", "abc", true, all, -1},
        {"ABC", "abc", false, all, 0},
        {"a_", "aZ", false, all, -1},   // letters fold to lower case: '_' < 'z'
        {"\xE9", "a", true, all, 1},    // bytes compare unsigned
        {"", nullptr, true, all, 0},
        {"x", "y", true, 0, 0},
    };
    for (const Case& c : cases) {
        int r = String(c.a).compare(c.b, c.caseSensitive, c.count);
        EXPECT_EQ(c.sign, (r > 0) - (r < 0)) << c.a << " vs " << (c.b ? c.b : "(null)") << " count " << c.count;
    }
}

TEST(StringCompare, EqualityAndPrefixes) {
    EXPECT_TRUE(String("abc").equals("abc"));
    EXPECT_FALSE(String("abc").equals("ab"));
    EXPECT_TRUE(String().equals(nullptr));
    EXPECT_TRUE(String().equals(String("")));
    EXPECT_FALSE(String("a\0b", 3).equals(String("a\0c", 3)));
    EXPECT_TRUE(String("a\0b", 3) == String("a\0b", 3));
    EXPECT_TRUE(String("a") != String("b"));
    EXPECT_TRUE(String("Program").equalsIgnoreCase("PROGRAM"));
    EXPECT_TRUE(String("abc").startsWith("ab"));
    EXPECT_TRUE(String("abc").startsWith(""));
    EXPECT_FALSE(String("abc").startsWith("AB"));
    EXPECT_FALSE(String("ab").startsWith("abc"));
    EXPECT_TRUE(String("\"x\"").startsWithChar('"'));
    EXPECT_TRUE(String("x\\").endsWithChar('\\'));
    EXPECT_FALSE(String().endsWithChar(0));
}

// ---- replacing -----------------------------------------------------------

TEST(StringReplace, ReplaceAllTable) {
    const int32_t all = String::all;
    struct Case {
        const char* text;
        const char* what;
        const char* with;
        uint32_t options;
        int32_t start;
        int32_t maxCount;
        const char* expected;
        int32_t replaced;
    } cases[] = {
        {"a-b-c", "-", "+", 0, 0, all, "a+b+c", 2},
        {"aaa", "a", "aa", 0, 0, all, "aaaaaa", 3},  // never re-searches a replacement
        {"abab", "ab", "b", 0, 0, all, "bb", 2},
        {"a-b-c", "-", "", 0, 0, all, "abc", 2},
        {"a-b-c", "-", "+", 0, 2, all, "a-b+c", 1},
        {"a-b-c", "-", "+", 0, 0, 1, "a+b-c", 1},
        {"a-b-c", "-", "+", 0, 0, 0, "a-b-c", 0},
        {"abc", "x", "y", 0, 0, all, "abc", 0},
        {"abc", "", "y", 0, 0, all, "abc", 0},
        {"abc", "abc", "", 0, 0, all, "", 1},
        {"Hi <PRODUCT>!", "<product>", "Tavo", String::IgnoreCase, 0, all, "Hi Tavo!", 1},
        {"Hi <PRODUCT>!", "<product>", "Tavo", 0, 0, all, "Hi <PRODUCT>!", 0},
        {"a1b2", "?", "#", String::Wildcard, 0, all, "####", 4},
        {"a/b\\c", "/\\", "|", String::AnyOfSet, 0, all, "a|b|c", 2},
        {"x.x", "x", nullptr, String::Backwards, 0, all, ".", 2},  // always left to right
    };
    for (const Case& c : cases) {
        String s(c.text);
        EXPECT_EQ(c.replaced, s.replaceAll(c.what, c.with, c.options, c.start, c.maxCount)) << c.text;
        EXPECT_STREQ(c.expected, s.text()) << c.text << " / " << c.what;
    }
}

TEST(StringReplace, ReplacementMayBeTheStringsOwnText) {
    String s("ab");
    EXPECT_EQ(1, s.replaceAll("b", s.text()));
    EXPECT_STREQ("aab", s.text());
}

TEST(StringReplace, RemoveAllHonoursCountAndCase) {
    String s("xAxaxA");
    EXPECT_EQ(1, s.removeAll("a", 1, false));
    EXPECT_STREQ("xxaxA", s.text());
    EXPECT_EQ(1, s.removeAll("A"));
    EXPECT_STREQ("xxax", s.text());
    EXPECT_EQ(3, s.removeAll("x"));
    EXPECT_STREQ("a", s.text());
}

// ---- trimming and quoting ------------------------------------------------

TEST(StringTrim, BlankSetAndGivenSets) {
    struct Case {
        const char* what;
        std::string (*run)();
        const char* expected;
    } cases[] = {
        {"trim", [] { String s(" \t\r\nab c\n "); s.trim(); return bytesOf(s); }, "ab c"},
        {"trim all blank", [] { String s(" \t "); s.trim(); return bytesOf(s); }, ""},
        {"trimStart", [] { String s("  a "); s.trimStart(); return bytesOf(s); }, "a "},
        {"trimEnd", [] { String s("  a \r\n"); s.trimEnd(); return bytesOf(s); }, "  a"},
        {"trim keeps vertical tab", [] { String s("\va\v"); s.trim(); return bytesOf(s); }, "\va\v"},
        {"trimStartOf", [] { String s("\\\\x\\"); s.trimStartOf("\\"); return bytesOf(s); }, "x\\"},
        {"trimEndOf", [] { String s("x.;.;"); s.trimEndOf(";."); return bytesOf(s); }, "x"},
        {"trimEndOf null", [] { String s("x "); s.trimEndOf(nullptr); return bytesOf(s); }, "x "},
        {"quote", [] { String s("a b"); s.quote(); return bytesOf(s); }, "\"a b\""},
        {"quote empty", [] { String s; s.quote('\''); return bytesOf(s); }, "''"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, c.run()) << c.what;
    }
}

TEST(StringTrim, RemovingSingleCharacters) {
    String s("\\\\dir\\\\");
    EXPECT_TRUE(s.removeTrailing('\\'));
    EXPECT_STREQ("\\\\dir\\", s.text());
    EXPECT_TRUE(s.removeLeading('\\'));
    EXPECT_STREQ("\\dir\\", s.text());
    EXPECT_FALSE(s.removeLeading('x'));
    EXPECT_FALSE(s.removeTrailing('x'));
    String t("a///");
    EXPECT_EQ(3, t.removeAllTrailing('/'));
    EXPECT_STREQ("a", t.text());
    EXPECT_EQ(0, t.removeAllTrailing('/'));
    EXPECT_FALSE(String().removeTrailing(0));
}

TEST(StringTrim, UnquoteOnlyWhenBothEndsCarryTheCharacter) {
    struct Case {
        const char* text;
        char c;
        bool changed;
        const char* expected;
    } cases[] = {
        {"\"C:\\Program Files\"", '"', true, "C:\\Program Files"},
        {"\"\"", '"', true, ""},
        {"\"", '"', false, "\""},
        {"\"open", '"', false, "\"open"},
        {"'x'", '\'', true, "x"},
        {"'x'", '"', false, "'x'"},
        {"", '"', false, ""},
    };
    for (const Case& c : cases) {
        String s(c.text);
        EXPECT_EQ(c.changed, s.unquote(c.c)) << c.text;
        EXPECT_STREQ(c.expected, s.text()) << c.text;
    }
}

// ---- lines -----------------------------------------------------------------

TEST(StringLines, TakeLineTakesEachKindOfEnding) {
    struct Case {
        const char* text;
        std::vector<std::string> lines;
    } cases[] = {
        {"a\r\nb\n\rc", {"a", "b", "c"}},
        {"a\nb\rc\r\n", {"a", "b", "c"}},
        {"a\n\nb", {"a", "", "b"}},
        {"a\r\rb", {"a", "", "b"}},
        {"a\n\r\nb", {"a", "", "b"}},  // LF CR, then a lone LF
        {"\r\n", {""}},
        {"no break", {"no break"}},
    };
    for (const Case& c : cases) {
        String s(c.text);
        std::vector<std::string> lines;
        while (!s.isEmpty()) {
            lines.push_back(bytesOf(s.takeLine()));
        }
        EXPECT_EQ(c.lines, lines) << c.text;
    }
    String empty;
    EXPECT_TRUE(empty.takeLine().isEmpty());
}

TEST(StringLines, NormaliseCountsEachChangedEnding) {
    struct Case {
        const char* text;
        const char* expected;
        int32_t changes;
    } cases[] = {
        {"", "", 0},
        {"a\r\nb", "a\r\nb", 0},
        {"a\nb", "a\r\nb", 1},
        {"a\rb", "a\r\nb", 1},
        {"a\n\rb", "a\r\nb", 1},
        {"\n\n", "\r\n\r\n", 2},
        {"\r\r\n\n\r", "\r\n\r\n\r\n", 2},
        {"\n\r\n", "\r\n\r\n", 2},
        {"x\n", "x\r\n", 1},
    };
    for (const Case& c : cases) {
        String s(c.text);
        EXPECT_EQ(c.changes, s.normaliseLineEndings()) << c.text;
        EXPECT_EQ(c.expected, bytesOf(s));
    }
}

TEST(StringCase, OnlyAsciiLettersChange) {
    String s("Ab1_\xC4z");
    s.toUpper();
    EXPECT_EQ("AB1_\xC4Z", bytesOf(s));
    s.toLower();
    EXPECT_EQ("ab1_\xC4z", bytesOf(s));
}

// ---- numbers and hash ----------------------------------------------------------

TEST(StringNumbers, ToIntegerTable) {
    struct Case {
        const char* text;
        int64_t value64;
        int32_t value32;
    } cases[] = {
        {"", 0, 0},
        {"abc", 0, 0},
        {"42", 42, 42},
        {"  -17 apples", -17, -17},
        {"+8", 8, 8},
        {"1,234,567 bytes", 1234567, 1234567},
        {"v-,5", -5, -5},
        {"--5", 0, 0},
        {".5", 0, 0},
        {"3.99", 3, 3},
        {"size: 12x", 12, 12},
        {"2147483647", 2147483647, 2147483647},
        {"2147483648", 2147483648LL, 2147483647},          // 32-bit saturates
        {"-2147483649", -2147483649LL, (-2147483647 - 1)},
        {"9223372036854775807", INT64_MAX, 2147483647},
        {"99999999999999999999", INT64_MAX, 2147483647},    // 64-bit saturates
        {"-9223372036854775808", INT64_MIN, (-2147483647 - 1)},
        {"-99999999999999999999", INT64_MIN, (-2147483647 - 1)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.value64, String(c.text).toInteger64()) << c.text;
        EXPECT_EQ(c.value32, String(c.text).toInteger()) << c.text;
    }
}

TEST(StringNumbers, HashIsThePayloadChecksum) {
    const uint32_t seed = 0x79E2BC9D;
    EXPECT_EQ(seed, String().hash());
    // One word, one signed byte and the length.
    EXPECT_EQ(seed + 0x64636261u + (uint32_t)(int8_t)'\xF0' + 5, String("abcd\xF0").hash());
}

}  // namespace
