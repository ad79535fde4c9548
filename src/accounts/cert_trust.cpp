#include "accounts/cert_trust.h"

#include "util/keyed_lines.h"

namespace ombrel {

TrustStep DecideTrust(bool verified, const std::optional<std::string>& remembered, const std::string& fingerprint,
                      bool trustRead) {
  // A certificate the authorities vouch for needs no question, even where
  // the user once trusted a self-signed one for the same host.
  if (verified || (remembered && *remembered == fingerprint)) return TrustStep::Connect;
  return remembered || !trustRead ? TrustStep::WarnChanged : TrustStep::Ask;
}

std::string TrustKey(const std::string& host, int port) { return host + ":" + std::to_string(port); }

std::string Fingerprint(std::string_view digest) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : digest) {
    if (!out.empty()) out += ':';
    out += kHex[static_cast<unsigned char>(c) >> 4];
    out += kHex[static_cast<unsigned char>(c) & 15];
  }
  return out;
}

bool AcceptCertificate(const UnverifiedCertificate& certificate, const std::string& trustFile, const TrustAsker& ask,
                       const StatusLine& say) {
  const std::string fingerprint = Fingerprint(certificate.sha256);
  const std::string key = TrustKey(certificate.host, certificate.port);
  KeyedLines trusted;
  ReadResult read;
  if (!trustFile.empty()) read = trusted.Load(trustFile);
  if (!read.ok) say("Trusted certificates could not be read: " + read.error + ".\r\n");
  const std::optional<std::string> remembered = trusted.Get(key);
  const TrustStep step = DecideTrust(false, remembered, fingerprint, read.ok);
  if (step == TrustStep::Connect) return true;
  const TrustAnswer answer =
      ask({key, certificate.reason, fingerprint, remembered.value_or(""), step == TrustStep::WarnChanged});
  // Not ignored, the errors end the handshake: a connect error as ever.
  if (answer == TrustAnswer::Cancel) return false;
  // A file that could not be read is not saved over: it would keep only
  // this host's certificate.
  if (answer == TrustAnswer::AlwaysTrust && !trustFile.empty() && read.ok) {
    trusted.Set(key, fingerprint);
    const WriteResult saved = trusted.Save(trustFile);
    if (!saved.ok) say("Trusted certificates could not be saved: " + saved.error + ".\r\n");
  }
  return true;
}

}  // namespace ombrel
