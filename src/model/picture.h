// A loaded picture as the model sees it. Decoding lives behind PictureLoader so
// the codecs can be supplied by the layer that has them.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace tolvane {

struct TYKApicture {
  std::string ImageNameL;  // the file it was loaded from
  int width = 0;
  int height = 0;
};

// Loads a picture file; nothing when it cannot be read or decoded.
using PictureLoader = std::function<std::unique_ptr<TYKApicture>(const std::string& path)>;

}  // namespace tolvane
