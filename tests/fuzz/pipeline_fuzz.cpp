// Open, list and scale an arbitrary file with an arbitrary factor text. The saved bytes may differ
// from the opened ones only in the experience fields of walked records, each holding the scaled
// value, and the copy grows only by the missing bytes of a last field cut by the end.
#include <cstdlib>
#include <string>

#include "commands/editor.h"
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
    return 0;
}
