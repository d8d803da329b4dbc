// findTableStart over a large buffer that looks like game data (small integers, zero runs, so the
// marker's first byte is frequent), beside memchr for a byte that never occurs in it.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>

#include "record_table/record_table.h"

namespace {

constexpr std::size_t BUFFER_SIZE = 256u << 20;

const std::string& realisticData() {
    static const std::string data = [] {
        std::string d(BUFFER_SIZE, '\0');
        std::mt19937 rng(7);
        for (std::size_t i = 0; i + 4 <= d.size(); i += 4) {
            const unsigned r = rng();
            if (r % 3 == 0) continue;  // zero runs
            // Small little-endian integers: 0..15 in the low byte, some 04s and 0Fs.
            d[i] = static_cast<char>(r >> 8 & 0x0F);
            if (r % 7 == 0) d[i + 1] = static_cast<char>(r >> 16 & 0x03);
        }
        for (auto& c : d) if (c == '\xAA') c = 0;  // the byte memchr looks for
        const std::string marker(expscale::TableMarker.begin(), expscale::TableMarker.end());
        d.replace(d.size() - 4096, marker.size(), marker);
        return d;
    }();
    return data;
}

void BM_findTableStart(benchmark::State& state) {
    const std::string& data = realisticData();
    for (auto _ : state) benchmark::DoNotOptimize(expscale::findTableStart(data));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}
BENCHMARK(BM_findTableStart)->Unit(benchmark::kMillisecond);

void BM_memchrAbsentByte(benchmark::State& state) {
    const std::string& data = realisticData();
    for (auto _ : state) benchmark::DoNotOptimize(std::memchr(data.data(), 0xAA, data.size()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}
BENCHMARK(BM_memchrAbsentByte)->Unit(benchmark::kMillisecond);

}  // namespace
