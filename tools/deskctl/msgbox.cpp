// deskctl msgbox [press BUTTON [HANDLE]]: the open message boxes, and answering one.
#include "deskctl.h"

#include "platform/desktop/desktop.h"

#include <cstdio>
#include <iostream>
#include <strings.h>

namespace deskctl {

namespace {

// The Static child that holds a message box's text.
constexpr UINT kTextId = 0xFFFF;

struct ButtonName {
    const char* name;
    int id;
};

constexpr ButtonName kButtons[] = {
    {"OK", IDOK},         {"CANCEL", IDCANCEL}, {"ABORT", IDABORT}, {"RETRY", IDRETRY},
    {"IGNORE", IDIGNORE}, {"YES", IDYES},       {"NO", IDNO},
};

struct Box {
    platform::DesktopWindow window;
    std::string text;
};

// The open message boxes, topmost (so the newest shown) first.
std::vector<Box> open_boxes() {
    std::vector<Box> out;
    for (const platform::DesktopWindow& w : platform::desktop_top_level()) {
        if (!w.box_type || w.class_name != "#32770")
            continue;
        Box box{w, {}};
        for (const platform::DesktopWindow& c : platform::desktop_children(w.handle))
            if (c.id == kTextId && c.class_name == "Static")
                box.text = c.title;
        out.push_back(std::move(box));
    }
    return out;
}

int press(const Args& args) {
    if (args.size() < 2 || args.size() > 3)
        return fail(kExitUsage, "msgbox: expected press BUTTON [HANDLE]");
    const ButtonName* button = nullptr;
    for (const ButtonName& b : kButtons)
        if (strcasecmp(b.name, args[1].c_str()) == 0)
            button = &b;
    if (!button)
        return fail(kExitUsage, "msgbox: unknown button " + args[1]);
    std::optional<WindowSpec> spec;
    if (args.size() == 3 && (!(spec = parse_window(args[2])) || spec->by_name))
        return fail(kExitUsage, "msgbox: bad handle: " + args[2]);
    std::vector<Box> boxes = open_boxes();
    const Box* box = nullptr;
    for (const Box& b : boxes)
        if (!spec || b.window.handle == spec->handle) {
            box = &b;
            break;
        }
    if (!box)
        return fail(kExitFailed, spec ? "msgbox: no such message box: " + args[2]
                                      : "msgbox: no message box is open");
    HWND target = nullptr;
    for (const platform::DesktopWindow& c : platform::desktop_children(box->window.handle))
        if (c.id == static_cast<UINT>(button->id) && c.class_name == "Button")
            target = c.handle;
    if (!target)
        return fail(kExitFailed, std::string("msgbox: the box has no ") + button->name + " button");
    // The click travels as the box's own button click, so its modal loop answers it.
    if (!PostMessageA(target, BM_CLICK, 0, 0))
        return fail(kExitFailed, "msgbox: the box went away");
    return kExitOk;
}

} // namespace

int run_msgbox(const Args& args) {
    if (!platform::desktop_available())
        return fail(kExitFailed, "the desktop of this machine root cannot be used");
    if (!args.empty()) {
        if (args[0] == "press")
            return press(args);
        return fail(kExitUsage, "msgbox: unknown argument " + args[0]);
    }
    for (const Box& b : open_boxes()) {
        char head[16];
        std::snprintf(head, sizeof head, "0x%08lx",
                      static_cast<unsigned long>(reinterpret_cast<uintptr_t>(b.window.handle)));
        std::cout << head << " " << quoted_lines(b.window.title) << " " << quoted_lines(b.text)
                  << " " << *b.window.box_type << "\n";
    }
    return kExitOk;
}

} // namespace deskctl
