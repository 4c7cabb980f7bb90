// What the program's hot paths cost on the platform: a posted message through the queue to
// its window procedure, and a settings value read from the registry.
#include <benchmark/benchmark.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

LRESULT CALLBACK count_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_USER)
        ++*reinterpret_cast<long*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    return DefWindowProcA(hwnd, msg, wp, lp);
}

// A machine root of its own, removed at the end.
struct BenchRoot {
    std::filesystem::path path;
    BenchRoot() {
        std::string p =
            (std::filesystem::temp_directory_path() / "radiodeck-bench-XXXXXX").string();
        path = mkdtemp(p.data());
        setenv("RADIODECK_ROOT", path.c_str(), 1);
    }
    ~BenchRoot() { std::filesystem::remove_all(path); }
};

void PostAndDispatch(benchmark::State& state) {
    BenchRoot root;
    WNDCLASSA wc{};
    wc.lpfnWndProc = count_proc;
    wc.lpszClassName = "BenchCounter";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(0, "BenchCounter", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                nullptr, nullptr);
    long received = 0;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&received));
    MSG msg;
    for (auto _ : state) {
        PostMessageA(hwnd, WM_USER, 0, 0);
        GetMessageA(&msg, nullptr, 0, 0);
        DispatchMessageA(&msg);
    }
    benchmark::DoNotOptimize(received);
    DestroyWindow(hwnd);
    UnregisterClassA("BenchCounter", nullptr);
}
BENCHMARK(PostAndDispatch);

void RegistryQueryDword(benchmark::State& state) {
    BenchRoot root;
    HKEY key;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\ZEB0100", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &key, nullptr);
    DWORD one = 1;
    RegSetValueExA(key, "Linkward_WLAN_CONTROL", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4);
    for (auto _ : state) {
        DWORD value = 0, size = 4;
        RegQueryValueExA(key, "Linkward_WLAN_CONTROL", nullptr, nullptr,
                         reinterpret_cast<BYTE*>(&value), &size);
        benchmark::DoNotOptimize(value);
    }
    RegCloseKey(key);
}
BENCHMARK(RegistryQueryDword);

} // namespace

BENCHMARK_MAIN();
