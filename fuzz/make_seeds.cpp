// make_fuzz_seeds FOLDER: writes a starting corpus for fuzz_open. Most seeds
// are small documents built and saved through the model, so they follow the
// writer wherever it goes; a few are rewritten by hand into shapes the writer
// never makes (a version-1 file with short records, truncated files).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/hex_id.h"
#include "model/document.h"
#include "platform/pictures/pictures.h"
#include "platform/fakes/fake_platform.h"
#include "markup_generator.h"

using namespace tolvane;

namespace {

// A 1x1 GIF: the model only stores the bytes, but a real picture keeps the seed honest.
const Bytes kTinyGif = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, 0x01, 0x00, 0x80, 0x00, 0x00, 0xFF, 0xFF,
                        0xFF, 0x00, 0x00, 0x00, 0x21, 0xF9, 0x04, 0x01, 0x00, 0x00, 0x00, 0x00, 0x2C, 0x00, 0x00,
                        0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x02, 0x02, 0x44, 0x01, 0x00, 0x3B};

std::string Tag(const TYKAoggetto* o) { return "<$" + IdToHex(o->ObjectId()) + ">"; }

struct Parts {
  bool pages = false;
  bool links = false;
  bool pictures = false;
  bool legacyKinds = false;  // zipLink and mappaClic, which version-1 files still hold
};

struct Built {
  std::vector<TYKAtesto*> pages;
};

void AddPages(TYKAset& doc, Built& b) {
  // Four pages, the third deleted again: the file then has a free slot between pages in use.
  const char* const names[] = {"home", "news", "gone", "contact"};
  for (const char* name : names) {
    TYKAtesto* page = doc.CreatePage();
    page->SetCaption(std::string("Page ") + name);
    page->SetPageName(name);
    b.pages.push_back(page);
  }
  TYKAtesto* gone = b.pages[2];
  b.pages[0]->SetContentText("<Z S0 >Welcome.<Z S0 >Read the " + Tag(b.pages[1]) + "news or go " + Tag(gone) +
                             "nowhere.");
  b.pages[1]->SetContentText("<Z S0 >Nothing new<Z S0 >today.");
  b.pages[3]->SetContentText("<Z S0 >Write to us.");
  b.pages[0]->WriteAttribute("name", "home");
  b.pages[0]->WriteAttribute("description", "The first page\r\nof three");
  b.pages[1]->WriteAttribute("onclick", "!RefL:" + IdToHex(b.pages[3]->ObjectId()));
  b.pages[3]->WriteAttribute("name", "contact");
  b.pages[0]->SetI32(page_rec::kFooterPage, b.pages[3]->ObjectId());
  b.pages[1]->SetI32(page_rec::kNextScene, b.pages[3]->ObjectId());
  doc.DeleteObject(gone);
  b.pages.erase(b.pages.begin() + 2);
  doc.header().SetI32(hdr::kCoverPage, b.pages[0]->ObjectId());
  doc.header().SetI32(hdr::kHeaderPage, b.pages[2]->ObjectId());
}

void AddLinks(TYKAset& doc, Built& b) {
  const char* const addresses[] = {"http://example.org/", "mailto:webmaster@example.org", "tolvane:news"};
  std::string markup = "<Z S0 >Elsewhere:";
  for (const char* address : addresses) {
    TYKAoggetto* link = doc.CreateObject(internetLink);
    link->SetCaption(address);
    markup += "<Z S0 >" + Tag(link) + address;
  }
  TYKAoggetto* file = doc.CreateObject(genLink);
  file->SetCaption("notes.txt");
  file->SetContentText("plain notes\r\n");
  markup += "<Z S0 >" + Tag(file) + "notes";
  TYKAoggetto* word = doc.CreateObject(keyword);
  word->SetCaption("travel");
  if (!b.pages.empty()) {
    b.pages[1]->SetContentText(markup);
    b.pages[1]->SetI32(page_rec::kKeywords, word->ObjectId());
  }
}

void AddPictures(TYKAset& doc, Built& b) {
  TYKAoggetto* picture = doc.CreateObject(immagine);
  picture->SetCaption("dot");
  picture->SetShortString(picture_rec::kFileName, picture_rec::kFileNameSize, "dot.gif");
  picture->SetI16(picture_rec::kWidth, 1);
  picture->SetI16(picture_rec::kHeight, 1);
  picture->SetContent(kTinyGif);

  const int32_t home = b.pages.empty() ? kNoObject : b.pages[0]->ObjectId();
  TYKAoggetto* jump = doc.CreateObject(speclink);
  jump->SetI32(speclink_rec::kTarget, home);

  // Map mode 254 carries 20 more record bytes in the attribute stream.
  TYKAoggetto* placed = doc.CreateObject(immagineNew);
  placed->SetI32(placed_rec::kMainPicture, picture->Slot());
  placed->SetI32(placed_rec::kSecondPicture, -1);
  placed->SetI32(placed_rec::kThirdPicture, -1);
  placed->SetU8(placed_rec::kMapMode, 254);
  placed->SetI16(placed_rec::kWidth, 1);
  placed->SetI16(placed_rec::kHeight, 1);
  placed->SetShortString(placed_rec::kName, placed_rec::kNameSize, "photo");
  placed->SetI32(placed_rec::kHotSpots, home);
  placed->SetI32(placed_rec::kHotSpots + placed_rec::kHotSpotSize, jump->ObjectId());
  placed->SetI32(placed_rec::kExtraLink, home);
  for (size_t i = 0; i < placed_rec::kExtendedSize; ++i)
    placed->SetU8(placed_rec::kExtendedStart + i, static_cast<uint8_t>(0xA0 + i));
  placed->WriteAttribute("name", "photo");
  placed->WriteAttribute("alt", "a dot");

  TYKAoggetto* bag = doc.CreateObject(dbloc);
  bag->SetCaption("contact");
  bag->WriteProperty("email", "webmaster@example.org");
  bag->WriteProperty("note", "two\r\nlines");
  bag->SetI32(dbloc_rec::kPicture, picture->ObjectId());
  bag->SetI32(dbloc_rec::kLinks[0], home);
  doc.WriteDocProperty("author", "seed");

  if (!b.pages.empty()) {
    b.pages[0]->SetContentText(std::string(b.pages[0]->Markup()) + "<Z S0 >" + Tag(placed));
    b.pages[2]->SetI32(page_rec::kBackgroundPicture, picture->Slot());
  }
  doc.header().SetI32(hdr::kBackgroundPicture, picture->Slot());
}

void AddLegacyKinds(TYKAset& doc, Built& b) {
  TYKAoggetto* archive = doc.CreateObject(zipLink);
  archive->SetCaption("old.zip");
  archive->SetContentText("PK not really");
  TYKAoggetto* map = doc.CreateObject(mappaClic);
  map->SetCaption("old map");
  map->SetShortString(picture_rec::kFileName, picture_rec::kFileNameSize, "map.gif");
  map->SetContent(kTinyGif);
  if (!b.pages.empty())
    b.pages[0]->SetContentText(std::string(b.pages[0]->Markup()) + "<Z S0 >" + Tag(archive) + Tag(map));
}

bool SaveDocument(FakePlatform& fake, const Parts& parts, const std::string& path) {
  TYKAset doc(fake.platform());
  doc.makeBackups = false;
  Built b;
  if (parts.pages) AddPages(doc, b);
  if (parts.links) AddLinks(doc, b);
  if (parts.pictures) AddPictures(doc, b);
  if (parts.legacyKinds) AddLegacyKinds(doc, b);
  std::filesystem::remove(path);
  if (doc.Save(path)) return true;
  std::fprintf(stderr, "make_fuzz_seeds: %s was not saved\n", path.c_str());
  for (const auto& e : doc.SaveErrors()) std::fprintf(stderr, "  %s\n", e.c_str());
  return false;
}

Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteAll(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

struct Layout {
  int lastKind = 0;
  size_t recordArea = 0;  // D
  uint32_t recordBytes = 0;  // E
  uint32_t Entry(const Bytes& f, int kind, int field) const {
    return GetU32(f.data(), hdr::kSize + 12 * static_cast<size_t>(kind) + 4 * static_cast<size_t>(field));
  }
};

Layout LayoutOf(const Bytes& f) {
  Layout l;
  l.lastKind = f[hdr::kLastKind];
  const size_t table = hdr::kSize + 12 * static_cast<size_t>(l.lastKind + 1);
  l.recordBytes = GetU32(f.data(), table);
  l.recordArea = table + 4;
  return l;
}

// The record sizes of the oldest files still read: each is cut just below
// the size that makes the reader upgrade it.
uint32_t Version1RecordSize(int kind, uint32_t size) {
  switch (kind) {
    case testoHtml: return std::min<uint32_t>(size, 242);
    case zipLink:
    case genLink: return std::min<uint32_t>(size, 92);
    case immagine:
    case mappaClic: return std::min<uint32_t>(size, 666);
    default: return size;
  }
}

// Rewrites a saved file as version 1 with kinds 0..8 only; the blob area is
// kept byte for byte, so the blob positions in the records stay right.
Bytes ToVersion1(const Bytes& f) {
  constexpr int kVersion1LastKind = 8;
  const Layout l = LayoutOf(f);
  Bytes head(f.begin(), f.begin() + hdr::kSize);
  PutU16(head.data(), hdr::kVersion, 1);
  head[hdr::kLastKind] = kVersion1LastKind;
  Bytes table, records;
  ByteWriter t(table);
  for (int k = 0; k <= kVersion1LastKind; ++k) {
    const uint32_t offset = l.Entry(f, k, 0), size = l.Entry(f, k, 1), count = l.Entry(f, k, 2);
    const uint32_t cut = Version1RecordSize(k, size);
    t.U32(static_cast<uint32_t>(records.size()));
    t.U32(cut);
    t.U32(count);
    for (uint32_t i = 0; i < count; ++i) {
      const uint8_t* r = f.data() + l.recordArea + offset + static_cast<size_t>(i) * size;
      records.insert(records.end(), r, r + cut);
    }
  }
  t.U32(static_cast<uint32_t>(records.size()));
  Bytes out = head;
  out.insert(out.end(), table.begin(), table.end());
  out.insert(out.end(), records.begin(), records.end());
  out.insert(out.end(), f.begin() + static_cast<std::ptrdiff_t>(l.recordArea + l.recordBytes), f.end());
  return out;
}

Bytes Prefix(const Bytes& f, size_t n) { return Bytes(f.begin(), f.begin() + static_cast<std::ptrdiff_t>(std::min(n, f.size()))); }

}  // namespace

// Small pictures of every format the codecs read, for the picture fuzzer.
int WritePictureSeeds(const std::filesystem::path& folder) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  Bitmap b{5, 3, {}};
  for (int i = 0; i < 15; ++i) b.pixels.push_back(0xFF000000u | static_cast<uint32_t>(i * 0x111111));
  b.pixels[2] = 0;  // a transparent pixel
  bool ok = WriteGif(b, (folder / "small.gif").string()) && WriteJpeg(b, (folder / "small.jpg").string());
  Bytes bmp;
  ByteWriter w(bmp);
  w.Text("BM");
  w.U32(14 + 40 + 8), w.U32(0), w.U32(54), w.U32(40), w.I32(2), w.I32(-1), w.U16(1), w.U16(24);
  w.U32(0), w.U32(8), w.I32(0), w.I32(0), w.U32(0), w.U32(0);
  w.Raw("\x01\x02\x03\x04\x05\x06\x00\x00", 8);
  Bytes wmf;
  ByteWriter m(wmf);
  m.U32(0x9AC6CDD7u), m.U16(0), m.U16(0), m.U16(0), m.U16(1440), m.U16(720), m.U16(1440), m.U32(0), m.U16(0);
  m.U16(1), m.U16(9), m.U16(0x300), m.U32(9), m.U16(0), m.U32(0), m.U16(0);
  for (auto& [name, bytes] : {std::pair<const char*, Bytes*>{"small.bmp", &bmp}, {"small.wmf", &wmf}}) {
    std::ofstream out(folder / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes->data()), static_cast<std::streamsize>(bytes->size()));
  }
  return ok ? 0 : 1;
}

// Page texts of every tag and parameter, from the generator the tests use,
// and a few hand-made damaged ones, for the markup fuzzer.
int WriteMarkupSeeds(const std::filesystem::path& folder) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  FakePlatform fake;
  TYKAset doc(fake.platform());
  doc.New();
  std::vector<const TYKAoggetto*> styles = {doc.ObjectAt(stileParagrafo, 0), doc.ObjectAt(stileParagrafo, 1)};
  std::vector<std::pair<std::string, std::string>> seeds;
  for (uint32_t seed = 1; seed <= 12; ++seed) {
    testing::MarkupGenerator gen(seed, styles, {0, 1, 2});
    seeds.emplace_back("generated-" + std::to_string(seed), gen.Text(200 + 300 * seed));
  }
  seeds.emplace_back("table", std::string("<Z S0 >a<$FF000003>x<T>y<T>b<$FF000003><@>c") + '\0');
  seeds.emplace_back("entities", "<Z S0 >&#1234;&copy;&xyz;&&amp;&notin;&#;&lt;&GT");
  seeds.emplace_back("truncated", "<Z S0 l1234567890123 F\"Arial s<Y c12345 >x<$0100");
  seeds.emplace_back("blocks", "<Z S1 >a<D>skip<$00000001><d>b<F>c<R>d<r>e");
  seeds.emplace_back("stored", "<Z S0 ><$01000003>x<%><$08000001><$0b000002><Y y1 >a<Y y1 >b");
  for (const auto& [name, text] : seeds) {
    std::ofstream out(folder / name, std::ios::binary);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
  }
  return 0;
}

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--pictures") return WritePictureSeeds(argv[2]);
  if (argc == 3 && std::string(argv[1]) == "--markup") return WriteMarkupSeeds(argv[2]);
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_fuzz_seeds FOLDER\n       make_fuzz_seeds --pictures FOLDER\n"
                 "       make_fuzz_seeds --markup FOLDER\n");
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (!std::filesystem::is_directory(folder)) {
    std::fprintf(stderr, "make_fuzz_seeds: cannot create %s\n", folder.c_str());
    return 1;
  }
  auto at = [&](const char* name) { return (folder / name).string(); };

  FakePlatform fake;
  struct Seed {
    const char* name;
    Parts parts;
  };
  const Seed seeds[] = {
      {"new.yka", {}},
      {"pages.yka", {.pages = true}},
      {"links.yka", {.pages = true, .links = true}},
      {"pictures.yka", {.pages = true, .pictures = true}},
      {"full.yka", {.pages = true, .links = true, .pictures = true}},
      {"legacy-kinds.yka", {.pages = true, .legacyKinds = true}},
  };
  int written = 0;
  for (const Seed& s : seeds) {
    if (!SaveDocument(fake, s.parts, at(s.name))) return 1;
    ++written;
  }

  const Bytes full = ReadAll(at("full.yka"));
  const Bytes legacy = ReadAll(at("legacy-kinds.yka"));
  const Layout l = LayoutOf(full);
  const size_t blobBase = l.recordArea + l.recordBytes;
  struct Variant {
    const char* name;
    Bytes bytes;
  };
  const Variant variants[] = {
      {"version1.yka", ToVersion1(legacy)},
      {"truncated-records.yka", Prefix(full, l.recordArea + l.recordBytes / 2)},
      {"truncated-blobs.yka", Prefix(full, blobBase + (full.size() - blobBase) / 2)},
  };
  for (const Variant& v : variants) {
    if (!WriteAll(at(v.name), v.bytes)) {
      std::fprintf(stderr, "make_fuzz_seeds: cannot write %s\n", at(v.name).c_str());
      return 1;
    }
    ++written;
  }
  std::printf("%d seeds in %s\n", written, folder.c_str());
  return 0;
}
