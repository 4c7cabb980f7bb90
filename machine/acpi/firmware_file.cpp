#include "machine/acpi/firmware_file.h"

#include "platform/kernel/atomic_file.h"
#include "platform/kernel/last_error.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace machine {

namespace {

// Room for what a person may add to the file; its changes then never need a new block.
constexpr off_t kReserved = 4096;

class LockedFile {
public:
    LockedFile(const std::filesystem::path& path, int flags, int how) {
        fd_ = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        if (fd_ < 0) {
            error_ = platform::win32_error_from_errno(errno);
            return;
        }
        struct stat st {};
        if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
            error_ = ERROR_ACCESS_DENIED;
            return;
        }
        while (::flock(fd_, how) != 0) {
            if (errno != EINTR) {
                error_ = platform::win32_error_from_errno(errno);
                return;
            }
        }
        error_ = ERROR_SUCCESS;
    }
    ~LockedFile() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;

    DWORD error() const { return error_; }
    int fd() const { return fd_; }

    DWORD read_all(std::string& text) const {
        text.clear();
        char chunk[4096];
        for (off_t at = 0;;) {
            ssize_t n = ::pread(fd_, chunk, sizeof chunk, at);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return platform::win32_error_from_errno(errno);
            if (n == 0)
                return ERROR_SUCCESS;
            text.append(chunk, static_cast<size_t>(n));
            at += n;
        }
    }

private:
    int fd_ = -1;
    DWORD error_ = ERROR_GEN_FAILURE;
};

bool write_at_start(int fd, const std::string& text) {
    ssize_t n;
    while ((n = ::pwrite(fd, text.data(), text.size(), 0)) < 0 && errno == EINTR) {
    }
    return n == static_cast<ssize_t>(text.size());
}

} // namespace

DWORD read_locked(const std::filesystem::path& path, std::string& text) {
    LockedFile file(path, O_RDONLY, LOCK_SH);
    if (file.error() != ERROR_SUCCESS)
        return file.error() == ERROR_FILE_NOT_FOUND &&
                       !std::filesystem::is_directory(path.parent_path())
                   ? DWORD(ERROR_PATH_NOT_FOUND)
                   : file.error();
    return file.read_all(text);
}

DWORD rewrite_in_place(
    const std::filesystem::path& path,
    const std::function<std::optional<std::string>(const std::string&)>& change) {
    // Locked through a read-only descriptor: only a real change opens the file for writing,
    // so a watcher's IN_CLOSE_WRITE means the file changed.
    LockedFile file(path, O_RDONLY, LOCK_EX);
    if (file.error() != ERROR_SUCCESS)
        return file.error();
    std::string old;
    if (DWORD error = file.read_all(old); error != ERROR_SUCCESS)
        return error;
    std::optional<std::string> text = change(old);
    if (!text || *text == old)
        return ERROR_SUCCESS;
    int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    struct stat locked {
    }, opened{};
    if (fd < 0)
        return platform::win32_error_from_errno(errno);
    if (::fstat(file.fd(), &locked) != 0 || ::fstat(fd, &opened) != 0 ||
        locked.st_ino != opened.st_ino || locked.st_dev != opened.st_dev) {
        ::close(fd); // replaced meanwhile: the change is not made on a file nobody reads
        return ERROR_SHARING_VIOLATION;
    }
    // One write that covers the old text, padded with blank lines, so a writer killed before
    // the truncation leaves only blank lines behind.
    std::string padded = *text;
    if (padded.size() < old.size())
        padded.append(old.size() - padded.size(), '\n');
    DWORD error = ERROR_SUCCESS;
    if (!write_at_start(fd, padded)) {
        error = errno == 0 ? DWORD(ERROR_DISK_FULL) : platform::win32_error_from_errno(errno);
        write_at_start(fd, old); // the old text fits in the blocks it already has
        [[maybe_unused]] int ignored = ::ftruncate(fd, static_cast<off_t>(old.size()));
    } else if (padded.size() != text->size() &&
               ::ftruncate(fd, static_cast<off_t>(text->size())) != 0) {
        error = platform::win32_error_from_errno(errno);
    }
    ::close(fd);
    return error;
}

DWORD create_in_place_file(const std::filesystem::path& path, const std::string& text) {
    DWORD error = platform::replace_file(path, text, platform::Durability::Volatile);
    if (error != ERROR_SUCCESS)
        return error;
    int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd >= 0) {
        // Best effort: where the file system cannot reserve, blocks come as the file grows.
        ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0,
                    std::max<off_t>(kReserved, static_cast<off_t>(text.size()) * 2));
        ::close(fd);
    }
    return ERROR_SUCCESS;
}

} // namespace machine
