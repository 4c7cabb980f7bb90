// The resume notification: notebookctl resume, and PostMessageA(HWND_BROADCAST) from any
// process, reach every top-level window of every process of the desktop, hidden ones too, and
// no child window.
#include "tests/events/events_fixture.h"

namespace {

using desktop_test::Peer;
using events_test::EventsTest;
using events_test::Outcome;

constexpr UINT kMarker = WM_APP + 7;

const std::vector<long long> kResume = {WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0};

// The messages a peer heard, up to the marker the test posts after the broadcast: a child
// that heard the broadcast would show as a second copy before the marker.
std::vector<std::vector<long long>> heard_until_marker(Peer& peer) {
    EXPECT_TRUE(PostMessageA(peer.top, kMarker, 0, 0));
    std::vector<std::vector<long long>> heard;
    while (auto m = peer.next_message()) {
        if ((*m)[0] == kMarker)
            break;
        heard.push_back(*m);
    }
    return heard;
}

// What this process's own windows have in their queue, by window.
std::vector<std::pair<HWND, MSG>> local_messages() {
    std::vector<std::pair<HWND, MSG>> out;
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
        if (m.message != WM_PAINT)
            out.push_back({m.hwnd, m});
    return out;
}

TEST_F(EventsTest, ResumeReachesTheTopLevelWindowsOfEveryProcess) {
    Peer first("DeskPeer", "first");
    Peer hidden("#32770", "Radiodeck", {"--hidden"});
    ASSERT_TRUE(first.top && hidden.top);

    Outcome resume = notebookctl("resume");
    EXPECT_EQ(resume.code, 0) << resume.err;
    EXPECT_EQ(resume.out, "");
    EXPECT_EQ(heard_until_marker(first), std::vector<std::vector<long long>>{kResume});
    EXPECT_EQ(heard_until_marker(hidden), std::vector<std::vector<long long>>{kResume});

    // From a process with windows of its own: those hear it through the local queue.
    HWND own = CreateWindowExA(0, "Static", "own", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               nullptr, nullptr);
    HWND own_child =
        CreateWindowExA(0, "Static", "", WS_CHILD, 0, 0, 5, 5, own, nullptr, nullptr, nullptr);
    ASSERT_TRUE(own && own_child);
    local_messages();
    ASSERT_TRUE(PostMessageA(HWND_BROADCAST, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0));
    auto local = local_messages();
    ASSERT_EQ(local.size(), 1u);
    EXPECT_EQ(local[0].first, own);
    EXPECT_EQ(local[0].second.message, static_cast<UINT>(WM_POWERBROADCAST));
    EXPECT_EQ(local[0].second.wParam, static_cast<WPARAM>(PBT_APMRESUMESUSPEND));
    EXPECT_EQ(heard_until_marker(first), std::vector<std::vector<long long>>{kResume});
    EXPECT_EQ(heard_until_marker(hidden), std::vector<std::vector<long long>>{kResume});

    // A process that is gone does not make the broadcast fail for the others.
    hidden.process.kill_now();
    EXPECT_EQ(notebookctl("resume").code, 0);
    EXPECT_EQ(heard_until_marker(first), std::vector<std::vector<long long>>{kResume});
    DestroyWindow(own);
}

TEST_F(EventsTest, ResumeWithNoWindowsAnywhereIsNoError) {
    Outcome resume = notebookctl("resume");
    EXPECT_EQ(resume.code, 0) << resume.err;
    EXPECT_EQ(resume.err, "");
}

} // namespace
