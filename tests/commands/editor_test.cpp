#include <gtest/gtest.h>

#include "commands/editor.h"
#include "tests/commands/editor_fixture.h"
#include "tests/support/data_file.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#endif

namespace expscale {
namespace {

using testing::buildDataFile;
using testing::DataFileLayout;
using testing::experienceOffset;
using testing::fakeWindow;
using testing::TestRecord;

const std::string TRANSPARENT_MONSTER = "\xCD\xB8\xC3\xF7\xB9\xD6";  // "透明怪"
const std::string EXPERIENCE_LABEL = ") \xBE\xAD\xD1\xE9\xA3\xBA";  // ") 经验："

std::string line(const std::string& name, std::int32_t experience) {
    return "(" + name + EXPERIENCE_LABEL + std::to_string(experience);
}

using EditorTest = testing::EditorFixture;

TEST_F(EditorTest, OpenListsEveryRecordWithItsNameAndExperience) {
    const std::u16string thirtyTwo(32, u'\u72FC');  // "狼" × 32, no zero unit in the field
    const std::string bytes = buildDataFile({{u"", 5},
                                             {u"\u72FC", -42},  // "狼"
                                             {thirtyTwo, 2147483647},
                                             {u"", -2147483647 - 1}});
    open(write("elements.data", bytes));

    std::string wolves;
    for (int i = 0; i < 32; ++i) wolves += "\xC0\xC7";
    EXPECT_EQ(fakeWindow.listItems, (std::vector<std::string>{
                                        line(TRANSPARENT_MONSTER, 5), line("\xC0\xC7", -42),
                                        line(wolves, 2147483647), line("", -2147483647 - 1)}));
    EXPECT_EQ(fakeWindow.editTexts[Control::编辑框1], path("elements.data").string());
    const Position start = static_cast<Position>(DataFileLayout{}.before.size() + 5);
    EXPECT_EQ(editorState.tableStart, start);
    EXPECT_EQ(editorState.recordCount, 4);
    EXPECT_EQ(editorState.cursor, start + 4 * RECORD_STRIDE);
    EXPECT_EQ(editorState.fileBytes, bytes);
}

TEST_F(EditorTest, ReopenReplacesAndCancelKeepsEverything) {
    open(write("a.data", buildDataFile({{u"", 1}, {u"A", 2}, {u"B", 3}})));
    open(write("b.data", buildDataFile({{u"", 9}})));
    EXPECT_EQ(fakeWindow.listItems, std::vector<std::string>{line(TRANSPARENT_MONSTER, 9)});
    EXPECT_EQ(editorState.recordCount, 1);

    const EditorState before = editorState;
    fakeWindow.answers[FileDialog::通用对话框1].push_back(std::nullopt);
    onOpenFile();
    EXPECT_EQ(fakeWindow.listItems, std::vector<std::string>{line(TRANSPARENT_MONSTER, 9)});
    EXPECT_EQ(fakeWindow.editTexts[Control::编辑框1], path("b.data").string());
    EXPECT_EQ(editorState.fileBytes, before.fileBytes);
    EXPECT_EQ(editorState.cursor, before.cursor);
}

TEST_F(EditorTest, FilesWithoutATableListNothing) {
    struct Case {
        const char* what;
        std::optional<std::string> bytes;  // nullopt: the file does not exist
        Position tableStart;
    };
    const Case cases[] = {
        {"missing", std::nullopt, NO_TABLE},
        {"empty", std::string(), NO_TABLE},
        {"no marker", std::string(5000, '\x04'), NO_TABLE},
    };
    for (const Case& c : cases) {
        open(write("full.data", buildDataFile({{u"", 1}, {u"A", 2}})));
        const std::filesystem::path file = path(std::string(c.what) + ".data");
        if (c.bytes) write(file.filename().string(), *c.bytes);
        open(file);
        EXPECT_TRUE(fakeWindow.listItems.empty()) << c.what;
        EXPECT_EQ(editorState.tableStart, c.tableStart) << c.what;
        EXPECT_EQ(editorState.recordCount, 0) << c.what;
        EXPECT_EQ(editorState.fileBytes, c.bytes.value_or("")) << c.what;
        EXPECT_EQ(fakeWindow.editTexts[Control::编辑框1], file.string()) << c.what;
    }
}

TEST_F(EditorTest, CountsBeyondTheFileListOnlyRecordsThatBeginInIt) {
    struct Case {
        std::int32_t count;
        std::size_t cutTo;  // bytes of the last record kept
        std::vector<std::string> lines;
    };
    const std::vector<TestRecord> records = {{u"", 7}, {u"\u72FC", 300}};
    const Case cases[] = {
        {0, RECORD_STRIDE, {}},
        {-1, RECORD_STRIDE, {}},
        {-2147483647 - 1, RECORD_STRIDE, {}},
        {2147483647, RECORD_STRIDE, {line(TRANSPARENT_MONSTER, 7), line("\xC0\xC7", 300)}},
        // Cut inside the experience field: only 2C 01 of 300 remain.
        {5, EXPERIENCE_OFFSET + 2, {line(TRANSPARENT_MONSTER, 7), line("\xC0\xC7", 300)}},
        // Cut inside the name: the whole code units present, then the experience reads 0.
        {5, NAME_OFFSET + 3, {line(TRANSPARENT_MONSTER, 7), line("\xC0\xC7", 0)}},
        {5, 1, {line(TRANSPARENT_MONSTER, 7), line("", 0)}},
    };
    for (const Case& c : cases) {
        std::string bytes = buildDataFile(records, {.before = "xy", .count = c.count, .after = ""});
        bytes.resize(bytes.size() - RECORD_STRIDE + c.cutTo);
        open(write("cut.data", bytes));
        EXPECT_EQ(fakeWindow.listItems, c.lines) << c.count << " cut to " << c.cutTo;
    }
}

TEST_F(EditorTest, FactorOneSavesTheOpenedBytesExactly) {
    const std::string bytes = buildDataFile({{u"", 1}, {u"A", 200000000}, {u"B", -7}});
    open(write("elements.data", bytes));
    const auto target = write("copy.data", "old");
    save("1", target);
    EXPECT_EQ(read(target), bytes);
    EXPECT_TRUE(fakeWindow.errorBoxes.empty());
}

TEST_F(EditorTest, SaveChangesOnlyExperienceFields) {
    const DataFileLayout layout;
    const std::string bytes = buildDataFile({{u"", 10}, {u"A", 100}, {u"B", 300000000}}, layout);
    open(write("elements.data", bytes));
    const auto target = write("out.data", "");
    save("0.7", target);

    std::string expected = bytes;
    testing::putInt32(expected, experienceOffset(layout, 0), 6);
    testing::putInt32(expected, experienceOffset(layout, 1), 69);
    testing::putInt32(expected, experienceOffset(layout, 2), 200000000);
    EXPECT_EQ(read(target), expected);
    // The opened values stay what the list shows and what the next save scales.
    EXPECT_EQ(editorState.fileBytes, bytes);
    EXPECT_EQ(editorState.cursor, editorState.tableStart + 3 * RECORD_STRIDE);
}

TEST_F(EditorTest, EverySaveScalesTheOpenedValues) {
    const DataFileLayout layout;
    const std::string bytes = buildDataFile({{u"", 10}, {u"A", 21}}, layout);
    const auto opened = write("elements.data", bytes);
    open(opened);
    std::string doubled = bytes;
    testing::putInt32(doubled, experienceOffset(layout, 0), 20);
    testing::putInt32(doubled, experienceOffset(layout, 1), 42);

    const auto other = write("other.data", "x");
    save("2", other);
    save("2", opened);  // over the opened file itself
    save("2", other);
    EXPECT_EQ(read(other), doubled);
    EXPECT_EQ(read(opened), doubled);
    EXPECT_EQ(fakeWindow.listItems[1], line("A", 21));
}

TEST_F(EditorTest, NoRecordsSavesAnExactCopyWhateverTheFactor) {
    for (const std::int32_t count : {0, -1}) {
        const std::string bytes = buildDataFile({{u"", 10}}, {.count = count});
        open(write("elements.data", bytes));
        const auto target = write("out.data", "");
        save("abc", target);
        EXPECT_EQ(read(target), bytes) << count;
    }
}

TEST_F(EditorTest, ACutLastExperienceFieldGrowsTheCopy) {
    // The file ends two bytes into the last experience field: 2C 01 reads 300, doubled is 600.
    std::string bytes = buildDataFile({{u"", 10}, {u"A", 300}}, {.after = ""});
    bytes.resize(bytes.size() - RECORD_STRIDE + EXPERIENCE_OFFSET + 2);
    open(write("cut.data", bytes));
    const auto target = write("out.data", "");
    save("2", target);

    const std::string saved = read(target);
    ASSERT_EQ(saved.size(), bytes.size() + 2);
    EXPECT_EQ(saved.substr(saved.size() - 4), std::string("\x58\x02\x00\x00", 4));
    EXPECT_EQ(saved.substr(0, bytes.size() - 2), [&] {
        std::string expected = bytes.substr(0, bytes.size() - 2);
        testing::putInt32(expected, experienceOffset({}, 0), 20);
        return expected;
    }());
}

TEST_F(EditorTest, NothingIsWrittenWithoutAConfirmedDialogOrAnOpenedFile) {
    const auto target = write("keep.data", "precious");
    // Nothing opened yet: the dialog shows, but an existing file is never emptied.
    save("2", target);
    EXPECT_EQ(fakeWindow.dialogsShown, 1);
    EXPECT_EQ(read(target), "precious");

    open(write("elements.data", buildDataFile({{u"", 10}})));
    fakeWindow.answers[FileDialog::通用对话框2].push_back(std::nullopt);
    onBatchModifySave();
    EXPECT_EQ(read(target), "precious");
    EXPECT_EQ(entries(), (std::vector<std::string>{"elements.data", "keep.data"}));
}

TEST_F(EditorTest, AFailedSaveLeavesTheTargetAndReportsWhy) {
    open(write("elements.data", buildDataFile({{u"", 10}})));
    std::filesystem::create_directories(path("a folder") / "inside");
    const std::filesystem::path targets[] = {path("no such folder") / "out.data", path("a folder")};
    for (const auto& target : targets) {
        fakeWindow.errorBoxes.clear();
        save("2", target);
        ASSERT_EQ(fakeWindow.errorBoxes.size(), 1u) << target;
        EXPECT_NE(fakeWindow.errorBoxes[0].find(target.filename().string()), std::string::npos);
    }
    EXPECT_TRUE(std::filesystem::is_directory(path("a folder") / "inside"));
    EXPECT_EQ(entries(), (std::vector<std::string>{"a folder", "elements.data"}));
}

#if !defined(_WIN32)
// A file size limit makes the write fail part-way, as a full disk would.
TEST_F(EditorTest, AWriteThatFailsPartWayLeavesTheOldFileWhole) {
    std::string bytes = buildDataFile({{u"", 10}, {u"A", 20}});
    bytes += std::string(3u << 20, 'z');  // larger than one write buffer
    open(write("elements.data", bytes));
    const auto target = write("out.data", "the old content");

    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 1u << 20;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    save("2", target);
    setrlimit(RLIMIT_FSIZE, &saved);

    EXPECT_EQ(read(target), "the old content");
    ASSERT_EQ(fakeWindow.errorBoxes.size(), 1u);
    EXPECT_EQ(entries(), (std::vector<std::string>{"elements.data", "out.data"}));
}

// Makes a folder refuse new files, or lets it take them again. Permission bits do not stop root
// (CI runs as root), the immutable flag does.
bool setFolderWritable(const std::filesystem::path& folder, bool writable) {
    if (geteuid() != 0) return ::chmod(folder.c_str(), writable ? 0755 : 0555) == 0;
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    int flags = 0;
    bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = writable ? flags & ~FS_IMMUTABLE_FL : flags | FS_IMMUTABLE_FL;
    done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (fd >= 0) ::close(fd);
    return done;
}

TEST_F(EditorTest, ASaveIntoAFolderThatTakesNoNewFilesLeavesTheTarget) {
    open(write("elements.data", buildDataFile({{u"", 10}})));
    std::filesystem::create_directories(path("locked"));
    const auto target = path("locked") / "out.data";
    std::ofstream(target, std::ios::binary) << "the old content";
    ASSERT_TRUE(setFolderWritable(path("locked"), false)) << "cannot lock the folder";
    save("2", target);
    ASSERT_TRUE(setFolderWritable(path("locked"), true));

    EXPECT_EQ(read(target), "the old content");
    ASSERT_EQ(fakeWindow.errorBoxes.size(), 1u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(path("locked")), {}), 1);
}
#endif

}  // namespace
}  // namespace expscale
