// VirtualAlloc and VirtualFree: regions below 4 GiB on the allocation granularity, and the
// Win32 failures for what Windows refuses.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>

namespace {

uintptr_t address(LPVOID p) {
    return reinterpret_cast<uintptr_t>(p);
}

TEST(VirtualMemory, CommittedRegionsLieBelowFourGiBZeroedAndWritable) {
    for (SIZE_T size : {SIZE_T{1}, SIZE_T{4096}, SIZE_T{65537}, SIZE_T{1} << 20}) {
        auto* p =
            static_cast<BYTE*>(VirtualAlloc(NULL, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        ASSERT_NE(p, nullptr) << size;
        EXPECT_EQ(address(p) % 0x10000, 0u) << size;
        EXPECT_LE(address(p) + size, uintptr_t(1) << 32) << size;
        EXPECT_EQ(p[0] | p[size - 1], 0) << size;
        p[size - 1] = 7;
        EXPECT_TRUE(VirtualFree(p, 0, MEM_RELEASE)) << size;
        SetLastError(0);
        EXPECT_FALSE(VirtualFree(p, 0, MEM_RELEASE)) << size;
        EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_ADDRESS}) << size;
    }
}

TEST(VirtualMemory, RefusesWhatWindowsRefuses) {
    auto* p = static_cast<BYTE*>(VirtualAlloc(NULL, 8192, MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(p, nullptr);
    struct Case {
        bool ok;
        DWORD error;
    };
    auto call = [](auto f) {
        SetLastError(0);
        bool ok = f();
        return Case{ok, GetLastError()};
    };
    const Case cases[] = {
        call([] { return VirtualAlloc(NULL, 0, MEM_COMMIT, PAGE_READWRITE) != NULL; }),
        call([] { return VirtualAlloc(NULL, 4096, MEM_COMMIT, 0x40) != NULL; }),
        call([] { return VirtualAlloc(NULL, 4096, 0, PAGE_READWRITE) != NULL; }),
        call([&] { return VirtualFree(p, 8192, MEM_RELEASE) != FALSE; }),
        call([&] { return VirtualFree(p, 0, 0) != FALSE; }),
        call([&] { return VirtualFree(p + 4096, 0, MEM_RELEASE) != FALSE; }),
        call([] {
            return VirtualAlloc(reinterpret_cast<LPVOID>(0x1000), 4096, MEM_COMMIT,
                                PAGE_READWRITE) != NULL;
        }),
    };
    const DWORD want[] = {ERROR_INVALID_PARAMETER, ERROR_INVALID_PARAMETER, ERROR_INVALID_PARAMETER,
                          ERROR_INVALID_PARAMETER, ERROR_INVALID_PARAMETER, ERROR_INVALID_ADDRESS,
                          ERROR_INVALID_ADDRESS};
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_FALSE(cases[i].ok) << i;
        EXPECT_EQ(cases[i].error, want[i]) << i;
    }
    EXPECT_TRUE(VirtualFree(p, 0, MEM_RELEASE));
}

TEST(VirtualMemory, ReservedPagesAreCommittedAndDecommittedInPlace) {
    auto* base = static_cast<BYTE*>(VirtualAlloc(NULL, 0x10000, MEM_RESERVE, PAGE_NOACCESS));
    ASSERT_NE(base, nullptr);
    auto* page = static_cast<BYTE*>(VirtualAlloc(base + 5000, 100, MEM_COMMIT, PAGE_READWRITE));
    EXPECT_EQ(page, base + 4096);
    page[10] = 42;
    EXPECT_EQ(VirtualAlloc(base + 0xF000, 0x2000, MEM_COMMIT, PAGE_READWRITE), nullptr);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_ADDRESS});
    // Decommitted pages lose their content; committed again they read as zero.
    EXPECT_TRUE(VirtualFree(page, 4096, MEM_DECOMMIT));
    ASSERT_EQ(VirtualAlloc(page, 4096, MEM_COMMIT, PAGE_READWRITE), page);
    EXPECT_EQ(page[10], 0);
    EXPECT_TRUE(VirtualFree(base, 0, MEM_RELEASE));
}

} // namespace
