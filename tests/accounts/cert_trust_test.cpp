#include <gtest/gtest.h>

#include "accounts/cert_trust.h"

namespace ombrel {
namespace {

TEST(CertTrust, TheStepFollowsVerificationAndTheCertificateTrustedBefore) {
  using enum TrustStep;
  const std::tuple<bool, std::optional<std::string>, TrustStep, const char*> rows[] = {
      {true, std::nullopt, Connect, "the authorities vouch for it"},
      {true, "BB", Connect, "vouched for beats a self-signed one trusted before"},
      {false, std::nullopt, Ask, "never seen for this host"},
      {false, "AA", Connect, "the one the user trusts"},
      {false, "BB", WarnChanged, "another than the one the user trusts"},
      {false, "", WarnChanged, "a damaged entry is no trust"},
  };
  for (const auto& [verified, remembered, step, why] : rows)
    EXPECT_EQ(DecideTrust(verified, remembered, "AA"), step) << why;
}

}  // namespace
}  // namespace ombrel
