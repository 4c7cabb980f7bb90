// The latency of a switch event: from posting WM_COMMAND 112 to the running console until
// the firmware has switched Bluetooth (the console's device call) and until the hotkey
// service has switched Wireless LAN (the console's post to its peer, carried out), as
// medians over many events, turning the switch off and on by turns.
// Usage: bench_switch BIN_DIR [EVENTS]   (BIN_DIR holds radiodeck, keywatch and zebosd)
#include "machine/acpi/firmware.h"
#include "bench/bench_support.h"
#include "platform/desktop/desktop.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using bench::find_top;
using bench::spawn;
using bench::wait_for;

using Clock = std::chrono::steady_clock;

machine::FirmwareState radios() {
    machine::Firmware fw;
    machine::read_firmware(fw);
    return fw.state;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_switch BIN_DIR [EVENTS]\n");
        return 2;
    }
    std::string bin = argv[1];
    int events = argc > 2 ? std::atoi(argv[2]) : 40;
    auto notebook = bench::temporary_notebook();
    if (!notebook)
        return 1;
    const std::filesystem::path& root = *notebook;
    // Announce rather than show the console when the switch turns on.
    HKEY key;
    DWORD zero = 0;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\ZEB0100", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &key, nullptr);
    RegSetValueExA(key, "Linkward_Display_CONTROL", 0, REG_DWORD, reinterpret_cast<BYTE*>(&zero),
                   4);
    RegCloseKey(key);

    std::vector<pid_t> started{spawn(bin + "/keywatch"), spawn(bin + "/zebosd")};
    wait_for([] {
        return find_top("KEYWATCH", "KEYWATCH").has_value() &&
               find_top("ZEBOSD", "ZEBOSD").has_value();
    });
    started.push_back(spawn(bin + "/radiodeck"));
    if (!bench::wait_console_settled(started.back())) {
        std::fprintf(stderr, "the console did not come up\n");
        return 1;
    }
    HWND console = find_top("#32770", "Radiodeck")->handle;

    std::vector<double> device, peer;
    for (int i = 0; i < events; ++i) {
        bool on = i % 2 == 1; // off first: every radio starts on
        auto start = Clock::now();
        PostMessageA(console, WM_COMMAND, MAKEWPARAM(112, on ? 1 : 0), 0);
        bool ok = wait_for([&] { return radios().bluetooth_on == on; });
        device.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        ok = ok && wait_for([&] { return radios().wlan_on == on; });
        peer.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        if (!ok) {
            std::fprintf(stderr, "event %d was not carried out\n", i + 1);
            return 1;
        }
    }
    std::printf("switch event to Bluetooth switched by the device: median %.2f ms (%d events)\n",
                median(device), events);
    std::printf("switch event to Wireless LAN switched by the hotkey service: median %.2f ms\n",
                median(peer));

    PostMessageA(console, WM_COMMAND, 32771, 0); // the tray's Exit
    for (pid_t pid : started) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    std::filesystem::remove_all(root);
    return 0;
}
