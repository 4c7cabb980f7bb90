// deskctl click WINDOW [ID]: a user's left click on a window, or on its control with that id,
// done by the window's own process through its input path.
#include "deskctl.h"

#include "platform/desktop/desktop.h"
#include "platform/desktop/protocol.h"

namespace deskctl {

namespace {

// Why a user's click would reach nothing: the window or an ancestor hidden, the window or
// its top-level window disabled. Empty when it would land.
std::string unreachable(HWND hwnd) {
    auto w = platform::desktop_window(hwnd);
    if (!w)
        return "no such window";
    bool disabled = w->style & WS_DISABLED;
    for (int depth = 0; w && depth < 64; ++depth) {
        if (!(w->style & WS_VISIBLE))
            return "the window is hidden";
        if (!w->parent) {
            disabled |= (w->style & WS_DISABLED) != 0;
            break;
        }
        w = platform::desktop_window(w->parent);
    }
    if (!w)
        return "no such window";
    return disabled ? "the window is disabled" : "";
}

} // namespace

int run_click(const Args& args) {
    if (args.empty() || args.size() > 2)
        return fail(kExitUsage, "click: expected WINDOW [ID]");
    auto spec = parse_window(args[0]);
    if (!spec)
        return fail(kExitUsage, "click: bad window: " + args[0]);
    std::optional<long long> id;
    if (args.size() == 2 && (!(id = parse_number(args[1])) || *id < 0 || *id > 0xFFFF))
        return fail(kExitUsage, "click: bad control id: " + args[1]);
    if (!platform::desktop_available())
        return fail(kExitFailed, "the desktop of this machine root cannot be used");
    HWND target = resolve_window(*spec);
    if (!target)
        return fail(kExitFailed, "click: no such window: " + args[0]);
    if (id && !(target = GetDlgItem(target, static_cast<int>(*id))))
        return fail(kExitFailed, "click: the window has no control " + args[1]);
    if (std::string why = unreachable(target); !why.empty())
        return fail(kExitFailed, why);
    if (!platform::desktop_send_action(target, platform::desktop_wire::kActionClickWindow))
        return fail(kExitFailed, "click: no such window: " + args[0]);
    return kExitOk;
}

} // namespace deskctl
