#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/cli.h"
#include "record_table/cp936.h"

namespace expscale::cli {

namespace {
int outputError = 0;  // errno of the first failed write to standard output
}

// The terminal's encoding is taken to be UTF-8.
Text factorText(const Argument& argument) {
    return utf8ToCp936(argument);
}

std::string displayText(const std::filesystem::path& path) {
    return path.native();
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

void writeMessage(std::string_view text) {
    std::string line(text);
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
}

}  // namespace expscale::cli

int main(int argc, char** argv) {
    return expscale::cli::runTool(std::vector<expscale::cli::Argument>(argv + 1, argv + argc));
}
