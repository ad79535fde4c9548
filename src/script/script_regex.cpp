#include "script/script_regex.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <algorithm>
#include <cstring>

namespace ombrel {

namespace {

// The longest run of plain characters every match must contain, found
// without understanding the whole syntax: anything unsure (alternation,
// groups with options, quoting, a quantifier on the run's last character)
// ends the run or gives up. A line without it cannot match, and looking
// for it says so many times faster than the regular expression.
std::string RequiredLiteral(std::string_view p) {
  // Bytes beyond ASCII may be parts of one character a quantifier takes.
  if (p.find('|') != std::string_view::npos ||
      std::any_of(p.begin(), p.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }) ||
      p.find("(?") != std::string_view::npos || p.find("\\Q") != std::string_view::npos)
    return {};
  std::string best, run;
  auto end = [&] {
    if (run.size() > best.size()) best = run;
    run.clear();
  };
  int depth = 0;
  for (size_t i = 0; i < p.size(); ++i) {
    const char c = p[i];
    if (c == '\\') {
      const char e = ++i < p.size() ? p[i] : 'a';
      if (depth > 0 || (e >= 'a' && e <= 'z') || (e >= 'A' && e <= 'Z') || (e >= '0' && e <= '9')) {
        end();  // a class, an anchor, a back reference, a code
      } else {
        run += e;
      }
    } else if (c == '[') {
      // The class is skipped; a ']' first in it is a member.
      size_t j = i + 1;
      if (j < p.size() && p[j] == '^') ++j;
      if (j < p.size() && p[j] == ']') ++j;
      while (j < p.size() && p[j] != ']') j += p[j] == '\\' ? 2 : 1;
      i = j;
      end();
    } else if (c == '(' || c == ')') {
      depth += c == '(' ? 1 : -1;
      end();
    } else if (c == '*' || c == '+' || c == '?' || c == '{') {
      // The character before may be missing or repeated: not in the run.
      if (!run.empty()) run.pop_back();
      end();
      if (c == '{') i = std::min(p.find('}', i), p.size());
    } else if (depth > 0 || c == '.' || c == '^' || c == '$') {
      end();
    } else {
      run += c;
    }
  }
  end();
  return best.size() >= 2 ? best : std::string();
}

// How rarely a byte comes in game text, roughly: spaces and common letters
// are everywhere, capitals and punctuation are few.
int Rarity(char c) {
  // By how often they come in English text, commas and full stops among
  // the letters they are as common as.
  static constexpr std::string_view common = " etaoinshrdlucmfwypvbg,.kjqxz";
  const size_t at = common.find(c);
  if (at != std::string_view::npos) return static_cast<int>(at);
  if (c >= '0' && c <= '9') return 30;
  if (c >= 'A' && c <= 'Z') return 40;
  return 50;
}

}  // namespace

struct ScriptRegex::Impl {
  pcre2_code* code = nullptr;
  pcre2_match_data* data = nullptr;
  pcre2_match_context* context = nullptr;
  uint32_t captures = 0;
  bool jit = false;
  std::string literal;  // every match holds it
  size_t probe = 0;     // its rarest byte, looked for first
  ~Impl() {
    pcre2_match_context_free(context);
    pcre2_match_data_free(data);
    pcre2_code_free(code);
  }
};

// memchr for the rarest byte, then a comparison where it stands: for lines
// of a few dozen bytes far quicker than a general substring search.
bool ScriptRegex::HasLiteral(std::string_view subject) const {
  const std::string& lit = impl_->literal;
  const size_t probe = impl_->probe;
  if (subject.size() < lit.size()) return false;
  const char* from = subject.data() + probe;
  const char* last = subject.data() + subject.size() - (lit.size() - probe);  // the last place the probe can be
  while (from <= last) {
    const auto* hit = static_cast<const char*>(std::memchr(from, lit[probe], static_cast<size_t>(last - from) + 1));
    if (!hit) return false;
    if (std::memcmp(hit - probe, lit.data(), lit.size()) == 0) return true;
    from = hit + 1;
  }
  return false;
}

bool ScriptRegex::MayMatchWithin(std::string_view raw) const {
  const std::string& lit = impl_->literal;
  if (lit.empty()) return true;
  // Most lines lack even the literal's rarest byte: one search says so.
  if (std::memchr(raw.data(), lit[impl_->probe], raw.size()) == nullptr) return false;
  // Without sequences the text is all there is to search.
  return std::memchr(raw.data(), '\x1b', raw.size()) != nullptr || HasLiteral(raw);
}

int ScriptRegex::Probe() const {
  return impl_->literal.empty() ? -1 : static_cast<unsigned char>(impl_->literal[impl_->probe]);
}

ScriptRegex::ScriptRegex(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
ScriptRegex::~ScriptRegex() = default;

std::unique_ptr<ScriptRegex> ScriptRegex::Compile(std::string_view pattern, bool utf8, std::string& error) {
  auto impl = std::make_unique<Impl>();
  int code = 0;
  PCRE2_SIZE offset = 0;
  const uint32_t flags = utf8 ? PCRE2_UTF | PCRE2_MATCH_INVALID_UTF : 0;
  impl->code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), flags, &code, &offset,
                             nullptr);
  if (!impl->code) {
    PCRE2_UCHAR message[256];
    pcre2_get_error_message(code, message, sizeof message);
    error = reinterpret_cast<const char*>(message) + std::string(" at ") + std::to_string(offset + 1);
    return nullptr;
  }
  // Without JIT (a system that forbids executable memory) the interpreter
  // gives the same matches, only slower.
  impl->jit = pcre2_jit_compile(impl->code, PCRE2_JIT_COMPLETE) == 0;
  impl->literal = RequiredLiteral(pattern);
  for (size_t i = 0; i < impl->literal.size(); ++i)
    if (Rarity(impl->literal[i]) > Rarity(impl->literal[impl->probe])) impl->probe = i;
  impl->data = pcre2_match_data_create_from_pattern(impl->code, nullptr);
  pcre2_pattern_info(impl->code, PCRE2_INFO_CAPTURECOUNT, &impl->captures);
  // A pattern that backtracks without end on some line ((a+)+b) gives up
  // as no match after about a million steps, a few milliseconds: a
  // received line must never freeze the window.
  impl->context = pcre2_match_context_create(nullptr);
  pcre2_set_match_limit(impl->context, 1'000'000);
  return std::unique_ptr<ScriptRegex>(new ScriptRegex(std::move(impl)));
}

bool ScriptRegex::Match(std::string_view subject, std::vector<Span>& groups, size_t from) {
  if (from > subject.size()) return false;
  if (!impl_->literal.empty() && !HasLiteral(subject.substr(from))) return false;
  const auto* s = reinterpret_cast<PCRE2_SPTR>(subject.data());
  const int rc = impl_->jit ? pcre2_jit_match(impl_->code, s, subject.size(), from, 0, impl_->data, impl_->context)
                            : pcre2_match(impl_->code, s, subject.size(), from, 0, impl_->data, impl_->context);
  if (rc < 0) return false;
  const uint32_t count = pcre2_get_ovector_count(impl_->data);
  const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(impl_->data);
  const uint32_t captures = impl_->captures;
  groups.assign(captures + 1, Span{});
  for (uint32_t g = 0; g <= captures && g < count; ++g) {
    if (ov[2 * g] == PCRE2_UNSET) continue;
    // \K in a lookahead can end a match before its start.
    groups[g] = {ov[2 * g], ov[2 * g + 1] > ov[2 * g] ? ov[2 * g + 1] - ov[2 * g] : 0};
  }
  return true;
}

}  // namespace ombrel
