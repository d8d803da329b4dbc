// The two file dialog components over the common open and save dialogs.
#include "shell/win32/main_window.h"

#include <commdlg.h>

#include <algorithm>
#include <array>
#include <cwctype>

namespace expscale {

namespace {

// The name buffer holds 260 characters, the terminating zero included.
constexpr std::size_t FILE_NAME_CHARS = 260;

std::array<FileDialogConfig, 2> dialogs;

FileDialogConfig& config(FileDialog dialog) { return dialogs[static_cast<std::size_t>(dialog)]; }

bool isExistingFile(const wchar_t* path) {
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Wine's save dialog ignores OFN_FILEMUSTEXIST, so the component refuses a missing name itself,
// inside the dialog, the way the open dialog does.
UINT_PTR CALLBACK refuseMissingFile(HWND hook, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message != WM_NOTIFY) return 0;
    const auto* notice = reinterpret_cast<const OFNOTIFYW*>(lParam);
    if (notice->hdr.code != CDN_FILEOK) return 0;
    // At CDN_FILEOK the dialog has put the full path in lpstrFile. (Wine's CDM_GETFILEPATH
    // prefixes the current folder even to a name typed as a full path, so it is not asked.)
    const wchar_t* path = notice->lpOFN->lpstrFile;
    if (isExistingFile(path)) return 0;
    HWND dialog = GetParent(hook);
    std::array<wchar_t, 256> title{};
    GetWindowTextW(dialog, title.data(), static_cast<int>(title.size()));
    const std::wstring text =
        std::wstring(path) + L"\n找不到文件。\n请检查文件名是否正确，然后再试一次。";
    MessageBoxW(dialog, text.c_str(), title.data(), MB_ICONWARNING | MB_OK);
    SetWindowLongPtrW(hook, DWLP_MSGRESULT, 1);
    return 1;
}

DWORD dialogFlags(const FileDialogConfig& config) {
    DWORD flags = OFN_HIDEREADONLY | OFN_EXPLORER | OFN_ENABLESIZING;
    if (config.createPrompt) flags |= OFN_CREATEPROMPT;
    if (config.fileMustExist) flags |= OFN_FILEMUSTEXIST;
    if (config.overwritePrompt) flags |= OFN_OVERWRITEPROMPT;
    if (config.pathMustExist) flags |= OFN_PATHMUSTEXIST;
    if (config.keepCurrentDirectory) flags |= OFN_NOCHANGEDIR;
    return flags;
}

}  // namespace

void resetFileDialogs() {
    for (FileDialog dialog : {FileDialog::通用对话框1, FileDialog::通用对话框2}) {
        config(dialog) = initialDialogConfig(dialog);
    }
}

std::wstring dialogFilterList(std::wstring_view filter) {
    while (!filter.empty() && std::iswspace(filter.back())) filter.remove_suffix(1);
    if (filter.empty()) return {};
    std::wstring list(filter);
    if (!list.ends_with(L"||")) list += L"||";
    for (wchar_t& c : list) {
        if (c == L'|') c = L'\0';  // every "|" ends one element; the empty last one ends the list
    }
    return list;
}

bool showFileDialog(FileDialog dialog) {
    FileDialogConfig& settings = config(dialog);
    const std::wstring filter = dialogFilterList(toWide(settings.filter));
    const std::wstring title = toWide(settings.title);
    const std::wstring extension = toWide(settings.defaultExtension);
    const std::wstring folder = settings.initialDirectory.wstring();
    std::array<wchar_t, FILE_NAME_CHARS> name{};
    lstrcpynW(name.data(), settings.fileName.c_str(), static_cast<int>(name.size()));

    OPENFILENAMEW dialogSettings{};
    dialogSettings.lStructSize = sizeof dialogSettings;
    dialogSettings.hwndOwner = GetActiveWindow();
    dialogSettings.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
    dialogSettings.nFilterIndex = filter.empty() ? 0 : static_cast<DWORD>(std::max(settings.initialFilterIndex, 0) + 1);
    dialogSettings.lpstrFile = name.data();
    dialogSettings.nMaxFile = static_cast<DWORD>(name.size());
    dialogSettings.lpstrTitle = title.empty() ? nullptr : title.c_str();
    dialogSettings.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialogSettings.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    dialogSettings.Flags = dialogFlags(settings);
    const bool save = settings.kind == FileDialogConfig::Kind::save;
    if (save && settings.fileMustExist) {
        dialogSettings.Flags |= OFN_ENABLEHOOK;
        dialogSettings.lpfnHook = refuseMissingFile;
    }
    // A false result is a cancel or a failure of the dialog; neither confirms a file.
    if (!(save ? GetSaveFileNameW(&dialogSettings) : GetOpenFileNameW(&dialogSettings))) return false;
    settings.fileName = std::filesystem::path(name.data());
    return true;
}

std::filesystem::path dialogFileName(FileDialog dialog) { return config(dialog).fileName; }

}  // namespace expscale
