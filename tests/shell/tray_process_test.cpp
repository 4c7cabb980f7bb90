// The tray and message boxes across real processes, through deskctl: what it lists, and
// what the owner of an icon or a box gets when deskctl acts as the user.
#include "tests/desktop/peer_process.h"

#include "platform/desktop/desktop.h"
#include "platform/shell/tray.h"
#include "tests/support/process_wait.h"

#include <cstdio>
#include <fstream>

using namespace desktop_test;

namespace {

// tray_peer with an icon, ready.
struct IconPeer {
    explicit IconPeer(const std::string& tip) : process({TRAY_PEER, "icon", tip}) {
        auto line = process.next_line();
        unsigned long h = 0;
        if (line && std::sscanf(line->c_str(), "ready %lx", &h) == 1)
            owner = reinterpret_cast<HWND>(static_cast<uintptr_t>(h));
    }
    // The next callback as {wParam, lParam, cursor x, cursor y}.
    std::optional<std::vector<long>> next_callback() {
        auto line = process.next_line();
        long w = 0, l = 0, x = 0, y = 0;
        if (!line || std::sscanf(line->c_str(), "tray %ld %ld %ld %ld", &w, &l, &x, &y) != 4)
            return std::nullopt;
        return std::vector<long>{w, l, x, y};
    }
    Process process;
    HWND owner = nullptr;
};

using TrayProcessTest = DesktopTest;

TEST_F(TrayProcessTest, TrayListsTheIconsOfOtherProcesses) {
    IconPeer peer("Wireless Switch - ON \n   Wireless LAN \n   \"Blue\\tooth\"");
    ASSERT_TRUE(peer.owner);
    Outcome tray = deskctl({"tray"});
    EXPECT_EQ(tray.code, 0) << tray.err;
    EXPECT_EQ(tray.out,
              hex_handle(peer.owner) +
                  " 128 picture=32512 docked=none \"Wireless Switch - ON \\n   Wireless LAN \\n   "
                  "\\\"Blue\\\\tooth\\\"\"\n");

    // A process that dies without deleting its icon takes the icon with it.
    peer.process.kill_now();
    tray = deskctl({"tray"});
    EXPECT_EQ(tray.code, 0);
    EXPECT_EQ(tray.out, "");
    Outcome none = deskctl({"tray", "click"});
    EXPECT_EQ(none.code, 1);
    EXPECT_NE(none.err.find("no icons"), std::string::npos);
    EXPECT_EQ(deskctl({"tray", "poke"}).code, 2);
}

// A damaged tray file is started afresh by the first process that reads it, and every
// process adds its icons again, as icons come back when a taskbar restarts.
TEST_F(TrayProcessTest, IconsOfOtherProcessesComeBackAfterADamagedTrayFile) {
    IconPeer peer("back again");
    ASSERT_TRUE(peer.owner);
    const std::filesystem::path desktop = platform::desktop_change_file()->parent_path();
    std::ofstream(desktop / "tray", std::ios::trunc) << "not a tray";
    EXPECT_TRUE(platform::tray_icons().empty()); // the table is new
    EXPECT_TRUE(testing_support::wait_in_dir(desktop, [&] {
        auto icons = platform::tray_icons();
        return icons.size() == 1 && icons[0].owner == peer.owner && icons[0].id == 128 &&
               icons[0].tip == "back again" && icons[0].callback_message == 0x402;
    }));
}

TEST_F(TrayProcessTest, ClicksDeliverWindowsOrderWithTheCursorAtTheIcon) {
    IconPeer peer("tip");
    ASSERT_TRUE(peer.owner);
    POINT at = platform::tray_place(0);
    auto expect = [&](std::initializer_list<long> mouse) {
        for (long m : mouse) {
            auto cb = peer.next_callback();
            ASSERT_TRUE(cb) << "waiting for " << m;
            EXPECT_EQ(*cb, (std::vector<long>{128, m, at.x, at.y}));
        }
    };
    ASSERT_EQ(deskctl({"tray", "click"}).code, 0);
    expect({WM_LBUTTONDOWN, WM_LBUTTONUP});
    ASSERT_EQ(deskctl({"tray", "dblclick", hex_handle(peer.owner)}).code, 0);
    expect({WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP});
    ASSERT_EQ(deskctl({"tray", "rclick", "TrayPeer:"}).code, 0);
    expect({WM_RBUTTONDOWN, WM_RBUTTONUP});

    // A window without an icon is refused.
    Peer plain("RadiodeckPeer", "Plain");
    ASSERT_TRUE(plain.top);
    Outcome other = deskctl({"tray", "click", hex_handle(plain.top)});
    EXPECT_EQ(other.code, 1);
    EXPECT_NE(other.err.find("no tray icon"), std::string::npos);

    EXPECT_EQ(deskctl({"post", hex_handle(peer.owner), "WM_CLOSE", "0", "0"}).code, 0);
    EXPECT_EQ(peer.process.wait_exit(), 0);
    EXPECT_EQ(deskctl({"tray"}).out, "");
}

TEST_F(TrayProcessTest, MsgboxListsAndAnswersABoxOfAnotherProcess) {
    Outcome empty = deskctl({"msgbox", "press", "OK"});
    EXPECT_EQ(empty.code, 1);

    Process peer({TRAY_PEER, "msgbox", std::to_string(MB_YESNO | MB_ICONQUESTION), "Radiodeck",
                  "Turn the radios off?\nReally \"off\""});
    ASSERT_EQ(peer.next_line(), "ready");
    ASSERT_EQ(deskctl({"wait", "#32770:Radiodeck", "--visible"}).code, 0);
    HWND box = FindWindowA("#32770", "Radiodeck");
    ASSERT_TRUE(box);

    Outcome list = deskctl({"msgbox"});
    EXPECT_EQ(list.code, 0) << list.err;
    EXPECT_EQ(list.out, hex_handle(box) +
                            " \"Radiodeck\" \"Turn the radios off?\\nReally \\\"off\\\"\" " +
                            std::to_string(MB_YESNO | MB_ICONQUESTION) + "\n");
    // An ordinary dialog is no message box.
    Peer dialog("#32770", "Not a box");
    ASSERT_TRUE(dialog.top);
    EXPECT_EQ(deskctl({"msgbox"}).out, list.out);

    Outcome no_ok = deskctl({"msgbox", "press", "OK", hex_handle(box)});
    EXPECT_EQ(no_ok.code, 1);
    EXPECT_NE(no_ok.err.find("no OK button"), std::string::npos);
    EXPECT_EQ(deskctl({"msgbox", "press", "MAYBE"}).code, 2);
    EXPECT_EQ(deskctl({"msgbox", "press", "NO", hex_handle(dialog.top)}).code, 1);

    ASSERT_EQ(deskctl({"msgbox", "press", "no"}).code, 0);
    EXPECT_EQ(peer.next_line(), "answer " + std::to_string(IDNO));
    EXPECT_EQ(peer.wait_exit(), 0);
    EXPECT_EQ(deskctl({"msgbox"}).out, "");
}

} // namespace
