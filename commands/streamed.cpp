#include "commands/streamed.h"

namespace expscale {

namespace {

// Each chunk after the first starts with the previous one's last bytes, so a marker cut by the
// chunk boundary, and the count field before it, are seen whole in the next chunk.
constexpr std::size_t CARRIED = TABLE_MARKER_SIZE - 1 + RecordTable::COUNT_SIZE;

std::optional<TableLocation> findTableInChunks(const ByteSource& source, std::size_t chunk,
                                               std::uint64_t& markerOffset) {
    std::string window;
    std::uint64_t windowStart = 0;
    while (windowStart + window.size() < source.size) {
        const std::size_t carried = window.size();
        window.resize(carried + chunk);
        const std::optional<std::size_t> got = source.readAt(windowStart + carried, window.data() + carried, chunk);
        if (!got) return std::nullopt;
        window.resize(carried + *got);
        const Position found = findTableStart(window);
        if (found != NO_TABLE) {
            markerOffset = windowStart + static_cast<std::uint64_t>(found) - 1;
            return TableLocation{static_cast<Position>(markerOffset + 1),
                                 readInt32Field(window, countFieldPosition(found))};
        }
        if (*got == 0) break;  // the file shrank
        const std::size_t keep = std::min(window.size(), CARRIED);
        windowStart += window.size() - keep;
        window.erase(0, window.size() - keep);
    }
    return TableLocation{};
}

}  // namespace

std::optional<TableRegion> readTableRegion(const ByteSource& source, std::size_t chunk) {
    TableRegion region;
    const std::optional<TableLocation> table = findTableInChunks(source, chunk, region.offset);
    if (!table) return std::nullopt;
    region.table = *table;
    if (table->tableStart == NO_TABLE) return region;

    // Read as far as the walked records reach, and no further.
    const std::int64_t walked = recordsToWalk(source.size, table->tableStart, table->recordCount);
    const std::uint64_t length = std::min<std::uint64_t>(source.size - region.offset,
                                                         static_cast<std::uint64_t>(walked) * RECORD_STRIDE);
    std::optional<ByteString> records = fillNewBytes(length, [&](char* data, std::size_t n) {
        return source.readAt(region.offset, data, n);
    });
    if (!records) return std::nullopt;
    region.records = std::move(*records);
    return region;
}

bool copyThrough(const ByteSource& source, std::uint64_t offset, std::uint64_t length,
                 const std::function<void(std::string_view)>& emit, std::size_t chunk) {
    std::string buffer(chunk, '\0');
    while (length > 0) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(length, chunk));
        const std::optional<std::size_t> got = source.readAt(offset, buffer.data(), want);
        if (!got) return false;
        if (*got == 0) break;  // the file shrank
        emit(std::string_view(buffer.data(), *got));
        offset += *got;
        length -= *got;
    }
    return true;
}

std::optional<ScaleSummary> emitScaledFile(const ByteSource& source, const TableRegion& region, float factor,
                                           const std::function<void(std::string_view)>& emit,
                                           std::size_t chunk) {
    WorkingCopy copy;
    setData(copy, region.records);
    const ScaleSummary summary =
        region.table.tableStart == NO_TABLE
            ? ScaleSummary{}
            : scaleRecords(copy, region.records, 1, region.table.recordCount, factor);
    const std::uint64_t after = region.offset + region.records.size();
    if (!copyThrough(source, 0, region.offset, emit, chunk)) return std::nullopt;
    forEachPiece(copy, emit);
    if (!copyThrough(source, after, source.size - after, emit, chunk)) return std::nullopt;
    return summary;
}

}  // namespace expscale
