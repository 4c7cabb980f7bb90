// VirtualAlloc and VirtualFree over mmap. Regions lie below 4 GiB, as every address of a
// 32-bit process does, so a program may pass a pointer in a DWORD (the ACPI request does).
// Regions start at the allocation granularity of Windows, 64 KiB.
#include "last_error.h"
#include "trace.h"

#include <windows.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <sys/mman.h>

namespace {

constexpr uintptr_t kGranularity = 0x10000;
constexpr uintptr_t kLimit = uintptr_t(1) << 32;
constexpr size_t kPage = 4096;

struct Regions {
    std::mutex lock;
    std::map<uintptr_t, size_t> sizes; // base -> length of each region VirtualAlloc gave
};

Regions& regions() {
    static Regions r;
    return r;
}

bool below_limit(void* p, size_t size) {
    return p != MAP_FAILED && reinterpret_cast<uintptr_t>(p) + size <= kLimit;
}

// Maps `size` bytes at a 64 KiB boundary below 4 GiB; MAP_FAILED when there is no room.
void* map_low(size_t size, int prot) {
    int flags = MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE;
    // MAP_32BIT gives the low 2 GiB; the extra granule lets the region start on a boundary.
    size_t padded = size + kGranularity;
    void* p = ::mmap(nullptr, padded, prot, flags | MAP_32BIT, -1, 0);
    if (!below_limit(p, padded)) {
        if (p != MAP_FAILED)
            ::munmap(p, padded);
        // Without MAP_32BIT a hint is only a wish: keep the region only where it was granted.
        p = MAP_FAILED;
        for (uintptr_t hint = 0x10000000; hint + padded <= kLimit && p == MAP_FAILED;
             hint += 0x10000000) {
            p = ::mmap(reinterpret_cast<void*>(hint), padded, prot, flags, -1, 0);
            if (p != MAP_FAILED && !below_limit(p, padded)) {
                ::munmap(p, padded);
                p = MAP_FAILED;
            }
        }
        if (p == MAP_FAILED)
            return MAP_FAILED;
    }
    auto start = reinterpret_cast<uintptr_t>(p);
    uintptr_t base = (start + kGranularity - 1) & ~(kGranularity - 1);
    if (base > start)
        ::munmap(p, base - start);
    if (uintptr_t end = start + padded, want = base + size; end > want)
        ::munmap(reinterpret_cast<void*>(want), end - want);
    return reinterpret_cast<void*>(base);
}

int protection(DWORD protect) {
    switch (protect) {
    case PAGE_NOACCESS:
        return PROT_NONE;
    case PAGE_READONLY:
        return PROT_READ;
    case PAGE_READWRITE:
        return PROT_READ | PROT_WRITE;
    default:
        // Execute and guard pages: the program has no use for them.
        platform::fixme(platform::TraceChannel::kernel, "VirtualAlloc: flProtect 0x%x",
                        static_cast<unsigned>(protect));
        return -1;
    }
}

} // namespace

LPVOID WINAPI VirtualAlloc(LPVOID lpAddress, SIZE_T dwSize, DWORD flAllocationType,
                           DWORD flProtect) {
    using platform::fail;
    int prot = protection(flProtect);
    DWORD kind = flAllocationType & (MEM_COMMIT | MEM_RESERVE);
    if (dwSize == 0 || prot < 0 || kind == 0 || flAllocationType != kind)
        return fail<LPVOID>(ERROR_INVALID_PARAMETER, nullptr);
    size_t size = (dwSize + kPage - 1) & ~(kPage - 1);
    Regions& r = regions();
    std::lock_guard hold(r.lock);
    if (lpAddress) {
        // Committing pages of a region reserved earlier; new regions at a chosen address are
        // not offered.
        auto at = reinterpret_cast<uintptr_t>(lpAddress) & ~(kPage - 1);
        auto region = r.sizes.upper_bound(at);
        if (kind != MEM_COMMIT || region == r.sizes.begin())
            return fail<LPVOID>(ERROR_INVALID_ADDRESS, nullptr);
        --region;
        if (at + size > region->first + region->second)
            return fail<LPVOID>(ERROR_INVALID_ADDRESS, nullptr);
        if (::mprotect(reinterpret_cast<void*>(at), size, prot) != 0)
            return fail<LPVOID>(ERROR_NOT_ENOUGH_MEMORY, nullptr);
        return reinterpret_cast<LPVOID>(at);
    }
    // MEM_COMMIT alone at no address reserves too, as on Windows.
    void* p = map_low(size, kind == MEM_RESERVE ? PROT_NONE : prot);
    if (p == MAP_FAILED)
        return fail<LPVOID>(ERROR_NOT_ENOUGH_MEMORY, nullptr);
    r.sizes[reinterpret_cast<uintptr_t>(p)] = size;
    return p;
}

BOOL WINAPI VirtualFree(LPVOID lpAddress, SIZE_T dwSize, DWORD dwFreeType) {
    using platform::fail;
    Regions& r = regions();
    std::lock_guard hold(r.lock);
    auto at = reinterpret_cast<uintptr_t>(lpAddress);
    if (dwFreeType == MEM_RELEASE) {
        // The whole region, named by its base, with a size of 0.
        if (dwSize != 0)
            return fail(ERROR_INVALID_PARAMETER, FALSE);
        auto region = r.sizes.find(at);
        if (region == r.sizes.end())
            return fail(ERROR_INVALID_ADDRESS, FALSE);
        ::munmap(lpAddress, region->second);
        r.sizes.erase(region);
        return TRUE;
    }
    if (dwFreeType == MEM_DECOMMIT) {
        auto region = r.sizes.upper_bound(at);
        if (region == r.sizes.begin())
            return fail(ERROR_INVALID_ADDRESS, FALSE);
        --region;
        uintptr_t first = at & ~(kPage - 1);
        uintptr_t end =
            dwSize == 0 ? region->first + region->second : (at + dwSize + kPage - 1) & ~(kPage - 1);
        if (first < region->first || end > region->first + region->second || first >= end)
            return fail(ERROR_INVALID_ADDRESS, FALSE);
        // The pages keep their addresses and lose their content, as decommitted pages do.
        ::mmap(reinterpret_cast<void*>(first), end - first, PROT_NONE,
               MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_FIXED, -1, 0);
        return TRUE;
    }
    return fail(ERROR_INVALID_PARAMETER, FALSE);
}
