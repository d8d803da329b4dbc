// The command-line tool: its arguments, its subcommands, and the few services of the platform
// they need (the command line's own encoding and the standard streams).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "record_table/record_table.h"

namespace expscale::cli {

// One argument as the system hands it over: bytes on POSIX, UTF-16 on Windows.
using Argument = std::filesystem::path::string_type;

enum class Subcommand { list, scale, info, help, version };
enum class Encoding { utf8, gbk };

// Exit statuses: the command was done, a file could not be read or written, a usage error.
inline constexpr int EXIT_DONE = 0;
inline constexpr int EXIT_FAILED = 1;
inline constexpr int EXIT_USAGE = 2;

// What the command line asks for. Only the fields of its subcommand are set.
struct Invocation {
    Subcommand subcommand = Subcommand::help;
    Encoding encoding = Encoding::utf8;  // list
    std::filesystem::path file;          // list, scale, info
    std::filesystem::path output;        // scale
    Argument factor;                     // scale, still in the command line's encoding
};

// The arguments after the program's name. Empty with the reason in `error` when they do not make
// a command.
std::optional<Invocation> parseArguments(const std::vector<Argument>& arguments,
                                         std::string& error);

int runList(const Invocation& invocation);
int runScale(const Invocation& invocation);
int runInfo(const Invocation& invocation);
// Parses, runs the subcommand and gives the exit status.
int runTool(const std::vector<Argument>& arguments);

// Platform services, one file per platform.

// The factor argument as code page 936 text, as the factor box would hold it.
Text factorText(const Argument& argument);
// A path or argument for messages: UTF-8 on Windows, the bytes as they are on POSIX.
std::string displayText(const std::filesystem::path& path);
// Standard output, bytes unchanged. False once anything failed; `finishOutput` then gives the
// system's reason.
bool writeOutput(std::string_view bytes);
bool finishOutput(std::string& reason);
// One message (UTF-8, without its line end) on standard error.
void writeMessage(std::string_view text);

}  // namespace expscale::cli
