// RequestOsd against ZEBOSD windows made by the test, on virtual time. Where the console has
// to start the display, a small program installed as C:\WINDOWS\ZEB0100\ZEBOSD.EXE records
// how it was started, and the test lets the window appear during the console's wait.
#include "peers/osd_notifier.h"
#include "tests/peers/peer_window.h"
#include "tests/support/program_fixture.h"
#include "tests/support/process_wait.h"

#include <sys/stat.h>

#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using testing_support::PeerWindow;

const std::vector<int> kOsdControls = {94, 95, 125, 126, 135, 136};

class OsdNotifier : public testing_support::ProgramFixture {
protected:
    // The display is told only on a notebook with a radio.
    void SetUp() override {
        ProgramFixture::SetUp();
        dlg().m_bHasWlan = 1;
        dlg().m_bHasBluetooth = 1;
    }
    fs::path started_file() { return root() / "osd_started.txt"; }

    // The stand-in display program: writes its show command and arguments, then ends.
    void install_osd_program() {
        fs::path program = write_file("drive_c/WINDOWS/ZEB0100/ZEBOSD.EXE",
                                      "#!/bin/sh\n"
                                      "f=\"$RADIODECK_ROOT/osd_started\"\n"
                                      "echo \"show=$RADIODECK_CMDSHOW args=$#\" > \"$f.tmp\"\n"
                                      "mv \"$f.tmp\" \"$f.txt\"\n");
        fs::permissions(program, fs::perms::owner_all);
    }

    // How the program was started, once it has run.
    std::string started() {
        EXPECT_TRUE(testing_support::wait_in_dir(root(), [&] {
            return fs::exists(started_file());
        })) << "the display program was not started";
        std::stringstream text;
        text << std::ifstream(started_file()).rdbuf();
        return text.str();
    }

    // The display's window appears `after` ms from now, while the console waits.
    void open_window_after(platform::Millis after, std::optional<PeerWindow>& window) {
        clock().schedule(clock().now() + after,
                         [&window] { window.emplace("ZEBOSD", kOsdControls); });
    }
};

TEST_F(OsdNotifier, PostsTheCodeToAPresentDisplayWithoutStartingIt) {
    install_osd_program();
    PeerWindow osd("ZEBOSD", kOsdControls);
    EXPECT_EQ(dlg().RequestOsd(OSD_BOTH_ON), 1);
    EXPECT_EQ(dlg().RequestOsd(OSD_WLAN_OFF), 1);
    EXPECT_EQ(elapsed(), 0u);
    ASSERT_EQ(osd.received().size(), 2u);
    EXPECT_EQ(osd.received()[0].wparam, 135u);
    EXPECT_EQ(osd.received()[0].lparam, reinterpret_cast<LPARAM>(osd.control(135)));
    EXPECT_EQ(osd.received()[1].wparam, 95u);
    EXPECT_EQ(osd.received()[1].lparam, reinterpret_cast<LPARAM>(osd.control(95)));
    EXPECT_FALSE(fs::exists(started_file()));
}

TEST_F(OsdNotifier, StartsTheDisplayHiddenAndPostsOnceItsWindowIsThere) {
    install_osd_program();
    std::optional<PeerWindow> osd;
    open_window_after(1500, osd);
    EXPECT_EQ(dlg().RequestOsd(OSD_BT_ON), 1);
    EXPECT_EQ(elapsed(), 2000u);
    EXPECT_EQ(started(), "show=0 args=0\n");
    ASSERT_TRUE(osd);
    ASSERT_EQ(osd->received().size(), 1u);
    EXPECT_EQ(osd->received()[0].wparam, 125u);
    EXPECT_EQ(osd->received()[0].lparam, reinterpret_cast<LPARAM>(osd->control(125)));

    // Found once, it is not looked for or started again.
    fs::remove(started_file());
    restart_stopwatch();
    dlg().RequestOsd(OSD_BT_OFF);
    EXPECT_EQ(elapsed(), 0u);
    EXPECT_EQ(osd->received().size(), 2u);
    EXPECT_FALSE(fs::exists(started_file()));
}

TEST_F(OsdNotifier, TellsTheUserWhenNoWindowAppearsAndTriesAgainNextTime) {
    install_osd_program();
    ui.answer(IDOK);
    EXPECT_EQ(dlg().RequestOsd(OSD_BOTH_OFF), 0);
    EXPECT_EQ(elapsed(), 2000u);
    EXPECT_EQ(started(), "show=0 args=0\n");
    ASSERT_EQ(ui.boxes_seen().size(), 1u);
    EXPECT_EQ(ui.boxes_seen()[0].text, "Can't find ZEBOSD");
    EXPECT_EQ(ui.boxes_seen()[0].caption, "ZEBOSD request");
    EXPECT_EQ(ui.boxes_seen()[0].type, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_EQ(ui.boxes_seen()[0].owner, dlg().m_hWnd);

    // Not even installed: the same wait and the same box.
    fs::remove_all(root() / "drive_c");
    fs::remove(started_file());
    ui.answer(IDOK);
    restart_stopwatch();
    EXPECT_EQ(dlg().RequestOsd(OSD_BOTH_OFF), 0);
    EXPECT_EQ(elapsed(), 2000u);
    EXPECT_EQ(ui.boxes_seen().size(), 2u);
    EXPECT_FALSE(fs::exists(started_file()));
}

TEST_F(OsdNotifier, PostsNothingOnAMachineWithoutRadios) {
    dlg().m_bHasWlan = 0;
    dlg().m_bHasBluetooth = 0;
    install_osd_program();
    std::optional<PeerWindow> osd;
    open_window_after(500, osd);
    EXPECT_EQ(dlg().RequestOsd(OSD_BT_OFF), 1);
    EXPECT_EQ(started(), "show=0 args=0\n"); // searched and started all the same
    ASSERT_TRUE(osd);
    EXPECT_TRUE(osd->received().empty());

    // One radio is enough.
    dlg().m_bHasBluetooth = 1;
    dlg().RequestOsd(OSD_BT_ON);
    EXPECT_EQ(osd->received().size(), 1u);
}

TEST_F(OsdNotifier, PostsWithoutAControlWhenTheDisplayHasNoneForTheCode) {
    PeerWindow osd("ZEBOSD", {94, 95});
    dlg().RequestOsd(OSD_BOTH_ON);
    ASSERT_EQ(osd.received().size(), 1u);
    EXPECT_EQ(osd.received()[0].wparam, 135u);
    EXPECT_EQ(osd.received()[0].lparam, 0);
}

TEST_F(OsdNotifier, StartsTheDisplayAgainWhenItsWindowHasGone) {
    std::optional<PeerWindow> first;
    first.emplace("ZEBOSD", kOsdControls);
    dlg().RequestOsd(OSD_WLAN_ON);
    // Another window of the class does not take over while the first one lives.
    PeerWindow other("ZEBOSD", kOsdControls);
    dlg().RequestOsd(OSD_WLAN_OFF);
    EXPECT_EQ(first->received().size(), 2u);
    EXPECT_TRUE(other.received().empty());

    // The display ended: the next request finds the other window at once...
    first.reset();
    restart_stopwatch();
    dlg().RequestOsd(OSD_WLAN_ON);
    EXPECT_EQ(elapsed(), 0u);
    EXPECT_EQ(other.received().size(), 1u);

    // ...and with none left, starts the program as the first request did.
    other.destroy();
    install_osd_program();
    std::optional<PeerWindow> restarted;
    open_window_after(1000, restarted);
    restart_stopwatch();
    EXPECT_EQ(dlg().RequestOsd(OSD_BOTH_ON), 1);
    EXPECT_EQ(elapsed(), 2000u);
    EXPECT_EQ(started(), "show=0 args=0\n");
    ASSERT_TRUE(restarted);
    ASSERT_EQ(restarted->received().size(), 1u);
    EXPECT_EQ(restarted->received()[0].wparam, 135u);
}

TEST(OsdCommandLine, FitsTheBufferOrIsRefused) {
    // A directory of 108 characters is the longest that fits: 127 characters and the end.
    std::string longest = "C:\\" + std::string(105, 'W');
    char buffer[OSD_PATH_BUFFER_SIZE + 16];
    std::memset(buffer, '#', sizeof buffer);
    ASSERT_TRUE(BuildOsdCommandLine(longest.c_str(), buffer));
    EXPECT_EQ(std::string(buffer), longest + "\\ZEB0100\\ZEBOSD.EXE");
    EXPECT_EQ(std::strlen(buffer), 127u);
    EXPECT_EQ(buffer[OSD_PATH_BUFFER_SIZE], '#');

    std::memset(buffer, '#', sizeof buffer);
    EXPECT_FALSE(BuildOsdCommandLine((longest + "W").c_str(), buffer));
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(buffer[1], '#');

    ASSERT_TRUE(BuildOsdCommandLine("C:\\WINDOWS", buffer));
    EXPECT_STREQ(buffer, "C:\\WINDOWS\\ZEB0100\\ZEBOSD.EXE");
}

} // namespace
