#include "machine.h"

#include <windows.h>

#include <cstdlib>

namespace platform {

std::filesystem::path machine_root() {
    if (const char* root = std::getenv("RADIODECK_ROOT"); root && *root)
        return root;
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data)
        return std::filesystem::path(data) / "radiodeck";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : "/tmp") / ".local/share/radiodeck";
}

std::filesystem::path machine_path(const std::string& relative) {
    return machine_root() / relative;
}

std::filesystem::path machine_config_path() {
    return machine_path("machine.ini");
}

std::string machine_setting(const std::string& section, const std::string& key,
                            const std::string& fallback) {
    char value[1024];
    GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), value, sizeof value,
                             machine_config_path().c_str());
    return value;
}

bool set_machine_setting(const std::string& section, const std::string& key,
                         const std::string& value) {
    std::error_code ec;
    std::filesystem::create_directories(machine_root(), ec);
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(),
                                      machine_config_path().c_str()) != FALSE;
}

bool machine_user_is_admin() {
    return machine_setting("machine", "user", "admin") != "standard";
}

} // namespace platform
