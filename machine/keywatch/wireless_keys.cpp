// The wireless key through the kernel's input devices: udev (libsystemd's sd-device) lists
// them and tells of new ones, libevdev reads the events of those whose key capabilities
// include a wireless key. Nothing polls: each device and the udev monitor are descriptors of
// the thread's one wait, and a device that goes away is dropped when its read says so.
#include "machine/keywatch/kernel_switch.h"
#include "machine/keywatch/switch_events.h"

#include "platform/kernel/wait.h"

#include <libevdev/libevdev.h>
#include <systemd/sd-device.h>
#include <systemd/sd-event.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <memory>
#include <poll.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace machine {

namespace {

constexpr int kWirelessKeys[] = {KEY_RFKILL, KEY_WLAN, KEY_BLUETOOTH};

struct KeyDevice {
    int fd = -1;
    int watch = 0;
    libevdev* evdev = nullptr;
};

struct KeyWatch {
    std::string program;
    std::map<std::string, KeyDevice> devices; // by device node
    bool told_unreadable = false;
    sd_event* event = nullptr;
    sd_device_monitor* monitor = nullptr;
};

void drop(KeyWatch& w, const std::string& node) {
    auto it = w.devices.find(node);
    if (it == w.devices.end())
        return;
    platform::remove_wait_fd(it->second.watch);
    libevdev_free(it->second.evdev);
    close(it->second.fd);
    w.devices.erase(it);
}

// Reads what the device has; after a lost stretch (SYN_DROPPED) libevdev hands over the
// difference, in which a key now down was pressed as well.
void read_keys(KeyWatch& w, const std::string& node) {
    libevdev* evdev = w.devices.at(node).evdev;
    unsigned flags = LIBEVDEV_READ_FLAG_NORMAL;
    for (;;) {
        input_event event;
        int rc = libevdev_next_event(evdev, flags, &event);
        if (rc == LIBEVDEV_READ_STATUS_SYNC) {
            flags = LIBEVDEV_READ_FLAG_SYNC;
        } else if (rc == -EAGAIN && flags == LIBEVDEV_READ_FLAG_SYNC) {
            flags = LIBEVDEV_READ_FLAG_NORMAL;
            continue;
        } else if (rc != LIBEVDEV_READ_STATUS_SUCCESS) {
            if (rc != -EAGAIN)
                drop(w, node); // -ENODEV: unplugged
            return;
        }
        if (is_wireless_key_press(event))
            post_switch_event(kHotkeyPressed);
    }
}

void take_device(KeyWatch& w, sd_device* device) {
    const char* node = nullptr;
    const char* sysname = nullptr;
    sd_device* input = nullptr;
    const char* capabilities = nullptr;
    if (sd_device_get_devname(device, &node) < 0 || sd_device_get_sysname(device, &sysname) < 0 ||
        std::strncmp(sysname, "event", 5) != 0 || w.devices.count(node) ||
        sd_device_get_parent(device, &input) < 0 ||
        sd_device_get_sysattr_value(input, "capabilities/key", &capabilities) < 0 ||
        !has_wireless_key(capabilities))
        return;
    int fd = open(node, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (!w.told_unreadable) {
            const char* name = "";
            sd_device_get_sysattr_value(input, "name", &name);
            std::fprintf(stderr,
                         "%s: the wireless key of \"%s\" cannot be read: %s (%s). Input devices "
                         "are readable by the 'input' group: 'sudo usermod -aG input $USER', then "
                         "log in again. The hardware switch works without it.\n",
                         w.program.c_str(), name, node, std::strerror(errno));
            w.told_unreadable = true;
        }
        return;
    }
    KeyDevice key;
    key.fd = fd;
    if (libevdev_new_from_fd(fd, &key.evdev) < 0) {
        close(fd);
        return;
    }
    std::string path = node;
    key.watch = platform::add_wait_fd(fd, POLLIN, [&w, path](short) { read_keys(w, path); });
    w.devices.emplace(path, key);
}

int on_udev(sd_device_monitor*, sd_device* device, void* userdata) {
    sd_device_action_t action;
    if (sd_device_get_action(device, &action) >= 0 && action == SD_DEVICE_ADD)
        take_device(*static_cast<KeyWatch*>(userdata), device);
    return 0;
}

} // namespace

bool is_wireless_key_press(const input_event& event) {
    if (event.type != EV_KEY || event.value != 1)
        return false;
    for (int key : kWirelessKeys) {
        if (event.code == key)
            return true;
    }
    return false;
}

bool has_wireless_key(std::string_view capabilities) {
    // Words from the most significant down; bit n of the whole is key code n.
    constexpr size_t kWordBits = sizeof(long) * 8;
    std::vector<unsigned long> words;
    size_t at = 0;
    while (at < capabilities.size()) {
        size_t end = capabilities.find_first_of(" \n", at);
        std::string word(capabilities.substr(at, end - at));
        if (!word.empty())
            words.push_back(std::strtoul(word.c_str(), nullptr, 16));
        if (end == std::string_view::npos)
            break;
        at = end + 1;
    }
    for (int key : kWirelessKeys) {
        size_t index = key / kWordBits;
        if (index < words.size() && (words[words.size() - 1 - index] >> (key % kWordBits)) & 1)
            return true;
    }
    return false;
}

bool report_wireless_keys(const char* program) {
    // One watch for the run, as long as the process lives.
    static KeyWatch w;
    w.program = program;
    sd_device_enumerator* list = nullptr;
    if (sd_device_enumerator_new(&list) >= 0 &&
        sd_device_enumerator_add_match_subsystem(list, "input", 1) >= 0) {
        for (sd_device* d = sd_device_enumerator_get_device_first(list); d;
             d = sd_device_enumerator_get_device_next(list))
            take_device(w, d);
    }
    sd_device_enumerator_unref(list);
    int rc = sd_event_new(&w.event);
    if (rc >= 0)
        rc = sd_device_monitor_new(&w.monitor);
    if (rc >= 0)
        rc = sd_device_monitor_filter_add_match_subsystem_devtype(w.monitor, "input", nullptr);
    if (rc >= 0)
        rc = sd_device_monitor_attach_event(w.monitor, w.event);
    if (rc >= 0)
        rc = sd_device_monitor_start(w.monitor, on_udev, &w);
    if (rc < 0) {
        std::fprintf(stderr,
                     "%s: udev cannot tell of new input devices (%s); a wireless key plugged in "
                     "later is not heard\n",
                     program, std::strerror(-rc));
        return false;
    }
    platform::add_wait_fd(sd_event_get_fd(w.event), POLLIN, [](short) {
        // One source runs per turn of sd-event; run what is ready.
        while (sd_event_run(w.event, 0) > 0) {
        }
    });
    return true;
}

} // namespace machine
