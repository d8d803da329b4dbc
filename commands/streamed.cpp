#include "commands/streamed.h"

#include <cstring>

namespace expscale {

namespace {

// Each chunk after the first starts with the previous one's last bytes, so a marker cut by the
// chunk boundary, and the count field before it, are seen whole in the next chunk.
constexpr std::size_t CARRIED = TABLE_MARKER_SIZE - 1 + RecordTable::COUNT_SIZE;

std::optional<TableLocation> findTableInChunks(const ByteSource& source, std::size_t chunk,
                                               std::uint64_t& markerOffset) {
    // One buffer for the whole search: the carried bytes move to its front, the next chunk after.
    std::string window(CARRIED + chunk, '\0');
    std::size_t carried = 0;
    std::uint64_t windowStart = 0;
    while (windowStart + carried < source.size) {
        const std::optional<std::size_t> got = source.readAt(windowStart + carried, window.data() + carried, chunk);
        if (!got) return std::nullopt;
        const std::string_view seen(window.data(), carried + *got);
        const Position found = findTableStart(seen);
        if (found != NO_TABLE) {
            markerOffset = windowStart + static_cast<std::uint64_t>(found) - 1;
            return TableLocation{static_cast<Position>(markerOffset + 1),
                                 readInt32Field(seen, countFieldPosition(found))};
        }
        if (*got == 0) break;  // the file shrank
        const std::size_t keep = std::min(seen.size(), CARRIED);
        windowStart += seen.size() - keep;
        std::memmove(window.data(), seen.data() + seen.size() - keep, keep);
        carried = keep;
    }
    return TableLocation{};
}

// How many bytes from the first record the walked records reach, cut at the end of the file.
std::uint64_t walkedLength(const ByteSource& source, const TableRegion& region) {
    if (region.table.tableStart == NO_TABLE) return 0;
    const std::int64_t walked =
        recordsToWalk(source.size, region.table.tableStart, region.table.recordCount);
    return std::min<std::uint64_t>(source.size - region.offset,
                                   static_cast<std::uint64_t>(walked) * RECORD_STRIDE);
}

// Reads [offset, offset + length) through one buffer, `piece` bytes at a time, handing each to
// `use`, which may stop the reading by giving false. A piece is short only at the end of the
// file, and the reading ends there. False when reading fails.
bool readInPieces(const ByteSource& source, std::uint64_t offset, std::uint64_t length,
                  std::size_t piece, const std::function<bool(std::string_view)>& use) {
    std::string buffer(static_cast<std::size_t>(std::min<std::uint64_t>(piece, length)), '\0');
    while (length > 0) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(length, piece));
        const std::optional<std::size_t> got = source.readAt(offset, buffer.data(), want);
        if (!got) return false;
        if (*got == 0) break;  // the file shrank
        if (!use(std::string_view(buffer.data(), *got)) || *got < want) break;
        offset += *got;
        length -= *got;
    }
    return true;
}

}  // namespace

std::optional<TableRegion> findTableRegion(const ByteSource& source, std::size_t chunk) {
    TableRegion region;
    const std::optional<TableLocation> table = findTableInChunks(source, chunk, region.offset);
    if (!table) return std::nullopt;
    region.table = *table;
    return region;
}

std::optional<TableRegion> readTableRegion(const ByteSource& source, std::size_t chunk) {
    std::optional<TableRegion> region = findTableRegion(source, chunk);
    if (!region || region->table.tableStart == NO_TABLE) return region;
    // Read as far as the walked records reach, and no further.
    std::optional<ByteString> records = fillNewBytes(
        walkedLength(source, *region),
        [&](char* data, std::size_t n) { return source.readAt(region->offset, data, n); });
    if (!records) return std::nullopt;
    region->records = std::move(*records);
    return region;
}

bool forEachRecordBatch(
    const ByteSource& source, const TableRegion& region,
    const std::function<bool(std::string_view batch, std::int64_t count)>& visit,
    std::size_t batchBytes) {
    const std::size_t perBatch =
        std::max<std::size_t>(1, batchBytes / RECORD_STRIDE) * RECORD_STRIDE;
    return readInPieces(source, region.offset, walkedLength(source, region), perBatch,
                        [&](std::string_view batch) {
                            const auto count = (static_cast<std::int64_t>(batch.size()) +
                                                RECORD_STRIDE - 1) / RECORD_STRIDE;
                            return visit(batch, count);
                        });
}

bool copyThrough(const ByteSource& source, std::uint64_t offset, std::uint64_t length,
                 const std::function<void(std::string_view)>& emit, std::size_t chunk) {
    return readInPieces(source, offset, length, chunk, [&](std::string_view piece) {
        emit(piece);
        return true;
    });
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
