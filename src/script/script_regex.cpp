#include "script/script_regex.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

namespace ombrel {

struct ScriptRegex::Impl {
  pcre2_code* code = nullptr;
  pcre2_match_data* data = nullptr;
  pcre2_match_context* context = nullptr;
  uint32_t captures = 0;
  bool jit = false;
  ~Impl() {
    pcre2_match_context_free(context);
    pcre2_match_data_free(data);
    pcre2_code_free(code);
  }
};

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
  impl->data = pcre2_match_data_create_from_pattern(impl->code, nullptr);
  pcre2_pattern_info(impl->code, PCRE2_INFO_CAPTURECOUNT, &impl->captures);
  // A pattern that backtracks without end on some line ((a+)+b) gives up
  // as no match after about a million steps, a few milliseconds: a
  // received line must never freeze the window.
  impl->context = pcre2_match_context_create(nullptr);
  pcre2_set_match_limit(impl->context, 1'000'000);
  return std::unique_ptr<ScriptRegex>(new ScriptRegex(std::move(impl)));
}

bool ScriptRegex::Match(std::string_view subject, std::vector<Span>& groups) {
  const auto* s = reinterpret_cast<PCRE2_SPTR>(subject.data());
  const int rc = impl_->jit ? pcre2_jit_match(impl_->code, s, subject.size(), 0, 0, impl_->data, impl_->context)
                            : pcre2_match(impl_->code, s, subject.size(), 0, 0, impl_->data, impl_->context);
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
