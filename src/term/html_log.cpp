#include "term/html_log.h"

#include <algorithm>
#include <cctype>

#include "term/line_walker.h"
#include "util/utf8.h"

namespace ombrel {

namespace {

bool EndsWithNoCase(std::string_view s, std::string_view end) {
  if (s.size() < end.size()) return false;
  return std::equal(end.begin(), end.end(), s.end() - static_cast<long>(end.size()), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
  });
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

void AppendHex(Color c, std::string& out) {
  static constexpr char kDigits[] = "0123456789abcdef";
  out += '#';
  for (int shift : {0, 8, 16}) {  // 0x00BBGGRR: red first
    const unsigned v = (c >> shift) & 0xFF;
    out += kDigits[v >> 4];
    out += kDigits[v & 15];
  }
}

// Plain ASCII that goes over as it is.
bool PassesAsIs(unsigned char b) { return b >= 0x20 && b < 0x7F && b != '&' && b != '<' && b != '>'; }

void AppendCharacter(char32_t cp, PageCharset page, std::string& out) {
  // Control characters are no text a page may hold; the replacement
  // character keeps their cell.
  if ((cp < 0x20 && cp != '\t') || (cp >= 0x7F && cp < 0xA0)) cp = utf8::kReplacement;
  switch (cp) {
    case '&': out += "&amp;"; return;
    case '<': out += "&lt;"; return;
    case '>': out += "&gt;"; return;
  }
  if (cp < 0x80 || (page == PageCharset::Latin1 && cp <= 0xFF)) {
    out += static_cast<char>(cp);
  } else if (page == PageCharset::Latin1) {
    out += "&#" + std::to_string(cp) + ';';
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Text of the set's charset (`utf8`) into the page's, escaped.
void AppendText(std::string_view text, bool utf8, PageCharset page, std::string& out) {
  const size_t n = text.size();
  for (size_t i = 0; i < n;) {
    size_t plain = i;
    while (plain < n && PassesAsIs(static_cast<unsigned char>(text[plain]))) ++plain;
    out.append(text.data() + i, plain - i);
    if (plain == n) break;
    i = plain;
    char32_t cp = static_cast<unsigned char>(text[i]);
    i += utf8 ? utf8::Decode(text.data(), n, i, cp) : 1;
    AppendCharacter(cp, page, out);
  }
}

// How a stretch of text is shown beyond the page's own colours.
struct RunStyle {
  Color foreground = 0;
  std::optional<Color> background;
  bool underline = false;
  bool italic = false;
  bool strike = false;
  bool operator==(const RunStyle&) const = default;
};

void OpenSpan(const RunStyle& s, std::string& out) {
  out += "<span style=\"color:";
  AppendHex(s.foreground, out);
  if (s.background) {
    out += ";background:";
    AppendHex(*s.background, out);
  }
  if (s.underline || s.strike) {
    out += ";text-decoration:";
    out += s.underline && s.strike ? "underline line-through" : s.underline ? "underline" : "line-through";
  }
  if (s.italic) out += ";font-style:italic";
  out += "\">";
}

}  // namespace

bool IsHtmlLogName(std::string_view fileName) {
  return EndsWithNoCase(fileName, ".html") || EndsWithNoCase(fileName, ".htm");
}

std::optional<PageCharset> DeclaredCharset(std::string_view pageStart) {
  const std::string start = Lower(pageStart.substr(0, 1024));
  size_t at = start.find("charset=");
  if (at == std::string::npos) return std::nullopt;
  at += 8;
  while (at < start.size() && (start[at] == '"' || start[at] == '\'')) ++at;
  const size_t end = std::min(start.find_first_of("\"'; />", at), start.size());
  const std::string name = start.substr(at, end - at);
  if (name == "utf-8" || name == "utf8") return PageCharset::Utf8;
  if (name == "iso-8859-1" || name == "latin1" || name == "windows-1252" || name == "us-ascii")
    return PageCharset::Latin1;
  return std::nullopt;
}

std::string HtmlLogHead(const TOptions& options, PageCharset page, std::string_view title) {
  std::string out = "<!DOCTYPE html>\r\n<html><head><meta charset=\"";
  out += page == PageCharset::Utf8 ? "utf-8" : "iso-8859-1";
  out += "\"><title>";
  AppendText(title, options.features.utf8, page, out);
  out += "</title>\r\n<style>body{background:";
  AppendHex(options.bgcolor, out);
  out += ";color:";
  AppendHex(options.textcolor(), out);
  // Wrapped as the terminal wrapped it: a line of the page is one of the
  // store.
  out += ";font-family:monospace;white-space:pre}</style></head><body>";
  return out;
}

void AppendHtmlLine(std::string_view t, const AttrState& start, const TOptions& o, PageCharset page,
                    std::string& out) {
  const bool extended = o.ansi && o.features.extendedcolours;
  const bool strings = o.features.extendedcolours;
  const bool utf8 = o.features.utf8;
  const RunStyle plain{o.textcolor(), std::nullopt};
  AttrState state = start;
  // As the painter reads the line: classic colours know no background
  // or underline.
  RunStyle style = plain;
  const auto extendedStyle = [&] {
    const ExtendedStyle e = StyleOf(state, o);
    style = {e.foreground, e.hasBackground ? std::optional(e.background) : std::nullopt, e.underline, e.italic,
             e.strike};
  };
  if (extended) extendedStyle();
  else if (o.ansi) style.foreground = ApplyColor(state, o, o.textcolor());
  std::optional<RunStyle> open;  // the span the text goes into
  SequenceWalker walker(t, strings);
  for (LinePiece piece; walker.Next(piece) && piece.kind != PieceKind::CutOff;) {
    if (piece.kind == PieceKind::Text) {
      if (open != style && open) out += "</span>";
      if (open != style && style != plain) OpenSpan(style, out);
      open = style == plain ? std::nullopt : std::optional(style);
      AppendText(t.substr(piece.begin, piece.end - piece.begin), utf8, page, out);
    } else if (extended && walker.IsSgr(piece)) {
      ApplyExtendedSGR(walker.Params(piece), state);
      extendedStyle();
    } else if (o.ansi && walker.IsSgr(piece)) {
      ApplySGR(walker.Params(piece), state,
               [&](const AttrState& s) { style.foreground = ApplyColor(s, o, style.foreground); });
    }
  }
  if (open) out += "</span>";
  out += "\r\n";
}

}  // namespace ombrel
