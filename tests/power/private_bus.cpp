#include "private_bus.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace testing_support {

namespace {

pid_t spawn(std::vector<std::string> args, posix_spawn_file_actions_t* actions = nullptr) {
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], actions, nullptr, argv.data(), environ) != 0)
        return -1;
    return pid;
}

} // namespace

PrivateBus::PrivateBus(const std::filesystem::path& dir, const std::string& auth) {
    std::filesystem::path config = dir / "bus.conf";
    std::ofstream(config) << "<busconfig>\n"
                          << "  <listen>unix:path=" << (dir / "bus").string() << "</listen>\n"
                          << "  <auth>" << auth << "</auth>\n"
                          << "  <policy context=\"default\">\n"
                          << "    <allow send_destination=\"*\"/>\n"
                          << "    <allow receive_sender=\"*\"/>\n"
                          << "    <allow own=\"*\"/>\n"
                          << "  </policy>\n"
                          << "</busconfig>\n";
    // The daemon prints its address on descriptor 3 once it listens.
    int ready[2];
    if (pipe2(ready, O_CLOEXEC) != 0)
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ready[1], 3);
    // It complains, as a non-root daemon, that it cannot raise its descriptor limit.
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_ = spawn({"dbus-daemon", "--nofork", "--nopidfile", "--config-file=" + config.string(),
                  "--print-address=3"},
                 &actions);
    posix_spawn_file_actions_destroy(&actions);
    close(ready[1]);
    std::string line;
    pollfd p{ready[0], POLLIN, 0};
    while (pid_ > 0 && line.find('\n') == std::string::npos && poll(&p, 1, 10000) == 1) {
        char chunk[256];
        ssize_t n = read(ready[0], chunk, sizeof chunk);
        if (n <= 0)
            break;
        line.append(chunk, static_cast<size_t>(n));
    }
    close(ready[0]);
    if (line.find('\n') == std::string::npos) {
        stop();
        return;
    }
    address_ = line.substr(0, line.find('\n'));
}

PrivateBus::~PrivateBus() {
    stop();
}

bool PrivateBus::prepare_for_sleep(bool going_to_sleep) const {
    pid_t pid = spawn({"dbus-send", "--system", "--type=signal", "/org/freedesktop/login1",
                       "org.freedesktop.login1.Manager.PrepareForSleep",
                       going_to_sleep ? "boolean:true" : "boolean:false"});
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

void PrivateBus::stop() {
    if (pid_ <= 0)
        return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

} // namespace testing_support
