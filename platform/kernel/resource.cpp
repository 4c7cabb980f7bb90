// FindResource and friends over the module table. An HRSRC is the module's handle plus the
// entry's index, so a stale or forged one is recognised instead of dereferenced.
#include "module.h"

#include <windows.h>

namespace platform {
namespace {

constexpr uintptr_t max_entries = module_handle_step - 1;

// MAKEINTRESOURCE ordinals, "#123" (ordinal 123, as Windows reads it) and string names.
bool resource_id(LPCSTR value, ResId& out) {
    if (IS_INTRESOURCE(value)) {
        out = ResId::from_ordinal(static_cast<uint16_t>(reinterpret_cast<uintptr_t>(value)));
        return true;
    }
    if (value[0] == '#') {
        uint32_t number = 0;
        const char* p = value + 1;
        if (!*p)
            return false;
        for (; *p; ++p) {
            if (*p < '0' || *p > '9')
                return false;
            number = number * 10 + static_cast<uint32_t>(*p - '0');
            if (number > 0xFFFF)
                return false;
        }
        out = ResId::from_ordinal(static_cast<uint16_t>(number));
        return true;
    }
    std::u16string text;
    for (const char* p = value; *p; ++p)
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(*p)));
    out = ResId::from_text(std::move(text));
    return true;
}

// The entry an HRSRC names, with its module kept alive.
const ResEntry* entry_of(HMODULE module, HRSRC info, std::shared_ptr<const ModuleImage>& image) {
    uintptr_t value = reinterpret_cast<uintptr_t>(info);
    if (value < module_handle_base)
        return nullptr;
    uintptr_t index = value % module_handle_step;
    image = find_module(reinterpret_cast<HMODULE>(value - index));
    if (!image || index == 0 || !image->resources || index > image->resources->entries().size())
        return nullptr;
    // The module argument must agree with the HRSRC; NULL means the program's module.
    auto named = find_module(module);
    if (named != image)
        return nullptr;
    return &image->resources->entries()[index - 1];
}

} // namespace
} // namespace platform

using namespace platform;

HRSRC WINAPI FindResourceExA(HMODULE hModule, LPCSTR lpType, LPCSTR lpName, WORD wLanguage) {
    auto image = find_module(hModule);
    if (!image) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (!lpType || !lpName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    ResId type, name;
    if (!resource_id(lpType, type) || !resource_id(lpName, name)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!image->resources || image->resources->entries().empty()) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    ResFile::Lookup why;
    const ResEntry* entry = image->resources->find(type, name, wLanguage, &why);
    if (!entry) {
        SetLastError(why == ResFile::Lookup::no_type ? ERROR_RESOURCE_TYPE_NOT_FOUND
                                                     : ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    uintptr_t index = image->resources->index_of(entry) + 1;
    if (index > max_entries) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<HRSRC>(reinterpret_cast<uintptr_t>(image->handle) + index);
}

HRSRC WINAPI FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType) {
    return FindResourceExA(hModule, lpType, lpName, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
}

HGLOBAL WINAPI LoadResource(HMODULE hModule, HRSRC hResInfo) {
    std::shared_ptr<const ModuleImage> image;
    const ResEntry* entry = entry_of(hModule, hResInfo, image);
    if (!entry) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    // As on Windows, the handle is the data's address in the module's image. An empty
    // resource still gets a non-null handle: the place where its data would start.
    return const_cast<uint8_t*>(entry->data.data());
}

LPVOID WINAPI LockResource(HGLOBAL hResData) {
    return hResData;
}

DWORD WINAPI SizeofResource(HMODULE hModule, HRSRC hResInfo) {
    std::shared_ptr<const ModuleImage> image;
    const ResEntry* entry = entry_of(hModule, hResInfo, image);
    if (!entry) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return static_cast<DWORD>(entry->data.size());
}

BOOL WINAPI FreeResource(HGLOBAL) {
    return TRUE;
}
