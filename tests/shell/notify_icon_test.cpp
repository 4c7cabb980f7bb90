// Shell_NotifyIconA in one process: the icons the tray shows, and what a click delivers.
#include "tests/support/machine_fixture.h"

#include "platform/desktop/desktop.h"
#include "platform/shell/tray.h"
#include "platform/shell/tray_table.h"

#include <windows.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr UINT kCallback = 0x402;

// The desktop's change counter, which tools watching the change file wake on.
uint64_t desktop_changes() {
    uint64_t n = 0;
    std::ifstream in(*platform::desktop_change_file(), std::ios::binary);
    in.read(reinterpret_cast<char*>(&n), sizeof n);
    return n;
}

class NotifyIconTest : public testing_support::MachineFixture {
protected:
    void SetUp() override {
        MachineFixture::SetUp();
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.lpszClassName = "TrayOwner";
        RegisterClassA(&wc);
        owner_ = CreateWindowExA(0, "TrayOwner", "Owner", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                 nullptr, nullptr);
        ASSERT_TRUE(owner_);
    }
    void TearDown() override {
        if (IsWindow(owner_))
            DestroyWindow(owner_);
        UnregisterClassA("TrayOwner", nullptr);
        MachineFixture::TearDown();
    }

    // The record as the program fills it: the 88-byte first form.
    NOTIFYICONDATAA record(UINT id, UINT flags, const char* tip = "") {
        NOTIFYICONDATAA nid{};
        nid.cbSize = 88;
        nid.hWnd = owner_;
        nid.uID = id;
        nid.uFlags = flags;
        nid.uCallbackMessage = kCallback;
        nid.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
        std::strncpy(nid.szTip, tip, sizeof nid.szTip - 1);
        return nid;
    }

    // The owner's queued tray callbacks as (wParam, lParam) pairs.
    std::vector<std::pair<WPARAM, LPARAM>> callbacks() {
        std::vector<std::pair<WPARAM, LPARAM>> out;
        MSG m;
        while (PeekMessageA(&m, owner_, kCallback, kCallback, PM_REMOVE))
            out.emplace_back(m.wParam, m.lParam);
        return out;
    }

    HWND owner_ = nullptr;
};

TEST_F(NotifyIconTest, AddModifyDeleteAsTheTrayShowsThem) {
    NOTIFYICONDATAA nid = record(128, NIF_MESSAGE | NIF_ICON | NIF_TIP, "Wireless Switch - ON");
    uint64_t before = desktop_changes();
    ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &nid));
    EXPECT_GT(desktop_changes(), before);
    auto icons = platform::tray_icons();
    ASSERT_EQ(icons.size(), 1u);
    EXPECT_EQ(icons[0].owner, owner_);
    EXPECT_EQ(icons[0].id, 128u);
    EXPECT_EQ(icons[0].callback_message, kCallback);
    EXPECT_EQ(icons[0].picture, 32512u);
    EXPECT_EQ(icons[0].tip, "Wireless Switch - ON");

    // The same (window, id) twice is refused; another id is another icon.
    SetLastError(0);
    EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, &nid));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    NOTIFYICONDATAA other = record(129, NIF_TIP, "second");
    ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &other));
    icons = platform::tray_icons();
    ASSERT_EQ(icons.size(), 2u);
    EXPECT_EQ(icons[1].callback_message, 0u); // NIF_MESSAGE not given
    EXPECT_EQ(icons[1].picture, 0u);
    EXPECT_NE(icons[0].place.x, icons[1].place.x);

    // A change touches only the fields its flags name.
    NOTIFYICONDATAA change = record(128, NIF_TIP, "Wireless Switch - OFF");
    change.uCallbackMessage = 0x999;
    change.hIcon = nullptr;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &change));
    icons = platform::tray_icons();
    EXPECT_EQ(icons[0].tip, "Wireless Switch - OFF");
    EXPECT_EQ(icons[0].callback_message, kCallback);
    EXPECT_EQ(icons[0].picture, 32512u);

    // A tooltip is at most 63 characters, even without a terminating NUL in the record.
    NOTIFYICONDATAA full = record(128, NIF_TIP);
    std::memset(full.szTip, 'x', sizeof full.szTip);
    ASSERT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &full));
    EXPECT_EQ(platform::tray_icons()[0].tip, std::string(63, 'x'));

    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &nid));
    icons = platform::tray_icons();
    ASSERT_EQ(icons.size(), 1u);
    EXPECT_EQ(icons[0].id, 129u);
    EXPECT_FALSE(Shell_NotifyIconA(NIM_DELETE, &nid));
    EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &nid));
}

TEST_F(NotifyIconTest, RecordSizesMessagesAndOwnersAreChecked) {
    NOTIFYICONDATAA nid = record(1, NIF_TIP, "tip");
    nid.cbSize = sizeof(NOTIFYICONDATAA); // this platform's own size of the first form
    EXPECT_TRUE(Shell_NotifyIconA(NIM_ADD, &nid));
    EXPECT_TRUE(Shell_NotifyIconA(NIM_DELETE, &nid));
    for (DWORD size : {0u, 87u, 89u}) {
        nid.cbSize = size;
        SetLastError(0);
        EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, &nid)) << size;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    }
    nid.cbSize = 88;
    EXPECT_FALSE(Shell_NotifyIconA(3, &nid));
    EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, nullptr));
    nid.hWnd = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x00012346));
    EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, &nid));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_TRUE(platform::tray_icons().empty());
}

TEST_F(NotifyIconTest, IconsOfADestroyedWindowAreGone) {
    NOTIFYICONDATAA nid = record(128, NIF_MESSAGE | NIF_TIP, "tip");
    ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &nid));
    DestroyWindow(owner_);
    EXPECT_TRUE(platform::tray_icons().empty());
    EXPECT_FALSE(platform::find_tray_icon(nullptr));
    // Gone from the shared table too, not only hidden from the list.
    EXPECT_TRUE(platform::read_tray().empty());
}

TEST_F(NotifyIconTest, ClicksPostTheCallbackWithTheCursorAtTheIcon) {
    NOTIFYICONDATAA nid = record(128, NIF_MESSAGE | NIF_ICON | NIF_TIP, "tip");
    ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &nid));
    auto icon = platform::find_tray_icon(owner_);
    ASSERT_TRUE(icon);

    using Seq = std::vector<std::pair<WPARAM, LPARAM>>;
    ASSERT_TRUE(platform::tray_act(*icon, platform::TrayAction::click));
    EXPECT_EQ(callbacks(), (Seq{{128, WM_LBUTTONDOWN}, {128, WM_LBUTTONUP}}));
    POINT pt{};
    GetCursorPos(&pt);
    EXPECT_EQ(pt.x, icon->place.x);
    EXPECT_EQ(pt.y, icon->place.y);
    // The icon sits in the tray at the bottom right of the screen.
    EXPECT_GT(pt.x, GetSystemMetrics(SM_CXSCREEN) / 2);
    EXPECT_GT(pt.y, GetSystemMetrics(SM_CYSCREEN) - 30);

    ASSERT_TRUE(platform::tray_act(*icon, platform::TrayAction::double_click));
    EXPECT_EQ(callbacks(), (Seq{{128, WM_LBUTTONDOWN},
                                {128, WM_LBUTTONUP},
                                {128, WM_LBUTTONDBLCLK},
                                {128, WM_LBUTTONUP}}));
    ASSERT_TRUE(platform::tray_act(*icon, platform::TrayAction::right_click));
    EXPECT_EQ(callbacks(), (Seq{{128, WM_RBUTTONDOWN}, {128, WM_RBUTTONUP}}));

    // Without NIF_MESSAGE the icon reports nothing.
    NOTIFYICONDATAA quiet = record(7, NIF_TIP, "quiet");
    ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &quiet));
    auto icons = platform::tray_icons();
    ASSERT_EQ(icons.size(), 2u);
    EXPECT_FALSE(platform::tray_act(icons[1], platform::TrayAction::click));
    EXPECT_TRUE(callbacks().empty());
}

// A damaged tray file is started afresh; the owner's next change brings its icon back, and
// an icon it deleted stays deleted.
TEST_F(NotifyIconTest, AnIconLostWithADamagedTableComesBackAtItsNextChange) {
    NOTIFYICONDATAA kept = record(1, NIF_MESSAGE | NIF_TIP, "kept");
    NOTIFYICONDATAA gone = record(2, NIF_TIP, "gone");
    ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &kept));
    ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &gone));
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &gone));
    std::ofstream(platform::desktop_change_file()->parent_path() / "tray", std::ios::trunc)
        << "not a tray";
    EXPECT_TRUE(platform::tray_icons().empty());

    std::strcpy(kept.szTip, "back");
    kept.uFlags = NIF_TIP;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &kept));
    auto icons = platform::tray_icons();
    ASSERT_EQ(icons.size(), 1u);
    EXPECT_EQ(icons[0].tip, "back");
    EXPECT_EQ(icons[0].callback_message, kCallback);
    EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &gone));
}

TEST(TrayTable, DamagedTablesAreRefusedWhole) {
    std::vector<platform::TrayEntry> entries{{0x10004, 128, NIF_TIP, 0x402, 148, "a\nb"},
                                             {0x20004, 1, 0, 0, 0, ""}};
    std::string bytes = platform::serialize_tray(entries);
    auto back = platform::parse_tray(bytes);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->size(), 2u);
    EXPECT_EQ((*back)[0].tip, "a\nb");
    EXPECT_EQ((*back)[0].picture, 148u);

    EXPECT_FALSE(platform::parse_tray(bytes.substr(0, bytes.size() - 1)));
    EXPECT_FALSE(platform::parse_tray(bytes.substr(0, 10)));
    std::string wrong_count = bytes;
    wrong_count[8] = 3;
    EXPECT_FALSE(platform::parse_tray(wrong_count));
    // A tooltip without its NUL is cut at 63 characters.
    std::string unterminated = bytes;
    std::memset(unterminated.data() + 16 + 24, 'y', 64);
    EXPECT_EQ(platform::parse_tray(unterminated)->at(0).tip, std::string(63, 'y'));
}

} // namespace
