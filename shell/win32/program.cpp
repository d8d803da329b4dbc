// Start-up, the message loop and shut-down.
#include "shell/win32/program.h"

#include <ole2.h>

#include <algorithm>
#include <array>
#include <intrin.h>

#include "commands/editor.h"
#include "shell/win32/main_window.h"

namespace expscale {

namespace {

ExitCleanup exitCleanup = nullptr;
bool loopStarted = false;
// The program's own windows that exist; MainWindow is the only one.
std::array<HWND, 1> openWindows{};

bool anyWindowOpen() {
    return std::any_of(openWindows.begin(), openWindows.end(), [](HWND w) { return w != nullptr; });
}

// The program's own folder becomes the current directory; a failure is ignored.
void enterProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return;
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t slash = path.rfind(L'\\');
    if (slash == std::wstring::npos) return;
    path.resize(slash);
    SetCurrentDirectoryW(path.c_str());
}

}  // namespace

void resetFloatingPoint() {
    // fninit: x87 control word 0x37F, i.e. round to nearest, all masked, 64-bit significand.
    __asm__ volatile("fninit");
    // SSE, where doubles are computed: round to nearest, all masked, no flush to zero, flags clear.
    _mm_setcsr(0x1F80);
}

void registerExitCleanup(ExitCleanup routine) { exitCleanup = routine; }

void releaseEditorState() {
    if (!editorState.fileBytes.empty()) ByteString().swap(editorState.fileBytes);
}

void noteWindowCreated(HWND window) {
    if (auto slot = std::find(openWindows.begin(), openWindows.end(), nullptr); slot != openWindows.end()) {
        *slot = window;
    }
}

void noteWindowDestroyed(HWND window) {
    std::replace(openWindows.begin(), openWindows.end(), window, HWND{});
    if (!anyWindowOpen() && loopStarted) PostQuitMessage(0);
}

void loadMainWindow() {
    if (!createMainWindow() || !anyWindowOpen()) reportFatalError(L"载入启动窗口失败", 0);
}

void runMessageLoop() {
    loopStarted = true;
    if (!anyWindowOpen()) return;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (handleWindowKey(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

std::int32_t runProgram() {
    enterProgramFolder();
    OleInitialize(nullptr);  // the file dialogs want it; a failure is ignored
    if (!registerMainWindowClass(GetModuleHandleW(nullptr))) {
        reportFatalError(L"载入窗口模板数据段出错!", 0);
    }
    resetFloatingPoint();
    registerExitCleanup(releaseEditorState);
    loadMainWindow();
    runMessageLoop();
    return 0;
}

void shutDown(std::int32_t exitCode) {
    unregisterMainWindowClass(GetModuleHandleW(nullptr));  // fails harmlessly while it still exists
    if (ExitCleanup routine = exitCleanup) {
        routine();
        exitCleanup = nullptr;
    }
    releaseMainWindowIcons();
    OleUninitialize();
    ExitProcess(static_cast<UINT>(exitCode));
}

}  // namespace expscale
