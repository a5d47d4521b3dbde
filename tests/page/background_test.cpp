#include <gtest/gtest.h>

#include "page/background.h"
#include "platform/fakes/recording_canvas.h"

namespace tolvane {
namespace {

Bitmap Picture(int w, int h) { return Bitmap{w, h, std::vector<uint32_t>(static_cast<size_t>(w * h), 0xFF000000u)}; }

// The background of a 200 x 1000 page scrolled through a 100 x 50 window.
struct Page {
  Page(BackgroundPicture picture, int32_t mode) : background(0xF0F0F0, picture, mode) {
    window.SetBounds(Rect::Sized(0, 0, 100, 50));
    window.SetContentSize(200, 1000);
    background.SetParent(&window);
    background.SetBounds(Rect::Sized(0, 0, 200, 1000));
  }
  std::string Paint(Point scroll = {0, 0}) {
    window.ScrollTo(scroll);
    background.SetViewOrigin(scroll);
    RecordingCanvas canvas;
    window.PaintTree(canvas, window.ClientRect());
    return canvas.Text();
  }
  TYKAsfondo background;  // declared first: the window goes first and lets it go
  ScrollBox window;
};

TEST(Background, TilesFromTheClipsMultiplesOfTheTileSize) {
  auto tile = std::make_shared<const Bitmap>(Picture(40, 30));
  Page page({tile, 40, 30, true}, 0);
  EXPECT_EQ(page.Paint(),
            "picture 0,0 40x30 clip 0,0 40x30\npicture 40,0 40x30 clip 40,0 40x30\n"
            "picture 80,0 40x30 clip 80,0 20x30\n"
            "picture 0,30 40x30 clip 0,30 40x20\npicture 40,30 40x30 clip 40,30 40x20\n"
            "picture 80,30 40x30 clip 80,30 20x20\n");
  // Scrolled down by 45: the tiles move with the text, starting at row 30.
  EXPECT_EQ(page.Paint({0, 45}).rfind("picture 0,-15 40x30 clip 0,0 40x15\n", 0), 0u);
}

TEST(Background, ModesColourAndEmptyPictures) {
  auto tile = std::make_shared<const Bitmap>(Picture(40, 30));
  // Fixed: the tiles stay where the window is, whatever the scrolling.
  Page fixed({tile, 40, 30, true}, background_mode::kFixed);
  EXPECT_EQ(fixed.Paint({0, 45}), fixed.Paint({0, 0}));
  // Drawn once: the colour everywhere, the picture once at the top.
  Page once({tile, 40, 30, true}, background_mode::kDrawnOnce);
  EXPECT_EQ(once.Paint(), "fill 0,0 100x50 #F0F0F0\npicture 0,0 40x30 clip 0,0 40x30\n");
  EXPECT_EQ(once.Paint({0, 45}), "fill 0,0 100x50 #F0F0F0\n");  // scrolled away
  Page onceFixed({tile, 40, 30, true}, background_mode::kFixed | background_mode::kDrawnOnce);
  EXPECT_EQ(onceFixed.Paint({0, 45}), "fill 0,0 100x50 #F0F0F0\npicture 0,0 40x30 clip 0,0 40x30\n");
  // A transparent picture shows the colour through; a stored size of 0
  // draws no tiles, only the colour; so does no picture at all.
  Page clear({tile, 40, 30, false}, -1);
  EXPECT_EQ(clear.Paint().substr(0, 24), "fill 0,0 100x50 #F0F0F0\n");
  Page empty({tile, 0, 0, true}, 0);
  EXPECT_EQ(empty.Paint(), "fill 0,0 100x50 #F0F0F0\n");
  Page none({}, 0);
  EXPECT_EQ(none.Paint(), "fill 0,0 100x50 #F0F0F0\n");
  // A stored size other than the picture's own scales each tile to it.
  Page scaled({tile, 100, 50, true}, 0);
  EXPECT_EQ(scaled.Paint(), "scaled 0,0 100x50 (40x30) clip 0,0 100x50\n");
}

}  // namespace
}  // namespace tolvane
