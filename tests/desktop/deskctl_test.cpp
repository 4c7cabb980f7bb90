// deskctl against real peers: its list format, posting and waiting, and its exit codes.
#include "peer_process.h"

#include <chrono>

using namespace desktop_test;

namespace {

std::string line_of(const Peer& p, const std::string& cls, const std::string& title,
                    const std::string& state) {
    return hex_handle(p.top) + " " + std::to_string(p.process.pid()) + " \"" + cls + "\" \"" +
           title + "\" " + state + " (100,100)-(400,300)\n";
}

} // namespace

TEST_F(DesktopTest, ListPrintsTopLevelWindowsTopmostFirst) {
    Peer app("RadiodeckPeer", "Radiodeck", {"--hidden"});
    Peer dialog("#32770", "Say \"hi\"");
    Peer above("RadiodeckPeer", "Above", {"--topmost"});
    ASSERT_TRUE(app.top && dialog.top && above.top);

    Outcome list = deskctl({"list"});
    EXPECT_EQ(list.code, 0) << list.err;
    EXPECT_EQ(list.out, line_of(above, "RadiodeckPeer", "Above", "visible enabled") +
                            line_of(dialog, "#32770", "Say \\\"hi\\\"", "visible enabled") +
                            line_of(app, "RadiodeckPeer", "Radiodeck", "hidden enabled"));

    Outcome all = deskctl({"list", "--all"});
    EXPECT_EQ(all.code, 0) << all.err;
    std::string child = "  " + hex_handle(app.child) +
                        " id=117 \"Button\" \"Wireless Lan\" visible enabled (10,10)-(110,30)\n";
    EXPECT_NE(all.out.find(line_of(app, "RadiodeckPeer", "Radiodeck", "hidden enabled") + child),
              std::string::npos)
        << all.out;

    EXPECT_EQ(deskctl({"list", "--bogus"}).code, 2);
    EXPECT_EQ(deskctl({"frobnicate"}).code, 2);
    Outcome help = deskctl({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("deskctl wait WINDOW"), std::string::npos);
}

TEST_F(DesktopTest, PostByHandleOrByClassAndTitle) {
    Peer app("RadiodeckPeer", "Radiodeck");
    ASSERT_TRUE(app.top);

    EXPECT_EQ(deskctl({"post", "radiodeckpeer:Radiodeck", "WM_COMMAND", "1004", "0x10"}).code, 0);
    EXPECT_EQ(deskctl({"post", hex_handle(app.top), "WM_USER+3", "0xFFFFFFFF", "-1"}).code, 0);
    EXPECT_EQ(deskctl({"post", std::to_string(reinterpret_cast<uintptr_t>(app.top)),
                       "WM_POWERBROADCAST", "10", "0"})
                  .code,
              0);
    auto first = app.next_message();
    auto second = app.next_message();
    auto third = app.next_message();
    ASSERT_TRUE(first && second && third);
    EXPECT_EQ(*first, (std::vector<long long>{WM_COMMAND, 1004, 16}));
    EXPECT_EQ(*second, (std::vector<long long>{WM_USER + 3, 0xFFFFFFFFll, -1}));
    EXPECT_EQ(*third, (std::vector<long long>{WM_POWERBROADCAST, 10, 0}));

    Outcome missing = deskctl({"post", "RadiodeckPeer:Other", "WM_CLOSE", "0", "0"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("no such window"), std::string::npos);
    EXPECT_EQ(deskctl({"post", "0x00012346", "WM_CLOSE", "0", "0"}).code, 1);
    Outcome quit = deskctl({"post", hex_handle(app.top), "WM_QUIT", "0", "0"});
    EXPECT_EQ(quit.code, 2);
    EXPECT_NE(quit.err.find("WM_QUIT"), std::string::npos);
    EXPECT_EQ(deskctl({"post", hex_handle(app.top), "0x12", "0", "0"}).code, 2);
    EXPECT_EQ(deskctl({"post", hex_handle(app.top), "WM_NOPE", "0", "0"}).code, 2);
    EXPECT_EQ(deskctl({"post", hex_handle(app.top), "WM_NULL", "1x", "0"}).code, 2);
    EXPECT_EQ(deskctl({"post", hex_handle(app.top), "WM_NULL"}).code, 2);

    // WM_CLOSE by name ends the peer the way a user's close does.
    EXPECT_EQ(deskctl({"post", hex_handle(app.top), "WM_CLOSE", "0", "0"}).code, 0);
    EXPECT_EQ(app.process.wait_exit(), 0);
}

TEST_F(DesktopTest, WaitWakesOnAppearShowHideAndCrash) {
    // Started before the window exists: it appears.
    Process appear({DESKCTL, "wait", "RadiodeckPeer:Radiodeck", "--timeout", "20"});
    Peer app("RadiodeckPeer", "Radiodeck", {"--hidden"});
    ASSERT_TRUE(app.top);
    EXPECT_EQ(appear.wait_exit(), 0);

    std::string h = hex_handle(app.top);
    EXPECT_EQ(deskctl({"wait", h, "--hidden", "--timeout", "0"}).code, 0);
    Process visible({DESKCTL, "wait", h, "--visible", "--timeout", "20"});
    EXPECT_EQ(deskctl({"post", h, "WM_USER+1", "1", "0"}).code, 0);
    EXPECT_EQ(visible.wait_exit(), 0);
    Process hidden({DESKCTL, "wait", "RadiodeckPeer:Radiodeck", "--hidden", "--timeout", "20"});
    EXPECT_EQ(deskctl({"post", h, "WM_USER+1", "0", "0"}).code, 0);
    EXPECT_EQ(hidden.wait_exit(), 0);

    // A process that dies says nothing: its end alone wakes the wait.
    Process gone({DESKCTL, "wait", h, "--gone", "--timeout", "20"});
    auto started = std::chrono::steady_clock::now();
    app.process.kill_now();
    EXPECT_EQ(gone.wait_exit(), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));

    Outcome timeout = deskctl({"wait", h, "--timeout", "0.2"});
    EXPECT_EQ(timeout.code, 1);
    EXPECT_NE(timeout.err.find("timed out"), std::string::npos);
    EXPECT_EQ(deskctl({"wait", h, "--sideways"}).code, 2);
    EXPECT_EQ(deskctl({"wait"}).code, 2);
}
