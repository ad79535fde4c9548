// What a script may reach: the safe libraries, and our own versions of the
// few base functions that could reach files, load bytecode, or catch the
// errors that stop a runaway script.
#include <algorithm>
#include <cstring>
#include <filesystem>

#include "script/script_internal.h"
#include "util/text_file.h"

namespace ombrel {

namespace {

bool IsModulePart(std::string_view part) {
  return !part.empty() && std::all_of(part.begin(), part.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
  });
}

// Only what every C library knows: others (%Q, %E with a wrong letter) make
// some libraries abort.
bool ValidDateFormat(std::string_view f, char& bad) {
  size_t i = f.starts_with('!') ? 1 : 0;
  if (f.substr(i, 2) == "*t") return true;
  for (; i < f.size(); ++i) {
    if (f[i] != '%') continue;
    if (++i == f.size()) {
      bad = '\0';
      return false;
    }
    std::string_view allowed = "aAbBcCdDeFgGhHIjmMnprRStTuUVwWxXyYzZ%";
    if (f[i] == 'E' || f[i] == 'O') {
      allowed = f[i] == 'E' ? "cCxXyY" : "deHImMSuUVwWy";
      if (++i == f.size()) {
        bad = '\0';
        return false;
      }
    }
    if (allowed.find(f[i]) == std::string_view::npos) {
      bad = f[i];
      return false;
    }
  }
  return true;
}

}  // namespace

int ScriptApi::Setup(lua_State* L) {
  OpenSandbox(L);
  RegisterFunctions(L);
  lua_newtable(L);
  lua_rawsetp(L, LUA_REGISTRYINDEX, &kModulesKey);
  // The way into a script's function for the host's calls, made here once
  // (protected) with the functions as its upvalue.
  lua_newtable(L);
  lua_pushvalue(L, -1);
  lua_rawsetp(L, LUA_REGISTRYINDEX, &kFunctionsKey);
  lua_pushcclosure(L, &CallItem, 1);
  return 1;
}

int ScriptApi::CallItem(lua_State* L) {
  const auto& call = *static_cast<const ScriptHost::ItemCall*>(lua_touserdata(L, 1));
  lua_rawgeti(L, lua_upvalueindex(1), call.id);
  if (!call.text) {
    lua_call(L, 0, 0);
    return 0;
  }
  const std::string_view text = *call.text;
  lua_pushlstring(L, text.data(), text.size());
  const size_t groups = call.groups ? call.groups->size() : 1;
  luaL_checkstack(L, static_cast<int>(groups) + 2, "too many captures");
  for (size_t g = 1; g < groups; ++g) {
    const ScriptRegex::Span span = (*call.groups)[g];
    if (span.offset == std::string_view::npos) {
      lua_pushnil(L);
    } else {
      lua_pushlstring(L, text.data() + span.offset, span.length);
    }
  }
  lua_call(L, static_cast<int>(groups), 0);
  return 0;
}

void ScriptApi::OpenSandbox(lua_State* L) {
  const luaL_Reg safe[] = {{LUA_GNAME, luaopen_base},
                           {LUA_STRLIBNAME, luaopen_string},
                           {LUA_TABLIBNAME, luaopen_table},
                           {LUA_MATHLIBNAME, luaopen_math},
                           {LUA_UTF8LIBNAME, luaopen_utf8}};
  for (const luaL_Reg& lib : safe) {
    luaL_requiref(L, lib.name, lib.func, 1);
    lua_pop(L, 1);
  }
  OpenBoundedPatterns(L);
  // Of os, only the clock and the calendar; the whole library stays out of
  // reach, also from the loaded table a script cannot see anyway.
  luaL_requiref(L, LUA_OSLIBNAME, luaopen_os, 0);
  lua_createtable(L, 0, 3);
  lua_getfield(L, -2, "time");
  lua_setfield(L, -2, "time");
  lua_getfield(L, -2, "clock");
  lua_setfield(L, -2, "clock");
  lua_getfield(L, -2, "date");
  lua_pushcclosure(L, &ScriptApi::OsDate, 1);
  lua_setfield(L, -2, "date");
  lua_setglobal(L, LUA_OSLIBNAME);
  lua_pop(L, 1);
  luaL_getsubtable(L, LUA_REGISTRYINDEX, LUA_LOADED_TABLE);
  lua_pushnil(L);
  lua_setfield(L, -2, LUA_OSLIBNAME);
  lua_pop(L, 1);

  // Bytecode is never loaded, so there is no need to make it either.
  lua_getglobal(L, LUA_STRLIBNAME);
  lua_pushnil(L);
  lua_setfield(L, -2, "dump");
  lua_pop(L, 1);

  lua_pushglobaltable(L);
  for (const char* name : {"dofile", "loadfile", "warn"}) {
    lua_pushnil(L);
    lua_setfield(L, -2, name);
  }
  lua_getfield(L, -1, "load");
  lua_pushcclosure(L, &ScriptApi::Load, 1);
  lua_setfield(L, -2, "load");
  lua_getfield(L, -1, "setmetatable");
  lua_pushcclosure(L, &ScriptApi::SetMetatable, 1);
  lua_setfield(L, -2, "setmetatable");
  const luaL_Reg own[] = {{"pcall", &ScriptApi::Pcall},
                          {"xpcall", &ScriptApi::Xpcall},
                          {"collectgarbage", &ScriptApi::CollectGarbage},
                          {"require", &ScriptApi::Require},
                          {nullptr, nullptr}};
  luaL_setfuncs(L, own, 0);
  lua_pop(L, 1);
}

// A script must not catch the error that stops it for running too long or
// holding too much: it goes on up to the client.
int ScriptApi::Pcall(lua_State* L) {
  luaL_checkany(L, 1);
  const int status = lua_pcall(L, lua_gettop(L) - 1, LUA_MULTRET, 0);
  if (status == LUA_OK) {
    lua_pushboolean(L, 1);
    lua_insert(L, 1);
    return lua_gettop(L);
  }
  if (status == LUA_ERRMEM || Host(L).timedOut_) return lua_error(L);
  lua_pushboolean(L, 0);
  lua_insert(L, -2);
  return 2;
}

// An error raised by the budget's hook is handled with hooks off: a
// script's own message handler must not run then, or a loop in it would
// never end.
int ScriptApi::GuardedHandler(lua_State* L) {
  if (Host(L).timedOut_) return 1;
  lua_pushvalue(L, lua_upvalueindex(1));
  lua_insert(L, 1);
  lua_call(L, lua_gettop(L) - 1, 1);
  return 1;
}

int ScriptApi::Xpcall(lua_State* L) {
  const int n = lua_gettop(L);
  luaL_checktype(L, 2, LUA_TFUNCTION);
  lua_pushvalue(L, 2);
  lua_pushcclosure(L, &ScriptApi::GuardedHandler, 1);
  lua_replace(L, 2);
  lua_pushvalue(L, 1);  // f, handler, args..., f
  lua_copy(L, 2, 1);    // handler, handler, args..., f
  lua_replace(L, 2);    // handler, f, args...
  const int status = lua_pcall(L, n - 2, LUA_MULTRET, 1);
  if (status == LUA_OK) {
    lua_pushboolean(L, 1);
    lua_replace(L, 1);
    return lua_gettop(L);
  }
  if (status == LUA_ERRMEM || Host(L).timedOut_) return lua_error(L);
  lua_pushboolean(L, 0);
  lua_insert(L, -2);
  return 2;
}

// No stopping the collector nor changing its pace: a script could then hold
// garbage until the memory bound, and only its own collections are left.
int ScriptApi::CollectGarbage(lua_State* L) {
  static const char* const options[] = {"collect", "step", "count", "isrunning", nullptr};
  switch (luaL_checkoption(L, 1, "collect", options)) {
    case 0: lua_gc(L, LUA_GCCOLLECT); lua_pushinteger(L, 0); return 1;
    case 1: lua_pushboolean(L, lua_gc(L, LUA_GCSTEP, static_cast<int>(luaL_optinteger(L, 2, 0)))); return 1;
    case 2: lua_pushnumber(L, lua_gc(L, LUA_GCCOUNT) + lua_gc(L, LUA_GCCOUNTB) / 1024.0); return 1;
    default: lua_pushboolean(L, lua_gc(L, LUA_GCISRUNNING)); return 1;
  }
}

// load of text only: bytecode can break the interpreter's own checks.
int ScriptApi::Load(lua_State* L) {
  if (!lua_isnoneornil(L, 3) && !std::strchr(luaL_checkstring(L, 3), 't'))
    ScriptApi::Fail(L, "load: only text chunks can be loaded");
  if (lua_gettop(L) < 3) lua_settop(L, 3);
  lua_pushliteral(L, "t");
  lua_replace(L, 3);
  lua_pushvalue(L, lua_upvalueindex(1));
  lua_insert(L, 1);
  lua_call(L, lua_gettop(L) - 1, LUA_MULTRET);
  return lua_gettop(L);
}

// Lua runs finalizers with hooks off, from whatever allocation starts a
// collection: a loop in one would freeze the window beyond any budget. A
// field added to the metatable later never makes a finalizer.
int ScriptApi::SetMetatable(lua_State* L) {
  if (lua_type(L, 2) == LUA_TTABLE) {
    lua_pushliteral(L, "__gc");
    const bool finalizer = lua_rawget(L, 2) != LUA_TNIL;
    lua_pop(L, 1);
    if (finalizer) ScriptApi::Fail(L, "setmetatable: scripts cannot have finalizers (__gc)");
  }
  lua_pushvalue(L, lua_upvalueindex(1));
  lua_insert(L, 1);
  lua_call(L, lua_gettop(L) - 1, 1);
  return 1;
}

// require("lib.util") runs <scripts>/lib/util.lua once and keeps what it
// returned. Names are letters, digits, '_' and '-' between dots, so no path
// can be spelled; a symbolic link that leads out of the folder is refused.
int ScriptApi::Require(lua_State* L) {
  size_t len = 0;
  const char* name = luaL_checklstring(L, 1, &len);
  const std::string_view view(name, len);
  bool valid = true;
  std::string relative;
  for (size_t start = 0;;) {
    const size_t dot = view.find('.', start);
    const std::string_view part = view.substr(start, dot == std::string_view::npos ? dot : dot - start);
    valid = valid && IsModulePart(part);
    relative.append(part);
    if (dot == std::string_view::npos) break;
    relative += '/';
    start = dot + 1;
  }
  if (!valid) ScriptApi::Fail(L, "require: \"%s\" names no module of the scripts folder (names are like \"lib.util\")", name);
  relative += ".lua";

  lua_rawgetp(L, LUA_REGISTRYINDEX, &kModulesKey);
  const int modules = lua_gettop(L);
  if (lua_getfield(L, modules, name) != LUA_TNIL) {
    if (lua_islightuserdata(L, -1)) ScriptApi::Fail(L, "require: \"%s\" requires itself while it loads", name);
    return 1;
  }
  lua_pop(L, 1);

  namespace fs = std::filesystem;
  std::error_code ec;
  const ScriptHost& host = Host(L);
  const fs::path root = host.dir_.empty() ? fs::path() : fs::canonical(host.dir_, ec);
  if (root.empty() || ec) ScriptApi::Fail(L, "require: there is no scripts folder");
  const fs::path file = fs::canonical(root / relative, ec);
  if (ec) ScriptApi::Fail(L, "require: there is no %s in the scripts folder", relative.c_str());
  const auto [rootEnd, fileAt] = std::mismatch(root.begin(), root.end(), file.begin(), file.end());
  if (rootEnd != root.end() || !fs::is_regular_file(file, ec))
    ScriptApi::Fail(L, "require: %s leads out of the scripts folder", relative.c_str());
  std::string source;
  const ReadResult read = ReadFileBytes(file.string(), source);
  if (!read.ok) ScriptApi::Fail(L, "require: %s", read.error.c_str());
  const std::string chunk = "=" + relative;
  if (luaL_loadbufferx(L, source.data(), source.size(), chunk.c_str(), "t") != LUA_OK) return lua_error(L);

  lua_pushlightuserdata(L, const_cast<char*>(&kModulesKey));  // loading
  lua_setfield(L, modules, name);
  lua_pushvalue(L, 1);
  if (lua_pcall(L, 1, 1, 0) != LUA_OK) {
    lua_pushnil(L);
    lua_setfield(L, modules, name);
    return lua_error(L);
  }
  if (lua_isnil(L, -1)) {
    lua_pop(L, 1);
    lua_pushboolean(L, 1);
  }
  lua_pushvalue(L, -1);
  lua_setfield(L, modules, name);
  return 1;
}

int ScriptApi::OsDate(lua_State* L) {
  size_t len = 0;
  const char* format = luaL_optlstring(L, 1, "%c", &len);
  char bad = 0;
  if (!ValidDateFormat({format, len}, bad)) {
    if (bad) ScriptApi::Fail(L, "os.date: \"%%%c\" is no conversion this clock knows", bad);
    ScriptApi::Fail(L, "os.date: the format ends inside a conversion");
  }
  lua_pushvalue(L, lua_upvalueindex(1));
  lua_insert(L, 1);
  lua_call(L, lua_gettop(L) - 1, 1);
  return 1;
}

}  // namespace ombrel
