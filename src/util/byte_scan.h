// Searches for a few byte values at once, sixteen bytes a step where the
// processor allows: the receive path looks for line ends and escapes in
// every byte a server sends.
#pragma once

#include <cstddef>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace ombrel {

// Index of the first byte in d[i, n) equal to a, b or c; n when none is.
inline size_t FindAnyOf(const char* d, size_t i, size_t n, char a, char b, char c) {
#if defined(__SSE2__)
  const __m128i va = _mm_set1_epi8(a), vb = _mm_set1_epi8(b), vc = _mm_set1_epi8(c);
  for (; i + 16 <= n; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
    const __m128i hit =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, va), _mm_cmpeq_epi8(v, vb)), _mm_cmpeq_epi8(v, vc));
    if (const int mask = _mm_movemask_epi8(hit)) return i + static_cast<size_t>(__builtin_ctz(mask));
  }
#endif
  for (; i < n; ++i)
    if (d[i] == a || d[i] == b || d[i] == c) return i;
  return n;
}

// Index of the first byte in d[i, n) that is a0 or a1 and is followed by
// b0, b1 or b2; n when none is. Two bytes side by side are far rarer than
// either alone, so a search for a common first letter stops seldom.
inline size_t FindPair(const char* d, size_t i, size_t n, char a0, char a1, char b0, char b1, char b2) {
  if (n == 0) return 0;
  const size_t last = n - 1;  // the last byte has no byte after it
#if defined(__SSE2__)
  const __m128i va0 = _mm_set1_epi8(a0), va1 = _mm_set1_epi8(a1);
  const __m128i vb0 = _mm_set1_epi8(b0), vb1 = _mm_set1_epi8(b1), vb2 = _mm_set1_epi8(b2);
  auto pairs = [&](size_t at) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + at));
    const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + at + 1));
    const __m128i first = _mm_or_si128(_mm_cmpeq_epi8(v, va0), _mm_cmpeq_epi8(v, va1));
    const __m128i second =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(w, vb0), _mm_cmpeq_epi8(w, vb1)), _mm_cmpeq_epi8(w, vb2));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(first, second)));
  };
  for (; i + 16 <= last; i += 16)
    if (const unsigned mask = pairs(i)) return i + static_cast<size_t>(__builtin_ctz(mask));
  // Lines are short: the rest is one more step that overlaps the last,
  // with the places already searched masked out, rather than a byte loop.
  if (i < last && last >= 16) {
    const size_t at = last - 16;
    const unsigned mask = pairs(at) & (~0u << (i - at));
    return mask ? at + static_cast<size_t>(__builtin_ctz(mask)) : n;
  }
#endif
  for (; i < last; ++i)
    if ((d[i] == a0 || d[i] == a1) && (d[i + 1] == b0 || d[i + 1] == b1 || d[i + 1] == b2)) return i;
  return n;
}

// Calls f(i) for each i in [0, n), in order, where d[i] is a, b or c: a
// block with several is searched once, not once after each.
template <typename F>
inline void ForEachOf(const char* d, size_t n, char a, char b, char c, F&& f) {
  size_t i = 0;
#if defined(__SSE2__)
  // Spread from a word, not a byte: a compiler that spreads bytes through
  // the stack stalls on reading them back, once a line.
  const auto spread = [](char x) { return _mm_set1_epi32(static_cast<int>(0x01010101u * static_cast<unsigned char>(x))); };
  const __m128i va = spread(a), vb = spread(b), vc = spread(c);
  for (; i + 16 <= n; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
    const __m128i hit =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, va), _mm_cmpeq_epi8(v, vb)), _mm_cmpeq_epi8(v, vc));
    for (unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hit)); mask != 0; mask &= mask - 1)
      f(i + static_cast<size_t>(__builtin_ctz(mask)));
  }
  // The rest as the last sixteen bytes, less those already searched: most
  // lines leave a few, and a byte at a time they cost as much as the line.
  if (i < n && n >= 16) {
    const size_t last = n - 16;
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + last));
    const __m128i hit =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, va), _mm_cmpeq_epi8(v, vb)), _mm_cmpeq_epi8(v, vc));
    unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hit)) >> (i - last) << (i - last);
    for (; mask != 0; mask &= mask - 1) f(last + static_cast<size_t>(__builtin_ctz(mask)));
    return;
  }
#endif
  for (; i < n; ++i)
    if (d[i] == a || d[i] == b || d[i] == c) f(i);
}

// Index of the last byte in d[0, n) equal to c; npos when none is.
inline size_t FindLast(const char* d, size_t n, char c) {
  // What is looked for mostly stands near the end, a line's closing colour:
  // there a call costs more than the search.
  for (const size_t stop = n > 16 ? n - 16 : 0; n > stop;)
    if (d[--n] == c) return n;
#if defined(__GLIBC__)
  if (n == 0) return static_cast<size_t>(-1);  // an empty view's data may be null, which memrchr may not take
  const void* hit = ::memrchr(d, c, n);
  return hit ? static_cast<size_t>(static_cast<const char*>(hit) - d) : static_cast<size_t>(-1);
#else
  while (n > 0)
    if (d[--n] == c) return n;
  return static_cast<size_t>(-1);
#endif
}

}  // namespace ombrel
