#include "machine/keywatch/kernel_switch.h"
#include "machine/acpi/rfkill_state.h"
#include "machine/keywatch/switch_events.h"

#include "platform/kernel/wait.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <poll.h>
#include <unistd.h>

namespace machine {

namespace {

struct SwitchWatch {
    int fd = -1;
    int watch = 0;
    RfkillState state;
};

// Reads what the kernel queued; each change record that moves the switch's block is one move.
void take_records(SwitchWatch& w) {
    RfkillRecord record;
    for (;;) {
        RfkillRead read = read_rfkill_record(w.fd, record);
        if (read == RfkillRead::Short)
            continue;
        if (read == RfkillRead::Closed || read == RfkillRead::Failed) {
            platform::remove_wait_fd(w.watch);
            close(w.fd);
            w.fd = -1;
        }
        if (read != RfkillRead::Record)
            return;
        bool was_off = w.state.switched_off();
        w.state.apply(record);
        if (record.op == RFKILL_OP_CHANGE && w.state.switched_off() != was_off)
            post_switch_event(was_off ? kSwitchTurnedOn : kSwitchTurnedOff);
    }
}

} // namespace

bool report_kernel_switch(const char* program) {
    auto w = std::make_shared<SwitchWatch>();
    w->fd = open_rfkill_device(w->state);
    if (w->fd < 0) {
        std::fprintf(stderr, "%s: %s\n", program, rfkill_open_advice(errno).c_str());
        return false;
    }
    w->watch = platform::add_wait_fd(w->fd, POLLIN, [w](short) { take_records(*w); });
    return true;
}

} // namespace machine
