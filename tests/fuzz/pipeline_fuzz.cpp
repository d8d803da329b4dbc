// Open, list and scale an arbitrary file with an arbitrary factor text. The saved bytes may differ
// from the opened ones only in the experience fields of walked records, each holding the scaled
// value, and the copy grows only by the missing bytes of a last field cut by the end. Working
// through the file chunk by chunk, or its records batch by batch, as the command-line tool does,
// gives the same lines and bytes.
#include <cstdlib>
#include <string>

#include "commands/editor.h"
#include "commands/streamed.h"
#include "tests/fuzz/fuzz_input.h"

using namespace expscale;

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

std::string render(const WorkingCopy& copy) {
    std::string out;
    forEachPiece(copy, [&out](std::string_view piece) { out += piece; });
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::FuzzInput input{{reinterpret_cast<const char*>(data), size}};
    const std::size_t chunk = 1 + static_cast<std::uint16_t>(input.takeInt32()) % 700;
    const std::string factorText(input.takeShortRun());
    std::string file(input.rest);
    if (!file.empty() && (file[0] & 1)) {  // most inputs get a table, somewhere
        const std::size_t at = static_cast<unsigned char>(file[0]) % (file.size() + 1);
        file.insert(at, reinterpret_cast<const char*>(TableMarker.data()), TableMarker.size());
    }

    const TableLocation table = locateTable(file);
    const std::int64_t walked = recordsToWalk(file, table.tableStart, table.recordCount);
    check(walked == 0 || (table.tableStart >= 1 && walked <= table.recordCount));
    for (std::int64_t i = 0; i < walked; ++i) {
        const std::string line = recordListLine(file, table.tableStart + i * RECORD_STRIDE);
        check(!line.empty() && line[0] == '(');
    }

    const float factor = parseScaleFactor(factorText);
    WorkingCopy copy;
    setData(copy, file);
    const ScaleSummary summary = scaleRecords(copy, file, table.tableStart, table.recordCount, factor);
    check(summary.walked == walked);
    const std::string saved = render(copy);

    std::string expected = file;
    for (std::int64_t i = 0; i < walked; ++i) {
        const std::int64_t field = table.tableStart - 1 + i * RECORD_STRIDE + EXPERIENCE_OFFSET;
        if (field >= static_cast<std::int64_t>(file.size())) break;
        const auto value = static_cast<std::uint32_t>(
            scaleExperience(readInt32Field(file, field + 1), factor));
        expected.resize(std::max<std::size_t>(expected.size(), field + 4));
        for (int j = 0; j < 4; ++j) expected[field + j] = static_cast<char>(value >> (8 * j));
    }
    check(saved == expected);

    const ByteSource source{file.size(), [&file](std::uint64_t offset, char* out, std::size_t n) {
                                const std::string_view run = clampedRun(file, offset + 1, n);
                                std::copy(run.begin(), run.end(), out);
                                return std::optional<std::size_t>(run.size());
                            }};
    const std::optional<TableRegion> region = readTableRegion(source, chunk);
    check(region && region->table.tableStart == table.tableStart);
    check(region->table.tableStart == NO_TABLE || region->table.recordCount == table.recordCount);
    check(recordsToWalk(region->records, 1, region->table.recordCount) == walked);
    for (std::int64_t i = 0; i < walked; ++i) {
        check(recordListLine(region->records, 1 + i * RECORD_STRIDE) ==
              recordListLine(file, table.tableStart + i * RECORD_STRIDE));
    }

    // Batches of one to three records give the lines of the whole file, each once and in order.
    const std::optional<TableRegion> found = findTableRegion(source, chunk);
    check(found && found->table.tableStart == region->table.tableStart &&
          found->offset == region->offset);
    check(found->table.recordCount == region->table.recordCount && found->records.empty());
    std::int64_t listed = 0;
    const bool read = forEachRecordBatch(
        source, *found,
        [&](std::string_view batch, std::int64_t count) {
            check(count >= 1 &&
                  batch.size() > static_cast<std::size_t>((count - 1) * RECORD_STRIDE));
            check(batch.size() <= static_cast<std::size_t>(count * RECORD_STRIDE));
            for (std::int64_t i = 0; i < count; ++i, ++listed) {
                check(listed < walked);
                check(recordListLine(batch, 1 + i * RECORD_STRIDE) ==
                      recordListLine(file, table.tableStart + listed * RECORD_STRIDE));
            }
            return true;
        },
        3 * chunk);
    check(read && listed == walked);
    int visits = 0;
    forEachRecordBatch(
        source, *found, [&](std::string_view, std::int64_t) { return ++visits, false; }, 3 * chunk);
    check(visits == (walked > 0 ? 1 : 0));

    std::string streamed;
    emitScaledFile(source, *region, factor, [&](std::string_view piece) { streamed += piece; }, chunk);
    check(streamed == saved);
    return 0;
}
