// deskctl shot FILE.png [WINDOW]: a picture of the whole screen, or of one window as it is
// drawn, written with libpng as 8-bit RGB.
#include "deskctl.h"
#include "screen.h"

#include "platform/desktop/desktop.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace deskctl {

namespace {

void write_rows(png_structp png, const platform::Picture& picture) {
    std::vector<png_byte> row(static_cast<size_t>(picture.size.cx) * 3);
    for (LONG y = 0; y < picture.size.cy; ++y) {
        for (LONG x = 0; x < picture.size.cx; ++x) {
            uint32_t p = picture.pixel(x, y);
            png_byte* out = &row[static_cast<size_t>(x) * 3];
            out[0] = static_cast<png_byte>(p >> 16);
            out[1] = static_cast<png_byte>(p >> 8);
            out[2] = static_cast<png_byte>(p);
        }
        png_write_row(png, row.data());
    }
}

// libpng reports its errors by longjmp: nothing here lives across the jump.
bool encode(png_structp png, png_infop info, FILE* file, const platform::Picture& picture) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.size.cx),
                 static_cast<png_uint_32>(picture.size.cy), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    write_rows(png, picture);
    png_write_end(png, nullptr);
    return true;
}

// Writes `picture` to `path` through a temporary file renamed into place, so that a
// watcher never opens half a picture. Empty on success, else why not.
std::string write_png(const std::string& path, const platform::Picture& picture) {
    std::string temp = path + ".tmp";
    FILE* file = std::fopen(temp.c_str(), "wb");
    if (!file)
        return std::strerror(errno);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = png && info && encode(png, info, file, picture);
    png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
    ok = std::fclose(file) == 0 && ok;
    if (ok && std::rename(temp.c_str(), path.c_str()) == 0)
        return "";
    std::string why = ok ? std::strerror(errno) : "cannot write the picture";
    std::remove(temp.c_str());
    return why;
}

} // namespace

int run_shot(const Args& args) {
    if (args.empty() || args.size() > 2)
        return fail(kExitUsage, "shot: expected FILE.png [WINDOW]");
    std::optional<WindowSpec> spec;
    if (args.size() == 2 && !(spec = parse_window(args[1])))
        return fail(kExitUsage, "shot: bad window: " + args[1]);
    if (!platform::desktop_available())
        return fail(kExitFailed, "the desktop of this machine root cannot be used");
    platform::Picture picture;
    if (spec) {
        HWND target = resolve_window(*spec);
        if (!target)
            return fail(kExitFailed, "shot: no such window: " + args[1]);
        std::optional<platform::Picture> window = window_picture(target);
        if (!window || window->size.cx <= 0 || window->size.cy <= 0)
            return fail(kExitFailed, "shot: the window has no picture: " + args[1]);
        picture = std::move(*window);
    } else {
        picture = compose_screen();
    }
    if (std::string why = write_png(args[0], picture); !why.empty())
        return fail(kExitFailed, "shot: " + args[0] + ": " + why);
    return kExitOk;
}

} // namespace deskctl
