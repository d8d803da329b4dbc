#include <charconv>

#include "cli/cli.h"
#include "commands/editor.h"
#include "commands/file_io.h"
#include "record_table/cp936.h"

namespace expscale::cli {

namespace {

// The synopsis alone follows a usage error; --help adds the details.
constexpr std::string_view SYNOPSIS =
    "Usage: expscale list [--encoding utf-8|gbk] [--] FILE\n"
    "       expscale scale -o OUT [--] FILE FACTOR\n"
    "       expscale info [--] FILE\n"
    "       expscale --help | --version";
constexpr std::string_view DETAILS =
    "\n"
    "Edits the experience reward of every monster in a game data file (elements.data).\n"
    "\n"
    "  list   Print one line per monster: its name and its experience.\n"
    "         --encoding utf-8 (the default) or gbk (code page 936 bytes).\n"
    "  scale  Multiply every monster's experience by FACTOR, truncate it, cap it at\n"
    "         200000000, and write the whole file, changed only there, to OUT.\n"
    "         OUT may be FILE itself; it is replaced only once written completely.\n"
    "  info   Print where the monster table lies and how many records it has.\n"
    "\n"
    "Options end at \"--\" or at FILE, so a FACTOR such as -0.5 is never an option.\n"
    "Exit status: 0 done, 1 a file could not be read or written, 2 usage error.";

// Flushes standard output, reporting a failure; the status to exit with.
int finishWithOutput() {
    std::string reason;
    if (finishOutput(reason)) return EXIT_DONE;
    writeMessage("expscale: cannot write to standard output: " + reason);
    return EXIT_FAILED;
}

// Reports a failure with `path` in one line.
void reportFailure(const std::filesystem::path& path, std::string_view what) {
    std::string line = "expscale: " + displayText(path) + ": ";
    line += what;
    for (char& c : line) {
        if (c == '\r' || c == '\n') c = ' ';  // some system messages span lines
    }
    writeMessage(line);
}

std::string systemReason(const IoError& error) {
    if (!error.systemMessage.empty()) return error.systemMessage;
    return "error code " + std::to_string(error.systemCode);
}

std::string readFailure(const IoError& error) {
    switch (error.step) {
        case IoError::Step::open:
            return "cannot open: " + systemReason(error);
        case IoError::Step::tooLarge:
            return "too large to open: " + systemReason(error);
        default:
            return "cannot read: " + systemReason(error);
    }
}

std::string writeFailure(const IoError& error) {
    const char* step = "cannot write: ";
    switch (error.step) {
        case IoError::Step::create:
            step = "cannot create: ";
            break;
        case IoError::Step::flush:
            step = "cannot flush to the disk: ";
            break;
        case IoError::Step::replace:
            step = "cannot put the new file in its place: ";
            break;
        default:
            break;
    }
    return step + systemReason(error) + "; nothing was saved";
}

// A data file read whole, and where its table lies.
struct DataFile {
    ByteString bytes;
    TableLocation table;
};

// Reads FILE and locates its table; on failure says why and gives nothing.
std::optional<DataFile> openDataFile(const std::filesystem::path& path) {
    IoError error;
    std::optional<ByteString> bytes = readWholeFile(path, error);
    if (!bytes) {
        reportFailure(path, readFailure(error));
        return std::nullopt;
    }
    if (bytes->empty()) {
        reportFailure(path, "the file is empty");
        return std::nullopt;
    }
    const TableLocation table = locateTable(*bytes);
    if (table.tableStart == NO_TABLE) {
        reportFailure(path, "no monster table in it (its marker was not found)");
        return std::nullopt;
    }
    return DataFile{std::move(*bytes), table};
}

std::int64_t recordsToWalk(const DataFile& file) {
    return expscale::recordsToWalk(file.bytes, file.table.tableStart, file.table.recordCount);
}

std::string shortest(float value) {
    char digits[32];
    return std::string(digits, std::to_chars(std::begin(digits), std::end(digits), value).ptr);
}

}  // namespace

int runList(const Invocation& invocation) {
    const std::optional<DataFile> file = openDataFile(invocation.file);
    if (!file) return EXIT_FAILED;
    constexpr std::size_t CHUNK = 1u << 16;
    const std::int64_t records = recordsToWalk(*file);
    std::string out;
    for (std::int64_t i = 0; i < records; ++i) {
        const Text line =
            recordListLine(file->bytes, file->table.tableStart + i * WidePosition{RECORD_STRIDE});
        out += invocation.encoding == Encoding::gbk ? line : cp936ToUtf8(line);
        out += '\n';
        if (out.size() < CHUNK) continue;
        if (!writeOutput(out)) break;
        out.clear();
    }
    writeOutput(out);
    return finishWithOutput();
}

int runScale(const Invocation& invocation) {
    const std::optional<DataFile> file = openDataFile(invocation.file);
    if (!file) return EXIT_FAILED;
    WorkingCopy copy;
    setData(copy, file->bytes);
    const float factor = parseScaleFactor(factorText(invocation.factor));
    const ScaleSummary summary =
        scaleRecords(copy, file->bytes, file->table.tableStart, file->table.recordCount, factor);
    IoError error;
    if (!writeToFile(copy, invocation.output, error)) {
        reportFailure(invocation.output, writeFailure(error));
        return EXIT_FAILED;
    }
    writeMessage("expscale: wrote " + displayText(invocation.output) + ": " +
                 std::to_string(summary.scaled) + " scaled by " + shortest(factor) + ", " +
                 std::to_string(summary.capped) + " capped at " + std::to_string(EXPERIENCE_CAP));
    return EXIT_DONE;
}

// `key: value` lines: the table's 0-based offset, the count as stored, how many of those records
// begin inside the file (the ones list and scale visit), and the file's size in bytes.
int runInfo(const Invocation& invocation) {
    const std::optional<DataFile> file = openDataFile(invocation.file);
    if (!file) return EXIT_FAILED;
    writeOutput("table_offset: " + std::to_string(file->table.tableStart - 1) +
                "\nstored_count: " + std::to_string(file->table.recordCount) +
                "\nrecords_in_file: " + std::to_string(recordsToWalk(*file)) +
                "\nfile_size: " + std::to_string(file->bytes.size()) + "\n");
    return finishWithOutput();
}

int runTool(const std::vector<Argument>& arguments) {
    std::string error;
    const std::optional<Invocation> invocation = parseArguments(arguments, error);
    if (!invocation) {
        writeMessage("expscale: " + error);
        writeMessage(SYNOPSIS);
        return EXIT_USAGE;
    }
    switch (invocation->subcommand) {
        case Subcommand::list:
            return runList(*invocation);
        case Subcommand::scale:
            return runScale(*invocation);
        case Subcommand::info:
            return runInfo(*invocation);
        case Subcommand::version:
            writeOutput("expscale " EXPSCALE_VERSION "\n");
            break;
        case Subcommand::help:
            writeOutput(std::string(SYNOPSIS) + "\n" + std::string(DETAILS) + "\n");
            break;
    }
    return finishWithOutput();
}

}  // namespace expscale::cli
