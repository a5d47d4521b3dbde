// The page's background: a colour, and a picture tiled over it (or drawn
// once), scrolling with the text or fixed in the window, as the page's
// background mode says. It lies behind everything else on the page.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/bitmap.h"
#include "platform/control.h"

namespace tolvane {

// Mask bits of the page's background mode; -1 counts as none set.
namespace background_mode {
constexpr int32_t kFixed = 1;     // the picture stays put while the page scrolls
constexpr int32_t kDrawnOnce = 2;  // one picture at the top left, not tiled
}  // namespace background_mode

struct BackgroundPicture {
  // The painter's own: the document's picture cache may let its copy go.
  std::shared_ptr<const Bitmap> bitmap;
  // The picture's stored size, which sets the tiles; 0 draws no tiles.
  int width = 0, height = 0;
  // Metafiles and transparent pictures let the colour show through.
  bool opaque = true;
};

class TYKAsfondo : public Control {
 public:
  TYKAsfondo(Colour colour, BackgroundPicture picture, int32_t mode)
      : colour_(colour), picture_(picture), mode_(mode < 0 ? 0 : mode) {}
  Colour BackgroundColour() const { return colour_; }
  int32_t Mode() const { return mode_; }
  // Where the window shows the page, in this control's coordinates: the
  // anchor of a fixed picture.
  void SetViewOrigin(Point origin);

 protected:
  void Paint(Canvas& canvas) override;

 private:
  Colour colour_;
  BackgroundPicture picture_;
  int32_t mode_;
  Point view_;
};

}  // namespace tolvane
