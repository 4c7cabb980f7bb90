// Builds DLGTEMPLATEEX bytes in memory, as the resource compiler lays them out.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

class DialogBuilder {
public:
    DialogBuilder(DWORD style, DWORD ex_style, short x, short y, short cx, short cy,
                  const std::string& title = "", const std::string& font_face = "",
                  WORD point_size = 0);
    // A control of a system class given by name ("Button") or ordinal atom (0x0080).
    DialogBuilder& control(DWORD id, const std::string& cls, const std::string& text, DWORD style,
                           short x, short y, short cx, short cy, DWORD ex_style = 0);
    // The finished template; the pointer stays valid while the builder lives.
    const DLGTEMPLATE* get();
    std::vector<BYTE>& bytes() { return bytes_; }

private:
    void word(WORD w);
    void dword(DWORD d);
    void text(const std::string& s);
    void align4();

    std::vector<BYTE> bytes_;
    size_t count_offset_ = 0;
    WORD count_ = 0;
};

} // namespace testing_support
