// Lua's string patterns for scripts: string.find, match, gmatch and gsub
// with the standard library's meaning, over a matcher that counts its steps
// and looks at the call's budget as the count hook does. The library's own
// matcher runs in one C call the hook never interrupts, where a pattern
// such as ".-.-.-.-b" on a long line would hold the window for hours.
#include <cctype>
#include <cstring>

#include "script/script_internal.h"

namespace ombrel {

namespace {

constexpr int kMaxCaptures = 32;         // as LUA_MAXCAPTURES
constexpr int kMaxDepth = 200;           // nested calls of Match, as MAXCCALLS
constexpr unsigned kStepsPerCheck = 1u << 14;
constexpr long kUnfinished = -1, kPosition = -2;
constexpr char kEsc = '%';
constexpr const char* kSpecials = "^$*+?.([%-";

// Subject and pattern are Lua strings: a NUL follows each, as the
// standard matcher also relies on when it peeks one past a class.
struct MatchState {
  lua_State* L;
  const char* srcInit;
  const char* srcEnd;
  const char* patEnd;
  int level = 0;
  int depth = kMaxDepth;
  unsigned steps = 0;
  struct {
    const char* init;
    long len;
  } capture[kMaxCaptures];
};

void Step(MatchState& ms) {
  if (++ms.steps % kStepsPerCheck == 0) ScriptApi::CheckBudget(ms.L);
}

bool MatchClass(int c, int cl) {
  bool res;
  switch (std::tolower(cl)) {
    case 'a': res = std::isalpha(c); break;
    case 'c': res = std::iscntrl(c); break;
    case 'd': res = std::isdigit(c); break;
    case 'g': res = std::isgraph(c); break;
    case 'l': res = std::islower(c); break;
    case 'p': res = std::ispunct(c); break;
    case 's': res = std::isspace(c); break;
    case 'u': res = std::isupper(c); break;
    case 'w': res = std::isalnum(c); break;
    case 'x': res = std::isxdigit(c); break;
    default: return cl == c;
  }
  return std::isupper(cl) ? !res : res;
}

// The end of the single-character class at p.
const char* ClassEnd(MatchState& ms, const char* p) {
  const char c = *p++;
  if (c == kEsc) {
    if (p == ms.patEnd) ScriptApi::Fail(ms.L, "malformed pattern (ends with '%%')");
    return p + 1;
  }
  if (c == '[') {
    if (*p == '^') p++;
    do {
      if (p == ms.patEnd) ScriptApi::Fail(ms.L, "malformed pattern (missing ']')");
      if (*(p++) == kEsc && p < ms.patEnd) p++;
    } while (*p != ']');
    return p + 1;
  }
  return p;
}

// p at '[', ec at its ']'.
bool MatchBracketClass(int c, const char* p, const char* ec) {
  bool sig = true;
  if (*(p + 1) == '^') {
    sig = false;
    p++;
  }
  while (++p < ec) {
    if (*p == kEsc) {
      p++;
      if (MatchClass(c, static_cast<unsigned char>(*p))) return sig;
    } else if (*(p + 1) == '-' && p + 2 < ec) {
      p += 2;
      if (static_cast<unsigned char>(*(p - 2)) <= c && c <= static_cast<unsigned char>(*p)) return sig;
    } else if (static_cast<unsigned char>(*p) == c) {
      return sig;
    }
  }
  return !sig;
}

bool SingleMatch(const MatchState& ms, const char* s, const char* p, const char* ep) {
  if (s >= ms.srcEnd) return false;
  const int c = static_cast<unsigned char>(*s);
  switch (*p) {
    case '.': return true;
    case kEsc: return MatchClass(c, static_cast<unsigned char>(*(p + 1)));
    case '[': return MatchBracketClass(c, p, ep - 1);
    default: return static_cast<unsigned char>(*p) == c;
  }
}

const char* Match(MatchState& ms, const char* s, const char* p);

const char* MatchBalance(MatchState& ms, const char* s, const char* p) {
  if (p >= ms.patEnd - 1) ScriptApi::Fail(ms.L, "malformed pattern (missing arguments to '%%b')");
  if (s >= ms.srcEnd || *s != *p) return nullptr;
  const char open = *p, close = *(p + 1);
  int depth = 1;
  while (++s < ms.srcEnd) {
    if (*s == close) {
      if (--depth == 0) return s + 1;
    } else if (*s == open) {
      depth++;
    }
  }
  return nullptr;
}

const char* MaxExpand(MatchState& ms, const char* s, const char* p, const char* ep) {
  ptrdiff_t i = 0;
  while (SingleMatch(ms, s + i, p, ep)) i++;
  for (; i >= 0; i--) {
    Step(ms);
    if (const char* res = Match(ms, s + i, ep + 1)) return res;
  }
  return nullptr;
}

const char* MinExpand(MatchState& ms, const char* s, const char* p, const char* ep) {
  for (;;) {
    Step(ms);
    if (const char* res = Match(ms, s, ep + 1)) return res;
    if (!SingleMatch(ms, s, p, ep)) return nullptr;
    s++;
  }
}

const char* StartCapture(MatchState& ms, const char* s, const char* p, long what) {
  if (ms.level >= kMaxCaptures) ScriptApi::Fail(ms.L, "too many captures");
  ms.capture[ms.level].init = s;
  ms.capture[ms.level].len = what;
  ms.level++;
  const char* res = Match(ms, s, p);
  if (!res) ms.level--;
  return res;
}

const char* EndCapture(MatchState& ms, const char* s, const char* p) {
  int l = ms.level - 1;
  while (l >= 0 && ms.capture[l].len != kUnfinished) l--;
  if (l < 0) ScriptApi::Fail(ms.L, "invalid pattern capture");
  ms.capture[l].len = s - ms.capture[l].init;
  const char* res = Match(ms, s, p);
  if (!res) ms.capture[l].len = kUnfinished;
  return res;
}

const char* MatchCapture(MatchState& ms, const char* s, int digit) {
  const int l = digit - '1';
  if (l < 0 || l >= ms.level || ms.capture[l].len == kUnfinished)
    ScriptApi::Fail(ms.L, "invalid capture index %%%d", l + 1);
  const size_t len = static_cast<size_t>(ms.capture[l].len);
  if (static_cast<size_t>(ms.srcEnd - s) >= len && std::memcmp(ms.capture[l].init, s, len) == 0) return s + len;
  return nullptr;
}

// %f[set]: at p the '['.
bool Frontier(MatchState& ms, const char* s, const char* p, const char* ep) {
  const int previous = s == ms.srcInit ? 0 : static_cast<unsigned char>(*(s - 1));
  const int current = s < ms.srcEnd ? static_cast<unsigned char>(*s) : 0;
  return !MatchBracketClass(previous, p, ep - 1) && MatchBracketClass(current, p, ep - 1);
}

// The standard matcher's rules, step by step; null when there is no match.
const char* Match(MatchState& ms, const char* s, const char* p) {
  if (ms.depth-- == 0) ScriptApi::Fail(ms.L, "pattern too complex");
  Step(ms);
  while (s && p != ms.patEnd) {
    if (*p == '(') {
      s = *(p + 1) == ')' ? StartCapture(ms, s, p + 2, kPosition) : StartCapture(ms, s, p + 1, kUnfinished);
      break;
    }
    if (*p == ')') {
      s = EndCapture(ms, s, p + 1);
      break;
    }
    if (*p == '$' && p + 1 == ms.patEnd) {
      s = s == ms.srcEnd ? s : nullptr;
      break;
    }
    if (*p == kEsc && *(p + 1) == 'b') {
      s = MatchBalance(ms, s, p + 2);
      if (s) p += 4;
      continue;
    }
    if (*p == kEsc && *(p + 1) == 'f') {
      p += 2;
      if (*p != '[') ScriptApi::Fail(ms.L, "missing '[' after '%%f' in pattern");
      const char* ep = ClassEnd(ms, p);
      if (Frontier(ms, s, p, ep)) {
        p = ep;
        continue;
      }
      s = nullptr;
      break;
    }
    if (*p == kEsc && std::isdigit(static_cast<unsigned char>(*(p + 1)))) {
      s = MatchCapture(ms, s, static_cast<unsigned char>(*(p + 1)));
      if (s) p += 2;
      continue;
    }
    const char* ep = ClassEnd(ms, p);
    if (!SingleMatch(ms, s, p, ep)) {
      // The item may match nothing: go on after it.
      if (*ep == '*' || *ep == '?' || *ep == '-') {
        p = ep + 1;
        continue;
      }
      s = nullptr;
      break;
    }
    if (*ep == '?') {
      if (const char* res = Match(ms, s + 1, ep + 1)) {
        s = res;
        break;
      }
      p = ep + 1;
      continue;
    }
    if (*ep == '+') {
      s = MaxExpand(ms, s + 1, p, ep);
      break;
    }
    if (*ep == '*') {
      s = MaxExpand(ms, s, p, ep);
      break;
    }
    if (*ep == '-') {
      s = MinExpand(ms, s, p, ep);
      break;
    }
    s++;
    p = ep;
  }
  ms.depth++;
  return s;
}

void Restart(MatchState& ms) {
  ms.level = 0;
  ms.depth = kMaxDepth;
}

MatchState Prepare(lua_State* L, const char* s, size_t ls, const char* p, size_t lp) {
  MatchState ms;
  ms.L = L;
  ms.srcInit = s;
  ms.srcEnd = s + ls;
  ms.patEnd = p + lp;
  return ms;
}

// Capture i (or the whole match when there is none) on the stack.
void PushCapture(MatchState& ms, int i, const char* s, const char* e) {
  if (i >= ms.level) {
    if (i != 0) ScriptApi::Fail(ms.L, "invalid capture index %%%d", i + 1);
    lua_pushlstring(ms.L, s, static_cast<size_t>(e - s));
    return;
  }
  const long len = ms.capture[i].len;
  if (len == kUnfinished) ScriptApi::Fail(ms.L, "unfinished capture");
  if (len == kPosition)
    lua_pushinteger(ms.L, ms.capture[i].init - ms.srcInit + 1);
  else
    lua_pushlstring(ms.L, ms.capture[i].init, static_cast<size_t>(len));
}

int PushCaptures(MatchState& ms, const char* s, const char* e) {
  const int n = (ms.level == 0 && s) ? 1 : ms.level;
  luaL_checkstack(ms.L, n, "too many captures");
  for (int i = 0; i < n; i++) PushCapture(ms, i, s, e);
  return n;
}

// A 1-based position, negative from the end, as the library reads `init`.
size_t StartOffset(lua_Integer pos, size_t len) {
  if (pos > 0) return static_cast<size_t>(pos) - 1;
  if (pos == 0 || pos < -static_cast<lua_Integer>(len)) return 0;
  return len + static_cast<size_t>(pos);
}

bool NoSpecials(const char* p, size_t lp) {
  for (size_t i = 0; i < lp; i++)
    if (p[i] != '\0' && std::strchr(kSpecials, p[i])) return false;
  return true;
}

int FindAux(lua_State* L, bool find) {
  size_t ls = 0, lp = 0;
  const char* s = luaL_checklstring(L, 1, &ls);
  const char* p = luaL_checklstring(L, 2, &lp);
  const size_t init = StartOffset(luaL_optinteger(L, 3, 1), ls);
  if (init > ls) {
    luaL_pushfail(L);
    return 1;
  }
  if (find && (lua_toboolean(L, 4) || NoSpecials(p, lp))) {
    const std::string_view rest(s + init, ls - init);
    const size_t at = rest.find(std::string_view(p, lp));
    if (at == std::string_view::npos) {
      luaL_pushfail(L);
      return 1;
    }
    lua_pushinteger(L, static_cast<lua_Integer>(init + at + 1));
    lua_pushinteger(L, static_cast<lua_Integer>(init + at + lp));
    return 2;
  }
  const bool anchor = *p == '^';
  if (anchor) p++, lp--;
  MatchState ms = Prepare(L, s, ls, p, lp);
  const char* s1 = s + init;
  do {
    Restart(ms);
    if (const char* e = Match(ms, s1, p)) {
      if (!find) return PushCaptures(ms, s1, e);
      lua_pushinteger(L, s1 - s + 1);
      lua_pushinteger(L, e - s);
      return PushCaptures(ms, nullptr, nullptr) + 2;
    }
  } while (s1++ < ms.srcEnd && !anchor);
  luaL_pushfail(L);
  return 1;
}

int Find(lua_State* L) { return FindAux(L, true); }
int MatchFn(lua_State* L) { return FindAux(L, false); }

struct GmatchState {
  const char* src;
  const char* pattern;
  const char* lastMatch;
  MatchState ms;
};

int GmatchNext(lua_State* L) {
  auto* gm = static_cast<GmatchState*>(lua_touserdata(L, lua_upvalueindex(3)));
  gm->ms.L = L;
  for (const char* src = gm->src; src <= gm->ms.srcEnd; src++) {
    Restart(gm->ms);
    const char* e = Match(gm->ms, src, gm->pattern);
    if (e && e != gm->lastMatch) {
      gm->src = gm->lastMatch = e;
      return PushCaptures(gm->ms, src, e);
    }
  }
  return 0;
}

int Gmatch(lua_State* L) {
  size_t ls = 0, lp = 0;
  const char* s = luaL_checklstring(L, 1, &ls);
  const char* p = luaL_checklstring(L, 2, &lp);
  size_t init = StartOffset(luaL_optinteger(L, 3, 1), ls);
  if (init > ls) init = ls + 1;
  lua_settop(L, 2);  // the strings stay alive as upvalues
  auto* gm = static_cast<GmatchState*>(lua_newuserdatauv(L, sizeof(GmatchState), 0));
  gm->ms = Prepare(L, s, ls, p, lp);
  gm->src = s + init;
  gm->pattern = p;
  gm->lastMatch = nullptr;
  lua_pushcclosure(L, &GmatchNext, 3);
  return 1;
}

// The replacement string with %0-%9 and %%.
void AddString(MatchState& ms, luaL_Buffer& b, const char* s, const char* e) {
  lua_State* L = ms.L;
  size_t l = 0;
  const char* news = lua_tolstring(L, 3, &l);
  const char* end = news + l;
  for (const char* p; (p = static_cast<const char*>(std::memchr(news, kEsc, static_cast<size_t>(end - news))));) {
    luaL_addlstring(&b, news, static_cast<size_t>(p - news));
    p++;
    if (p < end && *p == kEsc) {
      luaL_addchar(&b, *p);
    } else if (p < end && *p == '0') {
      luaL_addlstring(&b, s, static_cast<size_t>(e - s));
    } else if (p < end && std::isdigit(static_cast<unsigned char>(*p))) {
      PushCapture(ms, *p - '1', s, e);
      luaL_tolstring(L, -1, nullptr);
      lua_remove(L, -2);
      luaL_addvalue(&b);
    } else {
      ScriptApi::Fail(L, "invalid use of '%%' in replacement string");
    }
    news = p + 1;
  }
  luaL_addlstring(&b, news, static_cast<size_t>(end - news));
}

// One match replaced; false when the replacement kept the match as it was.
bool AddValue(MatchState& ms, luaL_Buffer& b, const char* s, const char* e, int type) {
  lua_State* L = ms.L;
  if (type == LUA_TFUNCTION) {
    lua_pushvalue(L, 3);
    const int n = PushCaptures(ms, s, e);
    lua_call(L, n, 1);
  } else if (type == LUA_TTABLE) {
    PushCapture(ms, 0, s, e);
    lua_gettable(L, 3);
  } else {
    AddString(ms, b, s, e);
    return true;
  }
  if (!lua_toboolean(L, -1)) {
    lua_pop(L, 1);
    luaL_addlstring(&b, s, static_cast<size_t>(e - s));
    return false;
  }
  if (!lua_isstring(L, -1)) ScriptApi::Fail(L, "invalid replacement value (a %s)", luaL_typename(L, -1));
  luaL_addvalue(&b);
  return true;
}

int Gsub(lua_State* L) {
  size_t srcl = 0, lp = 0;
  const char* src = luaL_checklstring(L, 1, &srcl);
  const char* p = luaL_checklstring(L, 2, &lp);
  const int type = lua_type(L, 3);
  const lua_Integer maxN = luaL_optinteger(L, 4, static_cast<lua_Integer>(srcl) + 1);
  luaL_argexpected(L, type == LUA_TNUMBER || type == LUA_TSTRING || type == LUA_TFUNCTION || type == LUA_TTABLE, 3,
                   "string/function/table");
  const bool anchor = *p == '^';
  if (anchor) p++, lp--;
  luaL_Buffer b;
  luaL_buffinit(L, &b);
  MatchState ms = Prepare(L, src, srcl, p, lp);
  const char* lastMatch = nullptr;
  lua_Integer n = 0;
  bool changed = false;
  while (n < maxN) {
    Restart(ms);
    const char* e = Match(ms, src, p);
    if (e && e != lastMatch) {
      n++;
      changed = AddValue(ms, b, src, e, type) || changed;
      src = lastMatch = e;
    } else if (src < ms.srcEnd) {
      luaL_addchar(&b, *src++);
    } else {
      break;
    }
    if (anchor) break;
  }
  if (!changed) {
    lua_pushvalue(L, 1);
  } else {
    luaL_addlstring(&b, src, static_cast<size_t>(ms.srcEnd - src));
    luaL_pushresult(&b);
  }
  lua_pushinteger(L, n);
  return 2;
}

}  // namespace

void ScriptApi::CheckBudget(lua_State* L) {
  ScriptHost& host = Host(L);
  if (!host.watchdog_->Overrun()) return;
  host.timedOut_ = true;
  Fail(L, "the script ran longer than %d ms", static_cast<int>(host.limits_.budget.count()));
}

void ScriptApi::OpenBoundedPatterns(lua_State* L) {
  const luaL_Reg functions[] = {{"find", &Find}, {"match", &MatchFn}, {"gmatch", &Gmatch}, {"gsub", &Gsub}};
  lua_getglobal(L, LUA_STRLIBNAME);
  for (const luaL_Reg& f : functions) {
    lua_pushcfunction(L, f.func);
    lua_setfield(L, -2, f.name);
  }
  lua_pop(L, 1);
}

}  // namespace ombrel
