// Window pictures shared across processes: each shown top-level window's pixels live in a file
// of the desktop directory, mapped by its owner, so that any process of the desktop (deskctl,
// a compositor) reads them without asking the owner. The owner draws elsewhere and copies
// finished parts in at its flush; a reader copies the picture out between two such copies.
#pragma once

#include <windef.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace platform::surface_wire {

constexpr uint32_t kSurfaceMagic = 0x46535244; // "DRSF"
constexpr uint32_t kSurfaceVersion = 1;
// Larger pictures are refused: a file of another process decides how much a reader maps.
constexpr uint32_t kMaxSide = 16384;

// The file: this header, then width * height pixels 0x00RRGGBB (an ARGB picture keeps its
// alpha in the top byte), rows top to bottom.
struct SurfaceHeader {
    uint32_t magic;    // kSurfaceMagic
    uint32_t version;  // kSurfaceVersion
    uint32_t width;    // at most kMaxSide
    uint32_t height;   // at most kMaxSide
    uint32_t sequence; // odd while the owner copies pixels in; a reader retries then
    uint32_t reserved[3];
};
static_assert(sizeof(SurfaceHeader) == 32);

} // namespace platform::surface_wire

namespace platform {

// A picture as a reader copied it.
struct Picture {
    SIZE size{};
    std::vector<uint32_t> pixels; // size.cx * size.cy, top row first
    uint32_t pixel(int x, int y) const { return pixels[static_cast<size_t>(y) * size.cx + x]; }
};

// The owner's side of one shared picture. The file is named after `name` in the desktop
// directory; without a usable desktop the picture is kept nowhere and every call is
// harmless.
class SharedPicture {
public:
    SharedPicture() = default;
    ~SharedPicture();
    SharedPicture(const SharedPicture&) = delete;
    SharedPicture& operator=(const SharedPicture&) = delete;

    // A new picture of `size` under `name` showing `pixels` (size.cx * size.cy of them),
    // replacing any picture of that name: a reader that holds the old one keeps reading it
    // whole. False when the desktop is unusable or the file cannot be made.
    bool create(const std::string& name, SIZE size, std::span<const uint32_t> pixels);
    // Copies `rects` of `from` (a picture of this one's size) in, as one change for readers.
    void update(std::span<const uint32_t> from, std::span<const RECT> rects);
    // Removes the file; readers see no picture of that name any more.
    void remove();

    SIZE size() const { return size_; }
    bool shared() const { return map_ != nullptr; }

private:
    void unmap();

    std::string path_;
    void* map_ = nullptr;
    size_t bytes_ = 0;
    SIZE size_{};
};

// The names of shared pictures: a top-level window's surface, a tray icon's picture.
std::string surface_name(HWND hwnd);
std::string tray_picture_name(uint32_t owner, uint32_t id);

// A copy of the named picture of the current desktop; none when there is none or its file
// is not a whole, valid picture.
std::optional<Picture> read_picture(const std::string& name);

// Removes the pictures a process left behind: every named one.
void remove_pictures(const std::vector<std::string>& names);

} // namespace platform
