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

// A new byte string of `size` bytes filled by `fill(data, size)`, which gives how many bytes it
// put there (fewer when the file shrank meanwhile), or nothing on failure. The buffer is not
// cleared first: for a large file clearing it costs more than reading it.
template <class Fill>
std::optional<ByteString> fillNewBytes(std::size_t size, Fill fill) {
    ByteString bytes;
    bool filled = true;
    const auto fillAll = [&](char* data, std::size_t n) {
        const std::optional<std::size_t> got = fill(data, n);
        filled = got.has_value();
        return got.value_or(0);
    };
#if defined(__cpp_lib_string_resize_and_overwrite)
    bytes.resize_and_overwrite(size, fillAll);
#else
    bytes.resize(size);
    bytes.resize(fillAll(bytes.data(), size));
#endif
    if (!filled) return std::nullopt;
    return bytes;
}

// The whole content of the file. The file is opened for reading while others may read it but not
// write it. Empty optional on any failure, with the reason in `error`.
std::optional<ByteString> readWholeFile(const std::filesystem::path& path, IoError& error);

// A file read piece by piece, where holding it whole is not needed. Others may read it meanwhile
// but not write it.
struct InputFile {
    std::intptr_t handle = -1;
    std::uint64_t size = 0;
};
bool openInput(InputFile& file, const std::filesystem::path& path, IoError& error);
// Up to `size` bytes from `offset`; fewer only at the end of the file. Empty on failure.
std::optional<std::size_t> readAt(InputFile& file, std::uint64_t offset, char* data, std::size_t size,
                                  IoError& error);
void closeInput(InputFile& file);

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

// Shared by the platforms' halves of the atomic write: the buffer size, the flush of the buffer,
// and the unbuffered write each platform provides (on failure it marks the file failed).
inline constexpr std::size_t WRITE_BUFFER_SIZE = 1u << 20;
bool flushWriteBuffer(AtomicFile& file);
bool writeThrough(AtomicFile& file, std::string_view bytes);

// The path as UTF-16, for showing it (converted further to code page 936 by the callers).
std::u16string pathToUtf16(const std::filesystem::path& path);

}  // namespace expscale
