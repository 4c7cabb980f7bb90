#include "machine_fixture.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace testing_support {

TempDir::TempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "radiodeck-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void MachineFixture::SetUp() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "radiodeck-root-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    setenv("RADIODECK_ROOT", root_.c_str(), 1);
    // The desktop of the machine lives below the runtime directory: one of the test's own.
    if (const char* runtime = getenv("XDG_RUNTIME_DIR"))
        previous_runtime_ = runtime;
    runtime_ = std::make_unique<TempDir>();
    std::filesystem::permissions(runtime_->path(), std::filesystem::perms::owner_all);
    setenv("XDG_RUNTIME_DIR", runtime_->path().c_str(), 1);
    // Tests never reach the host's system bus; one that wants a bus sets up its own.
    if (const char* bus = getenv("DBUS_SYSTEM_BUS_ADDRESS"))
        previous_bus_ = bus;
    setenv("DBUS_SYSTEM_BUS_ADDRESS",
           ("unix:path=" + (runtime_->path() / "no-bus").string()).c_str(), 1);
    // The machine's language follows the host's locale where the machine sets none: tests
    // run in the "C" locale whatever the host's is.
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = getenv(name);
        host_locale_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
        unsetenv(name);
    }
    auto virtual_clock = std::make_unique<platform::VirtualClock>();
    clock_ = virtual_clock.get();
    previous_clock_ = platform::set_clock(std::move(virtual_clock));
}

void MachineFixture::TearDown() {
    platform::set_clock(std::move(previous_clock_));
    unsetenv("RADIODECK_ROOT");
    if (previous_runtime_)
        setenv("XDG_RUNTIME_DIR", previous_runtime_->c_str(), 1);
    else
        unsetenv("XDG_RUNTIME_DIR");
    if (previous_bus_)
        setenv("DBUS_SYSTEM_BUS_ADDRESS", previous_bus_->c_str(), 1);
    else
        unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    for (const auto& [name, value] : host_locale_) {
        if (value)
            setenv(name.c_str(), value->c_str(), 1);
        else
            unsetenv(name.c_str());
    }
    host_locale_.clear();
    runtime_.reset();
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
}

std::filesystem::path MachineFixture::write_file(const std::string& relative,
                                                 const std::string& content) {
    std::filesystem::path p = root_ / relative;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << content;
    return p;
}

} // namespace testing_support
