#include "tests/gui/gui_session.h"

#include <winternl.h>

#include <algorithm>

#include "shell/win32/main_window.h"

namespace expscale::gui {

namespace {

struct WindowSearch {
    DWORD processId;
    const wchar_t* className;
    HWND owner;
    bool anyOwner;
    HWND found = nullptr;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM context) {
    auto& search = *reinterpret_cast<WindowSearch*>(context);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId != search.processId || !IsWindowVisible(window)) return TRUE;
    if (className(window) != search.className) return TRUE;
    if (!search.anyOwner && GetWindow(window, GW_OWNER) != search.owner) return TRUE;
    search.found = window;
    return FALSE;
}

HWND findTopLevel(DWORD processId, const wchar_t* windowClass, HWND owner, bool anyOwner) {
    WindowSearch search{processId, windowClass, owner, anyOwner};
    EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

INPUT keyInput(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

INPUT unicodeInput(wchar_t unit, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wScan = unit;
    input.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
    return input;
}

void send(std::vector<INPUT>& inputs) {
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

BOOL CALLBACK collectStaticText(HWND child, LPARAM context) {
    if (className(child) == L"Static") {
        auto& text = *reinterpret_cast<std::wstring*>(context);
        text += windowText(child);
    }
    return TRUE;
}

BOOL CALLBACK findNameEdit(HWND child, LPARAM context) {
    const int id = GetDlgCtrlID(child);
    if (className(child) != L"Edit" || (id != 0x47C && id != 0x480)) return TRUE;
    *reinterpret_cast<HWND*>(context) = child;
    return FALSE;
}

}  // namespace

ProgramPaths& programPaths() {
    static ProgramPaths paths;
    return paths;
}

Program startProgram(const std::filesystem::path& exe, const std::filesystem::path& workingFolder) {
    Program program;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
    const wchar_t* folder = workingFolder.empty() ? nullptr : workingFolder.c_str();
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder, &startup, &program.process)) {
        return program;
    }
    WaitForInputIdle(program.process.hProcess, 20000);
    waitFor([&] {
        program.window = findTopLevel(program.process.dwProcessId, MAIN_WINDOW_CLASS, nullptr, true);
        return program.window != nullptr;
    }, std::chrono::seconds(20));
    return program;
}

void stopProgram(Program& program) {
    if (!program.process.hProcess) return;
    if (WaitForSingleObject(program.process.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(program.process.hProcess, 99);
        WaitForSingleObject(program.process.hProcess, 5000);
    }
    CloseHandle(program.process.hThread);
    CloseHandle(program.process.hProcess);
    program = {};
}

DWORD waitForExit(const Program& program, std::chrono::milliseconds timeout) {
    WaitForSingleObject(program.process.hProcess, static_cast<DWORD>(timeout.count()));
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(program.process.hProcess, &code);
    return code;
}

std::wstring currentDirectoryOf(const Program& program) {
    // x64 layouts: PEB.ProcessParameters at 0x20; its CurrentDirectory.DosPath at 0x38.
    PROCESS_BASIC_INFORMATION basic{};
    if (NtQueryInformationProcess(program.process.hProcess, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0) {
        return {};
    }
    const HANDLE process = program.process.hProcess;
    const auto read = [process](const void* at, void* into, std::size_t size) {
        return ReadProcessMemory(process, at, into, size, nullptr) != 0;
    };
    const char* parameters = nullptr;
    UNICODE_STRING dosPath{};
    if (!read(reinterpret_cast<const char*>(basic.PebBaseAddress) + 0x20, &parameters, sizeof parameters) ||
        !read(parameters + 0x38, &dosPath, sizeof dosPath)) {
        return {};
    }
    std::wstring path(dosPath.Length / sizeof(wchar_t), L'\0');
    if (!read(dosPath.Buffer, path.data(), dosPath.Length)) return {};
    return path;
}

HWND controlOf(const Program& program, Control control) {
    return GetDlgItem(program.window, controlId(control));
}

HWND focusOf(const Program& program) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(program.process.dwThreadId, &info)) return nullptr;
    return info.hwndFocus;
}

std::wstring windowText(HWND window) {
    const LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT got = SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(got));
    return text;
}

std::wstring lineAt(HWND list, std::size_t index) {
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, index, 0);
    std::wstring line(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
    const LRESULT got = SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(line.data()));
    line.resize(static_cast<std::size_t>(std::max<LRESULT>(got, 0)));
    return line;
}

std::vector<std::wstring> listLines(HWND list) {
    std::vector<std::wstring> lines;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) lines.push_back(lineAt(list, static_cast<std::size_t>(i)));
    return lines;
}

std::wstring className(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

RECT rectIn(HWND window, HWND parent) {
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool bringToFront(HWND window) {
    SetForegroundWindow(window);
    return waitFor([&] { return GetForegroundWindow() == window; }, std::chrono::seconds(5));
}

void pressKey(WORD key, std::initializer_list<WORD> modifiers) {
    std::vector<INPUT> inputs;
    for (WORD modifier : modifiers) inputs.push_back(keyInput(modifier, false));
    inputs.push_back(keyInput(key, false));
    inputs.push_back(keyInput(key, true));
    for (auto m = std::rbegin(modifiers); m != std::rend(modifiers); ++m) inputs.push_back(keyInput(*m, true));
    send(inputs);
}

void typeText(std::wstring_view text) {
    std::vector<INPUT> inputs;
    for (wchar_t unit : text) {
        inputs.push_back(unicodeInput(unit, false));
        inputs.push_back(unicodeInput(unit, true));
    }
    send(inputs);
}

void setClipboardText(std::wstring_view text) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    auto* units = static_cast<wchar_t*>(GlobalLock(memory));
    std::copy(text.begin(), text.end(), units);
    units[text.size()] = L'\0';
    GlobalUnlock(memory);
    OpenClipboard(nullptr);
    EmptyClipboard();
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
}

void clickButton(HWND button) {
    // Posted, not sent: the click opens a modal dialog that would block a sent message.
    PostMessageW(button, BM_CLICK, 0, 0);
}

bool waitUntilIdle(const Program& program, std::chrono::milliseconds timeout) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(program.window, WM_NULL, 0, 0, SMTO_NORMAL,
                               static_cast<UINT>(timeout.count()), &ignored) != 0;
}

HWND findDialog(const Program& program, HWND owner) {
    return findTopLevel(program.process.dwProcessId, L"#32770", owner, false);
}

HWND waitForDialog(const Program& program, HWND owner, std::chrono::milliseconds timeout) {
    HWND dialog = nullptr;
    waitFor([&] { return (dialog = findDialog(program, owner)) != nullptr; }, timeout);
    return dialog;
}

bool waitUntilGone(HWND window, std::chrono::milliseconds timeout) {
    return waitFor([&] { return !IsWindow(window); }, timeout);
}

HWND fileNameBox(HWND dialog) {
    // The edit of the name combo box (0x47C, nested inside a ComboBoxEx32 on Wine), or the plain
    // name edit (0x480) of other layouts.
    HWND found = nullptr;
    EnumChildWindows(dialog, findNameEdit, reinterpret_cast<LPARAM>(&found));
    return found;
}

void enterFileName(HWND dialog, const std::filesystem::path& path) {
    SendMessageW(fileNameBox(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    pressDialogButton(dialog, IDOK);
}

void pressDialogButton(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::wstring messageBoxText(HWND box) {
    std::wstring text;
    EnumChildWindows(box, collectStaticText, reinterpret_cast<LPARAM>(&text));
    return text;
}

std::wstring throughCodePage936(std::wstring_view text) {
    if (text.empty()) return {};
    const int wideLength = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(936, WC_COMPOSITECHECK, text.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(936, WC_COMPOSITECHECK, text.data(), wideLength, narrow.data(), bytes, nullptr, nullptr);
    const int units = MultiByteToWideChar(936, 0, narrow.data(), bytes, nullptr, 0);
    std::wstring back(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(936, 0, narrow.data(), bytes, back.data(), units);
    return back;
}

}  // namespace expscale::gui
