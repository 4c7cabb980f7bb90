#include "machine/acpi/rfkill_device.h"
#include "machine/acpi/rfkill_state.h"

#include "platform/kernel/last_error.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace machine {

namespace {

// Larger than any record a kernel writes today, so that a longer one still arrives whole.
constexpr size_t kRecordBuffer = 64;

const char* test_path(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}

// The stand-in of a test: a socket, whose records of the radios at connection time end with
// an empty one. They are read here, so that the caller sees them as the kernel's, which are
// queued before open returns.
int connect_standin(const char* path, RfkillState& state) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (std::strlen(path) >= sizeof address.sun_path) {
        errno = ENAMETOOLONG;
        return -1;
    }
    std::strcpy(address.sun_path, path);
    int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) < 0) {
        int error = errno == ECONNREFUSED ? ENOENT : errno;
        close(fd);
        errno = error;
        return -1;
    }
    unsigned char bytes[kRecordBuffer];
    ssize_t n;
    while ((n = read(fd, bytes, sizeof bytes)) > 0)
        state.apply(bytes, static_cast<size_t>(n));
    fcntl(fd, F_SETFL, O_NONBLOCK);
    return fd;
}

} // namespace

std::filesystem::path rfkill_device_path() {
    const char* path = test_path("RADIODECK_TEST_RFKILL");
    return path ? path : "/dev/rfkill";
}

std::filesystem::path rfkill_sysfs_path() {
    const char* path = test_path("RADIODECK_TEST_RFKILL_SYSFS");
    return path ? path : "/sys/class/rfkill";
}

int open_rfkill_device(RfkillState& state) {
    if (const char* standin = test_path("RADIODECK_TEST_RFKILL"))
        return connect_standin(standin, state);
    int fd = open("/dev/rfkill", O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    // Kernels before 5.11 know no extended record and refuse the request; they send the first
    // layout, as the others do without it.
    uint32_t size = sizeof(rfkill_event_ext);
    ioctl(fd, RFKILL_IOCTL_MAX_SIZE, &size);
    RfkillRecord record;
    for (RfkillRead read = RfkillRead::Record;
         read == RfkillRead::Record || read == RfkillRead::Short;) {
        read = read_rfkill_record(fd, record);
        if (read == RfkillRead::Record)
            state.apply(record);
    }
    return fd;
}

bool decode_rfkill_record(const void* bytes, size_t size, RfkillRecord& record) {
    if (bytes == nullptr || size < RFKILL_EVENT_SIZE_V1)
        return false;
    rfkill_event_ext e{};
    std::memcpy(&e, bytes, std::min(size, sizeof e));
    record.idx = e.idx;
    record.type = e.type;
    record.op = e.op;
    record.soft = e.soft != 0;
    record.hard = e.hard != 0;
    // The first layout says nothing of why a radio is hard-blocked: a switch, as it was.
    record.hard_reasons = size > offsetof(rfkill_event_ext, hard_block_reasons)
                              ? e.hard_block_reasons
                              : (record.hard ? RFKILL_HARD_BLOCK_SIGNAL : 0);
    return true;
}

RfkillRead read_rfkill_record(int fd, RfkillRecord& record) {
    unsigned char bytes[kRecordBuffer];
    ssize_t n = read(fd, bytes, sizeof bytes);
    if (n < 0)
        return errno == EAGAIN || errno == EINTR ? RfkillRead::Empty : RfkillRead::Failed;
    if (n == 0)
        return RfkillRead::Closed;
    return decode_rfkill_record(bytes, static_cast<size_t>(n), record) ? RfkillRead::Record
                                                                       : RfkillRead::Short;
}

DWORD write_rfkill_record(int fd, const rfkill_event& event) {
    ssize_t n = write(fd, &event, RFKILL_EVENT_SIZE_V1);
    if (n < 0)
        return platform::win32_error_from_errno(errno);
    return n == ssize_t(RFKILL_EVENT_SIZE_V1) ? ERROR_SUCCESS : ERROR_WRITE_FAULT;
}

std::string rfkill_open_advice(int error) {
    std::string device = rfkill_device_path().string();
    if (error == ENOENT || error == ENODEV || error == ENXIO)
        return device + " does not exist: this kernel has no rfkill support, or its module is "
                        "not loaded\n(load it with 'sudo modprobe rfkill').";
    if (error == EACCES || error == EPERM)
        return "no permission to read and write " + device +
               ".\n"
               "The radios are switched through it. systemd-logind lets the user who is logged "
               "in at the\nnotebook's own seat use it (udev's uaccess tag); from a remote or "
               "seatless session, or where\nthat tag is missing, grant it to a group, e.g. "
               "in /etc/udev/rules.d/70-rfkill.rules:\n"
               "  KERNEL==\"rfkill\", GROUP=\"netdev\", MODE=\"0664\"\n"
               "then 'sudo usermod -aG netdev $USER', 'sudo udevadm trigger' and log in again.";
    return "cannot open " + device + ": " + std::strerror(error) + ".";
}

} // namespace machine
