#include "surface_file.h"

#include "desktop_state.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

using surface_wire::SurfaceHeader;

namespace {

size_t file_bytes(SIZE size) {
    return sizeof(SurfaceHeader) + static_cast<size_t>(size.cx) * size.cy * sizeof(uint32_t);
}

std::optional<std::string> path_of(const std::string& name) {
    desktop_detail::Desktop* d = desktop_detail::Desktop::current();
    if (!d)
        return std::nullopt;
    return (d->directory() / name).string();
}

std::atomic_ref<uint32_t> sequence(void* map) {
    return std::atomic_ref<uint32_t>(static_cast<SurfaceHeader*>(map)->sequence);
}

bool read_all(int fd, void* to, size_t bytes, off_t at) {
    auto* p = static_cast<char*>(to);
    while (bytes) {
        ssize_t n = ::pread(fd, p, bytes, at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        bytes -= static_cast<size_t>(n);
        at += n;
    }
    return true;
}

bool header_sound(const SurfaceHeader& h, off_t file_size) {
    return h.magic == surface_wire::kSurfaceMagic && h.version == surface_wire::kSurfaceVersion &&
           h.width <= surface_wire::kMaxSide && h.height <= surface_wire::kMaxSide &&
           static_cast<size_t>(file_size) ==
               file_bytes({static_cast<LONG>(h.width), static_cast<LONG>(h.height)});
}

} // namespace

SharedPicture::~SharedPicture() {
    unmap();
}

void SharedPicture::unmap() {
    if (map_)
        ::munmap(map_, bytes_);
    map_ = nullptr;
    bytes_ = 0;
}

bool SharedPicture::create(const std::string& name, SIZE size, std::span<const uint32_t> pixels) {
    unmap();
    size_ = size;
    std::optional<std::string> path = path_of(name);
    if (!path || size.cx < 0 || size.cy < 0 ||
        size.cx > static_cast<LONG>(surface_wire::kMaxSide) ||
        size.cy > static_cast<LONG>(surface_wire::kMaxSide) ||
        pixels.size() != static_cast<size_t>(size.cx) * size.cy)
        return false;
    path_ = *path;
    // A new file renamed over the old one: a reader mid-copy keeps the old file whole.
    std::string temp = path_ + ".new";
    ::unlink(temp.c_str());
    int fd = ::open(temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return false;
    size_t bytes = file_bytes(size);
    void* map = MAP_FAILED;
    if (::ftruncate(fd, static_cast<off_t>(bytes)) == 0)
        map = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    ::close(fd);
    if (map != MAP_FAILED) {
        auto* h = static_cast<SurfaceHeader*>(map);
        h->magic = surface_wire::kSurfaceMagic;
        h->version = surface_wire::kSurfaceVersion;
        h->width = static_cast<uint32_t>(size.cx);
        h->height = static_cast<uint32_t>(size.cy);
        std::copy(pixels.begin(), pixels.end(), reinterpret_cast<uint32_t*>(h + 1));
    }
    // Renamed only once whole: a reader never sees the picture before it is drawn.
    if (map == MAP_FAILED || ::rename(temp.c_str(), path_.c_str()) != 0) {
        if (map != MAP_FAILED)
            ::munmap(map, bytes);
        ::unlink(temp.c_str());
        return false;
    }
    map_ = map;
    bytes_ = bytes;
    return true;
}

void SharedPicture::update(std::span<const uint32_t> from, std::span<const RECT> rects) {
    if (!map_ || from.size() < static_cast<size_t>(size_.cx) * size_.cy)
        return;
    auto* to = reinterpret_cast<uint32_t*>(static_cast<char*>(map_) + sizeof(SurfaceHeader));
    sequence(map_).fetch_add(1, std::memory_order_acq_rel);
    for (const RECT& r : rects) {
        LONG left = std::max(r.left, LONG{0}), right = std::min(r.right, size_.cx);
        LONG top = std::max(r.top, LONG{0}), bottom = std::min(r.bottom, size_.cy);
        for (LONG y = top; left < right && y < bottom; ++y) {
            size_t at = static_cast<size_t>(y) * size_.cx + left;
            std::memcpy(to + at, from.data() + at, (right - left) * sizeof(uint32_t));
        }
    }
    sequence(map_).fetch_add(1, std::memory_order_release);
}

void SharedPicture::remove() {
    unmap();
    if (!path_.empty())
        ::unlink(path_.c_str());
    path_.clear();
}

std::string surface_name(HWND hwnd) {
    char name[32];
    std::snprintf(name, sizeof name, "surface-%08x",
                  static_cast<unsigned>(reinterpret_cast<uintptr_t>(hwnd)));
    return name;
}

std::string tray_picture_name(uint32_t owner, uint32_t id) {
    char name[48];
    std::snprintf(name, sizeof name, "trayicon-%08x-%u", owner, id);
    return name;
}

std::optional<Picture> read_picture(const std::string& name) {
    std::optional<std::string> path = path_of(name);
    if (!path)
        return std::nullopt;
    int fd = ::open(path->c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    std::optional<Picture> result;
    struct stat st {};
    SurfaceHeader before{}, after{};
    // Only a regular file of this user is a picture; pread, not a mapping, so that a file
    // cut short meanwhile gives a failed read rather than a fault.
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::getuid() &&
        read_all(fd, &before, sizeof before, 0) && header_sound(before, st.st_size)) {
        Picture p;
        p.size = {static_cast<LONG>(before.width), static_cast<LONG>(before.height)};
        p.pixels.resize(static_cast<size_t>(before.width) * before.height);
        // The owner copies in only at its flush and briefly; one that died mid-copy leaves
        // the sequence odd, and its last picture is taken as it is.
        for (int tries = 0; tries < 1000; ++tries) {
            if (!read_all(fd, &before, sizeof before, 0) ||
                !read_all(fd, p.pixels.data(), p.pixels.size() * sizeof(uint32_t),
                          sizeof(SurfaceHeader)) ||
                !read_all(fd, &after, sizeof after, 0))
                break;
            if (!(before.sequence & 1) && before.sequence == after.sequence) {
                result = std::move(p);
                break;
            }
            ::sched_yield();
            if (tries == 999)
                result = std::move(p);
        }
    }
    ::close(fd);
    return result;
}

void remove_pictures(const std::vector<std::string>& names) {
    for (const std::string& name : names)
        if (std::optional<std::string> path = path_of(name))
            ::unlink(path->c_str());
}

} // namespace platform
