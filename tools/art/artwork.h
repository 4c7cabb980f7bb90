// The program's pictures, drawn from shapes: the application and tray icons, the check-box
// icons, the console's background and the faces of its buttons.
#pragma once

#include "canvas.h"

#include <string>
#include <vector>

namespace art {

enum class Radios { Both, Bluetooth, Wlan };

// A notebook with radio waves, size x size (32 for the program's icon; the desktop's icon
// theme takes other sizes).
Canvas app_icon(int size = 32);
Canvas tray_icon(Radios radios, bool on);    // 32 x 32
Canvas check_icon(bool checked, bool small); // 16 x 16

// The console's client area at 96 and at 120 dots per inch.
constexpr int kBackgroundWidth = 384;
constexpr int kBackgroundHeight = 192;
Canvas console_background();

enum class Face { Normal, Pressed, Hover, Disabled };
constexpr int kButtonWidth = 48;
constexpr int kButtonHeight = 12;
// A button face with `word` on it, drawn over the part of `background` it covers at (x, y),
// so that its rounded corners blend into the console.
Canvas button_face(const Canvas& background, int x, int y, const std::string& word, Face face);

} // namespace art
