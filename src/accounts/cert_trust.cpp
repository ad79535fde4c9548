#include "accounts/cert_trust.h"

namespace ombrel {

TrustStep DecideTrust(bool verified, const std::optional<std::string>& remembered, const std::string& fingerprint,
                      bool trustRead) {
  // A certificate the authorities vouch for needs no question, even where
  // the user once trusted a self-signed one for the same host.
  if (verified || (remembered && *remembered == fingerprint)) return TrustStep::Connect;
  return remembered || !trustRead ? TrustStep::WarnChanged : TrustStep::Ask;
}

std::string TrustKey(const std::string& host, int port) { return host + ":" + std::to_string(port); }

}  // namespace ombrel
