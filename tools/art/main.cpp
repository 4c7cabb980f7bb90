// Draws the program's pictures and writes them as .ico and .bmp files into the directory
// given as the first argument. With --preview DIR it also writes PNG contact sheets there,
// to look at the pictures as they come out of the files (palette, mask and all). With
// --hicolor DIR alone it writes the program's icon as PNG for the desktop's icon theme.
#include "artwork.h"
#include "image_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
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
    int x; // where the console places the button
    Face face;
};

constexpr int kButtonTop = 125;
const ButtonFile kButtons[] = {
    {"ok_normal.bmp", "OK", 96, Face::Normal},
    {"ok_pressed.bmp", "OK", 96, Face::Pressed},
    {"ok_hover.bmp", "OK", 96, Face::Hover},
    {"cancel_normal.bmp", "Cancel", 165, Face::Normal},
    {"cancel_pressed.bmp", "Cancel", 165, Face::Pressed},
    {"cancel_hover.bmp", "Cancel", 165, Face::Hover},
    {"apply_normal.bmp", "Apply", 232, Face::Normal},
    {"apply_pressed.bmp", "Apply", 232, Face::Pressed},
    {"apply_hover.bmp", "Apply", 232, Face::Hover},
    {"apply_disabled.bmp", "Apply", 232, Face::Disabled},
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

// Icons at 1x and 6x over a light and a dark backdrop; then the console with its buttons and
// check boxes in place, at 2x, and every button face at 4x.
bool write_previews(const std::string& dir, const std::vector<IconFile>& icons,
                    const std::vector<Canvas>& shown, const Canvas& background,
                    const std::vector<Canvas>& buttons) {
    const int cell = 32 * 6 + 16;
    Canvas sheet(cell * static_cast<int>(icons.size()), 2 * (cell + 48), rgb(0xFFFFFF));
    for (int band = 0; band < 2; ++band) {
        int top = band * (cell + 48);
        sheet.fill(rounded_rect(0, top, sheet.width(), top + cell + 48, 0),
                   band ? rgb(0x202833) : rgb(0xD4D0C8));
        for (size_t i = 0; i < icons.size(); ++i) {
            int left = static_cast<int>(i) * cell;
            sheet.draw(shown[i], left + 8, top + 8);
            sheet.draw(scaled(shown[i], shown[i].width() == 16 ? 12 : 6), left + 8, top + 48);
        }
    }
    Canvas console = background;
    for (size_t i = 0; i < buttons.size(); ++i)
        if (i == 0 || i == 3 || i == 8)
            console.draw(buttons[i], kButtons[i].x, kButtonTop);
    console.draw(shown[1], 54, 44);  // Wireless LAN, checked
    console.draw(shown[2], 54, 72);  // Bluetooth, not checked
    console.draw(shown[3], 22, 103); // display option, checked
    Canvas face_sheet(4 * (kButtonWidth + 4) * 4, 3 * (kButtonHeight + 4) * 4, rgb(0xFFFFFF));
    for (size_t i = 0; i < buttons.size(); ++i) {
        int col = i < 9 ? static_cast<int>(i % 3) : 3, row = i < 9 ? static_cast<int>(i / 3) : 2;
        face_sheet.draw(scaled(buttons[i], 4), col * (kButtonWidth + 4) * 4,
                        row * (kButtonHeight + 4) * 4);
    }
    return write_file(dir + "/icons.png", encode_png(sheet)) &&
           write_file(dir + "/console.png", encode_png(scaled(console, 2))) &&
           write_file(dir + "/buttons.png", encode_png(face_sheet));
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
        buttons.push_back(button_face(background, b.x, kButtonTop, b.word, b.face));
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
