// Runs a program as a user would: a process of its own, its standard output and error captured
// in files. One implementation per platform.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace expscale::testing {

struct ProgramRun {
    int exitCode = -1;  // 128 + the signal's number when a signal ended it
    std::string out;    // standard output, bytes as written
    std::string err;    // standard error
};

struct RunOptions {
    std::filesystem::path standardOutput;  // where standard output goes; captured when empty
    std::uint64_t fileSizeLimit = 0;       // POSIX: RLIMIT_FSIZE of the process, 0 for none
};

// `arguments` are UTF-8; the captures go to files in `captureFolder`.
ProgramRun runProgram(const std::filesystem::path& program,
                      const std::vector<std::string>& arguments,
                      const std::filesystem::path& captureFolder, const RunOptions& options = {});

// A path as a UTF-8 argument for runProgram.
std::string argumentFor(const std::filesystem::path& path);

// The expscale program this build made.
std::filesystem::path programUnderTest();

}  // namespace expscale::testing
