// The console's controls after start-up, for each radio profile: a missing radio's box is
// hidden (Bluetooth) or greyed (Wireless LAN); the display option always stays usable.
#include "tests/support/program_fixture.h"

namespace {

struct Boxes {
    bool bluetooth_shown;
    bool wlan_shown;
    bool wlan_enabled;
    bool display_usable;
    bool operator==(const Boxes&) const = default;
};

class ConsoleLayout : public testing_support::ProgramFixture {
protected:
    Boxes boxes_after_start(const machine::FirmwareProfile& profile) {
        notebook(profile);
        Boxes seen{};
        run({[&](CConsoleDlg& dlg) {
            auto item = [&](int id) { return ::GetDlgItem(dlg.m_hWnd, id); };
            // Visibility of a control itself: the console around it is hidden by now.
            auto shown = [&](int id) {
                return (::GetWindowLongA(item(id), GWL_STYLE) & WS_VISIBLE) != 0;
            };
            seen.bluetooth_shown = shown(IDC_BLUETOOTH);
            seen.wlan_shown = shown(IDC_WLAN);
            seen.wlan_enabled = ::IsWindowEnabled(item(IDC_WLAN)) != 0;
            seen.display_usable = shown(IDC_DISPLAY) && ::IsWindowEnabled(item(IDC_DISPLAY));
        }});
        TearDown();
        SetUp();
        return seen;
    }
};

TEST_F(ConsoleLayout, AMissingRadiosBoxIsHiddenOrGreyed) {
    EXPECT_EQ(boxes_after_start({true, true, false}), (Boxes{true, true, true, true}));
    EXPECT_EQ(boxes_after_start({true, false, true}), (Boxes{false, true, true, true}));
    EXPECT_EQ(boxes_after_start({false, true, false}), (Boxes{true, true, false, true}));
    EXPECT_EQ(boxes_after_start({false, false, true}), (Boxes{false, true, false, true}));
}

} // namespace
