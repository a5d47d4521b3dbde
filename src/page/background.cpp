#include "page/background.h"

namespace tolvane {
namespace {

// The largest multiple of `step` (from `origin`) not past `v`.
int TileStart(int v, int origin, int step) {
  int d = v - origin;
  int q = d / step;
  if (d % step != 0 && d < 0) --q;
  return origin + q * step;
}

}  // namespace

void TYKAsfondo::SetViewOrigin(Point origin) {
  if (origin == view_) return;
  view_ = origin;
  if (mode_ & background_mode::kFixed) Invalidate();
}

void TYKAsfondo::Paint(Canvas& canvas) {
  const Rect clip = canvas.ClipRect();
  const BackgroundPicture& p = picture_;
  const bool tiles = p.bitmap && p.width > 0 && p.height > 0;
  const bool once = mode_ & background_mode::kDrawnOnce;
  if (!tiles || !p.opaque || once) canvas.FillRect(clip, colour_);
  if (!tiles) return;
  const Point origin = (mode_ & background_mode::kFixed) ? view_ : Point{0, 0};
  auto draw = [&](Point at) {
    if (p.bitmap->width == p.width && p.bitmap->height == p.height) canvas.DrawPicture(*p.bitmap, at);
    else canvas.DrawPictureScaled(*p.bitmap, Rect::Sized(at.x, at.y, p.width, p.height));
  };
  if (once) {
    draw(origin);
    return;
  }
  for (int y = TileStart(clip.top, origin.y, p.height); y < clip.bottom; y += p.height)
    for (int x = TileStart(clip.left, origin.x, p.width); x < clip.right; x += p.width) draw({x, y});
}

}  // namespace tolvane
