// A test of the commands: its own folder, a fresh fake window and editor state, and the two
// commands driven the way a user would, by answering their dialogs.
#pragma once

#include "commands/editor.h"
#include "tests/commands/fake_window.h"
#include "tests/support/temp_folder.h"

namespace expscale::testing {

class EditorFixture : public TempFolderTest {
protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        fakeWindow = {};
        editorState = {};
    }
    // "打开文件", confirming `file` in the open dialog.
    void open(const std::filesystem::path& file) {
        fakeWindow.answers[FileDialog::通用对话框1].push_back(file);
        onOpenFile();
    }
    // "批量修改保存" with `factor` in the factor box, confirming `target` in the save dialog.
    void save(const std::string& factor, const std::filesystem::path& target) {
        fakeWindow.editTexts[Control::编辑框2] = factor;
        fakeWindow.answers[FileDialog::通用对话框2].push_back(target);
        onBatchModifySave();
    }
};

}  // namespace expscale::testing
