// The publish run on the example hypertext against a real FTP server: what
// lands on the server, the version page, the ticking of changed rows, and
// how a run that fails part-way leaves the server and the next run.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>

#include "convert/export_settings.h"
#include "ftp_test_support.h"
#include "model/document.h"
#include "model/object.h"
#include "platform/fakes/fake_platform.h"
#include "platform/settings_store.h"
#include "publish/publisher.h"
#include "publish/server_config.h"
#include "publish/version_page.h"

namespace tolvane {
namespace {

using namespace test;
const auto* const kNoProxy = ::testing::AddGlobalTestEnvironment(new NoProxy);

class HookedUi : public UiHooks {
 public:
  std::function<void()> onPending;
  void ProcessPendingMessages(int) override {
    if (onPending) onPending();
  }
};

class SavingHost : public PublishHost {
 public:
  explicit SavingHost(TYKAset& doc) : doc_(doc) {}
  bool SaveDocument() override { return doc_.Save(doc_.YKAFileName()); }

 private:
  TYKAset& doc_;
};

class PublishRun : public ::testing::Test {
 protected:
  PublishRun() : store(fake.settings, nullptr, fake.messages), doc(fake.platform()), host(doc) {
    fs::copy_file(TOLVANE_DEMO, work / "demo.yka");
    EXPECT_TRUE(doc.Open(work / "demo.yka"));
  }

  // A fresh window on the document: exported anew, connected, rows ticked as
  // `all` says (else the changed ones), published.
  bool Run(bool all = false, const std::function<void(FtpPublisher&)>& before = nullptr, int32_t onePage = -1) {
    publisher = std::make_unique<FtpPublisher>(doc, store, fake.messages, ui, host,
                                               onePage >= 0 ? PublishMode::page : PublishMode::site, options,
                                               TOLVANE_SOURCE_DIR "/data");
    std::error_code ec;
    fs::remove_all(work / "export", ec);
    EXPECT_TRUE(publisher->ExportSite(work / "export", onePage));
    publisher->config.server = "127.0.0.1";
    publisher->config.port = server.port();
    publisher->config.user = "alice";
    publisher->config.password = password;
    publisher->config.timeout = timeout;
    publisher->config.baseDir = "/";
    const int code = publisher->ConnectAndList();
    if (!ftp_reply::IsSuccess(code)) return false;
    if (all) {
      for (auto& r : publisher->List().Rows()) r.checked = true;
    } else {
      publisher->TickChanged();
    }
    if (before) before(*publisher);
    const bool ok = publisher->Publish();
    // The site in full, for comparing: files the run did not need are written too.
    for (const auto& r : publisher->List().Rows())
      if (const TYKAoggetto* o = doc.FindObject(r.id); o && (r.type == "Image" || r.type == "Fichier"))
        publisher->Converter().WriteResource(*o);
      else if (o && r.type == "Page")
        publisher->Converter().WriteRedirectFile(*o);
    // As the command line does: the published versions are kept.
    if (doc.IsModified()) {
      EXPECT_TRUE(doc.Save(doc.YKAFileName()));
    }
    return ok;
  }

  std::string VersionPagePath() const {
    return server.root() + "/" + VersionPageName(publisher->Converter().Naming().Prefix());
  }
  // The server's folder is exactly the export plus the version page.
  void ExpectServerHoldsTheExport() {
    auto onServer = FilesUnder(server.root());
    const std::string versionName = VersionPageName(publisher->Converter().Naming().Prefix());
    ASSERT_TRUE(onServer.count(versionName));
    EXPECT_EQ(onServer[versionName], VersionPageText(doc.YKAFileName(), ServerVersionOf(onServer[versionName])));
    onServer.erase(versionName);
    const auto exported = FilesUnder(work / "export");
    EXPECT_EQ(onServer.size(), exported.size());
    for (const auto& [name, bytes] : exported) {
      ASSERT_TRUE(onServer.count(name)) << name;
      EXPECT_TRUE(onServer[name] == bytes) << name << " " << onServer[name].size() << " vs " << bytes.size();
    }
    for (const auto& [name, bytes] : onServer) EXPECT_TRUE(exported.count(name)) << "stray " << name;
  }
  // Every page gets a new title (so its file changes) and counts as edited.
  void EditEveryPage(const std::string& suffix) {
    for (int s = 0; s < doc.KindCount(testoHtml); ++s)
      if (TYKAoggetto* p = doc.ObjectAt(testoHtml, s); p && !p->IsFree()) {
        p->SetCaption(p->ObjectCaption() + suffix);
        p->SetGeneration(doc.SaveCounter());
      }
  }

  FtpServer server{{}};
  ScratchFolder work;
  FakePlatform fake;
  HookedUi ui;
  SettingsStore store;
  TYKAset doc;
  SavingHost host;
  HtmlExportOptions options;
  std::string password = "secret";
  int timeout = 5;
  std::unique_ptr<FtpPublisher> publisher;
};

TEST_F(PublishRun, FirstRunPublishesEverythingThenOnlyWhatChanged) {
  ASSERT_TRUE(Run()) << publisher->Status;
  EXPECT_EQ(publisher->Status, "Publication OK.");
  ExpectServerHoldsTheExport();
  const int v1 = ServerVersionOf(ReadAll(VersionPagePath()));
  EXPECT_EQ(v1, publisher->ServerVersion);
  EXPECT_EQ(publisher->VersionLabel, "Version actuellement sur le serveur : " + std::to_string(v1));
  // The version page names the document, not where it lives.
  EXPECT_EQ(ReadAll(VersionPagePath()).find(work.path()), std::string::npos);
  EXPECT_NE(ReadAll(VersionPagePath()).find("Hypertext :demo.yka<BR>"), std::string::npos);

  // Nothing changed: only the shared files go again.
  ASSERT_TRUE(Run());
  size_t ticked = 0;
  std::vector<std::string> sent;
  publisher->OnFileStored = [&](size_t, size_t, const std::string& f) { sent.push_back(f); };
  ASSERT_TRUE(Run(false, [&](FtpPublisher& p) {
    for (const auto& r : p.List().Rows()) ticked += r.checked;
    p.OnFileStored = [&](size_t, size_t, const std::string& f) { sent.push_back(f); };
  }));
  EXPECT_EQ(ticked, 3u);
  std::sort(sent.begin(), sent.end());
  EXPECT_EQ(sent, (std::vector<std::string>{"demo_js.js", "demo_style.css", "search-tolvane.htm"}));
  ExpectServerHoldsTheExport();
}

TEST_F(PublishRun, NoVersionPageTicksEveryRowAndPartialPublishKeepsTheRestChanged) {
  // An empty server folder: every row counts as changed.
  publisher = std::make_unique<FtpPublisher>(doc, store, fake.messages, ui, host, PublishMode::site, options,
                                             TOLVANE_SOURCE_DIR "/data");
  ASSERT_TRUE(publisher->ExportSite(work / "export"));
  publisher->config.server = "127.0.0.1";
  publisher->config.port = server.port();
  publisher->config.user = "alice";
  publisher->config.password = "secret";
  ASSERT_TRUE(ftp_reply::IsSuccess(publisher->ConnectAndList()));
  EXPECT_EQ(publisher->ServerVersion, -1);
  EXPECT_NE(publisher->VersionLabel.find("introuvable"), std::string::npos);
  publisher->TickChanged();
  for (const auto& r : publisher->List().Rows()) EXPECT_TRUE(r.checked) << r.file;
  ASSERT_TRUE(publisher->Publish());
  ASSERT_TRUE(doc.Save(doc.YKAFileName()));

  // Five pages change; two of them are published.
  std::vector<int32_t> five;
  for (int s = 0; s < doc.KindCount(testoHtml) && five.size() < 5; ++s)
    if (TYKAoggetto* p = doc.ObjectAt(testoHtml, s); p && !p->IsFree()) {
      p->SetGeneration(doc.SaveCounter());
      five.push_back(p->ObjectId());
    }
  ASSERT_EQ(five.size(), 5u);
  ASSERT_TRUE(doc.Save(doc.YKAFileName()));  // edited, saved, then published
  int32_t V = 0;
  ASSERT_TRUE(Run(false, [&](FtpPublisher& p) {
    V = doc.SaveCounter() - 1;
    for (auto& r : p.List().Rows()) {
      if (r.type != "Page") continue;
      const bool changed = std::find(five.begin(), five.end(), r.id) != five.end();
      EXPECT_EQ(r.checked, changed) << r.file;
      if (r.id == five[2] || r.id == five[3] || r.id == five[4]) r.checked = false;
    }
  }));
  EXPECT_EQ(ServerVersionOf(ReadAll(VersionPagePath())), V);
  for (int32_t id : five) {
    const TYKAoggetto* p = doc.FindObject(id);
    EXPECT_EQ(p->GetGeneration(), id == five[0] || id == five[1] ? V : V + 1) << id;
  }
  // "&Modifié" ticks the three again, and not the two.
  publisher->TickChanged();
  for (const auto& r : publisher->List().Rows()) {
    if (r.type != "Page") continue;
    const bool expected = r.id == five[2] || r.id == five[3] || r.id == five[4];
    EXPECT_EQ(r.checked, expected) << r.file;
  }
}

// Publishing the current page alone: another page edited since the last
// publication stays newer than the version now on the server.
TEST_F(PublishRun, OnePagePublishedLeavesTheOtherChangesPending) {
  ASSERT_TRUE(Run(true));
  std::vector<int32_t> two;
  for (int s = 0; s < doc.KindCount(testoHtml) && two.size() < 2; ++s)
    if (TYKAoggetto* p = doc.ObjectAt(testoHtml, s); p && !p->IsFree()) {
      p->SetGeneration(doc.SaveCounter());
      two.push_back(p->ObjectId());
    }
  ASSERT_TRUE(doc.Save(doc.YKAFileName()));
  std::vector<std::string> sent;
  ASSERT_TRUE(Run(false, [&](FtpPublisher& p) {
    p.OnFileStored = [&](size_t, size_t, const std::string& f) { sent.push_back(f); };
  }, two[0])) << publisher->Status;
  const std::string first = publisher->Converter().Naming().FileNameOf(*doc.FindObject(two[0]), 0);
  EXPECT_NE(std::find(sent.begin(), sent.end(), first), sent.end());
  const std::string second = publisher->Converter().Naming().FileNameOf(*doc.FindObject(two[1]), 0);
  EXPECT_EQ(std::find(sent.begin(), sent.end(), second), sent.end());
  // The whole site next: only the other page is still to go.
  ASSERT_TRUE(Run(false, [&](FtpPublisher& p) {
    for (const auto& r : p.List().Rows())
      if (r.type == "Page") {
        EXPECT_EQ(r.checked, r.id == two[1]) << r.file;
      }
  }));
  ExpectServerHoldsTheExport();
}

TEST_F(PublishRun, PicturesAndKeywordPagesGoToTheirFolders) {
  options.separateImages = true;
  options.separateKeywords = true;
  ASSERT_TRUE(Run()) << publisher->Status;
  EXPECT_TRUE(fs::is_directory(server.root() + "/images"));
  EXPECT_TRUE(fs::is_directory(server.root() + "/util"));
  ExpectServerHoldsTheExport();
}

TEST_F(PublishRun, RefusedPictureFolderStopsTheRun) {
  options.separateImages = true;
  ASSERT_TRUE(server.Fault("FAULT mkd_refused images"));
  EXPECT_FALSE(Run());
  EXPECT_EQ(publisher->Status, "Erreur \xE0 la cr\xE9" "ation du r\xE9pertoire image");
  EXPECT_FALSE(fs::exists(VersionPagePath()));
}

// Each fault strikes one file of a run that republishes every page; the
// server must keep its old version page and no half-written file under a
// final name, and the next run must leave it holding exactly the export.
struct Fault {
  const char* name;
  const char* line;  // for the server; empty: none
  const char* status;  // how the status starts
};
void PrintTo(const Fault& f, std::ostream* out) { *out << f.name; }

class PublishFault : public PublishRun, public ::testing::WithParamInterface<Fault> {};

TEST_P(PublishFault, LeavesTheOldVersionAndTheNextRunCompletes) {
  const Fault& f = GetParam();
  ASSERT_TRUE(Run()) << publisher->Status;
  const std::string oldVersion = ReadAll(VersionPagePath());
  const auto before = FilesUnder(server.root());
  EditEveryPage(" (2)");
  const std::string target = "demo_000005.html";
  if (std::string(f.name) == "stop") {
    EXPECT_FALSE(Run(false, [&](FtpPublisher& p) {
      p.OnFileStored = [&](size_t done, size_t, const std::string&) {
        if (done == 4) p.Stop();
      };
    }));
  } else if (std::string(f.name) == "bar_stop") {
    // The progress bar's Stop, clicked while the window's messages run
    // between two files.
    bool armed = false;
    ui.onPending = [&] {
      if (armed) publisher->Bar.Stop();
    };
    EXPECT_FALSE(Run(false, [&](FtpPublisher& p) {
      p.OnFileStored = [&](size_t done, size_t, const std::string&) { armed = armed || done == 4; };
    }));
    ui.onPending = nullptr;
  } else if (std::string(f.name) == "timeout") {
    timeout = 1;
    ASSERT_TRUE(server.Fault("FAULT slow " + target + " 3"));
    EXPECT_FALSE(Run());
    timeout = 5;
  } else {
    ASSERT_TRUE(server.Fault(std::string(f.line) + " " + target));
    EXPECT_FALSE(Run());
  }
  EXPECT_EQ(publisher->Status.rfind(f.status, 0), 0u) << publisher->Status;
  EXPECT_EQ(ReadAll(VersionPagePath()), oldVersion);
  // The struck file is the old one at its final name, never a part of the new one.
  EXPECT_EQ(ReadAll(server.root() + "/" + target), before.at(target));
  EXPECT_NE(publisher->Status, "Publication OK.");

  ASSERT_TRUE(server.Fault("CLEAR"));
  ASSERT_TRUE(Run()) << publisher->Status;
  EXPECT_EQ(publisher->Status, "Publication OK.");
  ExpectServerHoldsTheExport();
  EXPECT_NE(ReadAll(server.root() + "/" + target), before.at(target));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, PublishFault,
    ::testing::Values(Fault{"drop_before", "FAULT drop_before", "Erreur "}, Fault{"drop_during", "FAULT drop_during", "Erreur "},
                      Fault{"drop_after", "FAULT drop_after", "Erreur "}, Fault{"data_close", "FAULT data_close", "Erreur "},
                      Fault{"reply421", "FAULT reply421", "Erreur 421 "}, Fault{"reply550", "FAULT reply550", "Erreur 550 "},
                      Fault{"timeout", "", "Erreur "}, Fault{"stop", "", "Interruption par l'utilisateur"},
                      Fault{"bar_stop", "", "Interruption par l'utilisateur"}),
    [](const ::testing::TestParamInfo<Fault>& i) { return std::string(i.param.name); });

TEST_F(PublishRun, LoginRefusedPublishesNothing) {
  password = "wrong";
  EXPECT_FALSE(Run());
  EXPECT_EQ(publisher->Status.rfind("Erreur 530", 0), 0u) << publisher->Status;
  EXPECT_TRUE(FilesUnder(server.root()).empty());
  password = "secret";
  ASSERT_TRUE(Run()) << publisher->Status;
  ExpectServerHoldsTheExport();
}

TEST_F(PublishRun, WebFolderIsOfferedWhenPublishingToTheRoot) {
  fs::create_directories(server.root() + "/htdocs");
  fs::create_directories(server.root() + "/www");
  fake.messages.Script(Answer::Yes);
  ASSERT_TRUE(Run()) << publisher->Status;
  ASSERT_FALSE(fake.messages.shown().empty());
  EXPECT_EQ(fake.messages.shown()[0].text,
            "Le programme a d\xE9tect\xE9 une erreur possible de r\xE9pertoire. Voulez-vous le modifier et publier "
            "dans le r\xE9pertoire suivant : /www ?");
  EXPECT_TRUE(fs::exists(server.root() + "/www/" + VersionPageName(publisher->Converter().Naming().Prefix())));
  EXPECT_FALSE(fs::exists(VersionPagePath()));
}

// A name with accents is one name everywhere: UTF-8 on disk and on the server.
TEST_F(PublishRun, AccentedNamesArriveAsTheyAreOnDisk) {
  TYKAoggetto* word = doc.CreateObject(keyword);
  word->SetCaption("\xE9t\xE9");
  TYKAoggetto* page = nullptr;
  for (int s = 0; s < doc.KindCount(testoHtml) && !page; ++s)
    if (TYKAoggetto* p = doc.ObjectAt(testoHtml, s); p && !p->IsFree()) page = p;
  ASSERT_NE(page, nullptr);
  page->SetI32(page_rec::kKeywords, word->ObjectId());
  ASSERT_TRUE(doc.Save(doc.YKAFileName()));
  ASSERT_TRUE(Run(true)) << publisher->Status;
  ExpectServerHoldsTheExport();
  bool found = false;
  for (const auto& [name, bytes] : FilesUnder(server.root()))
    found = found || name.find("\xC3\xA9t\xC3\xA9") != std::string::npos;
  EXPECT_TRUE(found);
}

// Entering a folder from the remote list reads that folder's version: a
// version page under the shorter name alone does not count.
TEST_F(PublishRun, EnteringAFolderReadsItsVersionAndTicks) {
  ASSERT_TRUE(Run(true));
  const std::string version = ReadAll(VersionPagePath());
  const std::string name = VersionPageName(publisher->Converter().Naming().Prefix());
  WriteAll(server.root() + "/copy/" + name, version);
  WriteAll(server.root() + "/stale/" + name.substr(0, name.size() - 1), version);
  auto open = [&](const std::string& folder) {
    publisher->Remote.SetDirectory("/");
    const auto& rows = publisher->Remote.Rows();
    for (size_t i = 0; i < rows.size(); ++i)
      if (rows[i].name == folder) return publisher->PublishOrOpen(static_cast<int>(i));
    ADD_FAILURE() << folder << " not listed";
    return true;
  };
  auto ticked = [&] {
    size_t n = 0;
    for (const auto& r : publisher->List().Rows()) n += r.checked;
    return n;
  };
  EXPECT_FALSE(open("copy"));  // opened, not published
  EXPECT_EQ(publisher->Remote.Directory(), "/copy/");
  EXPECT_EQ(publisher->ServerVersion, ServerVersionOf(version));
  EXPECT_EQ(ticked(), 3u);  // the shared files only
  EXPECT_FALSE(open("stale"));
  EXPECT_EQ(publisher->ServerVersion, -1);
  EXPECT_EQ(ticked(), publisher->List().Rows().size());
}

// --- configurations --------------------------------------------------------------

TEST(ServerConfigs, CleanUpDefaultsAndFiles) {
  MemorySettings settings;
  ScriptedMessages messages;
  SettingsStore store(settings, nullptr, messages);
  // Nothing stored: the defaults.
  FtpServerConfig c = LoadServerConfig(store, 0);
  EXPECT_EQ(c.server, "ftp.example.com");
  EXPECT_EQ(c.port, 21);
  EXPECT_EQ(c.timeout, 30);
  EXPECT_EQ(c.baseDir, "/");
  EXPECT_EQ(c.user, "unknown");
  c.server = "  FTP://ftp.site.org ";
  c.baseDir = "site";
  c.user = " bob ";
  c.password = "pw";
  c.savePassword = false;
  StoreServerConfig(store, 0, c);
  EXPECT_EQ(store.ReadSetting("ftpnet\\0", "server"), "ftp.site.org");
  EXPECT_EQ(store.ReadSetting("ftpnet\\0", "BaseDir"), "/site");
  EXPECT_EQ(store.ReadSetting("ftpnet\\0", "user"), "bob");
  EXPECT_EQ(store.ReadSetting("ftpnet\\0", "pass"), "");  // not kept
  EXPECT_EQ(CleanServerName("ftp:\\\\host "), "host");

  EXPECT_EQ(AddServerConfig(store, "Second"), 1);  // counted from 2 when none is stored
  EXPECT_EQ(store.ReadSetting("ftpnet", "numConfTot"), "2");
  EXPECT_EQ(AddServerConfig(store, "Third"), 2);
  EXPECT_EQ(LoadServerConfig(store, 2).name, "Third");
  StoreSelectedServerConfig(store, 1, 2);
  EXPECT_EQ(SelectedServerConfig(store, 1), 2);
  EXPECT_EQ(RenamePrompt("Third"), "RenommerThird\":");

  ScratchFolder folder;
  FtpServerConfig f;
  f.name = "Mine";
  f.server = "ftp.mine.net";
  f.user = "me";
  f.password = "p=w\nx";
  f.savePassword = true;
  f.baseDir = "/pub";
  f.www = "http://mine.net/";
  ASSERT_TRUE(WriteServerConfigFile(folder / "mine.ftpc", f));
  struct stat st {};
  ASSERT_EQ(stat((folder / "mine.ftpc").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  auto back = ReadServerConfigFile(folder / "mine.ftpc");
  ASSERT_TRUE(back);
  EXPECT_EQ(back->server, "ftp.mine.net");
  EXPECT_EQ(back->password, "p=w x");  // one line
  EXPECT_EQ(back->baseDir, "/pub");
  EXPECT_EQ(back->www, "http://mine.net/");
  // Missing keys read with their defaults.
  WriteAll(folder / "short.txt", "[ftp settings]\r\nftpserver=ftp://h\r\n");
  auto sparse = ReadServerConfigFile(folder / "short.txt");
  ASSERT_TRUE(sparse);
  EXPECT_EQ(sparse->server, "h");
  EXPECT_EQ(sparse->timeout, 60);
  EXPECT_TRUE(sparse->passive);
  EXPECT_TRUE(sparse->savePassword);
  EXPECT_EQ(sparse->www, "http://www.example.com/");
  EXPECT_FALSE(ReadServerConfigFile(folder / "none.ftpc"));

  // The wizard resets the configurations to one; the first keeps what the
  // wizard does not ask for.
  FtpServerConfig kept = LoadServerConfig(store, 0);
  kept.passive = false;
  StoreServerConfig(store, 0, kept);
  FtpServerConfig w;
  w.user = "";
  w.server = "ftp.w.org";
  EXPECT_FALSE(StoreWizardConfig(store, w));
  w.user = "wiz";
  w.password = "pw";
  w.server = "ftp://ftp.w.org";
  w.timeout = 60;
  ASSERT_TRUE(StoreWizardConfig(store, w));
  EXPECT_EQ(store.ReadSetting("ftpnet", "numConfTot"), "1");
  EXPECT_EQ(LoadServerConfig(store, 0).name, "Internet-default");
  EXPECT_EQ(LoadServerConfig(store, 0).password, "pw");
  EXPECT_EQ(LoadServerConfig(store, 0).server, "ftp.w.org");
  EXPECT_FALSE(LoadServerConfig(store, 0).passive);
  EXPECT_EQ(LoadServerConfig(store, 2).name, "");  // gone
  EXPECT_EQ(SelectedServerConfig(store, 1), 0);
  EXPECT_EQ(store.ReadOption("wizOk"), "1");
}

TEST(VersionPage, TextAndReadBack) {
  EXPECT_EQ(VersionPageName("Demo"), "demo_ver.html");
  const std::string text = VersionPageText("/home/me/sites/my<site>.yka", 7);
  EXPECT_EQ(text,
            "<HTML><HEAD><TITLE>Version</TITLE></HEAD>\r\n<BODY>TOLVANE. Please don't delete.<BR>\r\nHypertext "
            ":my_site_.yka<BR>\r\nVersion   :7<BR>\r\n<!--VER=7--><BR>\r\n</BODY>");
  EXPECT_EQ(ServerVersionOf(text), 7);
  EXPECT_EQ(ServerVersionOf("<!--VER=12--> <!--VER=3-->"), 12);
  for (const char* bad : {"", "<!--VER=-->", "<!--VER=x1-->", "<!--VER=5", "VER=5-->"}) EXPECT_EQ(ServerVersionOf(bad), -1) << bad;
}

}  // namespace
}  // namespace tolvane
