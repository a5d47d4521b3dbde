// A save must never destroy the last good copy: whichever file operation
// fails, and wherever the process dies, the target is the complete old file
// or the complete new one, and the backup is the old one or the one before.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

#include "common/file_names.h"
#include "test_support.h"

namespace tolvane {
namespace {

using testing::DocFixture;
using testing::ReadAll;
using testing::TempDir;
using testing::WriteAll;

Bytes PictureBytes(size_t n) {
  Bytes b(n);
  for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>((i * 31) ^ (i >> 8));
  return b;
}

void Build(TYKAset& doc, int pages, size_t markupBytes, size_t pictureBytes) {
  for (int i = 0; i < pages; ++i) {
    TYKAtesto* page = doc.CreatePage();
    std::string markup = "<Z S0 >v=0 ";
    while (markup.size() < markupBytes) markup += "<Z S0 >texte de la page " + std::to_string(i) + ". ";
    page->SetContentText(markup);
    page->WriteAttribute("title", "page " + std::to_string(i));
  }
  TYKAoggetto* picture = doc.CreateObject(immagine);
  picture->SetShortString(picture_rec::kFileName, picture_rec::kFileNameSize, "photo.jpg");
  picture->SetContent(PictureBytes(pictureBytes));
}

// The version number written at the front of page 0.
int VersionOf(const TYKAset& doc) {
  const auto* page = static_cast<const TYKAtesto*>(doc.ObjectAt(testoHtml, 0));
  if (!page) return -1;
  std::string_view m = page->Markup();
  if (m.substr(0, 9) != "<Z S0 >v=") return -1;
  return std::atoi(std::string(m.substr(9, 12)).c_str());
}

void SetVersion(TYKAset& doc, int v) {
  auto* page = static_cast<TYKAtesto*>(doc.ObjectAt(testoHtml, 0));
  std::string markup(page->Markup());
  markup = "<Z S0 >v=" + std::to_string(v) + " " + markup.substr(markup.find(' ') + 1);
  page->SetContentText(markup);
  doc.SetModified(true);
}

// Opens a file on its own fake platform and checks that it is whole: every
// page, and the picture's bytes. Returns its version, or -1.
int CompleteVersion(const std::string& path, int pages, size_t pictureBytes) {
  DocFixture f;
  if (!f.doc->Open(path)) return -1;
  if (f.doc->KindCountInUse(testoHtml) != pages) return -1;
  Bytes picture;
  if (!f.doc->ObjectAt(immagine, 0)->ReadContent(picture) || picture != PictureBytes(pictureBytes)) return -1;
  return VersionOf(*f.doc);
}

int LeftoverTemporaries(const std::filesystem::path& dir) {
  int n = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir))
    if (e.path().extension() == ".tmp") {
      ++n;
      std::filesystem::remove(e.path());
    }
  return n;
}

TEST(SaveSafety, EveryFailingFileOperationLeavesTheOldFiles) {
  TempDir dir;
  const std::string path = dir / "site.yka", backup = ChangeFileExt(path, ".bak");
  constexpr int kPages = 30;
  constexpr size_t kPicture = 3 << 20;  // several buffer flushes
  {
    DocFixture f;
    Build(*f.doc, kPages, 4000, kPicture);
    ASSERT_TRUE(f.doc->Save(path));
    SetVersion(*f.doc, 1);
    ASSERT_TRUE(f.doc->Save(path));
  }
  const Bytes oldTarget = ReadAll(path), oldBackup = ReadAll(backup);

  // How many file operations one save onto the open file makes.
  int operations = 0;
  {
    DocFixture f;
    ASSERT_TRUE(f.doc->Open(path));
    SetVersion(*f.doc, 2);
    ASSERT_TRUE(f.doc->Save(path));
    operations = f.fake.files.count();
    WriteAll(path, oldTarget);
    WriteAll(backup, oldBackup);
  }
  ASSERT_GE(operations, 10);

  int failedSaves = 0;
  for (int n = 1; n <= operations; ++n) {
    SCOPED_TRACE("failing operation " + std::to_string(n));
    DocFixture f;
    ASSERT_TRUE(f.doc->Open(path));
    SetVersion(*f.doc, 2);
    f.fake.files.FailAt(n);
    const bool saved = f.doc->Save(path);
    ASSERT_TRUE(f.fake.files.failed());
    f.fake.files.FailAt(0);
    if (!saved) {
      ++failedSaves;
      EXPECT_EQ(ReadAll(path), oldTarget);
      EXPECT_EQ(ReadAll(backup), oldBackup);
      EXPECT_TRUE(f.doc->IsModified());
      EXPECT_EQ(LeftoverTemporaries(dir.path()), 0);
      // The open document is still whole and can be saved.
      Bytes picture;
      ASSERT_TRUE(f.doc->ObjectAt(immagine, 0)->ReadContent(picture));
      EXPECT_EQ(picture, PictureBytes(kPicture));
      ASSERT_TRUE(f.doc->Save(path));
    }
    EXPECT_EQ(CompleteVersion(path, kPages, kPicture), 2);
    EXPECT_EQ(CompleteVersion(backup, kPages, kPicture), 1);
    EXPECT_FALSE(f.doc->IsModified());
    WriteAll(path, oldTarget);
    WriteAll(backup, oldBackup);
  }
  std::cout << "[ fault points ] " << operations << " file operations, " << failedSaves
            << " of them made the save fail; the old files survived every one\n";
  EXPECT_GT(failedSaves, operations / 2);
}

TEST(SaveSafety, RefusedRetryKeepsTheNewFileBesideTheTarget) {
  DocFixture f;
  Build(*f.doc, 3, 100, 1000);
  const std::string path = f.dir / "site.yka";
  ASSERT_TRUE(f.doc->Save(path));
  const Bytes old = ReadAll(path);
  SetVersion(*f.doc, 5);
  // Operations of this save: create, write blobs, header, records, sync, close,
  // link and rename the backup, then the rename that fails.
  f.fake.files.FailAt(9);
  f.fake.messages.Script(Answer::No);
  EXPECT_FALSE(f.doc->Save(path));
  EXPECT_EQ(f.doc->SaveErrors().back(), "Erreur de partage readonly ou dépassement de capacité du disque.");
  const std::string question = f.fake.messages.Texts().back();
  const size_t quote = question.rfind("\"", question.size() - 2);
  const std::string kept = question.substr(quote + 1, question.size() - quote - 2);
  EXPECT_EQ(ExtractFileDir(kept), ExtractFileDir(path));
  EXPECT_EQ(CompleteVersion(kept, 3, 1000), 5);
  EXPECT_EQ(ReadAll(path), old);
  EXPECT_EQ(f.doc->YKAFileName(), path);
  EXPECT_TRUE(f.doc->IsModified());
}

TEST(SaveSafety, KilledWhileSavingLeavesACompleteFile) {
  TempDir dir;
  const std::string path = dir / "site.yka", backup = ChangeFileExt(path, ".bak");
  constexpr int kPages = 200;
  constexpr size_t kPicture = 2 << 20;
  {
    DocFixture f;
    Build(*f.doc, kPages, 5000, kPicture);
    ASSERT_TRUE(f.doc->Save(path));
    SetVersion(*f.doc, 1);
    ASSERT_TRUE(f.doc->Save(path));
  }
  std::mt19937 random(20261211);
  constexpr int kKills = 60;
  int midSave = 0, lastVersion = 1;
  for (int kill = 0; kill < kKills; ++kill) {
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // Save new versions onto the open file until killed. Nothing the child
      // makes may need cleaning up by the child: it never gets to.
      FakePlatform fake(static_cast<uint64_t>(::getpid()));
      fake.system.temporary = dir.path().string();
      TYKAset doc(fake.platform());
      if (!doc.Open(path)) ::_exit(3);
      for (int v = VersionOf(doc) + 1;; ++v) {
        SetVersion(doc, v);
        if (!doc.Save(path)) ::_exit(4);
      }
    }
    std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<int>(3000, 60000)(random)));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the saving process stopped by itself: " << WEXITSTATUS(status);

    const int target = CompleteVersion(path, kPages, kPicture);
    const int previous = CompleteVersion(backup, kPages, kPicture);
    ASSERT_GE(target, lastVersion) << "kill " << kill;
    EXPECT_TRUE(previous == target - 1 || previous == target)
        << "kill " << kill << ": target " << target << ", backup " << previous;
    lastVersion = target;
    midSave += LeftoverTemporaries(dir.path()) > 0;
  }
  std::cout << "[ kills ] " << kKills << " saving processes killed, " << midSave
            << " of them in the middle of writing; " << lastVersion - 1
            << " saves completed; every target and backup was whole\n";
  EXPECT_GT(midSave, 0);
}

}  // namespace
}  // namespace tolvane
