// Plain data that crosses between a script and the client: the saved
// `vars` table and the game data the terminal hands to scripts. Strings,
// numbers, booleans and tables of them; nothing that runs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ombrel {

struct ScriptValue {
  enum class Kind { nil, boolean, integer, number, string, table };
  Kind kind = Kind::nil;
  bool boolean = false;
  int64_t integer = 0;
  double number = 0;
  std::string string;
  // A table's entries in order: keys[i] maps to values[i].
  std::vector<ScriptValue> keys, values;

  static ScriptValue Bool(bool b);
  static ScriptValue Int(int64_t i);
  static ScriptValue Num(double d);
  static ScriptValue Str(std::string_view s);
  static ScriptValue Table();
  // Appends an entry; returns the table for chaining.
  ScriptValue& Set(ScriptValue key, ScriptValue value);
  // The value at a string key, or nullptr.
  const ScriptValue* Get(std::string_view key) const;

  bool operator==(const ScriptValue&) const = default;
};

// A table as the text of a .vars file: a Lua table constructor a player can
// read and edit, keys sorted (numbers, then strings, then booleans) so the
// same table always gives the same bytes. Strings keep every byte: anything
// but printable ASCII is written as a \ddd escape.
std::string FormatVars(const ScriptValue& table);

// Reads what FormatVars writes, and such text edited by hand: comments
// (`--` to the end of the line), `name = v`, `[key] = v` and positional
// values, `,` or `;` between entries, quoted strings with Lua's escapes,
// decimal and hexadecimal numbers, true, false, nested tables. Nothing is
// ever run. False, with the line and the reason in `error`, on anything
// else or tables nested deeper than 100.
bool ParseVars(std::string_view text, ScriptValue& table, std::string& error);

}  // namespace ombrel
