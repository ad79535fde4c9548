#include "command/param_table.h"

namespace ombrel {

std::string AsciiLower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

void ParamTable::AddParam(const std::string& name, const std::string& value) {
  pairs_.emplace_back(name, value);
}

std::string ParamTable::LookupParam(const std::string& name) const {
  const std::string key = AsciiLower(name);
  for (const auto& [pairName, value] : pairs_)
    if (pairName == key) return value;
  return std::string();
}

}  // namespace ombrel
