// One trigger pattern and how PCRE2 reads it: the four kinds, the check the
// editor runs before it accepts a pattern, and the compiled PCRE2 code that
// finds the exact spans and captures of a match in one line.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "options/options.h"

struct pcre2_real_code_8;

namespace ombrel {

struct Pattern {
  TriggerKind kind = TriggerKind::substring;
  std::string text;
  bool ignorecase = false;
  bool operator==(const Pattern&) const = default;
};

// The pattern a trigger's string and record give.
Pattern PatternOf(const TTrigger& trigger);

bool IsLiteralKind(TriggerKind kind);

// What PCRE2 says of a pattern it refuses, and the 0-based byte offset in
// the pattern's text it points at.
struct PatternError {
  std::string message;
  size_t offset = 0;
  bool operator==(const PatternError&) const = default;
};

// What the editor says of a refused pattern: PCRE2's message and the
// 1-based position of the character it points at.
std::string DescribePatternError(const PatternError& error);

// Nothing when the pattern compiles. An empty pattern is valid: it never
// matches, as an empty classic trigger string never did.
std::optional<PatternError> ValidatePattern(const Pattern& pattern, bool utf8);

// A compiled PCRE2 pattern, JIT-compiled when asked and possible. Matching
// with it needs match data of one's own, so one code serves any thread.
class PcreCode {
 public:
  // Null with `error` set when PCRE2 refuses the pattern.
  static std::unique_ptr<PcreCode> Compile(const Pattern& pattern, bool utf8, bool jit, PatternError* error = nullptr);
  ~PcreCode();
  PcreCode(const PcreCode&) = delete;
  PcreCode& operator=(const PcreCode&) = delete;

  pcre2_real_code_8* get() const { return code_; }
  bool utf() const { return utf_; }
  // Compiled by the JIT: matched through its own entry, which skips the
  // checks pcre2_match makes first.
  bool jitted() const { return jitted_; }
  // The fewest bytes a match can take: 0 for a pattern that may match
  // an empty span.
  uint32_t MinLength() const;

 private:
  PcreCode(pcre2_real_code_8* code, bool utf, bool jitted) : code_(code), utf_(utf), jitted_(jitted) {}
  pcre2_real_code_8* code_;
  bool utf_;
  bool jitted_;
};

}  // namespace ombrel
