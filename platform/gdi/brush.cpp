// Brushes, pens and the stock objects.
#include "objects.h"
#include "stock_font.h"

#include "platform/kernel/trace.h"

#include <windows.h>

using namespace platform::gdi;

namespace {

std::shared_ptr<Object> solid(COLORREF color) {
    auto brush = std::make_shared<Brush>();
    brush->color = color & 0xFFFFFF;
    return brush;
}

std::shared_ptr<Object> pen(int style, COLORREF color) {
    auto p = std::make_shared<Pen>();
    p->style = style;
    p->color = color & 0xFFFFFF;
    return p;
}

// The stock objects by GetStockObject index; null where Windows has none.
std::shared_ptr<Object> make_stock(int index) {
    switch (index) {
    case WHITE_BRUSH:
        return solid(RGB(255, 255, 255));
    case LTGRAY_BRUSH:
        return solid(RGB(192, 192, 192));
    case GRAY_BRUSH:
        return solid(RGB(128, 128, 128));
    case DKGRAY_BRUSH:
        return solid(RGB(64, 64, 64));
    case BLACK_BRUSH:
        return solid(RGB(0, 0, 0));
    case NULL_BRUSH: {
        auto brush = std::make_shared<Brush>();
        brush->style = BS_NULL;
        return brush;
    }
    case DC_BRUSH: {
        auto brush = std::make_shared<Brush>();
        brush->dc_color = true;
        return brush;
    }
    case WHITE_PEN:
        return pen(PS_SOLID, RGB(255, 255, 255));
    case BLACK_PEN:
        return pen(PS_SOLID, RGB(0, 0, 0));
    case NULL_PEN:
        return pen(PS_NULL, 0);
    case DC_PEN: {
        auto p = std::make_shared<Pen>();
        p->dc_color = true;
        return p;
    }
    case DEFAULT_PALETTE:
        return std::make_shared<StockPlaceholder>(Kind::palette);
    default:
        return make_stock_font(index);
    }
}

} // namespace

HGDIOBJ WINAPI GetStockObject(int i) {
    Kind kind;
    if ((i >= WHITE_BRUSH && i <= NULL_BRUSH) || i == DC_BRUSH)
        kind = Kind::brush;
    else if ((i >= WHITE_PEN && i <= NULL_PEN) || i == DC_PEN)
        kind = Kind::pen;
    else if (i == DEFAULT_PALETTE)
        kind = Kind::palette;
    else if (i >= OEM_FIXED_FONT && i <= DEFAULT_GUI_FONT)
        kind = Kind::font;
    else
        return nullptr;
    // Made on first use; every later call returns the same object.
    return add_permanent_object(static_cast<uint32_t>(i) + 1, kind, [i] { return make_stock(i); });
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
    return static_cast<HBRUSH>(add_object(solid(color)));
}

HPEN WINAPI CreatePen(int style, int width, COLORREF color) {
    // Only the cosmetic styles the platform draws; others draw as solid, said once.
    if (style != PS_SOLID && style != PS_DOT && style != PS_NULL && style != PS_INSIDEFRAME)
        platform::fixme(platform::TraceChannel::gdi, "CreatePen style %d", style);
    auto p = std::make_shared<Pen>();
    p->style = style;
    p->width = width < 1 ? 1 : width;
    p->color = color & 0xFFFFFF;
    return static_cast<HPEN>(add_object(std::move(p)));
}
