// The host's life cycle and every way into Lua: each one protected, timed
// and bounded in memory, what the script asked done once Lua has returned.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "script/script_internal.h"
#include "util/text_file.h"

namespace ombrel {

namespace {

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
           return lower(x) == lower(y);
         });
}

}  // namespace

std::string ScriptBaseName(std::string_view setName) {
  std::string out(setName);
  for (char& c : out) {
    const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ' ||
                      c == '-' || c == '_' || c == '.';
    if (!keep) c = '_';
  }
  return out;
}

ScriptHost::ScriptHost(ScriptTerminal& terminal, ScriptLimits limits)
    : terminal_(terminal),
      limits_(limits),
      watchdog_(std::make_unique<CallWatchdog>(limits.budget, &ScriptHost::Interrupt, this)) {}

ScriptHost::~ScriptHost() { Unload(); }

// Blocks from the small blocks' arena go back there, the rest to malloc.
// The bound counts the bytes Lua asked for; the arena adds at most its own
// fixed size to what a state holds.
void* ScriptHost::Allocate(void* ud, void* ptr, size_t osize, size_t nsize) {
  auto* host = static_cast<ScriptHost*>(ud);
  SmallBlocks& small = host->smallBlocks_;
  const size_t old = ptr ? osize : 0;
  const bool pooled = ptr && small.Owns(ptr);
  if (nsize == 0) {
    if (pooled) {
      small.Give(ptr, old);
    } else {
      std::free(ptr);
    }
    host->used_ -= old;
    return nullptr;
  }
  if (nsize > old && nsize - old > host->limits_.memory - std::min(host->used_, host->limits_.memory)) {
    // Lua collects all it can and asks once more before it gives up.
    host->memoryRefused_ = true;
    return nullptr;
  }
  void* block = nullptr;
  if (pooled && SmallBlocks::Fits(old, nsize)) {
    block = ptr;
  } else if (ptr && !pooled) {
    block = std::realloc(ptr, nsize);
  } else {
    if (nsize <= SmallBlocks::kLargest) block = small.Take(nsize);
    if (!block) block = std::malloc(nsize);
    if (block && ptr) {
      std::memcpy(block, ptr, std::min(old, nsize));
      small.Give(ptr, old);
    }
  }
  if (block) host->used_ = host->used_ - old + nsize;
  return block;
}

void ScriptHost::Hook(lua_State* L, lua_Debug* ar) {
  ScriptHost& host = ScriptApi::Host(L);
  if (!host.watchdog_->Overrun()) {
    // Set for a call that has ended since.
    lua_sethook(L, nullptr, 0, 0);
    return;
  }
  // The hook stays, stopping every instruction the script tries next.
  host.timedOut_ = true;
  lua_getinfo(L, "Sl", ar);
  lua_pushfstring(L, "%s:%d: the script ran longer than %d ms", ar->short_src, ar->currentline,
                  static_cast<int>(host.limits_.budget.count()));
  lua_error(L);
}

bool ScriptHost::Open() {
  L_ = lua_newstate(&ScriptHost::Allocate, this);
  if (!L_) return false;
  *static_cast<ScriptHost**>(lua_getextraspace(L_)) = this;
  // Triggers make a few short-lived strings a line: the generational
  // collector frees them young instead of sweeping everything again.
  lua_gc(L_, LUA_GCGEN, 0, 0);
  BeginCall();
  lua_pushcfunction(L_, &ScriptApi::MessageHandler);
  lua_pushcfunction(L_, &ScriptApi::Setup);
  const int status = lua_pcall(L_, 0, 1, kHandlerSlot);
  EndCall();
  if (status != LUA_OK) {
    errors_.push_back(Describe(status, "scripts"));
    lua_close(L_);
    L_ = nullptr;
    return false;
  }
  // Between calls the stack holds the two for good: the message handler
  // and CallItem, which Setup returned.
  lua_settop(L_, kCallItemSlot);
  return true;
}

void ScriptHost::Unload() {
  if (!L_ || depth_ > 0) return;
  for (auto& [id, item] : items_)
    if (item->kind == Item::Kind::timer && !item->dead) terminal_.StopTimer(id);
  items_.clear();
  triggers_.clear();
  aliases_.clear();
  handlers_.clear();
  lineHandlers_ = 0;
  filterStale_ = true;
  RefreshLineFilter();
  sweep_ = false;
  pending_.clear();
  // Scripts cannot make finalizers (ScriptApi::SetMetatable): closing
  // runs none of theirs.
  lua_close(L_);
  L_ = nullptr;
  smallBlocks_.Clear();
  used_ = 0;
  savedVars_.clear();
  varsKept_ = false;
}

void ScriptHost::BeginCall() {
  watchdog_->Begin();
  timedOut_ = false;
  memoryRefused_ = false;
}

// Calls the function below `nargs` arguments on the stack; one failing
// function is reported and the next one still runs.
bool ScriptHost::Call(int nargs, const std::string& where) {
  const int fn = lua_gettop(L_) - nargs;
  lua_pushcfunction(L_, &ScriptApi::MessageHandler);
  lua_insert(L_, fn);
  const int status = lua_pcall(L_, nargs, 0, fn);
  if (status != LUA_OK) errors_.push_back(Describe(status, where));
  lua_settop(L_, fn - 1);
  return status == LUA_OK;
}

void ScriptHost::EndCall() {
  watchdog_->End();
  if (L_ && lua_gethook(L_)) lua_sethook(L_, nullptr, 0, 0);
}

// In the signal handler, on the thread running the call: only the hook.
void ScriptHost::Interrupt(void* context) {
  auto* host = static_cast<ScriptHost*>(context);
  if (host->L_) lua_sethook(host->L_, &ScriptHost::Hook, LUA_MASKCOUNT, 1);
}

bool ScriptHost::CallItem(const ItemCall& call, const std::string& where) {
  lua_pushvalue(L_, kCallItemSlot);
  lua_pushlightuserdata(L_, const_cast<ItemCall*>(&call));
  const int status = lua_pcall(L_, 1, 0, kHandlerSlot);
  if (status == LUA_OK) return true;
  errors_.push_back(Describe(status, where));
  lua_settop(L_, kCallItemSlot);
  return false;
}

std::string ScriptHost::Describe(int status, const std::string& where) {
  const std::string limit = " (a script may hold " + std::to_string(limits_.memory >> 20) + " MiB)";
  if (status == LUA_ERRMEM) return where + ": not enough memory" + limit;
  if (status == LUA_ERRERR) return where + ": error while reporting an error";
  size_t n = 0;
  const char* s = lua_type(L_, -1) == LUA_TSTRING ? lua_tolstring(L_, -1, &n) : nullptr;
  std::string text = s ? std::string(s, n) : where + ": error";
  if (memoryRefused_ && text.ends_with("not enough memory")) text += limit;
  return text;
}

ScriptHost::Errors ScriptHost::Finish() {
  if (depth_ == 0) {
    Sweep();
    RefreshLineFilter();
    if (!pending_.empty()) {
      std::vector<ScriptAction> actions;
      actions.swap(pending_);
      Perform(actions);
    }
  }
  Errors out;
  out.swap(errors_);
  return out;
}

void ScriptHost::Perform(const std::vector<ScriptAction>& actions) {
  ++performing_;
  for (const ScriptAction& a : actions) {
    switch (a.kind) {
      case ScriptAction::Kind::send: terminal_.SendCommand(a.text); break;
      case ScriptAction::Kind::sendRaw: terminal_.SendRaw(a.text); break;
      case ScriptAction::Kind::echo: terminal_.Echo(a.text); break;
      case ScriptAction::Kind::sound: terminal_.PlaySound(a.text); break;
      case ScriptAction::Kind::gmcp: terminal_.SendGmcp(a.text, a.json); break;
    }
  }
  --performing_;
}

void ScriptHost::Sweep() {
  if (!sweep_ || depth_ > 0) return;
  sweep_ = false;
  filterStale_ = true;
  auto dead = [](const Item* item) { return item->dead; };
  std::erase_if(triggers_, dead);
  std::erase_if(aliases_, dead);
  std::erase_if(handlers_, dead);
  lineHandlers_ = static_cast<int>(std::count_if(handlers_.begin(), handlers_.end(),
                                                 [](const Item* h) { return h->event == "line"; }));
  // Their functions go too; setting a key to nil never needs memory.
  lua_rawgetp(L_, LUA_REGISTRYINDEX, &kFunctionsKey);
  for (auto it = items_.begin(); it != items_.end();) {
    if (it->second->dead) {
      lua_pushnil(L_);
      lua_rawseti(L_, -2, it->first);
      it = items_.erase(it);
    } else {
      ++it;
    }
  }
  lua_pop(L_, 1);
}

void ScriptHost::KillItem(Item& item) {
  if (item.dead) return;
  filterStale_ = true;
  if (item.kind == Item::Kind::timer) terminal_.StopTimer(item.id);
  item.dead = true;
  sweep_ = true;
}

void ScriptHost::ScheduleTimer(Item& item, bool restart) {
  const auto now = terminal_.Now();
  if (restart) {
    item.due = now + item.interval;
  } else {
    // A repeating timer keeps its beat; one that fell behind skips the
    // beats it missed rather than running them all at once.
    item.due += item.interval;
    if (item.due < now) item.due = now + item.interval;
  }
  terminal_.StartTimer(item.id, std::chrono::duration_cast<std::chrono::milliseconds>(item.due - now));
}

ScriptHost::Errors ScriptHost::Load(const std::string& dir, std::string_view setName, bool utf8) {
  if (depth_ > 0) return {"scripts cannot be reloaded by a script while it runs"};
  Unload();
  dir_ = dir;
  base_ = ScriptBaseName(setName);
  utf8_ = utf8;
  if (!Open()) return Finish();
  // vars first, so the script sees what it saved last time.
  const std::string varsPath = dir_ + "/" + base_ + ".vars";
  std::string bytes;
  ScriptValue vars = ScriptValue::Table();
  const ReadResult read = ReadFileBytes(varsPath, bytes);
  std::string error;
  if (!read.ok) {
    varsKept_ = true;
    errors_.push_back(base_ + ".vars: " + read.error + "; vars start empty and will not be saved");
  } else if (read.existed && !ParseVars(bytes, vars, error)) {
    varsKept_ = true;
    vars = ScriptValue::Table();
    errors_.push_back(base_ + ".vars:" + error.substr(5) +
                      "; the file is kept as it is, vars start empty and will not be saved until it is mended");
  } else {
    // No file and an empty table: nothing to write until a script sets one.
    savedVars_ = read.existed ? bytes : FormatVars(vars);
  }
  auto setVars = [&] {
    ScriptApi::PushValue(L_, vars);
    lua_setglobal(L_, "vars");
  };
  Protect(setVars);

  const std::string scriptPath = dir_ + "/" + base_ + ".lua";
  std::string source;
  const ReadResult script = ReadFileBytes(scriptPath, source);
  if (!script.ok) {
    errors_.push_back(base_ + ".lua: " + script.error);
  } else if (script.existed) {
    Errors ran = Run(base_ + ".lua", source);
    errors_.insert(errors_.end(), ran.begin(), ran.end());
  }
  return Finish();
}

ScriptHost::Errors ScriptHost::Run(std::string_view name, std::string_view source) {
  if (!L_ && !Open()) return Finish();
  std::string chunk = "=";
  chunk += name;
  auto body = [&] {
    const int status = luaL_loadbufferx(L_, source.data(), source.size(), chunk.c_str(), "t");
    if (status != LUA_OK) {
      errors_.push_back(Describe(status, std::string(name)));
      return;
    }
    Call(0, std::string(name));
  };
  Protect(body);
  return Finish();
}

// The bytes of which every line some enabled trigger may match holds one,
// or all lines when a "line" handler hears them or a trigger has no literal.
void ScriptHost::RefreshLineFilter() const {
  if (!filterStale_) return;
  filterStale_ = false;
  lineFilter_.all = lineHandlers_ > 0;
  lineFilter_.bytes.clear();
  for (const auto& t : triggers_) {
    if (t->dead || !t->enabled) continue;
    const int probe = t->regex->Probe();
    if (probe < 0) {
      lineFilter_.all = true;
    } else if (lineFilter_.bytes.find(static_cast<char>(probe)) == std::string::npos) {
      lineFilter_.bytes += static_cast<char>(probe);
    }
  }
}

bool ScriptHost::MayAct(std::string_view raw) const {
  if (!L_ || depth_ > 0) return false;
  RefreshLineFilter();
  if (lineFilter_.all) return true;
  if (!lineFilter_.Admits(raw)) return false;
  for (const auto& t : triggers_)
    if (!t->dead && t->enabled && t->regex->MayMatchWithin(raw)) return true;
  return false;
}

ScriptLineEffects ScriptHost::ProcessLine(std::string_view text) {
  ScriptLineEffects effects;
  ProcessLine(text, effects);
  return effects;
}

void ScriptHost::ProcessLine(std::string_view text, ScriptLineEffects& effects) {
  effects.gag = false;
  effects.highlights.clear();
  effects.actions.clear();
  effects.errors.clear();
  if (!L_ || !WantsLines() || depth_ > 0) return;
  // Match every enabled trigger first, in C++: most lines fire nothing and
  // never enter Lua at all.
  enum : char { unchecked, missed, matched };
  const size_t count = triggers_.size();
  lineState_.assign(count, unchecked);
  if (lineGroups_.size() < count) lineGroups_.resize(count);
  bool any = false;
  for (size_t i = 0; i < count; ++i) {
    Item& t = *triggers_[i];
    if (t.dead || !t.enabled) continue;
    const bool hit = t.regex->Match(text, lineGroups_[i]);
    lineState_[i] = hit ? matched : missed;
    any |= hit;
  }
  if (!any && lineHandlers_ == 0) return;

  line_ = &effects;
  BeginCall();
  ++depth_;
  const ItemCall lineOnly{0, &text, nullptr};
  for (size_t h = 0, n = handlers_.size(); h < n; ++h) {
    Item& item = *handlers_[h];
    if (item.dead || !item.enabled || item.event != "line") continue;
    ItemCall call = lineOnly;
    call.id = item.id;
    CallItem(call, item.where);
  }
  for (size_t i = 0; i < count; ++i) {
    Item& t = *triggers_[i];
    if (t.dead || !t.enabled) continue;
    // One enabled by a handler or trigger before it on this very line
    // is matched now.
    if (lineState_[i] == matched || (lineState_[i] == unchecked && t.regex->Match(text, lineGroups_[i])))
      FireTrigger(t, text, lineGroups_[i], effects);
  }
  --depth_;
  EndCall();
  line_ = nullptr;
  // The two buffers trade places: both keep what they have grown to.
  effects.actions.swap(pending_);
  effects.errors = Finish();
}

// Every match of the trigger's pattern in the line, the first one given.
void ScriptHost::Highlight(Item& t, std::string_view line, ScriptRegex::Span first, ScriptLineEffects& effects) {
  constexpr size_t kMostPerLine = 1024;
  std::vector<ScriptRegex::Span> more;
  size_t from = 0;  // grows with every search, whatever a match reports
  for (ScriptRegex::Span m = first; effects.highlights.size() < kMostPerLine;) {
    if (m.length > 0) effects.highlights.push_back({m.offset, m.length, t.rgb});
    from = std::max(m.offset + std::max<size_t>(m.length, 1), from + 1);
    if (from > line.size() || !t.regex->Match(line, more, from)) break;
    m = more[0];
  }
}

void ScriptHost::FireTrigger(Item& t, std::string_view line, const std::vector<ScriptRegex::Span>& groups,
                             ScriptLineEffects& effects) {
  if (t.gag) effects.gag = true;
  if (t.highlight) Highlight(t, line, groups[0], effects);
  if (t.once) KillItem(t);
  if (t.hasFunction) CallItem({t.id, &line, &groups}, t.where);
}

bool ScriptHost::RunAlias(std::string_view command, Errors& errors) {
  if (!L_ || aliases_.empty() || performing_ > 0 || depth_ > 0) return false;
  bool handled = false;
  std::vector<ScriptRegex::Span> groups;
  for (size_t i = 0, n = aliases_.size(); i < n && !handled; ++i) {
    Item& a = *aliases_[i];
    if (a.dead || !a.enabled || !a.regex->Match(command, groups)) continue;
    handled = true;
    BeginCall();
    ++depth_;
    CallItem({a.id, &command, &groups}, a.where);
    --depth_;
    EndCall();
  }
  Errors out = Finish();
  errors.insert(errors.end(), out.begin(), out.end());
  return handled;
}

ScriptHost::Errors ScriptHost::RunTimer(int id) {
  auto it = items_.find(id);
  if (!L_ || depth_ > 0 || it == items_.end()) return {};
  Item& t = *it->second;
  if (t.kind != Item::Kind::timer || t.dead || !t.enabled) return {};
  if (t.repeating) {
    ScheduleTimer(t, false);
  } else {
    // Gone once run; kill() from its own function is then nothing.
    t.dead = true;
    sweep_ = true;
  }
  BeginCall();
  ++depth_;
  CallItem({t.id, nullptr, nullptr}, t.where);
  --depth_;
  EndCall();
  return Finish();
}

void ScriptHost::Fire(const std::string& event, const ScriptValue* value) {
  const bool gmcp = event.starts_with("gmcp.");
  auto body = [&] {
    lua_rawgetp(L_, LUA_REGISTRYINDEX, &kFunctionsKey);
    const int fns = lua_gettop(L_);
    int valueIndex = 0;
    if (value) {
      ScriptApi::PushValue(L_, *value);
      valueIndex = lua_gettop(L_);
    }
    for (size_t h = 0, n = handlers_.size(); h < n; ++h) {
      Item& item = *handlers_[h];
      if (item.dead || !item.enabled) continue;
      if (gmcp ? !SameNameIgnoringCase(item.event, event) : item.event != event) continue;
      lua_rawgeti(L_, fns, item.id);
      if (valueIndex) {
        lua_pushvalue(L_, valueIndex);
        lua_pushlstring(L_, event.data() + 5, event.size() - 5);
      }
      Call(valueIndex ? 2 : 0, item.where);
    }
  };
  Protect(body);
}

ScriptHost::Errors ScriptHost::Connected() {
  if (!L_ || depth_ > 0) return {};
  Fire("connect", nullptr);
  return Finish();
}

ScriptHost::Errors ScriptHost::Disconnected() {
  if (!L_ || depth_ > 0) return {};
  Fire("disconnect", nullptr);
  return Finish();
}

ScriptHost::Errors ScriptHost::GmcpReceived(std::string_view message, const ScriptValue& node,
                                            const ScriptValue& value) {
  if (!L_ || depth_ > 0) return {};
  auto body = [&] {
    lua_getglobal(L_, "gmcp");
    if (!lua_istable(L_, -1)) {
      lua_pop(L_, 1);
      lua_newtable(L_);
      lua_pushvalue(L_, -1);
      lua_setglobal(L_, "gmcp");
    }
    // Walk the parts; each matches an existing key without regard to case.
    size_t start = 0;
    for (;;) {
      const size_t dot = message.find('.', start);
      const std::string_view part = message.substr(start, dot == std::string_view::npos ? dot : dot - start);
      const bool last = dot == std::string_view::npos;
      bool found = false;
      lua_pushnil(L_);
      while (lua_next(L_, -2)) {
        size_t n = 0;
        const char* key = lua_type(L_, -2) == LUA_TSTRING ? lua_tolstring(L_, -2, &n) : nullptr;
        if (key && SameNameIgnoringCase({key, n}, part)) {
          lua_pop(L_, 1);  // the key stays: the name as first spelled
          found = true;
          break;
        }
        lua_pop(L_, 1);
      }
      if (!found) lua_pushlstring(L_, part.data(), part.size());
      if (last) {
        ScriptApi::PushValue(L_, node);
        lua_rawset(L_, -3);
        break;
      }
      lua_pushvalue(L_, -1);
      lua_rawget(L_, -3);
      if (!lua_istable(L_, -1)) {
        lua_pop(L_, 1);
        lua_newtable(L_);
        lua_pushvalue(L_, -2);
        lua_pushvalue(L_, -2);
        lua_rawset(L_, -5);
      }
      lua_remove(L_, -2);  // the key
      lua_remove(L_, -2);  // the parent
      start = dot + 1;
    }
  };
  Protect(body);
  Fire("gmcp." + std::string(message), &value);
  return Finish();
}

void ScriptHost::ClearGmcp() {
  if (!L_ || depth_ > 0) return;
  auto body = [&] {
    lua_newtable(L_);
    lua_setglobal(L_, "gmcp");
  };
  Protect(body);
  errors_.clear();
}

}  // namespace ombrel
