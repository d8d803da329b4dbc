// The project's code page 936 converter against the system's own: WideCharToMultiByte(936,
// WC_COMPOSITECHECK, ..., NULL, NULL) and MultiByteToWideChar(936, 0, ...). Windows build only;
// CI runs it under Wine.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>

#include "record_table/cp936.h"
#include "tests/support/hex.h"

namespace expscale {
namespace {

std::string systemEncode(std::u16string_view units) {
    if (units.empty()) return {};
    const auto* src = reinterpret_cast<const wchar_t*>(units.data());
    const int count = static_cast<int>(units.size());
    const int size =
        WideCharToMultiByte(936, WC_COMPOSITECHECK, src, count, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    WideCharToMultiByte(936, WC_COMPOSITECHECK, src, count, out.data(), size, nullptr, nullptr);
    return out;
}

std::u16string systemDecode(std::string_view bytes) {
    if (bytes.empty()) return {};
    const int count = static_cast<int>(bytes.size());
    const int size = MultiByteToWideChar(936, 0, bytes.data(), count, nullptr, 0);
    std::u16string out(static_cast<std::size_t>(size > 0 ? size : 0), u'\0');
    MultiByteToWideChar(936, 0, bytes.data(), count, reinterpret_cast<wchar_t*>(out.data()), size);
    return out;
}

using testing::hexBytes;
using testing::hexUnits;

// Checks many inputs and reports the first few that differ, rather than thousands of lines.
class Mismatches {
public:
    void encode(std::u16string_view units) {
        const std::string want = systemEncode(units);
        const std::string got = utf16ToCp936(units);
        if (got != want)
            note(hexUnits(units) + "-> system " + hexBytes(want) + "/ ours " + hexBytes(got));
    }
    void decode(std::string_view bytes) {
        const std::u16string want = systemDecode(bytes);
        const std::u16string got = cp936ToUtf16(bytes);
        if (got != want)
            note(hexBytes(bytes) + "-> system " + hexUnits(want) + "/ ours " + hexUnits(got));
    }
    ~Mismatches() { EXPECT_EQ(count_, 0u) << report_; }

private:
    void note(const std::string& line) {
        if (++count_ <= 20) report_ += line + "\n";
    }
    std::size_t count_ = 0;
    std::string report_;
};

TEST(Cp936Oracle, EveryBmpUnitAlone) {
    Mismatches m;
    for (unsigned u = 0; u < 0x10000; ++u) m.encode(std::u16string(1, static_cast<char16_t>(u)));
}

// Latin, Greek and Cyrillic letters with one mark, two marks, and the marks the other way round.
TEST(Cp936Oracle, LettersWithCombiningMarks) {
    const std::pair<char16_t, char16_t> letters[] = {{0x41, 0x24F}, {0x370, 0x3FF}, {0x400, 0x4FF}};
    Mismatches m;
    for (const auto& [from, to] : letters) {
        for (char16_t base = from; base <= to; ++base) {
            for (char16_t mark = 0x300; mark <= 0x36F; ++mark) {
                const char16_t other = static_cast<char16_t>(0x300 + (mark - 0x300 + 7) % 0x70);
                m.encode(std::u16string{base, mark});
                m.encode(std::u16string{base, mark, other});
                m.encode(std::u16string{base, other, mark});
            }
        }
    }
}

// Every unit before every combining mark (and the kana sound marks), 65536 pairs to a call; a
// call that differs is taken apart pair by pair for the report.
TEST(Cp936Oracle, EveryUnitBeforeEachMark) {
    std::u16string marks;
    for (char16_t mark = 0x300; mark <= 0x36F; ++mark) marks += mark;
    marks += u"\u3099\u309A";
    std::u16string units(0x20000, u'\0');
    for (unsigned first = 0; first < 0x10000; ++first)
        units[2 * first] = static_cast<char16_t>(first);
    Mismatches m;
    for (char16_t mark : marks) {
        for (unsigned first = 0; first < 0x10000; ++first) units[2 * first + 1] = mark;
        if (utf16ToCp936(units) == systemEncode(units)) continue;
        for (unsigned first = 0; first < 0x10000; ++first) {
            m.encode(std::u16string{static_cast<char16_t>(first), mark});
        }
    }
}

// Seeded so that a failure repeats; raw engine output keeps the inputs the same on every library.
class Draw {
public:
    unsigned below(unsigned n) { return static_cast<unsigned>(engine_() % n); }
    unsigned in(unsigned from, unsigned to) { return from + below(to - from + 1); }

private:
    std::mt19937 engine_{936};
};

std::u16string randomUnits(Draw& d) {
    std::u16string s;
    const unsigned length = d.below(33);
    while (s.size() < length) {
        switch (d.below(12)) {
            case 0:
                s += u'\0';
                break;
            case 1:
                s += static_cast<char16_t>(d.in(0x20, 0x7E));
                break;
            case 2:
                s += static_cast<char16_t>(d.in(0x41, 0x24F));
                break;
            case 3:
            case 4:
                s += static_cast<char16_t>(d.in(0x300, 0x36F));
                break;
            case 5:
                s += static_cast<char16_t>(d.in(0x370, 0x4FF));
                break;
            case 6:
                s += static_cast<char16_t>(d.in(0x3040, 0x30FF));
                break;  // kana, sound marks
            case 7:
                s += static_cast<char16_t>(d.in(0x4E00, 0x9FFF));
                break;
            case 8:  // a valid surrogate pair
                s += static_cast<char16_t>(d.in(0xD800, 0xDBFF));
                s += static_cast<char16_t>(d.in(0xDC00, 0xDFFF));
                break;
            case 9:
                s += static_cast<char16_t>(d.in(0xD800, 0xDFFF));
                break;  // lone, or by chance not
            default:
                s += static_cast<char16_t>(d.below(0x10000));
                break;
        }
    }
    return s;
}

TEST(Cp936Oracle, RandomUtf16Strings) {
    Draw d;
    Mismatches m;
    for (int i = 0; i < 20000; ++i) m.encode(randomUnits(d));
}

TEST(Cp936Oracle, EveryOneAndTwoByteSequence) {
    Mismatches m;
    for (unsigned a = 0; a < 256; ++a) {
        m.decode(std::string(1, static_cast<char>(a)));
        for (unsigned b = 0; b < 256; ++b)
            m.decode(std::string{static_cast<char>(a), static_cast<char>(b)});
    }
}

TEST(Cp936Oracle, RandomByteStrings) {
    Draw d;
    Mismatches m;
    for (int i = 0; i < 20000; ++i) {
        std::string s;
        const unsigned length = d.below(33);
        while (s.size() < length) {
            switch (d.below(6)) {
                case 0:
                    s += '\0';
                    break;
                case 1:
                    s += static_cast<char>(d.in(0x20, 0x7F));
                    break;
                case 2:
                    s += static_cast<char>(d.in(0x81, 0xFE));
                    break;  // lead bytes
                case 3:
                    s += static_cast<char>(d.in(0x40, 0xFE));
                    break;  // trail bytes
                case 4:
                    s += static_cast<char>(d.below(2) ? 0x80 : 0xFF);
                    break;
                default:
                    s += static_cast<char>(d.below(256));
                    break;
            }
        }
        m.decode(s);
    }
}

}  // namespace
}  // namespace expscale
