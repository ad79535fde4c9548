// What the fuzz targets share: reading choices out of the input, a socket
// that records what is sent, a dump of the line store and a reference
// telnet stripper that follows the protocol's rules rather than the parser.
#pragma once

#include <cstdint>
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>

#include "term/line_store.h"
#include "term/platform.h"

namespace ombrel::fuzz {

[[noreturn]] inline void Fail(const char* file, int line, const std::string& what) {
  std::fprintf(stderr, "%s:%d: property failed: %s\n", file, line, what.c_str());
  std::abort();
}
#define FUZZ_CHECK(cond, what) \
  do {                         \
    if (!(cond)) ::ombrel::fuzz::Fail(__FILE__, __LINE__, what); \
  } while (0)

// Properties the core breaks today, each shown by a seed under
// fuzz/corpus/. They are counted and reported once per place so that the
// fuzzers go on looking for new faults, and abort like any other property
// when OMBREL_FUZZ_STRICT is set, which proves a fix.
inline std::map<std::string, std::pair<int, std::string>>& KnownFindings() {
  static std::map<std::string, std::pair<int, std::string>> found;  // place: count, first message
  return found;
}
inline void KnownFinding(const char* file, int line, const std::string& what) {
  if (std::getenv("OMBREL_FUZZ_STRICT")) Fail(file, line, what);
  auto& [count, first] = KnownFindings()[std::string(file) + ":" + std::to_string(line)];
  if (count++ == 0) {
    first = what;
    std::fprintf(stderr, "known finding at %s:%d: %s\n", file, line, what.c_str());
  }
}
#define FUZZ_FINDING(cond, what) \
  do {                           \
    if (!(cond)) ::ombrel::fuzz::KnownFinding(__FILE__, __LINE__, what); \
  } while (0)

struct Input {
  const uint8_t* data;
  size_t size;
  size_t pos = 0;
  uint8_t Byte() { return pos < size ? data[pos++] : 0; }
  std::string Take(size_t n) {
    n = std::min(n, size - pos);
    std::string out(reinterpret_cast<const char*>(data + pos), n);
    pos += n;
    return out;
  }
  std::string Rest() { return Take(size - pos); }
};

class Socket : public IClientSocket {
 public:
  std::string sent;
  int writes = 0;
  void SendText(const std::string& bytes) override { sent += bytes, ++writes; }
  bool Active() const override { return true; }
  void Close() override {}
  std::string Address() const override { return {}; }
  std::string Host() const override { return "mud.example.org"; }
  int Port() const override { return 4000; }
};

inline std::string Dump(const LineStore& store) {
  std::string out;
  for (int i = 0; i <= store.CurLine(); ++i) {
    const StoredLine r = store.Line(i);
    out += std::to_string(r.start.color) + " " + std::to_string(r.start.bold) + " " +
           std::to_string(r.start.background) + " " + std::to_string(r.start.reverse) +
           std::to_string(r.start.underline) + " |";
    out.append(r.text);
    out += "|\n";
  }
  return out;
}

// The text of a telnet stream: IAC IAC is the data byte 255, IAC SB runs to
// the IAC SE that is not itself a doubled 255, every other IAC sequence is a
// command of two or three bytes; a sequence cut off at the end is not text.
inline std::string TelnetText(std::string_view s) {
  constexpr char IAC = '\xff', SB = '\xfa', SE = '\xf0';
  std::string text;
  size_t i = 0;
  while (i < s.size()) {
    if (s[i] != IAC) {
      text += s[i++];
      continue;
    }
    if (i + 1 >= s.size()) break;
    const unsigned char c = static_cast<unsigned char>(s[i + 1]);
    if (s[i + 1] == IAC) {
      text += IAC, i += 2;
    } else if (c < 250 || c > 254) {
      i += 2;
    } else if (s[i + 1] != SB) {
      if (i + 2 >= s.size()) break;
      i += 3;
    } else {
      size_t j = i + 3;
      while (j + 1 < s.size() && !(s[j] == IAC && s[j + 1] == SE)) j += (s[j] == IAC) ? 2 : 1;
      if (j + 1 >= s.size()) break;
      i = j + 2;
    }
  }
  return text;
}

}  // namespace ombrel::fuzz
