#include "dialog_builder.h"

#include <cstring>

namespace testing_support {

DialogBuilder::DialogBuilder(DWORD style, DWORD ex_style, short x, short y, short cx, short cy,
                             const std::string& title, const std::string& font_face,
                             WORD point_size) {
    if (!font_face.empty())
        style |= DS_SETFONT;
    word(1);
    word(0xFFFF);
    dword(0); // help id
    dword(ex_style);
    dword(style);
    count_offset_ = bytes_.size();
    word(0);
    word(static_cast<WORD>(x));
    word(static_cast<WORD>(y));
    word(static_cast<WORD>(cx));
    word(static_cast<WORD>(cy));
    word(0); // no menu
    word(0); // the dialog class
    text(title);
    if (!font_face.empty()) {
        word(point_size);
        word(0); // weight
        bytes_.push_back(0);
        bytes_.push_back(1); // DEFAULT_CHARSET
        text(font_face);
    }
}

DialogBuilder& DialogBuilder::control(DWORD id, const std::string& cls, const std::string& text_,
                                      DWORD style, short x, short y, short cx, short cy,
                                      DWORD ex_style) {
    align4();
    dword(0);
    dword(ex_style);
    dword(style);
    word(static_cast<WORD>(x));
    word(static_cast<WORD>(y));
    word(static_cast<WORD>(cx));
    word(static_cast<WORD>(cy));
    dword(id);
    if (cls == "Button") {
        word(0xFFFF);
        word(0x0080);
    } else {
        text(cls);
    }
    text(text_);
    word(0); // no creation data
    ++count_;
    std::memcpy(bytes_.data() + count_offset_, &count_, sizeof count_);
    return *this;
}

const DLGTEMPLATE* DialogBuilder::get() {
    align4();
    return reinterpret_cast<const DLGTEMPLATE*>(bytes_.data());
}

void DialogBuilder::word(WORD w) {
    bytes_.push_back(static_cast<BYTE>(w & 0xFF));
    bytes_.push_back(static_cast<BYTE>(w >> 8));
}

void DialogBuilder::dword(DWORD d) {
    word(static_cast<WORD>(d & 0xFFFF));
    word(static_cast<WORD>(d >> 16));
}

void DialogBuilder::text(const std::string& s) {
    for (unsigned char c : s)
        word(c);
    word(0);
}

void DialogBuilder::align4() {
    while (bytes_.size() % 4)
        bytes_.push_back(0);
}

} // namespace testing_support
