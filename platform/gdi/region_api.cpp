// Region handles (HRGN) over the region type.
#include "dc.h"

#include <windows.h>

using namespace platform::gdi;

namespace {

std::shared_ptr<RegionObject> find_region(HRGN h) {
    return find<RegionObject>(reinterpret_cast<HGDIOBJ>(h));
}

int type_of(const Region& r) {
    return r.empty() ? NULLREGION : r.rects().size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

// Windows orders a rectangle's corners before it makes a region of it.
RECT ordered(int left, int top, int right, int bottom) {
    return RECT{std::min(left, right), std::min(top, bottom), std::max(left, right),
                std::max(top, bottom)};
}

} // namespace

HRGN WINAPI CreateRectRgn(int x1, int y1, int x2, int y2) {
    auto object = std::make_shared<RegionObject>();
    object->region = Region(ordered(x1, y1, x2, y2));
    return reinterpret_cast<HRGN>(add_object(std::move(object)));
}

HRGN WINAPI CreateRectRgnIndirect(const RECT* rect) {
    if (!rect) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

BOOL WINAPI SetRectRgn(HRGN h, int left, int top, int right, int bottom) {
    auto r = find_region(h);
    if (!r)
        return FALSE;
    r->region = Region(ordered(left, top, right, bottom));
    return TRUE;
}

int WINAPI CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode) {
    auto d = find_region(dest);
    auto a = find_region(src1);
    auto b = mode == RGN_COPY ? a : find_region(src2);
    if (!d || !a || !b || mode < RGN_AND || mode > RGN_COPY) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return ERROR;
    }
    Region result = a->region;
    switch (mode) {
    case RGN_AND:
        result.intersect(b->region);
        break;
    case RGN_OR:
        result.unite(b->region);
        break;
    case RGN_XOR:
        result.exclusive_or(b->region);
        break;
    case RGN_DIFF:
        result.subtract(b->region);
        break;
    default:
        break;
    }
    d->region = std::move(result);
    return type_of(d->region);
}

int WINAPI OffsetRgn(HRGN h, int dx, int dy) {
    auto r = find_region(h);
    if (!r)
        return ERROR;
    r->region.offset(dx, dy);
    return type_of(r->region);
}

int WINAPI GetRgnBox(HRGN h, LPRECT rect) {
    auto r = find_region(h);
    if (!r || !rect)
        return ERROR;
    *rect = r->region.bounds();
    return type_of(r->region);
}

BOOL WINAPI PtInRegion(HRGN h, int x, int y) {
    auto r = find_region(h);
    return r && r->region.contains(POINT{x, y});
}

BOOL WINAPI RectInRegion(HRGN h, const RECT* rect) {
    auto r = find_region(h);
    return r && rect &&
           r->region.intersects(ordered(rect->left, rect->top, rect->right, rect->bottom));
}

BOOL WINAPI EqualRgn(HRGN a, HRGN b) {
    auto ra = find_region(a);
    auto rb = find_region(b);
    if (!ra || !rb)
        return ERROR;
    return ra->region == rb->region;
}

// The DC's clip region, in device coordinates.

int WINAPI ExtSelectClipRgn(HDC hdc, HRGN h, int mode) {
    auto dc = find_dc(hdc);
    auto r = find_region(h);
    if (!dc || (h && !r) || (!h && mode != RGN_COPY) || mode < RGN_AND || mode > RGN_COPY) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return ERROR;
    }
    std::optional<Region>& clip = dc->state.clip;
    if (!h) {
        clip.reset(); // the whole visible area again
    } else if (mode == RGN_COPY) {
        clip = r->region;
    } else {
        // Without a clip region the DC's whole visible area is the first operand.
        Region current = clip ? *clip : dc->visible;
        if (mode == RGN_AND)
            current.intersect(r->region);
        else if (mode == RGN_OR)
            current.unite(r->region);
        else if (mode == RGN_XOR)
            current.exclusive_or(r->region);
        else
            current.subtract(r->region);
        clip = std::move(current);
    }
    dc->clip_changed();
    Region effective = clip ? *clip : dc->visible;
    effective.intersect(dc->visible);
    return type_of(effective);
}

int WINAPI SelectClipRgn(HDC hdc, HRGN h) {
    return ExtSelectClipRgn(hdc, h, RGN_COPY);
}

int WINAPI GetClipRgn(HDC hdc, HRGN h) {
    auto dc = find_dc(hdc);
    auto r = find_region(h);
    if (!dc || !r)
        return -1;
    if (!dc->state.clip)
        return 0;
    r->region = *dc->state.clip;
    return 1;
}

// Narrows (or cuts into) the clip by a rectangle; the result's type.
static int clip_by_rect(HDC hdc, RECT rect, bool exclude) {
    auto dc = find_dc(hdc);
    if (!dc) {
        SetLastError(ERROR_INVALID_HANDLE);
        return ERROR;
    }
    Region current = dc->state.clip ? *dc->state.clip : dc->visible;
    rect = ordered(rect.left, rect.top, rect.right, rect.bottom);
    if (exclude)
        current.subtract(rect);
    else
        current.intersect(rect);
    dc->state.clip = current;
    dc->clip_changed();
    return type_of(current.intersect(dc->visible));
}

int WINAPI IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
    return clip_by_rect(hdc, RECT{left, top, right, bottom}, false);
}

int WINAPI ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom) {
    return clip_by_rect(hdc, RECT{left, top, right, bottom}, true);
}

int WINAPI GetClipBox(HDC hdc, LPRECT rect) {
    auto dc = find_dc(hdc);
    if (!dc || !rect) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return ERROR;
    }
    // What drawing can reach, back in device coordinates.
    Region r = dc->drawable();
    r.offset(-dc->origin.x, -dc->origin.y);
    *rect = r.bounds();
    return type_of(r);
}
