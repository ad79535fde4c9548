// UTF-8 as the terminal shows it: characters decoded one at a time, where a
// byte that starts no valid character stands for U+FFFD on its own, so the
// stored bytes always map onto cells the same way, however they were cut.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ombrel::utf8 {

inline constexpr char32_t kReplacement = 0xFFFD;

inline bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// Decodes the character at d[i] (i < n) into `cp` and returns its length in
// bytes: at least one. A byte that does not start a complete, shortest,
// non-surrogate sequence within d[i, n) is U+FFFD of length one.
inline size_t Decode(const char* d, size_t n, size_t i, char32_t& cp) {
  const auto b = [&](size_t k) { return static_cast<unsigned char>(d[i + k]); };
  const unsigned char lead = b(0);
  if (lead < 0x80) {
    cp = lead;
    return 1;
  }
  cp = kReplacement;
  size_t len;
  unsigned char lo = 0x80, hi = 0xBF;  // the second byte's range
  if (lead >= 0xC2 && lead <= 0xDF) {
    len = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    len = 3;
    if (lead == 0xE0) lo = 0xA0;
    if (lead == 0xED) hi = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    len = 4;
    if (lead == 0xF0) lo = 0x90;
    if (lead == 0xF4) hi = 0x8F;
  } else {
    return 1;
  }
  if (n - i < len || b(1) < lo || b(1) > hi) return 1;
  char32_t v = lead & (0x7F >> len);
  v = (v << 6) | (b(1) & 0x3F);
  for (size_t k = 2; k < len; ++k) {
    if (!IsContinuation(b(k))) return 1;
    v = (v << 6) | (b(k) & 0x3F);
  }
  cp = v;
  return len;
}

// Cells a character takes in a terminal: two for East Asian wide and
// fullwidth ones, none for combining marks and invisible format
// characters, one for the rest (control characters included, as a byte
// took one before).
int Cells(char32_t cp);

// The small letter for a capital whose two forms take the same number of
// bytes: ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic, final sigma
// as sigma. Any other character is itself. A search that ignores case
// then matches as many bytes as the pattern holds, so columns stay true.
char32_t FoldCase(char32_t cp);

// Every character of `s` folded as above; bytes that are no valid
// character stay as they are.
std::string FoldCase(std::string_view s);

// How many bytes at the end of d[0, n) begin a character that more bytes
// could still complete: they are not shown as U+FFFD until it is known.
size_t IncompleteTail(const char* d, size_t n);

}  // namespace ombrel::utf8
