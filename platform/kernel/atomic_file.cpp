#include "atomic_file.h"
#include "last_error.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

std::optional<std::string> read_whole_file(const std::filesystem::path& path, DWORD& error) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = errno == ENOENT && !std::filesystem::is_directory(path.parent_path())
                    ? ERROR_PATH_NOT_FOUND
                    : win32_error_from_errno(errno);
        return std::nullopt;
    }
    std::string content;
    char chunk[8192];
    for (;;) {
        ssize_t n = read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = win32_error_from_errno(errno);
            close(fd);
            return std::nullopt;
        }
        if (n == 0)
            break;
        content.append(chunk, static_cast<size_t>(n));
    }
    close(fd);
    error = ERROR_SUCCESS;
    return content;
}

namespace {

bool write_all(int fd, const std::string& content) {
    size_t done = 0;
    while (done < content.size()) {
        ssize_t n = write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

DWORD replace_file(const std::filesystem::path& path, const std::string& content) {
    std::filesystem::path directory = path.parent_path().empty() ? "." : path.parent_path();
    if (!std::filesystem::is_directory(directory))
        return ERROR_PATH_NOT_FOUND;
    std::string temp = (directory / ("." + path.filename().string() + ".XXXXXX")).string();
    int fd = mkstemp(temp.data());
    if (fd < 0)
        return win32_error_from_errno(errno);
    struct stat old {};
    mode_t mode = stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    bool ok = fchmod(fd, mode) == 0 && write_all(fd, content) && fsync(fd) == 0;
    int err = errno;
    ok = close(fd) == 0 && ok;
    if (ok && rename(temp.c_str(), path.c_str()) != 0) {
        err = errno;
        ok = false;
    }
    if (!ok) {
        unlink(temp.c_str());
        return err == EISDIR ? ERROR_ACCESS_DENIED : win32_error_from_errno(err);
    }
    int dir = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return ERROR_SUCCESS;
}

DirectoryLock::DirectoryLock(const std::filesystem::path& directory) {
    fd_ = open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ >= 0) {
        while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
}

DirectoryLock::~DirectoryLock() {
    if (fd_ >= 0)
        close(fd_);
}

} // namespace platform
