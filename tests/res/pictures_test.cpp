// The icons of the program's own module and the pictures of the resource library rescue.dll.
#include "resource.h"
#include "resource_bytes.h"
#include "tests/support/machine_fixture.h"

#include <unistd.h>

#include <filesystem>

using namespace res_test;

namespace {

const int kTrayIcons[] = {IDI_TRAY_BOTH_ON, IDI_TRAY_BOTH_OFF, IDI_TRAY_BT_ON,
                          IDI_TRAY_BT_OFF,  IDI_TRAY_WLAN_ON,  IDI_TRAY_WLAN_OFF};
const int kCheckIcons[] = {IDI_CHECK_ON, IDI_CHECK_OFF, IDI_SMALL_CHECK_ON, IDI_SMALL_CHECK_OFF};

int icon_size(int id) {
    return id >= IDI_CHECK_ON && id <= IDI_SMALL_CHECK_OFF ? 16 : 32;
}

void expect_icon_form(HMODULE module, int id) {
    SCOPED_TRACE("icon " + std::to_string(id));
    const int size = icon_size(id);
    StoredIcon icon = stored_icon(module, id);
    EXPECT_EQ(icon.group_count, 1);
    EXPECT_EQ(icon.width, size);
    EXPECT_EQ(icon.height, size);
    EXPECT_EQ(icon.bits, 8);
    EXPECT_EQ(icon.header_width, size);
    EXPECT_EQ(icon.header_height, 2 * size); // colour image and AND mask
    EXPECT_EQ(icon.header_bits, 8);
    // Loaded as the program loads it, the hot spot sits in the middle.
    HICON handle = static_cast<HICON>(
        LoadImageA(module, MAKEINTRESOURCE(id), IMAGE_ICON, 0, 0, LR_DEFAULTCOLOR));
    ASSERT_NE(handle, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(handle, &info));
    EXPECT_EQ(info.xHotspot, static_cast<DWORD>(size / 2));
    EXPECT_EQ(info.yHotspot, static_cast<DWORD>(size / 2));
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    DestroyIcon(handle);
}

int differing_pixels(const std::vector<long>& a, const std::vector<long>& b) {
    int n = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        n += a[i] != b[i];
    return n;
}

TEST(ProgramIcons, AreOneEightBitImageOfTheirSize) {
    HMODULE own = GetModuleHandleA(nullptr);
    expect_icon_form(own, IDI_APP);
    for (int id : kCheckIcons)
        expect_icon_form(own, id);
    for (int id : kTrayIcons)
        expect_icon_form(own, id);
}

TEST(ProgramIcons, EveryTrayStateLooksDifferent) {
    HMODULE own = GetModuleHandleA(nullptr);
    std::vector<std::vector<long>> pixels;
    for (int id : kTrayIcons) {
        pixels.push_back(icon_pixels(stored_icon(own, id)));
        ASSERT_EQ(pixels.back().size(), 32u * 32u) << id;
    }
    // Each pair, on and off twins included, differs in a good share of its 1024 pixels.
    for (size_t i = 0; i < pixels.size(); ++i)
        for (size_t j = i + 1; j < pixels.size(); ++j)
            EXPECT_GT(differing_pixels(pixels[i], pixels[j]), 60)
                << kTrayIcons[i] << " and " << kTrayIcons[j];
}

TEST(ProgramIcons, CheckedBoxesDifferFromEmptyOnesAndHaveTransparentCorners) {
    HMODULE own = GetModuleHandleA(nullptr);
    for (auto [on, off] : {std::pair{IDI_CHECK_ON, IDI_CHECK_OFF},
                           std::pair{IDI_SMALL_CHECK_ON, IDI_SMALL_CHECK_OFF}}) {
        auto checked = icon_pixels(stored_icon(own, on));
        auto empty = icon_pixels(stored_icon(own, off));
        ASSERT_EQ(checked.size(), 256u);
        ASSERT_EQ(empty.size(), 256u);
        EXPECT_GT(differing_pixels(checked, empty), 10) << on;
        // The box is drawn over the console's background: its corners let it show through.
        EXPECT_EQ(checked[0], -1);
        EXPECT_EQ(empty[255], -1);
    }
}

class RescueLibrary : public testing_support::MachineFixture {
protected:
    void SetUp() override {
        MachineFixture::SetUp();
        previous_dir_ = std::filesystem::current_path();
        // The library lies where the program lives; looked up by its bare name from there.
        ASSERT_EQ(chdir(RADIODECK_BIN_DIR), 0);
        library_ = LoadLibraryA("rescue.dll");
        ASSERT_NE(library_, nullptr);
    }
    void TearDown() override {
        if (library_)
            FreeLibrary(library_);
        ASSERT_EQ(chdir(previous_dir_.c_str()), 0);
        MachineFixture::TearDown();
    }

    SIZE bitmap_size(int id) {
        HBITMAP bitmap = LoadBitmapA(library_, MAKEINTRESOURCE(id));
        if (!bitmap)
            return SIZE{0, 0};
        BITMAP info{};
        SIZE size{0, 0};
        if (GetObjectA(bitmap, sizeof info, &info) != 0)
            size = SIZE{info.bmWidth, info.bmHeight};
        DeleteObject(bitmap);
        return size;
    }

    HMODULE library_ = nullptr;
    std::filesystem::path previous_dir_;
};

TEST_F(RescueLibrary, HoldsTheBackgroundAndTheButtonFaces) {
    // The console's client area at 96 dpi: 152 x 78 dialog units of 10-point Arial Bold.
    SIZE background = bitmap_size(IDB_BACKGROUND);
    EXPECT_EQ(background.cx, 304);
    EXPECT_EQ(background.cy, 146);
    for (int id = IDB_OK_NORMAL; id <= IDB_APPLY_DISABLED; ++id) {
        SIZE face = bitmap_size(id);
        EXPECT_EQ(face.cx, 48) << id;
        EXPECT_EQ(face.cy, 12) << id;
    }
}

TEST_F(RescueLibrary, BackgroundEndsInTheDialogFaceColour) {
    // On larger screens the console outgrows the picture and shows the dialog's face beyond
    // it: the picture's border is that colour, so nothing ends in a cut.
    StoredBitmap picture = stored_bitmap(library_, IDB_BACKGROUND);
    ASSERT_EQ(picture.width, 304);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const long rgb = GetRValue(face) << 16 | GetGValue(face) << 8 | GetBValue(face);
    for (int x = 0; x < picture.width; ++x) {
        EXPECT_EQ(picture.at(x, 0), rgb) << x;
        EXPECT_EQ(picture.at(x, picture.height - 1), rgb) << x;
    }
    for (int y = 0; y < picture.height; ++y) {
        EXPECT_EQ(picture.at(0, y), rgb) << y;
        EXPECT_EQ(picture.at(picture.width - 1, y), rgb) << y;
    }
}

TEST_F(RescueLibrary, ButtonWordsFitTheElevenRowsShownAt96Dpi) {
    // At 96 dpi a button is 6 dialog units, 11 pixels, tall: its face's twelfth row is cut
    // off. That row is then the same under every word of a state, and the rows above are not.
    const int states[][3] = {{IDB_OK_NORMAL, IDB_CANCEL_NORMAL, IDB_APPLY_NORMAL},
                             {IDB_OK_PRESSED, IDB_CANCEL_PRESSED, IDB_APPLY_PRESSED},
                             {IDB_OK_HOVER, IDB_CANCEL_HOVER, IDB_APPLY_HOVER}};
    for (const auto& faces : states) {
        StoredBitmap ok = stored_bitmap(library_, faces[0]);
        ASSERT_EQ(ok.height, 12) << faces[0];
        for (int other : {faces[1], faces[2]}) {
            StoredBitmap word = stored_bitmap(library_, other);
            ASSERT_EQ(word.height, 12) << other;
            int shown_differences = 0;
            for (int x = 0; x < ok.width; ++x) {
                EXPECT_EQ(word.at(x, 11), ok.at(x, 11)) << other << " at " << x;
                for (int y = 0; y < 11; ++y)
                    shown_differences += word.at(x, y) != ok.at(x, y);
            }
            EXPECT_GT(shown_differences, 20) << faces[0] << " and " << other;
        }
    }
}

TEST_F(RescueLibrary, EveryButtonFaceIsItsOwnPicture) {
    std::vector<Bytes> faces;
    for (int id = IDB_OK_NORMAL; id <= IDB_APPLY_DISABLED; ++id) {
        faces.push_back(resource_bytes(library_, id, RT_BITMAP));
        ASSERT_FALSE(faces.back().empty()) << id;
    }
    for (size_t i = 0; i < faces.size(); ++i)
        for (size_t j = i + 1; j < faces.size(); ++j)
            EXPECT_NE(faces[i], faces[j]) << IDB_OK_NORMAL + i << " and " << IDB_OK_NORMAL + j;
}

TEST_F(RescueLibrary, CarriesTheProgramsCheckBoxIcons) {
    HMODULE own = GetModuleHandleA(nullptr);
    for (int id : kCheckIcons) {
        expect_icon_form(library_, id);
        EXPECT_EQ(stored_icon(library_, id).image, stored_icon(own, id).image) << id;
    }
}

} // namespace
