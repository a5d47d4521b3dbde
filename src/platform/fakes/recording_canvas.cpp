#include "platform/fakes/recording_canvas.h"

#include <cstdio>

namespace tolvane {

std::string ColourText(Colour colour) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02X%02X%02X", colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
  return buf;
}

namespace {
const char* StyleText(PenStyle s) { return s == PenStyle::Dotted ? " dotted" : ""; }
}  // namespace

void RecordingCanvas::FillRect(const Rect& r, Colour colour) {
  Rect v = Visible(r);
  if (!v.Empty()) calls_.push_back("fill " + v.ToString() + " " + ColourText(colour));
}

void RecordingCanvas::FrameRect(const Rect& r, Colour colour, PenStyle style) {
  if (Visible(r).Empty()) return;
  calls_.push_back("frame " + r.Offset(state_.Origin()).ToString() + " " + ColourText(colour) + StyleText(style));
}

void RecordingCanvas::Line(Point from, Point to, Colour colour, PenStyle style) {
  Point o = state_.Origin();
  Rect box{std::min(from.x, to.x), std::min(from.y, to.y), std::max(from.x, to.x) + 1, std::max(from.y, to.y) + 1};
  if (Visible(box).Empty()) return;
  calls_.push_back("line " + std::to_string(from.x + o.x) + "," + std::to_string(from.y + o.y) + " " +
                   std::to_string(to.x + o.x) + "," + std::to_string(to.y + o.y) + " " + ColourText(colour) +
                   StyleText(style));
}

void RecordingCanvas::DrawPicture(const Bitmap& picture, Point at) {
  Rect whole = Rect::Sized(at.x, at.y, picture.width, picture.height);
  Rect v = Visible(whole);
  if (v.Empty()) return;
  calls_.push_back("picture " + whole.Offset(state_.Origin()).ToString() + " clip " + v.ToString());
}

void RecordingCanvas::DrawPictureScaled(const Bitmap& picture, const Rect& target) {
  Rect v = Visible(target);
  if (v.Empty()) return;
  calls_.push_back("scaled " + target.Offset(state_.Origin()).ToString() + " (" + std::to_string(picture.width) + "x" +
                   std::to_string(picture.height) + ") clip " + v.ToString());
}

void RecordingCanvas::DrawText(Point baseline, const FontSpec& font, std::string_view text) {
  Point o = state_.Origin();
  if (!state_.DeviceClip().Contains({baseline.x + o.x, baseline.y + o.y - 1}) &&
      Visible(Rect::Sized(baseline.x, baseline.y - font.size, 1 << 20, font.size * 2)).Empty())
    return;
  calls_.push_back("text " + std::to_string(baseline.x + o.x) + "," + std::to_string(baseline.y + o.y) + " " +
                   font.face + "/" + std::to_string(font.size) + " \"" + std::string(text) + "\"");
}

std::string RecordingCanvas::Text() const {
  std::string out;
  for (const auto& c : calls_) out += c + "\n";
  return out;
}

}  // namespace tolvane
