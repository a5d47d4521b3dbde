// bench_markup [--quick]
//
// Reads a 10 MB page text into paragraphs and writes it back, with the
// fixed-metrics measurer, and reports MB/s for each direction next to a plain
// scan of the same bytes for '<'. Every measure runs several rounds in one
// process, after a warm-up round, so that first-touch allocation is not what
// is measured; the median is reported. Two texts: prose (mostly characters,
// as pages are) and dense generated markup (every tag and parameter).
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "markup_generator.h"
#include "stand_in_object.h"
#include "model/document.h"
#include "platform/fakes/fake_platform.h"
#include "platform/fakes/fake_text_measurer.h"
#include "platform/fakes/silent_messages.h"
#include "richtext/document_markup_host.h"
#include "richtext/text_reader.h"

using namespace tolvane;

namespace {

constexpr int kRounds = 7;
constexpr double kParseTarget = 50, kWriteTarget = 150;

// `prepare` runs untimed before each round.
template <class F, class P>
double MedianSeconds(F&& f, P&& prepare) {
  prepare();
  f();  // warm-up: the memory the rounds use is touched once
  std::vector<double> t;
  for (int i = 0; i < kRounds; ++i) {
    prepare();
    auto start = std::chrono::steady_clock::now();
    f();
    t.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(t.begin(), t.end());
  return t[t.size() / 2];
}

struct Result {
  double scan, parse, write;
  size_t paragraphs;
  bool exact;
};

Result Time(const std::string& text, MarkupHost& host) {
  Result r{};
  volatile size_t sink = 0;
  r.scan = MedianSeconds([&] {
    size_t n = 0;
    for (const char* p = text.data(); (p = static_cast<const char*>(std::memchr(p, '<', text.data() + text.size() - p)));
         ++p)
      ++n;
    sink = n;
  }, [] {});
  TextParagraphs parsed;
  r.parse = MedianSeconds([&] { ReadParagraphs(parsed.paragraphs, text, kOwnText, host); },
                          [&] { parsed = TextParagraphs(); });
  std::string out;
  r.write = MedianSeconds(
      [&] {
        for (const auto& p : parsed.paragraphs) WriteWholeParagraph(*p, out);
        out += '\0';
      },
      [&] { out.clear(); });
  (void)sink;
  r.paragraphs = parsed.paragraphs.size();
  r.exact = out == text;
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  // Freed memory stays with the allocator, so that each round reuses pages
  // the warm-up touched instead of taking fresh ones from the system.
  mallopt(M_MMAP_THRESHOLD, 1 << 30);
  mallopt(M_TRIM_THRESHOLD, -1);
  const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
  const size_t bytes = quick ? (1u << 20) : 10u * 1000 * 1000;
  FakePlatform fake;
  TYKAset doc(fake.platform());
  doc.New();
  FakeTextMeasurer measurer;
  SilentMessages messages(Answer::No);
  std::vector<testing::StandInObject> objects = {{0, 40, 20}, {1, 40, 20}, {2, 40, 20}};
  DocumentMarkupHost host(doc, measurer, messages, [&](int32_t n) -> MarkupObject* {
    return n >= 0 && n < 3 ? &objects[static_cast<size_t>(n)] : nullptr;
  });
  std::vector<const TYKAoggetto*> styles = {doc.ObjectAt(stileParagrafo, 0), doc.ObjectAt(stileParagrafo, 1)};
  testing::MarkupGenerator prose(1, styles, {0, 1, 2}), dense(2, styles, {0, 1, 2});
  struct Corpus {
    const char* name;
    std::string text;
  } corpora[] = {{"prose", prose.Prose(bytes)}, {"dense", dense.Text(bytes)}};

  std::printf("%-6s %9s %11s %10s %10s %10s %8s %8s %s\n", "text", "MB", "paragraphs", "scan MB/s", "parse MB/s",
              "write MB/s", "parse", "write", "round trip");
  bool met = true;
  for (const auto& c : corpora) {
    Result r = Time(c.text, host);
    const double mb = static_cast<double>(c.text.size()) / 1e6;
    const double parse = mb / r.parse, write = mb / r.write;
    const bool ok = parse >= kParseTarget && write >= kWriteTarget;
    met = met && ok;
    std::printf("%-6s %9.2f %11zu %10.0f %10.1f %10.1f %7.1f%% %7.1f%% %s\n", c.name, mb, r.paragraphs, mb / r.scan,
                parse, write, 100 * parse / (mb / r.scan), 100 * write / (mb / r.scan), r.exact ? "exact" : "DIFFERS");
  }
  std::printf("targets: parse >= %.0f MB/s, write >= %.0f MB/s: %s\n", kParseTarget, kWriteTarget,
              met ? "met" : "NOT met");
  return 0;
}
