#include "machine/acpi/rfkill_profile.h"

#include <linux/rfkill.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace machine {

namespace {

std::string attribute(const std::filesystem::path& radio, const char* name) {
    std::string word;
    std::ifstream(radio / name) >> word;
    return word;
}

bool blocked_by_switch(const std::filesystem::path& radio) {
    if (attribute(radio, "hard") != "1")
        return false;
    // Kernels before 5.11 give no reason: a hard block was a switch's then.
    std::string reasons = attribute(radio, "hard_block_reasons");
    return reasons.empty() ||
           (std::strtoul(reasons.c_str(), nullptr, 0) & RFKILL_HARD_BLOCK_SIGNAL);
}

bool of_platform_driver(const std::filesystem::path& radio) {
    std::error_code ec;
    std::filesystem::path bus = std::filesystem::canonical(radio / "device" / "subsystem", ec);
    return !ec && bus.filename() == "platform";
}

} // namespace

FirmwareProfile rfkill_profile(const std::filesystem::path& sysfs) {
    FirmwareProfile profile{false, false, false};
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(sysfs, ec)) {
        const std::filesystem::path& radio = entry.path();
        if (radio.filename().string().rfind("rfkill", 0) != 0)
            continue;
        std::string type = attribute(radio, "type");
        profile.wlan = profile.wlan || type == "wlan";
        profile.bluetooth = profile.bluetooth || type == "bluetooth";
        profile.hw_switch =
            profile.hw_switch || blocked_by_switch(radio) || of_platform_driver(radio);
    }
    return profile;
}

} // namespace machine
