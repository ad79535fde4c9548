#define PCRE2_CODE_UNIT_WIDTH 8
#include "patterns/pattern.h"

#include <pcre2.h>

namespace ombrel {

namespace {

uint32_t CompileOptions(const Pattern& p, bool utf8) {
  // A set without UTF-8 never lets a pattern switch it on with (*UTF): its
  // lines would then all be refused as invalid. (A literal cannot.)
  uint32_t options = utf8 ? PCRE2_UTF | PCRE2_MATCH_INVALID_UTF : IsLiteralKind(p.kind) ? 0 : PCRE2_NEVER_UTF;
  if (p.ignorecase) options |= PCRE2_CASELESS;
  switch (p.kind) {
    case TriggerKind::substring: options |= PCRE2_LITERAL; break;
    case TriggerKind::linestart: options |= PCRE2_LITERAL | PCRE2_ANCHORED; break;
    case TriggerKind::wholeline: options |= PCRE2_LITERAL | PCRE2_ANCHORED | PCRE2_ENDANCHORED; break;
    case TriggerKind::regex: break;
  }
  return options;
}

}  // namespace

Pattern PatternOf(const TTrigger& trigger) {
  return {trigger.pattern.kind, trigger.string, trigger.pattern.ignorecase};
}

bool IsLiteralKind(TriggerKind kind) { return kind != TriggerKind::regex; }

std::string DescribePatternError(const PatternError& error) {
  return error.message + " (at character " + std::to_string(error.offset + 1) + ")";
}

std::optional<PatternError> ValidatePattern(const Pattern& pattern, bool utf8) {
  PatternError error;
  if (PcreCode::Compile(pattern, utf8, false, &error)) return std::nullopt;
  return error;
}

std::unique_ptr<PcreCode> PcreCode::Compile(const Pattern& pattern, bool utf8, bool jit, PatternError* error) {
  int code = 0;
  PCRE2_SIZE offset = 0;
  pcre2_code* compiled = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.text.data()), pattern.text.size(),
                                       CompileOptions(pattern, utf8), &code, &offset, nullptr);
  if (!compiled) {
    if (error) {
      PCRE2_UCHAR buffer[256];
      const int n = pcre2_get_error_message(code, buffer, sizeof buffer);
      error->message = n > 0 ? std::string(reinterpret_cast<char*>(buffer), n) : "invalid pattern";
      error->offset = offset;
    }
    return nullptr;
  }
  // Without the JIT (a platform lacking it) the interpreter matches alike.
  const bool jitted = jit && pcre2_jit_compile(compiled, PCRE2_JIT_COMPLETE) == 0;
  return std::unique_ptr<PcreCode>(new PcreCode(compiled, utf8, jitted));
}

PcreCode::~PcreCode() { pcre2_code_free(code_); }

uint32_t PcreCode::MinLength() const {
  uint32_t length = 0;
  pcre2_pattern_info(code_, PCRE2_INFO_MINLENGTH, &length);
  return length;
}

}  // namespace ombrel
