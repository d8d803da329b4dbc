#include "shell/win32/main_window.h"

#include <commctrl.h>
#include <imm.h>

#include <algorithm>
#include <array>

#include "commands/editor.h"
#include "record_table/cp936.h"
#include "shell/win32/allocation.h"
#include "shell/win32/program.h"

namespace expscale {

namespace {

enum class Kind { list, edit, button };

struct ControlLayout {
    Control name;
    Kind kind;
    const wchar_t* text;
    int left, top, width, height;
    DWORD style;
};

constexpr DWORD EDIT_STYLE = ES_LEFT | ES_AUTOHSCROLL;
constexpr DWORD BUTTON_STYLE = BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE;
constexpr DWORD LIST_STYLE = WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_USETABSTOPS;

// In tab order: Tab walks this table, wrapping at either end.
constexpr std::array<ControlLayout, 5> CONTROLS = {{
    {Control::列表框1, Kind::list, L"", 8, 40, 216, 216, LIST_STYLE},
    {Control::编辑框1, Kind::edit, L"", 8, 8, 136, 24, EDIT_STYLE},
    {Control::按钮1, Kind::button, L"打开文件", 152, 8, 72, 24, BUTTON_STYLE},
    {Control::编辑框2, Kind::edit, L"1", 8, 264, 216, 24, EDIT_STYLE},
    {Control::按钮2, Kind::button, L"批量修改保存", 8, 296, 216, 24, BUTTON_STYLE},
}};

struct MainWindowState {
    HWND window = nullptr;
    std::array<HWND, CONTROLS.size()> controls{};  // indexed by Control
    HWND rememberedFocus = nullptr;  // given back when the window gets the focus again
    HICON largeIcon = nullptr;
    HICON smallIcon = nullptr;
};
MainWindowState state;

bool isOwnControl(HWND window) {
    return window && std::find(state.controls.begin(), state.controls.end(), window) != state.controls.end();
}

void rememberFocus() {
    if (HWND focus = GetFocus(); isOwnControl(focus)) state.rememberedFocus = focus;
}

void giveFocusBack() {
    HWND target = state.rememberedFocus;
    if (!isOwnControl(target) || !IsWindowEnabled(target)) target = controlWindow(Control::列表框1);
    SetFocus(target);
}

// Tab and Shift+Tab: the next or previous visible, enabled control, wrapping around.
void moveFocus(int step) {
    const int count = static_cast<int>(CONTROLS.size());
    int at = -1;
    for (int i = 0; i < count; ++i) {
        if (controlWindow(CONTROLS[i].name) == GetFocus()) at = i;
    }
    if (at < 0) at = step > 0 ? count - 1 : 0;
    for (int tried = 0; tried < count; ++tried) {
        at = (at + step + count) % count;
        HWND next = controlWindow(CONTROLS[at].name);
        if (!IsWindowVisible(next) || !IsWindowEnabled(next)) continue;
        SetFocus(next);
        // As in a dialog, an edit box reached by Tab has its whole text selected.
        if (CONTROLS[at].kind == Kind::edit) SendMessageW(next, EM_SETSEL, 0, -1);
        return;
    }
}

void runCommand(Control button) {
    // The button has the focus after its click; keep it so that it gets it back after the dialog.
    rememberFocus();
    beforeCommand(button);
    if (button == Control::按钮1) onOpenFile();
    if (button == Control::按钮2) onBatchModifySave();
}

LRESULT CALLBACK decimalFilterProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR id, DWORD_PTR) {
    // Wine's edit box takes an IME character directly, without a WM_CHAR: filter both.
    if ((message == WM_CHAR || message == WM_IME_CHAR) && !acceptsDecimalChar(wParam)) return 0;
    if (message == WM_NCDESTROY) RemoveWindowSubclass(edit, decimalFilterProc, id);
    return DefSubclassProc(edit, message, wParam, lParam);
}

HWND createControl(HWND parent, const ControlLayout& layout, HFONT font) {
    const wchar_t* windowClass = layout.kind == Kind::list   ? WC_LISTBOXW
                                 : layout.kind == Kind::edit ? WC_EDITW
                                                             : WC_BUTTONW;
    const DWORD exStyle = layout.kind == Kind::button ? 0 : WS_EX_CLIENTEDGE;
    HWND control = CreateWindowExW(
        exStyle, windowClass, layout.text,
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | layout.style, layout.left, layout.top, layout.width,
        layout.height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId(layout.name))),
        GetModuleHandleW(nullptr), nullptr);
    if (control) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

void configureControls() {
    HWND list = controlWindow(Control::列表框1);
    const LRESULT itemHeight = SendMessageW(list, LB_GETITEMHEIGHT, 0, 0);
    SendMessageW(list, LB_SETITEMHEIGHT, 0, MAKELPARAM(itemHeight + 1, 0));
    for (Control edit : {Control::编辑框1, Control::编辑框2}) {
        SendMessageW(controlWindow(edit), EM_LIMITTEXT, 0, 0);
        SendMessageW(controlWindow(edit), EM_SETSEL, 0, 0);
    }
    HWND factor = controlWindow(Control::编辑框2);
    SetWindowSubclass(factor, decimalFilterProc, 1, 0);
    // The factor box takes only ASCII characters, so an input method has nothing to offer it.
    ImmAssociateContext(factor, nullptr);
}

bool createControls(HWND window) {
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    for (const ControlLayout& layout : CONTROLS) {
        HWND control = createControl(window, layout, font);
        if (!control) return false;
        state.controls[static_cast<std::size_t>(layout.name)] = control;
    }
    configureControls();
    return true;
}

void setIcons(HWND window) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    const auto load = [instance](int metricX, int metricY) {
        return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(MAIN_ICON_ID), IMAGE_ICON,
                                             GetSystemMetrics(metricX), GetSystemMetrics(metricY), 0));
    };
    state.largeIcon = load(SM_CXICON, SM_CYICON);
    state.smallIcon = load(SM_CXSMICON, SM_CYSMICON);
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(state.largeIcon));
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(state.smallIcon));
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED && lParam != 0) {
                for (Control button : {Control::按钮1, Control::按钮2}) {
                    if (reinterpret_cast<HWND>(lParam) == controlWindow(button)) runCommand(button);
                }
            }
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) rememberFocus();
            break;  // the default activation gives the window the focus, which WM_SETFOCUS passes on
        case WM_SETFOCUS:
            giveFocusBack();
            return 0;
        case WM_NCDESTROY:
            state.window = nullptr;
            state.controls = {};
            noteWindowDestroyed(window);
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

std::wstring toWide(std::string_view cp936) {
    const std::u16string units = cp936ToUtf16(cp936);
    return std::wstring(units.begin(), units.end());
}

Text fromWide(std::wstring_view utf16) {
    return utf16ToCp936(std::u16string(utf16.begin(), utf16.end()));
}

bool acceptsDecimalChar(WPARAM character) {
    if (character < 32) return true;  // Backspace, and the clipboard and undo shortcuts
    return (character >= '0' && character <= '9') || character == '-' || character == '.';
}

bool registerMainWindowClass(HINSTANCE instance) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = mainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = MAIN_WINDOW_CLASS;
    return RegisterClassExW(&windowClass) != 0;
}

void unregisterMainWindowClass(HINSTANCE instance) { UnregisterClassW(MAIN_WINDOW_CLASS, instance); }

void releaseMainWindowIcons() {
    for (HICON* icon : {&state.largeIcon, &state.smallIcon}) {
        if (*icon) DestroyIcon(*icon);
        *icon = nullptr;
    }
}

bool createMainWindow() {
    const std::wstring caption = std::wstring(L"批量修改怪物经验,") + PUBLISHER_DOMAIN;
    const int left = (GetSystemMetrics(SM_CXSCREEN) - MAIN_WINDOW_WIDTH) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - MAIN_WINDOW_HEIGHT) / 2;
    HWND window = CreateWindowExW(0, MAIN_WINDOW_CLASS, caption.c_str(),
                                  WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, left, top,
                                  MAIN_WINDOW_WIDTH, MAIN_WINDOW_HEIGHT, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    if (!window) return false;
    state.window = window;
    noteWindowCreated(window);
    resetFileDialogs();
    if (!createControls(window)) {
        DestroyWindow(window);
        return false;
    }
    setIcons(window);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    return true;
}

HWND mainWindow() { return state.window; }

HWND controlWindow(Control control) { return state.controls[static_cast<std::size_t>(control)]; }

bool handleWindowKey(const MSG& message) {
    if (message.message != WM_KEYDOWN || !state.window) return false;
    if (message.hwnd != state.window && !IsChild(state.window, message.hwnd)) return false;
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    const bool alt = GetKeyState(VK_MENU) < 0;
    if (message.wParam == VK_TAB && !ctrl && !alt) {
        moveFocus(shift ? -1 : 1);
        return true;
    }
    if (message.wParam == VK_ESCAPE && !shift && !ctrl && !alt) {
        SendMessageW(state.window, WM_SYSCOMMAND, SC_CLOSE, 0);  // exactly as the close button
        return true;
    }
    return false;
}

}  // namespace expscale
