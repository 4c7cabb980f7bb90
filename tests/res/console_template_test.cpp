// The console's dialog template and the tray menu, as the resource compiler built them into
// the program's own module.
#include "resource.h"
#include "resource_bytes.h"
#include "platform/user/dialog_template.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace res_test;

namespace {

HMODULE own_module() {
    return GetModuleHandleA(nullptr);
}

TEST(ConsoleTemplate, HasTheWindowStyleSizeAndFont) {
    Bytes bytes = resource_bytes(own_module(), IDD_CONSOLE, RT_DIALOG);
    auto tmpl = platform::parse_dialog_template(bytes.data(), bytes.size());
    ASSERT_TRUE(tmpl);
    EXPECT_TRUE(tmpl->extended);
    // Exactly these bits: no caption, border or system menu sneaks in.
    EXPECT_EQ(tmpl->style, 0x90000040u);
    EXPECT_EQ(tmpl->ex_style, 0x40000u);
    EXPECT_EQ(tmpl->x, 0);
    EXPECT_EQ(tmpl->y, 0);
    EXPECT_EQ(tmpl->cx, 152);
    EXPECT_EQ(tmpl->cy, 78);
    EXPECT_EQ(tmpl->menu, "");
    EXPECT_EQ(tmpl->class_name, "");
    EXPECT_EQ(tmpl->title, "");
    ASSERT_TRUE(tmpl->has_font);
    EXPECT_EQ(tmpl->face, "Arial Bold");
    EXPECT_EQ(tmpl->point_size, 10);
    EXPECT_EQ(tmpl->weight, 0);
    EXPECT_EQ(tmpl->italic, 0);
    EXPECT_EQ(tmpl->charset, 1);
}

TEST(ConsoleTemplate, HasTheSevenControlsInTabOrder) {
    struct Expected {
        DWORD id, style;
        const char* text;
        short x, y, cx, cy;
    };
    const Expected expected[] = {
        {10001, 0x50010002, "", 0, 0, 0, 0},
        {1004, 0x50010002, "Wireless Lan", 29, 21, 71, 10},
        {1001, 0x50010002, "Bluetooth     ", 29, 36, 71, 10},
        {1002, 0x50010002, "Display dialog box when switch (ON)", 15, 49, 131, 10},
        {1, 0x5001000B, "", 50, 64, 24, 6},
        {2, 0x5001000B, "", 83, 64, 24, 6},
        {1007, 0x5001000B, "", 115, 64, 24, 6},
    };
    Bytes bytes = resource_bytes(own_module(), IDD_CONSOLE, RT_DIALOG);
    auto tmpl = platform::parse_dialog_template(bytes.data(), bytes.size());
    ASSERT_TRUE(tmpl);
    ASSERT_EQ(tmpl->items.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const auto& item = tmpl->items[i];
        const Expected& want = expected[i];
        SCOPED_TRACE("control " + std::to_string(want.id));
        EXPECT_EQ(item.id, want.id);
        EXPECT_EQ(item.style, want.style);
        EXPECT_EQ(item.ex_style, 0u);
        EXPECT_EQ(item.class_name, "Button");
        EXPECT_EQ(item.title, want.text);
        EXPECT_EQ(item.x, want.x);
        EXPECT_EQ(item.y, want.y);
        EXPECT_EQ(item.cx, want.cx);
        EXPECT_EQ(item.cy, want.cy);
        EXPECT_TRUE(item.creation_data.empty());
    }
}

// Item flags of a menu template (MF_POPUP, MF_END, MF_SEPARATOR).
constexpr unsigned kPopup = 0x10, kEnd = 0x80, kSeparator = 0x800;

// A menu entry as the MENU resource stores it.
struct Entry {
    std::string text;
    unsigned id = 0;
    bool separator = false;
    std::vector<Entry> items;
};

// Reads the items of one level of a standard menu template (MENUITEMTEMPLATE records, the
// last one marked kEnd); false when the bytes run out.
bool read_items(const Bytes& b, size_t& at, std::vector<Entry>& out) {
    for (;;) {
        if (at + 2 > b.size())
            return false;
        unsigned flags = u16(b, at);
        at += 2;
        Entry e;
        if (!(flags & kPopup)) {
            e.id = u16(b, at);
            at += 2;
        }
        for (;;) {
            if (at + 2 > b.size())
                return false;
            unsigned ch = u16(b, at);
            at += 2;
            if (!ch)
                break;
            e.text += static_cast<char>(ch);
        }
        e.separator = (flags & kSeparator) || (!(flags & kPopup) && !e.id && e.text.empty());
        if ((flags & kPopup) && !read_items(b, at, e.items))
            return false;
        out.push_back(e);
        if (flags & kEnd)
            return true;
    }
}

TEST(TrayMenu, HoldsTheEntriesAndIdsInOrder) {
    Bytes bytes = resource_bytes(own_module(), IDR_TRAY_MENU, RT_MENU);
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(u16(bytes, 0), 0u); // version
    size_t at = 4 + u16(bytes, 2);
    std::vector<Entry> bar;
    ASSERT_TRUE(read_items(bytes, at, bar));
    EXPECT_EQ(at, bytes.size());
    ASSERT_EQ(bar.size(), 1u);
    EXPECT_EQ(bar[0].text, "Tray");

    const std::vector<Entry>& tray = bar[0].items;
    struct Expected {
        const char* text;
        unsigned id;
        bool separator;
    };
    const Expected expected[] = {
        {"About...", 0, false},
        {"", 0, true},
        {"Wireless LAN ON", 32772, false},
        {"Wireless LAN OFF", 32773, false},
        {"", 0, true},
        {"Bluetooth ON", 32774, false},
        {"Bluetooth OFF", 32775, false},
        {"", 0, true},
        {"Show Console", 32776, false},
        {"Exit", 32771, false},
    };
    ASSERT_EQ(tray.size(), std::size(expected));
    for (size_t i = 0; i < tray.size(); ++i) {
        SCOPED_TRACE("position " + std::to_string(i));
        EXPECT_EQ(tray[i].text, expected[i].text);
        EXPECT_EQ(tray[i].id, expected[i].id);
        EXPECT_EQ(tray[i].separator, expected[i].separator);
    }
    ASSERT_EQ(tray[0].items.size(), 1u);
    EXPECT_EQ(tray[0].items[0].text, "Radiodeck V1.03");
    EXPECT_EQ(tray[0].items[0].id, 32778u);
    for (size_t i = 1; i < tray.size(); ++i)
        EXPECT_TRUE(tray[i].items.empty());
}

TEST(ProgramModule, CarriesNoBitmapsAndNoStrings) {
    // Those come from the resource and language libraries beside the program.
    for (int id : {129, 135, 144})
        EXPECT_EQ(FindResourceA(own_module(), MAKEINTRESOURCE(id), RT_BITMAP), nullptr) << id;
    char text[256];
    for (int id : {3, 4, 5, 6})
        EXPECT_EQ(LoadStringA(own_module(), static_cast<UINT>(id), text, sizeof text), 0) << id;
}

TEST(ProgramModule, HasVersionInformation) {
    Bytes version = resource_bytes(own_module(), 1, RT_VERSION);
    ASSERT_GE(version.size(), 6u + 32 + 52);
    // VS_FIXEDFILEINFO follows the "VS_VERSION_INFO" key, aligned to four bytes.
    size_t fixed = (6 + 32 + 3) & ~size_t{3};
    EXPECT_EQ(u32(version, fixed), 0xFEEF04BDu);
    EXPECT_EQ(u32(version, fixed + 8), 0x00010000u);  // 1.0
    EXPECT_EQ(u32(version, fixed + 12), 0x00030000u); // .3.0
    std::string text(version.begin(), version.end());
    std::u16string product = u"Radiodeck";
    std::string wide;
    for (char16_t c : product) {
        wide += static_cast<char>(c);
        wide += '\0';
    }
    EXPECT_NE(text.find(wide), std::string::npos);
}

} // namespace
