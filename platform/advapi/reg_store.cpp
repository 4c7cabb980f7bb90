#include "reg_store.h"

#include "reg_file.h"

#include "platform/kernel/machine.h"

#include <winerror.h>

#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform::reg {

namespace {

LONG error_from_errno(int err, LONG fallback) {
    switch (err) {
    case EACCES:
    case EPERM:
    case EROFS:
        return ERROR_ACCESS_DENIED;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    default:
        return fallback;
    }
}

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

bool lock(int fd, int how) {
    while (::flock(fd, how) != 0)
        if (errno != EINTR)
            return false;
    return true;
}

// The lock file is created on first use; a reader that may not create it reads unlocked,
// which is still safe because writers only ever rename complete files into place.
Fd open_lock(bool create) {
    std::filesystem::path path = machine_path("registry.lock");
    int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0), 0644);
    if (fd < 0 && !create)
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    return Fd(fd);
}

// The whole file; an empty string for a missing one.
std::optional<std::string> read_file(const std::filesystem::path& path, int& err) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        err = errno;
        return errno == ENOENT ? std::optional<std::string>("") : std::nullopt;
    }
    std::string text;
    char buf[16384];
    while (true) {
        ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            err = errno;
            return std::nullopt;
        }
        if (n == 0)
            return text;
        text.append(buf, static_cast<size_t>(n));
    }
}

bool write_all(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// The last text read or written and its parse. The file is small, so the text itself is
// the test for a change: an inode, size and timestamp can all repeat when a file is
// replaced within one timestamp tick, its contents cannot.
struct Cache {
    std::string path;
    std::string text;
    std::optional<Key> hive;
};

std::mutex cache_mutex;
Cache cache;

LONG load(const std::filesystem::path& path, Key& out) {
    int err = 0;
    auto text = read_file(path, err);
    if (!text)
        return error_from_errno(err, ERROR_CANTREAD);
    std::lock_guard guard(cache_mutex);
    if (cache.hive && cache.path == path.string() && cache.text == *text) {
        out = *cache.hive;
        return ERROR_SUCCESS;
    }
    auto file = parse_reg_file(*text);
    std::optional<Key> hive = file ? build_hive(*file) : std::nullopt;
    if (!hive)
        return ERROR_BADDB;
    cache = Cache{path.string(), std::move(*text), *hive};
    out = std::move(*hive);
    return ERROR_SUCCESS;
}

LONG store(const std::filesystem::path& path, const Key& hive) {
    std::string text = format_reg_file(hive, std::string(kRootName));
    std::filesystem::path tmp = path;
    tmp += ".tmp";
    mode_t mode = 0644;
    struct stat st;
    if (::stat(path.c_str(), &st) == 0)
        mode = st.st_mode & 07777;
    // One name suffices: only the holder of the exclusive lock writes it, and a file left
    // by a writer that died is simply truncated.
    Fd fd(::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode));
    if (fd.get() < 0)
        return error_from_errno(errno, ERROR_CANTWRITE);
    if (!write_all(fd.get(), text) || ::fsync(fd.get()) != 0) {
        int err = errno;
        ::unlink(tmp.c_str());
        return error_from_errno(err, ERROR_CANTWRITE);
    }
    ::close(fd.release());
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
        int err = errno;
        ::unlink(tmp.c_str());
        return error_from_errno(err, ERROR_CANTWRITE);
    }
    Fd dir(::open(path.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
    std::lock_guard guard(cache_mutex);
    cache = Cache{path.string(), std::move(text), hive};
    return ERROR_SUCCESS;
}

} // namespace

std::filesystem::path registry_file_path() {
    return machine_path("registry.reg");
}

LONG read_hive(const std::function<LONG(const Key&)>& fn) {
    Fd lock_fd = open_lock(false);
    if (lock_fd.get() >= 0)
        lock(lock_fd.get(), LOCK_SH);
    Key hive;
    LONG status = load(registry_file_path(), hive);
    if (lock_fd.get() >= 0)
        lock(lock_fd.get(), LOCK_UN);
    return status == ERROR_SUCCESS ? fn(hive) : status;
}

LONG modify_hive(const std::function<LONG(Key&, bool&)>& fn) {
    std::error_code ec;
    std::filesystem::create_directories(machine_root(), ec);
    Fd lock_fd = open_lock(true);
    if (lock_fd.get() < 0)
        return error_from_errno(errno, ERROR_CANTWRITE);
    if (!lock(lock_fd.get(), LOCK_EX))
        return ERROR_CANTWRITE;
    // Closing lock_fd on return releases the lock.
    std::filesystem::path path = registry_file_path();
    Key hive;
    LONG status = load(path, hive);
    if (status != ERROR_SUCCESS)
        return status;
    bool changed = false;
    status = fn(hive, changed);
    if (status != ERROR_SUCCESS || !changed)
        return status;
    return store(path, hive);
}

bool hive_writable_by_permissions() {
    std::filesystem::path path = registry_file_path();
    std::filesystem::path dir = path.parent_path();
    std::error_code ec;
    // A machine root that does not exist yet is created on the first write.
    while (!dir.empty() && !std::filesystem::exists(dir, ec) && dir != dir.parent_path())
        dir = dir.parent_path();
    if (::access(dir.c_str(), W_OK) != 0)
        return false;
    return ::access(path.c_str(), W_OK) == 0 || errno == ENOENT;
}

} // namespace platform::reg
