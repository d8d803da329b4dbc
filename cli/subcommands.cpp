#include <charconv>

#include "cli/cli.h"
#include "commands/editor.h"
#include "commands/file_io.h"
#include "commands/streamed.h"
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

// An opened data file: read piece by piece, never held whole.
struct DataFile {
    InputFile input;
    TableRegion region;
    IoError readError;  // why a read through sourceOf failed
};

ByteSource sourceOf(DataFile& file) {
    return {file.input.size, [&file](std::uint64_t offset, char* data, std::size_t n) {
                return readAt(file.input, offset, data, n, file.readError);
            }};
}

// Opens FILE and finds its table, reading its records too when `withRecords`; on failure says
// why, closes it and gives false.
bool openDataFile(const std::filesystem::path& path, DataFile& file, bool withRecords = true) {
    IoError error;
    if (!openInput(file.input, path, error)) {
        reportFailure(path, readFailure(error));
        return false;
    }
    std::string problem;
    if (file.input.size == 0) {
        problem = "the file is empty";
    } else if (std::optional<TableRegion> region = withRecords ? readTableRegion(sourceOf(file))
                                                               : findTableRegion(sourceOf(file))) {
        file.region = std::move(*region);
        if (file.region.table.tableStart == NO_TABLE) problem = "no monster table in it (its marker was not found)";
    } else {
        problem = readFailure(file.readError);
    }
    if (problem.empty()) return true;
    reportFailure(path, problem);
    closeInput(file.input);
    return false;
}

std::string shortest(float value) {
    char digits[32];
    return std::string(digits, std::to_chars(std::begin(digits), std::end(digits), value).ptr);
}

// Appends the list lines of the `count` records from position 1 of `batch` to `out`.
void appendListLines(std::string_view batch, std::int64_t count, Encoding encoding, std::string& out) {
    for (std::int64_t i = 0; i < count; ++i) {
        const Text line = recordListLine(batch, 1 + i * WidePosition{RECORD_STRIDE});
        if (encoding == Encoding::gbk) {
            out += line;
        } else {
            cp936ToUtf8(line, out);
        }
        out += '\n';
    }
}

}  // namespace

// The records are read a batch at a time through one buffer, never all at once. The lines are
// written only once every record has been read, so a file that fails part-way prints nothing.
int runList(const Invocation& invocation) {
    DataFile file;
    if (!openDataFile(invocation.file, file, false)) return EXIT_FAILED;
    std::string out;
    const bool read = forEachRecordBatch(
        sourceOf(file), file.region, [&](std::string_view batch, std::int64_t count) {
            appendListLines(batch, count, invocation.encoding, out);
            return true;
        });
    closeInput(file.input);
    if (!read) {
        reportFailure(invocation.file, readFailure(file.readError));
        return EXIT_FAILED;
    }
    writeOutput(out);
    return finishWithOutput();
}

int runScale(const Invocation& invocation) {
    DataFile file;
    if (!openDataFile(invocation.file, file)) return EXIT_FAILED;
    const float factor = parseScaleFactor(factorText(invocation.factor));
    AtomicFile out;
    std::optional<ScaleSummary> summary;
    if (beginAtomicWrite(out, invocation.output)) {
        summary = emitScaledFile(sourceOf(file), file.region, factor,
                                 [&out](std::string_view piece) { appendBytes(out, piece); });
    }
    closeInput(file.input);  // before the new file takes its place, which may be this one
    if (!summary && !out.failed) {
        abandonAtomicWrite(out);
        reportFailure(invocation.file, readFailure(file.readError));
        return EXIT_FAILED;
    }
    if (out.failed || !commitAtomicWrite(out)) {
        abandonAtomicWrite(out);
        reportFailure(invocation.output, writeFailure(out.error));
        return EXIT_FAILED;
    }
    writeMessage("expscale: wrote " + displayText(invocation.output) + ": " +
                 std::to_string(summary->scaled) + " scaled by " + shortest(factor) + ", " +
                 std::to_string(summary->capped) + " capped at " + std::to_string(EXPERIENCE_CAP));
    return EXIT_DONE;
}

// `key: value` lines: the table's 0-based offset, the count as stored, how many of those records
// begin inside the file (the ones list and scale visit), and the file's size in bytes.
int runInfo(const Invocation& invocation) {
    DataFile file;
    if (!openDataFile(invocation.file, file, false)) return EXIT_FAILED;
    closeInput(file.input);
    const TableLocation& table = file.region.table;
    writeOutput("table_offset: " + std::to_string(file.region.offset) +
                "\nstored_count: " + std::to_string(table.recordCount) +
                "\nrecords_in_file: " +
                std::to_string(recordsToWalk(file.input.size, table.tableStart, table.recordCount)) +
                "\nfile_size: " + std::to_string(file.input.size) + "\n");
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
