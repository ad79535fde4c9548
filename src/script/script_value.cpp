#include "script/script_value.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numeric>

namespace ombrel {

ScriptValue ScriptValue::Bool(bool b) {
  ScriptValue v;
  v.kind = Kind::boolean;
  v.boolean = b;
  return v;
}
ScriptValue ScriptValue::Int(int64_t i) {
  ScriptValue v;
  v.kind = Kind::integer;
  v.integer = i;
  return v;
}
ScriptValue ScriptValue::Num(double d) {
  ScriptValue v;
  v.kind = Kind::number;
  v.number = d;
  return v;
}
ScriptValue ScriptValue::Str(std::string_view s) {
  ScriptValue v;
  v.kind = Kind::string;
  v.string = s;
  return v;
}
ScriptValue ScriptValue::Table() {
  ScriptValue v;
  v.kind = Kind::table;
  return v;
}
ScriptValue& ScriptValue::Set(ScriptValue key, ScriptValue value) {
  keys.push_back(std::move(key));
  values.push_back(std::move(value));
  return *this;
}
const ScriptValue* ScriptValue::Get(std::string_view key) const {
  for (size_t i = 0; i < keys.size(); ++i)
    if (keys[i].kind == Kind::string && keys[i].string == key) return &values[i];
  return nullptr;
}

namespace {

constexpr int kMaxDepth = 100;

bool IsReserved(std::string_view s) {
  static constexpr std::string_view words[] = {"and",   "break", "do",  "else", "elseif", "end",
                                               "false", "for",   "function", "goto", "if", "in",
                                               "local", "nil",   "not", "or",   "repeat", "return",
                                               "then",  "true",  "until", "while"};
  return std::find(std::begin(words), std::end(words), s) != std::end(words);
}

bool IsNameStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNameChar(char c) { return IsNameStart(c) || IsDigit(c); }

bool IsName(std::string_view s) {
  return !s.empty() && IsNameStart(s[0]) && std::all_of(s.begin(), s.end(), IsNameChar) && !IsReserved(s);
}

void AppendQuoted(std::string& out, std::string_view s) {
  out += '"';
  for (size_t i = 0; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20 || c >= 0x7f) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\%03u", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  out += '"';
}

void AppendNumber(std::string& out, const ScriptValue& v) {
  if (v.kind == ScriptValue::Kind::integer) {
    // The smallest integer has no decimal literal of its own in Lua: its
    // digits read back as a float. Hexadecimal wraps to it.
    if (v.integer == INT64_MIN) {
      out += "0x8000000000000000";
    } else {
      out += std::to_string(v.integer);
    }
    return;
  }
  if (std::isnan(v.number)) {
    out += "(0/0)";
  } else if (std::isinf(v.number)) {
    out += v.number > 0 ? "1e9999" : "-1e9999";
  } else {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.17g", v.number);
    out += buf;
    // Still a float when read back.
    if (std::string_view(buf).find_first_of(".en") == std::string_view::npos) out += ".0";
  }
}

int KeyRank(const ScriptValue& k) {
  switch (k.kind) {
    case ScriptValue::Kind::integer:
    case ScriptValue::Kind::number: return 0;
    case ScriptValue::Kind::string: return 1;
    default: return 2;
  }
}

double NumberOf(const ScriptValue& k) {
  return k.kind == ScriptValue::Kind::integer ? static_cast<double>(k.integer) : k.number;
}

bool KeyLess(const ScriptValue& a, const ScriptValue& b) {
  const int ra = KeyRank(a), rb = KeyRank(b);
  if (ra != rb) return ra < rb;
  if (ra == 0) {
    if (a.kind == b.kind && a.kind == ScriptValue::Kind::integer) return a.integer < b.integer;
    return NumberOf(a) < NumberOf(b);
  }
  if (ra == 1) return a.string < b.string;
  return a.boolean < b.boolean;
}

void AppendValue(std::string& out, const ScriptValue& v, int indent);

void AppendTable(std::string& out, const ScriptValue& t, int indent) {
  if (t.keys.empty()) {
    out += "{}";
    return;
  }
  std::vector<size_t> order(t.keys.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return KeyLess(t.keys[a], t.keys[b]); });
  out += "{\n";
  const std::string pad(2 * (indent + 1), ' ');
  for (size_t i : order) {
    const ScriptValue& k = t.keys[i];
    out += pad;
    if (k.kind == ScriptValue::Kind::string && IsName(k.string)) {
      out += k.string;
    } else {
      out += '[';
      AppendValue(out, k, indent + 1);
      out += ']';
    }
    out += " = ";
    AppendValue(out, t.values[i], indent + 1);
    out += ",\n";
  }
  out.append(2 * indent, ' ');
  out += '}';
}

void AppendValue(std::string& out, const ScriptValue& v, int indent) {
  switch (v.kind) {
    case ScriptValue::Kind::nil: out += "nil"; break;
    case ScriptValue::Kind::boolean: out += v.boolean ? "true" : "false"; break;
    case ScriptValue::Kind::integer:
    case ScriptValue::Kind::number: AppendNumber(out, v); break;
    case ScriptValue::Kind::string: AppendQuoted(out, v.string); break;
    case ScriptValue::Kind::table: AppendTable(out, v, indent); break;
  }
}

class VarsParser {
 public:
  explicit VarsParser(std::string_view text) : s_(text) {}

  bool Parse(ScriptValue& out, std::string& error) {
    Skip();
    if (s_.substr(i_, 6) == "return" && (i_ + 6 == s_.size() || !IsNameChar(s_[i_ + 6]))) {
      i_ += 6;
      Skip();
    }
    ScriptValue v;
    if (!Value(v, 0)) return Fail(error);
    if (v.kind != ScriptValue::Kind::table) {
      why_ = "a table is expected";
      return Fail(error);
    }
    Skip();
    if (i_ != s_.size()) {
      why_ = "unexpected text after the table";
      return Fail(error);
    }
    out = std::move(v);
    return true;
  }

 private:
  bool Fail(std::string& error) {
    error = "line " + std::to_string(1 + std::count(s_.begin(), s_.begin() + std::min(i_, s_.size()), '\n')) + ": " +
            why_;
    return false;
  }
  bool Error(const char* why) {
    why_ = why;
    return false;
  }
  char Peek() const { return i_ < s_.size() ? s_[i_] : '\0'; }
  bool Eat(char c) {
    Skip();
    if (Peek() != c) return false;
    ++i_;
    return true;
  }

  void Skip() {
    for (;;) {
      while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\r' || s_[i_] == '\n' ||
                                s_[i_] == '\f' || s_[i_] == '\v'))
        ++i_;
      if (s_.substr(i_, 2) != "--") return;
      const size_t end = s_.find('\n', i_);
      i_ = end == std::string_view::npos ? s_.size() : end;
    }
  }

  bool Value(ScriptValue& v, int depth) {
    Skip();
    const char c = Peek();
    if (c == '{') return Table(v, depth + 1);
    if (c == '"' || c == '\'') return String(v);
    if (c == '-' || c == '.' || IsDigit(c)) return Number(v);
    if (s_.substr(i_, 5) == "(0/0)") {
      i_ += 5;
      v = ScriptValue::Num(std::nan(""));
      return true;
    }
    if (IsNameStart(c)) {
      const std::string_view name = Name();
      if (name == "true" || name == "false") {
        v = ScriptValue::Bool(name == "true");
        return true;
      }
      if (name == "nil") {
        v = ScriptValue();
        return true;
      }
    }
    return Error("a value is expected");
  }

  std::string_view Name() {
    const size_t start = i_;
    while (i_ < s_.size() && IsNameChar(s_[i_])) ++i_;
    return s_.substr(start, i_ - start);
  }

  bool Table(ScriptValue& v, int depth) {
    if (depth > kMaxDepth) return Error("tables are nested too deeply");
    ++i_;  // {
    v = ScriptValue::Table();
    int64_t position = 0;
    for (;;) {
      if (Eat('}')) return true;
      ScriptValue key, value;
      Skip();
      const size_t start = i_;
      if (Peek() == '[') {
        ++i_;
        if (!Value(key, depth)) return false;
        if (!Eat(']')) return Error("']' is expected");
        if (!Eat('=')) return Error("'=' is expected");
        if (!Value(value, depth)) return false;
      } else {
        const std::string_view name = IsNameStart(Peek()) ? Name() : std::string_view();
        if (IsName(name) && Eat('=')) {
          key = ScriptValue::Str(name);
        } else {
          i_ = start;
          key = ScriptValue::Int(++position);
        }
        if (!Value(value, depth)) return false;
      }
      if (key.kind == ScriptValue::Kind::nil || (key.kind == ScriptValue::Kind::number && std::isnan(key.number)))
        return Error("a key cannot be nil or NaN");
      if (value.kind != ScriptValue::Kind::nil) v.Set(std::move(key), std::move(value));
      if (Eat('}')) return true;
      if (!Eat(',') && !Eat(';')) return Error("',' or '}' is expected");
    }
  }

  bool String(ScriptValue& v) {
    const char quote = s_[i_++];
    std::string out;
    for (;;) {
      if (i_ >= s_.size() || s_[i_] == '\n' || s_[i_] == '\r') return Error("a string is not closed");
      const char c = s_[i_++];
      if (c == quote) break;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (i_ >= s_.size()) return Error("a string is not closed");
      const char e = s_[i_++];
      switch (e) {
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case 'a': out += '\a'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'v': out += '\v'; break;
        case '\\':
        case '"':
        case '\'':
        case '\n': out += e; break;
        case 'x': {
          if (i_ + 2 > s_.size()) return Error("bad escape in a string");
          const std::string hex(s_.substr(i_, 2));
          char* end = nullptr;
          const long b = std::strtol(hex.c_str(), &end, 16);
          if (end != hex.c_str() + 2 || !std::isxdigit(static_cast<unsigned char>(hex[0])))
            return Error("bad escape in a string");
          out += static_cast<char>(b);
          i_ += 2;
          break;
        }
        default: {
          if (!IsDigit(e)) return Error("bad escape in a string");
          int b = e - '0';
          for (int k = 0; k < 2 && IsDigit(Peek()); ++k) b = b * 10 + (s_[i_++] - '0');
          if (b > 255) return Error("bad escape in a string");
          out += static_cast<char>(b);
        }
      }
    }
    v = ScriptValue::Str(out);
    return true;
  }

  bool Number(ScriptValue& v) {
    bool negative = false;
    if (Peek() == '-') {
      negative = true;
      ++i_;
      Skip();
    }
    const size_t start = i_;
    const bool hex = s_.substr(i_, 2) == "0x" || s_.substr(i_, 2) == "0X";
    while (i_ < s_.size()) {
      const char c = s_[i_];
      const bool exponent = i_ > start && (hex ? (s_[i_ - 1] == 'p' || s_[i_ - 1] == 'P')
                                               : (s_[i_ - 1] == 'e' || s_[i_ - 1] == 'E'));
      if (IsNameChar(c) || c == '.' || ((c == '+' || c == '-') && exponent)) {
        ++i_;
      } else {
        break;
      }
    }
    const std::string token(s_.substr(start, i_ - start));
    if (token.empty()) return Error("a value is expected");
    const bool isFloat = hex ? token.find_first_of(".pP") != std::string::npos
                             : token.find_first_of(".eE") != std::string::npos;
    char* end = nullptr;
    errno = 0;
    if (!isFloat) {
      if (hex) {
        // As in Lua: hexadecimal integers wrap around.
        if (token.size() == 2) return Error("a malformed number");
        uint64_t u = 0;
        for (size_t k = 2; k < token.size(); ++k) {
          const char c = token[k];
          const int d = IsDigit(c) ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
          if (d < 0) return Error("a malformed number");
          u = u * 16 + static_cast<uint64_t>(d);
        }
        v = ScriptValue::Int(static_cast<int64_t>(negative ? 0 - u : u));
        return true;
      }
      const long long n = std::strtoll(token.c_str(), &end, 10);
      if (*end != '\0') return Error("a malformed number");
      if (errno != ERANGE) {
        v = ScriptValue::Int(negative ? static_cast<int64_t>(0 - static_cast<uint64_t>(n)) : n);
        return true;
      }
      // Too large for an integer: a float, as Lua reads it.
    }
    errno = 0;
    const double d = std::strtod(token.c_str(), &end);
    if (*end != '\0' || token == "." || std::isnan(d) || (std::isinf(d) && token.find_first_of("iInN") != std::string::npos))
      return Error("a malformed number");
    v = ScriptValue::Num(negative ? -d : d);
    return true;
  }

  std::string_view s_;
  size_t i_ = 0;
  const char* why_ = "";
};

}  // namespace

std::string FormatVars(const ScriptValue& table) {
  std::string out = "-- Saved script variables. Read as data only: code here is never run.\n";
  AppendValue(out, table, 0);
  out += '\n';
  return out;
}

bool ParseVars(std::string_view text, ScriptValue& table, std::string& error) {
  return VarsParser(text).Parse(table, error);
}

}  // namespace ombrel
