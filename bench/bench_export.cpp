// bench_export [--quick] [FOLDER]
//
// Exports a generated hypertext of 2,000 pages (paragraph styles, bold and
// italic runs, links between pages, 200 pictures placed on the pages) as a
// site and reports pages per second and output MB per second, next to three
// references measured in the same run:
//   pandoc, one call turning all the pages' text, given as one HTML
//     document, into one standalone HTML file (its start-up time, measured on
//     an empty document, is taken off: its throughput);
//   pandoc, 100 of the pages one call each (the per-page rate a script
//     calling it would see);
//   the floor: the same bytes written to the same number of files with a
//     plain loop.
// Targets: throughput >= 20x pandoc's one call, per-page rate >= 100x
// pandoc's one by one, time within 3x of the floor.
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench_site.h"
#include "convert/site_export.h"
#include "model/document.h"
#include "platform/fakes/silent_messages.h"
#include "platform/memory_settings.h"
#include "platform/pictures/pictures.h"

using namespace tolvane;
using bench::MedianSeconds;
using bench::Run;
using bench::Seconds;
namespace fs = std::filesystem;

int main(int argc, char** argv) {
  mallopt(M_MMAP_THRESHOLD, 1 << 30);
  mallopt(M_TRIM_THRESHOLD, -1);
  bool quick = false;
  fs::path folder = fs::temp_directory_path() / "tolvane-bench-export";
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--quick") == 0) quick = true;
    else folder = argv[i];
  }
  const int pageCount = quick ? 200 : 2000, pictureCount = quick ? 20 : 200;
  std::error_code ec;
  fs::remove_all(folder, ec);
  fs::create_directories(folder / "pictures", ec);

  bench::BenchPlatform platform;
  TYKAset doc(platform.Get());
  bench::GeneratedSite generated;
  if (!bench::BuildGeneratedSite(doc, folder, pageCount, pictureCount, generated)) return 1;
  const std::vector<TYKAtesto*>& pages = generated.pages;
  const size_t markupBytes = generated.markupBytes;
  std::vector<int32_t> ids;
  for (auto* p : pages) ids.push_back(p->ObjectId());

  // Our export, three rounds into fresh folders (the first also warms up).
  const std::string data = TOLVANE_DATA_DIR;
  int round = 0;
  std::vector<std::string> written;
  const double ours = MedianSeconds(3, [&] {
    const fs::path out = folder / ("site" + std::to_string(round++));
    TYKAtoHtml html(doc, HtmlExportOptions{}, data);
    html.SetExportPath(out.string());
    html.ExportPages(ids);
    written = html.WrittenFiles();
  });
  const fs::path site = folder / "site0";
  std::vector<std::string> contents;
  uintmax_t outputBytes = 0;
  for (const auto& f : written) {
    std::ifstream in(site / f, std::ios::binary);
    contents.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    outputBytes += contents.back().size();
  }

  // The floor: the same bytes to as many files, with a plain loop.
  int floorRound = 0;
  const double floor = MedianSeconds(3, [&] {
    const fs::path out = folder / ("floor" + std::to_string(floorRound++));
    fs::create_directories(out, ec);
    for (size_t i = 0; i < contents.size(); ++i) {
      std::ofstream o(out / ("f" + std::to_string(i)), std::ios::binary);
      o.write(contents[i].data(), static_cast<std::streamsize>(contents[i].size()));
    }
  });

  // pandoc: all the pages' text as one HTML document, in one call.
  std::string joined = "<html><head><title>all</title></head><body>\n";
  for (size_t i = 0; i < written.size(); ++i) {
    const std::string& c = contents[i];
    const size_t b = c.find("<body"), e = c.rfind("</body>");
    if (written[i].find(".htm") != std::string::npos && written[i] != "search-tolvane.htm" && b != std::string::npos &&
        e != std::string::npos && e > b)
      joined += c.substr(c.find('>', b) + 1, e - c.find('>', b) - 1);
  }
  joined += "</body></html>\n";
  std::ofstream(folder / "all.html", std::ios::binary) << joined;
  const size_t joinedBytes = joined.size();
  std::ofstream(folder / "empty.html") << "<html><body></body></html>\n";
  const bool pandoc = Run("command -v pandoc >/dev/null 2>&1");
  double startup = 0, oneCall = 0, oneByOne = 0;
  uintmax_t pandocBytes = 0;
  const int byOne = std::min(100, pageCount);
  if (pandoc) {
    const std::string p = "pandoc -f html -t html -s --metadata title=bench 2>/dev/null ";
    startup = MedianSeconds(3, [&] { Run(p + (folder / "empty.html").string() + " -o " + (folder / "e.out").string()); });
    oneCall = MedianSeconds(3, [&] { Run(p + (folder / "all.html").string() + " -o " + (folder / "all.out").string()); });
    pandocBytes = fs::file_size(folder / "all.out", ec);
    for (int i = 0; i < byOne; ++i) {
      std::ofstream(folder / ("one" + std::to_string(i) + ".html"), std::ios::binary) << contents[i % contents.size()];
    }
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < byOne; ++i)
      Run(p + (folder / ("one" + std::to_string(i) + ".html")).string() + " -o " + (folder / "one.out").string());
    oneByOne = Seconds(start);
  }

  const double mb = static_cast<double>(outputBytes) / 1e6;
  const double oursMBs = mb / ours, oursPages = pageCount / ours;
  std::printf("hypertext: %d pages, %d pictures, %.1f MB of markup\n", pageCount, pictureCount, markupBytes / 1e6);
  std::printf("export:    %zu files, %.2f MB in %.3f s: %.0f pages/s, %.1f MB/s\n", written.size(), mb, ours,
              oursPages, oursMBs);
  std::printf("floor:     the same bytes to %zu files in %.3f s (export/floor %.2fx; target <= 3x)\n", contents.size(),
              floor, ours / floor);
  if (pandoc) {
    const double net = std::max(1e-6, oneCall - startup);
    const double pandocMBs = static_cast<double>(pandocBytes) / 1e6 / net;
    const double pandocPages = byOne / oneByOne;
    std::printf("pandoc:    one call on %.2f MB in %.3f s (start-up %.3f s), %.2f MB out: %.1f MB/s (ours %.1fx; "
                "target >= 20x)\n",
                joinedBytes / 1e6, oneCall, startup, pandocBytes / 1e6, pandocMBs, oursMBs / pandocMBs);
    std::printf("pandoc:    %d pages one by one in %.2f s: %.1f pages/s (ours %.0fx; target >= 100x)\n", byOne,
                oneByOne, pandocPages, oursPages / pandocPages);
    const bool met = oursMBs / pandocMBs >= 20 && oursPages / pandocPages >= 100 && ours / floor <= 3;
    std::printf("targets: %s\n", met ? "met" : "NOT met");
  } else {
    std::printf("pandoc is not installed: its references were not measured\n");
  }
  if (!std::getenv("BENCH_KEEP")) fs::remove_all(folder, ec);
  return 0;
}
