#include "accounts/tls_switches.h"

#include <cctype>
#include <map>

namespace ombrel {

namespace {

std::string Folded(const std::string& name) {
  std::string s = name;
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

void TlsSwitches::Apply(TAccountList& accounts) {
  applied_.clear();
  std::map<std::string, size_t> seen;  // accounts met so far under each name
  for (int i = 0; i < accounts.Count(); ++i) {
    TAccount& a = accounts.At(i);
    const size_t nth = seen[Folded(a.name)]++;
    const std::optional<std::string> value = lines_.Get(a.name);
    a.tls = value && !(nth < value->size() && (*value)[nth] == '0');
    applied_.push_back(a.name);
  }
}

void TlsSwitches::Update(const TAccountList& accounts) {
  struct Group {
    std::string name, bits;
  };
  std::map<std::string, Group> groups;
  for (int i = 0; i < accounts.Count(); ++i) {
    const TAccount& a = accounts.At(i);
    Group& g = groups.try_emplace(Folded(a.name), Group{a.name, {}}).first->second;
    g.bits += a.tls ? '1' : '0';
  }
  // A name no account bears any more leaves no line behind.
  for (const std::string& name : applied_)
    if (!groups.contains(Folded(name))) lines_.Erase(name);
  for (const auto& [folded, g] : groups) {
    if (g.bits.find('1') == std::string::npos) {
      lines_.Erase(g.name);
    } else {
      lines_.Set(g.name, g.bits.find('0') == std::string::npos ? "1" : g.bits);
    }
  }
}

ReadResult TlsSwitches::Load(const std::string& path, TAccountList& accounts) {
  const ReadResult r = lines_.Load(path);
  Apply(accounts);
  return r;
}

WriteResult TlsSwitches::Save(const std::string& path, const TAccountList& accounts) {
  Update(accounts);
  return lines_.Save(path);
}

}  // namespace ombrel
