// The clamped reads at any position and length, and the marker search, against plain references.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "record_table/record_table.h"
#include "tests/fuzz/fuzz_input.h"

using namespace expscale;

namespace {

Position referenceFindTableStart(std::string_view bytes) {
    const std::string_view marker(reinterpret_cast<const char*>(TableMarker.data()), TableMarker.size());
    const std::size_t at = bytes.find(marker);
    return at == std::string_view::npos ? NO_TABLE : static_cast<Position>(at + 1);
}

void check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::FuzzInput input{{reinterpret_cast<const char*>(data), size}};
    const std::int32_t position = input.takeInt32();
    const std::int32_t length = input.takeInt32();
    // Sprinkle the marker in now and then, so the search is exercised on real matches too.
    std::string bytes(input.rest);
    if (!bytes.empty() && bytes[0] == 'M') {
        bytes.insert(bytes.size() / 2, reinterpret_cast<const char*>(TableMarker.data()), TableMarker.size());
    }

    check(findTableStart(bytes) == referenceFindTableStart(bytes));

    const std::string slice = sliceBytes(bytes, position, length);
    const std::int64_t start = std::clamp<std::int64_t>(std::int64_t{position} - 1, 0, bytes.size());
    check(slice == std::string_view(bytes).substr(start, std::max<std::int64_t>(length, 0)));

    const std::string field = sliceBytes(bytes, position, 4);
    std::uint32_t expected = 0;
    for (std::size_t j = 0; j < field.size(); ++j) expected |= std::uint32_t{static_cast<unsigned char>(field[j])} << (8 * j);
    check(readInt32Field(bytes, position) == static_cast<std::int32_t>(expected));
    return 0;
}
