#include "script/script_game_data.h"

#include <limits>

#include "telnet/gmcp_option.h"

namespace ombrel {

ScriptValue ScriptValueOf(const Json& value) {
  switch (value.type()) {
    case Json::value_t::boolean: return ScriptValue::Bool(value.get<bool>());
    case Json::value_t::number_integer: return ScriptValue::Int(value.get<int64_t>());
    case Json::value_t::number_unsigned: {
      // Beyond Lua's integers a count is still a number.
      const uint64_t u = value.get<uint64_t>();
      if (u <= static_cast<uint64_t>(std::numeric_limits<int64_t>::max()))
        return ScriptValue::Int(static_cast<int64_t>(u));
      return ScriptValue::Num(static_cast<double>(u));
    }
    case Json::value_t::number_float: return ScriptValue::Num(value.get<double>());
    case Json::value_t::string: return ScriptValue::Str(value.get_ref<const std::string&>());
    case Json::value_t::object: {
      ScriptValue table = ScriptValue::Table();
      for (const auto& [key, v] : value.get_ref<const Json::object_t&>())
        table.Set(ScriptValue::Str(key), ScriptValueOf(v));
      return table;
    }
    case Json::value_t::array: {
      ScriptValue table = ScriptValue::Table();
      int64_t i = 1;
      for (const Json& v : value) table.Set(ScriptValue::Int(i++), ScriptValueOf(v));
      return table;
    }
    default: return {};
  }
}

ScriptGameFeed::ScriptGameFeed(GameData& data, ScriptHost& host, ErrorSink errors) : data_(data) {
  listener_ = data_.Listen([&host, errors = std::move(errors)](const GameData& tree, std::string_view message,
                                                                const Json& value) {
    const Json* node = tree.Find(message);
    const ScriptHost::Errors e =
        host.GmcpReceived(message, node ? ScriptValueOf(*node) : ScriptValue(), ScriptValueOf(value));
    if (!e.empty() && errors) errors(e);
  });
}

ScriptGameFeed::~ScriptGameFeed() { data_.Unlisten(listener_); }

std::string ScriptGmcpBytes(const std::string& name, const std::string& json) {
  Json value;
  if (!json.empty() && !ParseJson(json, value)) return {};
  return GmcpMessageBytes(name, value);
}

}  // namespace ombrel
