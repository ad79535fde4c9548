// The differential check of the line walker: random streams through a
// terminal, and everything that reads its stored lines written out. Built
// twice: against the core (the walker) and against the loops the walker
// replaced (old_*.cpp here, linked before the core so that they win);
// walker_diff.sh runs both and compares what they wrote.
//
//   walker_diff [streams] [seed] [first]      one line per stream: its number and a hash
//   walker_diff [streams] [seed] [first] -v   the whole dump
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "term/html_log.h"
#include "term/term_core.h"
#include "term/term_view.h"

namespace ombrel {
namespace {

class RecordingSocket : public IClientSocket {
 public:
  std::string sent;
  void SendText(const std::string& bytes) override { sent += bytes; }
  bool Active() const override { return true; }
  bool Established() const override { return true; }
  void Close() override {}
  std::string Address() const override { return {}; }
  std::string Host() const override { return "mud.example.org"; }
  int Port() const override { return 4000; }
};

struct ByteMeasure : TextMeasure {
  int TextWidth(const std::string& text) const override { return 8 * static_cast<int>(text.size()); }
  int TextHeight(const std::string&) const override { return 16; }
};

using Rng = std::mt19937;

int Pick(Rng& rng, int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); }

// The pieces a stream is made of: what servers send and what breaks readers.
const std::vector<std::string>& Pieces() {
  static const std::vector<std::string> pieces = {
      "a", "b", "word", "The ", " ", " ", ",", ".", "-", "\r\n", "\n", "\r", "\b", "\b\b",
      "\x1b[1;31m", "\x1b[0m", "\x1b[m", "\x1b[32m", "\x1b[1m", "\x1b[0;1;33m", "\x1b[38;5;196m",
      "\x1b[48;2;10;20;30m", "\x1b[38:2::1:2:3m", "\x1b[7m", "\x1b[4m", "\x1b[2J", "\x1b[5n", "\x1b[6n",
      "\x1b[", "\x1b", "\x1b[3", "\x1b]8;;http://x.org/a\x1b\\", "\x1b]8;;\x1b\\", "\x1b]0;title m\x07",
      "\x1b]2;open", "\x1bP1;2m\x1b\\", "\x1b[1;\rm", "http://ex.org/p", "\"https://a.b/c\"", "://",
      "\xc3\xa9", "\xe4\xb8\xad", "\xcc\x81", "\xe2\x80\x8b", "\xf0\x9f\x98\x80", "\xc3", "\xe4\xb8", "\xff",
      "\x80", "\xff\xfb\x01", "\xff\xfd\x1f", "\xff\xfe\x18", "\xff\xff", "\t", "Zz",
  };
  return pieces;
}

std::string RandomStream(Rng& rng) {
  std::string s;
  const int n = 1 + Pick(rng, 120);
  for (int i = 0; i < n; ++i) {
    if (Pick(rng, 12) == 0) s += static_cast<char>(rng() & 0xFF);
    else s += Pieces()[static_cast<size_t>(Pick(rng, static_cast<int>(Pieces().size())))];
  }
  return s;
}

void Hex(std::string_view text, std::string& out) {
  static const char* digits = "0123456789abcdef";
  for (unsigned char c : text) {
    if (c >= 0x20 && c < 0x7f && c != '\\') {
      out += static_cast<char>(c);
    } else {
      out += '\\';
      out += digits[c >> 4];
      out += digits[c & 15];
    }
  }
}

void Put(std::string& out, const char* label, std::string_view text) {
  out += label;
  out += ' ';
  Hex(text, out);
  out += '\n';
}

void Put(std::string& out, const char* label, long a, long b = 0, long c = 0, long d = 0) {
  out += label;
  for (long v : {a, b, c, d}) out += ' ' + std::to_string(v);
  out += '\n';
}

void DumpStore(const TermCore& term, const TOptions& options, std::string& out) {
  const LineStore& store = term.Store();
  for (int i = 0; i <= store.CurLine(); ++i) {
    const StoredLine line = store.Line(i);
    const AttrState& s = line.start;
    Put(out, "line", line.text);
    Put(out, " start", s.bold, s.color, static_cast<long>(s.background), s.reverse * 2 + s.underline);
    std::string html;
    AppendHtmlLine(line.text, line.start, options, CharsetOf(options), html);
    Put(out, " html", html);
  }
}

// Each position of a line as the view's helpers place it.
void DumpPositions(std::string_view t, bool strings, std::string& out) {
  const int n = static_cast<int>(t.size());
  for (int p = -1; p <= n + 1; ++p) {
    const Cluster c = ClusterAt(t, p, strings);
    Put(out, " pos", VisibleUpTo(t, p, strings), PositionOfVisible(t, p, strings), PositionOfCell(t, p, strings),
        c.before * 1000000L + c.through * 1000L + c.first * 10L + c.last);
  }
  Put(out, " cells", VisibleCells(t, 0, t.size(), false, strings), VisibleCells(t, 0, t.size(), true, strings));
}

void DumpPlan(const PaintPlan& plan, std::string& out) {
  for (const TextRun& r : plan.runs) {
    Put(out, " run", r.x, r.y, static_cast<long>(r.color), r.width * 2 + r.underline);
    Put(out, "  text", r.text);
  }
  for (const FilledRect& f : plan.backgrounds)
    Put(out, " bg", f.rect.x * 100000L + f.rect.y, f.rect.width, f.rect.height, static_cast<long>(f.color));
  for (const PixelRect& r : plan.inverted) Put(out, " inv", r.x, r.y, r.width, r.height);
}

void DumpView(TermCore& term, Rng& rng, std::string& out) {
  ByteMeasure measure;
  TermView view(term);
  view.Layout(measure, 8 * term.cols + 7, 16 * term.rows + 15);
  PaintPlan plan;
  for (int top = 0; top <= term.curline(); top += std::max(1, term.rows / 2)) {
    view.topline = top;
    view.hasselection = Pick(rng, 2) == 0;
    view.selstartline = top + Pick(rng, term.rows);
    view.selendline = top + Pick(rng, term.rows);
    view.selstartcol = Pick(rng, 30) - 1;
    view.selendcol = Pick(rng, 30) - 1;
    view.BuildPaintPlan(measure, plan);
    Put(out, "plan", top);
    DumpPlan(plan, out);
    if (view.hasselection) {
      Put(out, " copy", view.GetSelectedText());
      Put(out, " joined", view.GetSelectedLine());
    }
  }
  for (int k = 0; k < 12; ++k) {
    const int x = Pick(rng, 8 * (term.cols + 2)), y = Pick(rng, 16 * (term.rows + 1));
    const TextPos p = view.PointToPos(x, y);
    const bool link = view.FindLink(p.line, p.index);
    Put(out, "point", p.line, p.index, link);
    Put(out, " link", view.linkurl);
    view.mousex = x, view.mousey = y;
    view.hasselection = false;
    view.DblClick();
    Put(out, " word", view.hasselection, view.selstartcol, view.selendcol);
  }
  // Searches for what some line shows, in another case, in a selection.
  const std::string plain = StripEscapes(term.Store().Line(Pick(rng, term.curline() + 1)).text, true);
  for (int k = 0; k < 4 && !plain.empty(); ++k) {
    const size_t from = static_cast<size_t>(Pick(rng, static_cast<int>(plain.size())));
    std::string pattern = plain.substr(from, 1 + static_cast<size_t>(Pick(rng, 4)));
    if (k == 1) pattern = "a";
    if (k == 2)
      for (char& c : pattern) c = static_cast<char>(c ^ 0x20 * (c >= 'a' && c <= 'z'));
    view.hasselection = k == 3;
    view.selstartline = 0, view.selstartcol = 2, view.selendline = term.curline(), view.selendcol = 5;
    for (bool found = view.FindText(pattern, k != 2, k == 3); found; found = view.FindNext())
      Put(out, "found", view.selstartline, view.selstartcol, view.selendcol);
  }
}

std::string RunStream(Rng& rng) {
  TOptions options;
  options.ansi = Pick(rng, 4) != 0;
  options.telnet = Pick(rng, 2) == 0;
  options.features.utf8 = Pick(rng, 2) == 0;
  options.features.extendedcolours = Pick(rng, 2) == 0;
  static const char* margins[] = {"", "", "> ", "\x1b[1m|\x1b[0m "};
  options.margin = margins[Pick(rng, 4)];
  RecordingSocket socket;
  TermCore term(&options);
  term.ClearTerminal();
  term.cols = 4 + Pick(rng, 40);
  term.rows = 2 + Pick(rng, 8);
  term.SetSocket(&socket);
  term.clientsocketConnect("");
  const std::string stream = RandomStream(rng);
  // Cut into reads anywhere, some of them echoes of typed text.
  for (size_t i = 0; i < stream.size();) {
    const size_t n = 1 + static_cast<size_t>(Pick(rng, 24));
    const std::string part = stream.substr(i, n);
    Pick(rng, 10) == 0 ? term.WriteText(part, false) : term.clientsocketRead(part);
    i += n;
  }
  std::string out;
  Put(out, "stream", stream);
  Put(out, "sent", socket.sent);
  DumpStore(term, options, out);
  for (int i = 0; i <= term.curline(); ++i) DumpPositions(term.Store().Line(i).text, options.features.extendedcolours, out);
  DumpView(term, rng, out);
  Put(out, "sent after view", socket.sent);
  return out;
}

uint64_t Fnv(const std::string& s) {
  uint64_t h = 1469598103934665603ull;
  for (unsigned char c : s) h = (h ^ c) * 1099511628211ull;
  return h;
}

}  // namespace
}  // namespace ombrel

int main(int argc, char** argv) {
  const long streams = argc > 1 ? std::atol(argv[1]) : 2000;
  const unsigned seed = argc > 2 ? static_cast<unsigned>(std::atol(argv[2])) : 1;
  const long first = argc > 3 ? std::atol(argv[3]) : 0;
  const bool verbose = argc > 4 && std::string(argv[4]) == "-v";
  for (long k = first; k < first + streams; ++k) {
    ombrel::Rng rng(seed * 1000003u + static_cast<unsigned>(k));
    const std::string dump = ombrel::RunStream(rng);
    if (verbose) std::fwrite(dump.data(), 1, dump.size(), stdout);
    else std::printf("%ld %016llx\n", k, static_cast<unsigned long long>(ombrel::Fnv(dump)));
  }
  return 0;
}
