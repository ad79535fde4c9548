// Whether a TLS connection goes on when the server's certificate does not
// verify against the system's authorities, as game servers with
// self-signed certificates are common: the user decides once per host and
// port, and a certificate they trusted that changes is warned about.
#pragma once

#include <optional>
#include <string>

namespace ombrel {

enum class TrustStep {
  Connect,      // verified, or the certificate the user trusted before
  Ask,          // a certificate never seen for this host
  WarnChanged,  // not the certificate the user trusted for this host
};

// `trustRead` false: trusted_certs.dat exists but could not be read, so any
// host may have been trusted with another certificate.
TrustStep DecideTrust(bool verified, const std::optional<std::string>& remembered, const std::string& fingerprint,
                      bool trustRead);

enum class TrustAnswer { ConnectOnce, AlwaysTrust, Cancel };

// What the question shows the user.
struct TrustQuestion {
  std::string host;  // host:port
  std::string reason;
  std::string fingerprint;  // SHA-256, hex pairs joined by ':'
  std::string remembered;   // for WarnChanged, the fingerprint trusted before
  bool changed = false;
};

// The key of a host in trusted_certs.dat.
std::string TrustKey(const std::string& host, int port);

}  // namespace ombrel
