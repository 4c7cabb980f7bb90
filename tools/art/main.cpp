// Draws the program's pictures and writes them as .ico and .bmp files into the directory
// given as the first argument. With --preview DIR it also writes PNG contact sheets there,
// to look at the pictures as they come out of the files (palette, mask and all). With
// --hicolor DIR alone it writes the program's icon as PNG for the desktop's icon theme.
#include "artwork.h"
#include "image_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <sys/stat.h>
#include <string>
#include <vector>

using namespace art;

namespace {

struct IconFile {
    const char* name;
    Canvas picture;
};

struct ButtonFile {
    const char* name;
    const char* word;
    Place at;
    Face face;
};

const ButtonFile kButtons[] = {
    {"ok_normal.bmp", "OK", kOkButton, Face::Normal},
    {"ok_pressed.bmp", "OK", kOkButton, Face::Pressed},
    {"ok_hover.bmp", "OK", kOkButton, Face::Hover},
    {"cancel_normal.bmp", "Cancel", kCancelButton, Face::Normal},
    {"cancel_pressed.bmp", "Cancel", kCancelButton, Face::Pressed},
    {"cancel_hover.bmp", "Cancel", kCancelButton, Face::Hover},
    {"apply_normal.bmp", "Apply", kApplyButton, Face::Normal},
    {"apply_pressed.bmp", "Apply", kApplyButton, Face::Pressed},
    {"apply_hover.bmp", "Apply", kApplyButton, Face::Hover},
    {"apply_disabled.bmp", "Apply", kApplyButton, Face::Disabled},
};

bool make_directory(const std::string& path) {
    return mkdir(path.c_str(), 0755) == 0 || errno == EEXIST;
}

Canvas scaled(const Canvas& in, int k) {
    Canvas out(in.width() * k, in.height() * k);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x)
            out.set(x, y, in.at(x / k, y / k));
    return out;
}

// The console as its client area shows it at a screen's dots per inch: the picture at the top
// left, the dialog's face colour beyond, the check-box icons where the boxes centre them and
// the button faces cut to the buttons' height.
struct Screen {
    const char* name;
    int width, height; // the client area
    int box_height, button_height;
};
const Screen kScreens[] = {
    {"console-96.png", 304, 146, 19, 11},
    {"console-120.png", 380, 185, 20, 12},
    {"console-144.png", 456, 224, 20, 12},
};

Canvas console_at(const Screen& screen, const Canvas& background, const std::vector<Canvas>& shown,
                  const std::vector<Canvas>& buttons, const int faces[3]) {
    Canvas console(screen.width, screen.height, kDialogFace);
    console.draw(background, 0, 0);
    const int icon_top = (screen.box_height - 16) / 2;
    console.draw(shown[1], kWlanBox.x + 3, kWlanBox.y + icon_top);           // checked
    console.draw(shown[2], kBluetoothBox.x + 3, kBluetoothBox.y + icon_top); // not checked
    console.draw(shown[3], kDisplayBox.x + 3, kDisplayBox.y + icon_top);     // checked
    for (int i = 0; i < 3; ++i) {
        const ButtonFile& file = kButtons[faces[i]];
        Canvas cut(kButtonWidth, screen.button_height);
        cut.draw(buttons[static_cast<size_t>(faces[i])], 0, 0);
        console.draw(cut, file.at.x, file.at.y);
    }
    return console;
}

// Icons at 1x and at 6x (12x for 16 x 16) over a light and a dark backdrop; the console at
// 96, 120 and 144 dpi, at 2x; every button face at 6x and 1x.
bool write_previews(const std::string& dir, const std::vector<IconFile>& icons,
                    const std::vector<Canvas>& shown, const Canvas& background,
                    const std::vector<Canvas>& buttons) {
    const int cell = 32 * 6 + 16;
    Canvas sheet(cell * static_cast<int>(icons.size()), 2 * (cell + 48), rgb(0xFFFFFF));
    for (int band = 0; band < 2; ++band) {
        int top = band * (cell + 48);
        sheet.fill(rounded_rect(0, top, sheet.width(), top + cell + 48, 0),
                   band ? rgb(0x202833) : kDialogFace);
        for (size_t i = 0; i < icons.size(); ++i) {
            int left = static_cast<int>(i) * cell;
            sheet.draw(shown[i], left + 8, top + 8);
            sheet.draw(scaled(shown[i], shown[i].width() == 16 ? 12 : 6), left + 8, top + 48);
        }
    }
    bool ok = write_file(dir + "/icons.png", encode_png(sheet));
    const int faces[][3] = {{0, 3, 6}, {2, 4, 9}}; // all normal; hover, pressed, disabled
    for (size_t s = 0; s < std::size(kScreens); ++s)
        ok &=
            write_file(dir + "/" + kScreens[s].name,
                       encode_png(scaled(
                           console_at(kScreens[s], background, shown, buttons, faces[s == 1]), 2)));
    const int pitch_x = kButtonWidth * 6 + 12, pitch_y = kButtonHeight * 6 + 12;
    Canvas face_sheet(4 * pitch_x + 8, 3 * pitch_y + 8 + 3 * (kButtonHeight + 4), kDialogFace);
    for (size_t i = 0; i < buttons.size(); ++i) {
        int col = i < 9 ? static_cast<int>(i % 3) : 3, row = i < 9 ? static_cast<int>(i / 3) : 2;
        face_sheet.draw(scaled(buttons[i], 6), 8 + col * pitch_x, 8 + row * pitch_y);
        face_sheet.draw(buttons[i], 8 + col * (kButtonWidth + 4),
                        3 * pitch_y + 8 + row * (kButtonHeight + 4));
    }
    return ok && write_file(dir + "/buttons.png", encode_png(face_sheet));
}

// The program's icon for the desktop: DIR/<n>x<n>/apps/radiodeck.png in the layout of the
// hicolor icon theme, each size drawn afresh rather than scaled.
bool write_hicolor(const std::string& dir) {
    bool ok = true;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        std::string folder = dir + "/" + std::to_string(size) + "x" + std::to_string(size);
        ok &= make_directory(folder) && make_directory(folder + "/apps") &&
              write_file(folder + "/apps/radiodeck.png", encode_png(app_icon(size)));
    }
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--hicolor") == 0) {
        if (make_directory(argv[2]) && write_hicolor(argv[2]))
            return 0;
        std::fprintf(stderr, "%s: cannot write the icons into %s\n", argv[0], argv[2]);
        return 1;
    }
    if (argc != 2 && !(argc == 4 && std::strcmp(argv[2], "--preview") == 0)) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR [--preview PREVIEW_DIR] | --hicolor DIR\n",
                     argv[0]);
        return 2;
    }
    const std::string out = argv[1];
    std::vector<IconFile> icons = {
        {"app.ico", app_icon()},
        {"check_on.ico", check_icon(true, false)},
        {"check_off.ico", check_icon(false, false)},
        {"small_check_on.ico", check_icon(true, true)},
        {"small_check_off.ico", check_icon(false, true)},
        {"tray_both_on.ico", tray_icon(Radios::Both, true)},
        {"tray_both_off.ico", tray_icon(Radios::Both, false)},
        {"tray_bt_on.ico", tray_icon(Radios::Bluetooth, true)},
        {"tray_bt_off.ico", tray_icon(Radios::Bluetooth, false)},
        {"tray_wlan_on.ico", tray_icon(Radios::Wlan, true)},
        {"tray_wlan_off.ico", tray_icon(Radios::Wlan, false)},
    };
    bool ok = true;
    std::vector<Canvas> shown;
    for (const IconFile& icon : icons) {
        shown.emplace_back(1, 1);
        ok &= write_file(out + "/" + icon.name, encode_icon(icon.picture, &shown.back()));
    }
    Canvas background = console_background();
    ok &= write_file(out + "/background.bmp", encode_bmp(background));
    std::vector<Canvas> buttons;
    for (const ButtonFile& b : kButtons) {
        buttons.push_back(button_face(background, b.at, b.word, b.face));
        ok &= write_file(out + "/" + b.name, encode_bmp(buttons.back()));
    }
    if (argc == 4)
        ok &= write_previews(argv[3], icons, shown, background, buttons);
    if (!ok) {
        std::fprintf(stderr, "%s: cannot write the pictures into %s\n", argv[0], out.c_str());
        return 1;
    }
    return 0;
}
