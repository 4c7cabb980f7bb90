// notebookctl: sets up and operates the simulated notebook of the machine root
// ($RADIODECK_ROOT). Each command is one entry of the table below.
#include "machine/acpi/acpi_backend.h"
#include "machine/acpi/firmware.h"
#include "machine/acpi/rfkill_device.h"
#include "machine/acpi/rfkill_profile.h"
#include "machine/acpi/rfkill_state.h"
#include "machine/notebookctl/notebook_setup.h"
#include "machine/osd/osd_journal.h"

#include "platform/drivers/screen_settings.h"
#include "platform/kernel/language.h"
#include "platform/kernel/machine.h"
#include "platform/kernel/paths.h"

#include <algorithm>
#include <charconv>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Args = std::vector<std::string>;

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

struct Command {
    const char* name;
    const char* syntax; // the arguments, for the usage line
    int (*run)(const Args& args);
    bool needs_notebook;
};

int fail(const std::string& message) {
    std::fprintf(stderr, "notebookctl: %s\n", message.c_str());
    return kFailed;
}

int fail_with(const std::string& what, DWORD error) {
    return fail(what + " (error " + std::to_string(error) + ")");
}

// The value of a word from a fixed set, or -1.
int choice(const std::string& word, std::initializer_list<const char*> words) {
    int index = 0;
    for (const char* w : words) {
        if (word == w)
            return index;
        ++index;
    }
    return -1;
}

// The notebook is set up either way; what keeps its programs from the radios is said now, while
// the person who set it up is there to read it.
void check_rfkill_access(const machine::FirmwareProfile& profile) {
    if (!profile.wlan && !profile.bluetooth)
        std::fprintf(stderr,
                     "notebookctl: the kernel lists no Wireless LAN or Bluetooth radio in %s\n",
                     machine::rfkill_sysfs_path().c_str());
    machine::RfkillState state;
    int fd = machine::open_rfkill_device(state);
    if (fd < 0)
        std::fprintf(stderr, "notebookctl: %s\n", machine::rfkill_open_advice(errno).c_str());
    else
        close(fd);
}

int run_init(const Args& args) {
    machine::FirmwareProfile profile;
    bool rfkill = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--rfkill" && args.size() == 1) {
            rfkill = true;
        } else if (args[i] == "--hw-switch") {
            profile.hw_switch = true;
        } else if (args[i] == "--radios" && i + 1 < args.size()) {
            int radios = choice(args[++i], {"both", "wlan", "bluetooth", "none"});
            if (radios < 0)
                return kUsage;
            profile.wlan = radios == 0 || radios == 1;
            profile.bluetooth = radios == 0 || radios == 2;
        } else {
            return kUsage;
        }
    }
    if (rfkill)
        profile = machine::rfkill_profile(machine::rfkill_sysfs_path());
    if (DWORD error = machine::init_notebook(profile, rfkill ? "rfkill" : "simulated");
        error != ERROR_SUCCESS)
        return fail_with("cannot set up " + platform::machine_root().string(), error);
    if (rfkill)
        check_rfkill_access(profile);
    // A fresh notebook has announced nothing yet.
    std::error_code ec;
    std::filesystem::remove(machine::osd_journal_path(), ec);
    // The on-screen display is built beside this tool; a notebook without it still works, the
    // console only cannot find it.
    std::filesystem::path osd = platform::program_directory() / "zebosd";
    if (DWORD error = machine::install_osd_program(osd); error != ERROR_SUCCESS)
        std::fprintf(stderr, "notebookctl: on-screen display not installed: %s (error %u)\n",
                     osd.c_str(), error);
    return kOk;
}

// The on-screen display's announcements, oldest first: "<code> <text>" per line.
int run_osd(const Args& args) {
    if (!args.empty())
        return kUsage;
    // Line by line: a long journal takes no more memory than a short one.
    machine::for_each_osd_journal_entry([](const machine::OsdJournalEntry& entry) {
        std::printf("%d %s\n", entry.code, entry.text.c_str());
    });
    return kOk;
}

// Evaluates a method of the kernel's radios as the device does.
DWORD rfkill_method(DWORD method, std::optional<DWORD> argument, DWORD& value) {
    DWORD error = ERROR_SUCCESS;
    std::unique_ptr<machine::AcpiBackend> backend = machine::open_rfkill_backend(error);
    if (!backend)
        return error;
    machine::AcpiAnswer answer;
    error = backend->evaluate({method, argument ? 1u : 0u, argument}, answer);
    value = answer.value;
    return error;
}

int run_status(const Args& args) {
    if (!args.empty())
        return kUsage;
    DWORD hwrs = 0;
    DWORD rsts = 0;
    if (machine::rfkill_notebook()) {
        DWORD error = rfkill_method(machine::kMethodHwrs, std::nullopt, hwrs);
        if (error == ERROR_SUCCESS)
            error = rfkill_method(machine::kMethodRsts, std::nullopt, rsts);
        if (error != ERROR_SUCCESS)
            return fail_with("cannot read the radios of " + machine::rfkill_device_path().string(),
                             error);
    } else {
        machine::Firmware firmware;
        if (DWORD error = machine::read_firmware(firmware); error != ERROR_SUCCESS)
            return fail_with("cannot read " + machine::firmware_path().string(), error);
        hwrs = firmware.hwrs();
        rsts = firmware.rsts();
    }
    std::printf("wlan_present=%d\n", (hwrs & machine::kHwrsWlanPresent) ? 1 : 0);
    std::printf("bluetooth_present=%d\n", (hwrs & machine::kHwrsBluetoothPresent) ? 1 : 0);
    std::printf("hw_switch_present=%d\n", (hwrs & machine::kHwrsSwitchPresent) ? 1 : 0);
    std::printf("hw_switch_on=%d\n", (hwrs & machine::kHwrsSwitchOn) ? 1 : 0);
    std::printf("wlan_on=%d\n", (rsts & machine::kRstsWlanOn) ? 1 : 0);
    std::printf("bluetooth_on=%d\n", (rsts & machine::kRstsBluetoothOn) ? 1 : 0);
    std::printf("hwrs=0x%x\n", hwrs);
    std::printf("rsts=0x%x\n", rsts);
    std::printf("driver_installed=%d\n", machine::acpi_driver_installed() ? 1 : 0);
    std::printf("user=%s\n", platform::machine_user_is_admin() ? "admin" : "standard");
    return kOk;
}

// A radio switched outside the program, as by another tool of the notebook.
int run_set(const Args& args) {
    if (args.size() != 2)
        return kUsage;
    int radio = choice(args[0], {"wlan", "bluetooth"});
    int state = choice(args[1], {"off", "on"});
    if (radio < 0 || state < 0)
        return kUsage;
    bool wlan = radio == 0;
    if (machine::rfkill_notebook()) {
        DWORD hwrs = 0;
        DWORD ignored = 0;
        DWORD error = rfkill_method(machine::kMethodHwrs, std::nullopt, hwrs);
        if (error == ERROR_SUCCESS &&
            (hwrs & (wlan ? machine::kHwrsWlanPresent : machine::kHwrsBluetoothPresent)) == 0)
            return fail(std::string("this notebook has no ") +
                        (wlan ? "Wireless LAN" : "Bluetooth"));
        if (error == ERROR_SUCCESS)
            error = rfkill_method(wlan ? machine::kMethodWled : machine::kMethodBled, DWORD(state),
                                  ignored);
        if (error != ERROR_SUCCESS)
            return fail_with(
                "cannot switch the radios of " + machine::rfkill_device_path().string(), error);
        return kOk;
    }
    bool present = true;
    DWORD error = machine::update_firmware([&](machine::Firmware& f) {
        present = wlan ? f.profile.wlan : f.profile.bluetooth;
        if (present)
            (wlan ? f.state.wlan_on : f.state.bluetooth_on) = state == 1;
    });
    if (error != ERROR_SUCCESS)
        return fail_with("cannot write " + machine::firmware_path().string(), error);
    if (!present)
        return fail(std::string("this notebook has no ") + (wlan ? "Wireless LAN" : "Bluetooth"));
    return kOk;
}

// The owner moves the hardware switch; the hotkey service reports the move to the console.
int run_switch(const Args& args) {
    int state = args.size() == 1 ? choice(args[0], {"off", "on"}) : -1;
    if (state < 0)
        return kUsage;
    if (machine::rfkill_notebook())
        return fail("the hardware switch of this notebook is a real one: move it by hand");
    bool present = false;
    DWORD error = machine::update_firmware([&](machine::Firmware& f) {
        present = f.profile.hw_switch;
        if (present)
            f.state.switch_on = state == 1;
    });
    if (error != ERROR_SUCCESS)
        return fail_with("cannot write " + machine::firmware_path().string(), error);
    if (!present)
        return fail("this notebook has no hardware switch");
    return kOk;
}

// The owner presses the wireless hotkey. The press leaves no state, so it is counted where
// every process can see that it happened.
int run_hotkey(const Args& args) {
    if (!args.empty())
        return kUsage;
    DWORD error = machine::update_firmware([](machine::Firmware& f) { ++f.events.hotkey_presses; });
    if (error != ERROR_SUCCESS)
        return fail_with("cannot write " + machine::firmware_path().string(), error);
    return kOk;
}

// The notebook wakes from suspend: every top-level window of the desktop hears of it, as
// Windows tells them after a resume.
int run_resume(const Args& args) {
    if (!args.empty())
        return kUsage;
    if (!PostMessageA(HWND_BROADCAST, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0))
        return fail_with("cannot announce the resume", GetLastError());
    return kOk;
}

int run_driver(const Args& args) {
    if (args.size() != 1 || choice(args[0], {"install", "uninstall"}) < 0)
        return kUsage;
    std::string backend = machine::rfkill_notebook() ? "rfkill" : "simulated";
    if (!machine::set_acpi_driver(args[0] == "install" ? backend : ""))
        return fail_with("cannot write " + platform::machine_config_path().string(),
                         GetLastError());
    return kOk;
}

int run_user(const Args& args) {
    if (args.size() != 1 || choice(args[0], {"admin", "standard"}) < 0)
        return kUsage;
    if (!platform::set_machine_setting("machine", "user", args[0]))
        return fail_with("cannot write " + platform::machine_config_path().string(),
                         GetLastError());
    return kOk;
}

// The notebook's language: shown as the programs see it, set to a Windows language, or left to
// the host's locale again.
int run_lang(const Args& args) {
    if (args.size() > 1)
        return kUsage;
    if (args.empty()) {
        bool own = platform::machine_langid().has_value();
        std::printf("langid=0x%04X\n", GetSystemDefaultLangID());
        std::printf("source=%s\n", own ? "machine" : "host");
        return kOk;
    }
    std::string value;
    if (args[0] != "host") {
        // 0x and one to four hex digits: a Windows language, never 0 (no language).
        const std::string& word = args[0];
        unsigned id = 0;
        const char* digits = word.c_str() + std::min<size_t>(word.size(), 2);
        const char* end = word.c_str() + word.size();
        auto [stop, error] = std::from_chars(digits, end, id, 16);
        if (word.size() < 3 || word.size() > 6 ||
            (word.compare(0, 2, "0x") != 0 && word.compare(0, 2, "0X") != 0) ||
            error != std::errc() || stop != end || id == 0)
            return kUsage;
        char text[16];
        std::snprintf(text, sizeof text, "0x%04X", id);
        value = text;
    }
    BOOL written = value.empty()
                       ? WritePrivateProfileStringA("machine", "langid", nullptr,
                                                    platform::machine_config_path().c_str())
                       : platform::set_machine_setting("machine", "langid", value);
    if (!written)
        return fail_with("cannot write " + platform::machine_config_path().string(),
                         GetLastError());
    return kOk;
}

// The headless screen: shown, or given a new size or density for the programs started next.
int run_screen(const Args& args) {
    if (args.empty()) {
        platform::ScreenSettings screen = platform::machine_screen();
        std::printf("size=%ldx%ld\n", static_cast<long>(screen.size.cx),
                    static_cast<long>(screen.size.cy));
        std::printf("dpi=%d\n", screen.dpi);
        return kOk;
    }
    auto number = [](const std::string& word) -> long long {
        long long value = -1;
        auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
        return error == std::errc() && end == word.data() + word.size() ? value : -1;
    };
    bool written = false;
    if (args[0] == "size" && args.size() == 3) {
        long long cx = number(args[1]);
        long long cy = number(args[2]);
        if (!platform::valid_screen_size(cx, cy))
            return kUsage;
        written =
            platform::set_machine_screen_size(SIZE{static_cast<LONG>(cx), static_cast<LONG>(cy)});
    } else if (args[0] == "dpi" && args.size() == 2) {
        long long dpi = number(args[1]);
        if (!platform::valid_screen_dpi(dpi))
            return kUsage;
        written = platform::set_machine_screen_dpi(static_cast<int>(dpi));
    } else {
        return kUsage;
    }
    if (!written)
        return fail_with("cannot write " + platform::machine_config_path().string(),
                         GetLastError());
    return kOk;
}

const Command kCommands[] = {
    {"init", "[--radios both|wlan|bluetooth|none] [--hw-switch] | init --rfkill", run_init, false},
    {"status", "", run_status, true},
    {"set", "wlan|bluetooth on|off", run_set, true},
    {"switch", "on|off", run_switch, true},
    {"hotkey", "", run_hotkey, true},
    {"resume", "", run_resume, false},
    {"driver", "install|uninstall", run_driver, true},
    {"user", "admin|standard", run_user, true},
    {"lang", "[0xNNNN|host]", run_lang, true},
    {"osd", "", run_osd, false},
    {"screen", "[size W H | dpi N]", run_screen, false},
};

int usage(const Command* command) {
    std::string line = "usage: notebookctl ";
    if (command) {
        line += std::string(command->name) + (*command->syntax ? " " : "") + command->syntax;
    } else {
        bool first = true;
        for (const Command& c : kCommands) {
            line += std::string(first ? "" : " | ") + c.name + (*c.syntax ? " " : "") + c.syntax;
            first = false;
        }
    }
    std::fprintf(stderr, "%s\n", line.c_str());
    return kUsage;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return usage(nullptr);
    std::string name = argv[1];
    for (const Command& command : kCommands) {
        if (name != command.name)
            continue;
        if (command.needs_notebook && !machine::notebook_exists())
            return fail("no notebook in " + platform::machine_root().string() +
                        "; run 'notebookctl init' first");
        int code = command.run(Args(argv + 2, argv + argc));
        return code == kUsage ? usage(&command) : code;
    }
    return usage(nullptr);
}
