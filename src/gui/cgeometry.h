#pragma once

#include "gui/vstguibase.h"

namespace VSTGUI {

struct CPoint {
    CPoint(CCoord x = 0, CCoord y = 0) : x(x), y(y) {}

    CPoint& offset(CCoord dx, CCoord dy) {
        x += dx;
        y += dy;
        return *this;
    }
    bool operator==(const CPoint& other) const { return x == other.x && y == other.y; }
    bool operator!=(const CPoint& other) const { return !(*this == other); }

    CCoord x;
    CCoord y;
};

// A rectangle in the coordinates of the view's parent: left and top inside,
// right and bottom one past the last pixel, as drawing counts them.
struct CRect {
    CRect(CCoord left = 0, CCoord top = 0, CCoord right = 0, CCoord bottom = 0)
        : left(left), top(top), right(right), bottom(bottom) {}
    // A rectangle from its top-left corner and its size.
    CRect(const CPoint& origin, const CPoint& size)
        : left(origin.x), top(origin.y), right(origin.x + size.x), bottom(origin.y + size.y) {}

    CCoord getWidth() const { return right - left; }
    CCoord getHeight() const { return bottom - top; }
    CPoint getTopLeft() const { return CPoint(left, top); }
    CPoint getSize() const { return CPoint(getWidth(), getHeight()); }
    bool isEmpty() const { return right <= left || bottom <= top; }

    CRect& offset(CCoord dx, CCoord dy) {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
        return *this;
    }
    // Moves the rectangle so that its top-left corner is at (x, y).
    CRect& moveTo(CCoord x, CCoord y) { return offset(x - left, y - top); }
    CRect& setWidth(CCoord width) {
        right = left + width;
        return *this;
    }
    CRect& setHeight(CCoord height) {
        bottom = top + height;
        return *this;
    }
    // True when the point lies inside; right and bottom are outside, so that
    // side-by-side views never both claim a pixel.
    bool pointInside(const CPoint& p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    // The overlap of both rectangles (empty when they do not meet).
    CRect& bound(const CRect& other);

    bool operator==(const CRect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    bool operator!=(const CRect& o) const { return !(*this == o); }

    CCoord left;
    CCoord top;
    CCoord right;
    CCoord bottom;
};

inline CRect& CRect::bound(const CRect& o) {
    if (left < o.left)
        left = o.left;
    if (top < o.top)
        top = o.top;
    if (right > o.right)
        right = o.right;
    if (bottom > o.bottom)
        bottom = o.bottom;
    if (right < left)
        right = left;
    if (bottom < top)
        bottom = top;
    return *this;
}

} // namespace VSTGUI
