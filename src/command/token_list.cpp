#include "command/token_list.h"

#include <vector>

namespace ombrel {
namespace {

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= 32; }

bool NeedsQuoting(const std::string& s) { return s.find_first_of(",'") != std::string::npos; }

// Token given as S[start, end), 0-based; lands in `first` until that holds
// something, in `rest` afterwards.
void TakeToken(const std::string& s, size_t start, size_t end, std::string& first,
               std::string& rest) {
  std::string token = start < end ? s.substr(start, end - start) : std::string();
  if (first.empty())
    first = token;
  else
    AddToken(rest, UnquoteStr(token));
}

std::vector<std::string> Fields(const std::string& list) {
  std::vector<std::string> fields;
  if (list.empty()) return fields;
  size_t start = 0;
  for (;;) {
    size_t sep = list.find(kTokenSeparator, start);
    if (sep == std::string::npos) {
      // The final separator may be missing: the tail is one more field.
      if (start < list.size()) fields.push_back(list.substr(start));
      break;
    }
    fields.push_back(list.substr(start, sep - start));
    start = sep + 1;
  }
  return fields;
}

std::string ReadField(const std::string& field) {
  return NeedsQuoting(field) ? UnquoteStr(field) : field;
}

}  // namespace

std::string TrimControls(const std::string& s) {
  size_t begin = 0;
  size_t end = s.size();
  while (begin < end && IsBlankOrControl(s[begin])) ++begin;
  while (end > begin && IsBlankOrControl(s[end - 1])) --end;
  return s.substr(begin, end - begin);
}

std::vector<std::string> SplitPastedLines(const std::string& text) {
  // Clipboards hold CR LF, LF or CR line ends depending on the program that
  // filled them; each ends one line.
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  lines.push_back(text.substr(start));
  return lines;
}

bool SplitCommand(const std::string& line, std::string& first, std::string& rest) {
  std::string s = TrimControls(line);
  first.clear();
  rest.clear();
  bool between = false;
  bool grouping = false;
  size_t start = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    if (between) {
      if (s[i] == ' ') continue;
      between = false;
      start = i;
    }
    if (s[i] == '~') {
      // The byte moving into place i is not examined as a tilde again, so
      // of two adjacent tildes the second one stays as text.
      s.erase(i, 1);
      grouping = !grouping;
      if (i >= s.size()) break;
    }
    if (!grouping && s[i] == ' ') {
      TakeToken(s, start, i, first, rest);
      between = true;
    }
  }
  TakeToken(s, start, s.size(), first, rest);
  return true;
}

void AddToken(std::string& list, const std::string& token) {
  if (!list.empty() && list.back() != kTokenSeparator) list += kTokenSeparator;
  list += NeedsQuoting(token) ? QuoteToken(token) : token;
  list += kTokenSeparator;
}

std::string GetToken(const std::string& list, int index) {
  if (index < 1) return std::string();
  std::vector<std::string> fields = Fields(list);
  if (static_cast<size_t>(index) > fields.size()) return std::string();
  return ReadField(fields[index - 1]);
}

int CountTokens(const std::string& list) { return static_cast<int>(Fields(list).size()); }

std::vector<std::string> AllTokens(const std::string& list) {
  std::vector<std::string> fields = Fields(list);
  for (std::string& field : fields) field = ReadField(field);
  return fields;
}

std::string JoinTokens(const std::string& list) {
  std::string joined;
  std::vector<std::string> fields = AllTokens(list);
  for (size_t k = 0; k < fields.size(); ++k) {
    if (k > 0) joined += ' ';
    joined += fields[k];
  }
  return joined;
}

std::string QuoteStr(const std::string& s) {
  std::string quoted = "'";
  for (char c : s) {
    quoted += c;
    if (IsQuote(c)) quoted += c;
  }
  quoted += '\'';
  return quoted;
}

std::string QuoteToken(const std::string& s) {
  return s.find(kTokenSeparator) != std::string::npos ? s : QuoteStr(s);
}

std::string UnquoteStr(const std::string& s) {
  if (s.size() < 2 || !IsQuote(s.front()) || !IsQuote(s.back())) return s;
  std::string inner = s.substr(1, s.size() - 2);
  std::string unquoted;
  for (size_t i = 0; i < inner.size(); ++i) {
    if (IsQuote(inner[i])) {
      // The quote goes; whatever follows it is kept without a look, which
      // turns a doubled quote into one.
      if (++i < inner.size()) unquoted += inner[i];
    } else {
      unquoted += inner[i];
    }
  }
  return unquoted;
}

bool IsQuote(char c) { return c == '\''; }

std::string StripQuotesAndSpaces(const std::string& s) {
  size_t begin = s.find_first_not_of('"');
  if (begin == std::string::npos) return std::string();
  size_t end = s.find_last_not_of('"') + 1;
  std::string stripped;
  for (size_t i = begin; i < end; ++i)
    if (s[i] != ' ') stripped += s[i];
  return stripped;
}

}  // namespace ombrel
