#include "tests/commands/fake_window.h"

namespace expscale {

testing::FakeWindow testing::fakeWindow;

bool showFileDialog(FileDialog dialog) {
    auto& answers = testing::fakeWindow.answers[dialog];
    ++testing::fakeWindow.dialogsShown;
    if (answers.empty()) return false;
    const std::optional<std::filesystem::path> answer = answers.front();
    answers.pop_front();
    if (!answer) return false;
    testing::fakeWindow.dialogs[dialog].fileName = *answer;
    return true;
}

std::filesystem::path dialogFileName(FileDialog dialog) {
    return testing::fakeWindow.dialogs[dialog].fileName;
}

Text getEditText(Control editBox) { return testing::fakeWindow.editTexts[editBox]; }

void setEditText(Control editBox, std::string_view text) {
    testing::fakeWindow.editTexts[editBox] = std::string(text);
}

void clearListBox(Control) { testing::fakeWindow.listItems.clear(); }

std::int32_t addListItem(Control, std::string_view text) {
    testing::fakeWindow.listItems.emplace_back(text);
    return static_cast<std::int32_t>(testing::fakeWindow.listItems.size() - 1);
}

void beginListFill(Control, std::int32_t) {}
void endListFill(Control) {}

void showErrorBox(std::string_view text) { testing::fakeWindow.errorBoxes.emplace_back(text); }

}  // namespace expscale
