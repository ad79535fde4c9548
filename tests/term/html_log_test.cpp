#include <gtest/gtest.h>

#include <random>
#include <regex>

#include "term/html_log.h"

namespace ombrel {
namespace {

TOptions Set(bool ansi, bool extended, bool utf8) {
  TOptions o;
  o.ansi = ansi, o.font.color = 0xC0C0C0, o.features.extendedcolours = extended, o.features.utf8 = utf8;
  return o;
}

TEST(HtmlLog, LinesAsTheTerminalPaintsThem) {
  const TOptions classic = Set(true, false, false), extended = Set(true, true, true), plain = Set(false, false, true);
  const auto U = PageCharset::Utf8, L = PageCharset::Latin1;
  const std::tuple<const TOptions&, PageCharset, std::string, AttrState, std::string> rows[] = {
      {classic, L, "\x1b[1;31mDanger\x1b[0m & <ok>", {}, "<span style=\"color:#ff0000\">Danger</span> &amp; &lt;ok&gt;"},
      {classic, L, "still red\x1b[32m", {0, 31}, "<span style=\"color:#7f0000\">still red</span>"},
      {extended, U, "\x1b[38;5;208;48;2;1;2;3;4mX\x1b[24mY", {},
       "<span style=\"color:#ff8700;background:#010203;text-decoration:underline\">X</span>"
       "<span style=\"color:#ff8700;background:#010203\">Y</span>"},
      {extended, U, "\x1b[7mR\x1b[1m\x1b[22mR", {}, "<span style=\"color:#000000;background:#c0c0c0\">RR</span>"},
      {extended, U, "\x1b]0;a <title>\x07ok", {}, "ok"},
      {extended, U, "\x1b[3;9mI\x1b[23;21mU\x1b[0;2mf", {},
       "<span style=\"color:#c0c0c0;text-decoration:line-through;font-style:italic\">I</span>"
       "<span style=\"color:#c0c0c0;text-decoration:underline line-through\">U</span>"
       "<span style=\"color:#606060\">f</span>"},
      {plain, U, "\x1b[31mcafé — 日本", {}, "café — 日本"},
      {extended, L, "café — 日", {}, "caf\xE9 &#8212; &#26085;"},
      {extended, U, "a\xFF\x01" "b", {}, "a\xEF\xBF\xBD\xEF\xBF\xBD" "b"},
      {classic, U, "caf\xE9\x85", {}, "café\xEF\xBF\xBD"},
  };
  for (const auto& [set, page, text, start, html] : rows) {
    std::string out;
    AppendHtmlLine(text, start, set, page, out);
    EXPECT_EQ(out, html + "\r\n") << text;
  }
  EXPECT_EQ(HtmlLogHead(classic, L, "log: <Demo>"),
            "<!DOCTYPE html>\r\n<html><head><meta charset=\"iso-8859-1\"><title>log: &lt;Demo&gt;</title>\r\n"
            "<style>body{background:#000000;color:#c0c0c0;font-family:monospace;white-space:pre}</style></head><body>");
  EXPECT_TRUE(IsHtmlLogName("a.b.Html") && IsHtmlLogName("GAME.HTM") && !IsHtmlLogName("game.html.txt"));
  EXPECT_EQ(DeclaredCharset("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=ISO-8859-1\">"), L);
  EXPECT_TRUE(DeclaredCharset("<meta charset=\"utf-8\">") == U && !DeclaredCharset("<meta charset=koi8-r>"));
}

// Cut after any line, the page is its head and whole lines, each closing its
// tags: a browser closes the body and the page at the end of the file.
TEST(HtmlLog, ThePageCutAfterAnyLineIsWhole) {
  std::mt19937 rng(7);
  const char* pieces[] = {"\x1b[1;31m", "\x1b[0m", "\x1b[4;44m", "\x1b[38;5;9m", "\x1b]8;;x<y\x07", "\x1b[7m",
                          "&", "<", ">", "\xC3\xA9", "\xE9", "\x1b[", "word ", "\x1b[m"};
  const std::regex tag(R"(<span style="color:#[0-9a-f]{6}(;background:#[0-9a-f]{6})?(;text-decoration:underline)?">)"),
      entity(R"(&(amp|lt|gt|#[0-9]+);)");
  for (const TOptions& o : {Set(true, false, false), Set(true, true, true), Set(false, false, false)}) {
    ASSERT_TRUE(HtmlLogHead(o, CharsetOf(o), "log").ends_with("<body>"));
    AttrState state;
    for (int k = 0; k < 300; ++k) {
      std::string text, line;
      for (int n = rng() % 8; n > 0; --n) text += pieces[rng() % std::size(pieces)];
      AppendHtmlLine(text, state, o, CharsetOf(o), line);
      CarrySGR(text, state, o.features.extendedcolours);
      // Tags and entities as the writer makes them, spans opened and closed
      // in turn, nothing else a browser would read as markup.
      std::string rest = std::regex_replace(line, entity, "e");
      rest = std::regex_replace(std::regex_replace(rest, tag, "{"), std::regex("</span>"), "}");
      ASSERT_TRUE(rest.ends_with("\r\n") && rest.find_first_of("<>&") == std::string::npos) << line;
      std::erase_if(rest, [](char c) { return c != '{' && c != '}'; });
      ASSERT_TRUE(std::regex_match(rest, std::regex("(\\{\\})*"))) << line;
    }
  }
}

}  // namespace
}  // namespace ombrel
