// A canvas that draws nothing and writes down every call as a line of a
// display list, in device coordinates and cut to the clip, so tests can say
// what was painted: "fill 0,0 100x50 #F0F0F0", "picture 10,10 32x32 (4x4)",
// "text 12,24 Arial/10 \"Hello\"". Calls wholly outside the clip are not listed.
#pragma once

#include <string>
#include <vector>

#include "platform/canvas.h"

namespace tolvane {

class RecordingCanvas : public Canvas {
 public:
  explicit RecordingCanvas(Rect device = Rect::Sized(0, 0, 100000, 100000)) { state_.Reset(device); }

  void Save() override { state_.Save(); }
  void Restore() override { state_.Restore(); }
  void Translate(int dx, int dy) override { state_.Translate(dx, dy); }
  void Clip(const Rect& r) override { state_.Clip(r); }
  Rect ClipRect() const override { return state_.LocalClip(); }

  void FillRect(const Rect& r, Colour colour) override;
  void FrameRect(const Rect& r, Colour colour, PenStyle style) override;
  void Line(Point from, Point to, Colour colour, PenStyle style) override;
  void DrawPicture(const Bitmap& picture, Point at) override;
  void DrawPictureScaled(const Bitmap& picture, const Rect& target) override;
  void DrawText(Point baseline, const FontSpec& font, std::string_view text) override;

  const std::vector<std::string>& calls() const { return calls_; }
  std::string Text() const;  // one call per line
  void Clear() { calls_.clear(); }

 private:
  // `r` in device coordinates, cut to the clip; empty when nothing shows.
  Rect Visible(const Rect& local) const { return local.Offset(state_.Origin()).Intersect(state_.DeviceClip()); }
  CanvasState state_;
  std::vector<std::string> calls_;
};

std::string ColourText(Colour colour);  // "#RRGGBB"

}  // namespace tolvane
