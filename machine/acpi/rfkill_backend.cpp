#include "machine/acpi/acpi_backend.h"
#include "machine/acpi/firmware.h"
#include "machine/acpi/rfkill_state.h"

#include "platform/kernel/last_error.h"

#include <linux/rfkill.h>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace machine {

namespace {

class RfkillFirmware final : public AcpiBackend {
public:
    explicit RfkillFirmware(int fd) : fd_(fd) {}
    ~RfkillFirmware() override { close(fd_); }
    RfkillFirmware(const RfkillFirmware&) = delete;
    RfkillFirmware& operator=(const RfkillFirmware&) = delete;

    DWORD evaluate(const AcpiCall& call, AcpiAnswer& answer) override {
        catch_up();
        if (call.method == kMethodHwrs) {
            answer.value = state_.hwrs();
            return ERROR_SUCCESS;
        }
        if (call.method == kMethodRsts) {
            answer.value = state_.rsts();
            return ERROR_SUCCESS;
        }
        if (call.method != kMethodBled && call.method != kMethodWled)
            return ERROR_FILE_NOT_FOUND;
        if (!call.integer)
            return ERROR_INVALID_PARAMETER;
        uint8_t type = call.method == kMethodWled ? RFKILL_TYPE_WLAN : RFKILL_TYPE_BLUETOOTH;
        bool on = *call.integer != 0;
        if (state_.present(type)) {
            rfkill_event event{};
            event.type = type;
            event.op = RFKILL_OP_CHANGE_ALL;
            event.soft = on ? 0 : 1;
            if (write(fd_, &event, RFKILL_EVENT_SIZE_V1) != ssize_t(RFKILL_EVENT_SIZE_V1))
                return platform::win32_error_from_errno(errno);
            state_.apply(&event, RFKILL_EVENT_SIZE_V1);
        }
        answer.value = state_.on(type) ? 1 : 0;
        return ERROR_SUCCESS;
    }

private:
    // The kernel queues an event for every radio when the device opens and one for each change
    // since; reading what is queued brings the state up to date without blocking.
    void catch_up() {
        unsigned char event[RFKILL_EVENT_SIZE_V1];
        while (read(fd_, event, sizeof event) == ssize_t(sizeof event))
            state_.apply(event, sizeof event);
    }

    int fd_;
    RfkillState state_;
};

} // namespace

std::unique_ptr<AcpiBackend> open_rfkill_backend(DWORD& error) {
    int fd = open("/dev/rfkill", O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = platform::win32_error_from_errno(errno);
        return nullptr;
    }
    error = ERROR_SUCCESS;
    return std::make_unique<RfkillFirmware>(fd);
}

} // namespace machine
