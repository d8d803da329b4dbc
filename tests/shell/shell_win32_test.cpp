// The parts of the Windows shell that are plain functions: the dialog filter list, the typing
// filter's verdict, the run-time error text and the floating-point reset.
#include <gtest/gtest.h>

#include <array>
#include <cfenv>
#include <cmath>
#include <string>
#include <xmmintrin.h>

#include "shell/win32/main_window.h"
#include "shell/win32/program.h"

namespace expscale {
namespace {

using namespace std::literals;

struct FilterCase {
    std::wstring filter;
    std::wstring list;
};

TEST(DialogFilterList, PairsDescriptionsAndPatternsUpToTheEmptyElement) {
    const FilterCase cases[] = {
        {L"elements.data|*.data", L"elements.data\0*.data\0\0"s},
        {L"elements.data|*.data \t\r\n", L"elements.data\0*.data\0\0"s},
        {L"elements.data|*.data||", L"elements.data\0*.data\0\0"s},
        {L"数据|*.data|全部|*.*", L"数据\0*.data\0全部\0*.*\0\0"s},
        {L"", L""},
        {L"  ", L""},
    };
    for (const FilterCase& c : cases) {
        EXPECT_EQ(dialogFilterList(c.filter), c.list) << ::testing::PrintToString(c.filter);
    }
}

TEST(DecimalTypingFilter, TakesDigitsMinusPointAndControlCharactersOnly) {
    for (wchar_t c : std::wstring_view(L"0123456789-.\b\x03\x16\x18\x1A\r\x1B")) EXPECT_TRUE(acceptsDecimalChar(c)) << int(c);
    for (wchar_t c : std::wstring_view(L" +eE,aZ/:\x7F中０９．－\u00B7")) {
        EXPECT_FALSE(acceptsDecimalChar(c)) << int(c);
    }
}

struct FatalCase {
    std::wstring message;
    std::int32_t code;
    std::wstring text;
};

TEST(FatalErrorText, HasTheCodeAndMessagePiecesOnlyWhenGiven) {
    const FatalCase cases[] = {
        {L"分配 1000008 字节内存失败!", 0, L"运行时出错!\r\n\r\n错误信息：分配 1000008 字节内存失败!\r\n"},
        {L"载入启动窗口失败", 0, L"运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n"},
        {L"", 0, L"运行时出错!\r\n\r\n"},
        {L"", -2147483647 - 1, L"运行时出错!\r\n\r\n错误代码：-2147483648\r\n\r\n"},
        {L"x", 7, L"运行时出错!\r\n\r\n错误代码：7\r\n\r\n错误信息：x\r\n"},
    };
    for (const FatalCase& c : cases) {
        std::array<wchar_t, 256> buffer;
        EXPECT_EQ(fatalErrorText(c.message, c.code, buffer.data(), buffer.size()), c.text);
        EXPECT_EQ(buffer[c.text.size()], L'\0');
    }
}

TEST(FatalErrorText, IsCutToTheBufferWithoutOverrunningIt) {
    std::array<wchar_t, 12> buffer;
    buffer.fill(L'#');
    const std::wstring_view text = fatalErrorText(L"a long message", 0, buffer.data(), 10);
    EXPECT_EQ(text, L"运行时出错!\r\n\r\n错误"sv.substr(0, 9));
    EXPECT_EQ(buffer[9], L'\0');
    EXPECT_EQ(buffer[10], L'#');
}

std::uint16_t x87ControlWord() {
    std::uint16_t word = 0;
    __asm__ volatile("fnstcw %0" : "=m"(word));
    return word;
}

TEST(FloatingPointReset, RestoresNearestRoundingMaskedExceptionsAndExtendedPrecision) {
    std::fesetround(FE_TOWARDZERO);
    _mm_setcsr((0x1F80 & ~0x0200) | 0x8040);  // divide-by-zero unmasked, flush to zero, DAZ
    volatile double big = 1e308;
    (void)(big * 10);  // raises overflow

    resetFloatingPoint();
    EXPECT_EQ(_mm_getcsr(), 0x1F80u);
    EXPECT_EQ(x87ControlWord(), 0x037F);
    EXPECT_EQ(std::fegetround(), FE_TONEAREST);
    EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT), 0);
    volatile double zero = 0.0;
    EXPECT_TRUE(std::isinf(1.0 / zero));  // masked: an infinity, no trap
    volatile double third = 1.0 / 3.0;
    EXPECT_EQ(third * 3.0, 1.0);
}

}  // namespace
}  // namespace expscale
