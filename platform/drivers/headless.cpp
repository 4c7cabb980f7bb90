// The headless display: windows keep their whole state in the window manager and the desktop
// table, which is the screen; nothing is shown and nothing comes back up. Every entry keeps
// the null driver's default. The screen is the notebook's (screen_settings.h), read once.
#include "display.h"
#include "screen_settings.h"

#include "platform/kernel/machine.h"

#include <string>

namespace platform {

namespace {

class HeadlessDisplay final : public DisplayDriver {
public:
    const char* name() const override { return "headless"; }
    SIZE screen_size() const override { return screen().size; }
    int pixels_per_inch() const override { return screen().dpi; }

private:
    // Read once per machine root: tests give every case a root of its own.
    const ScreenSettings& screen() const {
        std::string root = machine_root().string();
        if (root != root_) {
            screen_ = machine_screen();
            root_ = std::move(root);
        }
        return screen_;
    }
    mutable ScreenSettings screen_;
    mutable std::string root_;
};

} // namespace

DisplayDriver& headless_display() {
    static HeadlessDisplay display;
    return display;
}

} // namespace platform
