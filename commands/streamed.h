// A data file worked on piece by piece: the command-line tool reads only as far as the table and
// its records, and copies the rest through, instead of holding the whole file. The table found,
// the records walked, the lines and the scaled bytes are those of the whole-file functions.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "commands/editor.h"

namespace expscale {

// Where the bytes come from: their size, and a read of up to n bytes at an offset that gives
// fewer only at the end, or nothing on failure.
struct ByteSource {
    std::uint64_t size = 0;
    std::function<std::optional<std::size_t>(std::uint64_t offset, char* data, std::size_t n)> readAt;
};

inline constexpr std::size_t STREAM_CHUNK = 1u << 20;

// The table and the bytes of its walked records. `records` begins at the first record, so there
// the table starts at position 1; it ends after the last walked record or at the end of the
// file, so recordsToWalk on it gives the same records as on the whole file.
struct TableRegion {
    TableLocation table;       // positions in the whole file, as locateTable gives them
    std::uint64_t offset = 0;  // of the first record in the file
    ByteString records;
};

// Finds the table by reading forward chunk by chunk. Empty when reading fails; a region with
// table.tableStart == NO_TABLE when the file holds no table.
std::optional<TableRegion> readTableRegion(const ByteSource& source, std::size_t chunk = STREAM_CHUNK);

// The same without reading the records: `records` stays empty.
std::optional<TableRegion> findTableRegion(const ByteSource& source,
                                           std::size_t chunk = STREAM_CHUNK);

// The records readTableRegion would hold, read in batches of whole records (at least one, about
// `batchBytes` in all) through one reused buffer. `visit(batch, count)` gets each batch, which
// begins at a record and holds `count` records from position 1; only the last may be cut by the
// end of the file, so each record reads as it does in the whole file. Stops early when visit
// gives false. False when reading fails.
bool forEachRecordBatch(
    const ByteSource& source, const TableRegion& region,
    const std::function<bool(std::string_view batch, std::int64_t count)>& visit,
    std::size_t batchBytes = STREAM_CHUNK);

// Hands bytes [offset, offset + length) of the source to `emit`, chunk by chunk.
bool copyThrough(const ByteSource& source, std::uint64_t offset, std::uint64_t length,
                 const std::function<void(std::string_view)>& emit, std::size_t chunk = STREAM_CHUNK);

// The whole scaled file, as the window would save it, handed to `emit` in order.
std::optional<ScaleSummary> emitScaledFile(const ByteSource& source, const TableRegion& region, float factor,
                                           const std::function<void(std::string_view)>& emit,
                                           std::size_t chunk = STREAM_CHUNK);

}  // namespace expscale
