#include "options/options_file.h"

#include <utility>
#include <vector>

namespace ombrel {

namespace {

std::string_view FieldView(std::string_view line, int n) {
  if (n < 1) return {};
  size_t start = 0;
  for (int i = 1; i < n; ++i) {
    size_t tab = line.find('\t', start);
    if (tab == std::string_view::npos) return {};
    start = tab + 1;
  }
  size_t end = line.find('\t', start);
  return line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

std::string_view Key(std::string_view line) { return FieldView(line, 1); }
std::string_view Value(std::string_view line) { return FieldView(line, 2); }

class LineReader {
 public:
  explicit LineReader(std::string_view bytes) : lines_(SplitFileLines(bytes)) {}
  bool Next(std::string& line) {
    if (pos_ >= lines_.size()) return false;
    line = std::move(lines_[pos_++]);
    return true;
  }

 private:
  std::vector<std::string> lines_;
  size_t pos_ = 0;
};

// A number the file cannot give keeps the value the field already has.
void ReadColor(std::string_view text, Color& field) {
  if (auto v = ParseInt32(text)) field = static_cast<Color>(*v);
}

bool ReadFlag(std::string_view value) { return value == "true"; }

uint8_t ReadStyle(std::string_view letters) {
  uint8_t style = 0;
  for (char c : letters) {
    switch (c) {
      case 'b': style |= fsBold; break;
      case 'u': style |= fsUnderline; break;
      case 'i': style |= fsItalic; break;
      case 's': style |= fsStrikeOut; break;
      default: break;
    }
  }
  return style;
}

// Content lines go whole, tabs included, to `out` (or nowhere when null)
// until the closing key or the end of the file.
void ReadList(LineReader& in, std::string_view closing, Lines* out) {
  std::string line;
  while (in.Next(line)) {
    if (Key(line) == closing) return;
    if (out) out->push_back(std::move(line));
  }
}

void ReadAnsiMap(LineReader& in, AnsiMap& map) {
  std::string line;
  size_t entry = 0;
  while (in.Next(line)) {
    if (Key(line) == "#endansimap") return;
    // The map has exactly 16 entries; further lines have nowhere to go.
    if (entry < map.size()) ReadColor(line, map[entry]);
    ++entry;
  }
}

void ReadTrigger(LineReader& in, TTrigger& t) {
  std::string line;
  while (in.Next(line)) {
    std::string_view key = Key(line);
    if (key == "#endtrigger") return;
    if (key == "#string") t.string = Value(line);
    else if (key == "#soundfile") t.soundfile = Value(line);
    else if (key == "#textenabled") t.textenabled = ReadFlag(Value(line));
    else if (key == "#soundenabled") t.soundenabled = ReadFlag(Value(line));
    else if (key == "#text") ReadList(in, "#endtext", &t.text);  // adds to an earlier block
  }
}

void ReadTriggers(LineReader& in, std::vector<TTrigger>& triggers) {
  triggers.clear();
  std::string line;
  while (in.Next(line)) {
    std::string_view key = Key(line);
    if (key == "#endtriggers") return;
    if (key == "#trigger") {
      TTrigger& t = triggers.emplace_back();
      t.name = Value(line);
      ReadTrigger(in, t);
    }
  }
}

void ReadMacros(LineReader& in, std::array<TMacro, kMacroCount>& macros) {
  std::string line;
  size_t next = 0;  // each section starts again at Ctrl+1
  while (in.Next(line)) {
    std::string_view key = Key(line);
    if (key == "#endmacros") return;
    if (key == "#macro") {
      // A set has exactly nine macros: a tenth block is read and dropped.
      Lines* text = nullptr;
      if (next < macros.size()) {
        text = &macros[next].text;
        text->clear();
      }
      ++next;
      ReadList(in, "#endmacro", text);
    }
  }
}

void ReadAlias(LineReader& in, TAlias& a) {
  std::string line;
  while (in.Next(line)) {
    std::string_view key = Key(line);
    if (key == "#endalias") return;
    if (key == "#translation") {
      a.translation.clear();
      ReadList(in, "#endtranslation", &a.translation);
    }
  }
}

void ReadAliases(LineReader& in, std::vector<TAlias>& aliases) {
  aliases.clear();
  std::string line;
  while (in.Next(line)) {
    std::string_view key = Key(line);
    if (key == "#endaliases") return;
    if (key == "#alias") {
      TAlias& a = aliases.emplace_back();
      a.name = Value(line);  // letter case as written
      ReadAlias(in, a);
    }
  }
}

std::string* TextField(TOptions& o, std::string_view key) {
  if (key == "#fontname") return &o.font.name;
  if (key == "#margin") return &o.margin;
  if (key == "#pipechar") return &o.pipechar;
  if (key == "#pathchar") return &o.pathchar;
  if (key == "#stdpasteprefix") return &o.stdpasteprefix;
  if (key == "#stdpastesuffix") return &o.stdpastesuffix;
  if (key == "#altpasteprefix") return &o.altpasteprefix;
  if (key == "#altpastesuffix") return &o.altpastesuffix;
  if (key == "#paramstart") return &o.paramstart;
  if (key == "#paramend") return &o.paramend;
  return nullptr;
}

bool* FlagField(TOptions& o, std::string_view key) {
  if (key == "#ansi") return &o.ansi;
  if (key == "#scrollbar") return &o.scrollbar;
  if (key == "#localecho") return &o.localecho;
  if (key == "#telnet") return &o.telnet;
  if (key == "#telnetinit") return &o.telnetinit;
  if (key == "#telopnaws") return &o.telopnaws;
  if (key == "#teloplinemode") return &o.teloplinemode;
  return nullptr;
}

Color* ColorField(TOptions& o, std::string_view key) {
  if (key == "#bgcolor") return &o.bgcolor;
  if (key == "#textbrightcolor") return &o.textbrightcolor;
  if (key == "#textcolor") return &o.font.color;
  return nullptr;
}

// Reads the lines after "#optionset" up to "#endoptionset" or the end of
// the file; a set cut short keeps what it got.
void ReadSet(LineReader& in, TOptions& o) {
  std::string line;
  while (in.Next(line)) {
    std::string_view key = Key(line);
    if (key == "#endoptionset") return;
    if (Color* c = ColorField(o, key)) ReadColor(Value(line), *c);
    else if (std::string* s = TextField(o, key)) *s = Value(line);
    else if (bool* f = FlagField(o, key)) *f = ReadFlag(Value(line));
    else if (key == "#fontsize") {
      if (auto v = ParseInt32(Value(line))) o.font.size = *v;
    } else if (key == "#fontstyle") o.font.style = ReadStyle(Value(line));
    else if (key == "#ansimap") ReadAnsiMap(in, o.ansimap);
    else if (key == "#triggers") ReadTriggers(in, o.triggers);
    else if (key == "#macros") ReadMacros(in, o.macros);
    else if (key == "#aliases") ReadAliases(in, o.aliases);
  }
}

class Writer {
 public:
  std::string out;

  void Line(std::string_view text) {
    out += text;
    out += "\r\n";
  }
  void Text(std::string_view key, std::string_view value) {
    out += key;
    out += '\t';
    out += value;
    out += "\r\n";
  }
  // Colours are 32-bit values stored as signed decimals.
  void Int(std::string_view key, uint32_t value) { Int(key, static_cast<int32_t>(value)); }
  void Int(std::string_view key, int32_t value) { Text(key, std::to_string(value)); }
  void Flag(std::string_view key, bool value) { Text(key, value ? "true" : "false"); }
  void List(std::string_view open, const Lines& lines, std::string_view close) {
    Line(open);
    for (const auto& l : lines) Line(l);
    Line(close);
  }
};

std::string StyleLetters(uint8_t style) {
  std::string s;
  if (style & fsBold) s += 'b';
  if (style & fsUnderline) s += 'u';
  if (style & fsItalic) s += 'i';
  if (style & fsStrikeOut) s += 's';
  return s;
}

void WriteSet(Writer& w, const TOptions& o) {
  w.Text("#optionset", o.name);
  w.Int("#bgcolor", o.bgcolor);
  w.Int("#textbrightcolor", o.textbrightcolor);
  w.Int("#textcolor", o.font.color);
  w.Line("#ansimap");
  for (Color c : o.ansimap) w.Line(std::to_string(static_cast<int32_t>(c)));
  w.Line("#endansimap");
  w.Text("#fontname", o.font.name);
  w.Int("#fontsize", static_cast<int32_t>(o.font.size));
  w.Text("#fontstyle", StyleLetters(o.font.style));
  w.Flag("#ansi", o.ansi);
  w.Flag("#scrollbar", o.scrollbar);
  w.Flag("#localecho", o.localecho);
  w.Text("#margin", o.margin);
  w.Flag("#telnet", o.telnet);
  w.Flag("#telnetinit", o.telnetinit);
  w.Flag("#telopnaws", o.telopnaws);
  w.Flag("#teloplinemode", o.teloplinemode);
  w.Text("#pipechar", o.pipechar);
  w.Text("#pathchar", o.pathchar);
  w.Text("#stdpasteprefix", o.stdpasteprefix);
  w.Text("#stdpastesuffix", o.stdpastesuffix);
  w.Text("#altpasteprefix", o.altpasteprefix);
  w.Text("#altpastesuffix", o.altpastesuffix);
  w.Text("#paramstart", o.paramstart);
  w.Text("#paramend", o.paramend);
  w.Line("#triggers");
  for (const auto& t : o.triggers) {
    w.Text("#trigger", t.name);
    w.Text("#string", t.string);
    w.Text("#soundfile", t.soundfile);
    w.List("#text", t.text, "#endtext");
    w.Flag("#textenabled", t.textenabled);
    w.Flag("#soundenabled", t.soundenabled);
    w.Line("#endtrigger");
  }
  w.Line("#endtriggers");
  w.Line("#macros");
  for (const auto& m : o.macros) w.List("#macro", m.text, "#endmacro");
  w.Line("#endmacros");
  w.Line("#aliases");
  for (const auto& a : o.aliases) {
    w.Text("#alias", a.name);
    w.List("#translation", a.translation, "#endtranslation");
    w.Line("#endalias");
  }
  w.Line("#endaliases");
  w.Line("#endoptionset");
}

}  // namespace

std::string GetField(std::string_view line, int n) { return std::string(FieldView(line, n)); }

void ParseOptionSets(std::string_view bytes, TOptionSetList& list) {
  list.Clear();
  LineReader in(bytes);
  std::string line;
  while (in.Next(line)) {
    if (Key(line) != "#optionset") continue;
    auto set = std::make_unique<TOptions>();
    set->name = Value(line);
    ReadSet(in, *set);
    list.Add(std::move(set));
  }
  if (list.Count() == 0) list.AddNew(kDefaultSetName);
}

std::string FormatOptionSets(const TOptionSetList& list) {
  Writer w;
  for (int i = 0; i < list.Count(); ++i) WriteSet(w, list.At(i));
  return std::move(w.out);
}

ReadResult LoadOptionSets(const std::string& path, TOptionSetList& list) {
  std::string bytes;
  ReadResult r = ReadFileBytes(path, bytes);
  ParseOptionSets(r.ok ? bytes : std::string_view(), list);
  return r;
}

WriteResult SaveOptionSets(const std::string& path, const TOptionSetList& list) {
  return WriteFileAtomically(path, FormatOptionSets(list));
}

}  // namespace ombrel
