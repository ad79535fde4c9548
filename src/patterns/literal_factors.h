// The literal parts a regular expression cannot match without: a set of
// byte strings one of which every match contains (`^(\w+) tells you '(.*)'$`
// gives " tells you '", `(orc|troll)s? dies` gives " dies"). A line holding
// none of them cannot match, so a set's patterns are first looked for by
// these factors, which compile and scan as plain literals, and only the
// lines that hold one are given to PCRE2.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ombrel {

struct LiteralFactors {
  std::vector<std::string> literals;  // one of these occurs in every match
  // Letters compare without case (ASCII letters only under UTF-8: there a
  // caseless factor holds no other character).
  bool caseless = false;
  // The fewest bytes among the literals: the longer, the fewer lines pass.
  size_t Shortest() const;
  bool operator==(const LiteralFactors&) const = default;
};

struct FactorAnalysis {
  std::optional<LiteralFactors> factors;  // none: no literal is required
  // \A, \z, \Z or \G: anchored to the subject's ends, which a scan of many
  // lines at once only has at its own ends.
  bool subjectAnchors = false;
};

// `regex` is valid PCRE2 syntax; `caseless` and `utf8` are the options it is
// compiled with. Constructs this reading does not follow ((?x) layouts,
// conditions, verbs) give no factors and report subject anchors, so the
// pattern is matched by other means.
FactorAnalysis AnalyseRegex(std::string_view regex, bool caseless, bool utf8);

// The factors of a literal pattern's text.
std::optional<LiteralFactors> LiteralTextFactors(std::string_view text, bool caseless, bool utf8);

}  // namespace ombrel
