// The control operations the commands use, over the window's controls. Texts cross this boundary
// as code page 936 and reach the controls as UTF-16, so they read the same on every Windows.
#include "commands/controls.h"

#include "shell/win32/main_window.h"

namespace expscale {

namespace {

// What LB_INITSTORAGE reserves per line: a name of up to 32 characters plus the value.
constexpr std::size_t BYTES_PER_LIST_LINE = 48 * sizeof(wchar_t);

}  // namespace

Text getEditText(Control editBox) {
    HWND edit = controlWindow(editBox);
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
    return fromWide(text);
}

void setEditText(Control editBox, std::string_view text) {
    SetWindowTextW(controlWindow(editBox), toWide(text).c_str());
}

void clearListBox(Control listBox) { SendMessageW(controlWindow(listBox), LB_RESETCONTENT, 0, 0); }

std::int32_t addListItem(Control listBox, std::string_view text) {
    const std::wstring line = toWide(text);
    const LRESULT index = SendMessageW(controlWindow(listBox), LB_ADDSTRING, 0,
                                       reinterpret_cast<LPARAM>(line.c_str()));
    return index < 0 ? -1 : static_cast<std::int32_t>(index);  // LB_ERR or LB_ERRSPACE
}

void beginListFill(Control listBox, std::int32_t expectedItems) {
    HWND list = controlWindow(listBox);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    if (expectedItems > 0) {
        const auto items = static_cast<std::size_t>(expectedItems);
        SendMessageW(list, LB_INITSTORAGE, items, static_cast<LPARAM>(items * BYTES_PER_LIST_LINE));
    }
}

void endListFill(Control listBox) {
    HWND list = controlWindow(listBox);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void showErrorBox(std::string_view text) {
    MessageBoxW(mainWindow(), toWide(text).c_str(), L"错误", MB_ICONERROR | MB_OK);
}

}  // namespace expscale
