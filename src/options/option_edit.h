// The option set editor's rules that need no window: what the controls
// show of a set and how they are stored back, the list selections after a
// refill, and the steps that add and delete sets, triggers and aliases with
// the questions they ask.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "options/options.h"

namespace ombrel {

// ---- messages

enum class MsgIcon { Warning, Question, Error };

struct Message {
  std::string text;
  std::string caption;
  MsgIcon icon = MsgIcon::Warning;
  bool yesNo = false;  // Yes and No buttons; otherwise OK alone
};

// Shows a message box; true for Yes (or OK).
using AskFn = std::function<bool(const Message&)>;

// ---- texts of the multi-line fields

// Each line followed by CR LF, the last one too.
std::string LinesToMemo(const Lines& lines);
// Split at CR LF, lone CR and lone LF; a break at the very end adds no line.
Lines MemoToLines(const std::string& memo);

// ---- numeric fields

// What a size field holds once left: its digits only, "0" when none remain.
std::string SizeFieldExit(const std::string& text);
// The digits of a size field as a number, at most `max`.
int SizeFromField(const std::string& text, int max);

inline constexpr int kMaxMarginSize = 1000;
inline constexpr int kMaxHistorySize = 10000;

std::string MarginSizeText(const std::string& margin);
// The margin field shows a length; storing it gives that many blanks,
// unless the length did not change, so a margin of other characters read
// from the file survives an Apply.
void StoreMarginSize(const std::string& field, std::string& margin);

// ---- the Display, Telnet and General tabs as the controls hold them

struct SetFields {
  TFontDesc font;  // the font dialog's font
  Color bgcolor = 0;
  Color textbrightcolor = 0;
  bool ansi = false;
  bool scrollbar = false;
  bool localecho = false;
  std::string marginSize;
  AnsiMap ansimap{};
  bool telnet = false;
  bool telnetinit = false;
  bool telopnaws = false;
  bool teloplinemode = false;
  std::string historySize;
  std::string pipechar, pathchar;
  std::string stdpasteprefix, stdpastesuffix;
  std::string altpasteprefix, altpastesuffix;
  std::string paramstart, paramend;
  bool extendedcolours = false, utf8 = false, mccp = false, patterns = false, scripts = false;
  bool serverecho = false, autoreconnect = false, htmllog = false, tabcomplete = false, splitscroll = false;
  bool screenreader = false, speech = false;
  bool gmcp = false;
  // The game data settings as texts: modules, gauges (a line each), MSDP variables.
  std::string gmcpModules, gauges, msdpVariables;
};

SetFields FieldsFromSet(const TOptions& set);
void StoreFields(const SetFields& fields, TOptions& set);

struct TriggerFields {
  std::string string;
  bool textenabled = false;
  bool soundenabled = false;
  std::string text;  // memo text
  std::string soundfile;
};

TriggerFields FieldsFromTrigger(const TTrigger* trigger);  // none: empty fields
void StoreTriggerFields(const TriggerFields& fields, TTrigger& trigger);

// ---- list selections

// The entry chosen after a list was refilled with `count` entries, when
// `remembered` was chosen before (-1: none): the same position while it
// exists, else the first entry of a non-empty list.
int ReselectIndex(int remembered, int count);

// ---- names

// Alias names are kept with A to Z in lower case; other bytes stay.
std::string AliasName(std::string name);

// The check of the new set dialog's OK button. Trims `name` in place; a
// message when the name is refused.
std::optional<Message> CheckNewSetName(std::string& name);

// ---- terminals

// What the editor needs of a terminal window.
class EditorTerminal {
 public:
  virtual ~EditorTerminal() = default;
  virtual TOptions* Options() const = 0;
  // Assigns the set only; the caller decides how the window is refreshed.
  virtual void AssignOptions(TOptions* set) = 0;
  virtual void LayoutTerminal() = 0;
};

// Apply's terminal step: the current terminal takes `set`, then every
// terminal on `set` is laid out again, in list order.
void ApplyToTerminals(TOptions* set, const std::vector<EditorTerminal*>& terminals,
                      const EditorTerminal* current);

// Every terminal on `set` laid out again, in list order.
void LayoutTerminalsOn(const TOptions* set, const std::vector<EditorTerminal*>& terminals);

// The set the editor shows for a terminal on `terminalSet` (none: no
// terminal): that set's position, else the first set, -1 when none exist.
int ShownSetIndex(const TOptionSetList& sets, const TOptions* terminalSet);

// ---- closing

// Writes the option sets file with `save`. A failed write, false or an
// exception carrying the reason, is reported through `ask`; returns whether
// it was written.
bool SaveReportingFailure(const std::function<bool()>& save, const AskFn& ask);

// ---- adding and deleting

enum class DeleteResult { Refused, Declined, Deleted };

// Deletes set `index` of the list after asking. Terminals that used it move
// to the first set named "Default" in any letter case other than the one
// going away, so no terminal is left on a destroyed set.
DeleteResult DeleteSet(TOptionSetList& list, int index,
                       const std::vector<EditorTerminal*>& terminals, const AskFn& ask);

DeleteResult DeleteTrigger(TOptions& set, int index, const AskFn& ask);
DeleteResult DeleteAlias(TOptions& set, int index, const AskFn& ask);

// Appends a trigger or alias named `name`; returns its position.
int AddTrigger(TOptions& set, const std::string& name);
int AddAlias(TOptions& set, const std::string& name);

}  // namespace ombrel
