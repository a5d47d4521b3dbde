// Picture files coming into the document, and the decoder behind the picture cache.
#include "common/file_names.h"
#include "model/document.h"
#include "platform/pictures/pictures.h"

namespace tolvane {

TYKAoggetto* TYKAset::AddPictureFile(const std::string& path) {
  const std::string ext = AnsiLowerCase(ExtractFileExt(path));
  bool known = false;
  for (const char* e : {".bmp", ".gif", ".jpeg", ".jpg", ".wmf", ".emf", ".png"}) known = known || ext == e;
  if (!known) return nullptr;
  FileSystem& fs = platform_.files;
  std::string source = path, converted;
  if (ext == ".bmp") {
    // Web pages cannot show BMP: it comes in as GIF, or as JPEG when GIF fails.
    const std::string stem = ChangeFileExt(ExtractFileName(path), "");
    converted = UniqueWorkingFileName(stem + ".gif");
    if (!ConvertBmpToGif(path, converted, fs)) {
      converted = UniqueWorkingFileName(stem + ".jpg");
      if (!ConvertBmpToJpeg(path, converted, fs)) return nullptr;
    }
    source = converted;
  }
  TYKAoggetto* picture = nullptr;
  if (auto info = ReadPictureInfo(source, fs)) picture = AddPicture(source, info->transparent, info->height, info->width);
  if (!converted.empty()) fs.Remove(converted);
  return picture;
}

PictureLoader DefaultPictureLoader(FileSystem& fs) {
  return [&fs](const std::string& path) -> std::unique_ptr<TYKApicture> {
    auto bitmap = DecodePicture(path, fs);
    if (!bitmap) return nullptr;
    auto picture = std::make_unique<TYKApicture>();
    picture->ImageNameL = path;
    picture->width = bitmap->width;
    picture->height = bitmap->height;
    picture->bitmap = std::move(*bitmap);
    return picture;
  };
}

}  // namespace tolvane
