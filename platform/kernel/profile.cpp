// The profile (INI) file functions. Reading follows the documented Win32 rules; a write
// replaces the file atomically under a lock on its directory.
#include "atomic_file.h"
#include "last_error.h"
#include "paths.h"
#include "profile_text.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <sys/stat.h>
#include <time.h>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A bare file name lives in the Windows directory; anything else is a path (Windows or host).
std::optional<fs::path> profile_path(LPCSTR file_name) {
    std::string name = file_name ? file_name : "win.ini";
    bool bare =
        name.find_first_of("\\/") == std::string::npos && !(name.size() >= 2 && name[1] == ':');
    return platform::host_path(bare ? "C:\\WINDOWS\\" + name : name);
}

struct Loaded {
    platform::ProfileText profile;
    bool found = false;
};

// The files read last, with what identified their version: a program reads the same few
// settings again and again, and a look at the file's status is all an unchanged one costs.
// A writer replaces the file (a new inode); a person's edit changes its times or size.
struct Read {
    fs::path path;
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    timespec mtime{}, ctime{};
    platform::ProfileText profile;

    bool same(const struct stat& st) const {
        return dev == st.st_dev && ino == st.st_ino && size == st.st_size &&
               mtime.tv_sec == st.st_mtim.tv_sec && mtime.tv_nsec == st.st_mtim.tv_nsec &&
               ctime.tv_sec == st.st_ctim.tv_sec && ctime.tv_nsec == st.st_ctim.tv_nsec;
    }
};

constexpr size_t kFilesKept = 8;

Loaded load(LPCSTR file_name) {
    thread_local std::deque<Read> kept;
    Loaded loaded;
    auto path = profile_path(file_name);
    struct stat st {};
    // Only regular files are read (a FIFO or device is refused as read_whole_file does).
    if (!path || ::stat(path->c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return loaded;
    auto it =
        std::find_if(kept.begin(), kept.end(), [&](const Read& r) { return r.path == *path; });
    if (it != kept.end() && it->same(st))
        return Loaded{it->profile, true};
    if (it != kept.end())
        kept.erase(it);
    DWORD error = ERROR_SUCCESS;
    auto content = platform::read_whole_file(*path, error);
    if (!content)
        return loaded;
    loaded.profile = platform::ProfileText::parse(*content);
    loaded.found = true;
    // File times tick coarsely: a file written within the last tick could be written again
    // with the same times, so only one older than that is kept.
    timespec now{};
    clock_gettime(CLOCK_REALTIME_COARSE, &now);
    if (now.tv_sec - st.st_mtim.tv_sec >= 2) {
        kept.push_front(
            Read{*path, st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim, loaded.profile});
        if (kept.size() > kFilesKept)
            kept.pop_back();
    }
    return loaded;
}

// One string, cut to size - 1 characters; returns the number copied.
DWORD copy_string(std::string_view text, LPSTR out, DWORD size) {
    size_t count = std::min<size_t>(text.size(), size - 1);
    std::memcpy(out, text.data(), count);
    out[count] = '\0';
    return static_cast<DWORD>(count);
}

// Names as a double-NUL list. When they do not all fit, the last one that starts is cut so
// that both terminators fit, and the result is size - 2.
DWORD copy_list(const std::vector<std::string>& names, LPSTR out, DWORD size) {
    if (size == 1) {
        out[0] = '\0';
        return 0;
    }
    size_t used = 0;
    for (const std::string& name : names) {
        if (used + name.size() + 1 > size - 1) {
            size_t room = size - 2 - used;
            std::memcpy(out + used, name.data(), room);
            out[used + room] = '\0';
            out[size - 1] = '\0';
            return size - 2;
        }
        std::memcpy(out + used, name.c_str(), name.size() + 1);
        used += name.size() + 1;
    }
    out[used] = '\0';
    return static_cast<DWORD>(used);
}

bool has_any(std::string_view text, const char* characters) {
    return text.find_first_of(characters) != std::string_view::npos;
}

} // namespace

DWORD WINAPI GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                                      LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName) {
    if (lpReturnedString == nullptr || nSize == 0)
        return 0;
    Loaded loaded = load(lpFileName);
    if (lpAppName == nullptr)
        return copy_list(loaded.profile.section_names(), lpReturnedString, nSize);
    if (lpKeyName == nullptr)
        return copy_list(loaded.profile.key_names(lpAppName), lpReturnedString, nSize);
    if (auto value = loaded.profile.value(lpAppName, lpKeyName))
        return copy_string(*value, lpReturnedString, nSize);
    // The default loses its trailing blanks, as documented.
    std::string_view fallback = lpDefault ? lpDefault : "";
    while (!fallback.empty() && fallback.back() == ' ')
        fallback.remove_suffix(1);
    SetLastError(ERROR_FILE_NOT_FOUND);
    return copy_string(fallback, lpReturnedString, nSize);
}

// The leading number of the value: an optional sign, then decimal digits or "0x" and
// hexadecimal ones; the first other character ends it ("55zz" is 55, "zz" is 0). A missing
// or empty value gives the default.
UINT WINAPI GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault,
                                  LPCSTR lpFileName) {
    if (lpAppName == nullptr || lpKeyName == nullptr)
        return static_cast<UINT>(nDefault);
    std::optional<std::string> value = load(lpFileName).profile.value(lpAppName, lpKeyName);
    if (!value || value->empty())
        return static_cast<UINT>(nDefault);
    const char* p = value->c_str();
    bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    unsigned base = 10;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        base = 16;
        p += 2;
    }
    uint32_t result = 0; // wraps like the 32-bit conversion of Windows
    for (;; ++p) {
        unsigned digit;
        if (*p >= '0' && *p <= '9')
            digit = *p - '0';
        else if (base == 16 && *p >= 'a' && *p <= 'f')
            digit = *p - 'a' + 10;
        else if (base == 16 && *p >= 'A' && *p <= 'F')
            digit = *p - 'A' + 10;
        else
            break;
        result = result * base + digit;
    }
    return negative ? 0u - result : result;
}

BOOL WINAPI WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString,
                                       LPCSTR lpFileName) {
    // All three NULL asks Windows to flush its cache; every write here is already on disk.
    if (lpAppName == nullptr && lpKeyName == nullptr && lpString == nullptr)
        return TRUE;
    if (lpAppName == nullptr)
        return platform::fail(ERROR_INVALID_PARAMETER, FALSE);
    // Names and values that would read back as other lines (a line break, a ']' closing the
    // section early, an '=' inside a key, a key that reads as a section or comment) are refused
    // rather than written into a file that no longer says what was meant.
    std::string_view key = lpKeyName ? platform::trim_blanks(lpKeyName) : "";
    if (has_any(lpAppName, "]\r\n") || has_any(key, "=\r\n") ||
        (lpString && has_any(lpString, "\r\n")) ||
        (lpKeyName && (key.empty() || key.front() == '[' || key.front() == ';')))
        return platform::fail(ERROR_INVALID_PARAMETER, FALSE);
    std::optional<fs::path> path = profile_path(lpFileName);
    if (!path)
        return platform::fail(ERROR_PATH_NOT_FOUND, FALSE);

    platform::DirectoryLock lock(path->parent_path());
    DWORD error = ERROR_SUCCESS;
    std::optional<std::string> content = platform::read_whole_file(*path, error);
    if (!content && error != ERROR_FILE_NOT_FOUND)
        return platform::fail(error, FALSE);
    platform::ProfileText profile = platform::ProfileText::parse(content.value_or(""));
    bool changed = lpKeyName == nullptr  ? profile.remove_section(lpAppName)
                   : lpString == nullptr ? profile.remove_key(lpAppName, key)
                                         : profile.set_value(lpAppName, key, lpString);
    if (!changed)
        return TRUE; // also: deleting from a file that does not exist leaves it absent
    error = platform::replace_file(*path, profile.text());
    if (error != ERROR_SUCCESS)
        return platform::fail(error, FALSE);
    return TRUE;
}
