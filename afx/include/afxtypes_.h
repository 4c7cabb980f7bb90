// CPoint, CSize and CRect: thin value wrappers over the Win32 records, as MFC has them.
#pragma once

#include <windows.h>

class CPoint : public tagPOINT {
public:
    CPoint() { x = 0, y = 0; }
    CPoint(int initX, int initY) { x = initX, y = initY; }
    CPoint(POINT initPt) { x = initPt.x, y = initPt.y; }
    // The packed form of mouse messages: signed low and high words.
    explicit CPoint(DWORD dwPoint) { x = (short)LOWORD(dwPoint), y = (short)HIWORD(dwPoint); }
    BOOL operator==(POINT point) const { return x == point.x && y == point.y; }
    BOOL operator!=(POINT point) const { return !(*this == point); }
};

class CSize : public tagSIZE {
public:
    CSize() { cx = 0, cy = 0; }
    CSize(int initCX, int initCY) { cx = initCX, cy = initCY; }
};

class CRect : public tagRECT {
public:
    CRect() { left = top = right = bottom = 0; }
    CRect(int l, int t, int r, int b) { left = l, top = t, right = r, bottom = b; }
    CRect(const RECT& srcRect) { ::CopyRect(this, &srcRect); }
    CRect(LPCRECT lpSrcRect) { ::CopyRect(this, lpSrcRect); }

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    CSize Size() const { return CSize(Width(), Height()); }
    CPoint TopLeft() const { return CPoint(left, top); }
    CPoint BottomRight() const { return CPoint(right, bottom); }
    CPoint CenterPoint() const { return CPoint((left + right) / 2, (top + bottom) / 2); }
    BOOL IsRectEmpty() const { return left >= right || top >= bottom; }
    BOOL PtInRect(POINT point) const { return ::PtInRect(this, point); }
    void SetRect(int l, int t, int r, int b) { left = l, top = t, right = r, bottom = b; }
    void OffsetRect(int dx, int dy) { left += dx, right += dx, top += dy, bottom += dy; }
    void InflateRect(int dx, int dy) { left -= dx, right += dx, top -= dy, bottom += dy; }
    void DeflateRect(int dx, int dy) { InflateRect(-dx, -dy); }

    operator LPRECT() { return this; }
    operator LPCRECT() const { return this; }
    BOOL operator==(const RECT& rect) const {
        return left == rect.left && top == rect.top && right == rect.right && bottom == rect.bottom;
    }
    BOOL operator!=(const RECT& rect) const { return !(*this == rect); }
};
