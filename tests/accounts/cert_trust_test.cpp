#include <gtest/gtest.h>

#include "accounts/cert_trust.h"

namespace ombrel {
namespace {

TEST(CertTrust, TheStepFollowsVerificationAndTheCertificateTrustedBefore) {
  using enum TrustStep;
  const std::tuple<bool, std::optional<std::string>, bool, TrustStep, const char*> rows[] = {
      {true, std::nullopt, true, Connect, "the authorities vouch for it"},
      {true, "BB", true, Connect, "vouched for beats a self-signed one trusted before"},
      {false, std::nullopt, true, Ask, "never seen for this host"},
      {false, std::nullopt, false, WarnChanged, "an unreadable trust file may have held another"},
      {false, "AA", true, Connect, "the one the user trusts"},
      {false, "BB", true, WarnChanged, "another than the one the user trusts"},
      {false, "", true, WarnChanged, "a damaged entry is no trust"},
  };
  for (const auto& [verified, remembered, trustRead, step, why] : rows)
    EXPECT_EQ(DecideTrust(verified, remembered, "AA", trustRead), step) << why;
}

}  // namespace
}  // namespace ombrel
