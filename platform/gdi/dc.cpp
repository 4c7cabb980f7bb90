#include "dc.h"

#include "platform/drivers/display.h"
#include "platform/kernel/trace.h"

#include <windows.h>

#include <utility>

namespace platform::gdi {

namespace {

// A new memory DC holds this 1 x 1 monochrome bitmap until the program selects its own.
constexpr uint32_t default_bitmap_serial = 0x3F;

std::shared_ptr<Object> default_bitmap() {
    HGDIOBJ handle = add_permanent_object(default_bitmap_serial, Kind::bitmap, [] {
        auto bitmap = std::make_shared<Bitmap>();
        bitmap->width = bitmap->height = 1;
        bitmap->bits_per_pixel = bitmap->source_bits_per_pixel = 1;
        bitmap->pixels = {0x00FFFFFF};
        return bitmap;
    });
    return find_object(handle);
}

Selection stock(int index) {
    return Selection(find_object(GetStockObject(index)));
}

DcState default_state() {
    DcState state;
    state.brush = stock(WHITE_BRUSH);
    state.pen = stock(BLACK_PEN);
    state.font = stock(SYSTEM_FONT);
    return state;
}

// Points a memory DC at the pixels of its selected bitmap.
void aim_at_bitmap(DeviceContext& dc) {
    auto* bitmap = dc.state.bitmap.as<Bitmap>();
    dc.target = PixelTarget{bitmap->pixels.data(), bitmap->width, bitmap->height,
                            bitmap->bits_per_pixel == 1};
    dc.visible = Region(RECT{0, 0, bitmap->width, bitmap->height});
    dc.clip_changed();
}

std::shared_ptr<DeviceContext> dc_or_error(HDC hdc) {
    auto dc = find_dc(hdc);
    if (!dc)
        SetLastError(ERROR_INVALID_HANDLE);
    return dc;
}

} // namespace

Selection::Selection(std::shared_ptr<Object> object) : object_(std::move(object)) {
    if (object_)
        ++object_->selections;
}

Selection& Selection::operator=(const Selection& other) {
    if (this != &other) {
        Selection copy(other);
        release();
        object_ = std::move(copy.object_);
    }
    return *this;
}

Selection::~Selection() {
    release();
}

void Selection::release() {
    if (!object_)
        return;
    std::shared_ptr<Object> object = std::move(object_);
    if (--object->selections == 0 && object->delete_pending)
        remove_object(object->handle);
}

const Region& DeviceContext::drawable() const {
    if (!drawable_) {
        Region r;
        if (target.pixels) {
            r = visible;
            if (state.clip)
                r.intersect(*state.clip);
            r.offset(origin.x, origin.y);
            r.intersect(target.bounds());
        }
        drawable_ = std::move(r);
    }
    return *drawable_;
}

uint32_t DeviceContext::pixel_for(COLORREF color) const {
    uint32_t pixel = pixel_of(color & 0xFFFFFF);
    if (!target.monochrome)
        return pixel;
    // A colour on a monochrome bitmap becomes the nearer of black and white.
    uint32_t luma = (GetRValue(color) * 30 + GetGValue(color) * 59 + GetBValue(color) * 11) / 100;
    return luma >= 128 ? 0x00FFFFFFu : 0u;
}

std::optional<COLORREF> DeviceContext::brush_color(const Brush* brush) const {
    if (!brush || brush->style == BS_NULL)
        return std::nullopt;
    return brush->dc_color ? state.dc_brush_color : brush->color;
}

std::optional<COLORREF> DeviceContext::pen_color(const Pen* pen) const {
    if (!pen || pen->style == PS_NULL)
        return std::nullopt;
    return pen->dc_color ? state.dc_pen_color : pen->color;
}

HDC open_dc(HWND window, PixelTarget target, POINT origin, const Region& visible,
            std::shared_ptr<const void> keep) {
    auto dc = std::make_shared<DeviceContext>();
    dc->window = window;
    dc->target = target;
    dc->origin = origin;
    dc->visible = visible;
    dc->keep = std::move(keep);
    dc->state = default_state();
    return reinterpret_cast<HDC>(add_object(std::move(dc)));
}

bool close_dc(HDC hdc) {
    auto dc = find_dc(hdc);
    if (!dc || dc->memory)
        return false;
    return remove_object(reinterpret_cast<HGDIOBJ>(hdc));
}

std::shared_ptr<DeviceContext> find_dc(HDC dc) {
    return find<DeviceContext>(reinterpret_cast<HGDIOBJ>(dc));
}

} // namespace platform::gdi

using namespace platform::gdi;

HDC WINAPI CreateCompatibleDC(HDC hdc) {
    if (hdc && !find_dc(hdc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    auto dc = std::make_shared<DeviceContext>();
    dc->memory = true;
    dc->state = default_state();
    dc->state.bitmap = Selection(default_bitmap());
    aim_at_bitmap(*dc);
    return reinterpret_cast<HDC>(add_object(std::move(dc)));
}

BOOL WINAPI DeleteDC(HDC hdc) {
    auto dc = find_dc(hdc);
    // A window's DC goes back with ReleaseDC or EndPaint.
    if (!dc || !dc->memory) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return remove_object(reinterpret_cast<HGDIOBJ>(hdc));
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h) {
    auto dc = dc_or_error(hdc);
    auto object = find_object(h);
    if (!dc || !object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    Selection* slot = nullptr;
    switch (object->kind()) {
    case Kind::region: {
        int type = SelectClipRgn(hdc, static_cast<HRGN>(h));
        return reinterpret_cast<HGDIOBJ>(static_cast<intptr_t>(type));
    }
    case Kind::bitmap:
        // Only a memory DC holds a bitmap, and a bitmap is in one DC at a time.
        if (!dc->memory || (object->selections > 0 && dc->state.bitmap.object() != object))
            return nullptr;
        slot = &dc->state.bitmap;
        break;
    case Kind::brush:
        slot = &dc->state.brush;
        break;
    case Kind::pen:
        slot = &dc->state.pen;
        break;
    case Kind::font:
        slot = &dc->state.font;
        break;
    default:
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    HGDIOBJ previous = slot->handle();
    *slot = Selection(std::move(object));
    if (slot == &dc->state.bitmap)
        aim_at_bitmap(*dc);
    return previous;
}

HGDIOBJ WINAPI GetCurrentObject(HDC hdc, UINT type) {
    auto dc = dc_or_error(hdc);
    if (!dc)
        return nullptr;
    switch (type) {
    case OBJ_BITMAP:
        return dc->memory ? dc->state.bitmap.handle() : nullptr;
    case OBJ_BRUSH:
        return dc->state.brush.handle();
    case OBJ_PEN:
        return dc->state.pen.handle();
    case OBJ_FONT:
        return dc->state.font.handle();
    default:
        return nullptr;
    }
}

int WINAPI SaveDC(HDC hdc) {
    auto dc = dc_or_error(hdc);
    if (!dc)
        return 0;
    dc->saved.push_back(dc->state);
    return static_cast<int>(dc->saved.size());
}

BOOL WINAPI RestoreDC(HDC hdc, int saved) {
    auto dc = dc_or_error(hdc);
    if (!dc)
        return FALSE;
    // Negative: relative to the latest save (-1 is the latest); positive: the level SaveDC
    // returned. Either way, that state and every later one leave the stack.
    int level = saved < 0 ? static_cast<int>(dc->saved.size()) + 1 + saved : saved;
    if (level < 1 || level > static_cast<int>(dc->saved.size())) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    dc->state = std::move(dc->saved[static_cast<size_t>(level - 1)]);
    dc->saved.resize(static_cast<size_t>(level - 1));
    if (dc->memory)
        aim_at_bitmap(*dc);
    dc->clip_changed();
    return TRUE;
}

// The colour and mode setters: each returns the previous value, or its failure value.
#define DC_SETTER(name, getter, type, field, fail)                                                 \
    type WINAPI name(HDC hdc, type value) {                                                        \
        auto dc = dc_or_error(hdc);                                                                \
        if (!dc)                                                                                   \
            return fail;                                                                           \
        type previous = dc->state.field;                                                           \
        dc->state.field = value;                                                                   \
        return previous;                                                                           \
    }                                                                                              \
    type WINAPI getter(HDC hdc) {                                                                  \
        auto dc = dc_or_error(hdc);                                                                \
        return dc ? dc->state.field : fail;                                                        \
    }

DC_SETTER(SetTextColor, GetTextColor, COLORREF, text_color, CLR_INVALID)
DC_SETTER(SetBkColor, GetBkColor, COLORREF, bk_color, CLR_INVALID)
DC_SETTER(SetDCBrushColor, GetDCBrushColor, COLORREF, dc_brush_color, CLR_INVALID)
DC_SETTER(SetDCPenColor, GetDCPenColor, COLORREF, dc_pen_color, CLR_INVALID)
DC_SETTER(SetTextAlign, GetTextAlign, UINT, text_align, GDI_ERROR)
#undef DC_SETTER

// Sets a mode field after checking the value; the previous value, or 0 on failure.
static int set_mode(HDC hdc, int DcState::*field, int value, int lowest, int highest) {
    auto dc = dc_or_error(hdc);
    if (!dc)
        return 0;
    if (value < lowest || value > highest) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return std::exchange(dc->state.*field, value);
}

static int get_mode(HDC hdc, int DcState::*field) {
    auto dc = dc_or_error(hdc);
    return dc ? dc->state.*field : 0;
}

int WINAPI SetBkMode(HDC hdc, int mode) {
    return set_mode(hdc, &DcState::bk_mode, mode, TRANSPARENT, OPAQUE);
}

int WINAPI GetBkMode(HDC hdc) {
    return get_mode(hdc, &DcState::bk_mode);
}

int WINAPI SetROP2(HDC hdc, int rop2) {
    return set_mode(hdc, &DcState::rop2, rop2, R2_BLACK, R2_WHITE);
}

int WINAPI GetROP2(HDC hdc) {
    return get_mode(hdc, &DcState::rop2);
}

int WINAPI GetDeviceCaps(HDC hdc, int index) {
    auto dc = dc_or_error(hdc);
    if (!dc)
        return 0;
    // Memory DCs answer for the display they are compatible with.
    platform::DisplayDriver& display = platform::display_driver();
    switch (index) {
    case HORZRES:
        return display.screen_size().cx;
    case VERTRES:
        return display.screen_size().cy;
    case BITSPIXEL:
        return 32;
    case PLANES:
        return 1;
    case NUMCOLORS:
        return -1; // more than 256 colours
    case RASTERCAPS:
        return RC_BITBLT | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT;
    case LOGPIXELSX:
    case LOGPIXELSY:
        return display.pixels_per_inch();
    default:
        platform::fixme(platform::TraceChannel::gdi, "GetDeviceCaps index %d", index);
        return 0;
    }
}
