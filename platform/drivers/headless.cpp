// The headless display: windows keep their whole state in the window manager and are shown
// on no screen. The screen is the classic 1024 x 768.
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
