// WinExec: starts a program of this machine from a Windows command line. The child is
// detached (its own session, reparented to init by a double fork), so it never stays behind
// as a zombie and lives on by itself, as a Windows process does.
#include "machine.h"
#include "paths.h"
#include "startup.h"

#include <windows.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

// What WinExec answers on success: any value above 31.
constexpr UINT kStarted = 33;

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

// The program name: quoted, or up to the first blank (Windows tries longer unquoted names
// with blanks too; nothing here relies on that). `rest` is what follows it.
std::string program_token(const std::string& line, size_t& rest) {
    size_t i = 0;
    while (i < line.size() && is_blank(line[i]))
        ++i;
    if (i < line.size() && line[i] == '"') {
        size_t close = line.find('"', i + 1);
        size_t end = close == std::string::npos ? line.size() : close;
        rest = close == std::string::npos ? line.size() : close + 1;
        return line.substr(i + 1, end - i - 1);
    }
    size_t end = i;
    while (end < line.size() && !is_blank(line[end]))
        ++end;
    rest = end;
    return line.substr(i, end - i);
}

// The arguments after the program name, split as the C runtime of Windows splits them: blanks
// separate, quotes group, 2n backslashes before a quote give n and the quote counts, 2n+1
// give n and a literal quote; other backslashes are plain characters.
std::vector<std::string> split_arguments(const std::string& text) {
    std::vector<std::string> args;
    size_t i = 0;
    for (;;) {
        while (i < text.size() && is_blank(text[i]))
            ++i;
        if (i >= text.size())
            return args;
        std::string arg;
        bool quoted = false;
        while (i < text.size() && (quoted || !is_blank(text[i]))) {
            size_t slashes = 0;
            while (i < text.size() && text[i] == '\\') {
                ++slashes;
                ++i;
            }
            if (i < text.size() && text[i] == '"') {
                arg.append(slashes / 2, '\\');
                if (slashes % 2 == 1)
                    arg += '"';
                else
                    quoted = !quoted;
                ++i;
            } else {
                arg.append(slashes, '\\');
                if (i < text.size() && (quoted || !is_blank(text[i])))
                    arg += text[i++];
            }
        }
        args.push_back(std::move(arg));
    }
}

size_t name_start(const std::string& path) {
    size_t sep = path.find_last_of("\\/:");
    return sep == std::string::npos ? 0 : sep + 1;
}

// Windows appends ".EXE" to a program name without an extension.
std::string with_extension(const std::string& program) {
    if (program.find('.', name_start(program)) != std::string::npos)
        return program;
    return program + ".EXE";
}

struct Resolved {
    std::optional<fs::path> host;
    UINT error = ERROR_FILE_NOT_FOUND;
};

Resolved resolve_path(const std::string& windows_path) {
    std::optional<fs::path> host = platform::host_path(windows_path);
    if (!host)
        return {std::nullopt, ERROR_PATH_NOT_FOUND};
    std::error_code ec;
    if (fs::exists(*host, ec))
        return {host, ERROR_SUCCESS};
    bool folder_exists = fs::is_directory(host->parent_path(), ec);
    return {std::nullopt, folder_exists ? UINT{ERROR_FILE_NOT_FOUND} : UINT{ERROR_PATH_NOT_FOUND}};
}

// A bare name is looked for where Windows looks: beside the calling program, in the current
// directory, then in the system and Windows directories.
Resolved resolve(const std::string& program) {
    if (program.find_first_of("\\/:") != std::string::npos)
        return resolve_path(program);
    std::vector<std::string> folders = {platform::windows_path(platform::program_directory()),
                                        platform::windows_path(fs::current_path()),
                                        "C:\\WINDOWS\\SYSTEM32", "C:\\WINDOWS\\SYSTEM",
                                        "C:\\WINDOWS"};
    for (const std::string& folder : folders) {
        Resolved r = resolve_path(folder + "\\" + program);
        if (r.host)
            return r;
    }
    return {std::nullopt, ERROR_FILE_NOT_FOUND};
}

UINT error_from_exec_errno(int err) {
    switch (err) {
    case ENOMEM:
    case EAGAIN:
    case EMFILE:
    case ENFILE:
        return 0; // out of resources
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    default:
        return ERROR_BAD_FORMAT;
    }
}

UINT fail(UINT error) {
    SetLastError(error == 0 ? ERROR_NOT_ENOUGH_MEMORY : error);
    return error;
}

std::vector<std::string> child_environment(UINT show) {
    std::vector<std::string> env;
    const std::string root_prefix = "RADIODECK_ROOT=";
    const std::string show_prefix = std::string(platform::kCmdShowVariable) + "=";
    for (char** e = environ; e && *e; ++e) {
        std::string entry = *e;
        if (entry.rfind(root_prefix, 0) == 0 || entry.rfind(show_prefix, 0) == 0)
            continue;
        env.push_back(std::move(entry));
    }
    std::error_code ec;
    fs::path root = fs::absolute(platform::machine_root(), ec);
    env.push_back(root_prefix + (ec ? platform::machine_root() : root).string());
    env.push_back(show_prefix + std::to_string(show));
    return env;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> out;
    for (std::string& s : strings)
        out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

void report_and_exit(int pipe_fd, int err) {
    ssize_t unused = write(pipe_fd, &err, sizeof err);
    (void)unused;
    _exit(127);
}

// Runs in the grandchild, between fork and exec: async-signal-safe calls only.
[[noreturn]] void exec_child(const char* file, char* const* argv, char* const* envp, int null_fd,
                             int pipe_fd) {
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    signal(SIGPIPE, SIG_DFL);
    // A Windows program is started without its parent's handles or console.
    dup2(null_fd, STDIN_FILENO);
    dup2(null_fd, STDOUT_FILENO);
    dup2(null_fd, STDERR_FILENO);
    if (close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) != 0) {
        for (int fd = 3; fd < 4096; ++fd)
            if (fd != pipe_fd)
                fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    execve(file, argv, envp);
    report_and_exit(pipe_fd, errno);
    _exit(127);
}

// Starts the program detached. Returns 0 when it runs, else the errno that stopped it.
int spawn_detached(const fs::path& file, std::vector<std::string> args,
                   std::vector<std::string> env) {
    std::vector<char*> argv = pointers(args);
    std::vector<char*> envp = pointers(env);
    std::string path = file.string();
    int null_fd = open("/dev/null", O_RDWR | O_CLOEXEC);
    if (null_fd < 0)
        return errno;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        int err = errno;
        close(null_fd);
        return err;
    }
    pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        setsid();
        pid_t grandchild = fork();
        if (grandchild < 0)
            report_and_exit(fds[1], errno);
        if (grandchild > 0)
            _exit(0);
        exec_child(path.c_str(), argv.data(), envp.data(), null_fd, fds[1]);
    }
    int err = child < 0 ? errno : 0;
    close(fds[1]);
    close(null_fd);
    if (child > 0) {
        while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
        }
        // The pipe closes when the program is running (close-on-exec) or has given up.
        int reported = 0;
        ssize_t n;
        while ((n = read(fds[0], &reported, sizeof reported)) < 0 && errno == EINTR) {
        }
        if (n == static_cast<ssize_t>(sizeof reported))
            err = reported;
    }
    close(fds[0]);
    return err;
}

} // namespace

UINT WINAPI WinExec(LPCSTR lpCmdLine, UINT uCmdShow) {
    if (lpCmdLine == nullptr)
        return fail(ERROR_FILE_NOT_FOUND);
    std::string line = lpCmdLine;
    size_t rest = 0;
    std::string program = program_token(line, rest);
    if (program.empty())
        return fail(ERROR_FILE_NOT_FOUND);
    Resolved found = resolve(with_extension(program));
    if (!found.host)
        return fail(found.error);
    struct stat st {};
    if (stat(found.host->c_str(), &st) != 0)
        return fail(ERROR_FILE_NOT_FOUND);
    // Windows refuses to run a folder as a program.
    if (S_ISDIR(st.st_mode))
        return fail(ERROR_ACCESS_DENIED);
    if (!S_ISREG(st.st_mode) || access(found.host->c_str(), X_OK) != 0)
        return fail(ERROR_BAD_FORMAT);

    std::vector<std::string> args = {found.host->string()};
    for (std::string& a : split_arguments(line.substr(rest)))
        args.push_back(std::move(a));
    if (int err = spawn_detached(*found.host, std::move(args), child_environment(uCmdShow)))
        return fail(error_from_exec_errno(err));
    return kStarted;
}

int platform::startup_show_command() {
    constexpr long kLastShowCommand = 11; // SW_FORCEMINIMIZE
    const char* text = std::getenv(kCmdShowVariable);
    if (text == nullptr || *text == '\0')
        return SW_SHOWDEFAULT;
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (*end != '\0' || value < SW_HIDE || value > kLastShowCommand)
        return SW_SHOWDEFAULT;
    return static_cast<int>(value);
}
