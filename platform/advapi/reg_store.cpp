#include "reg_store.h"

#include "reg_file.h"

#include "platform/kernel/atomic_file.h"
#include "platform/kernel/machine.h"

#include <winerror.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <pthread.h>
#include <memory>
#include <mutex>
#include <set>
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
    Fd(Fd&& o) noexcept : fd_(std::exchange(o.fd_, -1)) {}
    Fd& operator=(Fd&& o) noexcept {
        std::swap(fd_, o.fd_);
        return *this;
    }
    ~Fd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

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
// which is still safe because writers only ever rename complete files into place. Its first
// eight bytes count the writes, so a reader knows its cached hive is current without reading
// the file again; the next eight are set while a writer has a temporary file (see store).
Fd open_lock(bool create) {
    std::filesystem::path path = machine_path("registry.lock");
    int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0), 0644);
    if (fd < 0 && !create)
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    return Fd(fd);
}

// The lock file stays open while the machine root stays the same, one per thread: each call
// then costs its flock only. A forked child opens its own, since a flock belongs to the open
// file and a shared one would let parent and child hold the exclusive lock together.
struct KeptLock {
    std::string path;
    Fd fd{};
    bool writable = false;
};

thread_local KeptLock kept_lock;

void forget_kept_lock() {
    kept_lock = KeptLock{};
}

// The open lock file, read-write (a writer's, which creates it) or read-only where only that
// is allowed; -1 when there is none yet and `create` is false.
int held_lock(bool create) {
    static bool fork_handler = pthread_atfork(nullptr, nullptr, forget_kept_lock) == 0;
    (void)fork_handler;
    std::string path = machine_path("registry.lock").string();
    if (kept_lock.path != path || kept_lock.fd.get() < 0 || (create && !kept_lock.writable)) {
        Fd fd = open_lock(create);
        if (fd.get() < 0)
            return -1;
        bool writable = (::fcntl(fd.get(), F_GETFL) & O_ACCMODE) == O_RDWR;
        kept_lock = KeptLock{path, std::move(fd), writable};
    }
    return kept_lock.fd.get();
}

uint64_t write_count(int lock_fd) {
    uint64_t n = 0;
    if (lock_fd < 0 || ::pread(lock_fd, &n, sizeof n, 0) != sizeof n)
        return 0;
    return n;
}

// What identifies one version of the file: the writers' count and the file's identity. A
// person's edit, which bumps no count, still changes the inode or the times.
struct Version {
    uint64_t writes = 0;
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    timespec mtime{};
    timespec ctime{};

    bool operator==(const Version& o) const {
        return writes == o.writes && dev == o.dev && ino == o.ino && size == o.size &&
               mtime.tv_sec == o.mtime.tv_sec && mtime.tv_nsec == o.mtime.tv_nsec &&
               ctime.tv_sec == o.ctime.tv_sec && ctime.tv_nsec == o.ctime.tv_nsec;
    }
};

// `seen` is the file's status when the caller has just looked; `writes` the count when known.
std::optional<Version> version_of(const std::filesystem::path& path, int lock_fd,
                                  const struct stat* seen = nullptr,
                                  std::optional<uint64_t> writes = std::nullopt) {
    struct stat st {};
    if (seen)
        st = *seen;
    if (lock_fd < 0 || (!seen && ::stat(path.c_str(), &st) != 0))
        return std::nullopt;
    return Version{writes ? *writes : write_count(lock_fd),
                   st.st_dev,
                   st.st_ino,
                   st.st_size,
                   st.st_mtim,
                   st.st_ctim};
}

// The last hive read or written, shared with callers that only read it.
struct Cache {
    std::string path;
    std::optional<Version> version;
    std::shared_ptr<const Key> hive;
};

std::mutex cache_mutex;
Cache cache;

std::shared_ptr<const Key> cached(const std::filesystem::path& path,
                                  const std::optional<Version>& version) {
    std::lock_guard guard(cache_mutex);
    if (cache.hive && version && cache.version == version && cache.path == path.string())
        return cache.hive;
    return nullptr;
}

void remember(const std::filesystem::path& path, std::optional<Version> version,
              std::shared_ptr<const Key> hive) {
    std::lock_guard guard(cache_mutex);
    cache = Cache{path.string(), version, std::move(hive)};
}

LONG load(const std::filesystem::path& path, int lock_fd, std::shared_ptr<const Key>& out,
          const struct stat* seen = nullptr) {
    std::optional<Version> version = version_of(path, lock_fd, seen);
    if (auto hive = cached(path, version)) {
        out = std::move(hive);
        return ERROR_SUCCESS;
    }
    DWORD error = ERROR_SUCCESS;
    auto text = read_whole_file(path, error);
    if (!text && (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND))
        text = ""; // no file yet: an empty registry
    if (!text)
        return error == ERROR_ACCESS_DENIED ? ERROR_ACCESS_DENIED : ERROR_CANTREAD;
    auto file = parse_reg_file(*text);
    std::optional<Key> hive = file ? build_hive(*file) : std::nullopt;
    if (!hive)
        return ERROR_BADDB;
    out = std::make_shared<const Key>(std::move(*hive));
    remember(path, version, out);
    return ERROR_SUCCESS;
}

void report_once(const std::string& message) {
    static std::mutex mutex;
    static std::set<std::string> told;
    std::lock_guard guard(mutex);
    if (told.insert(message).second)
        std::fprintf(stderr, "platform: %s\n", message.c_str());
}

std::string utc_stamp() {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    gmtime_r(&now, &tm);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &tm);
    return stamp;
}

// Moves a registry file that cannot be parsed or read aside, under a name that says why and
// when, never over another file; a fresh registry then starts, as dconf does with a damaged
// database. Only the holder of the exclusive lock calls this.
bool set_aside(const std::filesystem::path& path, LONG status) {
    const char* why = status == ERROR_BADDB ? "unparsable" : "unreadable";
    std::string base = path.string() + "." + why + "-" + utc_stamp();
    for (int n = 1; n < 100; ++n) {
        std::string name = n == 1 ? base : base + "-" + std::to_string(n);
        // link() refuses an existing name, so nothing is overwritten.
        if (::link(path.c_str(), name.c_str()) == 0) {
            ::unlink(path.c_str());
            report_once(path.string() +
                        (status == ERROR_BADDB ? " does not parse" : " cannot be read") +
                        ": moved aside as " + name + "; a fresh registry starts");
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    report_once(path.string() + (status == ERROR_BADDB ? " does not parse" : " cannot be read") +
                " and cannot be moved aside: " + std::strerror(errno));
    return false;
}

// The file's final target: a symlinked registry is read and written through to it.
// `seen`, when given, is set to the target's status, or left null when the look failed.
std::filesystem::path registry_target(const struct stat** seen = nullptr) {
    thread_local struct stat st;
    std::filesystem::path path = registry_file_path();
    std::error_code ec;
    bool looked = false;
    for (int hops = 0; hops < 40; ++hops) {
        looked = ::lstat(path.c_str(), &st) == 0;
        if (!looked || !S_ISLNK(st.st_mode))
            break;
        std::filesystem::path target = std::filesystem::read_symlink(path, ec);
        if (ec) {
            looked = false;
            break;
        }
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    if (seen)
        *seen = looked && !S_ISLNK(st.st_mode) ? &st : nullptr;
    return path;
}

// A load that recovers a damaged file. `exclusive` tells whether the caller already holds
// the exclusive lock; a reader takes it for the move.
LONG load_recovering(int lock_fd, bool exclusive, std::shared_ptr<const Key>& out) {
    const struct stat* seen = nullptr;
    std::filesystem::path path = registry_target(&seen);
    LONG status = load(path, lock_fd, out, seen);
    if (status == ERROR_ACCESS_DENIED) {
        report_once(path.string() +
                    " cannot be read (permissions, or not a regular file): it stays where it "
                    "is and the registry cannot be used");
        return status;
    }
    if (status != ERROR_BADDB && status != ERROR_CANTREAD)
        return status;
    // A reader takes the writers' lock for the move, creating it where no writer did yet.
    Fd own_lock;
    if (!exclusive) {
        if (lock_fd >= 0)
            lock(lock_fd, LOCK_UN);
        own_lock = open_lock(true);
        if (own_lock.get() < 0 || !lock(own_lock.get(), LOCK_EX))
            return status;
        lock_fd = own_lock.get();
    }
    // Another process may have set it aside meanwhile.
    status = load(path, lock_fd, out);
    if ((status == ERROR_BADDB || status == ERROR_CANTREAD) && set_aside(path, status))
        status = load(path, lock_fd, out);
    return status;
}

LONG store(int lock_fd, const Key& hive) {
    std::filesystem::path path = registry_target();
    std::string text = format_reg_file(hive, std::string(kRootName));
    // The lock file's second word is set while a writer has a temporary file: one killed
    // midway leaves it set, and the next writer removes what it left.
    uint64_t words[2] = {0, 0};
    [[maybe_unused]] ssize_t n = ::pread(lock_fd, words, sizeof words, 0);
    if (words[1] != 0)
        remove_stale_temporaries(path);
    const uint64_t writing = 1;
    n = ::pwrite(lock_fd, &writing, sizeof writing, sizeof(uint64_t));
    // Only the holder of the exclusive lock writes; a reader sees the old or the new hive.
    // Every process sees the change when this returns; the fsync waits for the loop turn.
    DWORD error = replace_file(path, text, Durability::LoopTurn);
    words[0] += error == ERROR_SUCCESS;
    words[1] = 0;
    n = ::pwrite(lock_fd, words, sizeof words, 0);
    if (error != ERROR_SUCCESS)
        return error == ERROR_ACCESS_DENIED || error == ERROR_NOT_ENOUGH_MEMORY ||
                       error == ERROR_DISK_FULL
                   ? error
                   : ERROR_CANTWRITE;
    remember(path, version_of(path, lock_fd, nullptr, words[0]), std::make_shared<const Key>(hive));
    return ERROR_SUCCESS;
}

} // namespace

std::filesystem::path registry_file_path() {
    return machine_path("registry.reg");
}

std::vector<std::filesystem::path> set_aside_registry_files() {
    std::filesystem::path path = registry_target();
    std::string prefix = path.filename().string() + ".";
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(path.parent_path(), ec)) {
        std::string name = entry.path().filename().string();
        if (name.starts_with(prefix + "unparsable-") || name.starts_with(prefix + "unreadable-"))
            files.push_back(entry.path());
    }
    // The time in the name sorts them; the reason comes first.
    std::sort(files.begin(), files.end(), [&](const auto& a, const auto& b) {
        auto when = [&](const std::filesystem::path& p) {
            return p.filename().string().substr(prefix.size() + 11);
        };
        return when(a) < when(b);
    });
    return files;
}

LONG read_hive(const std::function<LONG(const Key&)>& fn) {
    int lock_fd = held_lock(false);
    if (lock_fd >= 0)
        lock(lock_fd, LOCK_SH);
    std::shared_ptr<const Key> hive;
    LONG status = load_recovering(lock_fd, false, hive);
    if (lock_fd >= 0)
        lock(lock_fd, LOCK_UN);
    return status == ERROR_SUCCESS ? fn(*hive) : status;
}

LONG modify_hive(const std::function<LONG(Key&, bool&)>& fn) {
    int lock_fd = held_lock(false);
    if (lock_fd < 0 || !kept_lock.writable) {
        std::error_code ec;
        std::filesystem::create_directories(machine_root(), ec);
        lock_fd = held_lock(true);
    }
    if (lock_fd < 0)
        return error_from_errno(errno, ERROR_CANTWRITE);
    if (!lock(lock_fd, LOCK_EX))
        return ERROR_CANTWRITE;
    struct Unlock {
        int fd;
        ~Unlock() { lock(fd, LOCK_UN); }
    } unlock{lock_fd};
    std::shared_ptr<const Key> current;
    LONG status = load_recovering(lock_fd, true, current);
    if (status != ERROR_SUCCESS)
        return status;
    Key hive = *current;
    bool changed = false;
    status = fn(hive, changed);
    if (status != ERROR_SUCCESS || !changed)
        return status;
    return store(lock_fd, hive);
}

bool hive_writable_by_permissions() {
    std::filesystem::path path = registry_target();
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
