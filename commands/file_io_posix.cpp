#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "commands/file_io.h"
#include "record_table/cp936.h"

namespace expscale {

namespace {

IoError systemError(IoError::Step step, int code) {
    return {step, code, std::strerror(code)};
}

bool writeAll(int fd, std::string_view bytes, IoError& error) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = systemError(IoError::Step::write, errno);
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// A symbolic link is followed, so the file it points at is replaced and the link stays.
std::filesystem::path resolvedTarget(const std::filesystem::path& target) {
    std::error_code ec;
    const std::filesystem::path resolved = std::filesystem::canonical(target, ec);
    return ec ? target : resolved;
}

}  // namespace

bool openInput(InputFile& file, const std::filesystem::path& path, IoError& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = systemError(IoError::Step::open, errno);
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        error = systemError(IoError::Step::read, S_ISDIR(info.st_mode) ? EISDIR : errno);
    } else if (static_cast<std::uint64_t>(info.st_size) > MAX_FILE_SIZE) {
        error = {IoError::Step::tooLarge, EFBIG, std::strerror(EFBIG)};
    } else {
        file = {fd, static_cast<std::uint64_t>(info.st_size)};
        return true;
    }
    ::close(fd);
    return false;
}

std::optional<std::size_t> readAt(InputFile& file, std::uint64_t offset, char* data, std::size_t size,
                                  IoError& error) {
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::pread(static_cast<int>(file.handle), data + got, size - got,
                                  static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = systemError(IoError::Step::read, errno);
            return std::nullopt;
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    return got;
}

void closeInput(InputFile& file) {
    if (file.handle >= 0) ::close(static_cast<int>(file.handle));
    file.handle = -1;
}

bool beginAtomicWrite(AtomicFile& file, const std::filesystem::path& target) {
    file.target = resolvedTarget(target);
    struct stat existing {};
    const bool exists = ::stat(file.target.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) {
        file.failed = true;
        file.error = systemError(IoError::Step::create, EISDIR);
        return false;
    }
    const std::filesystem::path folder = file.target.parent_path();
    std::string pattern =
        (folder.empty() ? std::filesystem::path(".") : folder) / ("." + file.target.filename().string() + ".XXXXXX");
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) {
        file.failed = true;
        file.error = systemError(IoError::Step::create, errno);
        return false;
    }
    file.handle = fd;
    file.temporary = pattern;
    // The new file takes the replaced file's permissions; a new one gets the usual ones.
    if (exists) {
        ::fchmod(fd, existing.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    return true;
}

bool commitAtomicWrite(AtomicFile& file) {
    if (!flushWriteBuffer(file)) {
        abandonAtomicWrite(file);
        return false;
    }
    const int fd = static_cast<int>(file.handle);
    if (::fsync(fd) != 0) {
        file.failed = true;
        file.error = systemError(IoError::Step::flush, errno);
        abandonAtomicWrite(file);
        return false;
    }
    file.handle = -1;
    if (::close(fd) != 0 || ::rename(file.temporary.c_str(), file.target.c_str()) != 0) {
        file.failed = true;
        file.error = systemError(IoError::Step::replace, errno);
        ::unlink(file.temporary.c_str());
        return false;
    }
    // Make the rename itself durable; a failure here leaves a complete file either way.
    const std::filesystem::path folder = file.target.parent_path();
    const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

bool writeThrough(AtomicFile& file, std::string_view bytes) {
    file.failed = !writeAll(static_cast<int>(file.handle), bytes, file.error);
    return !file.failed;
}

void abandonAtomicWrite(AtomicFile& file) {
    if (file.handle >= 0) ::close(static_cast<int>(file.handle));
    file.handle = -1;
    if (!file.temporary.empty()) ::unlink(file.temporary.c_str());
    file.temporary.clear();
}

std::u16string pathToUtf16(const std::filesystem::path& path) {
    return utf8ToUtf16(path.native());
}

}  // namespace expscale
