#include "record_table/record_table.h"

#include <gtest/gtest.h>

#include <string>

namespace expscale {
namespace {

std::string marker() { return std::string(TableMarker.begin(), TableMarker.end()); }

std::string bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) out.push_back(static_cast<char>(v));
    return out;
}

TEST(FindTableStart, FindsTheFirstOccurrenceAtAnyOffset) {
    struct Case {
        const char* what;
        std::string data;
        Position expected;
    };
    const std::string m = marker();
    std::string nearMiss = m;
    nearMiss[123] = 1;  // the last byte differs
    // A run of 04 0F 90 candidates that are not the marker, then the marker unaligned.
    std::string decoys;
    for (int i = 0; i < 40; ++i) decoys += bytes({4, 0, 0, 0, 3, 0, 0, 0, 0x0F, 0x90, 0x0E});
    const Case cases[] = {
        {"empty", "", NO_TABLE},
        {"shorter than the marker", m.substr(0, 123), NO_TABLE},
        {"exactly the marker", m, 1},
        {"offset 1", "x" + m, 2},
        {"offset 3", "abc" + m, 4},
        {"twice: the first wins", "zz" + m + "yy" + m, 3},
        {"a near miss only", nearMiss + std::string(200, '\0'), NO_TABLE},
        {"near miss, then the marker", nearMiss + m, 125},
        {"after decoys", decoys + "q" + m, static_cast<Position>(decoys.size() + 2)},
        {"at the very end of a long buffer", std::string(5000, '\x04') + m, 5001},
        {"cut by the end", std::string(100, '\0') + m.substr(0, 100), NO_TABLE},
    };
    for (const Case& c : cases) EXPECT_EQ(findTableStart(c.data), c.expected) << c.what;
}

TEST(FindTableStart, HandlesEveryOffsetAroundTheVectorBlocks) {
    // The scan works on 16-byte blocks and finishes byte by byte; every offset must be found.
    for (std::size_t offset = 0; offset < 70; ++offset) {
        for (std::size_t tail = 0; tail < 20; ++tail) {
            const std::string data = std::string(offset, '\x04') + marker() + std::string(tail, '\x04');
            ASSERT_EQ(findTableStart(data), static_cast<Position>(offset + 1))
                << "offset " << offset << " tail " << tail;
        }
    }
}

TEST(SliceBytes, ClampsToTheGivenBytes) {
    struct Case {
        WidePosition position;
        std::int64_t length;
        std::string expected;
    };
    const std::string data = "abcdefgh";
    const Case cases[] = {
        {1, 3, "abc"},  {6, 3, "fgh"},   {7, 4, "gh"},      {8, 1, "h"},   {9, 4, ""},
        {100, 4, ""},   {0, 4, "abcd"},  {-5, 4, "abcd"},   {3, 0, ""},    {3, -2, ""},
        {1, 100, data}, {-2147483648LL, 2, "ab"}, {2147483647LL, 4, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sliceBytes(data, c.position, c.length), c.expected)
            << "position " << c.position << " length " << c.length;
    }
    EXPECT_EQ(sliceBytes("", 1, 4), "");
    EXPECT_EQ(sliceBytes(std::string("a\0b", 3), 1, 3), std::string("a\0b", 3));
}

TEST(ReadInt32Field, ReadsLittleEndianWithMissingBytesAsZero) {
    struct Case {
        const char* what;
        std::string data;
        WidePosition position;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"whole field", bytes({0x2C, 0x01, 0, 0}), 1, 300},
        {"only 2C 01 inside", bytes({0, 0, 0x2C, 0x01}), 3, 300},
        {"one byte inside", bytes({0, 0xFF}), 2, 255},
        {"wholly past the end", bytes({1, 2, 3, 4}), 5, 0},
        {"FF FF FF FF", bytes({0xFF, 0xFF, 0xFF, 0xFF}), 1, -1},
        {"00 00 00 80", bytes({0, 0, 0, 0x80}), 1, INT32_MIN},
        {"FF FF FF 7F", bytes({0xFF, 0xFF, 0xFF, 0x7F}), 1, INT32_MAX},
        {"before the first byte", bytes({4, 0, 0, 0, 9}), -5, 4},
        {"empty", "", 1, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(readInt32Field(c.data, c.position), c.expected) << c.what;
}

TEST(RecordTable, CountIsReadThroughTheMarkerItselfNearTheStart) {
    // With the marker at offsets 0..3 the count field overlaps the start of the file and the marker.
    const std::int32_t expected[] = {4, 4 << 8, 4 << 16, 4 << 24};
    for (int offset = 0; offset < 4; ++offset) {
        const std::string data = std::string(static_cast<std::size_t>(offset), '\0') + marker();
        const Position start = findTableStart(data);
        ASSERT_EQ(start, offset + 1);
        EXPECT_EQ(readInt32Field(data, countFieldPosition(start)), expected[offset]) << offset;
    }
}

TEST(DecodeRecordName, StopsAtTheFirstZeroUnitAndIgnoresAnOddByte) {
    struct Case {
        const char* what;
        std::string field;
        std::string expected;
    };
    const std::string full = std::string("A\0", 2) + std::string("B\0", 2);
    std::string thirtyTwo;
    for (int i = 0; i < 32; ++i) thirtyTwo += std::string(1, static_cast<char>('a' + i % 26)) + '\0';
    const Case cases[] = {
        {"empty", "", ""},
        {"one byte", "A", ""},
        {"all zero", std::string(64, '\0'), ""},
        {"no zero unit: all 32 characters", thirtyTwo, std::string("abcdefghijklmnopqrstuvwxyzabcdef")},
        {"units after the zero are ignored", full.substr(0, 2) + std::string(2, '\0') + full, "A"},
        {"odd length: the half unit is dropped", std::string("A\0B", 3), "A"},
        {"five bytes give two characters", full + "C", "AB"},
    };
    for (const Case& c : cases) EXPECT_EQ(decodeRecordName(c.field), c.expected) << c.what;
}

TEST(DecodeRecordName, FirstRecordOfEveryTableIsTheTransparentMonster) {
    const std::string field = sliceBytes(marker(), 1 + NAME_OFFSET, NAME_SIZE);
    ASSERT_EQ(field.size(), 64u);
    EXPECT_EQ(decodeRecordName(field), "\xCD\xB8\xC3\xF7\xB9\xD6");  // "透明怪" in code page 936
}

}  // namespace
}  // namespace expscale
