// A stand-in for /dev/rfkill that the test controls, reached by every process of the test
// through RADIODECK_TEST_RFKILL: a SOCK_SEQPACKET socket that behaves as the kernel's device
// does. Each connection first gets an add record per radio (ended by an empty record, see
// machine/acpi/rfkill_device.h); a record written to it switches the radios it names and
// every connection gets a change record per radio whose state changed. A thread of its own
// answers, so that programs in other processes and the test's own thread are served alike.
#pragma once

#include <linux/rfkill.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

class RfkillStandIn {
public:
    struct Radio {
        uint8_t type = 0;
        bool soft = false;
        bool hard = false;
        uint8_t hard_reasons = 0; // sent only in the extended record
    };

    // Listens at `socket` and names it in RADIODECK_TEST_RFKILL. `extended` sends the
    // extended record (with the hard block's reasons) instead of the first layout.
    RfkillStandIn(const std::filesystem::path& socket, bool extended);
    ~RfkillStandIn();
    RfkillStandIn(const RfkillStandIn&) = delete;
    RfkillStandIn& operator=(const RfkillStandIn&) = delete;

    // The radios appear, change (a switch blocks them) and go, as the kernel tells it.
    void add(uint32_t idx, Radio radio);
    void change(uint32_t idx, Radio radio);
    void remove(uint32_t idx);
    // Sends these bytes to every connection as one record, as a faulty or newer kernel might.
    void send_raw(const std::string& bytes);

    std::map<uint32_t, Radio> radios() const;
    // The records the programs wrote, in the order they came.
    std::vector<rfkill_event> written() const;
    int connections() const;
    // Waits on the stand-in's own progress until `done` holds; false when it still does not
    // after `limit`.
    bool wait_until(const std::function<bool()>& done,
                    std::chrono::milliseconds limit = std::chrono::seconds(10)) const;

private:
    void serve();
    void send_all(const std::string& bytes);
    std::string record(uint32_t idx, uint8_t op, const Radio& radio) const;
    void take(const rfkill_event& event);

    std::filesystem::path path_;
    bool extended_;
    int listener_ = -1;
    int stop_ = -1;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::map<uint32_t, Radio> radios_;
    std::vector<int> clients_;
    std::vector<rfkill_event> written_;
    std::thread thread_;
};

} // namespace testing_support
