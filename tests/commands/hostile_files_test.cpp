// Files made to hurt: cut records, counts at the extremes, huge sparse files, files that change
// under the editor, names no code page can spell. None may crash, hang or write past the rules.
#include <gtest/gtest.h>

#include <fstream>

#if !defined(_WIN32)
#include <sys/resource.h>
#endif

#include "commands/editor.h"
#include "tests/commands/editor_fixture.h"
#include "tests/support/data_file.h"

namespace expscale {
namespace {

using testing::buildDataFile;
using testing::DataFileLayout;
using testing::fakeWindow;

using HostileFileTest = testing::EditorFixture;

TEST_F(HostileFileTest, LastRecordCutAtEveryLength) {
    const DataFileLayout layout{.before = "h", .count = 2, .after = ""};
    const std::string whole = buildDataFile({{u"", 10}, {u"\u72FC", 0x01020304}}, layout);
    const std::size_t lastField = testing::experienceOffset(layout, 1);
    for (std::size_t keep = 1; keep <= RECORD_STRIDE; ++keep) {
        const std::string bytes = whole.substr(0, whole.size() - RECORD_STRIDE + keep);
        open(write("cut.data", bytes));
        ASSERT_EQ(fakeWindow.listItems.size(), 2u) << keep;
        save("1", write("out.data", ""));

        // Factor 1 rewrites each field with what it read: the same bytes, plus the zeros that
        // stood for the missing bytes of a cut last field.
        std::string expected = bytes;
        if (bytes.size() > lastField && bytes.size() < lastField + 4) expected.resize(lastField + 4, '\0');
        ASSERT_EQ(read(path("out.data")), expected) << keep;
    }
}

TEST_F(HostileFileTest, ExtremeCountsReturnAtOnce) {
    for (const std::int32_t count : {2147483647, -2147483647 - 1, -1}) {
        const std::string bytes = buildDataFile({{u"", 10}, {u"A", 20}}, {.count = count, .after = ""});
        open(write("count.data", bytes));
        EXPECT_EQ(fakeWindow.listItems.size(), count > 0 ? 2u : 0u) << count;
        save("2", write("out.data", ""));
        const std::string saved = read(path("out.data"));
        EXPECT_EQ(saved.size(), bytes.size()) << count;
        EXPECT_EQ(saved == bytes, count <= 0) << count;
    }
}

TEST_F(HostileFileTest, MarkerAtTheVeryEnd) {
    // The marker is the file's last 124 bytes: one record, cut before its experience field.
    const std::string bytes = std::string(4, '\x01') + std::string(TableMarker.begin(), TableMarker.end());
    open(write("end.data", bytes));
    ASSERT_EQ(fakeWindow.listItems.size(), 1u);
    save("3", write("out.data", ""));
    EXPECT_EQ(read(path("out.data")), bytes);
}

TEST_F(HostileFileTest, TheSaveWritesWhatWasOpenedEvenIfTheFileChangedSince) {
    const DataFileLayout layout;
    const std::string bytes = buildDataFile({{u"", 10}}, layout);
    const auto file = write("elements.data", bytes);
    open(file);
    write("elements.data", "replaced by another program");
    save("2", file);

    std::string expected = bytes;
    testing::putInt32(expected, testing::experienceOffset(layout, 0), 20);
    EXPECT_EQ(read(file), expected);
}

TEST_F(HostileFileTest, NamesOutsideTheCodePageOpenAndSave) {
    // Hangul and an emoji have no code page 936 form; the path must still reach the file system.
    const std::filesystem::path name = std::filesystem::path(u8"\uD55C\uAE00 \U0001F600.data");
    const std::string bytes = buildDataFile({{u"", 10}});
    {
        std::ofstream(folder_ / name, std::ios::binary) << bytes;
    }
    open(folder_ / name);
    ASSERT_EQ(editorState.fileBytes, bytes);
    save("2", folder_ / name);
    EXPECT_TRUE(fakeWindow.errorBoxes.empty());
    EXPECT_NE(read(folder_ / name), bytes);
    EXPECT_EQ(entries().size(), 1u);
}

#if !defined(_WIN32)
TEST_F(HostileFileTest, FilesOfTwoGigabytesAndMoreAreNotOpened) {
    // Sparse: the size is there, the disk space is not.
    const auto file = path("huge.data");
    {
        std::ofstream(file, std::ios::binary) << buildDataFile({{u"", 10}});
    }
    std::filesystem::resize_file(file, 0x80000000u);
    open(file);
    EXPECT_TRUE(editorState.fileBytes.empty());
    EXPECT_EQ(editorState.tableStart, NO_TABLE);
    EXPECT_TRUE(fakeWindow.listItems.empty());
    IoError error;
    EXPECT_FALSE(readWholeFile(file, error));
    EXPECT_EQ(error.step, IoError::Step::tooLarge);
}

#if !defined(__SANITIZE_ADDRESS__)  // the address sanitizer needs far more address space
TEST_F(HostileFileTest, AFileTooLargeForTheMemoryAtHandCountsAsUnreadable) {
    open(write("small.data", buildDataFile({{u"", 10}})));
    const auto file = path("large.data");
    {
        std::ofstream(file, std::ios::binary) << buildDataFile({{u"", 10}});
    }
    std::filesystem::resize_file(file, 1u << 30);  // sparse

    rlimit saved{};
    getrlimit(RLIMIT_AS, &saved);
    rlimit small = saved;
    small.rlim_cur = 512u << 20;  // far more than the test uses, less than the file
    ASSERT_EQ(setrlimit(RLIMIT_AS, &small), 0);
    open(file);
    setrlimit(RLIMIT_AS, &saved);

    EXPECT_TRUE(editorState.fileBytes.empty());
    EXPECT_EQ(editorState.tableStart, NO_TABLE);
    EXPECT_TRUE(fakeWindow.listItems.empty());
}
#endif
#endif

}  // namespace
}  // namespace expscale
