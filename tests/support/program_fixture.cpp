#include "program_fixture.h"

#include "device/acpi_channel.h"
#include "machine/notebookctl/notebook_setup.h"
#include "platform/kernel/machine.h"
#include "platform/user/input.h"

#include <filesystem>

namespace testing_support {

namespace {

std::vector<WPARAM> g_keywatch;
std::vector<int> g_osd;
HWND g_keywatch_window = nullptr;
HWND g_osd_window = nullptr;
std::filesystem::path g_cwd;

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

// The console window with its controls bound, before any step of the start-up runs.
class BareConsole : public CConsoleDlg {
protected:
    BOOL OnInitDialog() override { return CDialog::OnInitDialog(); }
};

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

void ProgramFixture::SetUp() {
    MachineFixture::SetUp();
    g_cwd = std::filesystem::current_path();
    // The framework's start as the program's entry makes it: the program's own module.
    AfxWinInit(GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOWNORMAL);
    clear_peers();
    on_destroy = nullptr;
    start_ = clock().now();
}

void ProgramFixture::TearDown() {
    if (bare_ && bare_->m_hWnd)
        bare_->DestroyWindow();
    bare_.reset();
    for (HWND* w : {&g_keywatch_window, &g_osd_window}) {
        if (*w)
            DestroyWindow(*w);
        *w = nullptr;
    }
    UnregisterClassA("KEYWATCH", nullptr);
    UnregisterClassA("ZEBOSD", nullptr);
    // Every global of the program, as a new process would have it.
    if (g_hAcpiDevice != INVALID_HANDLE_VALUE)
        CloseHandle(g_hAcpiDevice);
    g_hAcpiDevice = INVALID_HANDLE_VALUE;
    g_hHotkeyServiceWnd = nullptr;
    g_hOsdWnd = nullptr;
    if (g_hLangLib)
        FreeLibrary(g_hLangLib);
    g_hLangLib = nullptr;
    if (g_hTrayMenu)
        DestroyMenu(g_hTrayMenu);
    g_hTrayMenu = nullptr;
    g_nHideTimerId = 0;
    if (g_hInstanceMutex)
        CloseHandle(g_hInstanceMutex);
    g_hInstanceMutex = nullptr;
    AFX_MODULE_STATE* module = AfxGetModuleState();
    if (module->m_hCurrentResourceHandle != AfxGetInstanceHandle()) {
        FreeLibrary(module->m_hCurrentResourceHandle); // rescue.dll
        module->m_hCurrentResourceHandle = AfxGetInstanceHandle();
    }
    // Nothing a test left in the queue (a WM_QUIT that ended a stalled run) reaches the next.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    std::error_code ec;
    std::filesystem::current_path(g_cwd, ec);
    MachineFixture::TearDown();
}

void ProgramFixture::notebook(const machine::FirmwareProfile& profile,
                              const std::function<void(machine::Firmware&)>& change) {
    ASSERT_EQ(machine::init_notebook(profile), static_cast<DWORD>(ERROR_SUCCESS));
    if (change)
        edit_firmware(change);
    g_keywatch_window = peer("KEYWATCH", keywatch_proc, {117});
    g_osd_window = peer("ZEBOSD", osd_proc, {94, 95, 125, 126, 135, 136});
}

void ProgramFixture::start(const machine::FirmwareProfile& profile) {
    notebook(profile);
    ASSERT_TRUE(OpenAcpiDevice());
    dlg();
}

CConsoleDlg& ProgramFixture::dlg() {
    if (!bare_) {
        bare_ = std::make_unique<BareConsole>();
        EXPECT_TRUE(bare_->Create(IDD_CONSOLE));
    }
    return *bare_;
}

int ProgramFixture::run(std::vector<Step> steps) {
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

ProgramFixture::Step ProgramFixture::show() {
    return [](CConsoleDlg& dlg) { dlg.SendMessage(WM_TRAY_NOTIFY, IDI_APP, WM_LBUTTONDBLCLK); };
}

ProgramFixture::Step ProgramFixture::click(int id) {
    return [this, id](CConsoleDlg& dlg) {
        clock().advance_by(1000); // separate clicks, not a double click
        ASSERT_TRUE(platform::click_window(::GetDlgItem(dlg.m_hWnd, id)));
    };
}

ProgramFixture::Step ProgramFixture::command(UINT id) {
    return [id](CConsoleDlg& dlg) { dlg.SendMessage(WM_COMMAND, id, 0); };
}

ProgramFixture::Step ProgramFixture::event(int code) {
    return [code](CConsoleDlg& dlg) { dlg.PostMessage(WM_COMMAND, MAKEWPARAM(112, code), 0); };
}

machine::Firmware ProgramFixture::firmware() {
    machine::Firmware fw;
    EXPECT_EQ(machine::read_firmware(fw), static_cast<DWORD>(ERROR_SUCCESS));
    return fw;
}

void ProgramFixture::edit_firmware(const std::function<void(machine::Firmware&)>& change) {
    machine::Firmware fw = firmware();
    change(fw);
    ASSERT_EQ(machine::write_firmware(fw), static_cast<DWORD>(ERROR_SUCCESS));
}

std::optional<DWORD> ProgramFixture::stored(const char* name) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\ZEB0100", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD value = 0, size = sizeof value, type = 0;
    LONG r = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    if (r != ERROR_SUCCESS || type != REG_DWORD)
        return std::nullopt;
    return value;
}

void ProgramFixture::store(const char* name, DWORD value) {
    store(name, REG_DWORD, &value, sizeof value);
}

void ProgramFixture::store(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\ZEB0100", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

void ProgramFixture::set_user(const char* user) {
    ASSERT_TRUE(platform::set_machine_setting("machine", "user", user));
}

std::vector<WPARAM>& ProgramFixture::keywatch_got() {
    return g_keywatch;
}

std::vector<int>& ProgramFixture::osd_got() {
    return g_osd;
}

void ProgramFixture::clear_peers() {
    g_keywatch.clear();
    g_osd.clear();
}

bool ProgramFixture::box_checked(int id) {
    CConsoleDlg& d = dlg();
    CIconCheckButton& box = id == IDC_WLAN        ? d.m_btnWlan
                            : id == IDC_BLUETOOTH ? d.m_btnBluetooth
                                                  : d.m_btnDisplay;
    return box.GetCheck() == 1;
}

} // namespace testing_support
