// A terminal for the script tests: records everything the host asks of it
// as one line each, and keeps its timers on a clock the test moves.
#pragma once

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "script/script_host.h"

namespace ombrel::test {

struct FakeTerminal : ScriptTerminal {
  std::vector<std::string> log;
  std::chrono::steady_clock::time_point now{};
  std::map<int, std::chrono::steady_clock::time_point> timers;
  // When set, sent commands pass the host's aliases as typed ones do.
  ScriptHost* aliases = nullptr;

  void SendCommand(const std::string& t) override {
    log.push_back("send " + t);
    if (aliases) Type(*aliases, t);
  }
  void SendRaw(const std::string& t) override { log.push_back("raw " + t); }
  void Echo(const std::string& t) override { log.push_back("echo " + t); }
  void PlaySound(const std::string& f) override { log.push_back("sound " + f); }
  void SendGmcp(const std::string& n, const std::string& j) override { log.push_back("gmcp " + n + " " + j); }
  void StartTimer(int id, std::chrono::milliseconds d) override { timers[id] = now + d; }
  void StopTimer(int id) override { timers.erase(id); }
  std::chrono::steady_clock::time_point Now() const override { return now; }

  void Errors(const ScriptHost::Errors& errors) {
    for (const auto& e : errors) log.push_back("error " + e);
  }
  // A received line as the terminal will handle it: shown or gagged with
  // its highlights, then what the scripts asked.
  void Line(ScriptHost& host, const std::string& text) {
    ScriptLineEffects fx = host.ProcessLine(text);
    std::string shown = (fx.gag ? "gagged " : "shown ") + text;
    for (const auto& h : fx.highlights) {
      char rgb[8];
      std::snprintf(rgb, sizeof rgb, "%06x", h.rgb);
      shown += " [" + std::to_string(h.offset) + "+" + std::to_string(h.length) + " " + rgb + "]";
    }
    log.push_back(shown);
    host.Perform(fx.actions);
    Errors(fx.errors);
  }
  // A typed command: a script alias or the server.
  void Type(ScriptHost& host, const std::string& text) {
    ScriptHost::Errors errors;
    if (!host.RunAlias(text, errors)) log.push_back("typed " + text);
    Errors(errors);
  }
  // Moves the clock, running each timer as it falls due.
  void Advance(ScriptHost& host, std::chrono::milliseconds by) {
    const auto end = now + by;
    for (;;) {
      auto next = timers.end();
      for (auto it = timers.begin(); it != timers.end(); ++it)
        if (it->second <= end && (next == timers.end() || it->second < next->second)) next = it;
      if (next == timers.end()) break;
      now = next->second;
      const int id = next->first;
      timers.erase(next);
      Errors(host.RunTimer(id));
    }
    now = end;
  }
};

}  // namespace ombrel::test
