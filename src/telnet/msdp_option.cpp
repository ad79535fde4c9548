#include "telnet/msdp_option.h"

namespace ombrel {

namespace {

using namespace msdp;

// Reads variables and values from the front; a byte out of place is
// skipped, as a server's slip should cost only what it touched.
class Reader {
 public:
  Reader(std::string_view bytes, bool nested) : bytes_(bytes), nested_(nested) {}

  // Pairs up to `close` (or the end, at the top: kNone); false when too deep.
  static constexpr int kNone = -1;
  bool Table(Json& table, int close, int depth) {
    table = Json::object();
    while (at_ < bytes_.size()) {
      const char c = bytes_[at_++];
      if (c == close) return true;
      if (c != VAR) continue;
      const std::string name = String();
      Json values = Json::array();
      while (at_ < bytes_.size() && bytes_[at_] == VAL) {
        ++at_;
        if (!Value(values.emplace_back(), depth)) return false;
      }
      // A variable with one value is that value; with several, their array.
      table[name] = values.size() == 1 ? std::move(values[0]) : values.empty() ? Json("") : std::move(values);
    }
    return true;
  }

 private:
  bool Value(Json& value, int depth) {
    const char c = at_ < bytes_.size() ? bytes_[at_] : 0;
    if (nested_ && (c == TABLE_OPEN || c == ARRAY_OPEN)) {
      ++at_;
      if (depth + 1 > kMaxJsonDepth) return false;
      if (c == TABLE_OPEN) return Table(value, TABLE_CLOSE, depth + 1);
      value = Json::array();
      while (at_ < bytes_.size()) {
        const char d = bytes_[at_++];
        if (d == ARRAY_CLOSE) return true;
        if (d == VAL && !Value(value.emplace_back(), depth + 1)) return false;
      }
      return true;
    }
    value = String();
    return true;
  }

  std::string String() {
    const size_t from = at_;
    while (at_ < bytes_.size() && !Marker(bytes_[at_])) ++at_;
    return ToUtf8(bytes_.substr(from, at_ - from));
  }

  bool Marker(char c) const { return c == VAR || c == VAL || (nested_ && c >= TABLE_OPEN && c <= ARRAY_CLOSE); }

  std::string_view bytes_;
  bool nested_;
  size_t at_ = 0;
};

std::string Names(const Json& variables) {
  std::string names;
  for (const auto& [name, value] : variables.get_ref<const Json::object_t&>()) names += (names.empty() ? "" : " ") + name;
  return names;
}

}  // namespace

bool DecodeVariables(std::string_view bytes, bool nested, Json& variables) {
  Json table;
  if (!Reader(bytes, nested).Table(table, Reader::kNone, 0)) return false;
  variables = std::move(table);
  return true;
}

std::string EncodeVariables(const std::vector<std::pair<std::string, std::vector<std::string>>>& pairs) {
  std::string out;
  for (const auto& [name, values] : pairs) {
    out += VAR + name;
    for (const std::string& v : values) out += VAL + v;
  }
  return out;
}

std::vector<std::string> DefaultMsdpVariables() {
  return {"CHARACTER_NAME", "HEALTH", "HEALTH_MAX", "MANA", "MANA_MAX", "MOVEMENT", "MOVEMENT_MAX",
          "ROOM", "ROOM_NAME", "ROOM_EXITS"};
}

MsdpOption::MsdpOption(GameData& data, std::vector<std::string> reported)
    : data_(data), reported_(std::move(reported)) {}

void MsdpOption::Changed(bool him, bool on, std::string& output, const Log& log) {
  if (!him || !on) return;
  output = SubnegotiationBytes(Code(), EncodeVariables({{"LIST", {"REPORTABLE_VARIABLES"}}}));
  log("SB MSDP LIST REPORTABLE_VARIABLES Sent");
  if (reported_.empty()) return;
  output += SubnegotiationBytes(Code(), EncodeVariables({{"REPORT", reported_}}));
  log("SB MSDP REPORT Sent (" + std::to_string(reported_.size()) + " variables)");
}

void MsdpOption::Subnegotiation(std::string_view value, std::string& output, const Log& log) {
  output.clear();
  Json variables;
  if (!DecodeVariables(value, true, variables)) {
    log("SB MSDP Received (" + std::to_string(value.size()) + " bytes) nested too deeply: dropped");
    return;
  }
  log("SB MSDP " + Names(variables) + " Received (" + std::to_string(value.size()) + " bytes)");
  data_.Merge("MSDP", std::move(variables));
}

void MsspOption::Subnegotiation(std::string_view value, std::string& output, const Log& log) {
  output.clear();
  Json variables;
  DecodeVariables(value, false, variables);
  log("SB MSSP Received (" + std::to_string(value.size()) + " bytes)");
  // The console shows what the server says of itself, a line a variable.
  for (const auto& [name, v] : variables.get_ref<const Json::object_t&>())
    log("MSSP " + name + ": " + (v.is_string() ? v.get<std::string>() : JsonText(v)));
  data_.Merge("MSSP", std::move(variables));
}

}  // namespace ombrel
