// A saved connection target and the list the account manager shows,
// sorted by name with letter case ignored.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "options/options.h"

namespace ombrel {

struct TAccount {
  std::string name;
  std::string server;
  std::string port;  // as typed; digits only once edited
  std::string optionset = kDefaultSetName;
  Lines comments;
  Lines autoSend;
  // Connects with TLS: kept in tls.dat (tls_switches.h), not in accounts.dat.
  bool tls = false;
  bool operator==(const TAccount&) const = default;
};

// The account the Add command creates under the typed name.
std::unique_ptr<TAccount> NewAccount(const std::string& name);

// Splits at CR LF, a lone CR and a lone LF; a line break at the very end
// adds no empty line, and an empty text gives no lines.
Lines TextToLines(std::string_view text);
// Every line, the last one included, is followed by CR LF.
std::string LinesToText(const Lines& lines);

// Negative, zero or positive as a sorts before, with or after b, letter
// case ignored.
int CompareNoCase(std::string_view a, std::string_view b);

// Entries are listed under their account's name. A new entry goes to its
// sorted place, after the entries with an equal name, so accounts sharing
// a name keep their order through a save and a load. Renaming an account
// leaves it where it is until the list is loaded again.
class TAccountList {
 public:
  int Count() const { return static_cast<int>(accounts_.size()); }
  bool Empty() const { return accounts_.empty(); }
  TAccount& At(int index) { return *accounts_.at(index); }
  const TAccount& At(int index) const { return *accounts_.at(index); }
  const std::string& NameAt(int index) const { return accounts_.at(index)->name; }

  // Returns the index the account got.
  int Insert(std::unique_ptr<TAccount> account);
  void RemoveAt(int index);
  void Clear() { accounts_.clear(); }

  // First entry whose name matches with letter case ignored.
  std::optional<int> IndexOfNoCase(std::string_view name) const;

 private:
  std::vector<std::unique_ptr<TAccount>> accounts_;
};

}  // namespace ombrel
