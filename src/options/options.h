// The option set: everything that decides how one terminal looks and
// behaves. Terminals share sets by reference; nothing ever copies one.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ombrel {

// 0x00BBGGRR, red in the low byte.
using Color = uint32_t;
using Lines = std::vector<std::string>;

enum FontStyle : uint8_t {
  fsBold = 1,
  fsItalic = 2,
  fsUnderline = 4,
  fsStrikeOut = 8,
};

struct TFontDesc {
  std::string name = "fixedsys";
  int size = 9;
  uint8_t style = 0;  // FontStyle bits
  Color color = 0x808080;
  bool operator==(const TFontDesc&) const = default;
};

// What a trigger holds beyond the classic record (patterns.dat): how its
// string is matched and what a match does besides sending text and playing
// a sound. The defaults are the classic trigger.
enum class TriggerKind : uint8_t { substring, regex, wholeline, linestart };
enum class HighlightScope : uint8_t { none, match, line };

struct TPatternTrigger {
  TriggerKind kind = TriggerKind::substring;
  bool ignorecase = false;
  bool gag = false;     // the line is not shown
  bool gaglog = false;  // nor logged
  HighlightScope highlight = HighlightScope::none;
  std::optional<Color> fgcolor, bgcolor;  // unset: the colour the text has
  bool substitute = false;
  std::string substitution;  // replaces each match on screen; %0..%9 filled
  bool stop = false;         // later triggers are not evaluated on the line
  bool once = false;         // switched off after firing
  bool enabled = true;
  std::string group;                // switched off with its group
  std::string groupon, groupoff;    // groups a firing switches on and off
  Lines unknown;                    // lines of keys this version does not know, kept
  bool operator==(const TPatternTrigger&) const = default;
};

struct TTrigger {
  std::string name;
  std::string string;
  bool textenabled = false;
  bool soundenabled = false;
  Lines text;
  std::string soundfile;
  TPatternTrigger pattern;
  bool operator==(const TTrigger&) const = default;
};

struct TMacro {
  Lines text;
  bool operator==(const TMacro&) const = default;
};

struct TAlias {
  std::string name;
  Lines translation;
  bool operator==(const TAlias&) const = default;
};

inline constexpr int kAnsiMapSize = 16;
using AnsiMap = std::array<Color, kAnsiMapSize>;

// The standard colours; entries 8..15 are the bold forms.
inline constexpr AnsiMap kDefaultAnsiMap = {
    0x000000, 0x00007F, 0x007F00, 0x007F7F, 0x7F0000, 0x7F007F, 0x7F7F00, 0x7F7F7F,
    0x505050, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
};

inline constexpr int kMacroCount = 9;

// What a set adds beyond the classic client, each off unless switched on.
// Kept in features.dat beside options.dat, whose format stays as it is.
struct TSetFeatures {
  bool extendedcolours = false;  // 256 colours, true colour, reverse, underline
  bool utf8 = false;             // text shown and sent as UTF-8
  bool mccp = false;             // the server may compress what it sends
  bool patterns = false;         // triggers by regular expression, gag, highlight...
  bool scripts = false;          // the set's Lua scripts run in its terminals
  bool gmcp = false;             // GMCP, MSDP and MSSP: gauges, room, channels
  bool serverecho = false;       // the server may echo, hiding what is typed (passwords)
  bool autoreconnect = false;    // a lost connection is made again
  bool htmllog = false;          // a log named *.html or *.htm is a web page
  bool tabcomplete = false;      // Tab completes words, Ctrl+R searches the history
  bool splitscroll = false;      // scrolled back, the newest lines stay in view below
  bool screenreader = false;     // the server is told a screen reader reads
  bool speech = false;           // received lines spoken aloud
  Lines unknown;                 // lines of keys this version does not know, kept
  bool operator==(const TSetFeatures&) const = default;
};

// A set's pattern triggers as a whole (patterns.dat).
struct TSetPatterns {
  Lines groupsoff;  // groups whose triggers do not fire
  Lines unknown;    // lines of keys this version does not know, kept
  bool operator==(const TSetPatterns&) const = default;
};

// What a set asks of a game's data and how it shows it (gamedata.dat), as
// the Features tab's fields hold them; none: the defaults.
struct TSetGameData {
  std::optional<std::string> modules;        // GMCP modules: "Char 1, Room 1"
  std::optional<std::string> gauges;         // "Health = Char.Vitals.hp/Char.Vitals.maxhp; ..."
  std::optional<std::string> msdpvariables;  // "HEALTH HEALTH_MAX"
  Lines unknown;                             // lines of keys this version does not know, kept
  bool operator==(const TSetGameData&) const = default;
};

struct TOptions {
  std::string name;
  Color bgcolor = 0;
  Color textbrightcolor = 0xE0E0E0;
  TFontDesc font;  // font.color is the set's textcolor
  bool ansi = false;
  bool scrollbar = false;
  bool localecho = false;
  std::string margin;
  AnsiMap ansimap = kDefaultAnsiMap;
  bool telnet = false;
  bool telnetinit = false;
  bool telopnaws = false;
  bool teloplinemode = false;
  std::vector<TTrigger> triggers;
  std::array<TMacro, kMacroCount> macros;
  std::vector<TAlias> aliases;
  int historysize = 50;
  std::string pipechar = "|";
  std::string pathchar = "/";
  std::string stdpasteprefix;
  std::string stdpastesuffix;
  std::string altpasteprefix;
  std::string altpastesuffix;
  std::string paramstart = "[";
  std::string paramend = "]";
  TSetFeatures features;
  TSetPatterns patterns;
  TSetGameData gamedata;

  Color textcolor() const { return font.color; }
  // Field by field; the editor and the file tests compare whole sets.
  bool operator==(const TOptions&) const = default;
};

inline constexpr const char* kDefaultSetName = "Default";

// The ordered list of every option set. Sets live on the heap so that
// references held by terminals stay valid while the list changes.
class TOptionSetList {
 public:
  int Count() const { return static_cast<int>(sets_.size()); }
  TOptions& At(int index) { return *sets_.at(index); }
  const TOptions& At(int index) const { return *sets_.at(index); }
  const std::string& NameAt(int index) const { return sets_.at(index)->name; }

  TOptions& Add(std::unique_ptr<TOptions> set);
  TOptions& AddNew(const std::string& name);
  // Destroys the set; the caller first moves terminals off it.
  void RemoveAt(int index);
  void Clear() { sets_.clear(); }

  // First set whose name equals `name` ignoring letter case.
  std::optional<int> IndexOfNoCase(const std::string& name) const;
  // Last set whose name equals `name` exactly (the connect rule).
  std::optional<int> LastIndexOfExact(const std::string& name) const;
  std::optional<int> IndexOfExact(const std::string& name) const;
  std::optional<int> IndexOf(const TOptions* set) const;

  // Fallback for terminals whose set is deleted: the first set named
  // "Default" in any letter case, skipping `excluding`.
  TOptions* DefaultFallback(const TOptions* excluding = nullptr);

 private:
  std::vector<std::unique_ptr<TOptions>> sets_;
};

bool EqualsNoCase(const std::string& a, const std::string& b);
std::string LowerCase(std::string s);

}  // namespace ombrel
