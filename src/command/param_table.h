// Parameter values of one alias or macro expansion, in the order they were
// added; the first pair with a name wins.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace ombrel {

// Lower case for the letters A to Z only; other bytes stay as they are.
std::string AsciiLower(std::string s);

class ParamTable {
 public:
  void AddParam(const std::string& name, const std::string& value);
  // Value of the first pair named like `name` lower-cased; empty if none.
  std::string LookupParam(const std::string& name) const;

 private:
  std::vector<std::pair<std::string, std::string>> pairs_;
};

}  // namespace ombrel
