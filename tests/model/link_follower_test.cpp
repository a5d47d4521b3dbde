#include <gtest/gtest.h>

#include "common/file_names.h"
#include "model/link_follower.h"
#include "model/links.h"
#include "platform/dialogs.h"
#include "platform/process_runner.h"
#include "test_support.h"

namespace tolvane {
namespace {

using testing::DocFixture;

// Records what link following asks of the main window.
struct FakeWorkspace : LinkWorkspace {
  std::vector<std::string> calls;
  bool closing = false, readOnly = false, modified = false, anchorFound = true, namedFound = true;
  const TYKAtesto* activating = nullptr;
  int32_t shown = 0;
  std::function<bool(const std::string&)> open = [](const std::string&) { return true; };

  void Call(std::string s) { calls.push_back(std::move(s)); }
  bool Closing() const override { return closing; }
  bool HasPage() const override { return true; }
  bool ReadOnly() const override { return readOnly; }
  bool PageModified() const override { return modified; }
  void CommitPage() override { Call("commit"); }
  void SetEnabled(bool) override {}
  void AfterLink() override {}
  const TYKAtesto* ActivatingPage() const override { return activating; }
  bool ActivatedInMainWorkspace() const override { return true; }
  int32_t ShownPage() const override { return shown; }
  void ShowPage(int32_t slot) override { Call("page " + std::to_string(slot)); }
  bool GoToAnchor(int32_t n) override {
    Call("anchor " + std::to_string(n));
    return anchorFound;
  }
  void ReplaceActivatingPage(int32_t slot) override { Call("replace " + std::to_string(slot)); }
  void ShowInNamedFrame(std::string_view name, int32_t slot) override {
    Call("frame " + std::string(name) + " " + std::to_string(slot));
  }
  void ShowInSeparateWindow(std::string_view name, int32_t slot) override {
    Call("window '" + std::string(name) + "' " + std::to_string(slot));
  }
  void ShowInPopup(int32_t slot, bool mouseOver) override {
    Call(std::string(mouseOver ? "mouseover " : "popup ") + std::to_string(slot));
  }
  bool CloseSeparateWindow(std::string_view name) override {
    Call("close " + std::string(name));
    return true;
  }
  void ShowKeywordSearch() override { Call("keywords"); }
  void PrintActivatingFrameSet() override { Call("print"); }
  bool PrintNamed(std::string_view name) override {
    Call("print " + std::string(name));
    return namedFound;
  }
  void RunPrintCommand() override { Call("print command"); }
  void ShowCart(std::string_view article, bool add) override { Call("cart " + std::string(article) + (add ? " +" : "")); }
  void RunPlugin(std::string_view text) override { Call("plugin " + std::string(text)); }
  void ShowEmbeddedFile(TYKAoggetto& file) override { Call("file " + file.ObjectCaption()); }
  void ImportPageFile(const std::string& path) override { Call("import " + path); }
  bool OpenDocument(const std::string& path) override {
    Call("open " + path);
    return open(path);
  }
  bool SaveDocument() override {
    Call("save");
    return true;
  }
  std::string ShownPageMarkup() const override { return "<Z S0 >shown"; }
};

struct Following : DocFixture {
  Following() {
    for (const char* t : {"Accueil", "Suite", "Fin"}) doc->CreatePage()->SetCaption(t);
    for (int i = 0; i < 3; ++i) {
      doc->ObjectAt(testoHtml, i)->SetI16(page_rec::kGroup, 1);
      doc->ObjectAt(testoHtml, i)->SetI16(page_rec::kOrder, static_cast<int16_t>(i));
    }
    path = dir / "site.yka";
    EXPECT_TRUE(doc->Save(path));
    ws.activating = doc->Page(1);
  }
  TYKAoggetto* Special(int sub, int mode = 0, int32_t target = -1, int32_t anchor = -1, const char* name = "") {
    TYKAoggetto* l = doc->CreateObject(speclink);
    l->SetState(static_cast<uint8_t>(sub));
    l->SetU8(speclink_rec::kWindowMode, static_cast<uint8_t>(mode));
    l->SetI32(speclink_rec::kTarget, target);
    l->SetI32(speclink_rec::kAnchor, anchor);
    l->SetShortString(speclink_rec::kFrameName, 28, name);
    return l;
  }
  std::vector<std::string> Follow(TYKAoggetto* target, LinkSource source = LinkSource::TextBox) {
    ws.calls.clear();
    follower.FollowLink(source, target);
    return ws.calls;
  }
  std::string path;
  FakeWorkspace ws;
  RecordingProcessRunner runner;
  ScriptedFolderChooser folders;
  ScriptedFileChooser files;
  LinkFollower follower{*doc, ws, runner, &folders, &files};
};

using Calls = std::vector<std::string>;

TEST(FollowLink, ObjectsInEditMode) {
  Following f;
  EXPECT_EQ(f.Follow(f.doc->Page(2)), Calls{"page 2"});
  EXPECT_EQ(f.Follow(f.doc->Page(2), LinkSource::Other), Calls{});
  f.ws.closing = true;
  EXPECT_EQ(f.Follow(f.doc->Page(2)), Calls{});
  f.ws.closing = false;

  TYKAoggetto* file = f.doc->CreateObject(genLink);
  file->SetCaption("plan.pdf");
  EXPECT_EQ(f.Follow(file), Calls{"file plan.pdf"});
  f.Follow(f.doc->Register(f.doc->AddAddressLink("http://www.example.org/")));
  EXPECT_EQ(f.runner.started, (std::vector<std::vector<std::string>>{{"xdg-open", "http://www.example.org/"}}));
  f.Follow(f.doc->CreateObject(tabellaHtml));
  EXPECT_EQ(f.fake.messages.Texts().back(), "Indéfini ou non supporté.");

  EXPECT_EQ(f.Follow(f.Special(1, 2, 2, 4)), (Calls{"page 2", "anchor 4"}));  // edit mode jumps, whatever the window
  f.ws.anchorFound = false;
  EXPECT_EQ(f.Follow(f.Special(1, 6, -1, 3)), Calls{"anchor 3"});
  EXPECT_EQ(f.fake.messages.Texts().back(), "Ancre introuvable: a3");
}

TEST(FollowLink, WindowModesInPreview) {
  Following f;
  f.ws.readOnly = true;
  struct Case {
    int mode;
    Calls calls;
  } cases[] = {
      {0, {"replace 2"}},       {1, {"frame droite 2"}}, {2, {"window 'droite' 2"}}, {3, {"window '' 2"}},
      {4, {"popup 2"}},         {7, {"mouseover 2"}},    {5, {"page 2", "anchor 1"}}, {6, {"anchor 1"}},
  };
  for (const auto& c : cases) EXPECT_EQ(f.Follow(f.Special(1, c.mode, 2, 1, "droite")), c.calls) << c.mode;
  f.ws.anchorFound = false;
  f.Follow(f.Special(1, 6, -1, 9));
  EXPECT_TRUE(f.fake.messages.Texts().empty());  // read mode: a missing anchor is not reported
  f.ws.modified = true;
  f.fake.messages.Script(Answer::Yes);
  EXPECT_EQ(f.Follow(f.Special(1, 0, 2)), Calls{"commit"});
  f.fake.messages.Script(Answer::No);
  EXPECT_EQ(f.Follow(f.Special(1, 0, 2)), Calls{"replace 2"});
}

TEST(FollowLink, SpecialActions) {
  Following f;
  EXPECT_EQ(f.Follow(f.Special(2, 0, -1, -1, "aide")), Calls{"close aide"});
  EXPECT_EQ(f.Follow(f.Special(2, 0, -1, -1, "_ROOT")), Calls{});
  EXPECT_EQ(f.fake.messages.Texts().back(), "fenêtre de fermeture : Programme lecteur");
  EXPECT_EQ(f.Follow(f.Special(3)), Calls{"keywords"});
  EXPECT_EQ(f.Follow(f.Special(4)), Calls{"page 0"});  // the page before the activating page 1
  EXPECT_EQ(f.Follow(f.Special(5)), Calls{"page 2"});
  EXPECT_EQ(f.Follow(f.Special(8)), Calls{"print"});
  EXPECT_EQ(f.Follow(f.Special(9, 0, -1, -1, "_ShowPrint")), Calls{"print command"});
  f.ws.namedFound = false;
  f.Follow(f.Special(9, 0, -1, -1, "cadre"));
  EXPECT_EQ(f.fake.messages.Texts().back(), "Error: cadre");
  TYKAoggetto* cart = f.Special(7);
  cart->SetContentText("Chaise");
  EXPECT_EQ(f.Follow(cart), Calls{"cart Chaise +"});

  f.doc->Page(2)->SetPageName("fin");
  TYKAoggetto* byName = f.Special(6);
  byName->SetContentText("FIN");
  EXPECT_EQ(f.Follow(byName), Calls{"page 2"});
  byName->SetContentText("ancien.htm");
  f.fake.messages.Script(Answer::Yes);
  f.files.answers.push_back("/data/nouveau.htm");
  EXPECT_EQ(f.Follow(byName), Calls{"import /data/nouveau.htm"});
  EXPECT_EQ(f.fake.messages.Texts().back(),
            "Le lien renvoie au fichier \"" + (f.dir / "ancien.htm") +
                "\", introuvable. Désirez-vous placer un autre nom de fichier ?");
  testing::WriteAll(f.dir / "ancien.htm", ToBytes("<html>"));
  EXPECT_EQ(f.Follow(byName), Calls{"import " + (f.dir / "ancien.htm")});
}

TEST(FollowAddress, OtherDocumentsAndMissingFiles) {
  Following f;
  f.follower.FollowAddressLink("tolvane:site.yka|2");
  EXPECT_EQ(f.ws.calls, Calls{"page 2"});  // the same document: just the page

  DocFixture other;
  ASSERT_TRUE(other.doc->Save(f.dir / "autre.yka"));
  f.doc->SetModified(true);
  f.ws.calls.clear();
  f.fake.messages.Script(Answer::Cancel);
  f.follower.FollowAddressLink("tolvane:autre.yka|1");
  EXPECT_EQ(f.ws.calls, Calls{});
  f.fake.messages.Script(Answer::Yes);
  f.follower.FollowAddressLink("tolvane:autre.yka|1");
  EXPECT_EQ(f.ws.calls, (Calls{"save", "open " + (f.dir / "autre.yka"), "page 1"}));
  // Without a page number: the cover page of the document opened.
  f.ws.calls.clear();
  f.doc->SetModified(false);
  f.ws.open = [&](const std::string&) {
    f.doc->SetCoverPage(0);
    return true;
  };
  f.follower.FollowAddressLink("tolvane:autre.yka");
  EXPECT_EQ(f.ws.calls, (Calls{"open " + (f.dir / "autre.yka"), "page 0"}));

  // A file that is not where the address says: asked for, folder by folder.
  std::filesystem::create_directories(f.dir / "dvd");
  ASSERT_TRUE(other.doc->Save(f.dir / "dvd/cd.yka"));
  f.doc->SetModified(false);
  f.ws.calls.clear();
  f.folders.answers = {std::string("/nowhere"), f.dir / "dvd"};
  f.follower.FollowAddressLink("tolvane:/media/cdrom/cd.yka|0");
  EXPECT_EQ(f.ws.calls, (Calls{"open " + (f.dir / "dvd/cd.yka"), "page 0"}));
  EXPECT_EQ(f.folders.asked.back(), "Insérez d'abord CD/DVD: cd");
  f.follower.FollowAddressLink("tolvane:/media/cdrom/absent.yka|0");
  EXPECT_EQ(f.fake.messages.Texts().back(), "Fichier introuvable : /media/cdrom/absent.yka");
}

TEST(RunProgramLink, RunSaveProgAndDump) {
  Following f;
  testing::WriteAll(f.dir / "setup.sh", ToBytes("echo"));
  f.follower.RunProgramLink("run:setup.sh", nullptr);
  EXPECT_EQ(f.runner.started.back(), (std::vector<std::string>{"xdg-open", f.dir / "setup.sh"}));
  f.follower.RunProgramLink("runm:setup.sh", nullptr);
  EXPECT_EQ(f.fake.messages.Texts().back(), "Chargement en cours");
  f.follower.RunProgramLink("run:absent.sh", nullptr);
  EXPECT_EQ(f.fake.messages.Texts().back(), "Erreur lors de l'ouverture du fichier : " + (f.dir / "absent.sh"));

  f.files.answers.push_back(f.dir / "copie.sh");
  f.follower.RunProgramLink("save:setup.sh", nullptr);
  EXPECT_EQ(AsText(testing::ReadAll(f.dir / "copie.sh")), "echo");
  EXPECT_EQ(f.files.asked.back(), "(*.*)|*.*; setup.sh");

  // A program named by a setting, its arguments as a list, and the link's content as parameters.
  f.fake.settings.WriteValue("\\SOFTWARE\\Outils", "Editeur", "/usr/bin/editeur");
  TYKAoggetto* link = f.doc->Register(f.doc->AddAddressLink("prog:\\SOFTWARE\\Outils\\Editeur?-a; rm -rf x"));
  link->SetContentText("parametres");
  f.follower.RunProgramLink(AnsiToUtf8(link->ObjectCaption()), link);
  const std::string params = JoinPath(f.doc->WorkingFolder(), "params.txt");
  EXPECT_EQ(f.runner.started.back(), (std::vector<std::string>{"/usr/bin/editeur", "-a;", "rm", "-rf", "x", params}));
  EXPECT_EQ(AsText(testing::ReadAll(params)), "parametres");

  f.follower.RunProgramLink("dump:\\SOFTWARE\\Outils\\Absent", nullptr);
  EXPECT_EQ(f.fake.messages.Texts().back(), "Clé indéfinie (\\SOFTWARE\\Outils\\Absent)");
  EXPECT_EQ(f.runner.started.back(), (std::vector<std::string>{"xdg-open", params}));
  EXPECT_EQ(AsText(testing::ReadAll(params)), "<Z S0 >shown");

  link->SetContentText("a=1");
  f.follower.RunProgramLink("calc.ini", link);
  EXPECT_EQ(f.runner.started.back(), (std::vector<std::string>{"xdg-open", JoinPath(f.doc->WorkingFolder(), "params.ini")}));
}

}  // namespace
}  // namespace tolvane
