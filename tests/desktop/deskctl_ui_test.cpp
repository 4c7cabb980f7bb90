// deskctl's menu and click commands against a real peer: what the peer's user would see
// happen, and that the new datagram kind is refused from another user.
#include "peer_process.h"

#include "platform/desktop/desktop.h"
#include "platform/desktop/protocol.h"

#include <cstdio>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace desktop_test;

namespace {

constexpr UINT kOpenMenu = WM_USER + 2;
constexpr UINT kMarker = WM_USER + 3;

// ui_peer, ready: its window and check boxes are on the desktop.
struct UiPeer {
    UiPeer() : process({UI_PEER}) {
        auto line = process.next_line();
        unsigned long t = 0;
        if (line && std::sscanf(line->c_str(), "ready %lx", &t) == 1)
            top = reinterpret_cast<HWND>(static_cast<uintptr_t>(t));
    }
    Process process;
    HWND top = nullptr;

    // Whatever the peer said before the marker that this posts now, then the marker.
    std::vector<std::string> lines_until_marker() {
        std::vector<std::string> out;
        if (!PostMessageA(top, kMarker, 0, 0))
            return out;
        while (auto line = process.next_line()) {
            out.push_back(*line);
            if (*line == "marker")
                break;
        }
        return out;
    }
};

class DeskctlUiTest : public DesktopTest {
protected:
    // Opens the peer's menu and returns its window once it is shown.
    std::string open_menu(UiPeer& peer) {
        if (!PostMessageA(peer.top, kOpenMenu, 0, 0))
            return {};
        if (deskctl({"wait", "#32768:", "--visible", "--timeout", "10"}).code != 0)
            return {};
        return hex_handle(FindWindowA("#32768", nullptr));
    }
};

std::string command_line(long long wparam, long long lparam) {
    return "command " + std::to_string(wparam) + " " + std::to_string(lparam);
}

} // namespace

TEST_F(DeskctlUiTest, MenuListsPicksRefusesGreyedAndCloses) {
    Outcome none = deskctl({"menu"});
    EXPECT_EQ(none.code, 1);
    EXPECT_NE(none.err.find("no popup menu is open"), std::string::npos);

    UiPeer peer;
    ASSERT_TRUE(peer.top);
    std::string menu = open_menu(peer);
    ASSERT_FALSE(menu.empty());

    Outcome list = deskctl({"menu"});
    EXPECT_EQ(list.code, 0) << list.err;
    EXPECT_EQ(list.out, "32771 \"Wireless LAN OFF\" enabled unchecked\n"
                        "32772 \"Wireless LAN ON\" grayed checked\n"
                        "- \"\" enabled unchecked\n"
                        "- \"More\" enabled unchecked\n"
                        "32774 \"E&xit \\\"now\\\"\" enabled unchecked\n");

    // Greyed, in a submenu not shown, or not there at all: refused, the menu stays open.
    Outcome greyed = deskctl({"menu", "pick", "32772"});
    EXPECT_EQ(greyed.code, 1);
    EXPECT_NE(greyed.err.find("grayed"), std::string::npos);
    EXPECT_EQ(deskctl({"menu", "pick", "32773"}).code, 1);
    EXPECT_EQ(deskctl({"menu", "pick", "0"}).code, 1);
    EXPECT_EQ(deskctl({"menu", "pick", "x"}).code, 2);
    EXPECT_EQ(deskctl({"menu", "open"}).code, 2);
    EXPECT_EQ(deskctl({"wait", menu, "--visible", "--timeout", "0"}).code, 0);

    // A pick closes the menu and its owner gets the command.
    EXPECT_EQ(deskctl({"menu", "pick", "32771"}).code, 0);
    EXPECT_EQ(deskctl({"wait", menu, "--gone", "--timeout", "10"}).code, 0);
    EXPECT_EQ(peer.lines_until_marker(),
              (std::vector<std::string>{"menu returned", command_line(32771, 0), "marker"}));
    EXPECT_EQ(deskctl({"menu"}).code, 1);

    // Closing brings no command.
    menu = open_menu(peer);
    ASSERT_FALSE(menu.empty());
    EXPECT_EQ(deskctl({"menu", "close"}).code, 0);
    EXPECT_EQ(deskctl({"wait", menu, "--gone", "--timeout", "10"}).code, 0);
    EXPECT_EQ(peer.lines_until_marker(), (std::vector<std::string>{"menu returned", "marker"}));
    EXPECT_EQ(deskctl({"menu", "close"}).code, 1);
}

TEST_F(DeskctlUiTest, ClickNotifiesTheParentUnlessHiddenOrDisabled) {
    UiPeer peer;
    ASSERT_TRUE(peer.top);
    HWND check = GetDlgItem(peer.top, 201);
    ASSERT_TRUE(check);

    Outcome click = deskctl({"click", hex_handle(peer.top), "201"});
    EXPECT_EQ(click.code, 0) << click.err;
    // A click by CLASS:TITLE of the control's own handle lands the same way.
    EXPECT_EQ(deskctl({"click", hex_handle(check)}).code, 0);
    std::string clicked = command_line(MAKEWPARAM(201, BN_CLICKED),
                                       static_cast<long long>(reinterpret_cast<uintptr_t>(check)));
    // A click is input, which the peer takes after its posted messages: wait for both.
    EXPECT_EQ(peer.process.next_line(), clicked);
    EXPECT_EQ(peer.process.next_line(), clicked);
    EXPECT_EQ(peer.lines_until_marker(), (std::vector<std::string>{"marker"}));

    Outcome hidden = deskctl({"click", "UiPeer:Peer", "202"});
    EXPECT_EQ(hidden.code, 1);
    EXPECT_NE(hidden.err.find("the window is hidden"), std::string::npos) << hidden.err;
    Outcome disabled = deskctl({"click", "UiPeer:Peer", "203"});
    EXPECT_EQ(disabled.code, 1);
    EXPECT_NE(disabled.err.find("the window is disabled"), std::string::npos) << disabled.err;
    HWND inner = GetDlgItem(GetDlgItem(peer.top, 204), 205);
    ASSERT_TRUE(inner);
    Outcome in_hidden = deskctl({"click", hex_handle(inner)});
    EXPECT_EQ(in_hidden.code, 1);
    EXPECT_NE(in_hidden.err.find("the window is hidden"), std::string::npos);
    EXPECT_EQ(deskctl({"click", "UiPeer:Peer", "299"}).code, 1);
    EXPECT_EQ(deskctl({"click", "UiPeer:Nobody"}).code, 1);
    EXPECT_EQ(deskctl({"click"}).code, 2);
    EXPECT_EQ(peer.lines_until_marker(), (std::vector<std::string>{"marker"}));
}

TEST_F(DeskctlUiTest, ActionsOfAnotherUserOrOfUnknownKindAreDropped) {
    UiPeer peer;
    ASSERT_TRUE(peer.top);
    HWND check = GetDlgItem(peer.top, 201);
    RawSocket peer_socket(peer.top);
    ASSERT_TRUE(check && peer_socket.ok());

    platform::desktop_wire::ActionDatagram click{};
    click.magic = platform::desktop_wire::kActionMagic;
    click.version = platform::desktop_wire::kActionVersion;
    click.size = sizeof click;
    click.target = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(check));
    click.action = platform::desktop_wire::kActionClickWindow;

    bool other_user_tried = peer_socket.send_as_other_user(&click);

    auto unknown = click;
    unknown.action = 99;
    auto bad_version = click;
    bad_version.version = 2;
    for (const auto* d : {&unknown, &bad_version})
        EXPECT_TRUE(peer_socket.send(d));
    EXPECT_EQ(peer.lines_until_marker(), (std::vector<std::string>{"marker"}));

    // The same datagram from this user is carried out.
    ASSERT_TRUE(platform::desktop_send_action(check, platform::desktop_wire::kActionClickWindow));
    EXPECT_EQ(peer.process.next_line(),
              command_line(201, static_cast<long long>(reinterpret_cast<uintptr_t>(check))));
    EXPECT_EQ(peer.lines_until_marker(), (std::vector<std::string>{"marker"}));
    if (!other_user_tried)
        GTEST_SKIP() << "could not become another user (not running as root)";
}
