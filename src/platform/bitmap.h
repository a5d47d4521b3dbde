// A decoded picture in memory: what the codecs produce and consume, and what a
// canvas draws.
#pragma once

#include <cstdint>
#include <vector>

namespace tolvane {

struct Bitmap {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // row-major, top row first, 0xAARRGGBB, not premultiplied
};

}  // namespace tolvane
