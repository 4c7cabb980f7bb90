// The program's pictures, drawn from shapes: the application and tray icons, the check-box
// icons, the console's background and the faces of its buttons.
#pragma once

#include "canvas.h"

#include <string>
#include <vector>

namespace art {

enum class Radios { Both, Bluetooth, Wlan };

// The signs every picture shares. The Wi-Fi sign: a dot and two arcs opening upwards from
// (cx, cy), `size` the outer radius. The Bluetooth rune, centred at (cx, cy).
void draw_waves(Canvas& c, double cx, double cy, double size, const Color& ink);
void draw_rune(Canvas& c, double cx, double cy, double height, double stroke, const Color& ink);

// A notebook with radio waves, size x size (32 for the program's icon; the desktop's icon
// theme takes other sizes).
Canvas app_icon(int size = 32);
Canvas tray_icon(Radios radios, bool on);    // 32 x 32
Canvas check_icon(bool checked, bool small); // 16 x 16

// The console's client area at 96 dots per inch. On larger screens the console grows and the
// picture sits at its top left, the rest of the client area in the dialog's face colour, so
// the picture's own margins are that colour too.
constexpr int kBackgroundWidth = 304;
constexpr int kBackgroundHeight = 146;
const Color kDialogFace = rgb(0xD4D0C8); // the classic scheme's button face
Canvas console_background();

// Where the console places its controls, in pixels of its client area.
struct Place {
    int x, y;
};
constexpr Place kWlanBox = {51, 42};
constexpr Place kBluetoothBox = {51, 70};
constexpr Place kDisplayBox = {19, 101};
constexpr Place kOkButton = {96, 125};
constexpr Place kCancelButton = {165, 125};
constexpr Place kApplyButton = {232, 125};

enum class Face { Normal, Pressed, Hover, Disabled };
// The buttons are 48 x 12 at 120 dpi and over; at 96 dpi their template height of 6 dialog
// units gives 11 pixels, so the face is whole in its top 11 rows and row 12 is only a shadow.
constexpr int kButtonWidth = 48;
constexpr int kButtonHeight = 12;
// A button face with `word` on it, drawn over the part of `background` it covers at `at`,
// so that its rounded corners blend into the console.
Canvas button_face(const Canvas& background, Place at, const std::string& word, Face face);

} // namespace art
