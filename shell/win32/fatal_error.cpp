// The run-time error box. It may be reached from a failed allocation, so nothing here allocates.
#include <array>

#include "shell/win32/program.h"

namespace expscale {

namespace {

// Appends to a fixed buffer, cutting what does not fit; one place is kept for the zero.
struct TextBuffer {
    wchar_t* data;
    std::size_t capacity;
    std::size_t length = 0;

    void append(std::wstring_view text) {
        for (wchar_t c : text) {
            if (length + 1 >= capacity) return;
            data[length++] = c;
        }
    }
    void appendDecimal(unsigned long long value) {
        std::array<wchar_t, 24> digits{};
        std::size_t n = 0;
        do {
            digits[n++] = static_cast<wchar_t>(L'0' + value % 10);
            value /= 10;
        } while (value != 0);
        while (n > 0) append(std::wstring_view(&digits[--n], 1));
    }
    void appendDecimal(std::int32_t value) {  // as "%d" gives it
        if (value < 0) append(L"-");
        appendDecimal(value < 0 ? 0ull - static_cast<unsigned long long>(value)
                                : static_cast<unsigned long long>(value));
    }
};

bool reporting = false;

}  // namespace

std::wstring_view fatalErrorText(std::wstring_view message, std::int32_t code, wchar_t* buffer,
                                 std::size_t capacity) {
    TextBuffer text{buffer, capacity};
    text.append(L"运行时出错!\r\n\r\n");
    if (code != 0) {
        text.append(L"错误代码：");
        text.appendDecimal(code);
        text.append(L"\r\n\r\n");
    }
    if (!message.empty()) {
        text.append(L"错误信息：");
        text.append(message);
        text.append(L"\r\n");
    }
    if (capacity > 0) buffer[text.length] = L'\0';
    return {buffer, text.length};
}

void reportFatalError(std::wstring_view message, std::int32_t code) {
    // A second fatal error while the first is shown (memory gone for good) ends at once.
    if (reporting) ExitProcess(static_cast<UINT>(-1));
    reporting = true;
    std::array<wchar_t, 1024> text;
    fatalErrorText(message, code, text.data(), text.size());
    MessageBoxW(nullptr, text.data(), L"错误", MB_ICONERROR | MB_OK);
    registerExitCleanup(nullptr);
    shutDown(-1);
}

void reportMemoryFailure(std::size_t size) {
    std::array<wchar_t, 64> message;
    TextBuffer text{message.data(), message.size()};
    text.append(L"分配 ");
    text.appendDecimal(static_cast<unsigned long long>(size));
    text.append(L" 字节内存失败!");
    reportFatalError(std::wstring_view(message.data(), text.length), 0);
}

}  // namespace expscale
