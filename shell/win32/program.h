// The life of the process: start-up, the message loop, shut-down and the fatal-error report.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace expscale {

using ExitCleanup = void (*)();

// The start routine: sets up the process, shows MainWindow and runs the loop until it is gone.
// Returns 0 once the loop has ended.
std::int32_t runProgram();
// Stores the routine that shutDown runs once; replaces whatever was stored.
void registerExitCleanup(ExitCleanup routine);
// The exit clean-up: lets go of the opened file's bytes and of nothing else.
void releaseEditorState();
// Creates and shows MainWindow; reports a fatal error when it cannot.
void loadMainWindow();
// Delivers messages until the quit request arrives.
void runMessageLoop();
// The ordered teardown; ends the process with `exitCode`.
[[noreturn]] void shutDown(std::int32_t exitCode);

// A program window joins or leaves the set of open windows; the loop ends when the last leaves.
void noteWindowCreated(HWND window);
void noteWindowDestroyed(HWND window);

// Shows the run-time error box (caption "错误", stop icon, OK, no owner) and ends the process
// with exit code -1 without the exit clean-up. Safe to call when memory has run out.
[[noreturn]] void reportFatalError(std::wstring_view message, std::int32_t code);
// The fatal error of a failed memory request of `size` bytes.
[[noreturn]] void reportMemoryFailure(std::size_t size);

// The text of the run-time error box, built into `buffer` without allocating; it is cut to fit.
std::wstring_view fatalErrorText(std::wstring_view message, std::int32_t code, wchar_t* buffer,
                                 std::size_t capacity);

// Round to nearest, every exception masked, x87 with a 64-bit significand, no flags raised.
void resetFloatingPoint();

}  // namespace expscale
