// Whether a TLS connection goes on when the server's certificate does not
// verify against the system's authorities, as game servers with
// self-signed certificates are common: the user decides once per host and
// port, and a certificate they trusted that changes is warned about. The
// socket adapter only hands over what it was shown.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace ombrel {

enum class TrustAnswer { ConnectOnce, AlwaysTrust, Cancel };

// What the question shows the user.
struct TrustQuestion {
  std::string host;  // host:port
  std::string reason;
  std::string fingerprint;  // SHA-256, hex pairs joined by ':'
  std::string remembered;   // when changed, the fingerprint trusted before
  bool changed = false;     // not the certificate the user trusted for this host
  // Why trusted_certs.dat could not be read: whether this certificate was
  // trusted before is not known, and the answer cannot be remembered.
  std::string unreadable;
};

// The key of a host in trusted_certs.dat.
std::string TrustKey(const std::string& host, int port);
// A digest's bytes as the question shows them and the file keeps them:
// upper-case hex pairs joined by ':'.
std::string Fingerprint(std::string_view digest);

// A certificate the handshake could not verify.
struct UnverifiedCertificate {
  std::string host;  // the host name, or the numeric address
  int port = 0;
  std::string sha256;  // the digest's bytes
  std::string reason;  // why it did not verify
};

using TrustAsker = std::function<TrustAnswer(const TrustQuestion& question)>;
using StatusLine = std::function<void(const std::string& line)>;

// True when the handshake may go on: the certificate is the one the user
// trusts for this host, or the user says so when asked. (One the system's
// authorities vouch for never comes here: it needs no question, even where
// the user once trusted a self-signed one for the same host.) `trustFile` is
// trusted_certs.dat (empty: nothing is kept); `say` writes a status line
// into the terminal.
bool AcceptCertificate(const UnverifiedCertificate& certificate, const std::string& trustFile, const TrustAsker& ask,
                       const StatusLine& say);

}  // namespace ombrel
