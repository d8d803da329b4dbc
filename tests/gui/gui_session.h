// Drives a running expscale-gui.exe from another process, the way a user's input reaches it:
// real keys through SendInput, clicks posted to buttons, the common dialog's name box filled and
// confirmed. Everything here waits by polling with a deadline, never by fixed sleeps alone.
#pragma once

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "commands/controls.h"

namespace expscale::gui {

// The program files under test, set from the command line of the driver.
struct ProgramPaths {
    std::filesystem::path real;     // expscale-gui.exe
    std::filesystem::path failing;  // the variant whose allocator fails one request in a command
};
ProgramPaths& programPaths();

struct Program {
    PROCESS_INFORMATION process{};
    HWND window = nullptr;
};

// Starts the program in `workingFolder` (the driver's own when empty) and waits for its main
// window; window stays null when none appears.
Program startProgram(const std::filesystem::path& exe, const std::filesystem::path& workingFolder = {});
// Ends the program if it still runs and closes its handles.
void stopProgram(Program& program);
// The exit code once the process has ended, or STILL_ACTIVE after `timeout`.
DWORD waitForExit(const Program& program, std::chrono::milliseconds timeout);

// The current directory of the running program, read from its process parameters.
std::wstring currentDirectoryOf(const Program& program);

HWND controlOf(const Program& program, Control control);
HWND focusOf(const Program& program);
std::wstring windowText(HWND window);
std::vector<std::wstring> listLines(HWND list);
std::wstring lineAt(HWND list, std::size_t index);
std::wstring className(HWND window);
// The window's rectangle in the client coordinates of `parent`.
RECT rectIn(HWND window, HWND parent);

// Polls `condition` until it holds or `timeout` passes; gives its last value.
template <class Condition>
bool waitFor(Condition condition, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return condition();
        Sleep(15);
    }
    return true;
}

// Makes the window the foreground window, so SendInput reaches it.
bool bringToFront(HWND window);
// A key press with modifiers held (VK_SHIFT, VK_CONTROL, VK_MENU), through SendInput.
void pressKey(WORD key, std::initializer_list<WORD> modifiers = {});
// Types the characters as Unicode key input, as an input method or on-screen keyboard sends them.
void typeText(std::wstring_view text);
void setClipboardText(std::wstring_view text);

// Clicks a button the way the driver can from outside: a posted BM_CLICK.
void clickButton(HWND button);
// Waits until the program's thread has finished what it was doing and reads messages again.
bool waitUntilIdle(const Program& program, std::chrono::milliseconds timeout = std::chrono::seconds(60));

// A visible dialog (#32770) of the program owned by `owner` (null: one with no owner).
HWND findDialog(const Program& program, HWND owner);
HWND waitForDialog(const Program& program, HWND owner,
                   std::chrono::milliseconds timeout = std::chrono::seconds(15));
bool waitUntilGone(HWND window, std::chrono::milliseconds timeout = std::chrono::seconds(15));
// The file dialog's name box.
HWND fileNameBox(HWND dialog);
// Fills the name box and confirms, as typing the name and pressing Enter would.
void enterFileName(HWND dialog, const std::filesystem::path& path);
// Presses a button of a dialog (IDOK, IDCANCEL, IDYES, IDNO).
void pressDialogButton(HWND dialog, int id);
// The texts of a message box's static controls, joined.
std::wstring messageBoxText(HWND box);

// `text` as code page 936 shows it: what the window holds for a UTF-16 name after the program's
// conversion to code page 936 and back. The system's converter is the reference.
std::wstring throughCodePage936(std::wstring_view text);

}  // namespace expscale::gui
