// The one way tests start programs: an argument vector, never a shell string, and pipes for
// what the program reads and writes. Every wait is bounded.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

struct Outcome {
    int code = -1; // the exit code; -1 after a signal or when it did not end in time
    std::string out, err;
};

// Runs a program to its end: argv[0] is its path. `input` is its standard input; what it
// prints is collected. A program still running after `limit` is killed.
Outcome run_program(const std::vector<std::string>& argv, const std::string& input = {},
                    std::chrono::milliseconds limit = std::chrono::seconds(30));

// A running program whose standard output the test reads line by line; its standard input
// and error are the test's own. Killed if it still runs when the object goes.
class Process {
public:
    explicit Process(const std::vector<std::string>& argv);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    pid_t pid() const { return pid_; }
    // The next line of output, waiting at most `timeout_ms` for it.
    std::optional<std::string> next_line(int timeout_ms = 10000);
    // Waits for the exit and returns its code (-1 after a signal or a timeout).
    int wait_exit(int timeout_ms = 10000);
    void kill_now();

private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string pending_;
    bool exited_ = false;
    int status_ = -1;
};

// Starts a program that runs beside the test (a peer, a service) with the test's own standard
// streams; its pid, or -1. The test waits for it or kills it.
pid_t spawn_program(const std::vector<std::string>& argv);

} // namespace testing_support
