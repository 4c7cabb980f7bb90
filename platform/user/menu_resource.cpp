// Menus from templates: the MENU resource (a 4-byte header, then items of WORD flags, a WORD
// id unless the item opens a submenu, and a UTF-16 text; MF_END marks each level's last item)
// and its extended MENUEX form. Templates are outside input: every read is checked against
// the template's size, and nesting is bounded.
#include "menu.h"

#include <cstdint>

namespace platform {

namespace {

constexpr int kMaxNesting = 32;
constexpr WORD kExPopup = 0x01; // MENUEX bResInfo: the item opens a submenu
constexpr WORD kExLast = 0x80;  // MENUEX bResInfo: last item of its level

class Reader {
public:
    explicit Reader(std::span<const BYTE> bytes) : bytes_(bytes) {}

    bool word(WORD& out) {
        if (at_ + 2 > bytes_.size())
            return false;
        out = static_cast<WORD>(bytes_[at_] | (bytes_[at_ + 1] << 8));
        at_ += 2;
        return true;
    }
    bool dword(DWORD& out) {
        WORD low = 0, high = 0;
        if (!word(low) || !word(high))
            return false;
        out = low | (static_cast<DWORD>(high) << 16);
        return true;
    }
    // A NUL-terminated UTF-16 text, in the ANSI code page (Windows-1252, whose first 256
    // code points stand for themselves; anything else becomes '?', a surrogate pair once).
    bool text(std::string& out) {
        out.clear();
        for (;;) {
            WORD c = 0;
            if (!word(c))
                return false;
            if (c == 0)
                return true;
            if (c >= 0xDC00 && c < 0xE000 && !out.empty() && out.back() == '?')
                continue;
            out += c < 256 ? static_cast<char>(c) : '?';
        }
    }
    bool skip(size_t n) {
        if (n > bytes_.size() - at_)
            return false;
        at_ += n;
        return true;
    }
    bool align_dword() { return skip((4 - at_ % 4) % 4); }

private:
    std::span<const BYTE> bytes_;
    size_t at_ = 0;
};

bool parse_items(Reader& r, HMENU menu, int depth) {
    if (depth > kMaxNesting)
        return false;
    for (;;) {
        WORD flags = 0, id = 0;
        std::string text;
        if (!r.word(flags))
            return false;
        bool popup = flags & MF_POPUP;
        if (!popup && !r.word(id))
            return false;
        if (!r.text(text))
            return false;
        UINT item_flags = flags & ~static_cast<UINT>(MF_END);
        if (popup) {
            HMENU sub = CreatePopupMenu();
            // Attached first, so that a failure below destroys it with the whole menu.
            if (!AppendMenuA(menu, item_flags, reinterpret_cast<UINT_PTR>(sub), text.c_str()) ||
                !parse_items(r, sub, depth + 1))
                return false;
        } else if (!AppendMenuA(menu, item_flags, id, text.empty() ? nullptr : text.c_str())) {
            return false; // an item with neither id nor text is a separator (null text)
        }
        if (flags & MF_END)
            return true;
    }
}

bool parse_ex_items(Reader& r, HMENU menu, int depth) {
    if (depth > kMaxNesting)
        return false;
    for (;;) {
        DWORD type = 0, state = 0, id = 0, help_id = 0;
        WORD res_info = 0;
        std::string text;
        if (!r.dword(type) || !r.dword(state) || !r.dword(id) || !r.word(res_info) ||
            !r.text(text) || !r.align_dword())
            return false;
        UINT flags = (type | state) & ~static_cast<UINT>(MF_POPUP);
        const char* label = (type & MFT_SEPARATOR) || text.empty() ? nullptr : text.c_str();
        if (res_info & kExPopup) {
            HMENU sub = CreatePopupMenu();
            if (!r.dword(help_id) ||
                !AppendMenuA(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub),
                             text.c_str()) ||
                !parse_ex_items(r, sub, depth + 1))
                return false;
        } else if (!AppendMenuA(menu, flags, id, label)) {
            return false;
        }
        if (res_info & kExLast)
            return true;
    }
}

} // namespace

HMENU load_menu_template(std::span<const BYTE> bytes) {
    Reader r(bytes);
    WORD version = 0, offset = 0;
    if (!r.word(version) || !r.word(offset) || version > 1 || !r.skip(offset)) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    HMENU menu = CreateMenu();
    bool ok = version == 0 ? parse_items(r, menu, 0) : parse_ex_items(r, menu, 0);
    if (!ok) {
        DestroyMenu(menu);
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    return menu;
}

} // namespace platform

HMENU WINAPI LoadMenuIndirectA(const MENUTEMPLATEA* lpMenuTemplate) {
    if (!lpMenuTemplate) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // The caller gives no size: a template in the caller's memory ends where its items say.
    return platform::load_menu_template(
        std::span<const BYTE>(static_cast<const BYTE*>(lpMenuTemplate), 0x10000));
}

HMENU WINAPI LoadMenuA(HINSTANCE hInstance, LPCSTR lpMenuName) {
    // A null module is the program's own.
    HMODULE module = hInstance ? hInstance : GetModuleHandleA(nullptr);
    HRSRC info = FindResourceA(module, lpMenuName, RT_MENU);
    if (!info)
        return nullptr;
    const void* data = LockResource(LoadResource(module, info));
    if (!data) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    return platform::load_menu_template(
        std::span<const BYTE>(static_cast<const BYTE*>(data), SizeofResource(module, info)));
}
