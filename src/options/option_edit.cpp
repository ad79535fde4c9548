#include "options/option_edit.h"

#include <algorithm>
#include <exception>

#include "gmcp/game_settings.h"
#include "util/digits.h"

namespace ombrel {

std::string LinesToMemo(const Lines& lines) {
  std::string out;
  for (const std::string& line : lines) out += line + "\r\n";
  return out;
}

Lines MemoToLines(const std::string& memo) {
  Lines out;
  size_t start = 0;
  size_t i = 0;
  while (i < memo.size()) {
    if (memo[i] == '\r' || memo[i] == '\n') {
      out.push_back(memo.substr(start, i - start));
      i += (memo[i] == '\r' && i + 1 < memo.size() && memo[i + 1] == '\n') ? 2 : 1;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < memo.size()) out.push_back(memo.substr(start));
  return out;
}

std::string SizeFieldExit(const std::string& text) { return DigitsOnly(text, "0"); }

int SizeFromField(const std::string& text, int max) {
  long long n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') continue;
    n = std::min<long long>(n * 10 + (c - '0'), max);
  }
  return static_cast<int>(n);
}

std::string MarginSizeText(const std::string& margin) { return std::to_string(margin.size()); }

void StoreMarginSize(const std::string& field, std::string& margin) {
  // The length the field shows may be longer than the limit for a margin
  // read from the file; leaving the field alone must not cut it.
  if (SizeFieldExit(field) == MarginSizeText(margin)) return;
  const size_t size = static_cast<size_t>(SizeFromField(field, kMaxMarginSize));
  if (size != margin.size()) margin.assign(size, ' ');
}

SetFields FieldsFromSet(const TOptions& set) {
  SetFields f;
  f.font = set.font;
  f.bgcolor = set.bgcolor;
  f.textbrightcolor = set.textbrightcolor;
  f.ansi = set.ansi;
  f.scrollbar = set.scrollbar;
  f.localecho = set.localecho;
  f.marginSize = MarginSizeText(set.margin);
  f.ansimap = set.ansimap;
  f.telnet = set.telnet;
  f.telnetinit = set.telnetinit;
  f.telopnaws = set.telopnaws;
  f.teloplinemode = set.teloplinemode;
  f.historySize = std::to_string(set.historysize);
  f.pipechar = set.pipechar;
  f.pathchar = set.pathchar;
  f.stdpasteprefix = set.stdpasteprefix;
  f.stdpastesuffix = set.stdpastesuffix;
  f.altpasteprefix = set.altpasteprefix;
  f.altpastesuffix = set.altpastesuffix;
  f.paramstart = set.paramstart;
  f.paramend = set.paramend;
  f.extendedcolours = set.features.extendedcolours;
  f.utf8 = set.features.utf8;
  f.mccp = set.features.mccp;
  f.patterns = set.features.patterns;
  f.scripts = set.features.scripts;
  f.gmcp = set.features.gmcp;
  const GameDataTexts texts = TextsOf(set.gamedata);
  f.gmcpModules = texts.modules, f.gauges = texts.gauges, f.msdpVariables = texts.msdpVariables;
  f.serverecho = set.features.serverecho;
  f.autoreconnect = set.features.autoreconnect;
  f.htmllog = set.features.htmllog;
  f.tabcomplete = set.features.tabcomplete;
  f.splitscroll = set.features.splitscroll;
  f.screenreader = set.features.screenreader;
  f.speech = set.features.speech;
  return f;
}

namespace {
// Every text field is stored on one line of the file after a tab; a pasted
// line break or tab would cut the value when the file is read back.
std::string OneLine(const std::string& s) {
  std::string out = s;
  std::replace_if(out.begin(), out.end(), [](char c) { return c == '\r' || c == '\n' || c == '\t'; }, ' ');
  return out;
}
}  // namespace

void StoreFields(const SetFields& f, TOptions& set) {
  set.font = f.font;
  set.font.name = OneLine(f.font.name);
  set.bgcolor = f.bgcolor;
  set.textbrightcolor = f.textbrightcolor;
  set.ansi = f.ansi;
  set.scrollbar = f.scrollbar;
  set.localecho = f.localecho;
  StoreMarginSize(f.marginSize, set.margin);
  set.ansimap = f.ansimap;
  set.telnet = f.telnet;
  set.telnetinit = f.telnetinit;
  set.telopnaws = f.telopnaws;
  set.teloplinemode = f.teloplinemode;
  set.historysize = SizeFromField(f.historySize, kMaxHistorySize);
  // The fields take one character; a longer value from the file stays as
  // it is unless the field was changed.
  for (auto [field, value] : {std::pair{&f.pipechar, &set.pipechar}, std::pair{&f.pathchar, &set.pathchar}})
    if (field->substr(0, 1) != value->substr(0, 1)) *value = OneLine(field->substr(0, 1));
  set.stdpasteprefix = OneLine(f.stdpasteprefix);
  set.stdpastesuffix = OneLine(f.stdpastesuffix);
  set.altpasteprefix = OneLine(f.altpasteprefix);
  set.altpastesuffix = OneLine(f.altpastesuffix);
  set.paramstart = OneLine(f.paramstart);
  set.paramend = OneLine(f.paramend);
  set.features.extendedcolours = f.extendedcolours;
  set.features.utf8 = f.utf8;
  set.features.mccp = f.mccp;
  set.features.patterns = f.patterns;
  set.features.scripts = f.scripts;
  set.features.gmcp = f.gmcp;
  StoreTexts({f.gmcpModules, f.gauges, f.msdpVariables}, set.gamedata);
  set.features.serverecho = f.serverecho;
  set.features.autoreconnect = f.autoreconnect;
  set.features.htmllog = f.htmllog;
  set.features.tabcomplete = f.tabcomplete;
  set.features.splitscroll = f.splitscroll;
  set.features.screenreader = f.screenreader;
  set.features.speech = f.speech;
}

TriggerFields FieldsFromTrigger(const TTrigger* t) {
  TriggerFields f;
  if (!t) return f;
  f.string = t->string;
  f.textenabled = t->textenabled;
  f.soundenabled = t->soundenabled;
  f.text = LinesToMemo(t->text);
  f.soundfile = t->soundfile;
  return f;
}

void StoreTriggerFields(const TriggerFields& f, TTrigger& t) {
  t.string = OneLine(f.string);
  t.textenabled = f.textenabled;
  t.soundenabled = f.soundenabled;
  t.text = MemoToLines(f.text);
  t.soundfile = OneLine(f.soundfile);
}

int ReselectIndex(int remembered, int count) {
  if (remembered >= 0 && remembered < count) return remembered;
  return count > 0 ? 0 : -1;
}

std::string AliasName(std::string name) {
  for (char& c : name)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return name;
}

namespace {
std::string Trimmed(const std::string& s) {
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  size_t b = 0, e = s.size();
  while (b < e && blank(s[b])) ++b;
  while (e > b && blank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }
}  // namespace

std::optional<Message> CheckNewSetName(std::string& name) {
  // A tab or line break would cut the name short in options.dat.
  name = Trimmed(OneLine(name));
  if (name.empty())
    return Message{"Please enter a name for the new option set.", "Missing Input", MsgIcon::Warning};
  if (name == kDefaultSetName)
    return Message{"Please choose a different name.", "Illegal Name", MsgIcon::Warning};
  return std::nullopt;
}

void ApplyToTerminals(TOptions* set, const std::vector<EditorTerminal*>& terminals,
                      const EditorTerminal* current) {
  for (EditorTerminal* t : terminals) {
    if (t == current) t->AssignOptions(set);
    if (t->Options() == set) t->LayoutTerminal();
  }
}

void LayoutTerminalsOn(const TOptions* set, const std::vector<EditorTerminal*>& terminals) {
  for (EditorTerminal* t : terminals)
    if (t->Options() == set) t->LayoutTerminal();
}

int ShownSetIndex(const TOptionSetList& sets, const TOptions* terminalSet) {
  if (terminalSet)
    if (auto found = sets.IndexOf(terminalSet)) return *found;
  return sets.Count() > 0 ? 0 : -1;
}

bool SaveReportingFailure(const std::function<bool()>& save, const AskFn& ask) {
  bool saved = false;
  std::string reason;
  try {
    saved = save();
  } catch (const std::exception& e) {
    reason = e.what();
  }
  if (!saved && ask)
    ask({reason.empty() ? std::string("The option sets could not be written to options.dat.") : reason,
         "Ombrel Error", MsgIcon::Error});
  return saved;
}

DeleteResult DeleteSet(TOptionSetList& list, int index,
                       const std::vector<EditorTerminal*>& terminals, const AskFn& ask) {
  if (index < 0 || index >= list.Count()) return DeleteResult::Refused;
  TOptions* doomed = &list.At(index);
  if (doomed->name == kDefaultSetName) {
    ask({"You cannot delete the default option set.", "Warning", MsgIcon::Warning});
    return DeleteResult::Refused;
  }
  if (!ask({"Do you really want to delete option set " + Quoted(doomed->name), "Delete Option Set?",
            MsgIcon::Question, true}))
    return DeleteResult::Declined;
  TOptions* fallback = list.DefaultFallback(doomed);
  if (!fallback) {
    ask({"Default set not found!", "Error", MsgIcon::Error});
    return DeleteResult::Refused;
  }
  for (EditorTerminal* t : terminals)
    if (t->Options() == doomed) {
      t->AssignOptions(fallback);
      // The fallback may have another font: measure it before drawing.
      t->LayoutTerminal();
    }
  list.RemoveAt(index);
  return DeleteResult::Deleted;
}

namespace {

// Triggers and aliases are deleted alike: asked by name, then erased.
template <typename Entry>
DeleteResult DeleteNamed(std::vector<Entry>& entries, int index, const std::string& kind,
                         const std::string& caption, const AskFn& ask) {
  if (index < 0 || index >= static_cast<int>(entries.size())) return DeleteResult::Refused;
  if (!ask({"Do you really want to delete " + kind + " " + Quoted(entries[index].name) + "?", caption,
            MsgIcon::Question, true}))
    return DeleteResult::Declined;
  entries.erase(entries.begin() + index);
  return DeleteResult::Deleted;
}

}  // namespace

DeleteResult DeleteTrigger(TOptions& set, int index, const AskFn& ask) {
  return DeleteNamed(set.triggers, index, "trigger", "Delete Trigger?", ask);
}

DeleteResult DeleteAlias(TOptions& set, int index, const AskFn& ask) {
  return DeleteNamed(set.aliases, index, "alias", "Delete Alias?", ask);
}

int AddTrigger(TOptions& set, const std::string& name) {
  TTrigger t;
  t.name = OneLine(name);
  set.triggers.push_back(std::move(t));
  return static_cast<int>(set.triggers.size()) - 1;
}

int AddAlias(TOptions& set, const std::string& name) {
  TAlias a;
  a.name = AliasName(OneLine(name));
  set.aliases.push_back(std::move(a));
  return static_cast<int>(set.aliases.size()) - 1;
}

}  // namespace ombrel
