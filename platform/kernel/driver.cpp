#include "driver.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <mutex>

namespace platform {

namespace {

struct Registry {
    std::mutex mutex;
    std::map<std::string, DriverFactory> factories;
};

// Reached from static initialisers of driver libraries, so it must exist before them.
Registry& registry() {
    static Registry* r = new Registry;
    return *r;
}

std::string key_of(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return name;
}

} // namespace

void register_driver(const std::string& name, DriverFactory factory) {
    std::lock_guard lock(registry().mutex);
    registry().factories[key_of(name)] = std::move(factory);
}

void unregister_driver(const std::string& name) {
    std::lock_guard lock(registry().mutex);
    registry().factories.erase(key_of(name));
}

std::unique_ptr<Driver> create_driver(const std::string& name) {
    DriverFactory factory;
    {
        std::lock_guard lock(registry().mutex);
        auto it = registry().factories.find(key_of(name));
        if (it == registry().factories.end())
            return nullptr;
        factory = it->second;
    }
    return factory ? factory() : nullptr;
}

} // namespace platform
