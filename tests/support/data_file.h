// Builds data files for tests: some leading bytes, the count, records, some trailing bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "record_table/record_table.h"

namespace expscale::testing {

struct TestRecord {
    std::u16string name;  // at most 32 units; the first record's name is always the marker's
    std::int32_t experience = 0;
};

struct DataFileLayout {
    std::string before = "game data header";
    std::optional<std::int32_t> count;  // the stored count; the number of records when absent
    std::string after = "trailing bytes of the file";
};

inline void putInt32(std::string& bytes, std::size_t offset, std::int32_t value) {
    const auto raw = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>(raw >> (8 * i));
}

// One 692-byte record; the bytes nobody interprets get a pattern so that a stray write shows.
inline std::string buildRecord(std::size_t index, const TestRecord& record) {
    std::string bytes(RECORD_STRIDE, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(0x41 + (i + index * 3) % 23);
    if (index == 0) {
        bytes.replace(0, TABLE_MARKER_SIZE, std::string(TableMarker.begin(), TableMarker.end()));
    } else {
        for (std::size_t u = 0; u < 32; ++u) {
            const char16_t unit = u < record.name.size() ? record.name[u] : 0;
            bytes[NAME_OFFSET + 2 * u] = static_cast<char>(unit & 0xFF);
            bytes[NAME_OFFSET + 2 * u + 1] = static_cast<char>(unit >> 8);
        }
    }
    putInt32(bytes, EXPERIENCE_OFFSET, record.experience);
    return bytes;
}

inline std::string buildDataFile(const std::vector<TestRecord>& records, const DataFileLayout& layout = {}) {
    std::string bytes = layout.before + std::string(4, '\0');
    putInt32(bytes, layout.before.size(), layout.count.value_or(static_cast<std::int32_t>(records.size())));
    for (std::size_t i = 0; i < records.size(); ++i) bytes += buildRecord(i, records[i]);
    return bytes + layout.after;
}

// Offset of record i's experience field in a file built with `layout`.
inline std::size_t experienceOffset(const DataFileLayout& layout, std::size_t index) {
    return layout.before.size() + 4 + index * RECORD_STRIDE + EXPERIENCE_OFFSET;
}

}  // namespace expscale::testing
