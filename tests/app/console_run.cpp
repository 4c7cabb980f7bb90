#include "console_run.h"

#include "device/acpi_channel.h"
#include "machine/notebookctl/notebook_setup.h"
#include "platform/user/input.h"

namespace testing_support {

namespace {

std::vector<WPARAM> g_keywatch;
std::vector<int> g_osd;
HWND g_keywatch_window = nullptr;
HWND g_osd_window = nullptr;

LRESULT CALLBACK keywatch_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND)
        g_keywatch.push_back(wp);
    return DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT CALLBACK osd_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND)
        g_osd.push_back(LOWORD(wp));
    return DefWindowProcA(hwnd, msg, wp, lp);
}

HWND peer(const char* name, WNDPROC proc, std::initializer_list<int> controls) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.lpszClassName = name;
    RegisterClassA(&wc);
    HWND w =
        CreateWindowExA(0, name, name, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    for (int id : controls)
        CreateWindowExA(0, "Static", "", WS_CHILD, 0, 0, 0, 0, w,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    return w;
}

// The program's console, telling the test when its window goes.
class WatchedConsole : public CConsoleDlg {
public:
    explicit WatchedConsole(const std::function<void(CConsoleDlg&)>& on_destroy)
        : on_destroy_(on_destroy) {}

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_DESTROY && on_destroy_)
            on_destroy_(*this);
        return CConsoleDlg::WindowProc(message, wParam, lParam);
    }

private:
    const std::function<void(CConsoleDlg&)>& on_destroy_;
};

} // namespace

void ConsoleRun::SetUp() {
    MachineFixture::SetUp();
    // The framework's start as the program's entry makes it: the program's own module.
    AfxWinInit(GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOWNORMAL);
    clear_peers();
    on_destroy = nullptr;
}

void ConsoleRun::TearDown() {
    for (HWND* w : {&g_keywatch_window, &g_osd_window}) {
        if (*w)
            DestroyWindow(*w);
        *w = nullptr;
    }
    UnregisterClassA("KEYWATCH", nullptr);
    UnregisterClassA("ZEBOSD", nullptr);
    if (g_hAcpiDevice != INVALID_HANDLE_VALUE)
        CloseHandle(g_hAcpiDevice);
    g_hAcpiDevice = INVALID_HANDLE_VALUE;
    g_hHotkeyServiceWnd = nullptr;
    g_hOsdWnd = nullptr;
    if (g_hLangLib)
        FreeLibrary(g_hLangLib);
    g_hLangLib = nullptr;
    MachineFixture::TearDown();
}

void ConsoleRun::notebook(const machine::FirmwareProfile& profile,
                          const std::function<void(machine::Firmware&)>& change) {
    ASSERT_EQ(machine::init_notebook(profile), static_cast<DWORD>(ERROR_SUCCESS));
    if (change)
        edit_firmware(change);
    g_keywatch_window = peer("KEYWATCH", keywatch_proc, {117});
    g_osd_window = peer("ZEBOSD", osd_proc, {94, 95, 125, 126, 135, 136});
}

int ConsoleRun::run(std::vector<std::function<void(CConsoleDlg&)>> steps) {
    WatchedConsole dlg(on_destroy);
    std::function<void(size_t)> queue = [&](size_t i) {
        if (i == steps.size()) {
            ui.then([&dlg] { dlg.PostMessage(WM_COMMAND, ID_TRAY_EXIT, 0); });
            return;
        }
        ui.then([&, i] {
            steps[i](dlg);
            queue(i + 1);
        });
    };
    ui.then([this] { clock().advance_by(100); });
    queue(0);
    return dlg.DoModal();
}

ConsoleRun::Step ConsoleRun::show() {
    return [](CConsoleDlg& dlg) { dlg.SendMessage(WM_TRAY_NOTIFY, IDI_APP, WM_LBUTTONDBLCLK); };
}

ConsoleRun::Step ConsoleRun::click(int id) {
    return [this, id](CConsoleDlg& dlg) {
        clock().advance_by(1000); // separate clicks, not a double click
        ASSERT_TRUE(platform::click_window(::GetDlgItem(dlg.m_hWnd, id)));
    };
}

ConsoleRun::Step ConsoleRun::command(UINT id) {
    return [id](CConsoleDlg& dlg) { dlg.SendMessage(WM_COMMAND, id, 0); };
}

ConsoleRun::Step ConsoleRun::event(int code) {
    return [code](CConsoleDlg& dlg) { dlg.PostMessage(WM_COMMAND, MAKEWPARAM(112, code), 0); };
}

machine::Firmware ConsoleRun::firmware() {
    machine::Firmware fw;
    machine::read_firmware(fw);
    return fw;
}

void ConsoleRun::edit_firmware(const std::function<void(machine::Firmware&)>& change) {
    machine::Firmware fw = firmware();
    change(fw);
    machine::write_firmware(fw);
}

void ConsoleRun::store(const char* name, DWORD value) {
    HKEY key;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\ZEB0100", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &key, nullptr);
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<BYTE*>(&value), 4);
    RegCloseKey(key);
}

std::optional<DWORD> ConsoleRun::stored(const char* name) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\ZEB0100", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD value = 0, size = 4;
    LONG r = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return r == ERROR_SUCCESS ? std::optional<DWORD>(value) : std::nullopt;
}

std::vector<WPARAM>& ConsoleRun::keywatch_got() {
    return g_keywatch;
}
std::vector<int>& ConsoleRun::osd_got() {
    return g_osd;
}

void ConsoleRun::clear_peers() {
    g_keywatch.clear();
    g_osd.clear();
}

} // namespace testing_support
