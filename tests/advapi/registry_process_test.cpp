// The registry across real processes sharing one machine root: what one writes the next
// reads, concurrent writers lose nothing, and a writer killed at any moment leaves a whole,
// readable file.
#include "registry_test_util.h"

#include "platform/advapi/reg_file.h"
#include "tests/support/machine_fixture.h"

#include <csignal>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

using namespace registry_test;

namespace {

class RegistryProcesses : public testing_support::MachineFixture {
protected:
    // Runs `body` in a child process; the child's exit status is 0 when it returns true.
    template <typename Fn> pid_t spawn(Fn body) {
        pid_t pid = fork();
        if (pid == 0)
            _exit(body() ? 0 : 1);
        return pid;
    }
    static int wait_for(pid_t pid) {
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string registry_text() { return slurp((root() / "registry.reg").string()); }
};

TEST_F(RegistryProcesses, AValueWrittenByOneProcessIsReadByTheNext) {
    pid_t writer = spawn([] {
        HKEY key = create_key("Software\\ZEB0100");
        return key && set_dword(key, "Linkward_Toggle_State", 7) == ERROR_SUCCESS;
    });
    ASSERT_EQ(wait_for(writer), 0);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\ZEB0100", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    DWORD value = 0;
    EXPECT_EQ(get_dword(key, "Linkward_Toggle_State", value), ERROR_SUCCESS);
    EXPECT_EQ(value, 7u);

    // And a change by a later process shows through the handle this one still holds.
    pid_t second = spawn([] {
        HKEY k = create_key("Software\\ZEB0100");
        return k && set_dword(k, "Linkward_Toggle_State", 8) == ERROR_SUCCESS;
    });
    ASSERT_EQ(wait_for(second), 0);
    EXPECT_EQ(get_dword(key, "Linkward_Toggle_State", value), ERROR_SUCCESS);
    EXPECT_EQ(value, 8u);
    RegCloseKey(key);
}

TEST_F(RegistryProcesses, ConcurrentWritersLoseNothing) {
    constexpr int kValues = 40;
    int go[2];
    ASSERT_EQ(pipe(go), 0);
    auto writer = [&](char prefix) {
        return spawn([&, prefix] {
            close(go[1]);
            char byte;
            if (read(go[0], &byte, 1) != 0) // released together when the pipe closes
                return false;
            HKEY key = create_key("Software\\Shared");
            for (int i = 0; key && i < kValues; ++i) {
                std::string name = prefix + std::to_string(i);
                if (set_dword(key, name.c_str(), i) != ERROR_SUCCESS)
                    return false;
            }
            return key != nullptr;
        });
    };
    pid_t a = writer('A');
    pid_t b = writer('B');
    close(go[0]);
    close(go[1]);
    EXPECT_EQ(wait_for(a), 0);
    EXPECT_EQ(wait_for(b), 0);

    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Shared", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    for (char prefix : {'A', 'B'}) {
        for (int i = 0; i < kValues; ++i) {
            std::string name = prefix + std::to_string(i);
            DWORD value = ~0u;
            EXPECT_EQ(get_dword(key, name.c_str(), value), ERROR_SUCCESS) << name;
            EXPECT_EQ(value, DWORD(i)) << name;
        }
    }
    RegCloseKey(key);
}

TEST_F(RegistryProcesses, AWriterKilledAtAnyMomentLeavesAWholeFile) {
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> delay_us(0, 4000);
    DWORD last_counter = 0;
    for (int round = 0; round < 30; ++round) {
        int started[2];
        ASSERT_EQ(pipe(started), 0);
        pid_t writer = spawn([&] {
            close(started[0]);
            HKEY key = create_key("Software\\Crash");
            if (!key)
                return false;
            DWORD counter = 0;
            get_dword(key, "Counter", counter);
            for (;;) {
                ++counter;
                // Every write replaces the whole file: a blob that must stay uniform, and
                // now and then a new key.
                std::vector<BYTE> blob(256, static_cast<BYTE>(counter));
                RegSetValueExA(key, "Blob", 0, REG_BINARY, blob.data(), 256);
                set_dword(key, "Counter", counter);
                if (counter % 7 == 0)
                    RegCloseKey(
                        create_key(("Software\\Crash\\K" + std::to_string(counter)).c_str()));
                if (started[1] >= 0) {
                    close(started[1]); // the parent's read returns: writing is under way
                    started[1] = -1;
                }
            }
        });
        ASSERT_GT(writer, 0);
        close(started[1]);
        char byte;
        ASSERT_EQ(read(started[0], &byte, 1), 0);
        close(started[0]);
        usleep(static_cast<useconds_t>(delay_us(random)));
        kill(writer, SIGKILL);
        wait_for(writer);

        std::string text = registry_text();
        auto file = platform::reg::parse_reg_file(text);
        ASSERT_TRUE(file && platform::reg::build_hive(*file)) << "round " << round;
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Crash", 0, KEY_READ, &key),
                  ERROR_SUCCESS);
        DWORD counter = 0;
        ASSERT_EQ(get_dword(key, "Counter", counter), ERROR_SUCCESS);
        EXPECT_GE(counter, last_counter + 1) << "a committed write was lost";
        last_counter = counter;
        BYTE blob[256];
        DWORD size = sizeof blob;
        ASSERT_EQ(RegQueryValueExA(key, "Blob", nullptr, nullptr, blob, &size), ERROR_SUCCESS);
        ASSERT_EQ(size, 256u);
        for (BYTE b : blob)
            ASSERT_EQ(b, blob[0]);
        RegCloseKey(key);
    }
}

} // namespace
