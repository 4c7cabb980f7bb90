// MENU and MENUEX resources from a resource library on disk: well-formed ones load, and
// ones that lie about their lengths or nest without end are refused.
#include "tests/resources/res_bytes.h"
#include "tests/support/machine_fixture.h"

#include "platform/kernel/paths.h"

#include <windows.h>

#include <string>

namespace {

using namespace res_bytes;

void put_text(Bytes& b, const std::u16string& text) {
    for (char16_t c : text)
        put16(b, c);
    put16(b, 0);
}

// A standard MENU template: header, then items.
Bytes menu_header() {
    Bytes b;
    put16(b, 0); // wVersion
    put16(b, 0); // cbHeaderSize
    return b;
}

void put_item(Bytes& b, unsigned flags, unsigned id, const std::u16string& text) {
    put16(b, flags);
    put16(b, id);
    put_text(b, text);
}

void put_popup(Bytes& b, unsigned flags, const std::u16string& text) {
    put16(b, flags | MF_POPUP);
    put_text(b, text);
}

// "File" with "Open" (7, greyed), a separator and "Exit" (8).
Bytes good_menu() {
    Bytes b = menu_header();
    put_popup(b, MF_END, u"File");
    put_item(b, MF_GRAYED, 7, u"Open");
    put_item(b, 0, 0, u"");
    put_item(b, MF_END, 8, u"Exit \u00e9\u4e2d");
    return b;
}

Bytes good_menuex() {
    Bytes b;
    put16(b, 1); // wVersion
    put16(b, 4); // wOffset
    put32(b, 0); // dwHelpId
    auto item = [&b](uint32_t type, uint32_t state, uint32_t id, unsigned info,
                     const std::u16string& text) {
        put32(b, type);
        put32(b, state);
        put32(b, id);
        put16(b, info);
        put_text(b, text);
        pad4(b);
    };
    item(MFT_STRING, 0, 0, 0x81, u"Tools");
    put32(b, 0); // the popup's dwHelpId
    item(MFT_STRING, MFS_CHECKED, 31, 0, u"Option");
    item(MFT_SEPARATOR, 0, 0, 0, u"");
    item(MFT_STRING, 0, 32, 0x80, u"Other");
    return b;
}

class MenuTemplates : public testing_support::MachineFixture {
protected:
    HMODULE library(const std::vector<Bytes>& records) {
        std::string path = (root() / "menus.dll").string();
        res_bytes::write_file(path, file_bytes(records));
        HMODULE lib = LoadLibraryA(platform::windows_path(path).c_str());
        EXPECT_NE(lib, nullptr);
        return lib;
    }
};

TEST_F(MenuTemplates, StandardAndExtendedFormsLoad) {
    HMODULE lib = library({record("#4", "#1", good_menu()), record("#4", "#2", good_menuex())});
    HMENU menu = LoadMenuA(lib, MAKEINTRESOURCE(1));
    ASSERT_NE(menu, nullptr);
    HMENU file = GetSubMenu(menu, 0);
    ASSERT_EQ(GetMenuItemCount(file), 3);
    EXPECT_EQ(GetMenuState(file, 7, MF_BYCOMMAND), MF_GRAYED);
    EXPECT_EQ(GetMenuState(file, 1, MF_BYPOSITION), MF_SEPARATOR);
    char text[32];
    GetMenuStringA(file, 8, text, sizeof text, MF_BYCOMMAND);
    EXPECT_STREQ(text, "Exit \xe9?"); // Latin-1 stays, the rest of UTF-16 is unknown here
    DestroyMenu(menu);

    HMENU ex = LoadMenuA(lib, MAKEINTRESOURCE(2));
    ASSERT_NE(ex, nullptr);
    HMENU tools = GetSubMenu(ex, 0);
    ASSERT_EQ(GetMenuItemCount(tools), 3);
    EXPECT_EQ(GetMenuState(tools, 31, MF_BYCOMMAND), MF_CHECKED);
    EXPECT_EQ(GetMenuState(tools, 1, MF_BYPOSITION), MF_SEPARATOR);
    EXPECT_EQ(GetMenuItemID(tools, 2), 32u);
    DestroyMenu(ex);
    FreeLibrary(lib);
}

TEST_F(MenuTemplates, LyingOrEndlessTemplatesAreRefused) {
    Bytes good = good_menu();
    Bytes cut_text(good.begin(), good.end() - 4); // the last text loses its terminator
    Bytes no_end = menu_header();                 // the popup's items never end
    put_popup(no_end, MF_END, u"File");
    put_item(no_end, 0, 7, u"Open");
    Bytes big_header = menu_header(); // the header skips past the data
    big_header[2] = 0x40;
    Bytes version = good;
    version[0] = 2;
    Bytes deep = menu_header();
    for (int i = 0; i < 200; ++i)
        put_popup(deep, MF_END, u"P");
    put_item(deep, MF_END, 1, u"x");
    Bytes ex_cut = good_menuex();
    ex_cut.resize(ex_cut.size() - 6);

    HMODULE lib =
        library({record("#4", "#1", cut_text), record("#4", "#2", no_end),
                 record("#4", "#3", big_header), record("#4", "#4", version),
                 record("#4", "#5", deep), record("#4", "#6", ex_cut), record("#4", "#7", {})});
    for (int id = 1; id <= 7; ++id) {
        SetLastError(0);
        EXPECT_EQ(LoadMenuA(lib, MAKEINTRESOURCE(id)), nullptr) << id;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA)) << id;
    }
    SetLastError(0);
    EXPECT_EQ(LoadMenuA(lib, MAKEINTRESOURCE(99)), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    FreeLibrary(lib);
}

TEST_F(MenuTemplates, IndirectTemplateFromMemory) {
    Bytes b = good_menu();
    HMENU menu = LoadMenuIndirectA(b.data());
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(menu, 0)), 3);
    DestroyMenu(menu);
}

} // namespace
