// The tray icon as a StatusNotifierItem: a private session bus, a small watcher with a host
// (written here), and busctl as the real client that reads the item and calls its methods.
#include "tests/x11/xvfb.h"

#include "platform/shell/tray.h"

#include <systemd/sd-bus.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using testing_support::PrivateBus;

// org.kde.StatusNotifierWatcher with a host registered, on a thread of its own; it keeps
// the services that registered and counts the items' NewToolTip signals.
class Watcher {
public:
    explicit Watcher(const std::string& address) : thread_([this, address] { run(address); }) {}
    ~Watcher() {
        stop_ = true;
        thread_.join();
    }
    std::vector<std::string> registered() {
        std::lock_guard lock(mutex_);
        return registered_;
    }
    int tooltips() const { return tooltips_; }
    // Waits until the watcher owns its name (or failed to); whether it does.
    bool wait_ready() {
        std::unique_lock lock(mutex_);
        started_.wait_for(lock, std::chrono::seconds(10), [this] { return done_starting_; });
        return ready_;
    }

private:
    static int on_register(sd_bus_message* m, void* data, sd_bus_error*) {
        auto* self = static_cast<Watcher*>(data);
        const char* service = nullptr;
        if (sd_bus_message_read(m, "s", &service) >= 0) {
            std::lock_guard lock(self->mutex_);
            self->registered_.push_back(service);
        }
        return sd_bus_reply_method_return(m, "");
    }
    static int host(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*,
                    sd_bus_error*) {
        return sd_bus_message_append(reply, "b", 1);
    }
    void run(const std::string& address) {
        static const sd_bus_vtable vtable[] = {
            SD_BUS_VTABLE_START(0),
            SD_BUS_METHOD("RegisterStatusNotifierItem", "s", "", on_register, 0),
            SD_BUS_PROPERTY("IsStatusNotifierHostRegistered", "b", host, 0, 0), SD_BUS_VTABLE_END};
        sd_bus* bus = nullptr;
        sd_bus_new(&bus);
        sd_bus_set_address(bus, address.c_str());
        sd_bus_set_bus_client(bus, 1);
        if (sd_bus_start(bus) < 0 ||
            sd_bus_add_object_vtable(bus, nullptr, "/StatusNotifierWatcher",
                                     "org.kde.StatusNotifierWatcher", vtable, this) < 0 ||
            sd_bus_add_match(
                bus, nullptr,
                "type='signal',interface='org.kde.StatusNotifierItem',"
                "member='NewToolTip'",
                [](sd_bus_message*, void* self, sd_bus_error*) {
                    ++static_cast<Watcher*>(self)->tooltips_;
                    return 0;
                },
                this) < 0 ||
            sd_bus_request_name(bus, "org.kde.StatusNotifierWatcher", 0) < 0) {
            ADD_FAILURE() << "the watcher could not start";
            sd_bus_unref(bus);
            started(false);
            return;
        }
        started(true);
        while (!stop_)
            if (sd_bus_process(bus, nullptr) == 0)
                sd_bus_wait(bus, 20000); // bounded, so the test can end the thread
        sd_bus_flush_close_unref(bus);
    }

    void started(bool ok) {
        std::lock_guard lock(mutex_);
        ready_ = ok;
        done_starting_ = true;
        started_.notify_all();
    }

    std::atomic<bool> stop_{false};
    bool ready_ = false, done_starting_ = false;
    std::condition_variable started_;
    std::atomic<int> tooltips_{0};
    std::mutex mutex_;
    std::vector<std::string> registered_;
    std::thread thread_;
};

constexpr UINT kCallback = WM_APP + 9;
std::vector<LPARAM> g_callbacks;
POINT g_cursor{};

LRESULT CALLBACK owner_proc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == kCallback) {
        g_callbacks.push_back(l);
        GetCursorPos(&g_cursor);
    }
    return DefWindowProcA(h, m, w, l);
}

class X11StatusNotifier : public testing_support::X11Test {
protected:
    std::string bus_address() const override { return bus_.address(); }
    void SetUp() override {
        watcher_ = std::make_unique<Watcher>(bus_.address());
        ASSERT_TRUE(wait_ready());
        X11Test::SetUp();
        WNDCLASSA wc{};
        wc.lpfnWndProc = owner_proc;
        wc.lpszClassName = "SniOwner";
        RegisterClassA(&wc);
        owner_ = CreateWindowExA(0, "SniOwner", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
        g_callbacks.clear();
    }
    void TearDown() override {
        DestroyWindow(owner_);
        watcher_.reset();
        X11Test::TearDown();
    }
    // The watcher's thread owns its name before the item looks for it.
    bool wait_ready() { return watcher_->wait_ready(); }
    std::string docked() const {
        auto icon = platform::find_tray_icon(owner_);
        return icon ? icon->docked : "gone";
    }
    std::pair<int, std::string> busctl(std::vector<std::string> args) {
        args.insert(args.begin(), {"busctl", "--address=" + bus_.address()});
        return testing_support::run_pumping(*server_, args);
    }

    PrivateBus bus_;
    std::unique_ptr<Watcher> watcher_;
    HWND owner_ = nullptr;
};

TEST_F(X11StatusNotifier, TheItemRegistersAnswersARealClientAndComesBackWithItsWatcher) {
    NOTIFYICONDATAA nid{};
    nid.cbSize = sizeof nid;
    nid.hWnd = owner_;
    nid.uID = 3;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = kCallback;
    nid.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    lstrcpyA(nid.szTip, "Radios\nWireless LAN");
    ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &nid));
    ASSERT_TRUE(server_->pump_until([&] { return docked() == "sni"; }));
    std::string service = "org.kde.StatusNotifierItem-" + std::to_string(getpid()) + "-3";
    EXPECT_EQ(watcher_->registered(), std::vector<std::string>{service});

    std::vector<std::string> item = {service, "/StatusNotifierItem", "org.kde.StatusNotifierItem"};
    auto read = [&](std::vector<std::string> names) {
        std::vector<std::string> args = {"get-property"};
        args.insert(args.end(), item.begin(), item.end());
        args.insert(args.end(), names.begin(), names.end());
        return busctl(args);
    };
    EXPECT_EQ(read({"Category", "Id", "Status", "ItemIsMenu"}),
              std::make_pair(0, std::string("s \"Hardware\"\ns \"radiodeck\"\ns \"Active\"\n"
                                            "b false\n")));
    EXPECT_EQ(read({"ToolTip"}).second, "(sa(iiay)ss) \"\" 0 \"Radios\" \"Wireless LAN\"\n");
    std::string pixmaps = read({"IconPixmap"}).second;
    EXPECT_EQ(pixmaps.rfind("a(iiay) 5 16 16 1024 ", 0), 0u) << pixmaps.substr(0, 40);

    // The host's calls arrive as the shell's callback messages, the pointer at its point.
    auto call = [&](const char* method, const char* x, const char* y) {
        std::vector<std::string> args = {"call"};
        args.insert(args.end(), item.begin(), item.end());
        args.insert(args.end(), {method, "ii", x, y});
        return busctl(args).first;
    };
    EXPECT_EQ(call("Activate", "40", "50"), 0);
    EXPECT_EQ(call("ContextMenu", "700", "760"), 0);
    ASSERT_TRUE(server_->pump_until([] { return g_callbacks.size() >= 6; }));
    EXPECT_EQ(g_callbacks, (std::vector<LPARAM>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK,
                                                WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP}));
    EXPECT_EQ(g_cursor.x, 700);
    EXPECT_EQ(g_cursor.y, 760);

    // A change of the tip is signalled.
    lstrcpyA(nid.szTip, "Radios\nBluetooth");
    nid.uFlags = NIF_TIP;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &nid));
    EXPECT_TRUE(server_->pump_until([&] { return watcher_->tooltips() == 1; }));

    // The watcher goes (no tray either: the icon is nowhere) and comes back.
    watcher_.reset();
    ASSERT_TRUE(server_->pump_until([&] { return docked() == "none"; }));
    watcher_ = std::make_unique<Watcher>(bus_.address());
    ASSERT_TRUE(wait_ready());
    ASSERT_TRUE(server_->pump_until([&] { return docked() == "sni"; }));
    EXPECT_EQ(watcher_->registered(), std::vector<std::string>{service});
    Shell_NotifyIconA(NIM_DELETE, &nid);
}

} // namespace
