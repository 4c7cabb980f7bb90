// deskctl shot against a real peer: the whole screen and single windows, read back as PNG.
#include "peer_process.h"

#include <png.h>

#include <optional>
#include <vector>

using namespace desktop_test;

namespace {

struct Png {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    uint32_t at(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height)
            return 0xFF000000; // no pixel
        const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
        return uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2];
    }
};

std::optional<Png> read_png(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return std::nullopt;
    image.format = PNG_FORMAT_RGB;
    Png png{static_cast<int>(image.width), static_cast<int>(image.height), {}};
    png.rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, png.rgb.data(), 0, nullptr))
        return std::nullopt;
    return png;
}

} // namespace

TEST_F(DesktopTest, ShotPicturesTheScreenAndSingleWindows) {
    Peer back("RadiodeckPeer", "Back");
    Peer hidden("RadiodeckPeer", "Hidden", {"--hidden"});
    ASSERT_TRUE(back.top && hidden.top);
    std::string file = root_->path() / "screen.png";

    Outcome shot = deskctl({"shot", file});
    ASSERT_EQ(shot.code, 0) << shot.err;
    auto screen = read_png(file);
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->width, 1024);
    EXPECT_EQ(screen->height, 768);
    EXPECT_EQ(screen->at(10, 10), 0x008080u);  // the desktop
    EXPECT_EQ(screen->at(10, 767), 0xC0C0C0u); // the taskbar
    // The peer's window stands at (100,100)-(400,300); its client area is erased with its
    // class brush (COLOR_WINDOW) and its caption is drawn above it.
    EXPECT_EQ(screen->at(390, 290), 0xFFFFFFu);
    EXPECT_NE(screen->at(200, 110), 0xFFFFFFu);

    ASSERT_EQ(deskctl({"shot", file, hex_handle(back.top)}).code, 0);
    auto window = read_png(file);
    ASSERT_TRUE(window);
    EXPECT_EQ(window->width, 300);
    EXPECT_EQ(window->height, 200);
    ASSERT_EQ(deskctl({"shot", file, hex_handle(back.child)}).code, 0);
    EXPECT_EQ(read_png(file)->width, 100);

    EXPECT_EQ(deskctl({"shot", file, hex_handle(hidden.top)}).code, 1); // never drawn
    EXPECT_EQ(deskctl({"shot", file, "0x7ffe0000"}).code, 1);
    EXPECT_EQ(deskctl({"shot"}).code, 2);
    EXPECT_EQ(deskctl({"shot", (root_->path() / "no" / "such.png").string()}).code, 1);
}
