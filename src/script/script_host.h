// A terminal's Lua 5.4 scripts: one state per terminal, limited to safe
// libraries, a time budget for every call into it and a memory bound, and
// the functions scripts use to act on the terminal. The host reaches the
// terminal only through ScriptTerminal; everything else it keeps itself
// (triggers, aliases, timers, handlers and their order).
//
// Errors never escape: every call into Lua is protected and what went
// wrong comes back as status lines "file:line: message"; the state stays
// usable after any of them, including a script that ran too long or asked
// for too much memory.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "script/call_watchdog.h"
#include "util/line_filter.h"
#include "script/script_regex.h"
#include "script/small_blocks.h"
#include "script/script_value.h"

struct lua_State;
struct lua_Debug;

namespace ombrel {

// What the host needs from the terminal it serves. None of these may call
// back into the host before returning.
class ScriptTerminal {
 public:
  virtual ~ScriptTerminal() = default;
  // As a typed line: through the command processor (separator, classic
  // aliases, speedwalk, local echo). Script aliases do not see it.
  virtual void SendCommand(const std::string& text) = 0;
  // The text and CR LF on the socket only, byte 255 doubled under telnet.
  virtual void SendRaw(const std::string& text) = 0;
  // A local line in the terminal; colour sequences allowed.
  virtual void Echo(const std::string& text) = 0;
  // As a trigger's sound.
  virtual void PlaySound(const std::string& file) = 0;
  // IAC SB GMCP `name` [SP `json`] IAC SE; `json` empty: the name alone.
  virtual void SendGmcp(const std::string& name, const std::string& json) = 0;
  // Call ScriptHost::RunTimer(id) once, `delay` from now, on the window's
  // event loop. Starting an id that is waiting replaces its wait.
  virtual void StartTimer(int id, std::chrono::milliseconds delay) = 0;
  virtual void StopTimer(int id) = 0;
  virtual std::chrono::steady_clock::time_point Now() const = 0;
  // Switches the group of the set's own (pattern) triggers on or off;
  // returns how many of them are in it.
  virtual int SwitchTriggerGroup(const std::string& group, bool on) {
    (void)group, (void)on;
    return 0;
  }
};

// Something a script asked of the terminal while a line was being read,
// done once the line has been shown and the classic triggers have run.
struct ScriptAction {
  enum class Kind { send, sendRaw, echo, sound, gmcp };
  Kind kind = Kind::send;
  std::string text;  // the command, the line, the sound file, the GMCP name
  std::string json;  // GMCP only: the value as JSON text, or empty
  bool operator==(const ScriptAction&) const = default;
};

// A span of the line (0-based byte offset and length in the text given to
// ProcessLine) to paint in a colour 0xRRGGBB.
struct ScriptHighlight {
  size_t offset = 0;
  size_t length = 0;
  uint32_t rgb = 0;
  bool operator==(const ScriptHighlight&) const = default;
};

struct ScriptLineEffects {
  bool gag = false;  // the line is not shown
  std::vector<ScriptHighlight> highlights;
  std::vector<ScriptAction> actions;  // in the order asked: ScriptHost::Perform
  std::vector<std::string> errors;    // status lines
};

struct ScriptLimits {
  // Each call from the client into Lua (a line with all its triggers, a
  // timer, an alias, loading the script) ends with an error past this.
  std::chrono::milliseconds budget{50};
  size_t memory = 64u << 20;  // bytes the whole state may hold
};

// "Scripts" of set "Aardwolf: main" live in "Aardwolf_ main.lua": each byte
// other than an ASCII letter, digit, space, '-', '_' or '.' becomes '_'.
std::string ScriptBaseName(std::string_view setName);

class ScriptHost {
 public:
  using Errors = std::vector<std::string>;

  explicit ScriptHost(ScriptTerminal& terminal, ScriptLimits limits = {});
  ~ScriptHost();
  ScriptHost(const ScriptHost&) = delete;
  ScriptHost& operator=(const ScriptHost&) = delete;

  // A fresh state for the set: `vars` restored from <dir>/<base>.vars, then
  // <dir>/<base>.lua run (no file: no script, no error). `require` reads
  // modules from `dir` only. With `utf8`, patterns and lines are UTF-8.
  // What the previous state had is dropped unsaved: SaveVars first.
  Errors Load(const std::string& dir, std::string_view setName, bool utf8);
  // Runs `source` in the loaded state (a fresh one if none), as chunk `name`.
  Errors Run(std::string_view name, std::string_view source);
  // Drops the state, its timers included.
  void Unload();
  bool Loaded() const { return L_ != nullptr; }

  // Writes `vars` to <dir>/<base>.vars. An error when a value cannot be
  // saved (a function, a table that holds itself), when writing fails, and
  // when the file was damaged at loading: that file is kept until mended.
  std::string SaveVars();

  // Is anything listening to received lines? When not, ProcessLine does
  // nothing, and the caller need not make the text.
  bool WantsLines() const { return !triggers_.empty() || lineHandlers_ > 0; }
  // A completed received line, as it is shown but without colour sequences:
  // the "line" handlers, then the triggers in the order they were made.
  // Nothing is done to the terminal yet: the caller shows the line (unless
  // gagged) with the highlights, runs the classic triggers, then Perform.
  ScriptLineEffects ProcessLine(std::string_view text);
  // The same into `effects`, emptied first: its buffers are used again.
  void ProcessLine(std::string_view text, ScriptLineEffects& effects);
  // Whether ProcessLine could do anything with a line whose text, colour
  // sequences and all, is `raw`: false saves taking them out.
  bool MayAct(std::string_view raw) const;
  // The bytes of which every line MayAct lets through holds one (or all
  // lines), up to date whenever no call into Lua is under way.
  const LineFilter& LinesActedOn() const { return lineFilter_; }
  void Perform(const std::vector<ScriptAction>& actions);

  // A typed command: true when a script alias took it (its actions done).
  // False, without running anything, for commands scripts themselves sent.
  bool RunAlias(std::string_view command, Errors& errors);
  Errors RunTimer(int id);
  Errors Connected();
  Errors Disconnected();
  // A GMCP message: gmcp.<message> (each part matched to an existing key
  // without regard to case) becomes `node`, the terminal's merged data
  // there, then handlers of "gmcp.<message>" get `value`, what it carried.
  Errors GmcpReceived(std::string_view message, const ScriptValue& node, const ScriptValue& value);
  // A new connection: `gmcp` is empty again.
  void ClearGmcp();

  // Bytes the state holds now.
  size_t MemoryUsed() const { return used_; }

  // What a script made: a trigger, alias, timer or handler (inside only).
  struct Item;
  // An item's function to call, with `text` (none: no arguments) and the
  // spans of `groups` after the first as the captures that follow it.
  struct ItemCall {
    int id = 0;
    const std::string_view* text = nullptr;
    const std::vector<ScriptRegex::Span>* groups = nullptr;
  };

 private:
  friend struct ScriptApi;

  static void* Allocate(void* ud, void* ptr, size_t osize, size_t nsize);
  static void Hook(lua_State* L, lua_Debug* ar);

  bool Open();
  template <class Body>
  bool Protect(Body& body);
  bool Call(int nargs, const std::string& where);
  // From outside any call into Lua (`depth_` counted by the caller): one
  // protected call of the item's function, arguments pushed inside it.
  bool CallItem(const ItemCall& call, const std::string& where);

  std::string Describe(int status, const std::string& where);
  // Around each call from the client into Lua (the outermost one).
  void BeginCall();
  void EndCall();
  static void Interrupt(void* context);
  Errors Finish();
  void Fire(const std::string& event, const ScriptValue* value);
  void FireTrigger(Item& item, std::string_view line, const std::vector<ScriptRegex::Span>& groups,
                   ScriptLineEffects& effects);
  void Highlight(Item& t, std::string_view line, ScriptRegex::Span first, ScriptLineEffects& effects);
  void Sweep();
  void RefreshLineFilter() const;
  void ScheduleTimer(Item& item, bool restart);
  void KillItem(Item& item);

  ScriptTerminal& terminal_;
  ScriptLimits limits_;
  lua_State* L_ = nullptr;
  std::string dir_, base_;
  bool utf8_ = false;
  bool varsKept_ = false;  // the .vars file was damaged: never written over
  std::string savedVars_;  // what the file holds, to skip writing it again

  size_t used_ = 0;
  bool memoryRefused_ = false;
  SmallBlocks smallBlocks_;
  bool timedOut_ = false;
  std::unique_ptr<CallWatchdog> watchdog_;  // watches each call from the client
  int depth_ = 0;       // calls into Lua under way
  int performing_ = 0;  // doing what scripts asked: their sends skip aliases

  std::map<int, std::unique_ptr<Item>> items_;
  std::vector<Item*> triggers_, aliases_, handlers_;
  int lineHandlers_ = 0;
  // What MayAct looks for first, made again when triggers change.
  mutable bool filterStale_ = true;
  mutable LineFilter lineFilter_;
  int nextId_ = 1;
  bool sweep_ = false;

  // Filled while Lua runs.
  std::vector<ScriptAction> pending_;
  Errors errors_;
  ScriptLineEffects* line_ = nullptr;  // the line being read, for gag()
  // Per trigger, for the line being read: matched or not, and where.
  std::vector<char> lineState_;
  std::vector<std::vector<ScriptRegex::Span>> lineGroups_;
};

}  // namespace ombrel
