// Code page 936 and UTF-8 conversions. Expected bytes are what the Windows converter gives
// (tests/wine/cp936_oracle_test.cpp checks the converter against it exhaustively under Wine).
#include "record_table/cp936.h"
#include "tests/support/hex.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace expscale {
namespace {

using namespace std::string_literals;

using testing::hexBytes;
using testing::hexUnits;

struct EncodeCase {
    const char* what;
    std::u16string units;
    std::string bytes;
};

TEST(Cp936Encode, MatchesTheWindowsConverter) {
    const EncodeCase cases[] = {
        {"empty", u"", ""},
        {"monster name", u"透明怪", "\xCD\xB8\xC3\xF7\xB9\xD6"},
        {"ASCII with a zero inside", u"a\0b"s, "a\0b"s},
        {"euro sign, the one single byte above ASCII", u"\u20AC", "\x80"},
        {"private-use unit of byte FF", u"\uF8F5", "\xFF"},
        {"no form: neighbours unaffected", u"透\uAC00明", "\xCD\xB8?\xC3\xF7"},
        {"look-alike: feminine ordinal", u"\u00AA", "a"},
        {"look-alike: superscript two", u"x\u00B2", "x2"},
        {"look-alike: capital E acute as small", u"\u00C9", "\xA8\xA6"},
        {"look-alike: parenthesised one as the ideograph", u"\u3192", "\xD2\xBB"},
        {"lone high surrogate", u"a\xD800"s, "a?"},
        {"lone low surrogate", std::u16string{0xDC00, u'b'}, "?b"},
        {"surrogate pair: one ? per unit", u"\U0001F600", "??"},
        {"mark with nothing before it", u"\u0301e", "?e"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(hexBytes(utf16ToCp936(c.units)), hexBytes(c.bytes)) << c.what;
    }
}

TEST(Cp936Encode, ComposesALetterAndTheMarkAfterItWhereWindowsDoes) {
    const EncodeCase cases[] = {
        {"e acute", u"e\u0301", "\xA8\xA6"},
        {"same as precomposed", u"\u00E9", "\xA8\xA6"},
        {"composed letter without a form of its own uses its look-alike", u"E\u0301", "\xA8\xA6"},
        {"look-alike can swallow the mark", u"Y\u0301", "Y"},
        {"u diaeresis", u"u\u0308", "\xA8\xB9"},
        {"composed letter with no form at all: one by one", u"A\u030A", "A?"},
        {"second mark is not composed again", u"u\u0308\u0301", "\xA8\xB9?"},
        {"second mark is not composed again (grave, acute)", u"a\u0300\u0301", "\xA8\xA4?"},
        {"Cyrillic short i", u"\u0438\u0306", "\xA7\xDB"},
        {"not equal sign from = and overlay", u"=\u0338", "\xA1\xD9"},
        {"kana voiced mark", u"\u304B\u3099", "\xA4\xAC"},
        {"mark before another letter stays apart", u"e\u0301e", "\xA8\xA6\x65"},
        {"mark alone at the end", u"\u0301", "?"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(hexBytes(utf16ToCp936(c.units)), hexBytes(c.bytes)) << c.what;
    }
}

// Every unit must come out as one whole character: one byte, or a lead and a trail byte that
// decode back as a pair. A wrongly packed table entry would split or swallow its neighbours.
TEST(Cp936Encode, EveryUnitIsOneCharacter) {
    for (unsigned u = 0; u < 0x10000; ++u) {
        const std::u16string unit(1, static_cast<char16_t>(u));
        const std::string bytes = utf16ToCp936(unit);
        ASSERT_EQ(cp936ToUtf16(bytes + "x").size(), 2u)
            << hexUnits(unit) << "-> " << hexBytes(bytes);
    }
}

// Windows assigns every pair with a trail byte in 40..FE other than 7F (the gaps of GBK go to
// private-use units), and gives each back unchanged.
TEST(Cp936Encode, EveryPairEncodesBack) {
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) continue;
            const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
            const std::u16string units = cp936ToUtf16(bytes);
            ASSERT_EQ(units.size(), 1u) << hexBytes(bytes);
            EXPECT_EQ(hexBytes(utf16ToCp936(units)), hexBytes(bytes)) << hexUnits(units);
        }
    }
}

struct DecodeCase {
    const char* what;
    std::string bytes;
    std::u16string units;
};

TEST(Cp936Decode, MatchesTheWindowsConverter) {
    const DecodeCase cases[] = {
        {"empty", "", u""},
        {"monster name", "\xCD\xB8\xC3\xF7\xB9\xD6", u"透明怪"},
        {"first pair of the code page", "\x81\x40", u"\u4E02"},
        {"e acute", "\xA8\xA6", u"\u00E9"},
        {"euro sign", "\x80", u"\u20AC"},
        {"byte FF alone", "\xFF", u"\uF8F5"},
        {"zero inside", "a\0b"s, u"a\0b"s},
        {"lead byte at the end", "a\x81", u"a?"},
        {"lead byte before a zero: zero kept", "\x81\0b"s, u"?\0b"s},
        {"trail below range is taken with the lead", "\x81\x30x", u"?x"},
        {"trail 7F is taken with the lead", "\x81\x7F", u"?"},
        {"trail FF is taken with the lead", "\x81\xFF", u"?"},
        {"lead byte as trail, then ASCII", "\x81\x81\x40", u"\u4E96@"},
        {"user-defined area pair", "\xA2\xA0", u"\uE585"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(hexUnits(cp936ToUtf16(c.bytes)), hexUnits(c.units)) << c.what;
    }
}

TEST(Utf8, RoundTrips) {
    const std::u16string texts[] = {
        u"",       u"abc",        u"透明怪",     u"\u00E9",     u"\u07FF\u0800", u"\uFFFF",
        u"\uE000", u"\U00010000", u"\U0001F600", u"\U0010FFFF", u"a\0b"s,
    };
    for (const auto& text : texts) {
        EXPECT_EQ(hexUnits(utf8ToUtf16(utf16ToUtf8(text))), hexUnits(text));
    }
    EXPECT_EQ(hexBytes(utf16ToUtf8(u"\U0001F600")), hexBytes("\xF0\x9F\x98\x80"));
    EXPECT_EQ(hexBytes(utf16ToUtf8(u"透")), hexBytes("\xE9\x80\x8F"));
}

TEST(Utf8, LoneSurrogatesBecomeReplacementCharacters) {
    const struct {
        std::u16string units;
        std::string bytes;
    } cases[] = {
        {u"\xD800"s, "\xEF\xBF\xBD"},
        {u"a\xDC00"s, "a\xEF\xBF\xBD"},
        {u"\xDC00\xD800"s, "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {u"\xD800\xD800\xDC00"s, "\xEF\xBF\xBD\xF0\x90\x80\x80"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(hexBytes(utf16ToUtf8(c.units)), hexBytes(c.bytes)) << hexUnits(c.units);
    }
}

TEST(Utf8, EachMaximalSubpartBecomesOneReplacementCharacter) {
    const struct {
        std::string bytes;
        std::u16string units;
    } cases[] = {
        {"\x80", u"\uFFFD"},
        {"\xFF", u"\uFFFD"},
        {"\xC2", u"\uFFFD"},
        {"\xC0\xAF", u"\uFFFD\uFFFD"},                      // overlong lead
        {"\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},            // overlong three-byte form
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},            // encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // past U+10FFFF
        {"\xF5\x80", u"\uFFFD\uFFFD"},
        {"\xE2\x82", u"\uFFFD"},
        {"\xE2\x82x", u"\uFFFDx"},
        {"\xF0\x9F\x98", u"\uFFFD"},
        {"\xF0\x9F\x98\xF0\x9F\x98\x80", u"\uFFFD\U0001F600"},
        // Unicode's own example of the practice.
        {"\x61\xF1\x80\x80\xE1\x80\xC2\x62\x80\x63\x80\xBF\x64",
         u"a\uFFFD\uFFFD\uFFFDb\uFFFDc\uFFFD\uFFFDd"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(hexUnits(utf8ToUtf16(c.bytes)), hexUnits(c.units)) << hexBytes(c.bytes);
    }
}

TEST(Utf8, ToAndFromCp936) {
    EXPECT_EQ(hexBytes(utf8ToCp936("透明怪 Lv1")), hexBytes("\xCD\xB8\xC3\xF7\xB9\xD6 Lv1"));
    EXPECT_EQ(cp936ToUtf8("\xCD\xB8\xC3\xF7\xB9\xD6 Lv1"), "透明怪 Lv1");
    EXPECT_EQ(utf8ToCp936("e\xCC\x81"), "\xA8\xA6");  // e + U+0301 composed
    EXPECT_EQ(utf8ToCp936("\xFF"), "?");              // U+FFFD has no form
    EXPECT_EQ(cp936ToUtf8("a\x81"), "a?");
}

TEST(Utf8, FromCp936AppendsToWhatIsThere) {
    std::string out = "(";
    cp936ToUtf8("\xCD\xB8\xC3\xF7\xB9\xD6", out);
    EXPECT_EQ(out, "(透明怪");
    // A long text of pairs and single bytes, appended after the first.
    std::string text;
    for (int i = 0; i < 300; ++i) text += i % 2 ? "\xCD\xB8" : "a";
    std::string expected = "(透明怪";
    for (int i = 0; i < 300; ++i) expected += i % 2 ? "透" : "a";
    cp936ToUtf8(text, out);
    EXPECT_EQ(out, expected);
}

}  // namespace
}  // namespace expscale
