#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/cli.h"
#include "record_table/cp936.h"

namespace expscale::cli {

// The terminal's encoding is taken to be UTF-8.
Text factorText(const Argument& argument) {
    return utf8ToCp936(argument);
}

std::string displayText(const std::filesystem::path& path) {
    return path.native();
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
