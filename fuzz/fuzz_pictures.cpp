// Arbitrary bytes as a picture file: reading its size and decoding it must
// never crash, and a decoded picture always has the size its header gave.
#include <cstdint>
#include <cstdlib>

#include "platform/pictures/pictures.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto info = tolvane::ReadPictureInfoBytes(data, size);
  auto bitmap = tolvane::DecodePictureBytes(data, size);
  if (bitmap) {
    if (!info || bitmap->width != info->width || bitmap->height != info->height ||
        bitmap->pixels.size() != static_cast<size_t>(bitmap->width) * static_cast<size_t>(bitmap->height))
      std::abort();
  }
  return 0;
}
