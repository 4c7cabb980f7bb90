// The include-layer check on planted trees: each case is one source file with one include, in
// a tree that has the Win32 and MFC headers where the project keeps them.
#include "layer_rules.h"
#include "tests/support/machine_fixture.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

namespace fs = std::filesystem;

void write(const fs::path& p, const std::string& text = "") {
    fs::create_directories(p.parent_path());
    std::ofstream(p) << text;
}

struct Case {
    const char* file;
    const char* include;
    const char* rule; // empty: allowed
};

const char kProgram[] =
    "the program includes only the Win32/MFC headers, the standard library and its own";
const char kPlatform[] = "the platform never includes program, afx/ or machine/ headers";

const Case kCases[] = {
    {"app/a.cpp", "<windows.h>", ""},
    {"core/a.cpp", "<afxwin.h>", ""},
    {"ui/a.cpp", "<vector>", ""},
    {"ui/a.cpp", "<string.h>", ""},
    {"settings/a.cpp", "\"core/b.h\"", ""},
    {"device/a.cpp", "<sys/mman.h>", kProgram},
    {"app/a.cpp", "\"platform/kernel/wait.h\"", kProgram},
    {"app/a.cpp", "<platform/kernel/wait.h>", kProgram},
    {"controls/a.cpp", "<afxgdi_.h>", kProgram},
    {"device/a.cpp", "\"machine/acpi/acpi_wire.h\"", kProgram},
    {"platform/user/a.cpp", "\"platform/desktop/desktop.h\"", ""},
    {"platform/shell/a.cpp", "\"platform/user/input.h\"", ""},
    {"platform/kernel/a.cpp", "\"platform/user/window.h\"",
     "platform/kernel is below platform/user (platform folders include only those below them)"},
    {"platform/desktop/a.cpp", "\"platform/user/input.h\"",
     "platform/desktop is below platform/user (platform folders include only those below them)"},
    {"platform/user/a.cpp", "\"platform/power/resume_watch.h\"",
     "platform/user is below platform/power (platform folders include only those below them)"},
    {"platform/user/a.cpp", "<afxwin.h>", kPlatform},
    {"platform/shell/a.cpp", "\"app/console_dlg.h\"", kPlatform},
    {"platform/gdi/a.cpp", "\"../../machine/acpi/x.h\"", kPlatform},
    {"platform/include/winuser.h", "\"afx/src/thread_state.h\"", kPlatform},
    {"afx/src/a.cpp", "\"machine/x.h\"", "afx/ includes only the platform and its own"},
    {"machine/osd/a.cpp", "\"core/radio.h\"",
     "machine/ includes only the platform, afx/, resource ids and its own"},
    {"tools/reg/a.cpp", "\"core/radio.h\"", "tools/ include only the platform and their own"},
};

TEST(LayerCheck, EachIncludeIsHeldAgainstTheTable) {
    for (const Case& c : kCases) {
        testing_support::TempDir dir;
        const fs::path& root = dir.path();
        for (const char* h : {"platform/include/windows.h", "afx/include/afxwin.h",
                              "afx/include/afxgdi_.h", "machine/acpi/x.h"})
            write(root / h);
        write(root / c.file, "// one\n\n#include " + std::string(c.include) + "\n");
        std::vector<layers::Violation> found = layers::check_tree(root);
        if (*c.rule == '\0') {
            EXPECT_TRUE(found.empty()) << c.file << " " << c.include;
            continue;
        }
        ASSERT_EQ(found.size(), 1u) << c.file << " " << c.include;
        EXPECT_EQ(layers::describe(found[0]),
                  std::string(c.file) + ":3: #include " + c.include + ": " + c.rule);
    }
}

} // namespace
