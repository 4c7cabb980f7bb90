#include "module.h"
#include "paths.h"

#include <windows.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <mutex>
#include <string>

namespace platform {

namespace {

constexpr uintptr_t max_slots = 0x1000;

struct Library {
    std::shared_ptr<ModuleImage> image;
    dev_t device = 0;
    ino_t inode = 0;
    int references = 0;
};

struct ModuleTable {
    std::mutex mutex;
    std::shared_ptr<ModuleImage> main = std::make_shared<ModuleImage>();
    std::map<uintptr_t, Library> libraries; // by slot
    uintptr_t next_slot = 1;

    ModuleTable() { main->handle = reinterpret_cast<HMODULE>(module_handle_base); }
};

// Function-local so that registration from another translation unit's static initialiser
// finds it constructed.
ModuleTable& table() {
    static ModuleTable instance;
    return instance;
}

std::string lower(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

// Windows appends ".dll" to a name without an extension; a trailing '.' says "no extension".
std::string with_default_extension(std::string name) {
    size_t last_sep = name.find_last_of("\\/");
    size_t start = last_sep == std::string::npos ? 0 : last_sep + 1;
    if (!name.empty() && name.back() == '.' && name.size() > start) {
        name.pop_back();
        return name;
    }
    if (name.find('.', start) == std::string::npos)
        name += ".dll";
    return name;
}

std::string file_part(const std::string& name) {
    size_t last_sep = name.find_last_of("\\/");
    return last_sep == std::string::npos ? name : name.substr(last_sep + 1);
}

std::optional<std::filesystem::path> candidate_in(const std::filesystem::path& dir,
                                                  const std::string& name) {
    return host_path(windows_path(dir) + "\\" + name);
}

bool is_plain_file(const std::filesystem::path& p) {
    struct stat st;
    return ::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::optional<std::filesystem::path> search_library(const std::string& name) {
    if (name.find_first_of("\\/") != std::string::npos) {
        auto p = host_path(name);
        if (p && is_plain_file(*p))
            return p;
        return std::nullopt;
    }
    for (auto p : {candidate_in(program_directory(), name), host_path(name)}) {
        if (p && is_plain_file(*p))
            return p;
    }
    return std::nullopt;
}

} // namespace

void register_main_module_resources(const void* data, size_t size) {
    ModuleTable& t = table();
    std::lock_guard lock(t.mutex);
    auto image = std::make_shared<ModuleImage>();
    image->handle = t.main->handle;
    image->resources = ResFile::parse({static_cast<const uint8_t*>(data), size});
    t.main = std::move(image);
}

std::shared_ptr<const ModuleImage> find_module(HMODULE module) {
    ModuleTable& t = table();
    std::lock_guard lock(t.mutex);
    uintptr_t value = reinterpret_cast<uintptr_t>(module);
    if (!module || value == module_handle_base)
        return t.main;
    if (value < module_handle_base || (value - module_handle_base) % module_handle_step != 0)
        return nullptr;
    auto it = t.libraries.find((value - module_handle_base) / module_handle_step);
    return it == t.libraries.end() ? nullptr : it->second.image;
}

} // namespace platform

using namespace platform;

HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName) {
    if (!lpLibFileName || !*lpLibFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto path = search_library(with_default_extension(lpLibFileName));
    if (!path) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    int fd = ::open(path->c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        SetLastError(errno == EACCES ? ERROR_ACCESS_DENIED : ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    ModuleTable& t = table();
    std::lock_guard lock(t.mutex);
    for (auto& [slot, library] : t.libraries) {
        if (library.device == st.st_dev && library.inode == st.st_ino) {
            ::close(fd);
            ++library.references;
            return library.image->handle;
        }
    }
    if (st.st_size <= 0) {
        ::close(fd);
        SetLastError(ERROR_BAD_EXE_FORMAT);
        return nullptr;
    }
    // The library is read into the process's own copy, as Windows' lock on a loaded DLL
    // keeps its image: a file rewritten or truncated meanwhile cannot pull pages away.
    auto image = std::make_shared<ModuleImage>();
    image->bytes.reserve(static_cast<size_t>(st.st_size));
    unsigned char chunk[65536];
    ssize_t n;
    while ((n = ::read(fd, chunk, sizeof chunk)) != 0) {
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            break;
        image->bytes.insert(image->bytes.end(), chunk, chunk + n);
    }
    ::close(fd);
    if (n < 0) {
        SetLastError(ERROR_READ_FAULT);
        return nullptr;
    }
    image->file = *path;
    image->resources = ResFile::parse({image->bytes.data(), image->bytes.size()});
    if (!image->resources) {
        SetLastError(ERROR_BAD_EXE_FORMAT);
        return nullptr;
    }
    // Slots are handed out round-robin so that a freed handle is not soon reused.
    for (uintptr_t tries = 1; tries < max_slots; ++tries) {
        uintptr_t slot = t.next_slot;
        t.next_slot = t.next_slot + 1 < max_slots ? t.next_slot + 1 : 1;
        if (t.libraries.count(slot))
            continue;
        image->handle = reinterpret_cast<HMODULE>(module_handle_base + slot * module_handle_step);
        t.libraries[slot] = Library{image, st.st_dev, st.st_ino, 1};
        return image->handle;
    }
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
}

BOOL WINAPI FreeLibrary(HMODULE hLibModule) {
    ModuleTable& t = table();
    std::lock_guard lock(t.mutex);
    uintptr_t value = reinterpret_cast<uintptr_t>(hLibModule);
    if (value == module_handle_base)
        return TRUE; // the program's own module stays for the life of the process
    if (value > module_handle_base && (value - module_handle_base) % module_handle_step == 0) {
        auto it = t.libraries.find((value - module_handle_base) / module_handle_step);
        if (it != t.libraries.end()) {
            if (--it->second.references == 0)
                t.libraries.erase(it); // unmapped when the last user lets go of the image
            return TRUE;
        }
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
    ModuleTable& t = table();
    std::lock_guard lock(t.mutex);
    if (!lpModuleName)
        return t.main->handle;
    std::string wanted = lower(file_part(with_default_extension(lpModuleName)));
    if (wanted == lower(program_file().filename().string()))
        return t.main->handle;
    for (auto& [slot, library] : t.libraries) {
        if (lower(library.image->file.filename().string()) == wanted)
            return library.image->handle;
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
    auto image = find_module(hModule);
    if (!image) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    std::string name = windows_path(image->file.empty() ? program_file() : image->file);
    if (!lpFilename || nSize == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (name.size() >= nSize) {
        // As Windows since Vista: cut, terminate, return the buffer size.
        std::memcpy(lpFilename, name.data(), nSize - 1);
        lpFilename[nSize - 1] = '\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return nSize;
    }
    std::memcpy(lpFilename, name.c_str(), name.size() + 1);
    return static_cast<DWORD>(name.size());
}
