// The functions scripts call: send, echo, triggers, aliases, timers,
// handlers, and the switches over them. Each one checks its arguments and
// raises a Lua error the host reports with the script's file and line.
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "script/script_internal.h"
#include "util/utf8.h"

namespace ombrel {

using Item = ScriptHost::Item;

namespace {


// The file and line of the nearest Lua function from `level` outwards.
std::string WhereFrom(lua_State* L, int level) {
  lua_Debug ar;
  for (; lua_getstack(L, level, &ar); ++level) {
    lua_getinfo(L, "Sl", &ar);
    if (ar.currentline > 0) return std::string(ar.short_src) + ":" + std::to_string(ar.currentline);
  }
  return {};
}

// "name.lua:12: ..." already says where.
bool HasPlace(std::string_view msg) {
  const size_t colon = msg.find(':');
  if (colon == 0 || colon == std::string_view::npos || msg.substr(0, colon).find_first_of(" \t\n") != std::string_view::npos)
    return false;
  size_t i = colon + 1;
  while (i < msg.size() && msg[i] >= '0' && msg[i] <= '9') ++i;
  return i > colon + 1 && i < msg.size() && msg[i] == ':';
}

}  // namespace

int ScriptApi::AddItem(lua_State* L, std::unique_ptr<Item> item, int fnIndex) {
  ScriptHost& host = ScriptApi::Host(L);
  const int id = host.nextId_++;
  item->id = id;
  item->where = WhereFrom(L, 1);
  if (item->hasFunction) {
    lua_rawgetp(L, LUA_REGISTRYINDEX, &kFunctionsKey);
    lua_pushvalue(L, fnIndex);
    lua_rawseti(L, -2, id);
    lua_pop(L, 1);
  }
  Item& ref = *item;
  host.items_[id] = std::move(item);
  host.filterStale_ = true;
  switch (ref.kind) {
    case Item::Kind::trigger: host.triggers_.push_back(&ref); break;
    case Item::Kind::alias: host.aliases_.push_back(&ref); break;
    case Item::Kind::handler:
      host.handlers_.push_back(&ref);
      if (ref.event == "line") ++host.lineHandlers_;
      break;
    case Item::Kind::timer: host.ScheduleTimer(ref, true); break;
  }
  lua_pushinteger(L, id);
  return 1;
}

std::unique_ptr<ScriptRegex> ScriptApi::CompileArg(lua_State* L, int arg, const char* fname) {
  size_t n = 0;
  const char* pattern = luaL_checklstring(L, arg, &n);
  std::string error;
  auto regex = ScriptRegex::Compile({pattern, n}, ScriptApi::Host(L).utf8_, error);
  if (!regex) ScriptApi::Fail(L, "%s: bad pattern \"%s\": %s", fname, pattern, error.c_str());
  return regex;
}

void ScriptApi::Queue(lua_State* L, ScriptAction::Kind kind) {
  size_t n = 0;
  const char* s = luaL_checklstring(L, 1, &n);
  ScriptApi::Host(L).pending_.push_back({kind, std::string(s, n), {}});
}

int ScriptApi::Send(lua_State* L) {
  Queue(L, ScriptAction::Kind::send);
  return 0;
}
int ScriptApi::SendRaw(lua_State* L) {
  Queue(L, ScriptAction::Kind::sendRaw);
  return 0;
}
int ScriptApi::Echo(lua_State* L) {
  Queue(L, ScriptAction::Kind::echo);
  return 0;
}
int ScriptApi::Sound(lua_State* L) {
  Queue(L, ScriptAction::Kind::sound);
  return 0;
}

// print(...) as the standalone interpreter prints, into the terminal.
int ScriptApi::Print(lua_State* L) {
  std::string line;
  for (int i = 1, n = lua_gettop(L); i <= n; ++i) {
    size_t len = 0;
    const char* s = luaL_tolstring(L, i, &len);
    if (i > 1) line += '\t';
    line.append(s, len);
    lua_pop(L, 1);
  }
  ScriptApi::Host(L).pending_.push_back({ScriptAction::Kind::echo, std::move(line), {}});
  return 0;
}

namespace {

bool ParseColour(const char* s, size_t n, uint32_t& rgb) {
  if (n != 7 || s[0] != '#') return false;
  rgb = 0;
  for (size_t i = 1; i < 7; ++i) {
    const char c = s[i];
    const int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    if (d < 0) return false;
    rgb = rgb << 4 | static_cast<uint32_t>(d);
  }
  return true;
}

}  // namespace

int ScriptApi::Trigger(lua_State* L) {
  auto item = std::make_unique<Item>();
  item->kind = Item::Kind::trigger;
  item->regex = CompileArg(L, 1, "trigger");
  item->hasFunction = !lua_isnoneornil(L, 2);
  if (item->hasFunction) luaL_checktype(L, 2, LUA_TFUNCTION);
  if (!lua_isnoneornil(L, 3)) {
    luaL_checktype(L, 3, LUA_TTABLE);
    lua_pushnil(L);
    while (lua_next(L, 3)) {
      const char* key = lua_type(L, -2) == LUA_TSTRING ? lua_tostring(L, -2) : "";
      const std::string_view k = key;
      if (k == "gag") {
        item->gag = lua_toboolean(L, -1);
      } else if (k == "once") {
        item->once = lua_toboolean(L, -1);
      } else if (k == "group") {
        if (lua_type(L, -1) != LUA_TSTRING) ScriptApi::Fail(L, "trigger: group must be a string");
        item->group = lua_tostring(L, -1);
      } else if (k == "highlight") {
        size_t n = 0;
        const char* s = lua_type(L, -1) == LUA_TSTRING ? lua_tolstring(L, -1, &n) : "";
        if (!ParseColour(s, n, item->rgb)) ScriptApi::Fail(L, "trigger: highlight must be a colour \"#rrggbb\"");
        item->highlight = true;
      } else {
        ScriptApi::Fail(L, "trigger: unknown option \"%s\" (gag, highlight, once, group)", key);
      }
      lua_pop(L, 1);
    }
  }
  if (!item->hasFunction && !item->gag && !item->highlight)
    ScriptApi::Fail(L, "trigger: a function is needed, unless the trigger gags or highlights");
  return AddItem(L, std::move(item), 2);
}

int ScriptApi::Alias(lua_State* L) {
  auto item = std::make_unique<Item>();
  item->kind = Item::Kind::alias;
  item->regex = CompileArg(L, 1, "alias");
  luaL_checktype(L, 2, LUA_TFUNCTION);
  return AddItem(L, std::move(item), 2);
}

int ScriptApi::Timer(lua_State* L) {
  const double seconds = luaL_checknumber(L, 1);
  luaL_checktype(L, 2, LUA_TFUNCTION);
  // The event loop counts in 32-bit milliseconds.
  if (!(seconds >= 0 && seconds <= 2'000'000)) ScriptApi::Fail(L, "timer: seconds must be from 0 to 2000000");
  auto item = std::make_unique<Item>();
  item->kind = Item::Kind::timer;
  item->repeating = lua_toboolean(L, 3);
  item->interval = std::chrono::milliseconds(std::llround(seconds * 1000));
  // A repeating timer of no time would leave the window nothing else to do.
  if (item->repeating && item->interval < std::chrono::milliseconds(10)) item->interval = std::chrono::milliseconds(10);
  return AddItem(L, std::move(item), 2);
}

int ScriptApi::On(lua_State* L) {
  size_t n = 0;
  const char* event = luaL_checklstring(L, 1, &n);
  luaL_checktype(L, 2, LUA_TFUNCTION);
  const std::string_view e(event, n);
  if (e != "connect" && e != "disconnect" && e != "line" && !(e.starts_with("gmcp.") && e.size() > 5))
    ScriptApi::Fail(L, "on: unknown event \"%s\" (connect, disconnect, line, gmcp.<Package.Message>)", event);
  auto item = std::make_unique<Item>();
  item->kind = Item::Kind::handler;
  item->event = e;
  return AddItem(L, std::move(item), 2);
}

int ScriptApi::Gag(lua_State* L) {
  ScriptHost& host = ScriptApi::Host(L);
  if (!host.line_) ScriptApi::Fail(L, "gag: there is no line to gag here (only in a trigger or a \"line\" handler)");
  host.line_->gag = true;
  return 0;
}

// enable(id or group), disable(id or group): how many were switched.
int ScriptApi::Switch(lua_State* L, bool on) {
  ScriptHost& host = ScriptApi::Host(L);
  const bool byId = lua_type(L, 1) == LUA_TNUMBER;
  const lua_Integer id = byId ? luaL_checkinteger(L, 1) : 0;
  const char* group = byId ? nullptr : luaL_checkstring(L, 1);
  int count = 0;
  for (auto& [itemId, item] : host.items_) {
    if (item->dead || (byId ? itemId != id : item->group != group)) continue;
    ++count;
    if (item->enabled == on) continue;
    item->enabled = on;
    host.filterStale_ = true;
    if (item->kind == Item::Kind::timer) {
      if (on) {
        host.ScheduleTimer(*item, true);
      } else {
        host.terminal_.StopTimer(itemId);
      }
    }
  }
  if (!byId) count += host.terminal_.SwitchTriggerGroup(group, on);
  lua_pushinteger(L, count);
  return 1;
}
int ScriptApi::Enable(lua_State* L) { return Switch(L, true); }
int ScriptApi::Disable(lua_State* L) { return Switch(L, false); }

int ScriptApi::Kill(lua_State* L) {
  ScriptHost& host = ScriptApi::Host(L);
  auto it = host.items_.find(luaL_checkinteger(L, 1));
  const bool found = it != host.items_.end() && !it->second->dead;
  if (found) host.KillItem(*it->second);
  lua_pushboolean(L, found);
  return 1;
}

namespace {

void AppendJsonString(std::string& out, const char* s, size_t n) {
  out += '"';
  for (size_t i = 0; i < n;) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      if (c == '"' || c == '\\') {
        out += '\\';
        out += static_cast<char>(c);
      } else if (c < 0x20 || c == 0x7f) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "\\u%04x", c);
        out += buf;
      } else {
        out += static_cast<char>(c);
      }
      ++i;
      continue;
    }
    char32_t cp = 0;
    const size_t len = utf8::Decode(s, n, i, cp);
    if (cp == utf8::kReplacement && len == 1) {
      // Not UTF-8: the byte is read as Latin-1.
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out.append(s + i, len);
    }
    i += len;
  }
  out += '"';
}

}  // namespace

// The value at `index` as JSON; raises a Lua error for what JSON cannot say.
void ScriptApi::AppendJson(lua_State* L, int index, std::string& out, int depth) {
  index = lua_absindex(L, index);
  switch (lua_type(L, index)) {
    case LUA_TNIL: out += "null"; return;
    case LUA_TBOOLEAN: out += lua_toboolean(L, index) ? "true" : "false"; return;
    case LUA_TNUMBER: {
      if (lua_isinteger(L, index)) {
        out += std::to_string(lua_tointeger(L, index));
        return;
      }
      const double d = lua_tonumber(L, index);
      if (!std::isfinite(d)) ScriptApi::Fail(L, "sendGMCP: JSON has no infinite numbers nor NaN");
      char buf[40];
      std::snprintf(buf, sizeof buf, "%.17g", d);
      out += buf;
      return;
    }
    case LUA_TSTRING: {
      size_t n = 0;
      const char* s = lua_tolstring(L, index, &n);
      AppendJsonString(out, s, n);
      return;
    }
    case LUA_TTABLE: break;
    default: ScriptApi::Fail(L, "sendGMCP: a %s has no JSON form", luaL_typename(L, index));
  }
  if (depth >= 64) ScriptApi::Fail(L, "sendGMCP: tables nest deeper than 64 (or hold themselves)");
  luaL_checkstack(L, 4, "sendGMCP");
  const lua_Unsigned n = lua_rawlen(L, index);
  lua_Unsigned keys = 0;
  lua_pushnil(L);
  while (lua_next(L, index)) {
    ++keys;
    lua_pop(L, 1);
  }
  if (n > 0 && keys == n) {
    out += '[';
    for (lua_Unsigned i = 1; i <= n; ++i) {
      if (i > 1) out += ',';
      lua_rawgeti(L, index, static_cast<lua_Integer>(i));
      AppendJson(L, -1, out, depth + 1);
      lua_pop(L, 1);
    }
    out += ']';
    return;
  }
  out += '{';
  bool first = true;
  lua_pushnil(L);
  while (lua_next(L, index)) {
    if (!first) out += ',';
    first = false;
    if (lua_type(L, -2) == LUA_TSTRING) {
      AppendJson(L, -2, out, depth + 1);
    } else if (lua_type(L, -2) == LUA_TNUMBER) {
      // Its text without converting the key in place, which would break lua_next.
      lua_pushvalue(L, -2);
      size_t len = 0;
      const char* s = lua_tolstring(L, -1, &len);
      AppendJsonString(out, s, len);
      lua_pop(L, 1);
    } else {
      ScriptApi::Fail(L, "sendGMCP: a JSON object's keys are strings, not a %s", luaL_typename(L, -2));
    }
    out += ':';
    AppendJson(L, -1, out, depth + 1);
    lua_pop(L, 1);
  }
  out += '}';
}

int ScriptApi::SendGmcp(lua_State* L) {
  size_t n = 0;
  const char* name = luaL_checklstring(L, 1, &n);
  std::string json;
  if (!lua_isnoneornil(L, 2)) AppendJson(L, 2, json, 0);
  ScriptApi::Host(L).pending_.push_back({ScriptAction::Kind::gmcp, std::string(name, n), std::move(json)});
  return 0;
}

std::string ScriptApi::Where(lua_State* L, int firstLevel) { return WhereFrom(L, firstLevel); }

void ScriptApi::Fail(lua_State* L, const char* format, ...) {
  const std::string where = WhereFrom(L, 1);
  if (!where.empty()) lua_pushfstring(L, "%s: ", where.c_str());
  va_list args;
  va_start(args, format);
  lua_pushvfstring(L, format, args);
  va_end(args);
  if (!where.empty()) lua_concat(L, 2);
  lua_error(L);
  std::abort();  // lua_error never returns
}

int ScriptApi::MessageHandler(lua_State* L) {
  std::string msg;
  if (lua_type(L, 1) == LUA_TSTRING || lua_type(L, 1) == LUA_TNUMBER) {
    size_t n = 0;
    const char* s = lua_tolstring(L, 1, &n);
    msg.assign(s, n);
  } else if (luaL_callmeta(L, 1, "__tostring") && lua_type(L, -1) == LUA_TSTRING) {
    msg = lua_tostring(L, -1);
  } else {
    msg = std::string("(error object is a ") + luaL_typename(L, 1) + " value)";
  }
  if (!HasPlace(msg)) {
    const std::string where = WhereFrom(L, 1);
    if (!where.empty()) msg = where + ": " + msg;
  }
  lua_pushlstring(L, msg.data(), msg.size());
  return 1;
}

void ScriptApi::RegisterFunctions(lua_State* L) {
  static const luaL_Reg functions[] = {
      {"send", Send},       {"sendRaw", SendRaw}, {"echo", Echo},       {"sound", Sound},
      {"print", Print},     {"trigger", Trigger}, {"alias", Alias},     {"timer", Timer},
      {"on", On},           {"gag", Gag},         {"enable", Enable},   {"disable", Disable},
      {"kill", Kill},       {"sendGMCP", SendGmcp}, {nullptr, nullptr}};
  lua_pushglobaltable(L);
  luaL_setfuncs(L, functions, 0);
  lua_newtable(L);
  lua_setfield(L, -2, "gmcp");
  lua_pop(L, 1);
}

void ScriptApi::PushValue(lua_State* L, const ScriptValue& v, int depth) {
  luaL_checkstack(L, 3, "nested too deeply");
  switch (v.kind) {
    case ScriptValue::Kind::nil: lua_pushnil(L); break;
    case ScriptValue::Kind::boolean: lua_pushboolean(L, v.boolean); break;
    case ScriptValue::Kind::integer: lua_pushinteger(L, v.integer); break;
    case ScriptValue::Kind::number: lua_pushnumber(L, v.number); break;
    case ScriptValue::Kind::string: lua_pushlstring(L, v.string.data(), v.string.size()); break;
    case ScriptValue::Kind::table:
      if (depth > 200) ScriptApi::Fail(L, "data nested too deeply");
      lua_createtable(L, 0, static_cast<int>(v.keys.size()));
      for (size_t i = 0; i < v.keys.size(); ++i) {
        if (v.keys[i].kind == ScriptValue::Kind::nil || v.values[i].kind == ScriptValue::Kind::nil) continue;
        if (v.keys[i].kind == ScriptValue::Kind::number && std::isnan(v.keys[i].number)) continue;
        PushValue(L, v.keys[i], depth + 1);
        PushValue(L, v.values[i], depth + 1);
        lua_rawset(L, -3);
      }
      break;
  }
}

}  // namespace ombrel
