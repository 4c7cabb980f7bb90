#include "dialog_template.h"

#include <cmath>
#include <cstring>
#include <strings.h>

namespace platform {

namespace {

class Reader {
public:
    Reader(const BYTE* data, size_t size) : data_(data), size_(size) {}
    bool ok() const { return ok_; }
    size_t offset() const { return pos_; }

    template <typename T> T get() {
        T v{};
        if (pos_ + sizeof(T) > size_) {
            ok_ = false;
            return v;
        }
        std::memcpy(&v, data_ + pos_, sizeof(T));
        pos_ += sizeof(T);
        return v;
    }

    void align(size_t n) {
        pos_ = (pos_ + n - 1) / n * n;
        if (pos_ > size_)
            ok_ = false;
    }

    std::string string() {
        std::string s;
        for (;;) {
            WORD c = get<WORD>();
            if (!ok_ || c == 0)
                return s;
            s.push_back(c < 0x100 ? static_cast<char>(c) : '?');
        }
    }

    // A name that is either 0 (none), 0xFFFF followed by an ordinal, or a string.
    std::string name_or_ordinal(bool* is_ordinal = nullptr, WORD* ordinal = nullptr) {
        WORD first = get<WORD>();
        if (is_ordinal)
            *is_ordinal = false;
        if (!ok_ || first == 0)
            return {};
        if (first == 0xFFFF) {
            WORD n = get<WORD>();
            if (is_ordinal)
                *is_ordinal = true;
            if (ordinal)
                *ordinal = n;
            return "#" + std::to_string(n);
        }
        pos_ -= sizeof(WORD);
        return string();
    }

    void bytes(std::vector<BYTE>& out, size_t n) {
        if (pos_ + n > size_) {
            ok_ = false;
            return;
        }
        out.assign(data_ + pos_, data_ + pos_ + n);
        pos_ += n;
    }

private:
    const BYTE* data_;
    size_t size_;
    size_t pos_ = 0;
    bool ok_ = true;
};

std::string class_from_ordinal(WORD ordinal) {
    switch (ordinal) {
    case 0x0080:
        return "Button";
    case 0x0081:
        return "Edit";
    case 0x0082:
        return "Static";
    case 0x0083:
        return "ListBox";
    case 0x0084:
        return "ScrollBar";
    case 0x0085:
        return "ComboBox";
    default:
        return "#" + std::to_string(ordinal);
    }
}

} // namespace

std::optional<DialogTemplate> parse_dialog_template(const BYTE* data, size_t size) {
    if (!data)
        return std::nullopt;
    Reader r(data, size);
    DialogTemplate t;
    WORD version = r.get<WORD>();
    WORD signature = r.get<WORD>();
    t.extended = version == 1 && signature == 0xFFFF;
    if (t.extended) {
        t.help_id = r.get<DWORD>();
        t.ex_style = r.get<DWORD>();
        t.style = r.get<DWORD>();
    } else {
        r = Reader(data, size);
        t.style = r.get<DWORD>();
        t.ex_style = r.get<DWORD>();
    }
    WORD count = r.get<WORD>();
    t.x = r.get<short>();
    t.y = r.get<short>();
    t.cx = r.get<short>();
    t.cy = r.get<short>();
    t.menu = r.name_or_ordinal();
    t.class_name = r.name_or_ordinal();
    t.title = r.string();
    if (t.style & (DS_SETFONT | DS_FIXEDSYS)) {
        t.has_font = (t.style & DS_SETFONT) != 0;
        t.point_size = r.get<WORD>();
        if (t.extended) {
            t.weight = r.get<WORD>();
            t.italic = r.get<BYTE>();
            t.charset = r.get<BYTE>();
        }
        t.face = r.string();
    }
    for (WORD i = 0; i < count && r.ok(); ++i) {
        r.align(4);
        DialogItemTemplate item;
        if (t.extended) {
            item.help_id = r.get<DWORD>();
            item.ex_style = r.get<DWORD>();
            item.style = r.get<DWORD>();
        } else {
            item.style = r.get<DWORD>();
            item.ex_style = r.get<DWORD>();
        }
        item.x = r.get<short>();
        item.y = r.get<short>();
        item.cx = r.get<short>();
        item.cy = r.get<short>();
        item.id = t.extended ? r.get<DWORD>() : r.get<WORD>();
        bool ordinal_class = false;
        WORD class_ordinal = 0;
        item.class_name = r.name_or_ordinal(&ordinal_class, &class_ordinal);
        if (ordinal_class)
            item.class_name = class_from_ordinal(class_ordinal);
        item.title = r.name_or_ordinal();
        WORD extra = r.get<WORD>();
        if (extra) {
            // The classic form counts the size word itself; the extended form does not.
            size_t n = t.extended ? extra : (extra >= 2 ? extra - 2u : 0u);
            r.bytes(item.creation_data, n);
        }
        t.items.push_back(std::move(item));
    }
    if (!r.ok())
        return std::nullopt;
    return t;
}

SIZE dialog_base_units(const DialogTemplate& tmpl) {
    if (!tmpl.has_font)
        return SIZE{8, 16}; // the system font
    // Until text is measured by the font engine, the units follow the metrics of the
    // metric-compatible sans faces: line height 1.149 em, average letter 0.52 em (0.57 bold).
    double em = tmpl.point_size * 96.0 / 72.0;
    bool bold = tmpl.weight >= 600 || strcasestr(tmpl.face.c_str(), "bold") != nullptr;
    LONG cx = static_cast<LONG>(std::lround(em * (bold ? 0.57 : 0.52)));
    LONG cy = static_cast<LONG>(std::lround(em * 1.149));
    return SIZE{cx > 0 ? cx : 1, cy > 0 ? cy : 1};
}

} // namespace platform
