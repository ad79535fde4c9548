// A data file of "key TAB value" lines for settings kept beside the classic
// files (tls.dat, trusted_certs.dat): a line's value follows its last tab,
// as values hold none and a key may; keys compare without letter case,
// lines this version cannot read are kept in their place, and a file is
// written only when its content changed, so a switch never used never
// creates one.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "util/atomic_file.h"
#include "util/text_file.h"

namespace ombrel {

class KeyedLines {
 public:
  void Parse(std::string_view bytes);
  std::string Format() const;
  std::optional<std::string> Get(std::string_view key) const;
  // A new key goes at the end.
  void Set(std::string_view key, std::string value);
  void Erase(std::string_view key);

  ReadResult Load(const std::string& path);
  WriteResult Save(const std::string& path);

 private:
  struct Line {
    std::string key, value;
    bool keyed = true;  // false: an unreadable line, kept whole in `key`
  };
  Line* Find(std::string_view key);
  std::vector<Line> lines_;
  std::string loaded_;  // as read or last written
};

}  // namespace ombrel
