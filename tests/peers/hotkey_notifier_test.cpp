// NotifyHotkeyService against KEYWATCH windows made by the test, on virtual time: what the
// service window receives, how long the console waits and which box the user sees.
#include "tests/peers/peer_window.h"
#include "tests/support/program_fixture.h"

#include <optional>

namespace {

using testing_support::PeerWindow;

constexpr int kControl = 117;

class HotkeyNotifier : public testing_support::ProgramFixture {};

TEST_F(HotkeyNotifier, PostsTheStateAtOnceToAPresentService) {
    PeerWindow service("KEYWATCH", {kControl});
    EXPECT_EQ(dlg().NotifyHotkeyService(1), 1);
    EXPECT_EQ(dlg().NotifyHotkeyService(0), 1);
    EXPECT_EQ(elapsed(), 0u);
    ASSERT_EQ(service.received().size(), 2u);
    EXPECT_EQ(service.received()[0].wparam, 0x10075u);
    EXPECT_EQ(service.received()[0].lparam, reinterpret_cast<LPARAM>(service.control(kControl)));
    EXPECT_EQ(service.received()[1].wparam, 0x75u);
    EXPECT_TRUE(ui.boxes_seen().empty());
}

TEST_F(HotkeyNotifier, WaitsForAServiceThatIsStillStarting) {
    std::optional<PeerWindow> service;
    clock().schedule(clock().now() + 3000,
                     [&] { service.emplace("KEYWATCH", std::vector{kControl}); });
    EXPECT_EQ(dlg().NotifyHotkeyService(1), 1);
    EXPECT_EQ(elapsed(), 3000u); // found at the search after the third pause
    ASSERT_TRUE(service);
    ASSERT_EQ(service->received().size(), 1u);
    EXPECT_EQ(service->received()[0].wparam, 0x10075u);

    restart_stopwatch();
    dlg().NotifyHotkeyService(0);
    EXPECT_EQ(elapsed(), 0u);
    EXPECT_EQ(service->received().size(), 2u);
}

TEST_F(HotkeyNotifier, TellsTheUserAfterSixteenSecondsAndWaitsAgainNextTime) {
    ui.answer(IDOK);
    EXPECT_EQ(dlg().NotifyHotkeyService(1), 1);
    EXPECT_EQ(elapsed(), 16000u);
    ASSERT_EQ(ui.boxes_seen().size(), 1u);
    EXPECT_EQ(ui.boxes_seen()[0].text, "Can't find KEYWATCH");
    EXPECT_EQ(ui.boxes_seen()[0].caption, "Radiodeck");
    EXPECT_EQ(ui.boxes_seen()[0].type, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_EQ(ui.boxes_seen()[0].owner, dlg().m_hWnd);

    // A service that appears late in the second wait still gets the state.
    restart_stopwatch();
    std::optional<PeerWindow> service;
    clock().schedule(clock().now() + 15500,
                     [&] { service.emplace("KEYWATCH", std::vector{kControl}); });
    dlg().NotifyHotkeyService(0);
    EXPECT_EQ(elapsed(), 16000u);
    EXPECT_EQ(ui.boxes_seen().size(), 1u);
    ASSERT_TRUE(service);
    ASSERT_EQ(service->received().size(), 1u);
    EXPECT_EQ(service->received()[0].wparam, 0x75u);
}

TEST_F(HotkeyNotifier, PostsWithoutAControlWhenTheServiceHasNone) {
    PeerWindow service("KEYWATCH", {});
    dlg().NotifyHotkeyService(1);
    ASSERT_EQ(service.received().size(), 1u);
    EXPECT_EQ(service.received()[0].wparam, 0x10075u);
    EXPECT_EQ(service.received()[0].lparam, 0);
}

TEST_F(HotkeyNotifier, KeepsTheFoundServiceWhileItExistsAndFindsARestartedOne) {
    PeerWindow first("KEYWATCH", {kControl});
    dlg().NotifyHotkeyService(1);
    // Another window of the class does not take over while the first one lives.
    PeerWindow second("KEYWATCH", {kControl});
    dlg().NotifyHotkeyService(0);
    EXPECT_EQ(first.received().size(), 2u);
    EXPECT_TRUE(second.received().empty());

    // The service restarted: its old window is gone, the new one gets the state, not the void.
    first.destroy();
    restart_stopwatch();
    dlg().NotifyHotkeyService(1);
    EXPECT_EQ(elapsed(), 0u);
    ASSERT_EQ(second.received().size(), 1u);
    EXPECT_EQ(second.received()[0].wparam, 0x10075u);

    // Gone with no successor: the whole wait, then the box.
    second.destroy();
    ui.answer(IDOK);
    restart_stopwatch();
    dlg().NotifyHotkeyService(1);
    EXPECT_EQ(elapsed(), 16000u);
    EXPECT_EQ(ui.boxes_seen().size(), 1u);
}

} // namespace
