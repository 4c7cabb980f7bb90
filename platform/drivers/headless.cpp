// The headless display: windows keep their whole state in the window manager and the desktop
// table, which is the screen; nothing is shown and nothing comes back up. Every entry keeps
// the null driver's default. The screen is the classic 1024 x 768 at 96 pixels per inch.
#include "display.h"

namespace platform {

namespace {

class HeadlessDisplay final : public DisplayDriver {
public:
    const char* name() const override { return "headless"; }
};

} // namespace

DisplayDriver& headless_display() {
    static HeadlessDisplay display;
    return display;
}

} // namespace platform
