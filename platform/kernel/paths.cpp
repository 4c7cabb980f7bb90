#include "paths.h"
#include "machine.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

namespace fs = std::filesystem;

bool is_separator(char c) {
    return c == '\\' || c == '/';
}

bool iequals(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

fs::path drive_c_root() {
    return (fs::absolute(machine_root()) / "drive_c").lexically_normal();
}

bool starts_with(const fs::path& path, const fs::path& prefix) {
    auto [end, unused] = std::mismatch(prefix.begin(), prefix.end(), path.begin(), path.end());
    return end == prefix.end();
}

// A path with its links resolved: an existing one through its descriptor (three system calls,
// where a walk takes one or two per component), a missing one as far as it exists.
fs::path real_form(const fs::path& path) {
    int fd = ::open(path.c_str(), O_PATH | O_CLOEXEC);
    if (fd >= 0) {
        char target[PATH_MAX];
        std::string link = "/proc/self/fd/" + std::to_string(fd);
        ssize_t n = ::readlink(link.c_str(), target, sizeof target);
        ::close(fd);
        if (n > 0 && static_cast<size_t>(n) < sizeof target && target[0] == '/')
            return fs::path(std::string(target, static_cast<size_t>(n)));
    }
    std::error_code ec;
    return fs::weakly_canonical(path, ec);
}

// The resolved form of drive_c, looked up once per machine root (one per process outside
// tests): each look costs a system call per component of its path.
fs::path resolved(const fs::path& c) {
    thread_local fs::path named, real;
    if (c != named) {
        real = real_form(c);
        named = c;
    }
    return real;
}

// The part of a host path below drive_c, if it lies there. The machine root may be named
// through a symbolic link while the host reports the physical path (getcwd), so the
// comparison falls back to the resolved forms.
std::optional<fs::path> below_drive_c(const fs::path& host) {
    fs::path c = drive_c_root();
    fs::path path = fs::absolute(host).lexically_normal();
    if (starts_with(path, c))
        return path.lexically_relative(c);
    fs::path real_c = resolved(c);
    fs::path real_path = real_form(path);
    if (!real_c.empty() && !real_path.empty() && starts_with(real_path, real_c))
        return real_path.lexically_relative(real_c);
    return std::nullopt;
}

std::optional<fs::path> drive_root(char letter) {
    switch (std::toupper(static_cast<unsigned char>(letter))) {
    case 'C':
        return drive_c_root();
    case 'Z':
        return fs::path("/");
    default:
        return std::nullopt;
    }
}

fs::path current_host_directory() {
    std::error_code ec;
    fs::path cwd = fs::current_path(ec);
    return ec ? fs::path("/") : cwd;
}

// The entry of `dir` that matches `name` regardless of case; an exact match wins, and among
// several case variants the first in byte order is taken so that the choice is stable.
std::optional<std::string> find_entry(const fs::path& dir, const std::string& name) {
    std::error_code ec;
    if (fs::exists(dir / name, ec))
        return name;
    std::optional<std::string> found;
    for (const auto& entry : fs::directory_iterator(dir, ec)) {
        std::string candidate = entry.path().filename().string();
        if (iequals(candidate, name) && (!found || candidate < *found))
            found = candidate;
    }
    return found;
}

// Appends Windows path components to a host directory, matching each against the disk.
fs::path resolve_components(fs::path base, const std::string& rest, const fs::path& floor) {
    std::vector<std::string> parts;
    std::string part;
    for (size_t i = 0; i <= rest.size(); ++i) {
        if (i == rest.size() || is_separator(rest[i])) {
            if (!part.empty())
                parts.push_back(part);
            part.clear();
        } else {
            part += rest[i];
        }
    }
    // Most names are spelled as on disk: when the whole path (or all but its last name, for a
    // file about to be made) exists as written, each of its names matched exactly, which
    // find_entry would have found one look at a time.
    bool plain = std::none_of(parts.begin(), parts.end(),
                              [](const std::string& p) { return p == "." || p == ".."; });
    if (plain && !parts.empty()) {
        fs::path whole = base;
        for (const std::string& name : parts)
            whole /= name;
        std::error_code ec;
        if (fs::exists(whole, ec))
            return whole;
        if (fs::is_directory(whole.parent_path(), ec)) {
            std::optional<std::string> last = find_entry(whole.parent_path(), parts.back());
            return whole.parent_path() / last.value_or(parts.back());
        }
    }
    bool on_disk = true; // once a component is missing, the rest cannot be matched
    for (const std::string& name : parts) {
        if (name == ".")
            continue;
        if (name == "..") {
            // Never above the drive's root, as on Windows.
            if (base != floor && base.has_parent_path())
                base = base.parent_path();
            continue;
        }
        std::optional<std::string> entry = on_disk ? find_entry(base, name) : std::nullopt;
        on_disk = entry.has_value();
        base /= entry.value_or(name);
    }
    return base;
}

// The drive root that holds a host directory: C: below drive_c, else Z:.
fs::path floor_of(const fs::path& host) {
    return below_drive_c(host) ? drive_c_root() : fs::path("/");
}

} // namespace

std::optional<fs::path> host_path(const std::string& windows_path) {
    if (windows_path.empty())
        return std::nullopt;
    // A host absolute path ("/usr/bin") names the same place as "Z:\usr\bin".
    if (windows_path[0] == '/')
        return resolve_components("/", windows_path, "/");
    // "\\server\share" and "\\.\DEVICE" are no places on a drive.
    if (windows_path.size() >= 2 && is_separator(windows_path[0]) && is_separator(windows_path[1]))
        return std::nullopt;
    if (windows_path.size() >= 2 && windows_path[1] == ':') {
        std::optional<fs::path> root = drive_root(windows_path[0]);
        if (!root)
            return std::nullopt;
        std::string rest = windows_path.substr(2);
        // "C:name" is relative to the current directory when that is on the same drive.
        fs::path cwd = current_host_directory();
        if (!rest.empty() && !is_separator(rest[0]) && floor_of(cwd) == *root)
            return resolve_components(cwd, rest, *root);
        return resolve_components(*root, rest, *root);
    }
    fs::path cwd = current_host_directory();
    fs::path floor = floor_of(cwd);
    if (is_separator(windows_path[0]))
        return resolve_components(floor, windows_path, floor);
    return resolve_components(cwd, windows_path, floor);
}

std::string windows_path(const fs::path& host) {
    std::optional<fs::path> on_c = below_drive_c(host);
    fs::path relative = on_c ? *on_c : fs::absolute(host).lexically_normal().relative_path();
    std::string result = on_c ? "C:\\" : "Z:\\";
    for (const auto& part : relative) {
        std::string name = part.string();
        if (name.empty() || name == ".")
            continue;
        if (result.back() != '\\')
            result += '\\';
        result += name;
    }
    return result;
}

namespace {
fs::path& program_file_override() {
    static fs::path file;
    return file;
}
} // namespace

void set_program_file(const fs::path& file) {
    program_file_override() = file;
}

fs::path program_file() {
    if (!program_file_override().empty())
        return program_file_override();
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : self;
}

fs::path program_directory() {
    return program_file().parent_path();
}

} // namespace platform
