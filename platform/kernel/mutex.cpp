// Named mutexes, shared by every process of the machine. A named mutex exists while some
// process holds a handle to it: each holder keeps a shared lock on the object's file, so the
// object goes away with its last holder, crashed or not. Only existence is needed here
// (a program's single-instance guard); waiting on a mutex is not supported.
#include "handles.h"
#include "last_error.h"
#include "machine.h"

#include <windows.h>

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

namespace {

class MutexObject final : public KernelObject {
public:
    explicit MutexObject(int fd) : fd_(fd) {}
    ~MutexObject() override { close(fd_); }

private:
    int fd_;
};

// Object names are case-sensitive in Windows; a file name keeps the name safe and readable.
std::string object_file_name(const char* name) {
    std::string out;
    for (const char* p = name; *p; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                     c == '-' || c == '_' || c == '.';
        if (plain) {
            out.push_back(static_cast<char>(c));
        } else {
            static const char hex[] = "0123456789ABCDEF";
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

int open_locked(const std::string& path, int how) {
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return -1;
    while (flock(fd, how) != 0) {
        if (errno != EINTR) {
            close(fd);
            return -1;
        }
    }
    return fd;
}

} // namespace

} // namespace platform

HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL bInitialOwner, LPCSTR lpName) {
    using namespace platform;
    if (!lpName || !*lpName || bInitialOwner)
        return fail(ERROR_NOT_SUPPORTED, static_cast<HANDLE>(nullptr));
    std::error_code ec;
    std::filesystem::path dir = machine_path("objects");
    std::filesystem::create_directories(dir, ec);
    std::string base = (dir / object_file_name(lpName)).string();

    // The guard makes "does it exist, then hold it" one step for all processes.
    int guard = open_locked(base + ".guard", LOCK_EX);
    if (guard < 0)
        return fail(win32_error_from_errno(errno), static_cast<HANDLE>(nullptr));
    int fd = open(base.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    bool existed = false;
    if (fd >= 0) {
        existed = flock(fd, LOCK_EX | LOCK_NB) != 0;
        if (flock(fd, LOCK_SH) != 0) {
            close(fd);
            fd = -1;
        }
    }
    int open_errno = errno;
    close(guard);
    if (fd < 0)
        return fail(win32_error_from_errno(open_errno), static_cast<HANDLE>(nullptr));
    HANDLE handle = insert_handle(std::make_shared<MutexObject>(fd));
    if (!handle)
        return fail(ERROR_NOT_ENOUGH_MEMORY, static_cast<HANDLE>(nullptr));
    // Windows reports an existing object through the last error of a successful call.
    SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}
