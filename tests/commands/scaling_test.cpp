#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "commands/editor.h"

namespace expscale {
namespace {

TEST(ScaleExperience, WorkedValuesThroughTheFactorText) {
    struct Case {
        std::int32_t experience;
        const char* factorText;  // code page 936 bytes, as the factor box holds them
        std::int32_t stored;
    };
    const Case cases[] = {
        {10, "0.7", 6},
        {100, "0.7", 69},
        {7, "0.7", 4},
        {-10, "0.7", -6},
        {10, "-0.7", -6},
        {1000, "1.1", 1100},
        {3, "0.1", 0},
        {12345, "0.5", 6172},
        {1000, "\xA3\xB1\xA3\xAE\xA3\xB5", 1500},  // full-width "１．５"
        {1000, "\xA1\xA1" "2.5x", 2500},           // ideographic space, then "2.5x"
        {1000, "1,5", 1000},
        {1000, "1.2.3", 1200},
        {1000, "5-", 5000},
        {1000, "-0.5", -500},
        {1000, "1d1", 10000},
        {1000, "", 0},
        {1000, ".", 0},
        {1000, "--5", 0},
        {1000, "abc", 0},
        {1000, "0x10", 0},
        {133333333, "1.5", 199999999},
        {133333334, "1.5", 200000000},
        {200000000, "1", 200000000},
        {200000001, "1", 200000000},
        {2000000000, "2", 200000000},
        {1000, "1e10", 200000000},
        {5, "1e30", 200000000},
        {5, "1e39", 200000000},
        {0, "1e39", 0},
        {1409286139, "0.1", 140928616},  // the double product rounds up before truncation
        {738197499, "0.1", 73819751},    // a tie between two doubles goes to the even one
        {-2147483647 - 1, "1", -2147483647 - 1},
        {-2147483647 - 1, "2", -2147483647 - 1},  // below the 32-bit range: saturates
        {1000, "-1e39", -2147483647 - 1},
        {-5, "1e39", -2147483647 - 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(scaleExperience(c.experience, parseScaleFactor(c.factorText)), c.stored)
            << c.experience << " x \"" << c.factorText << '"';
    }
}

TEST(ParseScaleFactor, ReadsTheLeadingNumberAndRoundsToFloat) {
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        const char* text;
        float expected;
    };
    const Case cases[] = {
        {"0.7", 0.699999988079071044921875f},
        {"1.1", 1.10000002384185791015625f},
        {" \t\n5", 5},
        {"+.5", 0.5f},
        {"5.", 5},
        {"1e", 1},
        {"1e+", 1},
        {"1E-1x", 0.1f},
        {"2D2", 200},
        {"1e39", inf},
        {"-1e39", -inf},
        {"1e400", inf},
        {"1e-400", 0},
        {"1e-45", 1.40129846e-45f},  // the smallest subnormal float
        {"1e99999999999999999999", inf},
        {"0e99999999999999999999", 0},
        {"00000000000000000000000000000000000012.5", 12.5f},
        {"3.40282356e38", 3.40282347e38f},  // just above the largest float: rounds down to it
        {"3.40282357e38", inf},             // past the halfway point: infinity
        {"inf", 0},
        {"nan", 0},
        {"\xA3\xAD\xA3\xB2", -2},  // full-width minus and digit
        {"\xA3\xC5", 0},           // a full-width E alone is no number
        {"4\xA3\xE5\xA3\xB2", 400},  // full-width e and digit as the exponent
        {"7\xA3", 7},              // a lead byte cut by the end is dropped
        {"\xB0\xA1" "5", 0},       // a Chinese character first: no number
    };
    for (const Case& c : cases) {
        const float got = parseScaleFactor(c.text);
        EXPECT_EQ(got, c.expected) << '"' << c.text << '"';
        EXPECT_EQ(std::signbit(got), std::signbit(c.expected)) << '"' << c.text << '"';
    }
}

}  // namespace
}  // namespace expscale
