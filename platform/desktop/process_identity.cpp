// Who owns a slot: a process id together with its start time, so that a later process that
// got the same pid is not taken for the owner. And the desktop directory itself.
#include "desktop_state.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace platform::desktop_detail {

uint64_t process_start_time(int pid) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/stat", pid);
    int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    char buf[1024];
    ssize_t n = ::read(fd, buf, sizeof buf - 1);
    ::close(fd);
    if (n <= 0)
        return 0;
    buf[n] = '\0';
    // The command name may hold spaces and parentheses: fields count from the last ')'.
    const char* p = std::strrchr(buf, ')');
    if (!p)
        return 0;
    // After ')' come fields 3 (state) onwards; the start time is field 22.
    for (int field = 2; field < 22; ++field) {
        p = std::strchr(p + 1, ' ');
        if (!p)
            return 0;
    }
    return std::strtoull(p + 1, nullptr, 10);
}

namespace {

bool exited(int pidfd) {
    pollfd p{pidfd, POLLIN, 0};
    return ::poll(&p, 1, 0) == 1;
}

// The pidfds of the live peers met so far, each verified once to hold the process of that
// start time: asking again is one poll. A pidfd is dropped when its process has exited.
class Peers {
public:
    std::optional<bool> known(int pid, uint64_t start_time) {
        std::lock_guard guard(mutex_);
        auto it = fds_.find({pid, start_time});
        if (it == fds_.end())
            return std::nullopt;
        if (!exited(it->second))
            return true;
        ::close(it->second);
        fds_.erase(it);
        return false;
    }
    void keep(int pid, uint64_t start_time, int fd) {
        std::lock_guard guard(mutex_);
        if (fds_.size() < kMaxKept && fds_.emplace(std::make_pair(pid, start_time), fd).second)
            return;
        ::close(fd);
    }

private:
    static constexpr size_t kMaxKept = 64;
    std::mutex mutex_;
    std::map<std::pair<int, uint64_t>, int> fds_;
};

Peers& peers() {
    static Peers p;
    return p;
}

} // namespace

// Alive means not exited: a zombie that nobody reaped is as gone as a reaped process, and
// kill(pid, 0) cannot tell them apart. Its pidfd can: it turns readable at the exit.
bool process_alive(int pid, uint64_t start_time) {
    if (pid <= 0)
        return false;
    if (std::optional<bool> known = peers().known(pid, start_time))
        return *known;
    int fd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (fd < 0)
        return errno != ESRCH && process_start_time(pid) == start_time;
    // The start time checked after the pidfd is open names the process the pidfd holds.
    bool alive = process_start_time(pid) == start_time && !exited(fd);
    if (alive)
        peers().keep(pid, start_time, fd);
    else
        ::close(fd);
    return alive;
}

std::string socket_name(int pid, uint64_t start_time) {
    return std::to_string(pid) + "." + std::to_string(start_time);
}

std::string queue_name(int pid, uint64_t start_time) {
    return socket_name(pid, start_time) + ".queue";
}

bool prepare_directory(const std::filesystem::path& dir) {
    std::error_code ec;
    std::filesystem::create_directories(dir.parent_path(), ec);
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st {};
    bool ok = ::lstat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
              (st.st_mode & 077) == 0;
    if (!ok) {
        static std::set<std::string> told;
        if (told.insert(dir.string()).second)
            std::fprintf(stderr,
                         "platform: %s is not a directory private to this user; windows of "
                         "other processes stay out of sight\n",
                         dir.c_str());
    }
    return ok;
}

namespace {

// FNV-1a: stable across builds and runs, unlike std::hash.
uint64_t fnv1a(const std::string& s) {
    uint64_t h = 0xcbf29ce484222325ull;
    for (unsigned char c : s) {
        h ^= c;
        h *= 0x100000001b3ull;
    }
    return h;
}

bool usable_runtime_dir(const char* dir) {
    if (!dir || *dir != '/')
        return false;
    struct stat st {};
    return ::stat(dir, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           ::access(dir, W_OK | X_OK) == 0;
}

} // namespace

} // namespace platform::desktop_detail

namespace platform {

std::filesystem::path desktop_directory_for(const std::filesystem::path& root) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!desktop_detail::usable_runtime_dir(runtime))
        return root / "desktop";
    std::error_code ec;
    std::filesystem::path canonical = std::filesystem::weakly_canonical(root, ec);
    if (ec)
        canonical = root;
    char name[40];
    std::snprintf(name, sizeof name, "radiodeck-%012llx",
                  static_cast<unsigned long long>(desktop_detail::fnv1a(canonical.string()) &
                                                  0xFFFFFFFFFFFFull));
    return std::filesystem::path(runtime) / name;
}

} // namespace platform
