// Saving `vars`: the table read as plain data, refusing what has no data
// form, and written only when it changed and never over a file that could
// not be read.
#include <algorithm>

#include "script/script_internal.h"
#include "util/atomic_file.h"

namespace ombrel {

namespace {

std::string KeyPath(lua_State* L, const std::string& path, int key) {
  switch (lua_type(L, key)) {
    case LUA_TSTRING: return path + "." + lua_tostring(L, key);
    case LUA_TBOOLEAN: return path + (lua_toboolean(L, key) ? "[true]" : "[false]");
    case LUA_TNUMBER: {
      lua_pushvalue(L, key);  // lua_tostring on the key itself would break lua_next
      std::string text = path + "[" + lua_tostring(L, -1) + "]";
      lua_pop(L, 1);
      return text;
    }
    default: return path + "[?]";
  }
}

}  // namespace

bool ScriptApi::ReadValue(lua_State* L, int index, ScriptValue& out, const std::string& path, std::string& error,
                          std::vector<const void*>& tables) {
  index = lua_absindex(L, index);
  switch (lua_type(L, index)) {
    case LUA_TBOOLEAN: out = ScriptValue::Bool(lua_toboolean(L, index)); return true;
    case LUA_TNUMBER:
      out = lua_isinteger(L, index) ? ScriptValue::Int(lua_tointeger(L, index)) : ScriptValue::Num(lua_tonumber(L, index));
      return true;
    case LUA_TSTRING: {
      size_t n = 0;
      const char* s = lua_tolstring(L, index, &n);
      out = ScriptValue::Str({s, n});
      return true;
    }
    case LUA_TTABLE: break;
    default: error = path + ": a " + luaL_typename(L, index) + " cannot be saved"; return false;
  }
  const void* self = lua_topointer(L, index);
  if (std::find(tables.begin(), tables.end(), self) != tables.end()) {
    error = path + ": a table that holds itself cannot be saved";
    return false;
  }
  if (tables.size() >= 100) {
    error = path + ": tables nested deeper than 100 cannot be saved";
    return false;
  }
  tables.push_back(self);
  luaL_checkstack(L, 4, "vars");
  out = ScriptValue::Table();
  lua_pushnil(L);
  while (lua_next(L, index)) {
    const int type = lua_type(L, -2);
    const std::string at = KeyPath(L, path, lua_gettop(L) - 1);
    if (type != LUA_TSTRING && type != LUA_TNUMBER && type != LUA_TBOOLEAN) {
      error = at + ": a key of type " + luaL_typename(L, -2) + " cannot be saved";
      lua_pop(L, 2);
      return false;
    }
    ScriptValue key, value;
    if (!ReadValue(L, -2, key, at, error, tables) || !ReadValue(L, -1, value, at, error, tables)) {
      lua_pop(L, 2);
      return false;
    }
    out.Set(std::move(key), std::move(value));
    lua_pop(L, 1);
  }
  tables.pop_back();
  return true;
}

std::string ScriptHost::SaveVars() {
  if (!L_ || depth_ > 0) return {};
  if (dir_.empty()) return "vars: there is no scripts folder to save them in";
  const std::string name = base_ + ".vars";
  if (varsKept_) return name + " could not be read when the script was loaded: it is kept as it was, vars not saved";
  ScriptValue vars;
  std::string error;
  auto body = [&] {
    std::vector<const void*> tables;
    lua_getglobal(L_, "vars");
    if (!lua_istable(L_, -1)) {
      error = "vars: a table is needed, not a " + std::string(luaL_typename(L_, -1)) + "; nothing saved";
    } else if (!ScriptApi::ReadValue(L_, -1, vars, "vars", error, tables)) {
      error += "; nothing saved";
    }
  };
  if (!Protect(body)) {
    Errors errors = Finish();
    return errors.empty() ? "vars: not saved" : errors.front();
  }
  Finish();
  if (!error.empty()) return error;
  const std::string text = FormatVars(vars);
  if (text == savedVars_) return {};
  const WriteResult written = WriteFileAtomically(dir_ + "/" + name, text);
  if (!written.ok) return written.error;
  savedVars_ = text;
  return {};
}

}  // namespace ombrel
