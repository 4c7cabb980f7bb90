#include "atomic_file.h"
#include "last_error.h"
#include "wait.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

std::optional<std::string> read_whole_file(const std::filesystem::path& path, DWORD& error) {
    // O_NONBLOCK: opening a FIFO must not wait for a writer; fstat then refuses it.
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        error = errno == ENOENT && !std::filesystem::is_directory(path.parent_path())
                    ? ERROR_PATH_NOT_FOUND
                    : win32_error_from_errno(errno);
        return std::nullopt;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        error = ERROR_ACCESS_DENIED;
        return std::nullopt;
    }
    std::string content;
    content.reserve(static_cast<size_t>(st.st_size));
    char chunk[65536];
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

void sync_directory(const std::filesystem::path& directory) {
    int dir = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
}

// Replacements waiting for their sync: the newest file of each path, still open, and the
// directories whose entries changed. An older file of the same path was replaced again and
// needs no sync of its own.
struct Pending {
    std::mutex mutex;
    std::vector<std::pair<std::string, int>> files;
    std::set<std::string> directories;
};

Pending& pending() {
    static Pending* p = [] {
        auto* created = new Pending; // outlives every static that may write at exit
        std::atexit(sync_replaced_files);
        return created;
    }();
    return *p;
}

void defer_sync(const std::filesystem::path& path, const std::filesystem::path& directory, int fd) {
    // The first deferral of each thread hooks that thread's wait, so the sync happens before
    // the thread blocks.
    thread_local bool hooked = false;
    if (!hooked) {
        add_flush_hook(sync_replaced_files);
        hooked = true;
    }
    Pending& p = pending();
    std::lock_guard guard(p.mutex);
    for (auto& [file, open_fd] : p.files) {
        if (file == path.string()) {
            close(open_fd);
            open_fd = fd;
            p.directories.insert(directory.string());
            return;
        }
    }
    p.files.emplace_back(path.string(), fd);
    p.directories.insert(directory.string());
}

std::string temporary_prefix(const std::filesystem::path& path) {
    return "." + path.filename().string() + ".";
}

// The file that a write of `path` replaces: a symbolic link's final target, so the link stays.
std::filesystem::path write_target(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_symlink(path, ec))
        return path;
    std::filesystem::path target = std::filesystem::weakly_canonical(path, ec);
    return ec ? path : target;
}

} // namespace

DWORD replace_file(const std::filesystem::path& link, const std::string& content,
                   Durability durability) {
    std::filesystem::path path = write_target(link);
    std::filesystem::path directory = path.parent_path().empty() ? "." : path.parent_path();
    if (!std::filesystem::is_directory(directory))
        return ERROR_PATH_NOT_FOUND;
    std::string temp = (directory / (temporary_prefix(path) + "XXXXXX")).string();
    int fd = mkstemp(temp.data());
    if (fd < 0)
        return win32_error_from_errno(errno);
    struct stat old {};
    mode_t mode = stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    bool ok = fchmod(fd, mode) == 0 && write_all(fd, content) &&
              (durability != Durability::Now || fsync(fd) == 0);
    int err = errno;
    if (ok && rename(temp.c_str(), path.c_str()) != 0) {
        err = errno;
        ok = false;
    }
    if (!ok) {
        close(fd);
        unlink(temp.c_str());
        return err == EISDIR ? ERROR_ACCESS_DENIED : win32_error_from_errno(err);
    }
    switch (durability) {
    case Durability::Now:
        close(fd);
        sync_directory(directory);
        break;
    case Durability::LoopTurn:
        defer_sync(path, directory, fd);
        break;
    case Durability::Volatile:
        close(fd);
        break;
    }
    return ERROR_SUCCESS;
}

void remove_stale_temporaries(const std::filesystem::path& link) {
    std::filesystem::path path = write_target(link);
    std::string prefix = temporary_prefix(path);
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(path.parent_path(), ec)) {
        std::string name = entry.path().filename().string();
        if (name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0)
            std::filesystem::remove(entry.path(), ec);
    }
}

void sync_replaced_files() {
    Pending& p = pending();
    std::vector<std::pair<std::string, int>> files;
    std::set<std::string> directories;
    {
        std::lock_guard guard(p.mutex);
        if (p.files.empty())
            return;
        files.swap(p.files);
        directories.swap(p.directories);
    }
    for (auto& [path, fd] : files) {
        fsync(fd);
        close(fd);
    }
    for (const std::string& directory : directories)
        sync_directory(directory);
}

bool replaced_files_pending() {
    Pending& p = pending();
    std::lock_guard guard(p.mutex);
    return !p.files.empty();
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
