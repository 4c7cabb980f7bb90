// Tray icons as StatusNotifierItems on the session bus, through sd-bus: used while a watcher
// (org.kde.StatusNotifierWatcher) runs with a host registered, as on GNOME with its
// extension, KDE Plasma and most modern panels; the XEmbed tray takes the icons otherwise.
// The watcher leaving and coming back moves the icons over and back again.
#pragma once

#include "display.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

struct sd_bus;
struct sd_bus_slot;
struct sd_bus_message;

namespace platform::x11 {

class StatusNotifier {
public:
    // `taken(true)` when the icons go to the watcher's host, `taken(false)` when they are
    // left to the XEmbed tray (also when there is no session bus at all).
    explicit StatusNotifier(std::function<void(bool)> taken);
    ~StatusNotifier();

    void add(const TrayPicture& icon);
    void change(const TrayPicture& icon);
    void remove(HWND owner, UINT id);

    bool active() const { return active_; }
    int bus_fd() const; // -1 without a bus

    struct Item;

private:
    void start();
    void drop();
    void check_watcher();
    void set_active(bool on);
    void register_item(Item& item);
    static int on_owner_changed(sd_bus_message* m, void* self, void* error);

    std::function<void(bool)> taken_;
    sd_bus* bus_ = nullptr;
    sd_bus_slot* match_ = nullptr;
    int source_ = 0;
    bool active_ = false;
    bool decided_ = false; // the first answer about the watcher came
    std::vector<std::unique_ptr<Item>> items_;
    int next_number_ = 0;
};

} // namespace platform::x11
