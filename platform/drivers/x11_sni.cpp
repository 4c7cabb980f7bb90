// StatusNotifierItems over sd-bus. Every call is asynchronous and the connection is one
// source of the thread's wait, so a slow or absent bus never holds up the GUI thread.
#include "x11_sni.h"
#include "display_events.h"
#include "x11_tray.h"

#include "platform/kernel/trace.h"
#include "platform/kernel/wait.h"

#include <systemd/sd-bus.h>
#include <winuser.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <unistd.h>

namespace platform::x11 {

namespace {

constexpr const char* kWatcher = "org.kde.StatusNotifierWatcher";
constexpr const char* kWatcherPath = "/StatusNotifierWatcher";
constexpr const char* kItem = "org.kde.StatusNotifierItem";
constexpr int kSizes[] = {16, 22, 24, 32, 48};

} // namespace

struct StatusNotifier::Item {
    StatusNotifier* notifier = nullptr;
    HWND owner = nullptr;
    UINT id = 0;
    SIZE size{};
    std::vector<uint32_t> argb;
    std::string tip;
    std::string path;    // the object's path
    std::string service; // what the watcher is given: a well-known name, or the path
    sd_bus_slot* object = nullptr;
    sd_bus_slot* call = nullptr; // the registration under way: its answer needs the item
    bool registered = false;

    // The shell's mouse messages for one action of the host, at the point it gives.
    void act(std::initializer_list<UINT> messages, int x, int y) const {
        for (UINT m : messages)
            tray_events().tray_input(owner, id, m, POINT{x, y});
    }
};

namespace {

using Item = StatusNotifier::Item;

// ARGB32 in network byte order, straight alpha, at each size hosts ask for.
int append_pixmaps(sd_bus_message* reply, const Item& item) {
    int r = sd_bus_message_open_container(reply, 'a', "(iiay)");
    TrayPicture picture{item.owner, item.id, 0, item.size, item.argb, {}};
    for (int side : kSizes) {
        if (r < 0 || item.argb.empty())
            break;
        std::vector<uint32_t> square = scale_icon(picture, side);
        std::vector<uint8_t> bytes;
        bytes.reserve(square.size() * 4);
        for (uint32_t p : square) {
            uint32_t a = p >> 24;
            auto straight = [a](uint32_t c) {
                return static_cast<uint8_t>(a ? std::min(255u, c * 255 / a) : 0);
            };
            bytes.push_back(static_cast<uint8_t>(a));
            bytes.push_back(straight(p >> 16 & 0xFF));
            bytes.push_back(straight(p >> 8 & 0xFF));
            bytes.push_back(straight(p & 0xFF));
        }
        if ((r = sd_bus_message_open_container(reply, 'r', "iiay")) < 0 ||
            (r = sd_bus_message_append(reply, "ii", side, side)) < 0 ||
            (r = sd_bus_message_append_array(reply, 'y', bytes.data(), bytes.size())) < 0)
            break;
        r = sd_bus_message_close_container(reply);
    }
    return r < 0 ? r : sd_bus_message_close_container(reply);
}

int get_property(sd_bus*, const char*, const char*, const char* property, sd_bus_message* reply,
                 void* data, sd_bus_error*) {
    const Item& item = *static_cast<const Item*>(data);
    std::string_view name = property;
    if (name == "Category")
        return sd_bus_message_append(reply, "s", "Hardware");
    if (name == "Id")
        return sd_bus_message_append(reply, "s", "radiodeck");
    if (name == "Title")
        return sd_bus_message_append(reply, "s", "Radiodeck");
    if (name == "Status")
        return sd_bus_message_append(reply, "s", "Active");
    if (name == "WindowId")
        return sd_bus_message_append(reply, "i", 0);
    if (name == "ItemIsMenu")
        return sd_bus_message_append(reply, "b", 0);
    if (name == "IconName")
        return sd_bus_message_append(reply, "s", "");
    if (name == "IconPixmap")
        return append_pixmaps(reply, item);
    // ToolTip: icon name, icon pixmaps, title and description: the tip's first line is its
    // title, the rest (the radios, one a line) its description.
    size_t nl = item.tip.find('\n');
    std::string title = item.tip.substr(0, nl);
    std::string text = nl == std::string::npos ? "" : item.tip.substr(nl + 1);
    int r;
    if ((r = sd_bus_message_open_container(reply, 'r', "sa(iiay)ss")) < 0 ||
        (r = sd_bus_message_append(reply, "s", "")) < 0 ||
        (r = sd_bus_message_open_container(reply, 'a', "(iiay)")) < 0 ||
        (r = sd_bus_message_close_container(reply)) < 0 ||
        (r = sd_bus_message_append(reply, "ss", title.c_str(), text.c_str())) < 0)
        return r;
    return sd_bus_message_close_container(reply);
}

// Activate is the user's double click, SecondaryActivate a single click, ContextMenu the
// right button: what the shell sends a first-form icon for each, at the host's point.
int on_method(sd_bus_message* m, void* data, sd_bus_error*) {
    const Item& item = *static_cast<const Item*>(data);
    int x = 0, y = 0;
    std::string_view member = sd_bus_message_get_member(m);
    if (member != "Scroll" && sd_bus_message_read(m, "ii", &x, &y) < 0)
        return sd_bus_reply_method_errorf(m, SD_BUS_ERROR_INVALID_ARGS, "expected (ii)");
    trace(TraceChannel::drivers, "sni: %s(%d, %d)", member.data(), x, y);
    if (member == "Activate")
        item.act({WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}, x, y);
    else if (member == "SecondaryActivate")
        item.act({WM_LBUTTONDOWN, WM_LBUTTONUP}, x, y);
    else if (member == "ContextMenu")
        item.act({WM_RBUTTONDOWN, WM_RBUTTONUP}, x, y);
    return sd_bus_reply_method_return(m, "");
}

const sd_bus_vtable kVtable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_PROPERTY("Category", "s", get_property, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("Id", "s", get_property, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("Title", "s", get_property, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("Status", "s", get_property, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("WindowId", "i", get_property, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("ItemIsMenu", "b", get_property, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("IconName", "s", get_property, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("IconPixmap", "a(iiay)", get_property, 0, 0),
    SD_BUS_PROPERTY("ToolTip", "(sa(iiay)ss)", get_property, 0, 0),
    SD_BUS_METHOD("Activate", "ii", "", on_method, 0),
    SD_BUS_METHOD("SecondaryActivate", "ii", "", on_method, 0),
    SD_BUS_METHOD("ContextMenu", "ii", "", on_method, 0),
    SD_BUS_METHOD("Scroll", "is", "", on_method, 0),
    SD_BUS_SIGNAL("NewIcon", "", 0),
    SD_BUS_SIGNAL("NewToolTip", "", 0),
    SD_BUS_SIGNAL("NewTitle", "", 0),
    SD_BUS_SIGNAL("NewStatus", "s", 0),
    SD_BUS_VTABLE_END};

int on_registered(sd_bus_message* m, void* data, sd_bus_error*) {
    auto& item = *static_cast<Item*>(data);
    if (sd_bus_message_is_method_error(m, nullptr)) {
        trace(TraceChannel::drivers, "sni: the watcher refused %s", item.service.c_str());
        return 0;
    }
    item.registered = true;
    tray_events().tray_docked(item.owner, item.id, TrayDock::sni);
    return 0;
}

} // namespace

StatusNotifier::StatusNotifier(std::function<void(bool)> taken) : taken_(std::move(taken)) {
    start();
}

StatusNotifier::~StatusNotifier() {
    items_.clear();
    drop();
}

int StatusNotifier::bus_fd() const {
    return bus_ ? sd_bus_get_fd(bus_) : -1;
}

void StatusNotifier::start() {
    if (sd_bus_open_user(&bus_) < 0) {
        bus_ = nullptr;
        trace(TraceChannel::drivers, "sni: no session bus");
        set_active(false);
        return;
    }
    const char* match = "type='signal',sender='org.freedesktop.DBus',member='NameOwnerChanged',"
                        "arg0='org.kde.StatusNotifierWatcher'";
    const char* hosts = "type='signal',interface='org.kde.StatusNotifierWatcher',"
                        "member='StatusNotifierHostRegistered'";
    auto changed = [](sd_bus_message* m, void* self, sd_bus_error*) {
        return on_owner_changed(m, self, nullptr);
    };
    if (sd_bus_add_match_async(bus_, &match_, match, changed, nullptr, this) < 0 ||
        sd_bus_add_match_async(bus_, nullptr, hosts, changed, nullptr, this) < 0) {
        drop();
        set_active(false);
        return;
    }
    source_ = add_wait_source(
        {sd_bus_get_fd(bus_),
         [this] {
             WaitPrepare p;
             int events = sd_bus_get_events(bus_);
             if (events < 0) {
                 p.ready = true; // the dispatch finds the broken connection and drops it
                 return p;
             }
             p.events = static_cast<short>(events);
             uint64_t until = 0;
             // sd-bus times out on the real monotonic clock, which a virtual one never moves.
             if (sd_bus_get_timeout(bus_, &until) > 0 && until != UINT64_MAX &&
                 !clock().is_virtual()) {
                 timespec ts{};
                 clock_gettime(CLOCK_MONOTONIC, &ts);
                 uint64_t now = uint64_t(ts.tv_sec) * 1000000 + uint64_t(ts.tv_nsec) / 1000;
                 p.deadline = clock().now() +
                              static_cast<Millis>(until > now ? (until - now + 999) / 1000 : 0);
             }
             return p;
         },
         [this](short) {
             int r;
             while ((r = sd_bus_process(bus_, nullptr)) > 0) {
             }
             if (r < 0 || sd_bus_is_open(bus_) <= 0) {
                 trace(TraceChannel::drivers, "sni: session bus gone");
                 drop();
                 set_active(false);
             }
         }});
    check_watcher();
}

void StatusNotifier::drop() {
    if (source_)
        remove_wait_source(source_);
    source_ = 0;
    for (auto& item : items_) {
        item->object = sd_bus_slot_unref(item->object);
        item->call = sd_bus_slot_unref(item->call);
    }
    sd_bus_slot_unref(match_);
    match_ = nullptr;
    if (bus_)
        sd_bus_close_unref(bus_);
    bus_ = nullptr;
}

// Whether a watcher runs with a host behind it: only then does anyone show the items.
void StatusNotifier::check_watcher() {
    auto on_host = [](sd_bus_message* m, void* self, sd_bus_error*) {
        int host = 0;
        if (!sd_bus_message_is_method_error(m, nullptr) &&
            sd_bus_message_enter_container(m, 'v', "b") >= 0)
            sd_bus_message_read(m, "b", &host);
        static_cast<StatusNotifier*>(self)->set_active(host != 0);
        return 0;
    };
    if (sd_bus_call_method_async(bus_, nullptr, kWatcher, kWatcherPath,
                                 "org.freedesktop.DBus.Properties", "Get", on_host, this, "ss",
                                 kWatcher, "IsStatusNotifierHostRegistered") < 0)
        set_active(false);
}

int StatusNotifier::on_owner_changed(sd_bus_message* m, void* data, void*) {
    auto* self = static_cast<StatusNotifier*>(data);
    const char *name = nullptr, *old_owner = nullptr, *new_owner = nullptr;
    if (std::strcmp(sd_bus_message_get_member(m), "NameOwnerChanged") == 0 &&
        sd_bus_message_read(m, "sss", &name, &old_owner, &new_owner) >= 0 && new_owner &&
        !*new_owner) {
        self->set_active(false);
        return 0;
    }
    self->check_watcher(); // a watcher came, or a host registered with it
    return 0;
}

void StatusNotifier::set_active(bool on) {
    bool changed = on != active_ || !decided_;
    decided_ = true;
    active_ = on;
    if (!changed)
        return;
    trace(TraceChannel::drivers, "sni: %s", on ? "a watcher shows the icons" : "no watcher");
    for (auto& item : items_) {
        if (on) {
            register_item(*item);
        } else if (item->registered) {
            item->registered = false;
            tray_events().tray_docked(item->owner, item->id, TrayDock::none);
        }
    }
    taken_(on);
}

void StatusNotifier::register_item(Item& item) {
    if (!bus_ || !active_)
        return;
    if (!item.service.starts_with('/'))
        sd_bus_request_name_async(bus_, nullptr, item.service.c_str(), 0, nullptr, nullptr);
    item.call = sd_bus_slot_unref(item.call);
    sd_bus_call_method_async(bus_, &item.call, kWatcher, kWatcherPath, kWatcher,
                             "RegisterStatusNotifierItem", on_registered, &item, "s",
                             item.service.c_str());
}

void StatusNotifier::add(const TrayPicture& icon) {
    auto item = std::make_unique<Item>();
    item->notifier = this;
    item->owner = icon.owner;
    item->id = icon.id;
    // Hosts that take a well-known name look for the item at /StatusNotifierItem; a second
    // icon of the process is given to the watcher by its own path.
    int number = next_number_++;
    item->path = number ? "/StatusNotifierItem/" + std::to_string(number) : "/StatusNotifierItem";
    item->service = number ? item->path
                           : std::string(kItem) + "-" + std::to_string(::getpid()) + "-" +
                                 std::to_string(icon.id);
    if (bus_)
        sd_bus_add_object_vtable(bus_, &item->object, item->path.c_str(), kItem, kVtable,
                                 item.get());
    items_.push_back(std::move(item));
    change(icon);
    register_item(*items_.back());
}

void StatusNotifier::change(const TrayPicture& icon) {
    auto it = std::find_if(items_.begin(), items_.end(), [&](const auto& i) {
        return i->owner == icon.owner && i->id == icon.id;
    });
    if (it == items_.end())
        return;
    Item& item = **it;
    bool new_icon =
        !icon.argb.empty() && (item.argb.size() != icon.argb.size() ||
                               !std::equal(item.argb.begin(), item.argb.end(), icon.argb.begin()));
    bool new_tip = item.tip != icon.tip;
    if (new_icon) {
        item.size = icon.size;
        item.argb.assign(icon.argb.begin(), icon.argb.end());
    }
    item.tip = icon.tip;
    if (bus_ && item.registered && new_icon)
        sd_bus_emit_signal(bus_, item.path.c_str(), kItem, "NewIcon", "");
    if (bus_ && item.registered && new_tip)
        sd_bus_emit_signal(bus_, item.path.c_str(), kItem, "NewToolTip", "");
}

void StatusNotifier::remove(HWND owner, UINT id) {
    std::erase_if(items_, [&](const auto& i) {
        if (i->owner != owner || i->id != id)
            return false;
        sd_bus_slot_unref(i->object);
        sd_bus_slot_unref(i->call);
        if (bus_ && !i->service.starts_with('/'))
            sd_bus_release_name_async(bus_, nullptr, i->service.c_str(), nullptr, nullptr);
        return true;
    });
}

} // namespace platform::x11
