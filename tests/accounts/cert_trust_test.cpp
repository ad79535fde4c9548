#include <gtest/gtest.h>

#include "accounts/cert_trust.h"
#include "file_fixture.h"

namespace ombrel {
namespace {

// A certificate put to the user, with the questions asked and the status
// lines said kept for the test; `answer` may open a question of its own.
struct Connection {
  std::string file;
  std::vector<TrustQuestion> asked;
  std::vector<std::string> said;
  bool Accept(const std::string& host, int port, const std::string& sha256, std::function<TrustAnswer()> answer) {
    return AcceptCertificate(
        {host, port, sha256, "self-signed"}, file, [&](const TrustQuestion& q) { return asked.push_back(q), answer(); },
        [&](const std::string& line) { said.push_back(line); });
  }
  bool Accept(const std::string& host, int port, const std::string& sha256, TrustAnswer answer) {
    return Accept(host, port, sha256, [answer] { return answer; });
  }
};

// The file keeps a certificate under its host and port (the host's letter
// case ignored) as the SHA-256's hex pairs; a damaged entry is a change.
// Two terminals connecting at once, each with its question open: every
// answer is added to the file as the file stands when it is given.
TEST(CertTrust, ACertificateIsTrustedForItsHostAndPort) {
  using enum TrustAnswer;
  test::TempDir dir;
  Connection c{dir / "trusted_certs.dat"};
  EXPECT_TRUE(c.Accept("mud.example", 4000, "\xAB\x01\xFF", AlwaysTrust));
  EXPECT_EQ(test::ReadBytes(c.file), "mud.example:4000\tAB:01:FF\r\n");
  EXPECT_TRUE(c.Accept("MUD.example", 4000, "\xAB\x01\xFF", Cancel));  // not asked
  EXPECT_FALSE(c.Accept("mud.example", 4001, "\xAB\x01\xFF", Cancel));
  EXPECT_FALSE(c.Accept("mud.example", 4000, std::string("\xAB\x01\x00", 3), Cancel));
  test::WriteBytes(c.file, "a.example:23\t\r\n");
  EXPECT_TRUE(c.Accept("a.example", 23, "\x0A", [&] {
    EXPECT_TRUE(c.Accept("b.example", 23, "\x0B", AlwaysTrust));
    return AlwaysTrust;
  }));
  EXPECT_EQ(test::ReadBytes(c.file), "a.example:23\t0A\r\nb.example:23\t0B\r\n");
  ASSERT_EQ(c.asked.size(), 5u);
  EXPECT_TRUE(!c.asked[1].changed && c.asked[1].host == "mud.example:4001");
  EXPECT_TRUE(c.asked[2].changed && c.asked[2].remembered == "AB:01:FF" && c.asked[2].fingerprint == "AB:01:00");
  EXPECT_TRUE(c.asked[3].changed && c.asked[4].host == "b.example:23" && c.said.empty());
}

// A file that cannot be read: said, and asked about as a certificate not
// known, not as one that changed; the question offers nothing to remember,
// and the file is never written over, also when it fails only by the time
// the answer comes.
TEST(CertTrust, AnUnreadableFileIsSaidAndNeverWrittenOver) {
  using enum TrustAnswer;
  test::TempDir dir;
  Connection c{dir / "trusted_certs.dat"};
  std::filesystem::create_directory(c.file);  // opens, but cannot be read
  EXPECT_TRUE(c.Accept("mud.example", 23, "\x0A", AlwaysTrust));
  ASSERT_EQ(c.asked.size(), 1u);
  EXPECT_TRUE(!c.asked[0].changed && c.asked[0].remembered.empty() && !c.asked[0].unreadable.empty());
  std::filesystem::remove(c.file);
  EXPECT_TRUE(c.Accept("mud.example", 23, "\x0A", [&] {
    std::filesystem::create_directory(c.file);
    return AlwaysTrust;
  }));
  EXPECT_TRUE(c.asked[1].unreadable.empty() && std::filesystem::is_directory(c.file));
  ASSERT_EQ(c.said.size(), 2u);
  for (const std::string& line : c.said)
    EXPECT_TRUE(line.starts_with("Trusted certificates could not be read: ") && line.find("remembered") != line.npos);
}

}  // namespace
}  // namespace ombrel
