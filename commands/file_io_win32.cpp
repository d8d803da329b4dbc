#include <windows.h>

#include "commands/file_io.h"
#include "record_table/cp936.h"

namespace expscale {

namespace {

constexpr DWORD READ_CHUNK = 64u << 20;

std::string systemMessage(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::u16string message(reinterpret_cast<const char16_t*>(text), length);
    LocalFree(text);
    while (!message.empty() && (message.back() == u'\n' || message.back() == u'\r' || message.back() == u' ')) {
        message.pop_back();
    }
    return utf16ToUtf8(message);
}

IoError systemError(IoError::Step step, DWORD code = GetLastError()) {
    return {step, static_cast<int>(code), systemMessage(code)};
}

HANDLE handleOf(const AtomicFile& file) { return reinterpret_cast<HANDLE>(file.handle); }

bool writeAll(HANDLE handle, std::string_view bytes, IoError& error) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), READ_CHUNK));
        DWORD written = 0;
        if (!WriteFile(handle, bytes.data(), chunk, &written, nullptr)) {
            error = systemError(IoError::Step::write);
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

// A name beside the target that no other save is using at the same moment.
HANDLE createTemporaryBeside(AtomicFile& file) {
    const std::filesystem::path folder = file.target.parent_path();
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::wstring name = L"." + file.target.filename().wstring() + L"." +
                                  std::to_wstring(GetCurrentProcessId()) + L"-" +
                                  std::to_wstring(GetTickCount64() + attempt) + L".tmp";
        file.temporary = folder / name;
        const HANDLE handle = CreateFileW(file.temporary.c_str(), GENERIC_WRITE, 0, nullptr,
                                          CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return handle;
    }
    return INVALID_HANDLE_VALUE;
}

}  // namespace

bool openInput(InputFile& file, const std::filesystem::path& path, IoError& error) {
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = systemError(IoError::Step::open);
        return false;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle, &size)) {
        error = systemError(IoError::Step::read);
    } else if (static_cast<std::uint64_t>(size.QuadPart) > MAX_FILE_SIZE) {
        error = systemError(IoError::Step::tooLarge, ERROR_FILE_TOO_LARGE);
    } else {
        file = {reinterpret_cast<std::intptr_t>(handle), static_cast<std::uint64_t>(size.QuadPart)};
        return true;
    }
    CloseHandle(handle);
    return false;
}

std::optional<std::size_t> readAt(InputFile& file, std::uint64_t offset, char* data, std::size_t size,
                                  IoError& error) {
    std::size_t got = 0;
    while (got < size) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset + got);
        at.OffsetHigh = static_cast<DWORD>((offset + got) >> 32);
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - got, READ_CHUNK));
        DWORD n = 0;
        if (!ReadFile(reinterpret_cast<HANDLE>(file.handle), data + got, chunk, &n, &at)) {
            if (GetLastError() == ERROR_HANDLE_EOF) break;
            error = systemError(IoError::Step::read);
            return std::nullopt;
        }
        if (n == 0) break;
        got += n;
    }
    return got;
}

void closeInput(InputFile& file) {
    if (file.handle != -1) CloseHandle(reinterpret_cast<HANDLE>(file.handle));
    file.handle = -1;
}

bool beginAtomicWrite(AtomicFile& file, const std::filesystem::path& target) {
    file.target = target;
    // A folder is never replaced (Wine's ReplaceFileW would move it aside); Windows itself
    // refuses to open a folder for writing with this code.
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        file.failed = true;
        file.error = systemError(IoError::Step::create, ERROR_ACCESS_DENIED);
        return false;
    }
    const HANDLE handle = createTemporaryBeside(file);
    if (handle == INVALID_HANDLE_VALUE) {
        file.failed = true;
        file.error = systemError(IoError::Step::create);
        file.temporary.clear();
        return false;
    }
    file.handle = reinterpret_cast<std::intptr_t>(handle);
    return true;
}

bool commitAtomicWrite(AtomicFile& file) {
    if (!flushWriteBuffer(file)) {
        abandonAtomicWrite(file);
        return false;
    }
    if (!FlushFileBuffers(handleOf(file))) {
        file.failed = true;
        file.error = systemError(IoError::Step::flush);
        abandonAtomicWrite(file);
        return false;
    }
    CloseHandle(handleOf(file));
    file.handle = -1;
    // The new file takes the replaced one's attributes, then its place in one rename. (Wine's
    // ReplaceFileW leaves a stray temporary file behind when it fails.)
    const DWORD attributes = GetFileAttributesW(file.target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        SetFileAttributesW(file.temporary.c_str(),
                           attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                         FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED));
    }
    const BOOL replaced = MoveFileExW(file.temporary.c_str(), file.target.c_str(),
                                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!replaced) {
        file.failed = true;
        file.error = systemError(IoError::Step::replace);
        DeleteFileW(file.temporary.c_str());
        return false;
    }
    return true;
}

bool writeThrough(AtomicFile& file, std::string_view bytes) {
    file.failed = !writeAll(handleOf(file), bytes, file.error);
    return !file.failed;
}

void abandonAtomicWrite(AtomicFile& file) {
    if (file.handle != -1) CloseHandle(handleOf(file));
    file.handle = -1;
    if (!file.temporary.empty()) DeleteFileW(file.temporary.c_str());
    file.temporary.clear();
}

std::u16string pathToUtf16(const std::filesystem::path& path) {
    const std::wstring& native = path.native();
    return std::u16string(native.begin(), native.end());
}

}  // namespace expscale
