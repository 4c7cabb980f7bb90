// Modules: the program's own module, whose resources are embedded in the binary, and resource
// libraries, which are .res files read into memory when loaded. Libraries carry data only; loading
// one never runs code.
#pragma once

#include "res_file.h"

#include <windef.h>

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

namespace platform {

// Called by the generated registration code of an executable's embedded .res, during static
// initialisation. Bytes that do not parse leave the program's module without resources.
void register_main_module_resources(const void* data, size_t size);

struct ModuleImage {
    HMODULE handle = nullptr;
    std::filesystem::path file; // the library's host path; empty for the program's module
    std::optional<ResFile> resources;
    std::vector<uint8_t> bytes; // a library's own copy of its file, which `resources` views
};

// The module behind a handle (NULL names the program's module), kept alive while held even if
// the library is freed meanwhile. No value for a handle that names no module.
std::shared_ptr<const ModuleImage> find_module(HMODULE module);

// Handles are distinct, non-null and never valid pointers: they live in a range that no
// process here maps (0xA0000000 + slot * 0x10000).
constexpr uintptr_t module_handle_base = 0xA0000000;
constexpr uintptr_t module_handle_step = 0x10000;

} // namespace platform
