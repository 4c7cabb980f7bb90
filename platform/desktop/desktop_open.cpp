// Opening the desktop of the machine root: the private directory, the lock, the mapped
// window table and the change file. Nothing here runs again until the root changes.
#include "desktop_state.h"
#include "surface_file.h"

#include "platform/kernel/machine.h"
#include "platform/kernel/trace.h"
#include "platform/kernel/wait.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <pthread.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::desktop_detail {

using namespace desktop_wire;

struct DesktopHolder {
    std::unique_ptr<Desktop> desktop;
    std::string root;
    bool opened = false;

    ~DesktopHolder() {
        // At exit the thread's wait is already gone: only the slots are given back.
        if (desktop)
            desktop->close(true);
    }
};

namespace {

DesktopHolder& holder() {
    static DesktopHolder h;
    return h;
}

// A forked child holds none of its parent's windows: it opens the desktop afresh.
void forget_in_child() {
    DesktopHolder& h = holder();
    if (h.desktop) {
        h.desktop->held().clear();
        h.desktop->close(false);
        h.desktop.reset();
    }
    h.opened = false;
    h.root.clear();
}

int open_private_file(const std::filesystem::path& p) {
    return ::open(p.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
}

} // namespace

Desktop* Desktop::current() {
    DesktopHolder& h = holder();
    std::string root = machine_root().string();
    if (h.opened && root == h.root)
        return h.desktop.get();
    static bool fork_handler = [] { return pthread_atfork(nullptr, nullptr, forget_in_child); }();
    (void)fork_handler;
    if (h.desktop) {
        h.desktop->close(false);
        h.desktop.reset();
    }
    h.root = root;
    h.opened = true;
    std::unique_ptr<Desktop> d(new Desktop());
    std::filesystem::path dir = desktop_directory_for(root);
    if (d->open(dir))
        h.desktop = std::move(d);
    trace(TraceChannel::desktop, "desktop %s %s", dir.c_str(), h.desktop ? "open" : "refused");
    return h.desktop.get();
}

bool Desktop::open(const std::filesystem::path& dir) {
    std::error_code ec;
    if (dir.parent_path() == machine_root())
        std::filesystem::create_directories(dir.parent_path(), ec);
    if (!prepare_directory(dir))
        return false;
    dir_ = dir;
    pid_ = static_cast<int>(::getpid());
    start_ = process_start_time(pid_);
    lock_fd_ = open_private_file(dir / "lock");
    change_fd_ = open_private_file(dir / "changes");
    table_fd_ = open_private_file(dir / "table");
    if (lock_fd_ < 0 || change_fd_ < 0 || table_fd_ < 0)
        return false;
    // The lock checks the table, rebuilding one that another process damaged or truncated.
    Lock lock(*this, true);
    map_ = ::mmap(nullptr, kTableBytes, PROT_READ | PROT_WRITE, MAP_SHARED, table_fd_, 0);
    if (map_ == MAP_FAILED) {
        map_ = nullptr;
        return false;
    }
    header_ = static_cast<TableHeader*>(map_);
    slots_ = reinterpret_cast<Slot*>(static_cast<char*>(map_) + sizeof(TableHeader));
    return true;
}

namespace {

TableHeader fresh_header() {
    TableHeader h{};
    h.magic = kTableMagic;
    h.version = kTableVersion;
    h.slot_count = kSlotCount;
    h.slot_size = sizeof(Slot);
    h.z_top = uint64_t{1} << 62;
    h.z_bottom = uint64_t{1} << 62;
    return h;
}

bool header_sound(const TableHeader& h) {
    return h.magic == kTableMagic && h.version == kTableVersion && h.slot_count == kSlotCount &&
           h.slot_size == sizeof(Slot);
}

} // namespace

// Whether the table file has its size and header; read through the file, so that a table
// truncated under the mapping is never touched through it.
// Once mapped, a table of the right size is read through the mapping: one system call a lock.
bool Desktop::table_sound() const {
    struct stat st {};
    TableHeader h{};
    if (::fstat(table_fd_, &st) != 0 || static_cast<size_t>(st.st_size) != kTableBytes)
        return false;
    if (header_)
        return header_sound(*header_);
    return ::pread(table_fd_, &h, sizeof h, 0) == static_cast<ssize_t>(sizeof h) && header_sound(h);
}

// Under the exclusive lock: a new, empty table in place of a missing or damaged one. A table
// that another process truncated or overwrote would otherwise lock out every new process and
// fault every process that has it mapped. The processes whose windows were in the damaged
// table publish them again when told.
void Desktop::rebuild_table() {
    struct stat st {};
    bool had_table = ::fstat(table_fd_, &st) == 0 && st.st_size != 0;
    // A sparse file: pages of slots never used take no memory.
    if (::ftruncate(table_fd_, 0) != 0 ||
        ::ftruncate(table_fd_, static_cast<off_t>(kTableBytes)) != 0)
        return;
    TableHeader h = fresh_header();
    if (::pwrite(table_fd_, &h, sizeof h, 0) != static_cast<ssize_t>(sizeof h))
        return;
    if (had_table) {
        static bool told = false;
        if (!told)
            std::fprintf(stderr, "platform: the window table in %s was damaged and is rebuilt\n",
                         dir_.c_str());
        told = true;
        // Every process's windows went with it: each publishes them again.
        announce_rebuild(*this);
    }
}

void Desktop::close(bool at_exit) {
    if (header_ && !held_.empty() && pid_ == static_cast<int>(::getpid())) {
        Lock lock(*this, true);
        for (uint32_t h : held_) {
            free_slot(desktop_wire::slot_of(h));
            ::unlink((dir_ / surface_name(reinterpret_cast<HWND>(uintptr_t{h}))).c_str());
        }
        changed();
    }
    held_.clear();
    if (watch_ >= 0 && !at_exit)
        remove_wait_source(watch_);
    watch_ = -1;
    if (recv_fd_ >= 0 && pid_ == static_cast<int>(::getpid()))
        ::unlink((dir_ / socket_name(pid_, start_)).c_str());
    stop_receiving();
    queue_.close(recv_fd_ >= 0 && pid_ == static_cast<int>(::getpid()));
    for (int* fd : {&lock_fd_, &table_fd_, &change_fd_, &recv_fd_, &send_fd_}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
    if (map_)
        ::munmap(map_, kTableBytes);
    map_ = nullptr;
    header_ = nullptr;
    slots_ = nullptr;
}

Desktop::~Desktop() {
    close(false);
}

Desktop::Lock::Lock(Desktop& d, bool exclusive) : fd_(d.lock_fd_) {
    while (::flock(fd_, exclusive ? LOCK_EX : LOCK_SH) != 0 && errno == EINTR) {
    }
    if (d.table_sound())
        return;
    if (!exclusive)
        while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    if (!d.table_sound())
        d.rebuild_table();
    if (!exclusive)
        while (::flock(fd_, LOCK_SH) != 0 && errno == EINTR) {
        }
}

Desktop::Lock::~Lock() {
    ::flock(fd_, LOCK_UN);
}

void Desktop::changed() {
    uint64_t n = ++header_->changes;
    // A write through the file, unlike a store to the mapping, wakes inotify watchers.
    [[maybe_unused]] ssize_t w = ::pwrite(change_fd_, &n, sizeof n, 0);
}

} // namespace platform::desktop_detail
