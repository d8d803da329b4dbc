#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/cli.h"
#include "commands/file_io.h"
#include "record_table/cp936.h"

namespace expscale::cli {

// Arguments come from the wide command line, so the factor is converted from UTF-16 whatever the
// console's code page.
Text factorText(const Argument& argument) {
    return utf16ToCp936(std::u16string(argument.begin(), argument.end()));
}

std::string displayText(const std::filesystem::path& path) {
    return utf16ToUtf8(pathToUtf16(path));
}

// A console shows UTF-16 text whatever its code page; a file or pipe gets UTF-8 bytes.
void writeMessage(std::string_view text) {
    std::string line(text);
    line += '\n';
    const HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(handle, &mode)) {
        const std::u16string wide = utf8ToUtf16(line);
        WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    } else {
        WriteFile(handle, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }
}

}  // namespace expscale::cli

// The wide entry point, so that paths outside the ANSI code page arrive intact.
int wmain(int argc, wchar_t** argv) {
    // Standard output carries exact bytes: no "\n" to "\r\n", no end-of-file byte.
    _setmode(_fileno(stdout), _O_BINARY);
    return expscale::cli::runTool(std::vector<expscale::cli::Argument>(argv + 1, argv + argc));
}
