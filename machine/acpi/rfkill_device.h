// The kernel's radio switches: /dev/rfkill, a stream of fixed records (struct rfkill_event,
// 8 bytes; newer kernels append fields, the extended record), one per read, and
// /sys/class/rfkill, one folder per radio.
//
// Tests put a stand-in in their place: RADIODECK_TEST_RFKILL names a SOCK_SEQPACKET socket
// that speaks the same records and ends the records it has at connection time with an empty
// one, and RADIODECK_TEST_RFKILL_SYSFS a folder laid out as /sys/class/rfkill.
#pragma once

#include <windows.h>

#include <linux/rfkill.h>

#include <cstdint>
#include <filesystem>
#include <string>

namespace machine {

std::filesystem::path rfkill_device_path();
std::filesystem::path rfkill_sysfs_path();

// One radio record: the first layout, and the hard block's reasons where the record carried
// them (else a hard block counts as the switch's).
struct RfkillRecord {
    uint32_t idx = 0;
    uint8_t type = 0;
    uint8_t op = 0;
    bool soft = false;
    bool hard = false;
    uint8_t hard_reasons = 0;
};

class RfkillState;

enum class RfkillRead {
    Record, // `record` holds one
    Short,  // a record shorter than the first layout came and was dropped
    Empty,  // nothing waiting
    Closed, // the device went away (only a stand-in does)
    Failed, // errno says why
};

// Opens the device read-write, non-blocking, asking for the extended record, and applies the
// records of the radios that exist now to `state`; -1 with errno set when it cannot.
int open_rfkill_device(RfkillState& state);

// Reads at most one record without blocking.
RfkillRead read_rfkill_record(int fd, RfkillRecord& record);

// Decodes one record as read; false for one shorter than the first layout.
bool decode_rfkill_record(const void* bytes, size_t size, RfkillRecord& record);

// Writes one record in the first layout, which every kernel takes. ERROR_SUCCESS, the Win32
// error of a failed write, or ERROR_WRITE_FAULT for a short one.
DWORD write_rfkill_record(int fd, const rfkill_event& event);

// What to tell a person for whom the device cannot be opened (errno of the open): which
// permission is missing and how to get it. Several lines, no trailing newline.
std::string rfkill_open_advice(int error);

} // namespace machine
