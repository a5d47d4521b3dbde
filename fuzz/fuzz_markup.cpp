// Any byte string read as a page text must give paragraphs without reading
// past the data, and whatever the writer makes of them must read back to
// itself once normalised. The stored and working forms are patched in place
// whatever the text holds.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "markup_fuzz_host.h"
#include "richtext/markup_forms.h"
#include "richtext/markup_writer.h"
#include "richtext/text_reader.h"

using namespace tolvane;

namespace {

struct AnyWorkingCopy : WorkingFormHost {
  uint32_t next = 0;
  bool IsLiveObject(uint32_t id) override { return (id & 1) != 0; }
  uint32_t AddLinkCopy(uint32_t) override { return next++; }
  uint32_t AddEmbeddedCopy(uint32_t) override { return next++; }
};

struct AnyCommit : StoredFormHost {
  std::optional<uint32_t> CommitLink(uint32_t position) override {
    return position % 3 ? std::optional<uint32_t>(0x01000000u | position) : std::nullopt;
  }
  std::optional<uint32_t> CommitEmbedded(uint32_t number) override {
    return number % 3 ? std::optional<uint32_t>(((number % 2 ? 8u : 11u) << 24) | number) : std::nullopt;
  }
};

void Check(bool ok) {
  if (!ok) std::abort();
}

std::string WriteAll(const std::vector<std::unique_ptr<TYKAparag>>& paragraphs) {
  std::string out;
  for (const auto& p : paragraphs) WriteWholeParagraph(*p, out, kWriteFull);
  return out + '\0';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static MarkupFuzzHost* const h = new MarkupFuzzHost;
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  std::vector<std::unique_ptr<TYKAparag>> read;
  ReadParagraphs(read, text, kOwnText, h->host);
  for (const auto& p : read) {
    Check(p->cells.size() == p->text.size() + 1);
    for (const auto& c : p->cells) {
      Check(c.font < static_cast<int32_t>(p->fonts.size()));
      Check(c.object < static_cast<int32_t>(p->objects.size()));
    }
    // Every mode and a range taken from the input.
    const int n = static_cast<int>(p->text.size());
    const int start = n ? static_cast<int>(size % static_cast<size_t>(n + 1)) : 0;
    for (int mode = 0; mode <= 3; ++mode) {
      std::string part;
      WriteParagraph(*p, part, mode, start, -1);
      WriteParagraph(*p, part, mode, 0, start);
    }
  }

  const std::string once = WriteAll(read);
  std::vector<std::unique_ptr<TYKAparag>> again, third;
  ReadParagraphs(again, once, kOwnText, h->host);
  const std::string twice = WriteAll(again);
  ReadParagraphs(third, twice, kOwnText, h->host);
  // The stand-in table keeps the cells it read last: a text that places it
  // twice (which a page never does: a control stands once) cannot settle.
  size_t tables = 0;
  for (size_t p = twice.find("<$FF000003>"); p != std::string::npos; p = twice.find("<$FF000003>", p + 1)) ++tables;
  if (tables <= 1) Check(WriteAll(third) == twice);

  AnyWorkingCopy copy;
  std::string working = ToWorkingForm(std::string(text), copy);
  Check(working.size() >= text.size() && working.back() == '\0');
  AnyCommit commit;
  const size_t before = working.size();
  ToStoredForm(working, commit);
  Check(working.size() == before);
  return 0;
}
