#include "reg_store.h"

#include "reg_file.h"

#include "platform/kernel/atomic_file.h"
#include "platform/kernel/machine.h"

#include <winerror.h>

#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <string>
#include <sys/file.h>
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
    DWORD error = ERROR_SUCCESS;
    auto text = read_whole_file(path, error);
    if (!text && (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND))
        text = ""; // no file yet: an empty registry
    if (!text)
        return error == ERROR_ACCESS_DENIED ? ERROR_ACCESS_DENIED : ERROR_CANTREAD;
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
    // Only the holder of the exclusive lock writes; a reader sees the old or the new hive.
    DWORD error = replace_file(path, text);
    if (error != ERROR_SUCCESS)
        return error == ERROR_ACCESS_DENIED || error == ERROR_NOT_ENOUGH_MEMORY ? error
                                                                                : ERROR_CANTWRITE;
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
