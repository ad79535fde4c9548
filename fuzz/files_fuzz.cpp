// The three file readers take any bytes, and what they read written out
// and read again is the same: options.dat, accounts.dat and config.cfg.
#include "accounts/accounts_file.h"
#include "app/config_record.h"
#include "fuzz_support.h"
#include "options/options_file.h"

using namespace ombrel;

namespace {

bool SameSets(const TOptionSetList& a, const TOptionSetList& b) {
  if (a.Count() != b.Count()) return false;
  for (int i = 0; i < a.Count(); ++i)
    if (!(a.At(i) == b.At(i))) return false;
  return true;
}

bool SameAccounts(const TAccountList& a, const TAccountList& b) {
  if (a.Count() != b.Count()) return false;
  for (int i = 0; i < a.Count(); ++i)
    if (!(a.At(i) == b.At(i))) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in{data, size};
  const uint8_t which = in.Byte() % 3;
  const std::string bytes = in.Rest();
  if (which == 0) {
    TOptionSetList first, again;
    ParseOptionSets(bytes, first);
    FUZZ_CHECK(first.Count() >= 1, "options.dat read to no set at all");
    const std::string written = FormatOptionSets(first);
    ParseOptionSets(written, again);
    FUZZ_CHECK(SameSets(first, again), "options.dat written and read again holds other sets");
    FUZZ_CHECK(FormatOptionSets(again) == written, "options.dat written twice differs");
  } else if (which == 1) {
    TOptionSetList sets;
    sets.AddNew("Default"), sets.AddNew("Mud");
    TAccountList first, again;
    ParseAccounts(bytes, first, sets);
    const std::string written = FormatAccounts(first);
    FUZZ_CHECK(ParseAccounts(written, again, sets).ok, "accounts.dat as written does not read");
    FUZZ_CHECK(SameAccounts(first, again), "accounts.dat written and read again holds other accounts");
    FUZZ_CHECK(FormatAccounts(again) == written, "accounts.dat written twice differs");
  } else {
    TConfigRecord first, again;
    if (!DecodeConfig(bytes, first)) {
      FUZZ_CHECK(bytes.size() < kConfigRecordSize, "a whole config record did not read");
      return 0;
    }
    FUZZ_CHECK(first.lastDir.size() <= kLastDirMax, "config.cfg read a directory too long to write");
    const auto written = EncodeConfig(first);
    FUZZ_CHECK(DecodeConfig(std::string_view(reinterpret_cast<const char*>(written.data()), written.size()), again),
               "config.cfg as written does not read");
    FUZZ_CHECK(again == first, "config.cfg written and read again holds other values");
  }
  return 0;
}
