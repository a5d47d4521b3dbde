// The object clipboard stream: a picture resource or a placed image with the
// links and pictures it needs, as the picture copy command puts it on the
// clipboard, and the reader that takes it apart again.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "model/object.h"

namespace tolvane {

// Writes the clip of a picture resource (kind 5) or a placed image (kind 16).
// Any other object shows "Allowed only for immagine" and gives false.
bool SaveObjectClip(TYKAoggetto& source, Bytes& out);

struct ObjectClip {
  struct Linked {
    int32_t secondWorkValue;
    std::unique_ptr<TYKAoggetto> object;
  };
  std::vector<Linked> linked;                           // special and address links
  std::vector<std::unique_ptr<TYKAoggetto>> pictures;   // picture resources
  std::vector<std::unique_ptr<TYKAoggetto>> placed;     // placed images
  std::string markup;                                   // the text that shows the first placed image
};

// Reads a clip; nothing when the stream is damaged. The objects are unregistered.
std::optional<ObjectClip> ReadObjectClip(const Bytes& stream, TYKAset* document);

}  // namespace tolvane
