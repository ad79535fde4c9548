// What the parts of the script host share: its records of what scripts
// made, and the functions scripts call.
#pragma once

#include <lua.hpp>

#include "script/script_host.h"

namespace ombrel {

struct ScriptHost::Item {
  enum class Kind { trigger, alias, timer, handler };
  Kind kind = Kind::trigger;
  int id = 0;
  bool enabled = true;
  bool dead = false;
  bool hasFunction = true;  // a trigger may only gag or highlight
  std::string where;        // file:line where it was made, for errors Lua cannot place
  std::string group;
  // trigger, alias
  std::unique_ptr<ScriptRegex> regex;
  bool gag = false, once = false, highlight = false;
  uint32_t rgb = 0;
  // handler: "connect", "disconnect", "line" or "gmcp.<message>"
  std::string event;
  // timer
  std::chrono::milliseconds interval{0};
  bool repeating = false;
  std::chrono::steady_clock::time_point due;
};

// The host's stack between calls: the message handler every call from the
// client uses, and ScriptApi::CallItem.
constexpr int kHandlerSlot = 1;
constexpr int kCallItemSlot = 2;

// Registry keys: their addresses are unique.
inline const char kFunctionsKey = 0;  // item id -> its function
inline const char kModulesKey = 0;    // module name -> what require gave

struct ScriptApi {
  static ScriptHost& Host(lua_State* L) { return **static_cast<ScriptHost**>(lua_getextraspace(L)); }
  // Builds the sandbox and the functions; runs protected in a fresh state
  // and returns CallItem as a closure over the items' functions.
  static int Setup(lua_State* L);
  // Calls an item's function with what the ScriptHost::ItemCall (light
  // userdata, argument 1) gives; the pushing is protected with the call.
  static int CallItem(lua_State* L);
  // The message handler of every call: places the error at file:line.
  static int MessageHandler(lua_State* L);
  static std::string Where(lua_State* L, int firstLevel);
  // As luaL_error, placed at the script's line that called the function
  // raising it, even when the script catches it with pcall.
  [[noreturn]] static void Fail(lua_State* L, const char* format, ...);
  static void RegisterFunctions(lua_State* L);
  static void OpenSandbox(lua_State* L);
  // string.find, match, gmatch and gsub over a matcher that keeps to the
  // call's budget (script_strings.cpp).
  static void OpenBoundedPatterns(lua_State* L);
  // Past the call's budget: the same error as the count hook's.
  static void CheckBudget(lua_State* L);

  // The functions scripts call.
  static int AddItem(lua_State* L, std::unique_ptr<ScriptHost::Item> item, int fnIndex);
  static std::unique_ptr<ScriptRegex> CompileArg(lua_State* L, int arg, const char* fname);
  static void Queue(lua_State* L, ScriptAction::Kind kind);
  static int Send(lua_State* L);
  static int SendRaw(lua_State* L);
  static int Echo(lua_State* L);
  static int Sound(lua_State* L);
  static int Print(lua_State* L);
  static int Trigger(lua_State* L);
  static int Alias(lua_State* L);
  static int Timer(lua_State* L);
  static int On(lua_State* L);
  static int Gag(lua_State* L);
  static int Switch(lua_State* L, bool on);
  static int Enable(lua_State* L);
  static int Disable(lua_State* L);
  static int Kill(lua_State* L);
  static void AppendJson(lua_State* L, int index, std::string& out, int depth);
  static int SendGmcp(lua_State* L);

  // The sandbox's own versions of base and os functions.
  static int Pcall(lua_State* L);
  static int Xpcall(lua_State* L);
  static int GuardedHandler(lua_State* L);
  static int CollectGarbage(lua_State* L);
  static int Load(lua_State* L);
  static int SetMetatable(lua_State* L);
  static int Require(lua_State* L);
  static int OsDate(lua_State* L);
  static void PushValue(lua_State* L, const ScriptValue& value, int depth = 0);
  // The value at `index` as plain data; false with the reason in `error`.
  // `tables` holds the tables being read, outermost first.
  static bool ReadValue(lua_State* L, int index, ScriptValue& out, const std::string& path, std::string& error,
                        std::vector<const void*>& tables);
};

// Runs `body` as a protected C function: whatever it does to the state,
// an error (memory included) ends it and is reported, never a crash.
template <class Body>
bool ScriptHost::Protect(Body& body) {
  if (depth_++ == 0) BeginCall();
  lua_pushcfunction(L_, &ScriptApi::MessageHandler);
  lua_pushcfunction(L_, [](lua_State* L) -> int {
    (*static_cast<Body*>(lua_touserdata(L, 1)))();
    return 0;
  });
  lua_pushlightuserdata(L_, &body);
  const int base = lua_gettop(L_) - 2;
  const int status = lua_pcall(L_, 1, 0, base);
  if (status != LUA_OK) errors_.push_back(Describe(status, base_.empty() ? "scripts" : base_ + ".lua"));
  lua_settop(L_, base - 1);
  if (--depth_ == 0) EndCall();
  return status == LUA_OK;
}

}  // namespace ombrel
