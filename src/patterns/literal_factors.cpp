#include "patterns/literal_factors.h"

#include <algorithm>
#include <cctype>

namespace ombrel {

namespace {

bool Better(const LiteralFactors& a, const LiteralFactors& b) {
  if (a.Shortest() != b.Shortest()) return a.Shortest() > b.Shortest();
  return a.literals.size() < b.literals.size();
}

size_t CharLength(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

// What a piece of the pattern tells about the text it matches.
struct Node {
  bool exact = true;     // always exactly `text`
  std::string text;
  bool caseless = false;  // `text` compares without case
  bool zeroWidth = false;  // an assertion: matches no text
  std::optional<LiteralFactors> best;  // what any match of it contains

  static Node Nothing() {  // some text, unknown
    Node n;
    n.exact = false;
    return n;
  }
  static Node Assertion() {
    Node n = Nothing();
    n.zeroWidth = true;
    return n;
  }
};

// Reads PCRE2 syntax as far as literals go: a recursive descent over
// alternatives, sequences and atoms. Anything whose effect on the matched
// text it does not know becomes "some text", which only makes the factors
// fewer, never wrong.
class Reader {
 public:
  Reader(std::string_view re, bool utf8) : re_(re), utf8_(utf8) {}

  FactorAnalysis Run(bool caseless) {
    Node top = Alternatives(caseless);
    if (pos_ != re_.size()) failed_ = true;
    if (failed_) return {std::nullopt, true};
    return {top.best, anchors_};
  }

 private:
  bool AtEnd() const { return pos_ >= re_.size(); }
  char Peek(size_t ahead = 0) const { return pos_ + ahead < re_.size() ? re_[pos_ + ahead] : '\0'; }

  void SkipPast(char close) {
    while (!AtEnd() && re_[pos_] != close) ++pos_;
    if (AtEnd()) {
      failed_ = true;
    } else {
      ++pos_;
    }
  }

  Node Alternatives(bool& caseless) {
    std::vector<Node> branches;
    branches.push_back(Sequence(caseless));
    while (!failed_ && !AtEnd() && Peek() == '|') {
      ++pos_;
      branches.push_back(Sequence(caseless));
    }
    if (branches.size() == 1) return branches.front();
    Node n = Node::Nothing();
    LiteralFactors all;
    for (const Node& b : branches) {
      if (!b.best) return n;  // a branch that needs no literal
      all.caseless |= b.best->caseless;
      for (const std::string& l : b.best->literals)
        if (std::find(all.literals.begin(), all.literals.end(), l) == all.literals.end()) all.literals.push_back(l);
    }
    n.best = all;
    return n;
  }

  Node Sequence(bool& caseless) {
    Node seq;
    std::string run;
    bool runCaseless = false;
    auto consider = [&](const LiteralFactors& f) {
      if (!seq.best || Better(f, *seq.best)) seq.best = f;
    };
    auto flush = [&] {
      if (!run.empty()) consider({{run}, runCaseless});
      run.clear();
      runCaseless = false;
    };
    auto extend = [&](const Node& atom) {
      if (atom.text.empty()) return;
      run += atom.text;
      runCaseless |= atom.caseless;
    };
    Node atom;
    while (!failed_ && Atom(atom, caseless)) {
      int min = 1;
      const bool quantified = Quantifier(min);
      if (atom.zeroWidth) {
        flush();
        seq.exact = false;
        continue;
      }
      if (!quantified && atom.exact) {
        extend(atom);
        continue;
      }
      seq.exact = false;
      if (min == 0) {
        flush();
        continue;
      }
      if (atom.exact) {
        // Repeated, it is there at least once right after what came before.
        extend(atom);
        flush();
        continue;
      }
      flush();
      if (atom.best) consider(*atom.best);
    }
    if (seq.exact) {
      seq.text = run;
      seq.caseless = runCaseless;
    }
    flush();
    return seq;
  }

  // Reads `{n}`, `{n,}`, `{n,m}`, `*`, `+` or `?` with a lazy or possessive
  // mark; `min` is the fewest repeats. A `{` that starts none is a literal.
  bool Quantifier(int& min) {
    while (Peek() == '\\' && Peek(1) == 'E') {
      pos_ += 2;
      quoted_ = false;
    }
    if (quoted_ || AtEnd()) return false;
    const char c = Peek();
    if (c == '*' || c == '?') {
      min = 0;
      ++pos_;
    } else if (c == '+') {
      min = 1;
      ++pos_;
    } else if (c == '{') {
      size_t p = pos_ + 1;
      const size_t digits = p;
      while (p < re_.size() && std::isdigit(static_cast<unsigned char>(re_[p]))) ++p;
      if (p == digits) return false;
      const int n = std::min(std::stoi(std::string(re_.substr(digits, std::min<size_t>(p - digits, 6)))), 1 << 16);
      if (p < re_.size() && re_[p] == ',') {
        ++p;
        while (p < re_.size() && std::isdigit(static_cast<unsigned char>(re_[p]))) ++p;
      }
      if (p >= re_.size() || re_[p] != '}') return false;
      pos_ = p + 1;
      min = n;
    } else {
      return false;
    }
    if (Peek() == '+' || Peek() == '?') ++pos_;
    return true;
  }

  Node Literal(std::string_view bytes, bool caseless) {
    Node n;
    if (caseless && utf8_ && static_cast<unsigned char>(bytes[0]) >= 0x80) return Node::Nothing();
    n.text = bytes;
    n.caseless = caseless && std::isalpha(static_cast<unsigned char>(bytes[0]));
    return n;
  }

  Node Char(bool caseless) {
    const size_t length = utf8_ ? CharLength(static_cast<unsigned char>(Peek())) : 1;
    const std::string_view bytes = re_.substr(pos_, length);
    pos_ += bytes.size();
    return Literal(bytes, caseless);
  }

  bool Atom(Node& out, bool& caseless) {
    while (quoted_) {
      if (AtEnd()) return false;
      if (Peek() == '\\' && Peek(1) == 'E') {
        pos_ += 2;
        quoted_ = false;
        continue;
      }
      out = Char(caseless);
      return true;
    }
    if (AtEnd() || Peek() == '|' || Peek() == ')') return false;
    switch (Peek()) {
      case '(':
        out = Group(caseless);
        return true;
      case '[':
        SkipClass();
        out = Node::Nothing();
        return true;
      case '.':
        ++pos_;
        out = Node::Nothing();
        return true;
      case '^':
      case '$':
        ++pos_;
        out = Node::Assertion();
        return true;
      case '\\':
        return Escape(out, caseless);
      default:
        out = Char(caseless);
        return true;
    }
  }

  void SkipClass() {
    ++pos_;  // [
    if (Peek() == '^') ++pos_;
    if (Peek() == ']') ++pos_;  // a first ] is a member
    while (!AtEnd() && Peek() != ']') {
      if (Peek() == '\\') {
        if (Peek(1) == 'Q') {
          pos_ += 2;
          while (!AtEnd() && !(Peek() == '\\' && Peek(1) == 'E')) ++pos_;
          if (!AtEnd()) pos_ += 2;
          continue;
        }
        pos_ += 2;
      } else if (Peek() == '[' && (Peek(1) == ':' || Peek(1) == '.' || Peek(1) == '=')) {
        const size_t close = re_.find(std::string{Peek(1), ']'}, pos_ + 2);
        pos_ = close == std::string_view::npos ? pos_ + 1 : close + 2;
      } else {
        ++pos_;
      }
    }
    if (AtEnd()) {
      failed_ = true;
    } else {
      ++pos_;
    }
  }

  // \x{..}, \p{..} and their kin: a braced argument or a short one.
  void SkipArgument(size_t plain) {
    if (Peek() == '{') {
      SkipPast('}');
    } else {
      pos_ = std::min(re_.size(), pos_ + plain);
    }
  }

  bool Escape(Node& out, bool caseless) {
    ++pos_;  // backslash
    if (AtEnd()) {
      failed_ = true;
      return false;
    }
    const char e = Peek();
    out = Node::Nothing();
    auto control = [&](char byte) {
      ++pos_;
      out = Literal(std::string_view(&byte, 1), caseless);
      return true;
    };
    switch (e) {
      case 'Q':  // the quoted characters come as atoms of their own
        quoted_ = true;
        [[fallthrough]];
      case 'E':
        ++pos_;
        out = Node();
        return true;
      case 't': return control('\t');
      case 'n': return control('\n');
      case 'r': return control('\r');
      case 'f': return control('\f');
      case 'e': return control('\x1b');
      case 'a': return control('\a');
      case 'A':
      case 'z':
      case 'Z':
      case 'G':
        anchors_ = true;
        [[fallthrough]];
      case 'b':
      case 'B':
      case 'K':
        ++pos_;
        out = Node::Assertion();
        return true;
      case 'p':
      case 'P':
      case 'N':
        ++pos_;
        SkipArgument(e == 'N' ? 0 : 1);
        return true;
      case 'x':
        ++pos_;
        if (Peek() == '{') {
          SkipPast('}');
        } else {
          for (int i = 0; i < 2 && std::isxdigit(static_cast<unsigned char>(Peek())); ++i) ++pos_;
        }
        return true;
      case 'o':
        ++pos_;
        SkipArgument(0);
        return true;
      case 'c':
        pos_ = std::min(re_.size(), pos_ + 2);
        return true;
      case 'g':
      case 'k':
        ++pos_;
        if (Peek() == '{') {
          SkipPast('}');
        } else if (Peek() == '<') {
          SkipPast('>');
        } else if (Peek() == '\'') {
          ++pos_;
          SkipPast('\'');
        } else {
          if (Peek() == '+' || Peek() == '-') ++pos_;
          while (std::isdigit(static_cast<unsigned char>(Peek()))) ++pos_;
        }
        return true;
      default:
        break;
    }
    if (std::isdigit(static_cast<unsigned char>(e))) {  // back-reference or octal
      while (std::isdigit(static_cast<unsigned char>(Peek()))) ++pos_;
      return true;
    }
    if (std::isalnum(static_cast<unsigned char>(e))) {  // \d, \w, \s, \h, \v, \R, \X, \C...
      ++pos_;
      return true;
    }
    out = Char(caseless);
    return true;
  }

  Node Group(bool& caseless) {
    ++pos_;  // (
    bool inner = caseless;  // options set inside end with the group
    bool assertion = false;
    if (Peek() == '*') {  // verbs such as (*ACCEPT) change what must match
      failed_ = true;
      return Node::Nothing();
    }
    if (Peek() == '?') {
      const char k = Peek(1);
      if (k == ':' || k == '>' || k == '|') {
        pos_ += 2;
      } else if (k == '=' || k == '!') {
        pos_ += 2;
        assertion = true;
      } else if (k == '<' && (Peek(2) == '=' || Peek(2) == '!')) {
        pos_ += 3;
        assertion = true;
      } else if (k == '<' || (k == 'P' && Peek(2) == '<')) {
        SkipPast('>');
      } else if (k == '\'') {
        pos_ += 2;
        SkipPast('\'');
      } else if (k == '#') {
        SkipPast(')');
        return Node();
      } else if (k == 'P' || k == 'R' || k == '&' || k == '+' || std::isdigit(static_cast<unsigned char>(k)) ||
                 (k == '-' && std::isdigit(static_cast<unsigned char>(Peek(2))))) {
        SkipPast(')');  // a back-reference or a call of another group
        return Node::Nothing();
      } else {
        // Option letters, for the rest of the enclosing group or for this one.
        pos_ += 1;
        bool on = true, set = caseless;
        while (!AtEnd() && Peek() != ')' && Peek() != ':') {
          const char o = Peek();
          if (o == '-') {
            on = false;
          } else if (o == '^') {
            set = false;
          } else if (o == 'i') {
            set = on;
          } else if (o == 'x' || !std::isalpha(static_cast<unsigned char>(o))) {
            failed_ = true;  // a layout with comments, conditions, callouts
            return Node::Nothing();
          }
          ++pos_;
        }
        if (AtEnd()) {
          failed_ = true;
          return Node::Nothing();
        }
        if (Peek() == ')') {
          ++pos_;
          caseless = set;
          return Node();
        }
        ++pos_;  // :
        inner = set;
      }
    }
    if (failed_) return Node::Nothing();
    Node body = Alternatives(inner);
    if (Peek() != ')') {
      failed_ = true;
      return Node::Nothing();
    }
    ++pos_;
    return assertion ? Node::Assertion() : body;
  }

  std::string_view re_;
  bool utf8_;
  size_t pos_ = 0;
  bool quoted_ = false;
  bool failed_ = false;
  bool anchors_ = false;
};

}  // namespace

size_t LiteralFactors::Shortest() const {
  size_t n = literals.empty() ? 0 : SIZE_MAX;
  for (const std::string& l : literals) n = std::min(n, l.size());
  return n;
}

FactorAnalysis AnalyseRegex(std::string_view regex, bool caseless, bool utf8) {
  return Reader(regex, utf8).Run(caseless);
}

std::optional<LiteralFactors> LiteralTextFactors(std::string_view text, bool caseless, bool utf8) {
  if (text.empty()) return std::nullopt;
  if (!caseless || !utf8) return LiteralFactors{{std::string(text)}, caseless};
  // Letters beyond ASCII fold by Unicode's tables: the longest ASCII run.
  std::string_view best, run;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80) {
      run = text.substr(i - run.size(), run.size() + 1);
      continue;
    }
    if (run.size() > best.size()) best = run;
    run = {};
  }
  if (best.empty()) return std::nullopt;
  return LiteralFactors{{std::string(best)}, true};
}

}  // namespace ombrel
