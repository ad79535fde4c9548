// tls.dat: which accounts connect with TLS, kept beside accounts.dat, whose
// format stays as it was. Accounts have no key but their name, and names
// need not be unique, so a line "name TAB value" holds the switches of
// every account of that name (letter case ignored) in list order: "1"
// switches them all on, as the file always did, and otherwise one '1' or
// '0' per account. An account beyond the value's end, or any other
// character, reads as on: when in doubt, encrypted. Accounts of one name
// keep their order through a save and a load, so each switch comes back to
// its own account.
#pragma once

#include <string>
#include <vector>

#include "accounts/account.h"
#include "util/keyed_lines.h"

namespace ombrel {

class TlsSwitches {
 public:
  // Sets `tls` of every account from the file's lines.
  void Apply(TAccountList& accounts);
  // Writes the switches of `accounts` into the lines: those of the names
  // read by Apply or shown now; lines of other names are kept.
  void Update(const TAccountList& accounts);

  // A missing file switches every account off and is no failure.
  ReadResult Load(const std::string& path, TAccountList& accounts);
  // Written only when a switch changed.
  WriteResult Save(const std::string& path, const TAccountList& accounts);

  KeyedLines& File() { return lines_; }

 private:
  KeyedLines lines_;
  std::vector<std::string> applied_;  // the names Apply met
};

}  // namespace ombrel
