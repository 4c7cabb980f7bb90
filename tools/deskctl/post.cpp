// deskctl post WINDOW MSG WPARAM LPARAM: one posted message, as PostMessageA sends it.
#include "deskctl.h"

namespace deskctl {

int run_post(const Args& args) {
    if (args.size() != 4)
        return fail(kExitUsage, "post: expected WINDOW MSG WPARAM LPARAM");
    auto spec = parse_window(args[0]);
    if (!spec)
        return fail(kExitUsage, "post: bad window: " + args[0]);
    std::string error;
    auto msg = parse_message(args[1], error);
    if (!msg)
        return fail(kExitUsage, "post: " + error);
    auto wparam = parse_number(args[2]);
    auto lparam = parse_number(args[3]);
    if (!wparam || !lparam)
        return fail(kExitUsage, "post: WPARAM and LPARAM are decimal or 0x hex numbers");
    HWND target = resolve_window(*spec);
    if (!target)
        return fail(kExitFailed, "post: no such window: " + args[0]);
    if (!PostMessageA(target, *msg, static_cast<WPARAM>(*wparam), static_cast<LPARAM>(*lparam))) {
        switch (GetLastError()) {
        case ERROR_INVALID_WINDOW_HANDLE:
            return fail(kExitFailed, "post: no such window: " + args[0]);
        case ERROR_MESSAGE_SYNC_ONLY:
            return fail(kExitFailed, "post: " + args[1] + " carries pointers and cannot be posted");
        default:
            return fail(kExitFailed, "post: the window's queue does not take the message");
        }
    }
    return kExitOk;
}

} // namespace deskctl
