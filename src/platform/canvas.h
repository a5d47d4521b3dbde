// The drawing side of the platform: what controls paint with. Coordinates are
// those of the control being painted; the tree that paints them moves the
// origin and narrows the clip for each control (Save, Translate, Clip, Restore).
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/bitmap.h"
#include "platform/geometry.h"
#include "platform/text_measurer.h"

namespace tolvane {

// Colours with red in the low byte, as documents store them.
using Colour = uint32_t;

enum class PenStyle { Solid, Dotted };

class Canvas {
 public:
  virtual ~Canvas() = default;
  virtual void Save() = 0;
  virtual void Restore() = 0;
  virtual void Translate(int dx, int dy) = 0;
  // Narrows the clip to `r` (in current coordinates).
  virtual void Clip(const Rect& r) = 0;
  // The clip in current coordinates.
  virtual Rect ClipRect() const = 0;

  virtual void FillRect(const Rect& r, Colour colour) = 0;
  virtual void FrameRect(const Rect& r, Colour colour, PenStyle style = PenStyle::Solid) = 0;
  virtual void Line(Point from, Point to, Colour colour, PenStyle style = PenStyle::Solid) = 0;
  // The picture at its own size with its top-left corner at `at`.
  virtual void DrawPicture(const Bitmap& picture, Point at) = 0;
  // The picture scaled into `target`.
  virtual void DrawPictureScaled(const Bitmap& picture, const Rect& target) = 0;
  // A run of text with its baseline at y (bytes of the document's character set).
  virtual void DrawText(Point baseline, const FontSpec& font, std::string_view text) = 0;
};

// Origin and clip bookkeeping for canvases that do their own transforms.
class CanvasState {
 public:
  void Save() {
    if (depth_ < kDepth - 1) {
      stack_[depth_ + 1] = stack_[depth_];
      ++depth_;
    } else {
      ++overflow_;  // deeper than any tree we paint: kept balanced, not stored
    }
  }
  void Restore() {
    if (overflow_ > 0) --overflow_;
    else if (depth_ > 0) --depth_;
  }
  void Translate(int dx, int dy) { stack_[depth_].origin = stack_[depth_].origin + Point{dx, dy}; }
  void Clip(const Rect& r) { stack_[depth_].clip = stack_[depth_].clip.Intersect(r.Offset(stack_[depth_].origin)); }
  // In device coordinates.
  Point Origin() const { return stack_[depth_].origin; }
  Rect DeviceClip() const { return stack_[depth_].clip; }
  Rect LocalClip() const { return DeviceClip().Offset(-Origin().x, -Origin().y); }
  void Reset(const Rect& device) {
    depth_ = overflow_ = 0;
    stack_[0] = {{0, 0}, device};
  }

 private:
  struct Level {
    Point origin;
    Rect clip;
  };
  static constexpr int kDepth = 64;
  Level stack_[kDepth] = {};
  int depth_ = 0;
  int overflow_ = 0;
};

}  // namespace tolvane
