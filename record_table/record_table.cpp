#include "record_table/record_table.h"

#include <algorithm>
#include <cstring>

#include "record_table/cp936.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace expscale {

namespace {

constexpr std::array<unsigned char, TABLE_MARKER_SIZE> makeTableMarker() {
    std::array<unsigned char, TABLE_MARKER_SIZE> marker{};
    marker[0] = 0x04;
    marker[4] = 0x03;
    constexpr unsigned char name[] = {0x0F, 0x90, 0x0E, 0x66, 0x2A, 0x60};  // "透明怪"
    for (std::size_t at : {8u, 72u, 104u}) {
        for (std::size_t i = 0; i < sizeof name; ++i) marker[at + i] = name[i];
    }
    return marker;
}

bool markerAt(const unsigned char* p) {
    return std::memcmp(p, TableMarker.data(), TABLE_MARKER_SIZE) == 0;
}

}  // namespace

const std::array<unsigned char, TABLE_MARKER_SIZE> TableMarker = makeTableMarker();

// Data files are full of small integers, so the marker's first byte alone (04) matches often.
// Candidates are offsets where bytes 0 and 9 match together (04 and 90, a byte that is rare in such
// data); only those are compared in full. The scan goes forward, so the first match is the first occurrence.
Position findTableStart(std::string_view bytes) {
    if (bytes.size() < TABLE_MARKER_SIZE) return NO_TABLE;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t last = bytes.size() - TABLE_MARKER_SIZE;  // last offset a match can start at
    std::size_t i = 0;
#if defined(__SSE2__)
    // 64 offsets per step; a step without a candidate costs one branch.
    const auto candidates = [p](std::size_t at) {
        const auto load = [p](std::size_t o) {
            return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + o));
        };
        return _mm_and_si128(_mm_cmpeq_epi8(load(at), _mm_set1_epi8(0x04)),
                             _mm_cmpeq_epi8(load(at + 9), _mm_set1_epi8(char(0x90))));
    };
    for (; last - i >= 64; i += 64) {
        const __m128i h0 = candidates(i), h1 = candidates(i + 16);
        const __m128i h2 = candidates(i + 32), h3 = candidates(i + 48);
        const __m128i any = _mm_or_si128(_mm_or_si128(h0, h1), _mm_or_si128(h2, h3));
        if (_mm_movemask_epi8(any) == 0) continue;
        const __m128i blocks[] = {h0, h1, h2, h3};
        for (std::size_t b = 0; b < 4; ++b) {
            for (unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(blocks[b])); mask != 0;
                 mask &= mask - 1) {
                const std::size_t m = i + 16 * b + static_cast<std::size_t>(__builtin_ctz(mask));
                if (markerAt(p + m)) return static_cast<Position>(m + 1);
            }
        }
    }
#endif
    for (; i <= last; ++i) {
        if (p[i] == 0x04 && p[i + 9] == 0x90 && markerAt(p + i)) return static_cast<Position>(i + 1);
    }
    return NO_TABLE;
}

std::string_view clampedRun(std::string_view bytes, WidePosition position, std::int64_t length) {
    const auto size = static_cast<std::int64_t>(bytes.size());
    const std::int64_t start = std::clamp<std::int64_t>(position - 1, 0, size);
    const std::int64_t count = std::clamp<std::int64_t>(length, 0, size - start);
    return bytes.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(count));
}

ByteString sliceBytes(std::string_view bytes, WidePosition position, std::int64_t length) {
    return ByteString(clampedRun(bytes, position, length));
}

std::int32_t readInt32Field(std::string_view bytes, WidePosition position) {
    const std::string_view field = clampedRun(bytes, position, 4);
    std::uint32_t value = 0;
    for (std::size_t j = 0; j < field.size(); ++j) {
        value |= std::uint32_t{static_cast<unsigned char>(field[j])} << (8 * j);
    }
    return static_cast<std::int32_t>(value);
}

Text decodeRecordName(std::string_view nameField) {
    std::u16string units;
    for (std::size_t j = 0; j + 1 < nameField.size(); j += 2) {
        const auto unit = static_cast<char16_t>(static_cast<unsigned char>(nameField[j]) |
                                                static_cast<unsigned char>(nameField[j + 1]) << 8);
        if (unit == 0) break;
        units.push_back(unit);
    }
    return utf16ToCp936(units);
}

}  // namespace expscale
