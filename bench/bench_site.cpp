#include "bench_site.h"

#include <random>

#include "common/hex_id.h"
#include "model/object.h"
#include "platform/pictures/pictures.h"

namespace tolvane::bench {
namespace {

std::string Tag(int32_t id) { return "<$" + AnsiLowerCase(HexDigits(static_cast<uint32_t>(id), 8)) + ">"; }

const char* kWords[] = {"la ",      "voile ",   "du ",     "bateau ", "glisse ", "sur ",     "l'eau ",  "calme ",
                        "pendant ", "que ",     "le ",     "vent ",   "tourne ", "autour ", "du ",      "cap ",
                        "et ",      "des ",     "phares ", "veillent ", "caf\xE9 ", "d\xE9j\xE0 ", "o\xF9 ", "l\xE0 "};

}  // namespace

bool BuildGeneratedSite(TYKAset& doc, const std::filesystem::path& folder, int pageCount, int pictureCount,
                        GeneratedSite& site) {
  std::error_code ec;
  std::filesystem::create_directories(folder / "pictures", ec);
  doc.New();
  doc.SetExpPrefix("bench");
  std::mt19937 rng(11);
  std::vector<TYKAoggetto*> placed;
  for (int i = 0; i < pictureCount; ++i) {
    Bitmap b{24 + i % 16, 16 + i % 8, {}};
    b.pixels.assign(static_cast<size_t>(b.width * b.height), 0xFF000000u | static_cast<uint32_t>(rng() & 0xFFFFFF));
    const std::string path = (folder / "pictures" / ("p" + std::to_string(i) + ".gif")).string();
    if (!WriteGif(b, path)) return false;
    TYKAoggetto* picture = doc.AddPictureFile(path);
    if (!picture) return false;
    placed.push_back(doc.AddImmagineNew(picture));
  }
  for (int s = 0; s < 3; ++s) doc.CreateObject(stileParagrafo);
  for (int i = 0; i < pageCount; ++i) site.pages.push_back(doc.CreatePage());
  for (int i = 0; i < pageCount; ++i) {
    std::string m;
    const int paragraphs = 4 + static_cast<int>(rng() % 8);
    for (int p = 0; p < paragraphs; ++p) {
      m += "<Z S" + std::to_string(rng() % 5) + " >";
      const int words = 20 + static_cast<int>(rng() % 60);
      for (int w = 0; w < words; ++w) {
        const unsigned r = rng() % 100;
        if (r < 3) m += "<Y y1 >" + std::string(kWords[rng() % 24]) + "<Y >";
        else if (r < 5) m += "<Y y2 >" + std::string(kWords[rng() % 24]) + "<Y >";
        else if (r < 8) m += Tag(site.pages[rng() % site.pages.size()]->ObjectId()) + kWords[rng() % 24] + "<%>";
        else m += kWords[rng() % 24];
      }
      if (p == 1 && i % 3 == 0) m += Tag(placed[rng() % placed.size()]->ObjectId());
    }
    m += '\0';
    site.markupBytes += m.size();
    site.pages[static_cast<size_t>(i)]->SetCaption("Page " + std::to_string(i));
    site.pages[static_cast<size_t>(i)]->SetContentText(m);
  }
  return true;
}

}  // namespace tolvane::bench
