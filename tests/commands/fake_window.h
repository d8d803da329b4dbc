// A scripted stand-in for the window: the tests say what each dialog answers and read back what
// the commands put into the controls.
#pragma once

#include <deque>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "commands/controls.h"

namespace expscale::testing {

struct FakeWindow {
    // Answers of the next showings of each dialog: a path confirms, nullopt cancels.
    std::map<FileDialog, std::deque<std::optional<std::filesystem::path>>> answers;
    std::map<FileDialog, FileDialogConfig> dialogs = {
        {FileDialog::通用对话框1, initialDialogConfig(FileDialog::通用对话框1)},
        {FileDialog::通用对话框2, initialDialogConfig(FileDialog::通用对话框2)}};
    std::map<Control, std::string> editTexts = {{Control::编辑框1, ""}, {Control::编辑框2, "1"}};
    std::vector<std::string> listItems;
    std::vector<std::string> errorBoxes;
    int dialogsShown = 0;
};

// The window the control operations act on; reset before each test.
extern FakeWindow fakeWindow;

}  // namespace expscale::testing
