#include <algorithm>

#include "cli/cli.h"

namespace expscale::cli {

namespace {

// Whether an argument spells the given ASCII text, whatever its code unit.
bool spells(const Argument& argument, std::string_view ascii) {
    return std::equal(
        argument.begin(), argument.end(), ascii.begin(), ascii.end(),
        [](auto unit, char c) { return unit == static_cast<Argument::value_type>(c); });
}

bool startsWith(const Argument& argument, std::string_view ascii) {
    return argument.size() >= ascii.size() && spells(argument.substr(0, ascii.size()), ascii);
}

std::string quoted(const Argument& argument) {
    return "'" + displayText(argument) + "'";
}

struct SubcommandName {
    std::string_view name;
    Subcommand subcommand;
    std::size_t positionals;  // FILE, and FACTOR for scale
};
constexpr SubcommandName SUBCOMMANDS[] = {
    {"list", Subcommand::list, 1}, {"scale", Subcommand::scale, 2}, {"info", Subcommand::info, 1}};

bool readEncoding(const Argument& value, Invocation& invocation, std::string& error) {
    if (spells(value, "utf-8")) {
        invocation.encoding = Encoding::utf8;
    } else if (spells(value, "gbk")) {
        invocation.encoding = Encoding::gbk;
    } else {
        error = "unknown encoding " + quoted(value) + " (utf-8 or gbk)";
        return false;
    }
    return true;
}

// Reads the option at `arguments[i]`, and its value, advancing `i` past what it used.
bool readOption(const std::vector<Argument>& arguments, std::size_t& i, Invocation& invocation,
                std::string& error) {
    const Argument& option = arguments[i];
    const auto value = [&]() -> const Argument* {
        if (i + 1 < arguments.size()) return &arguments[++i];
        error = "option " + quoted(option) + " needs a value";
        return nullptr;
    };
    if (invocation.subcommand == Subcommand::list && startsWith(option, "--encoding=")) {
        return readEncoding(option.substr(11), invocation, error);
    }
    if (invocation.subcommand == Subcommand::list && spells(option, "--encoding")) {
        const Argument* encoding = value();
        return encoding && readEncoding(*encoding, invocation, error);
    }
    if (invocation.subcommand == Subcommand::scale && spells(option, "-o")) {
        const Argument* output = value();
        if (output) invocation.output = *output;
        return output != nullptr;
    }
    error = "unknown option " + quoted(option);
    return false;
}

}  // namespace

// Options follow the subcommand and end at "--" or at the first argument that is not one, so a
// factor such as -0.5 after FILE is never taken for an option.
std::optional<Invocation> parseArguments(const std::vector<Argument>& arguments,
                                         std::string& error) {
    Invocation invocation;
    if (arguments.empty()) {
        error = "no command given";
        return std::nullopt;
    }
    const Argument& first = arguments[0];
    if (arguments.size() == 1 && (spells(first, "--help") || spells(first, "-h")))
        return invocation;
    if (arguments.size() == 1 && spells(first, "--version")) {
        invocation.subcommand = Subcommand::version;
        return invocation;
    }
    const auto named = std::find_if(std::begin(SUBCOMMANDS), std::end(SUBCOMMANDS),
                                    [&](const SubcommandName& s) { return spells(first, s.name); });
    if (named == std::end(SUBCOMMANDS)) {
        error = "unknown command " + quoted(first);
        return std::nullopt;
    }
    invocation.subcommand = named->subcommand;

    bool outputGiven = false;
    std::size_t i = 1;
    for (; i < arguments.size(); ++i) {
        const Argument& argument = arguments[i];
        if (spells(argument, "--")) {
            ++i;
            break;
        }
        if (argument.size() < 2 || argument[0] != '-') break;
        if (spells(argument, "--help") || spells(argument, "-h")) return Invocation{};
        if (!readOption(arguments, i, invocation, error)) return std::nullopt;
        outputGiven = outputGiven || spells(argument, "-o");
    }

    const std::size_t positionals = arguments.size() - i;
    if (positionals < named->positionals) {
        error = positionals == 0 ? "FILE is missing" : "FACTOR is missing";
        return std::nullopt;
    }
    if (positionals > named->positionals) {
        error = "unexpected argument " + quoted(arguments[i + named->positionals]);
        return std::nullopt;
    }
    if (invocation.subcommand == Subcommand::scale && !outputGiven) {
        error = "scale needs -o OUT";
        return std::nullopt;
    }
    invocation.file = arguments[i];
    if (invocation.subcommand == Subcommand::scale) invocation.factor = arguments[i + 1];
    return invocation;
}

}  // namespace expscale::cli
