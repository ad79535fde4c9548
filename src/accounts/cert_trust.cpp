#include "accounts/cert_trust.h"

#include "util/keyed_lines.h"

namespace ombrel {

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

namespace {

const char kUnreadable[] = "Trusted certificates could not be read: ";

// Read, changed and written in one step when the answer is given: another
// terminal's question may have been answered while this one was open.
void Remember(const std::string& trustFile, const std::string& key, const std::string& fingerprint,
              const StatusLine& say) {
  KeyedLines trusted;
  const ReadResult read = trusted.Load(trustFile);
  // Saved unread, the file would keep only this host's certificate.
  if (!read.ok) return say(kUnreadable + read.error + "; the certificate is not remembered.\r\n");
  trusted.Set(key, fingerprint);
  const WriteResult saved = trusted.Save(trustFile);
  if (!saved.ok) say("Trusted certificates could not be saved: " + saved.error + ".\r\n");
}

}  // namespace

bool AcceptCertificate(const UnverifiedCertificate& certificate, const std::string& trustFile, const TrustAsker& ask,
                       const StatusLine& say) {
  TrustQuestion question;
  question.host = TrustKey(certificate.host, certificate.port);
  question.reason = certificate.reason;
  question.fingerprint = Fingerprint(certificate.sha256);
  KeyedLines trusted;
  ReadResult read;
  if (!trustFile.empty()) read = trusted.Load(trustFile);
  // Nothing is known of this host then: not a changed certificate, but
  // one that cannot be checked, and an answer that cannot be kept.
  if (!read.ok) {
    question.unreadable = read.error;
    say(kUnreadable + read.error + "; an answer cannot be remembered.\r\n");
  }
  // A damaged entry is no trust, but a change.
  const std::optional<std::string> remembered = trusted.Get(question.host);
  if (remembered == question.fingerprint) return true;
  question.remembered = remembered.value_or("");
  question.changed = remembered.has_value();
  const TrustAnswer answer = ask(question);
  // Not ignored, the errors end the handshake: a connect error as ever.
  if (answer == TrustAnswer::Cancel) return false;
  if (answer == TrustAnswer::AlwaysTrust && !trustFile.empty() && read.ok)
    Remember(trustFile, question.host, question.fingerprint, say);
  return true;
}

}  // namespace ombrel
