// bench_document [--quick] [FOLDER]
//
// Builds a large document through the model, saves it into FOLDER, then times
// opening and saving it against the plain file work they cannot avoid:
//   open   in a fresh process, against one sequential read of the record area
//          and the page blobs (also in a fresh process), both cache-warm;
//   save   TYKAset::Save to a new path, against copying the file and syncing it;
//   memory what the open adds to a fresh process, against the page markup, the
//          attribute streams and one in-memory record per object.
// Each measure runs several rounds, interleaved; the median is reported.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bench_site.h"
#include "model/document.h"

using namespace tolvane;

namespace {

constexpr int kRounds = 5;
constexpr double kOpenTarget = 1.5;
constexpr double kSaveTarget = 2.0;
constexpr double kMemoryTarget = 1.3;

// ---- measuring

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

int64_t ResidentBytes() {
  std::FILE* f = std::fopen("/proc/self/statm", "r");
  if (!f) return -1;
  long long size = 0, resident = 0;
  int got = std::fscanf(f, "%lld %lld", &size, &resident);
  std::fclose(f);
  return got == 2 ? resident * ::sysconf(_SC_PAGESIZE) : -1;
}

int64_t PeakResidentBytes() {
  rusage u{};
  ::getrusage(RUSAGE_SELF, &u);
  return static_cast<int64_t>(u.ru_maxrss) * 1024;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

bool ReadFully(int fd, uint64_t pos, void* buffer, size_t n) {
  auto* out = static_cast<char*>(buffer);
  while (n > 0) {
    ssize_t got = ::pread(fd, out, n, static_cast<off_t>(pos));
    if (got <= 0) return false;
    out += got;
    pos += static_cast<uint64_t>(got);
    n -= static_cast<size_t>(got);
  }
  return true;
}

// Reads a whole file once so that every timed run finds it in the page cache.
bool WarmCache(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  std::vector<char> buffer(1 << 20);
  ssize_t got;
  while ((got = ::read(fd, buffer.data(), buffer.size())) > 0) {
  }
  ::close(fd);
  return got == 0;
}

// ---- the document

// A small fast generator: the content only has to be varied, not good.
struct Random {
  uint64_t state;
  uint64_t Next() {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  uint32_t Below(uint32_t n) { return static_cast<uint32_t>(Next() % n); }
};

std::string PageMarkup(Random& rng, size_t target) {
  static const char* const kWords[] = {
      "the",     "site",   "editor",  "page",     "picture", "river",  "garden", "morning", "letter",
      "window",  "travel", "harbour", "lantern",  "market",  "winter", "summer", "bridge",  "quiet",
      "village", "across", "under",   "between",  "through", "bright", "narrow", "ancient", "wooden",
      "stone",   "silver", "green",   "evening",  "rain",    "road",   "houses", "music",   "people",
      "walked",  "opened", "carried", "remembered"};
  constexpr size_t kWordCount = sizeof kWords / sizeof kWords[0];
  std::string markup;
  markup.reserve(target + 256);
  while (markup.size() < target) {
    markup += "<Z S0 >";
    const uint32_t words = 8 + rng.Below(24);
    for (uint32_t w = 0; w < words; ++w) {
      std::string word = kWords[rng.Below(kWordCount)];
      if (w == 0) word[0] = static_cast<char>(word[0] - 'a' + 'A');
      markup += word;
      markup += w + 1 < words ? ' ' : '.';
    }
  }
  return markup;
}

struct Shape {
  int pages;
  int pictures;
};

struct Needed {
  uint64_t markupBytes = 0;     // page content
  uint64_t attributeBytes = 0;  // every attribute stream
  uint64_t pageBlobBytes = 0;   // page content and attributes: the blobs a reader must load
  uint64_t pictureBytes = 0;
  uint64_t objects = 0;
  uint64_t Total() const { return markupBytes + attributeBytes + objects * kRecordBytes; }
};

Needed CountNeeded(const TYKAset& doc) {
  Needed n;
  for (int kind = 0; kind <= kLastFileKind; ++kind) {
    n.objects += static_cast<uint64_t>(doc.KindCount(kind));
    for (int slot = 0; slot < doc.KindCount(kind); ++slot) {
      const TYKAoggetto* o = doc.ObjectAt(kind, slot);
      if (!o || o->IsFree()) continue;
      const uint64_t attributes = o->Attributes() ? o->Attributes()->size() : 0;
      n.attributeBytes += attributes;
      if (kind == testoHtml) {
        n.markupBytes += o->ContentSize();
        n.pageBlobBytes += o->ContentSize() + attributes;
      }
      if (kind == immagine) n.pictureBytes += o->ContentSize();
    }
  }
  return n;
}

bool BuildAndSave(const Shape& shape, const std::string& path, Needed& needed, double& buildMs, double& saveMs) {
  bench::BenchPlatform bp(7, Answer::Yes);
  TYKAset doc(bp.Get());
  doc.makeBackups = false;
  Random rng{2024};
  const auto buildStart = Clock::now();
  for (int i = 0; i < shape.pages; ++i) {
    TYKAtesto* page = doc.CreatePage();
    if (!page) return false;
    const std::string name = "page" + std::to_string(i);
    page->SetCaption("Page " + std::to_string(i));
    page->SetPageName(name);
    page->SetContentText(PageMarkup(rng, 1900 + rng.Below(300)));
    page->WriteAttribute("name", name);
    page->WriteAttribute("description", "About " + name + ", one of many\r\npages of the benchmark");
  }
  for (int i = 0; i < shape.pictures; ++i) {
    TYKAoggetto* picture = doc.CreateObject(immagine);
    if (!picture) return false;
    char name[32];
    std::snprintf(name, sizeof name, "pic%05d.jpg", i);
    picture->SetCaption(name);
    picture->SetShortString(picture_rec::kFileName, picture_rec::kFileNameSize, name);
    picture->SetState(0);
    Bytes bytes(100 * 1024 - 2048 + rng.Below(4096));
    for (size_t p = 0; p < bytes.size(); p += 8) {
      const uint64_t v = rng.Next();
      std::memcpy(bytes.data() + p, &v, std::min<size_t>(8, bytes.size() - p));
    }
    picture->SetContent(std::move(bytes));
  }
  buildMs = MillisecondsSince(buildStart);
  needed = CountNeeded(doc);
  std::filesystem::remove(path);
  const auto saveStart = Clock::now();
  const bool saved = doc.Save(path);
  saveMs = MillisecondsSince(saveStart);
  if (!saved)
    for (const auto& e : doc.SaveErrors()) std::fprintf(stderr, "bench_document: %s\n", e.c_str());
  return saved;
}

// ---- the hidden child modes: one measurement in a fresh process, one line out

int OpenOnly(const std::string& path) {
  bench::BenchPlatform bp(7, Answer::Yes);
  TYKAset doc(bp.Get());
  const int64_t before = ResidentBytes();
  const auto start = Clock::now();
  const bool ok = doc.Open(path);
  const double ms = MillisecondsSince(start);
  const int64_t after = ResidentBytes();
  if (!ok) {
    std::fprintf(stderr, "bench_document: cannot open %s: %s\n", path.c_str(), doc.OpenProblem().c_str());
    return 1;
  }
  std::printf("ms=%.3f before=%" PRId64 " after=%" PRId64 " peak=%" PRId64 " pages=%d\n", ms, before, after,
              PeakResidentBytes(), doc.KindCount(testoHtml));
  return 0;
}

// The least any reader can do: find the record area from the kind table, then
// read it and the page blobs after it into memory with no parsing.
int FloorOnly(const std::string& path, uint64_t pageBlobBytes) {
  const int64_t before = ResidentBytes();
  const auto start = Clock::now();
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 1;
  uint8_t header[hdr::kSize];
  bool ok = ReadFully(fd, 0, header, sizeof header);
  const size_t tableSize = 12 * (static_cast<size_t>(header[hdr::kLastKind]) + 1) + 4;
  std::vector<uint8_t> table(tableSize);
  ok = ok && ReadFully(fd, hdr::kSize, table.data(), table.size());
  const uint64_t recordArea = hdr::kSize + tableSize;
  const uint64_t recordBytes = ok ? GetU32(table.data(), tableSize - 4) : 0;
  const uint64_t total = recordBytes + pageBlobBytes;
  std::unique_ptr<uint8_t[]> buffer(new uint8_t[total]);
  constexpr size_t kChunk = 1 << 20;
  for (uint64_t done = 0; ok && done < total;) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(kChunk, total - done));
    ok = ReadFully(fd, recordArea + done, buffer.get() + done, n);
    done += n;
  }
  ::close(fd);
  const double ms = MillisecondsSince(start);
  const int64_t after = ResidentBytes();
  if (!ok) return 1;
  std::printf("ms=%.3f before=%" PRId64 " after=%" PRId64 " peak=%" PRId64 " pages=0\n", ms, before, after,
              PeakResidentBytes());
  return 0;
}

struct ChildResult {
  double ms = 0;
  int64_t before = 0, after = 0, peak = 0;
  int pages = 0;
};

std::optional<ChildResult> RunChild(const std::vector<std::string>& args) {
  int fds[2];
  if (::pipe(fds) != 0) return std::nullopt;
  const pid_t pid = ::fork();
  if (pid < 0) return std::nullopt;
  if (pid == 0) {
    ::dup2(fds[1], STDOUT_FILENO);
    ::close(fds[0]);
    ::close(fds[1]);
    std::vector<char*> argv;
    static char self[] = "bench_document";
    argv.push_back(self);
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv("/proc/self/exe", argv.data());
    ::_exit(127);
  }
  ::close(fds[1]);
  std::string out;
  char buffer[512];
  ssize_t got;
  while ((got = ::read(fds[0], buffer, sizeof buffer)) > 0) out.append(buffer, static_cast<size_t>(got));
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  ChildResult r;
  long long before = 0, after = 0, peak = 0;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
      std::sscanf(out.c_str(), "ms=%lf before=%lld after=%lld peak=%lld pages=%d", &r.ms, &before, &after, &peak,
                  &r.pages) != 5)
    return std::nullopt;
  r.before = before;
  r.after = after;
  r.peak = peak;
  return r;
}

// Copies a file and syncs the copy: what any save of the same bytes must at least do.
bool FlushedCopy(const std::string& from, const std::string& to) {
  int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (out < 0) {
    ::close(in);
    return false;
  }
  std::vector<char> buffer(1 << 20);
  bool ok = true;
  ssize_t got;
  while (ok && (got = ::read(in, buffer.data(), buffer.size())) > 0) {
    for (ssize_t put = 0; ok && put < got;) {
      ssize_t n = ::write(out, buffer.data() + put, static_cast<size_t>(got - put));
      ok = n > 0;
      put += n;
    }
  }
  ok = ok && ::fsync(out) == 0;
  ok = ::close(out) == 0 && ok;
  ::close(in);
  return ok;
}

// ---- the report

std::string Millis(double ms) {
  char b[32];
  std::snprintf(b, sizeof b, ms < 100 ? "%.1f ms" : "%.0f ms", ms);
  return b;
}

std::string Megabytes(double bytes) {
  char b[32];
  std::snprintf(b, sizeof b, "%.1f MB", bytes / 1e6);
  return b;
}

std::string Rounds(const std::vector<double>& v, double scale, const char* unit) {
  std::string s;
  for (double x : v) {
    char b[32];
    std::snprintf(b, sizeof b, "%s%.1f", s.empty() ? "" : " ", x * scale);
    s += b;
  }
  return s + " " + unit;
}

int Usage() {
  std::fprintf(stderr, "usage: bench_document [--quick] [FOLDER]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 2 && args[0] == "--open-only") return OpenOnly(args[1]);
  if (args.size() == 3 && args[0] == "--floor-only") return FloorOnly(args[1], std::strtoull(args[2].c_str(), nullptr, 10));

  Shape shape{10000, 2000};
  std::string folder = (std::filesystem::temp_directory_path() / "tolvane-bench").string();
  bool folderGiven = false;
  for (const auto& a : args) {
    if (a == "--quick") shape = {1000, 200};
    else if (!a.empty() && a[0] == '-') return Usage();
    else if (folderGiven) return Usage();
    else {
      folder = a;
      folderGiven = true;
    }
  }
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (!std::filesystem::is_directory(folder)) {
    std::fprintf(stderr, "bench_document: cannot create %s\n", folder.c_str());
    return 1;
  }
  const std::string path = (std::filesystem::path(folder) / "bench.yka").string();

  Needed needed;
  double buildMs = 0, firstSaveMs = 0;
  if (!BuildAndSave(shape, path, needed, buildMs, firstSaveMs)) {
    std::fprintf(stderr, "bench_document: the document was not saved\n");
    return 1;
  }
  const uint64_t fileSize = std::filesystem::file_size(path);
  std::printf("document: %d pages (%s markup, %s attributes), %d pictures (%s), %" PRIu64 " objects\n",
              shape.pages, Megabytes(static_cast<double>(needed.markupBytes)).c_str(),
              Megabytes(static_cast<double>(needed.attributeBytes)).c_str(), shape.pictures,
              Megabytes(static_cast<double>(needed.pictureBytes)).c_str(), needed.objects);
  std::printf("file:     %s (%s); built in %s, first save %s\n", path.c_str(),
              Megabytes(static_cast<double>(fileSize)).c_str(), Millis(buildMs).c_str(), Millis(firstSaveMs).c_str());
  if (!WarmCache(path)) {
    std::fprintf(stderr, "bench_document: cannot read %s\n", path.c_str());
    return 1;
  }

  // Open and its floor, each in a fresh process, interleaved.
  std::vector<double> openMs, floorMs, openMemory;
  for (int round = 0; round < kRounds; ++round) {
    auto opened = RunChild({"--open-only", path});
    auto plain = RunChild({"--floor-only", path, std::to_string(needed.pageBlobBytes)});
    if (!opened || !plain || opened->pages != shape.pages) {
      std::fprintf(stderr, "bench_document: a timing child failed\n");
      return 1;
    }
    openMs.push_back(opened->ms);
    floorMs.push_back(plain->ms);
    openMemory.push_back(static_cast<double>(opened->after - opened->before));
  }

  // Save of the opened document and its floor, interleaved; every target is new.
  std::vector<double> saveMs, copyMs;
  {
    bench::BenchPlatform bp(7, Answer::Yes);
    TYKAset doc(bp.Get());
    doc.makeBackups = false;
    if (!doc.Open(path)) {
      std::fprintf(stderr, "bench_document: cannot open %s\n", path.c_str());
      return 1;
    }
    std::string previous;
    for (int round = 0; round < kRounds; ++round) {
      const std::string target = (std::filesystem::path(folder) / ("saved-" + std::to_string(round) + ".yka")).string();
      const std::string copy = (std::filesystem::path(folder) / ("copy-" + std::to_string(round) + ".yka")).string();
      std::filesystem::remove(target);
      std::filesystem::remove(copy);
      // The order alternates: a sync right after another one runs slower.
      bool saved = false, copied = false;
      auto timeSave = [&] {
        const auto start = Clock::now();
        saved = doc.Save(target);
        saveMs.push_back(MillisecondsSince(start));
      };
      auto timeCopy = [&] {
        const auto start = Clock::now();
        copied = FlushedCopy(path, copy);
        copyMs.push_back(MillisecondsSince(start));
      };
      if (round % 2 == 0) {
        timeSave();
        timeCopy();
      } else {
        timeCopy();
        timeSave();
      }
      if (!saved || !copied) {
        std::fprintf(stderr, "bench_document: a save or a copy failed\n");
        return 1;
      }
      std::filesystem::remove(copy);
      // The document now reads its pictures from the new file; the one before can go.
      if (!previous.empty()) std::filesystem::remove(previous);
      previous = target;
    }
    doc.Close();
    std::filesystem::remove(previous);
  }

  const double openTime = Median(openMs), openFloor = Median(floorMs);
  const double save = Median(saveMs), copy = Median(copyMs);
  const double memory = Median(openMemory), held = static_cast<double>(needed.Total());
  struct Row {
    const char* what;
    std::string ours, reference;
    double ratio, target;
  };
  const Row rows[] = {
      {"open (fresh process)", Millis(openTime), Millis(openFloor), openTime / openFloor, kOpenTarget},
      {"save", Millis(save), Millis(copy), save / copy, kSaveTarget},
      {"memory added by open", Megabytes(memory), Megabytes(held), memory / held, kMemoryTarget},
  };
  std::printf("\nmedian of %d rounds, cache warm\n", kRounds);
  std::printf("%-22s %12s %12s %8s %8s  %s\n", "measure", "tolvane", "floor", "ratio", "target", "met");
  int met = 0;
  for (const Row& r : rows) {
    const bool ok = r.ratio <= r.target;
    met += ok;
    std::printf("%-22s %12s %12s %7.2fx %7.1fx  %s\n", r.what, r.ours.c_str(), r.reference.c_str(), r.ratio, r.target,
                ok ? "yes" : "NO");
  }
  std::printf("\nfloors: open = one read of the record area and the page blobs (%s);\n"
              "        save (of the opened document) = copy of the file with fsync;\n"
              "        memory = markup + attributes + %d bytes x %" PRIu64 " objects\n",
              Megabytes(static_cast<double>(needed.pageBlobBytes)).c_str(), kRecordBytes, needed.objects);
  std::printf("rounds: open %s | floor %s | save %s | copy %s | memory %s\n", Rounds(openMs, 1, "ms").c_str(),
              Rounds(floorMs, 1, "ms").c_str(), Rounds(saveMs, 1, "ms").c_str(), Rounds(copyMs, 1, "ms").c_str(),
              Rounds(openMemory, 1e-6, "MB").c_str());
  std::printf("targets met: %d of 3\n", met);
  return 0;
}
