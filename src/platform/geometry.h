// Points and rectangles in integer pixels. A rectangle holds its left and
// top edges and reaches up to, not including, its right and bottom ones.
#pragma once

#include <algorithm>
#include <string>

namespace tolvane {

struct Point {
  int x = 0, y = 0;
  bool operator==(const Point&) const = default;
  Point operator+(Point o) const { return {x + o.x, y + o.y}; }
  Point operator-(Point o) const { return {x - o.x, y - o.y}; }
};

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  static Rect Sized(int x, int y, int w, int h) { return {x, y, x + w, y + h}; }
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool Empty() const { return right <= left || bottom <= top; }
  bool Contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  Rect Offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
  Rect Offset(Point d) const { return Offset(d.x, d.y); }
  Point TopLeft() const { return {left, top}; }
  Rect Intersect(const Rect& o) const {
    Rect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
    return r.Empty() ? Rect{} : r;
  }
  bool Intersects(const Rect& o) const { return !Intersect(o).Empty(); }
  // The smallest rectangle holding both; an empty one adds nothing.
  Rect Union(const Rect& o) const {
    if (Empty()) return o;
    if (o.Empty()) return *this;
    return {std::min(left, o.left), std::min(top, o.top), std::max(right, o.right), std::max(bottom, o.bottom)};
  }
  bool operator==(const Rect&) const = default;
  std::string ToString() const {
    return std::to_string(left) + "," + std::to_string(top) + " " + std::to_string(Width()) + "x" +
           std::to_string(Height());
  }
};

}  // namespace tolvane
