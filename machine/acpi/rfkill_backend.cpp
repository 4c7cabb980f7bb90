#include "machine/acpi/acpi_backend.h"
#include "machine/acpi/firmware.h"
#include "machine/acpi/rfkill_device.h"
#include "machine/acpi/rfkill_state.h"

#include "platform/kernel/last_error.h"

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace machine {

namespace {

class RfkillFirmware final : public AcpiBackend {
public:
    RfkillFirmware(int fd, const RfkillState& state) : fd_(fd), state_(state) {}
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
            // A soft block of every radio of the type, as the firmware's method switches the
            // notebook's one radio; the kernel confirms it with a change record per radio.
            rfkill_event event{};
            event.type = type;
            event.op = RFKILL_OP_CHANGE_ALL;
            event.soft = on ? 0 : 1;
            if (DWORD error = write_rfkill_record(fd_, event); error != ERROR_SUCCESS)
                return error;
            state_.apply(RfkillRecord{0, type, RFKILL_OP_CHANGE_ALL, !on, false, 0});
        }
        answer.value = state_.on(type) ? 1 : 0;
        return ERROR_SUCCESS;
    }

private:
    // The kernel queues a record for each change; reading what is queued brings the state up
    // to date without blocking.
    void catch_up() {
        RfkillRecord record;
        for (;;) {
            RfkillRead read = read_rfkill_record(fd_, record);
            if (read == RfkillRead::Record)
                state_.apply(record);
            else if (read != RfkillRead::Short)
                return;
        }
    }

    int fd_;
    RfkillState state_;
};

DWORD error_of_open(int error) {
    switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return ERROR_FILE_NOT_FOUND;
    case EACCES:
    case EPERM:
        return ERROR_ACCESS_DENIED;
    default:
        return platform::win32_error_from_errno(error);
    }
}

} // namespace

std::unique_ptr<AcpiBackend> open_rfkill_backend(DWORD& error) {
    // The switch the notebook was found to have when it was set up; without that record a
    // switch shows only while it blocks the radios.
    Firmware firmware;
    bool has_switch = read_firmware(firmware) == ERROR_SUCCESS && firmware.profile.hw_switch;
    RfkillState state(has_switch);
    int fd = open_rfkill_device(state);
    if (fd < 0) {
        int open_error = errno;
        // Said once per process, on the terminal of whoever started it; the program itself
        // reports a device that will not open in its own way.
        static bool told = false;
        if (!told)
            std::fprintf(stderr, "%s: %s\n", program_invocation_short_name,
                         rfkill_open_advice(open_error).c_str());
        told = true;
        error = error_of_open(open_error);
        return nullptr;
    }
    error = ERROR_SUCCESS;
    return std::make_unique<RfkillFirmware>(fd, state);
}

} // namespace machine
