// The tool's one window: its five controls, its keyboard handling and its two file dialog
// components. Everything here runs on the window thread.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "commands/controls.h"

namespace expscale {

// The publisher's web domain that follows "批量修改怪物经验," in the caption.
inline constexpr wchar_t PUBLISHER_DOMAIN[] = L"expscale.example.org";
inline constexpr wchar_t MAIN_WINDOW_CLASS[] = L"ExpscaleMainWindow";
// The outer size of the window, frame and caption bar included.
inline constexpr int MAIN_WINDOW_WIDTH = 252;
inline constexpr int MAIN_WINDOW_HEIGHT = 363;
// The icon stored with the window.
inline constexpr int MAIN_ICON_ID = 1;

// Child window id of each control, as a dialog template would give it.
constexpr int controlId(Control control) { return 101 + static_cast<int>(control); }

// Registers the window class ("prepares the window definitions"); false when the system refuses.
bool registerMainWindowClass(HINSTANCE instance);
// Discards what registerMainWindowClass prepared.
void unregisterMainWindowClass(HINSTANCE instance);
// Releases the icons the window was given.
void releaseMainWindowIcons();

// Creates MainWindow with its controls, shows it centred and active, focus on 列表框1.
// False when the window or one of its controls cannot be created.
bool createMainWindow();
HWND mainWindow();
HWND controlWindow(Control control);

// The window's own keys (Tab, Shift+Tab, Esc), looked at before the focused control sees them.
// True when the key was consumed.
bool handleWindowKey(const MSG& message);

// Whether the decimal filter of 编辑框2 lets a typed character through.
bool acceptsDecimalChar(WPARAM character);

// The dialog components, created from initialDialogConfig when the window is created.
void resetFileDialogs();
// "desc|pattern|..." as the double-zero-terminated list the common dialogs take; empty when the
// filter offers no type.
std::wstring dialogFilterList(std::wstring_view filter);

// Code page 936 text to the window's UTF-16 and back.
std::wstring toWide(std::string_view cp936);
Text fromWide(std::wstring_view utf16);

}  // namespace expscale
