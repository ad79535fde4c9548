// The question about a server certificate that does not verify: the host,
// the reason and the fingerprint, answered Connect Once, Always Trust or
// Cancel. A certificate other than the one trusted before is a warning
// whose default is Cancel, as is one asked about while the trusted
// certificates cannot be read, with no Always Trust.
#pragma once

#include "accounts/cert_trust.h"

namespace ombrel {

TrustAnswer AskTrust(const TrustQuestion& question);

}  // namespace ombrel
