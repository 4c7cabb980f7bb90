// The artwork generator always gives the same bytes, and those are what the build used.
#include "tests/support/machine_fixture.h"
#include "tests/support/process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<char> read_all(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

bool run_generator(const fs::path& out) {
    return testing_support::run_program({RADIODECK_ART_TOOL, out.string()}).code == 0;
}

TEST(ArtGenerator, TwoRunsGiveIdenticalFiles) {
    testing_support::TempDir first, second;
    ASSERT_TRUE(run_generator(first.path()));
    ASSERT_TRUE(run_generator(second.path()));
    int files = 0;
    for (const auto& entry : fs::directory_iterator(fs::path(RADIODECK_ART_DIR))) {
        const fs::path name = entry.path().filename();
        SCOPED_TRACE(name.string());
        auto built = read_all(entry.path());
        EXPECT_FALSE(built.empty());
        EXPECT_EQ(read_all(first.path() / name), built);
        EXPECT_EQ(read_all(second.path() / name), built);
        ++files;
    }
    EXPECT_EQ(files, 22); // 11 icons, the background and 10 button faces
    EXPECT_EQ(std::distance(fs::directory_iterator(first.path()), fs::directory_iterator()), 22);
}

TEST(ArtGenerator, RefusesAMissingOutputDirectory) {
    testing_support::TempDir dir;
    EXPECT_FALSE(run_generator(dir.path() / "missing"));
}

} // namespace
