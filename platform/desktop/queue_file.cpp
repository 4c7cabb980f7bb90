#include "queue_file.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::desktop_detail {

using namespace desktop_wire;

namespace {

void lock(int fd) {
    while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
}

void unlock(int fd) {
    ::flock(fd, LOCK_UN);
}

bool header_fits(const QueueHeader& h) {
    return h.magic == kQueueMagic && h.version == kQueueVersion && h.capacity == kQueueCapacity &&
           h.entry_size == kEntryBytes;
}

off_t entry_offset(uint64_t index) {
    return static_cast<off_t>(sizeof(QueueHeader) + (index % kQueueCapacity) * kEntryBytes);
}

// One sender's open queue, kept for the next post: a service posts to the same window again
// and again. A file of a process that has ended stays valid until replaced here.
struct SenderCache {
    std::filesystem::path path;
    int fd = -1;
    ~SenderCache() {
        if (fd >= 0)
            ::close(fd);
    }
};

thread_local SenderCache g_sender;

int open_for_append(const std::filesystem::path& path) {
    if (g_sender.fd >= 0 && g_sender.path == path)
        return g_sender.fd;
    if (g_sender.fd >= 0)
        ::close(g_sender.fd);
    g_sender.fd = -1;
    int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return -1;
    struct stat st {};
    // Only a regular file of this user, of the size the protocol gives, is a queue.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::getuid() ||
        static_cast<size_t>(st.st_size) != kQueueBytes) {
        ::close(fd);
        return -1;
    }
    g_sender.fd = fd;
    g_sender.path = path;
    return fd;
}

} // namespace

OwnQueue::~OwnQueue() {
    close(false);
}

bool OwnQueue::create(const std::filesystem::path& path) {
    close(false);
    ::unlink(path.c_str()); // left by an earlier process that had this pid and start time
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return false;
    // A sparse file: only the pages that entries pass through take memory.
    void* map = MAP_FAILED;
    if (::ftruncate(fd, static_cast<off_t>(kQueueBytes)) == 0)
        map = ::mmap(nullptr, kQueueBytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (map == MAP_FAILED) {
        ::close(fd);
        ::unlink(path.c_str());
        return false;
    }
    path_ = path;
    fd_ = fd;
    header_ = static_cast<QueueHeader*>(map);
    entries_ = static_cast<char*>(map) + sizeof(QueueHeader);
    *header_ = QueueHeader{kQueueMagic, kQueueVersion, kQueueCapacity, kEntryBytes, 0, 0, {}};
    return true;
}

bool OwnQueue::pending() const {
    if (!header_)
        return false;
    // Senders write the counters through the file under the lock; a stale look here only
    // delays the entry until the wake-up datagram that follows every write.
    uint64_t tail = std::atomic_ref<uint64_t>(header_->tail).load(std::memory_order_acquire);
    uint64_t head = std::atomic_ref<uint64_t>(header_->head).load(std::memory_order_relaxed);
    return tail != head;
}

void OwnQueue::take(size_t most, std::vector<std::array<char, kEntryBytes>>& out) {
    if (!header_ || most == 0)
        return;
    lock(fd_);
    QueueHeader h;
    std::memcpy(&h, header_, sizeof h);
    uint64_t waiting = h.tail - h.head;
    if (!header_fits(h) || waiting > kQueueCapacity) {
        // Not what any sender writes: start again empty rather than read by its numbers.
        *header_ = QueueHeader{kQueueMagic, kQueueVersion, kQueueCapacity, kEntryBytes, 0, 0, {}};
        unlock(fd_);
        return;
    }
    size_t n = waiting < most ? static_cast<size_t>(waiting) : most;
    for (size_t i = 0; i < n; ++i) {
        auto& e = out.emplace_back();
        std::memcpy(e.data(), entries_ + (entry_offset(h.head + i) - sizeof(QueueHeader)),
                    kEntryBytes);
    }
    std::atomic_ref<uint64_t>(header_->head).store(h.head + n, std::memory_order_release);
    unlock(fd_);
}

void OwnQueue::close(bool remove) {
    if (header_)
        ::munmap(header_, kQueueBytes);
    header_ = nullptr;
    entries_ = nullptr;
    if (fd_ >= 0) {
        ::close(fd_);
        if (remove)
            ::unlink(path_.c_str());
    }
    fd_ = -1;
}

DWORD append_to_queue(const std::filesystem::path& path, const void* entry) {
    int fd = open_for_append(path);
    if (fd < 0)
        return ERROR_FILE_NOT_FOUND;
    lock(fd);
    QueueHeader h;
    DWORD result = ERROR_SUCCESS;
    if (::pread(fd, &h, sizeof h, 0) != static_cast<ssize_t>(sizeof h) || !header_fits(h))
        result = ERROR_FILE_NOT_FOUND;
    else if (h.tail - h.head >= kQueueCapacity)
        result = ERROR_NOT_ENOUGH_QUOTA; // never waits for room: the sender goes on
    else if (::pwrite(fd, entry, kEntryBytes, entry_offset(h.tail)) !=
             static_cast<ssize_t>(kEntryBytes))
        result = ERROR_NOT_ENOUGH_MEMORY;
    else {
        uint64_t tail = h.tail + 1;
        if (::pwrite(fd, &tail, sizeof tail, offsetof(QueueHeader, tail)) != sizeof tail)
            result = ERROR_NOT_ENOUGH_MEMORY;
    }
    unlock(fd);
    return result;
}

} // namespace platform::desktop_detail
