// Opening and listing, scaling and saving a 256 MiB file with 100,000 records, beside plainly
// reading and copying the same file.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "commands/editor.h"
#include "tests/support/data_file.h"

namespace expscale {
namespace {

constexpr std::size_t FILE_SIZE = 256u << 20;
constexpr int RECORDS = 100'000;

const std::filesystem::path& dataFile() {
    static const std::filesystem::path file = [] {
        const auto path = std::filesystem::temp_directory_path() / "expscale-bench.data";
        std::error_code missing;
        if (std::filesystem::file_size(path, missing) == FILE_SIZE) return path;  // made by an earlier run
        std::vector<testing::TestRecord> records;
        for (int i = 0; i < RECORDS; ++i) records.push_back({u"\u72FC\u738B", 1000 + i});
        std::string bytes = testing::buildDataFile(records);
        const std::size_t before = (FILE_SIZE - bytes.size()) / 2;
        bytes = std::string(before, '\x04') + bytes + std::string(FILE_SIZE - bytes.size() - before, '\0');
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }();
    return file;
}

const std::filesystem::path& outputFile() {
    static const auto path = std::filesystem::temp_directory_path() / "expscale-bench-out.data";
    return path;
}

ByteString readDataFile() {
    IoError error;
    return *readWholeFile(dataFile(), error);
}

// Every list line of the opened bytes, as the window adds them to its list.
void listAll(std::string_view bytes) {
    const TableLocation table = locateTable(bytes);
    const std::int64_t records = recordsToWalk(bytes, table.tableStart, table.recordCount);
    for (std::int64_t i = 0; i < records; ++i) {
        benchmark::DoNotOptimize(recordListLine(bytes, table.tableStart + i * RECORD_STRIDE));
    }
}

// The scaled copy of the opened bytes, as a save would write it.
WorkingCopy scaleAll(std::string_view bytes) {
    const TableLocation table = locateTable(bytes);
    WorkingCopy copy;
    setData(copy, bytes);
    scaleRecords(copy, bytes, table.tableStart, table.recordCount, 1.5f);
    return copy;
}

void BM_readFile(benchmark::State& state) {
    IoError error;
    dataFile();  // made once, outside the timing
    for (auto _ : state) benchmark::DoNotOptimize(readWholeFile(dataFile(), error));
}
BENCHMARK(BM_readFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_openAndList(benchmark::State& state) {
    for (auto _ : state) listAll(readDataFile());
}
BENCHMARK(BM_openAndList)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_listOnly(benchmark::State& state) {
    const ByteString bytes = readDataFile();
    for (auto _ : state) listAll(bytes);
}
BENCHMARK(BM_listOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_scaleOnly(benchmark::State& state) {
    const ByteString bytes = readDataFile();
    for (auto _ : state) benchmark::DoNotOptimize(scaleAll(bytes));
}
BENCHMARK(BM_scaleOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_scaleAndSave(benchmark::State& state) {
    const ByteString bytes = readDataFile();
    IoError error;
    for (auto _ : state) {
        if (!writeToFile(scaleAll(bytes), outputFile(), error)) state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_scaleAndSave)->Unit(benchmark::kMillisecond)->UseRealTime();

// What the window does from a click on "打开文件" to the end of a save: its peak memory is the
// figure to watch (run it alone under /usr/bin/time).
void BM_openListScaleSave(benchmark::State& state) {
    IoError error;
    for (auto _ : state) {
        const ByteString bytes = readDataFile();
        listAll(bytes);
        if (!writeToFile(scaleAll(bytes), outputFile(), error)) state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_openListScaleSave)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same bytes written plainly: no temporary file, no flush to the disk.
void BM_plainCopy(benchmark::State& state) {
    const ByteString bytes = readDataFile();
    for (auto _ : state) {
        std::FILE* out = std::fopen(outputFile().c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
    }
}
BENCHMARK(BM_plainCopy)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace expscale
