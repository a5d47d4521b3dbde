// The FTP layer: listing lines, then a session against a real server on
// 127.0.0.1, judged by the files in the server's folder.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <gtest/gtest.h>

#include <thread>

#include "ftp_test_support.h"
#include "platform/fakes/scripted_messages.h"
#include "platform/ui_hooks.h"
#include "publish/ftp_comm.h"
#include "publish/ftp_listing.h"
#include "publish/ftp_views.h"

namespace tolvane {
namespace {

using namespace test;
const auto* const kNoProxy = ::testing::AddGlobalTestEnvironment(new NoProxy);

// --- listing lines -------------------------------------------------------------

TEST(FtpListing, LinesOfBothForms) {
  struct Case {
    const char* line;
    FtpEntryKind kind;
    const char* name;
    int32_t size;
    int year, month, day, hour, minute;
  };
  const Case cases[] = {
      {"-rw-r--r--   1 web  web      1234 Dec 11 13:45 index.htm", FtpEntryKind::file, "index.htm", 1234, 2026, 12, 11,
       13, 45},
      {"drwxr-xr-x   2 web  web      4096 Mar  3  2024 images", FtpEntryKind::directory, "images", 4096, 2024, 3, 3, 0, 0},
      {"-rw-r--r--   1 web  web        12 Jan  5 09:07 my page 2.htm", FtpEntryKind::file, "my page 2.htm", 12, 2026, 1,
       5, 9, 7},
      {"lrwxrwxrwx   1 root root        7 Feb 29  2024 www -> htdocs", FtpEntryKind::link, "www -> htdocs", 7, 2024, 2,
       29, 0, 0},
      {"-rw-r--r--   1 u    g   99999999999 Jul  1  2020 huge.bin", FtpEntryKind::file, "huge.bin", INT32_MAX, 2020, 7,
       1, 0, 0},
      {"12-11-26  01:45PM       <DIR>          public_html", FtpEntryKind::directory, "public_html", 0, 2026, 12, 11, 13,
       45},
      {"03-02-99  12:05AM                 5120 old.htm", FtpEntryKind::file, "old.htm", 5120, 1999, 3, 2, 0, 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const FtpEntry e = ParseListingLine(c.line, 2026);
    EXPECT_EQ(e.kind, c.kind);
    EXPECT_EQ(e.name, c.name);
    EXPECT_EQ(e.size, c.size);
    ASSERT_TRUE(e.modified.valid);
    EXPECT_EQ(e.modified.year, c.year);
    EXPECT_EQ(e.modified.month, c.month);
    EXPECT_EQ(e.modified.day, c.day);
    EXPECT_EQ(e.modified.hour, c.hour);
    EXPECT_EQ(e.modified.minute, c.minute);
  }
  // A date that cannot be: the entry stays, without a date.
  const FtpEntry odd = ParseListingLine("-rw-r--r-- 1 u g 10 Feb 30 10:00 a.htm", 2026);
  EXPECT_EQ(odd.name, "a.htm");
  EXPECT_FALSE(odd.modified.valid);
  const FtpEntry unknownMonth = ParseListingLine("-rw-r--r-- 1 u g 10 Foo 10 10:00 b.htm", 2026);
  EXPECT_EQ(unknownMonth.name, "b.htm");
  EXPECT_FALSE(unknownMonth.modified.valid);
  for (const char* empty : {"total 12", "", "garbage line", "-rw", "srwxr-xr-x 1 u g 0 Dec 11 13:45 socket",
                            "01-02-03  10:00AM  notanumber x y", "-rw-r--r-- 1 u g 1k2 Dec 11 13:45 c.htm",
                            "-rw-r--r-- 1 u g 10 Dec 11 13:45 ", "-rw-r--r-- 1 u g 10 Dec 11 13:45 a\rb"})
    EXPECT_EQ(ParseListingLine(empty, 2026).kind, FtpEntryKind::none) << empty;
}

TEST(FtpListing, NextEntrySkipsDotsAndUnknownLines) {
  FtpListing listing;
  listing.currentYear = 2026;
  listing.Reset(
      "total 3\r\ndrwxr-xr-x 2 u g 4096 Dec 11 13:45 .\r\ndrwxr-xr-x 2 u g 4096 Dec 11 13:45 ..\r\n"
      "what is this\r\n-rw-r--r-- 1 u g 5 Dec 11 13:45 a.htm\r\n12-11-26  01:45PM  <DIR>  b\r\n"
      // A lone CR ends a line too: no name holds a line break.
      "-rw-r--r-- 1 u g 5 Dec 11 13:45 c\r-rw-r--r-- 1 u g 5 Dec 11 13:45 d\n");
  EXPECT_EQ(listing.NextEntry().name, "a.htm");
  EXPECT_EQ(listing.NextEntry().name, "b");
  EXPECT_EQ(listing.NextEntry().name, "c");
  EXPECT_EQ(listing.NextEntry().name, "d");
  EXPECT_EQ(listing.NextEntry().kind, FtpEntryKind::none);
  EXPECT_EQ(listing.NextEntry().kind, FtpEntryKind::none);
}

// --- a session against the server --------------------------------------------

// Runs a hook while the session waits: the window's Stop button, or a second command.
class HookedUi : public UiHooks {
 public:
  std::function<void()> onPending;
  void ProcessPendingMessages(int) override {
    if (onPending) onPending();
  }
};

class FtpSession : public ::testing::Test {
 protected:
  FtpSession() : comm(messages, ui) { comm.SetServer(server.Address()); }
  FtpServer server;
  ScriptedMessages messages;
  HookedUi ui;
  TNyFtpComm comm;
};

TEST_F(FtpSession, CommandsChangeTheServersFolder) {
  ASSERT_GT(server.port(), 0);
  ASSERT_EQ(comm.Connect(), 230 + 27);  // logged in, then where we are (257)
  EXPECT_EQ(comm.StatusText, "Connect\xE9 \xE0 127.0.0.1");
  EXPECT_EQ(comm.CurrentDir(), "/");
  EXPECT_TRUE(ftp_reply::IsSuccess(comm.MakeDir("/site")));
  const int again = comm.MakeDir("/site");
  EXPECT_TRUE(again >= 550 && again <= 559) << again;  // exists: callers accept it

  const std::string page = std::string("<html>\r\n\x00\xFF", 10) + std::string(300000, 'x');
  // Stored by way of a temporary name, it answers with the transfer's reply.
  EXPECT_EQ(comm.PutStream(page, 0, "/site/index.htm", /*safely=*/true), 226);
  EXPECT_EQ(comm.StatusText.substr(0, 4), "226 ");
  EXPECT_EQ(ReadAll(server.root() + "/site/index.htm"), page);
  EXPECT_EQ(comm.PutStream(page, 8, "/site/tail.htm"), 226);
  EXPECT_EQ(ReadAll(server.root() + "/site/tail.htm"), page.substr(8));
  ScratchFolder local;
  WriteAll(local / "pic.gif", "GIF89a-bytes");
  EXPECT_TRUE(ftp_reply::IsSuccess(comm.PutFile(local / "pic.gif", "/site/pic.gif", true)));
  EXPECT_EQ(ReadAll(server.root() + "/site/pic.gif"), "GIF89a-bytes");
  EXPECT_EQ(FilesUnder(server.root()).size(), 3u);  // no temporary copies left

  std::string back;
  EXPECT_EQ(comm.Get("/site/index.htm", back), 226);
  EXPECT_EQ(back, page);
  EXPECT_EQ(comm.Get("/site/missing.htm", back), 550);
  EXPECT_EQ(comm.StatusText.substr(0, 4), "550 ");

  EXPECT_TRUE(ftp_reply::IsSuccess(comm.ChangeDir("/site")));
  EXPECT_EQ(comm.CurrentDir(), "/site/");
  EXPECT_EQ(comm.ChangeDir("/nowhere"), 550);
  EXPECT_EQ(comm.CurrentDir(), "/site/");  // a refused folder leaves us where we were
  EXPECT_TRUE(ftp_reply::IsSuccess(comm.Rename("tail.htm", "renamed.htm")));  // relative to the folder
  EXPECT_TRUE(fs::exists(server.root() + "/site/renamed.htm"));
  EXPECT_TRUE(ftp_reply::IsSuccess(comm.Delete("/site/renamed.htm")));
  EXPECT_TRUE(ftp_reply::IsSuccess(comm.MakeDir("/site/empty")));
  EXPECT_TRUE(ftp_reply::IsSuccess(comm.RemoveDir("/site/empty")));

  ASSERT_TRUE(ftp_reply::IsSuccess(comm.List("/site/")));
  std::vector<std::string> names;
  for (FtpEntry e = comm.Client.Listing.NextEntry(); e.kind != FtpEntryKind::none; e = comm.Client.Listing.NextEntry())
    names.push_back(e.name + ":" + std::to_string(e.size));
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"index.htm:" + std::to_string(page.size()), "pic.gif:12"}));

  EXPECT_EQ(comm.Disconnect(), 221);
  EXPECT_EQ(comm.StatusText, "Connection \xE0 127.0.0.1 termin\xE9" "e");
  EXPECT_FALSE(comm.Connected());
  // The next command connects again by itself.
  EXPECT_EQ(comm.Get("/site/pic.gif", back), 226);
  EXPECT_TRUE(messages.shown().empty()) << messages.Texts()[0];
}

TEST_F(FtpSession, ActiveModeAndNamesThatNeedEscaping) {
  FtpServerAddress a = server.Address();
  a.passive = false;
  comm.SetServer(a);
  const std::string name = "/d\xE9j\xE0 vu #1 %20?.htm";
  EXPECT_TRUE(ftp_reply::IsSuccess(comm.PutStream("active", 0, name, true)));
  // The document's characters go over the wire as UTF-8.
  EXPECT_EQ(ReadAll(server.root() + "/d\xC3\xA9j\xC3\xA0 vu #1 %20?.htm"), "active");
  ASSERT_TRUE(ftp_reply::IsSuccess(comm.List("/")));
  EXPECT_EQ(comm.Client.Listing.NextEntry().name, name.substr(1));
  // A name that would end the command line is never sent.
  EXPECT_EQ(comm.PutStream("x", 0, "/a\r\nDELE b.htm", false), ftp_reply::kNotStarted);
  EXPECT_EQ(comm.Delete("/x\nRMD /"), ftp_reply::kNotStarted);
}

TEST_F(FtpSession, ConnectionFailuresAreReportedOnce) {
  comm.SetServer(server.Address("wrong"));
  EXPECT_EQ(comm.Connect(), 530);
  EXPECT_EQ(comm.Connect(), 530);
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Impossible d'\xE9tablir une connection, erreur #530"});

  // Nobody listens: a bound socket that never accepts.
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof addr;
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), size), 0);
  getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &size);
  FtpServerAddress closed = server.Address();
  closed.port = ntohs(addr.sin_port);
  ScriptedMessages other;
  TNyFtpComm second(other, ui);
  second.SetServer(closed);
  std::string into;
  EXPECT_EQ(second.Get("/x", into), ftp_reply::kCannotConnect);  // connects first, and fails
  EXPECT_EQ(other.Texts(), std::vector<std::string>{"Impossible d'\xE9tablir une connection, erreur #-6"});
  close(fd);
}

TEST_F(FtpSession, SilentServerTimesOut) {
  FtpServerAddress a = server.Address();
  a.timeoutSeconds = 1;
  comm.SetServer(a);
  ASSERT_TRUE(ftp_reply::IsSuccess(comm.Connect()));
  ASSERT_TRUE(server.Fault("FAULT slow slow.htm 4"));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(comm.PutStream("late", 0, "/slow.htm"), ftp_reply::kTimedOut);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
  EXPECT_FALSE(comm.Busy);
}

TEST_F(FtpSession, StopAbortsTheRunningStoreAndBusyRefusesAnother) {
  ASSERT_TRUE(ftp_reply::IsSuccess(comm.Connect()));
  ASSERT_TRUE(server.Fault("FAULT slow big.htm 3"));
  TNyFtpTxRxBar bar;
  bar.Comm = &comm;
  comm.Bar = &bar;
  int rounds = 0, second = 1;
  bool sawBar = false;
  ui.onPending = [&] {
    sawBar = sawBar || bar.Visible;
    if (++rounds == 3) {
      std::string into;
      second = comm.Get("/other", into);  // while the store runs
    }
    if (rounds == 5) bar.Stop();
  };
  EXPECT_EQ(comm.PutStream(std::string(100000, 'b'), 0, "/big.htm", true), ftp_reply::kInterrupted);
  EXPECT_EQ(comm.LastReply, 0);
  EXPECT_EQ(second, -1);
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Busy"});
  EXPECT_TRUE(sawBar);
  EXPECT_FALSE(bar.Visible);
  EXPECT_FALSE(comm.Busy);
  EXPECT_FALSE(fs::exists(server.root() + "/big.htm"));
  // The session carries on.
  ui.onPending = nullptr;
  EXPECT_TRUE(ftp_reply::IsSuccess(comm.PutStream("after", 0, "/after.htm", true)));
}

TEST_F(FtpSession, RefusedRenameFallsBackToADirectStore) {
  ASSERT_TRUE(server.Fault("FAULT norename"));
  bool refused = false;
  EXPECT_EQ(comm.PutStream("direct", 0, "/page.htm", true, &refused), 226);
  EXPECT_TRUE(refused);
  // The refusal is remembered: later files go directly, and say so.
  refused = false;
  EXPECT_EQ(comm.PutStream("second", 0, "/other.htm", true, &refused), 226);
  EXPECT_TRUE(refused);
  EXPECT_EQ(FilesUnder(server.root()),
            (std::map<std::string, std::string>{{"page.htm", "direct"}, {"other.htm", "second"}}));
}

TEST_F(FtpSession, InvalidDirectoryIsRetriedInsideTheFolder) {
  ASSERT_TRUE(ftp_reply::IsSuccess(comm.MakeDir("/sub")));
  for (const bool safely : {false, true}) {
    ASSERT_TRUE(server.Fault("FAULT invalid_dir page.htm"));
    const std::string text = safely ? "retried safely" : "retried";
    EXPECT_EQ(comm.PutStream(text, 0, "/sub/page.htm", safely), 226) << safely;
    EXPECT_EQ(FilesUnder(server.root() + "/sub"), (std::map<std::string, std::string>{{"page.htm", text}}));
    EXPECT_EQ(comm.CurrentDir(), "/sub/");
  }
}

// Explicit TLS: a certificate made for 127.0.0.1 and trusted through caFile;
// without that trust the session is refused rather than left in the clear.
TEST(FtpSecure, ExplicitTlsSessionChecksTheCertificate) {
  ScratchFolder keys;
  const std::string cert = keys / "server.pem";
  ASSERT_TRUE(MakeLoopbackCertificate(cert));
  FtpServer server({"--tls", cert});
  ASSERT_GT(server.port(), 0);
  ScriptedMessages messages;
  UiHooks ui;
  TNyFtpComm comm(messages, ui);
  FtpServerAddress a = server.Address();
  a.tls = true;
  comm.SetServer(a);
  std::string into;
  EXPECT_EQ(comm.Get("/x", into), ftp_reply::kTlsFailed);  // an unknown certificate
  a.caFile = cert;
  comm.SetServer(a);
  EXPECT_TRUE(ftp_reply::IsSuccess(comm.PutStream("secret page", 0, "/page.htm", true))) << comm.StatusText;
  EXPECT_EQ(ReadAll(server.root() + "/page.htm"), "secret page");
  EXPECT_EQ(comm.Get("/page.htm", into), 226);
  EXPECT_EQ(into, "secret page");
  // Active mode: the server opens the data connection, still protected.
  a.passive = false;
  comm.SetServer(a);
  EXPECT_EQ(comm.PutStream("active page", 0, "/active.htm", true), 226) << comm.StatusText;
  EXPECT_EQ(ReadAll(server.root() + "/active.htm"), "active page");
}

TEST_F(FtpSession, ListViewRowsAndNavigation) {
  WriteAll(server.root() + "/b.htm", "12345");
  WriteAll(server.root() + "/a.gif", "1");
  WriteAll(server.root() + "/www/index.htm", "x");
  fs::create_directories(server.root() + "/images");
  TNyFTPlistView view(comm);
  TNyFTPComboBox combo;
  combo.List = &view;
  view.LinkedFTPCombo = &combo;
  view.Reload();
  auto names = [&] {
    std::vector<std::string> out;
    for (const auto& r : view.Rows()) out.push_back(r.type + " " + r.name + " " + r.size);
    return out;
  };
  EXPECT_EQ(names(), (std::vector<std::string>{"Directory images 4096", "Directory www 4096", "File a.gif 1",
                                               "File b.htm 5"}));
  view.FileSortType = TFtpSortType::fsSize;
  view.Sort();
  EXPECT_EQ(view.Rows()[2].name, "a.gif");
  EXPECT_EQ(view.FindFolder("www"), "/www");
  EXPECT_EQ(view.FindFolder("b.htm"), "");
  EXPECT_EQ(view.FileNameOf(3), "b.htm");
  EXPECT_EQ(view.FileNameOf(0), "");

  view.DoubleClick(1);
  EXPECT_EQ(view.Directory(), "/www/");
  ASSERT_EQ(combo.Items().size(), 2u);
  EXPECT_EQ(combo.Items()[1].path, "/www/");
  EXPECT_EQ(combo.Items()[1].indent, 1);
  const int row = view.NewFolder();
  ASSERT_GE(row, 0);
  EXPECT_TRUE(fs::is_directory(server.root() + "/www/Nouveau dossier"));
  EXPECT_TRUE(view.RenameRow(static_cast<size_t>(row), "docs"));
  EXPECT_TRUE(fs::is_directory(server.root() + "/www/docs"));
  EXPECT_FALSE(view.RenameRow(static_cast<size_t>(row), "../../escape"));
  view.SetDirectory("/nowhere");
  EXPECT_EQ(view.Directory(), "/www/");
  view.Reload();
  for (auto& r : view.Rows()) r.selected = true;
  view.DeleteSelected();
  EXPECT_TRUE(view.Rows().empty());
  EXPECT_FALSE(fs::exists(server.root() + "/www/index.htm"));
  EXPECT_FALSE(fs::exists(server.root() + "/www/docs"));
  combo.Choose(0);
  EXPECT_EQ(view.Directory(), "/");
  view.UpOneLevel();
  EXPECT_EQ(view.Directory(), "/");
}

}  // namespace
}  // namespace tolvane
