#include "commands/editor.h"

#include "commands/controls.h"
#include "record_table/cp936.h"

namespace expscale {

EditorState editorState;

FileDialogConfig initialDialogConfig(FileDialog dialog) {
    FileDialogConfig config;
    config.kind = dialog == FileDialog::通用对话框1 ? FileDialogConfig::Kind::open
                                                    : FileDialogConfig::Kind::save;
    config.fileName = "elements.data";
    config.filter = "elements.data|*.data";
    config.fileMustExist = true;  // the save dialog too: it only ever replaces an existing file
    config.overwritePrompt = true;
    config.pathMustExist = true;
    return config;
}

Text pathToText(const std::filesystem::path& path) { return utf16ToCp936(pathToUtf16(path)); }

void onOpenFile() {
    if (!showFileDialog(FileDialog::通用对话框1)) return;
    const std::filesystem::path path = dialogFileName(FileDialog::通用对话框1);
    setEditText(Control::编辑框1, pathToText(path));

    ByteString().swap(editorState.fileBytes);  // let go of the old file before reading the new
    IoError error;
    if (std::optional<ByteString> bytes = readWholeFile(path, error)) {
        editorState.fileBytes = std::move(*bytes);
    }
    const TableLocation table = locateTable(editorState.fileBytes);
    editorState.tableStart = table.tableStart;
    editorState.cursor = table.tableStart;
    editorState.recordCount = table.recordCount;
    fillRecordList();
}

void fillRecordList() {
    clearListBox(Control::列表框1);
    const std::int64_t records =
        recordsToWalk(editorState.fileBytes, editorState.tableStart, editorState.recordCount);
    if (records == 0) return;
    beginListFill(Control::列表框1, static_cast<std::int32_t>(records));
    for (std::int64_t i = 0; i < records; ++i) {
        addListItem(Control::列表框1, recordListLine(editorState.fileBytes, editorState.cursor));
        editorState.cursor += RECORD_STRIDE;
    }
    endListFill(Control::列表框1);
}

namespace {

// What the window says when a save fails: the step, the file and the system's own reason.
Text saveFailureText(const std::filesystem::path& path, const IoError& error) {
    const char* step = "写入文件时出错";
    switch (error.step) {
        case IoError::Step::create: step = "无法在目标文件夹中创建文件"; break;
        case IoError::Step::flush: step = "无法把文件写入磁盘"; break;
        case IoError::Step::replace: step = "无法替换目标文件"; break;
        default: break;
    }
    std::string reason = error.systemMessage;
    if (reason.empty()) reason = "错误代码 " + std::to_string(error.systemCode);
    return utf8ToCp936(std::string("保存失败，目标文件未被改动。\r\n\r\n") + step + "：\r\n") +
           pathToText(path) + "\r\n\r\n" + utf8ToCp936(reason);
}

}  // namespace

void onBatchModifySave() {
    WorkingCopy copy;
    setData(copy, editorState.fileBytes);
    const float factor = parseScaleFactor(getEditText(Control::编辑框2));
    const ScaleSummary summary = scaleRecords(copy, editorState.fileBytes, editorState.tableStart,
                                              editorState.recordCount, factor);
    editorState.cursor = editorState.tableStart + summary.walked * WidePosition{RECORD_STRIDE};

    if (!showFileDialog(FileDialog::通用对话框2)) return;
    if (editorState.fileBytes.empty()) return;  // nothing opened: never empty an existing file
    const std::filesystem::path path = dialogFileName(FileDialog::通用对话框2);
    IoError error;
    if (!writeToFile(copy, path, error)) showErrorBox(saveFailureText(path, error));
}

}  // namespace expscale
