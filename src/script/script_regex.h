// The regular expressions of script triggers and aliases, behind the few
// calls the script host makes, so that the client's own pattern engine can
// take PCRE2's place here without the host changing.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ombrel {

class ScriptRegex {
 public:
  // A group's 0-based byte offset and length in the subject; a group that
  // took no part in the match has offset npos.
  struct Span {
    size_t offset = std::string_view::npos;
    size_t length = 0;
  };

  // Null with the reason in `error` when the pattern is refused. With
  // `utf8` the pattern and the lines are read as UTF-8 (invalid bytes in a
  // line never match a character but do not stop the search).
  static std::unique_ptr<ScriptRegex> Compile(std::string_view pattern, bool utf8, std::string& error);
  ~ScriptRegex();
  ScriptRegex(const ScriptRegex&) = delete;
  ScriptRegex& operator=(const ScriptRegex&) = delete;

  // The first match in `subject`: group 0 the whole match, then every
  // capture group. False when there is none.
  // `from`: where in the subject the search starts (lookbehinds still see
  // what comes before).
  bool Match(std::string_view subject, std::vector<Span>& groups, size_t from = 0);
  // False when no subject made of some of `raw`'s bytes, in order, can
  // match: the literal every match holds cannot be in it. For a received
  // line before its colour sequences are taken out.
  bool MayMatchWithin(std::string_view raw) const;
  // The byte MayMatchWithin looks for first: every match holds it. -1 when
  // the pattern has no literal to rule lines out by.
  int Probe() const;

 private:
  struct Impl;
  bool HasLiteral(std::string_view subject) const;
  explicit ScriptRegex(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace ombrel
