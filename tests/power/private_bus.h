// A private system bus for a test: the reference dbus-daemon with a configuration of our own,
// listening in a temporary directory, and dbus-send to emit what logind would.
#pragma once

#include <filesystem>
#include <string>
#include <sys/types.h>

namespace testing_support {

class PrivateBus {
public:
    // Starts the daemon and returns once it listens; `auth` names the mechanisms it accepts.
    explicit PrivateBus(const std::filesystem::path& dir, const std::string& auth = "EXTERNAL");
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    bool running() const { return pid_ > 0; }
    // The address for DBUS_SYSTEM_BUS_ADDRESS.
    const std::string& address() const { return address_; }
    // logind's PrepareForSleep(going_to_sleep), sent by dbus-send; true when it was sent.
    bool prepare_for_sleep(bool going_to_sleep) const;
    // Ends the daemon, as a bus that goes away.
    void stop();

private:
    pid_t pid_ = -1;
    std::string address_;
};

} // namespace testing_support
