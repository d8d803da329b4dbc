#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <iterator>

#include "tests/cli/run_program.h"

namespace expscale::testing {

namespace {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// In the child, between fork and exec: only async-signal-safe calls.
[[noreturn]] void execChild(const char* program, char* const argv[], const char* outPath,
                            const char* errPath, std::uint64_t fileSizeLimit) {
    const int out = ::open(outPath, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = ::open(errPath, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) ::_exit(126);
    if (fileSizeLimit != 0) {
        // A write past the limit then fails with EFBIG instead of killing the process.
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{fileSizeLimit, fileSizeLimit};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(126);
    }
    ::execv(program, argv);
    ::_exit(127);
}

}  // namespace

ProgramRun runProgram(const std::filesystem::path& program,
                      const std::vector<std::string>& arguments,
                      const std::filesystem::path& captureFolder, const RunOptions& options) {
    const std::filesystem::path outPath =
        options.standardOutput.empty() ? captureFolder / "stdout" : options.standardOutput;
    const std::filesystem::path errPath = captureFolder / "stderr";
    std::vector<std::string> strings = {program.string()};
    strings.insert(strings.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& s : strings) argv.push_back(s.data());
    argv.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid == 0) {
        execChild(program.c_str(), argv.data(), outPath.c_str(), errPath.c_str(),
                  options.fileSizeLimit);
    }
    ProgramRun run;
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    if (options.standardOutput.empty()) run.out = readFile(outPath);
    run.err = readFile(errPath);
    return run;
}

std::string argumentFor(const std::filesystem::path& path) {
    return path.native();
}

std::filesystem::path programUnderTest() {
    return EXPSCALE_PROGRAM;
}

}  // namespace expscale::testing
