#include "commands/file_io.h"

#include <cerrno>
#include <new>
#include <system_error>

namespace expscale {

std::optional<ByteString> readWholeFile(const std::filesystem::path& path, IoError& error) {
    InputFile file;
    if (!openInput(file, path, error)) return std::nullopt;
    std::optional<ByteString> bytes;
    // A file too large for the memory at hand counts as unreadable. The window's allocator ends
    // the program on a failed request instead of throwing, so the memory is asked for without
    // failing first.
    void* probe = ::operator new(static_cast<std::size_t>(file.size) + 1, std::nothrow);
    if (!probe) {
        error = {IoError::Step::read, ENOMEM, std::generic_category().message(ENOMEM)};
        closeInput(file);
        return std::nullopt;
    }
    ::operator delete(probe);
    try {
        bytes = fillNewBytes(static_cast<std::size_t>(file.size), [&](char* data, std::size_t size) {
            return readAt(file, 0, data, size, error);
        });
    } catch (const std::bad_alloc&) {  // too large for the memory at hand: as if unreadable
        error = {IoError::Step::read, ENOMEM, std::generic_category().message(ENOMEM)};
    }
    closeInput(file);
    return bytes;
}

bool flushWriteBuffer(AtomicFile& file) {
    if (file.failed) return false;
    const bool written = writeThrough(file, file.buffer);
    file.buffer.clear();
    return written;
}

bool appendBytes(AtomicFile& file, std::string_view bytes) {
    if (file.failed) return false;
    if (file.buffer.size() + bytes.size() > WRITE_BUFFER_SIZE && !flushWriteBuffer(file)) return false;
    if (bytes.size() >= WRITE_BUFFER_SIZE) return writeThrough(file, bytes);
    if (file.buffer.capacity() < WRITE_BUFFER_SIZE) file.buffer.reserve(WRITE_BUFFER_SIZE);
    file.buffer.append(bytes);
    return true;
}

}  // namespace expscale
