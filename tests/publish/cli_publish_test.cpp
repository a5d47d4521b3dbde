// tolvane-cli publish against the test server: what it prints, what lands on
// the server, and that the document keeps the published versions.
#include <gtest/gtest.h>

#include "../cli/cli_run.h"
#include "ftp_test_support.h"

namespace tolvane {
namespace {

TEST(CliPublish, PublishesThenOnlyWhatChanged) {
  test::FtpServer server;
  testing::TempDir dir;
  test::WriteAll(dir / "password", "secret\n");
  std::filesystem::copy_file(TOLVANE_DEMO, dir / "demo.yka");
  const std::string target = dir / "demo.yka";
  const std::string common =
      " --server ftp://127.0.0.1 --port " + std::to_string(server.port()) + " --user alice --dir site";

  CliRun first = Cli("publish " + target + common + " --password-file " + (dir / "password"), dir);
  ASSERT_EQ(first.status, 0) << first.out << first.err;
  EXPECT_EQ(first.out, "Publication OK.\n");
  EXPECT_NE(first.err.find("Exportation, phase 1: 0%"), std::string::npos);
  EXPECT_NE(first.err.find("Pr\xE9" "c\xE9" "dente version introuvable"), std::string::npos) << first.err;
  EXPECT_NE(first.err.find("[1/"), std::string::npos);
  EXPECT_EQ((first.out + first.err).find("secret"), std::string::npos);  // never printed
  EXPECT_TRUE(std::filesystem::exists(server.root() + "/site/index.htm"));
  EXPECT_TRUE(std::filesystem::exists(server.root() + "/site/demo_ver.html"));

  // The saved document knows what is on the server: only the shared files go again.
  CliRun second = Cli("publish " + target + common + " --password-file " + (dir / "password") + " --direct", dir);
  ASSERT_EQ(second.status, 0) << second.err;
  EXPECT_NE(second.err.find("Version actuellement sur le serveur : "), std::string::npos) << second.err;
  EXPECT_NE(second.err.find("[3/3]"), std::string::npos) << second.err;
  EXPECT_EQ(second.err.find("[4/"), std::string::npos) << second.err;

  test::WriteAll(dir / "wrong", "nope\n");
  CliRun refused = Cli("publish " + target + common + " --password-file " + (dir / "wrong"), dir);
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.out.rfind("Erreur 530", 0), 0u) << refused.out;

  EXPECT_EQ(Cli("publish " + target + common, dir).status, 2);  // no password
  EXPECT_EQ(Cli("publish " + target + common + " --config 0 --password-file " + (dir / "password"), dir).status, 2);
}

// The whole run over explicit TLS, trusting the server's own certificate.
TEST(CliPublish, OverTlsWithTheServersCertificate) {
  testing::TempDir dir;
  const std::string cert = dir / "server.pem";
  ASSERT_TRUE(test::MakeLoopbackCertificate(cert));
  test::FtpServer server({"--tls", cert});
  test::WriteAll(dir / "password", "secret\n");
  std::filesystem::copy_file(TOLVANE_DEMO, dir / "demo.yka");
  const std::string common = "publish " + (dir / "demo.yka") + " --server 127.0.0.1 --port " +
                             std::to_string(server.port()) + " --user alice --password-file " + (dir / "password") +
                             " --ftps";
  CliRun untrusted = Cli(common, dir);
  EXPECT_EQ(untrusted.status, 1);
  EXPECT_NE(untrusted.out, "Publication OK.\n");
  EXPECT_FALSE(std::filesystem::exists(server.root() + "/demo_ver.html"));

  CliRun trusted = Cli(common + " --ca-file " + cert, dir);
  ASSERT_EQ(trusted.status, 0) << trusted.out << trusted.err;
  EXPECT_EQ(trusted.out, "Publication OK.\n");
  EXPECT_TRUE(std::filesystem::exists(server.root() + "/index.htm"));
  EXPECT_TRUE(std::filesystem::exists(server.root() + "/demo_ver.html"));
}

}  // namespace
}  // namespace tolvane
