#include "process.h"

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace testing_support {

namespace {

int ms_left(std::chrono::steady_clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

std::vector<char*> c_argv(const std::vector<std::string>& argv) {
    std::vector<char*> out;
    for (const std::string& a : argv)
        out.push_back(const_cast<char*>(a.c_str()));
    out.push_back(nullptr);
    return out;
}

// Starts argv[0] with the given descriptors as its standard streams (-1: the test's own).
pid_t start(const std::vector<std::string>& argv, int in, int out, int err) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    int streams[] = {in, out, err};
    for (int target = 0; target < 3; ++target)
        if (streams[target] >= 0)
            posix_spawn_file_actions_adddup2(&actions, streams[target], target);
    pid_t pid = -1;
    std::vector<char*> args = c_argv(argv);
    if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

int exit_code(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

Outcome run_program(const std::vector<std::string>& argv, const std::string& input,
                    std::chrono::milliseconds limit) {
    Outcome o;
    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) != 0)
        return o;
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
        return o;
    pid_t pid = start(argv, in[0], out[1], err[1]);
    close(in[0]);
    close(out[1]);
    close(err[1]);
    if (pid < 0) {
        close(in[1]);
        close(out[0]);
        close(err[0]);
        return o;
    }
    fcntl(in[1], F_SETFL, O_NONBLOCK);
    size_t written = 0;
    if (input.empty()) {
        close(in[1]);
        in[1] = -1;
    }
    auto deadline = std::chrono::steady_clock::now() + limit;
    int open_streams = 2;
    while (open_streams > 0) {
        pollfd p[3] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}, {in[1], POLLOUT, 0}};
        if (poll(p, 3, ms_left(deadline)) <= 0)
            break;
        for (int i = 0; i < 2; ++i) {
            if (p[i].fd < 0 || !p[i].revents)
                continue;
            char buf[4096];
            ssize_t n = read(p[i].fd, buf, sizeof buf);
            if (n > 0) {
                (i == 0 ? o.out : o.err).append(buf, static_cast<size_t>(n));
            } else {
                close(p[i].fd);
                (i == 0 ? out[0] : err[0]) = -1;
                --open_streams;
            }
        }
        if (in[1] >= 0 && p[2].revents) {
            ssize_t n = write(in[1], input.data() + written, input.size() - written);
            if (n > 0)
                written += static_cast<size_t>(n);
            if (n < 0 || written == input.size()) {
                close(in[1]);
                in[1] = -1;
            }
        }
    }
    for (int fd : {in[1], out[0], err[0]})
        if (fd >= 0)
            close(fd);
    int status = 0;
    if (open_streams > 0 && waitpid(pid, &status, WNOHANG) == 0) {
        kill(pid, SIGKILL); // it did not end in time
        waitpid(pid, &status, 0);
        return o;
    }
    waitpid(pid, &status, 0);
    o.code = exit_code(status);
    return o;
}

pid_t spawn_program(const std::vector<std::string>& argv) {
    return start(argv, -1, -1, -1);
}

Process::Process(const std::vector<std::string>& argv) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return;
    pid_ = start(argv, -1, fds[1], -1);
    close(fds[1]);
    out_ = fds[0];
}

Process::~Process() {
    kill_now();
    if (out_ >= 0)
        close(out_);
}

void Process::kill_now() {
    if (pid_ > 0 && !exited_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status_, 0);
        exited_ = true;
        status_ = -1;
    }
}

std::optional<std::string> Process::next_line(int timeout_ms) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        if (auto nl = pending_.find('\n'); nl != std::string::npos) {
            std::string line = pending_.substr(0, nl);
            pending_.erase(0, nl + 1);
            return line;
        }
        pollfd p{out_, POLLIN, 0};
        if (poll(&p, 1, ms_left(deadline)) <= 0)
            return std::nullopt;
        char buf[512];
        ssize_t n = read(out_, buf, sizeof buf);
        if (n <= 0)
            return std::nullopt;
        pending_.append(buf, static_cast<size_t>(n));
    }
}

int Process::wait_exit(int timeout_ms) {
    if (exited_)
        return status_;
    // The end of the output is the end of the program (or its closing stdout).
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        pollfd p{out_, POLLIN, 0};
        if (poll(&p, 1, ms_left(deadline)) <= 0)
            break;
        char buf[512];
        ssize_t n = read(out_, buf, sizeof buf);
        if (n <= 0)
            break;
        pending_.append(buf, static_cast<size_t>(n));
    }
    int status = 0;
    if (ms_left(deadline) == 0 && waitpid(pid_, &status, WNOHANG) == 0) {
        kill_now();
        return -1;
    }
    waitpid(pid_, &status, 0);
    exited_ = true;
    status_ = exit_code(status);
    return status_;
}

} // namespace testing_support
