// The tool's state and its two commands, with the plain functions behind them that every front
// end shares: locating the table, walking its records, the list lines, the factor, the scaling.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string_view>
#include <vector>

#include "commands/file_io.h"
#include "record_table/record_table.h"

namespace expscale {

// Process-wide state: what the last open left for the save to work on.
struct EditorState {
    ByteString fileBytes;      // the whole last opened file; empty until one is opened
    Position tableStart = 0;   // the first record; 0 before any open, NO_TABLE when none was found
    WidePosition cursor = 0;   // the record being processed (64-bit: it may step past the end)
    std::int32_t recordCount = 0;
};
extern EditorState editorState;

inline constexpr std::int32_t EXPERIENCE_CAP = 200'000'000;

// Where the table lies and how many records it claims. A file without the marker has no table:
// NO_TABLE and no records, so nothing is listed or scaled in bytes no table defines.
struct TableLocation {
    Position tableStart = NO_TABLE;
    std::int32_t recordCount = 0;
};
TableLocation locateTable(std::string_view fileBytes);

// How many of the claimed records the walk visits: those whose first byte lies inside the file.
// A record cut by the end is visited; records wholly past it would only read zeros.
std::int64_t recordsToWalk(std::uint64_t fileSize, Position tableStart, std::int32_t recordCount);
inline std::int64_t recordsToWalk(std::string_view fileBytes, Position tableStart, std::int32_t recordCount) {
    return recordsToWalk(std::uint64_t{fileBytes.size()}, tableStart, recordCount);
}

// The list line of the record starting at `recordStart`: "(" + name + ") 经验：" + experience.
Text recordListLine(std::string_view fileBytes, WidePosition recordStart);

// The factor typed in the factor box: full-width forms folded, a leading decimal number read (the
// point is always the separator), rounded to double and then to float. No number gives 0.
float parseScaleFactor(std::string_view text);

// e × f in double precision, capped at EXPERIENCE_CAP, NaN as 0, truncated toward zero; a product
// below the 32-bit range saturates at its minimum.
std::int32_t scaleExperience(std::int32_t experience, float factor);

// The opened bytes with experience fields replaced. It does not hold a second copy of the file:
// it keeps its replacements over the original bytes, which must outlive it, and streams the
// result when written.
struct WorkingCopy {
    struct Replacement {
        std::uint64_t offset;
        std::array<char, EXPERIENCE_SIZE> bytes;
    };
    std::string_view original;
    std::uint64_t keptLength = 0;  // bytes of `original` still in the content
    std::uint64_t length = 0;      // the content's length
    std::vector<Replacement> replacements;  // ascending, not overlapping
};
// Makes the content the given bytes. Always succeeds: nothing is copied.
bool setData(WorkingCopy& copy, std::string_view bytes);
// Replaces the 4-byte run at `position` (1-based) with `bytes`. A run past the end changes nothing
// (false); a run cut by the end replaces the bytes up to the end, so the content grows. Positions
// must come in ascending order, each past the previous run, as the record walk gives them.
bool replaceBytes(WorkingCopy& copy, WidePosition position, const std::array<char, EXPERIENCE_SIZE>& bytes);
// Hands the content to `emit` in order, as runs of the original and replaced fields.
void forEachPiece(const WorkingCopy& copy, const std::function<void(std::string_view)>& emit);
// Writes the content atomically to `path`: the file there holds either its old bytes or all of
// the new ones. False with the reason in `error` on failure.
bool writeToFile(const WorkingCopy& copy, const std::filesystem::path& path, IoError& error);

struct ScaleSummary {
    std::int64_t walked = 0;  // records visited
    std::int64_t scaled = 0;  // records whose experience field was written
    std::int64_t capped = 0;  // of those, how many were lowered to EXPERIENCE_CAP
};
// Scales every walked record's experience from `fileBytes` into `copy`.
ScaleSummary scaleRecords(WorkingCopy& copy, std::string_view fileBytes, Position tableStart,
                          std::int32_t recordCount, float factor);

// The "打开文件" command: pick a file, read it, list its records.
void onOpenFile();
// Rebuilds the list from `editorState`, advancing its cursor past the listed records.
void fillRecordList();
// The "批量修改保存" command: scale every record by the factor box and save a copy.
void onBatchModifySave();

// The path as code page 936 text, for showing it.
Text pathToText(const std::filesystem::path& path);

}  // namespace expscale
