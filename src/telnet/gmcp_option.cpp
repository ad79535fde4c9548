#include "telnet/gmcp_option.h"

#include <algorithm>

namespace ombrel {

namespace {

constexpr std::string_view kSpaces = " \t\r\n";

// A name as the console shows it: a server may send a MiB of one.
std::string Shown(const std::string& name) { return name.size() <= 80 ? name : name.substr(0, 80) + "..."; }

}  // namespace

std::vector<std::string> DefaultGmcpModules() { return {"Char 1", "Char.Vitals 1", "Room 1", "Comm.Channel 1"}; }

std::string GmcpMessageBytes(std::string_view name, const Json& value) {
  if (name.empty() || name.find_first_of(kSpaces) != std::string_view::npos) return {};
  std::string text(name);
  if (!value.is_null()) text.append(" ").append(JsonText(value));
  return SubnegotiationBytes(telnet::OPT_GMCP, text);
}

GmcpOption::GmcpOption(GameData& data, std::vector<std::string> modules)
    : data_(data), modules_(std::move(modules)) {}

void GmcpOption::Changed(bool him, bool on, std::string& output, const Log& log) {
  if (!him || !on) return;
  // Core.Hello comes first, or some servers ignore what follows.
  badNames_.clear();
  Json hello = {{"client", kClientName}, {"version", kClientVersion}};
  output = GmcpMessageBytes("Core.Hello", hello) + GmcpMessageBytes("Core.Supports.Set", Json(modules_));
  log("SB GMCP Core.Hello Sent");
  log("SB GMCP Core.Supports.Set Sent");
}

void GmcpOption::Subnegotiation(std::string_view value, std::string& output, const Log& log) {
  output.clear();
  const size_t start = value.find_first_not_of(kSpaces);
  if (start == std::string_view::npos) {
    log("SB GMCP Received (empty)");
    return;
  }
  const size_t gap = std::min(value.find_first_of(kSpaces, start), value.size());
  // The tree holds UTF-8 only, names too: a script or a pane takes it as text.
  const std::string name = ToUtf8(value.substr(start, gap - start));
  log("SB GMCP " + Shown(name) + " Received (" + std::to_string(value.size()) + " bytes)");
  const std::string_view text = value.substr(gap);
  Json parsed;
  if (text.find_first_not_of(kSpaces) == std::string_view::npos) {
    data_.Merge(name, Json());
  } else if (ParseJson(text, parsed)) {
    data_.Merge(name, std::move(parsed));
  } else if (std::none_of(badNames_.begin(), badNames_.end(), [&](const std::string& n) { return SameName(n, name); })) {
    badNames_.push_back(name);
    log("SB GMCP " + Shown(name) + " is not JSON: the value before is kept");
  }
}

}  // namespace ombrel
