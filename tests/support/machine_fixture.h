// A fresh simulated machine for each test: a temporary machine root named by
// RADIODECK_ROOT and a virtual clock, both removed again at the end.
#pragma once

#include "platform/kernel/clock.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

// A temporary directory removed when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

class MachineFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    const std::filesystem::path& root() const { return root_; }
    platform::VirtualClock& clock() { return *clock_; }
    // Writes a file below the machine root (creating its folders) and returns its path.
    std::filesystem::path write_file(const std::string& relative, const std::string& content);

private:
    std::filesystem::path root_;
    platform::VirtualClock* clock_ = nullptr;
    std::unique_ptr<platform::Clock> previous_clock_;
    std::optional<std::string> previous_runtime_;
    std::optional<std::string> previous_bus_;
    std::unique_ptr<TempDir> runtime_;
    std::vector<std::pair<std::string, std::optional<std::string>>> host_locale_;
};

} // namespace testing_support
