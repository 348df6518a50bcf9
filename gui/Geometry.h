// The two geometry types of the toolkit: a point and a rectangle given by two
// corners. A control of width w at x spans x1 = x, x2 = x + w, so widths are
// plain differences and an empty rectangle has equal corners.
#pragma once

#include <cstdint>

namespace kvor::math::geom {

template <typename T, int N> struct Point;

template <typename T> struct Point<T, 2> {
    T x;
    T y;

    bool operator==(const Point& other) const { return x == other.x && y == other.y; }
    bool operator!=(const Point& other) const { return !(*this == other); }
};

template <typename T, int N> struct Rectangle;

template <typename T> struct Rectangle<T, 2> {
    T x1;
    T y1;
    T x2;
    T y2;

    T Width() const { return x2 - x1; }
    T Height() const { return y2 - y1; }
    // Both corners count as inside, as the toolkit's pointer tests expect.
    bool ContainsInclusive(T x, T y) const { return x >= x1 && x <= x2 && y >= y1 && y <= y2; }

    bool operator==(const Rectangle& other) const
    {
        return x1 == other.x1 && y1 == other.y1 && x2 == other.x2 && y2 == other.y2;
    }
    bool operator!=(const Rectangle& other) const { return !(*this == other); }
};

static_assert(sizeof(Point<int, 2>) == 8, "a point is two 32-bit integers");
static_assert(sizeof(Rectangle<int, 2>) == 16, "a rectangle is four 32-bit integers");

}  // namespace kvor::math::geom
