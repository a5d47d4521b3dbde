// A loaded picture as the model sees it. Decoding lives behind PictureLoader so
// the codecs can be supplied by the layer that has them.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/bitmap.h"

namespace tolvane {

class FileSystem;

struct TYKApicture {
  std::string ImageNameL;  // the file it was loaded from
  int width = 0;
  int height = 0;
  Bitmap bitmap;
};

// Loads a picture file; nothing when it cannot be read or decoded.
using PictureLoader = std::function<std::unique_ptr<TYKApicture>(const std::string& path)>;

// Decodes GIF, JPEG, PNG and BMP files with the picture codecs.
PictureLoader DefaultPictureLoader(FileSystem& fs);

}  // namespace tolvane
