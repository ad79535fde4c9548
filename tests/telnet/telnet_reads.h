// A stream through the parser as the receive path hands it over: in reads,
// a sequence cut off by the end of one put in front of the next.
#pragma once

#include <string>
#include <vector>

#include "telnet/telnet_parser.h"

namespace ombrel::testing {

struct Parsed {
  std::string text, answers;
  bool operator==(const Parsed&) const = default;
};

inline Parsed ParseReads(TTelnetParser& parser, const std::vector<std::string>& reads) {
  Parsed out;
  std::string tail, piece;
  for (const std::string& read : reads) {
    const std::string block = tail + read;
    tail.clear();
    for (size_t pos = 0; pos < block.size();) {
      const int kind = parser.ParseAt(block, pos, piece);
      if (kind == ParseIncomplete) {
        tail = parser.Incomplete();
        break;
      }
      (kind == ParseText ? out.text : out.answers) += piece;
    }
  }
  return out;
}

// `stream` cut into reads of `size` bytes.
inline std::vector<std::string> Reads(const std::string& stream, size_t size) {
  std::vector<std::string> reads;
  for (size_t at = 0; at < stream.size(); at += size) reads.push_back(stream.substr(at, size));
  return reads;
}

}  // namespace ombrel::testing
