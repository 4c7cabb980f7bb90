// How registry reading and importing scale: `reg import` of a .reg file whose one key holds
// N values, then `reg query` of that key, as whole processes on a fresh machine root, for N of
// 1,000, 10,000 and 100,000 (or the counts given).
// Usage: bench_registry BIN_DIR [N...]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

// Runs reg with `args`, its output thrown away; the seconds it took, or -1 when it failed.
double run_reg(const std::string& reg, std::vector<std::string> args) {
    args.insert(args.begin(), reg);
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    auto start = std::chrono::steady_clock::now();
    pid_t pid = -1;
    int status = -1;
    bool ran = posix_spawn(&pid, reg.c_str(), &actions, nullptr, argv.data(), environ) == 0 &&
               waitpid(pid, &status, 0) == pid;
    posix_spawn_file_actions_destroy(&actions);
    if (!ran || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_registry BIN_DIR [N...]\n");
        return 2;
    }
    std::string reg = std::string(argv[1]) + "/reg";
    std::vector<long> counts;
    for (int i = 2; i < argc; ++i)
        counts.push_back(std::atol(argv[i]));
    if (counts.empty())
        counts = {1000, 10000, 100000};
    for (long n : counts) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "radiodeck-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            return 1;
        setenv("RADIODECK_ROOT", pattern.c_str(), 1);
        std::filesystem::path file = std::filesystem::path(pattern) / "values.reg";
        {
            std::ofstream out(file);
            out << "Windows Registry Editor Version "
                   "5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\Bench]\n";
            for (long i = 0; i < n; ++i)
                out << "\"Value" << i << "\"=dword:" << std::hex << i << std::dec << "\n";
        }
        double import = run_reg(reg, {"import", file.string()});
        double query = run_reg(reg, {"query", "HKLM\\Software\\Bench"});
        std::printf("%7ld values: reg import %8.3f s, reg query %8.3f s\n", n, import, query);
        std::fflush(stdout);
        std::filesystem::remove_all(pattern);
    }
    return 0;
}
