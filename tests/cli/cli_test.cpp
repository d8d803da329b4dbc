// The expscale program run as a user runs it: its own process, real files, exit statuses and the
// bytes it writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "tests/cli/run_program.h"
#include "tests/support/data_file.h"
#include "tests/support/temp_folder.h"

namespace expscale {
namespace {

using testing::argumentFor;
using testing::buildDataFile;
using testing::DataFileLayout;
using testing::ProgramRun;
using testing::RunOptions;
using testing::TestRecord;

// Record 1 is always "透明怪"; "狼" needs two bytes in code page 936 (C0 C7) and three in UTF-8.
const std::vector<TestRecord> MONSTERS = {
    {u"", 100}, {u"\u72FC", 300}, {u"Slime", -7}, {u"Dragon", 150000000}};

const std::string MONSTERS_UTF8 =
    "(透明怪) 经验：100\n"
    "(狼) 经验：300\n"
    "(Slime) 经验：-7\n"
    "(Dragon) 经验：150000000\n";
const std::string MONSTERS_GBK =
    "(\xCD\xB8\xC3\xF7\xB9\xD6) \xBE\xAD\xD1\xE9\xA3\xBA"
    "100\n"
    "(\xC0\xC7) \xBE\xAD\xD1\xE9\xA3\xBA"
    "300\n"
    "(Slime) \xBE\xAD\xD1\xE9\xA3\xBA"
    "-7\n"
    "(Dragon) \xBE\xAD\xD1\xE9\xA3\xBA"
    "150000000\n";

std::vector<TestRecord> withExperiences(std::vector<TestRecord> records,
                                        const std::vector<std::int32_t>& experiences) {
    for (std::size_t i = 0; i < records.size(); ++i) records[i].experience = experiences[i];
    return records;
}

bool isOneLine(const std::string& text) {
    return !text.empty() && text.back() == '\n' && std::count(text.begin(), text.end(), '\n') == 1;
}

class CliTest : public testing::TempFolderTest {
protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        captures_ = folder_;
        captures_ += "-captures";  // beside the folder, so that its entries are only the tool's
        std::filesystem::create_directories(captures_);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(captures_, ignored);
        TempFolderTest::TearDown();
    }
    ProgramRun run(const std::vector<std::string>& arguments, const RunOptions& options = {}) {
        return testing::runProgram(testing::programUnderTest(), arguments, captures_, options);
    }
    // The arguments with "{in}" and "{out}" replaced by those files' paths.
    std::vector<std::string> substituted(std::vector<std::string> arguments,
                                         const std::filesystem::path& in,
                                         const std::filesystem::path& out) const {
        for (std::string& a : arguments) {
            if (a == "{in}") a = argumentFor(in);
            if (a == "{out}") a = argumentFor(out);
        }
        return arguments;
    }

    std::filesystem::path captures_;
};

using ListCommand = CliTest;
using ScaleCommand = CliTest;
using InfoCommand = CliTest;
using CommandLine = CliTest;

TEST_F(ListCommand, PrintsTheWindowsLinesInTheChosenEncoding) {
    const std::filesystem::path file = write("elements.data", buildDataFile(MONSTERS));
    struct Case {
        std::vector<std::string> options;
        const std::string& expected;
    };
    const Case cases[] = {
        {{}, MONSTERS_UTF8},
        {{"--encoding", "utf-8"}, MONSTERS_UTF8},
        {{"--encoding", "gbk"}, MONSTERS_GBK},
        {{"--encoding=gbk"}, MONSTERS_GBK},
        {{"--encoding", "gbk", "--"}, MONSTERS_GBK},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments = {"list"};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        arguments.push_back(argumentFor(file));
        const ProgramRun result = run(arguments);
        EXPECT_EQ(result.exitCode, 0) << ::testing::PrintToString(c.options);
        EXPECT_EQ(result.out, c.expected) << ::testing::PrintToString(c.options);
        EXPECT_EQ(result.err, "");
    }
}

TEST_F(ListCommand, ListsTheRecordsThatBeginInsideTheFile) {
    const std::string header = "(透明怪) 经验：5\n(A) 经验：6\n";
    struct Case {
        std::int32_t count;
        std::string after;
        std::string expected;
    };
    const Case cases[] = {
        {.count = 2, .after = "", .expected = header},
        {.count = 0, .after = "", .expected = ""},
        {.count = -1, .after = "", .expected = ""},
        {.count = 3, .after = "", .expected = header},
        {.count = 2147483647, .after = "", .expected = header},
        // A third record begins in the trailing zeros: empty name, experience 0.
        {.count = 3, .after = std::string(300, '\0'), .expected = header + "() 经验：0\n"},
        {.count = 2, .after = std::string(300, '\0'), .expected = header},
    };
    for (const Case& c : cases) {
        const DataFileLayout layout{.count = c.count, .after = c.after};
        const std::filesystem::path file =
            write("elements.data", buildDataFile({{u"", 5}, {u"A", 6}}, layout));
        const ProgramRun result = run({"list", argumentFor(file)});
        EXPECT_EQ(result.exitCode, 0) << c.count;
        EXPECT_EQ(result.out, c.expected)
            << c.count << " with " << c.after.size() << " bytes after";
    }
}

#if !defined(_WIN32)
TEST_F(ListCommand, OutputThatCannotBeWrittenFails) {
    const std::filesystem::path file = write("elements.data", buildDataFile(MONSTERS));
    const ProgramRun result = run({"list", argumentFor(file)}, {.standardOutput = "/dev/full"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(isOneLine(result.err)) << result.err;
    EXPECT_NE(result.err.find("standard output"), std::string::npos) << result.err;
}
#endif

TEST_F(InfoCommand, DescribesWhereTheTableLies) {
    const std::size_t records = 4 * RECORD_STRIDE;
    struct Case {
        DataFileLayout layout;
        std::string expected;
    };
    const Case cases[] = {
        {.layout = {},
         .expected = "table_offset: 20\nstored_count: 4\nrecords_in_file: 4\nfile_size: " +
                     std::to_string(16 + 4 + records + 26) + "\n"},
        // 26 trailing bytes hold the start of a fifth record, and no more.
        {.layout = {.count = 10},
         .expected = "table_offset: 20\nstored_count: 10\nrecords_in_file: 5\nfile_size: " +
                     std::to_string(16 + 4 + records + 26) + "\n"},
        {.layout = {.before = "", .count = -3, .after = ""},
         .expected = "table_offset: 4\nstored_count: -3\nrecords_in_file: 0\nfile_size: " +
                     std::to_string(4 + records) + "\n"},
    };
    for (const Case& c : cases) {
        const std::filesystem::path file =
            write("elements.data", buildDataFile(MONSTERS, c.layout));
        const ProgramRun result = run({"info", argumentFor(file)});
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.out, c.expected);
        EXPECT_EQ(result.err, "");
    }
}

TEST_F(ScaleCommand, WritesWhatTheWindowWouldSave) {
    struct Case {
        std::vector<std::string> arguments;
        std::vector<std::int32_t> experiences;  // of MONSTERS, as saved
        std::string summary;                    // the end of the message
    };
    const Case cases[] = {
        {{"-o", "{out}", "{in}", "2"},
         {200, 600, -14, 200000000},
         ": 4 scaled by 2, 1 capped at 200000000\n"},
        {{"-o", "{out}", "--", "{in}", "-0.5"},
         {-50, -150, 3, -75000000},
         ", 0 capped at 200000000\n"},
        // Options end at FILE: a negative factor after it needs no "--".
        {{"-o", "{out}", "{in}", "-0.5"}, {-50, -150, 3, -75000000}, ", 0 capped at 200000000\n"},
        // Not a number to the factor box, so 0.
        {{"-o", "{out}", "--", "{in}", "--5"}, {0, 0, 0, 0}, ", 0 capped at 200000000\n"},
        // Full-width digits typed in a UTF-8 terminal reach the factor box's folding as GBK.
        {{"-o", "{out}", "{in}", "１．５"},
         {150, 450, -10, 200000000},
         ", 1 capped at 200000000\n"},
    };
    const std::string original = buildDataFile(MONSTERS);
    const std::filesystem::path in = write("elements.data", original);
    for (const Case& c : cases) {
        std::filesystem::remove(path("scaled.data"));
        std::vector<std::string> arguments = {"scale"};
        for (const std::string& a : substituted(c.arguments, in, path("scaled.data")))
            arguments.push_back(a);
        const ProgramRun result = run(arguments);
        const std::string shown = ::testing::PrintToString(c.arguments);
        EXPECT_EQ(result.exitCode, 0) << shown << result.err;
        EXPECT_EQ(read(path("scaled.data")),
                  buildDataFile(withExperiences(MONSTERS, c.experiences)))
            << shown;
        EXPECT_EQ(read(in), original);
        EXPECT_EQ(result.out, "");
        EXPECT_TRUE(isOneLine(result.err)) << result.err;
        EXPECT_TRUE(result.err.ends_with(c.summary)) << shown << result.err;
    }
}

TEST_F(ScaleCommand, ReplacesAnExistingFileOrItsOwnInput) {
    const std::string scaled = buildDataFile(withExperiences(MONSTERS, {300, 900, -21, 200000000}));
    const std::string outputs[] = {"new.data", "existing.data", "elements.data"};
    for (const std::string& output : outputs) {
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        const std::filesystem::path in = write("elements.data", buildDataFile(MONSTERS));
        if (output == "existing.data")
            write(output, "an older, longer file that is to be replaced entirely");

        const ProgramRun result =
            run({"scale", "-o", argumentFor(path(output)), argumentFor(in), "3"});
        EXPECT_EQ(result.exitCode, 0) << output << result.err;
        EXPECT_EQ(read(path(output)), scaled) << output;
        std::vector<std::string> expected = {"elements.data", output};
        if (output == "elements.data") expected.pop_back();
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(entries(), expected) << "a temporary file was left behind writing " << output;
    }
}

// Each case writes "in.data" (unless missing) and maybe an old "out.data", then runs scale.
struct FailingScale {
    const char* what;
    std::optional<std::string> input;  // nullopt: no such file
    std::string output = "out.data";
    std::optional<std::string> oldOutput;  // what the output file held before; nullopt: absent
    std::string named;                     // the file the message names
};

TEST_F(ScaleCommand, FailuresLeaveTheOutputAsItWas) {
    const std::string data = buildDataFile(MONSTERS);
    const FailingScale cases[] = {
        {.what = "missing input", .input = std::nullopt, .named = "in.data"},
        {.what = "empty input", .input = "", .oldOutput = "old bytes", .named = "in.data"},
        {.what = "no table",
         .input = "no marker in here",
         .oldOutput = "old bytes",
         .named = "in.data"},
        {.what = "output folder missing",
         .input = data,
         .output = "missing/out.data",
         .named = "out.data"},
        {.what = "output is a folder", .input = data, .output = "folder", .named = "folder"},
    };
    for (const FailingScale& c : cases) {
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_ / "folder");
        if (c.input) write("in.data", *c.input);
        if (c.oldOutput) write(c.output, *c.oldOutput);
        const std::vector<std::string> before = entries();

        const ProgramRun result =
            run({"scale", "-o", argumentFor(path(c.output)), argumentFor(path("in.data")), "2"});
        EXPECT_EQ(result.exitCode, 1) << c.what;
        EXPECT_EQ(result.out, "") << c.what;
        EXPECT_TRUE(isOneLine(result.err)) << c.what << ": " << result.err;
        EXPECT_NE(result.err.find(c.named), std::string::npos) << c.what << ": " << result.err;
        EXPECT_EQ(entries(), before) << c.what;
        if (c.oldOutput) {
            EXPECT_EQ(read(path(c.output)), *c.oldOutput) << c.what;
        }
        EXPECT_TRUE(std::filesystem::is_directory(path("folder"))) << c.what;
    }
}

#if !defined(_WIN32)
// A write that fails part-way (past RLIMIT_FSIZE) must not leave a partial file anywhere.
TEST_F(ScaleCommand, AWriteCutShortLeavesNothingBehind) {
    const DataFileLayout large{.after = std::string(3u << 20, 'x')};
    const std::string data = buildDataFile(MONSTERS, large);
    const std::string outputs[] = {"new.data", "existing.data", "elements.data"};
    for (const std::string& output : outputs) {
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        const std::filesystem::path in = write("elements.data", data);
        if (output == "existing.data") write(output, "old bytes");
        const std::vector<std::string> before = entries();
        const std::string oldOutput = read(path(output));

        const ProgramRun result =
            run({"scale", "-o", argumentFor(path(output)), argumentFor(in), "2"},
                {.fileSizeLimit = 1u << 20});
        EXPECT_EQ(result.exitCode, 1) << output;
        EXPECT_TRUE(isOneLine(result.err)) << result.err;
        EXPECT_NE(result.err.find(output), std::string::npos) << result.err;
        EXPECT_EQ(entries(), before) << output;
        EXPECT_EQ(read(path(output)), oldOutput) << output;
    }
}
#endif

TEST_F(CliTest, UnreadableFilesFailListAndInfoAlike) {
    struct Case {
        const char* what;
        std::optional<std::string> content;  // nullopt: a folder of that name
        bool exists = true;
    };
    const Case cases[] = {
        {.what = "missing", .content = "", .exists = false},
        {.what = "empty", .content = ""},
        {.what = "no table", .content = "game data without the monster table"},
        {.what = "a folder", .content = std::nullopt},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        if (!c.content) std::filesystem::create_directories(path("elements.data"));
        if (c.content && c.exists) write("elements.data", *c.content);
        for (const char* command : {"list", "info"}) {
            const ProgramRun result = run({command, argumentFor(path("elements.data"))});
            EXPECT_EQ(result.exitCode, 1) << command << ", " << c.what;
            EXPECT_EQ(result.out, "") << command << ", " << c.what;
            EXPECT_TRUE(isOneLine(result.err)) << command << ", " << c.what << ": " << result.err;
            EXPECT_NE(result.err.find("elements.data"), std::string::npos) << result.err;
        }
    }
}

TEST_F(CommandLine, UsageErrorsExitTwoAndDoNothing) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"frobnicate", "{in}"},
        {"list"},
        {"list", "{in}", "{in}"},
        {"list", "--encoding", "latin1", "{in}"},
        {"list", "--encoding=", "{in}"},
        {"list", "--encoding"},
        {"list", "--bogus", "{in}"},
        {"list", "-o", "{out}", "{in}"},
        {"info"},
        {"info", "{in}", "extra"},
        {"info", "--encoding", "gbk", "{in}"},
        {"scale", "{in}", "2"},
        {"scale", "-o"},
        {"scale", "-o", "{out}", "{in}"},
        {"scale", "-o", "{out}", "--", "{in}"},
        {"scale", "-o", "{out}", "{in}", "2", "3"},
        {"scale", "--encoding", "gbk", "-o", "{out}", "{in}", "2"},
        {"--version", "list"},
        {"-o", "{out}", "scale", "{in}", "2"},
    };
    const std::filesystem::path in = write("elements.data", buildDataFile(MONSTERS));
    for (const std::vector<std::string>& arguments : cases) {
        const ProgramRun result = run(substituted(arguments, in, path("out.data")));
        const std::string shown = ::testing::PrintToString(arguments);
        EXPECT_EQ(result.exitCode, 2) << shown;
        EXPECT_EQ(result.out, "") << shown;
        EXPECT_NE(result.err.find("Usage: expscale"), std::string::npos) << shown << result.err;
        EXPECT_EQ(entries(), std::vector<std::string>{"elements.data"}) << shown;
    }
}

TEST_F(CommandLine, HelpAndVersionGoToStandardOutput) {
    const std::vector<std::string> helps[] = {
        {"--help"}, {"-h"}, {"list", "--help"}, {"scale", "-h"}};
    for (const std::vector<std::string>& arguments : helps) {
        const ProgramRun result = run(arguments);
        EXPECT_EQ(result.exitCode, 0) << arguments[0];
        EXPECT_TRUE(result.out.starts_with("Usage: expscale list")) << result.out;
        EXPECT_EQ(result.err, "");
    }
    const ProgramRun version = run({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "expscale " EXPSCALE_VERSION "\n");
}

// On Windows the paths come from the wide command line, so names outside code page 936 work.
TEST_F(CommandLine, PathsOutsideCodePage936) {
    const std::filesystem::path folder = folder_ / std::filesystem::path(u8"Ｌｅｖｅｌ ✓ 😀");
    std::filesystem::create_directories(folder);
    const std::filesystem::path in = folder / std::filesystem::path(u8"elements 😀.data");
    const std::filesystem::path out = folder / std::filesystem::path(u8"scaled ✓.data");
    std::ofstream(in, std::ios::binary) << buildDataFile(MONSTERS);

    const ProgramRun listed = run({"list", "--encoding", "gbk", argumentFor(in)});
    EXPECT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_EQ(listed.out, MONSTERS_GBK);

    const ProgramRun scaled = run({"scale", "-o", argumentFor(out), argumentFor(in), "0.5"});
    EXPECT_EQ(scaled.exitCode, 0) << scaled.err;
    EXPECT_EQ(read(out), buildDataFile(withExperiences(MONSTERS, {50, 150, -3, 75000000})));
}

}  // namespace
}  // namespace expscale
