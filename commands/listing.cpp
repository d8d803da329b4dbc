#include <charconv>

#include "commands/editor.h"

namespace expscale {

TableLocation locateTable(std::string_view fileBytes) {
    const Position start = findTableStart(fileBytes);
    if (start == NO_TABLE) return {};
    return {start, readInt32Field(fileBytes, countFieldPosition(start))};
}

std::int64_t recordsToWalk(std::uint64_t fileSize, Position tableStart, std::int32_t recordCount) {
    if (tableStart < 1 || recordCount <= 0) return 0;
    const auto firstOffset = static_cast<std::int64_t>(tableStart) - 1;
    const auto bytesFromTable = static_cast<std::int64_t>(fileSize) - firstOffset;
    if (bytesFromTable <= 0) return 0;
    const std::int64_t recordsStarted = (bytesFromTable + RECORD_STRIDE - 1) / RECORD_STRIDE;
    return std::min<std::int64_t>(recordCount, recordsStarted);
}

Text recordListLine(std::string_view fileBytes, WidePosition recordStart) {
    static constexpr std::string_view experienceLabel = "\x29\x20\xBE\xAD\xD1\xE9\xA3\xBA";  // ") 经验："
    const std::string_view nameField =
        clampedRun(fileBytes, nameFieldPosition(recordStart), NAME_SIZE);
    const std::int32_t experience = readInt32Field(fileBytes, experienceFieldPosition(recordStart));

    char digits[16];
    const auto end = std::to_chars(std::begin(digits), std::end(digits), experience).ptr;
    Text line = "(";
    line += decodeRecordName(nameField);
    line += experienceLabel;
    line.append(digits, end);
    return line;
}

}  // namespace expscale
