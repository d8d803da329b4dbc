// The operations the commands use on the window. Declared once here; each shell (and the tests'
// scripted fake) defines them, so the commands never see a platform type.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

#include "record_table/record_table.h"

namespace expscale {

// The window's controls, by the names stored with the window.
enum class Control { 编辑框1, 按钮1, 列表框1, 编辑框2, 按钮2 };

// The two file dialog components: the open dialog and the save dialog.
enum class FileDialog { 通用对话框1, 通用对话框2 };

// A file dialog component's settings. It lives as long as the window; `fileName` changes when a
// choice is confirmed, so the next showing starts from the path chosen before.
struct FileDialogConfig {
    enum class Kind { open, save };
    Kind kind = Kind::open;
    Text title;
    std::filesystem::path fileName;
    Text filter;  // pairs of description and pattern, separated by "|"
    std::int32_t initialFilterIndex = 0;
    std::filesystem::path initialDirectory;
    Text defaultExtension;
    bool createPrompt = false;
    bool fileMustExist = false;
    bool overwritePrompt = false;
    bool pathMustExist = false;
    bool keepCurrentDirectory = false;
};

// The settings each component is created with.
FileDialogConfig initialDialogConfig(FileDialog dialog);

// Shows the dialog, modal; true only when the user confirmed a file, whose full path is then the
// component's fileName. Cancelling, closing and a failing dialog give false and change nothing.
bool showFileDialog(FileDialog dialog);
// The component's current fileName.
std::filesystem::path dialogFileName(FileDialog dialog);

// The edit box's current content.
Text getEditText(Control editBox);
// Replaces the whole content of the edit box.
void setEditText(Control editBox, std::string_view text);

// Removes every item; afterwards nothing is selected.
void clearListBox(Control listBox);
// Appends an item; its 0-based index, or -1 when the list cannot take another item.
std::int32_t addListItem(Control listBox, std::string_view text);
// Brackets a fill of `expectedItems` items so the list reserves its storage and redraws once.
void beginListFill(Control listBox, std::int32_t expectedItems);
void endListFill(Control listBox);

// Shows an error box (caption "错误", stop icon, OK) owned by the window and waits for OK.
void showErrorBox(std::string_view text);

}  // namespace expscale
