// Any byte string opened as a document must give a document or a clean refusal.
// A document that opened is then read through the way the editor reads it,
// saved, and opened again: what we wrote ourselves must always open, with the
// same slots and the same pages.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "model/document.h"
#include "platform/fakes/fake_platform.h"

using namespace tolvane;

namespace {

struct Scratch {
  std::string folder;
  std::string input;   // the fuzz input, rewritten for every run
  std::string saved;   // where the opened document is saved
};

void RemoveScratch();

// Never destroyed: the exit handler that removes the folder still needs it.
const Scratch& TheScratch() {
  static const Scratch* const scratch = [] {
    // tmpfs when there is one: every run saves and syncs.
    std::error_code ec;
    std::filesystem::path base = std::filesystem::is_directory("/dev/shm", ec)
                                     ? std::filesystem::path("/dev/shm")
                                     : std::filesystem::temp_directory_path();
    std::string folder = (base / ("tolvane-fuzz-" + std::to_string(::getpid()))).string();
    std::filesystem::remove_all(folder, ec);
    std::filesystem::create_directories(folder, ec);
    if (ec) {
      std::fprintf(stderr, "fuzz_open: cannot create %s\n", folder.c_str());
      std::abort();
    }
    auto* made = new Scratch{folder, folder + "/input.yka", folder + "/saved.yka"};
    std::atexit(RemoveScratch);
    return made;
  }();
  return *scratch;
}

void RemoveScratch() {
  std::error_code ec;
  std::filesystem::remove_all(TheScratch().folder, ec);
}

void WriteInput(const std::string& path, const uint8_t* data, size_t size) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  bool ok = fd >= 0;
  while (ok && size > 0) {
    ssize_t put = ::write(fd, data, size);
    ok = put > 0;
    if (ok) {
      data += put;
      size -= static_cast<size_t>(put);
    }
  }
  if (fd >= 0 && ::close(fd) != 0) ok = false;
  if (!ok) {
    std::fprintf(stderr, "fuzz_open: cannot write %s\n", path.c_str());
    std::abort();
  }
}

[[noreturn]] void Fault(const char* what, int kind = -1, int slot = -1) {
  std::fprintf(stderr, "fuzz_open: %s (kind %d, slot %d)\n", what, kind, slot);
  std::abort();
}

// Walks every object through the readers the editor uses on a loaded document.
void ReadThrough(TYKAset& doc) {
  const int32_t probes[] = {
      kNoObject,
      MakeObjectId(testoHtml, 0),
      MakeObjectId(testoHtml, 1),
      MakeObjectId(internetLink, 0),
      MakeObjectId(genLink, 0),
      MakeObjectId(keyword, 0),
      MakeObjectId(immagine, 0),
      MakeObjectId(speclink, 0),
      doc.header().I32(hdr::kProperties),
  };
  Bytes content;
  for (int kind = 0; kind <= kLastFileKind; ++kind) {
    for (int slot = 0; slot < doc.KindCount(kind); ++slot) {
      TYKAoggetto* o = doc.ObjectAt(kind, slot);
      if (!o) continue;
      if (o->Kind() != kind || o->Slot() != slot) Fault("object sits in the wrong list entry", kind, slot);
      (void)o->ObjectCaption();
      (void)o->ReadContent(content);
      (void)o->AttributeText();
      (void)o->ReadAttribute("name");
      for (int32_t id : probes) (void)o->FindReferences(id);
      (void)o->FindReferences(o->ObjectId());
    }
  }
  // These go through the property bag, which a hostile file may lack or mangle.
  (void)doc.CharSet();
  (void)doc.PasswordDigest();
}

Bytes ContentOf(const TYKAoggetto& o) {
  Bytes b;
  if (!o.ReadContent(b)) b.clear();
  return b;
}

// What we saved must open again with the same slots and the same pages.
void CheckRoundTrip(const TYKAset& saved, const TYKAset& reopened) {
  for (int kind = 0; kind <= kLastFileKind; ++kind)
    if (saved.KindCount(kind) != reopened.KindCount(kind)) Fault("slot count changed by a save", kind);
  for (int slot = 0; slot < saved.KindCount(testoHtml); ++slot) {
    const TYKAtesto* a = saved.Page(slot);
    const TYKAtesto* b = reopened.Page(slot);
    if (!a || !b) Fault("page entry lost by a save", testoHtml, slot);
    if (a->IsFree() != b->IsFree()) Fault("page state changed by a save", testoHtml, slot);
    if (a->IsFree()) continue;
    if (ContentOf(*a) != ContentOf(*b)) Fault("page markup changed by a save", testoHtml, slot);
    if (a->AttributeText() != b->AttributeText()) Fault("page attributes changed by a save", testoHtml, slot);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Scratch& scratch = TheScratch();
  WriteInput(scratch.input, data, size);

  FakePlatform fake;
  fake.system.temporary = scratch.folder;
  TYKAset doc(fake.platform());
  doc.makeBackups = false;
  if (!doc.Open(scratch.input)) return 0;

  ReadThrough(doc);
  if (!doc.Save(scratch.saved)) return 0;  // a refusal is fine, a crash is not

  TYKAset again(fake.platform());
  if (!again.Open(scratch.saved)) {
    std::fprintf(stderr, "fuzz_open: %s\n", again.OpenProblem().c_str());
    Fault("a document we saved does not open");
  }
  CheckRoundTrip(doc, again);
  ReadThrough(again);
  return 0;
}
