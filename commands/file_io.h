// Whole-file reading and atomic whole-file writing. The only file access of the commands and the
// command-line tool; one implementation per platform behind this header.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "record_table/record_table.h"

namespace expscale {

// Files this large or larger are not opened: every position in them must fit 32 bits.
inline constexpr std::uint64_t MAX_FILE_SIZE = 0x7FFFFFFFu - 2 * RECORD_STRIDE;

// What went wrong at a file boundary: the step and the system's own error code and wording.
struct IoError {
    enum class Step { open, read, tooLarge, create, write, flush, replace };
    Step step = Step::open;
    int systemCode = 0;
    std::string systemMessage;  // UTF-8, in the system's language; may be empty
};

// The whole content of the file. The file is opened for reading while others may read it but not
// write it. Empty optional on any failure, with the reason in `error`.
std::optional<ByteString> readWholeFile(const std::filesystem::path& path, IoError& error);

// A file being written: bytes go to a temporary file beside the target, which takes the target's
// place only on commit. Until then the target is untouched.
struct AtomicFile {
    std::filesystem::path target;
    std::filesystem::path temporary;
    std::intptr_t handle = -1;
    std::string buffer;
    bool failed = false;
    IoError error;
};

bool beginAtomicWrite(AtomicFile& file, const std::filesystem::path& target);
// Buffered; after a failure further appends do nothing and return false.
bool appendBytes(AtomicFile& file, std::string_view bytes);
// Flushes the bytes to the disk and puts the file in the target's place. On failure the target
// keeps its old bytes and the temporary file is removed.
bool commitAtomicWrite(AtomicFile& file);
// Closes and removes the temporary file; the target is untouched.
void abandonAtomicWrite(AtomicFile& file);

// The path as UTF-16, for showing it (converted further to code page 936 by the callers).
std::u16string pathToUtf16(const std::filesystem::path& path);

}  // namespace expscale
