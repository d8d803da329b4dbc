// The monster record table inside a game data file, and the clamped reads over the file's bytes.
//
// Positions are 1-based and 32-bit signed: position p is the byte at offset p - 1, and -1 means
// "no table". Every read goes through the clamping rules below, so no input can make a read reach
// outside the bytes it was given.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace expscale {

// Owned, length-counted bytes that may contain zeros (file contents, field slices).
using ByteString = std::string;
// Code page 936 text (list lines, decoded names, control texts).
using Text = std::string;

// Stored positions (the table start, the walk's cursor) are 32-bit; arithmetic on them is done in
// 64 bits so that adding a field offset never overflows.
using Position = std::int32_t;
using WidePosition = std::int64_t;
inline constexpr Position NO_TABLE = -1;

// One monster record: 692 bytes, of which only the name and the experience mean anything.
struct MonsterRecord {
    static constexpr std::int32_t SIZE = 692;
};
inline constexpr std::int32_t RECORD_STRIDE = MonsterRecord::SIZE;
inline constexpr std::int32_t NAME_OFFSET = 8;
inline constexpr std::int32_t NAME_SIZE = 64;
inline constexpr std::int32_t EXPERIENCE_OFFSET = 248;
inline constexpr std::int32_t EXPERIENCE_SIZE = 4;

// The table: a 32-bit count just before the first record, then `count` records back to back.
struct RecordTable {
    static constexpr std::int32_t COUNT_SIZE = 4;
};

// The first 124 bytes of record 1 of every table: ids 4 and 3, then the name "透明怪" (UTF-16LE)
// in the name field and twice more in the following fields, zeros elsewhere.
inline constexpr std::size_t TABLE_MARKER_SIZE = 124;
extern const std::array<unsigned char, TABLE_MARKER_SIZE> TableMarker;

// Position of the first byte of the first occurrence of TableMarker, or NO_TABLE.
Position findTableStart(std::string_view bytes);

// The run of `bytes` at `position` with `length`, clamped to lie inside `bytes`: a start before
// the first byte moves to it (keeping the full length), a start past the end gives an empty run,
// a negative length counts as 0 and a run past the end is cut. Never copies.
std::string_view clampedRun(std::string_view bytes, WidePosition position, std::int64_t length);

// A new byte string holding the clamped run.
ByteString sliceBytes(std::string_view bytes, WidePosition position, std::int64_t length);

// Little-endian signed 32-bit value at `position`; bytes missing past the end count as zero.
std::int32_t readInt32Field(std::string_view bytes, WidePosition position);

// The record addressing, for a table whose first record is at `tableStart`.
inline WidePosition countFieldPosition(WidePosition tableStart) {
    return tableStart - RecordTable::COUNT_SIZE;
}
inline WidePosition nameFieldPosition(WidePosition recordStart) { return recordStart + NAME_OFFSET; }
inline WidePosition experienceFieldPosition(WidePosition recordStart) {
    return recordStart + EXPERIENCE_OFFSET;
}

// The name field's UTF-16LE name, up to its first zero unit, converted to code page 936.
Text decodeRecordName(std::string_view nameField);

}  // namespace expscale
