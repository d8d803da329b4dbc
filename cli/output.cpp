// Standard output, shared by the platforms: bytes go out unchanged (the Windows entry point puts
// the stream in binary mode), and the first failure is remembered for the exit status.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/cli.h"

namespace expscale::cli {

namespace {
int outputError = 0;  // errno of the first failed write to standard output
}

bool writeOutput(std::string_view bytes) {
    if (outputError != 0) return false;
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size()) return true;
    outputError = errno != 0 ? errno : EIO;
    return false;
}

bool finishOutput(std::string& reason) {
    if (outputError == 0 && std::fflush(stdout) != 0) outputError = errno != 0 ? errno : EIO;
    if (outputError == 0) return true;
    reason = std::strerror(outputError);
    return false;
}

}  // namespace expscale::cli
