#include "script/script_session.h"

#include <algorithm>
#include <exception>
#include <filesystem>

#include "command/iac.h"
#include "patterns/trigger_actions.h"
#include "telnet/gmcp_option.h"
#include "telnet/telnet_parser.h"
#include "term/escape.h"

namespace ombrel {

ScriptSession::ScriptSession(TermSession& session, ScriptClock& clock, std::string dir, ScriptLimits limits)
    : session_(session), clock_(clock), dir_(std::move(dir)), host_(*this, limits) {
  session_.AddListener(*this);
  session_.Commands().Processor().SetFilter(this);
}

ScriptSession::~ScriptSession() {
  session_.Commands().Processor().SetFilter(nullptr);
  session_.RemoveListener(*this);
  // Closing the terminal or the program: what the scripts counted is kept.
  if (host_.Loaded()) host_.SaveVars();
}

bool ScriptSession::Enabled() const {
  const TOptions* options = session_.Options();
  return options && options->features.scripts;
}

bool ScriptSession::Active() {
  if (!host_.Loaded()) return false;
  if (Enabled()) return true;
  Drop();
  return false;
}

void ScriptSession::Load() {
  if (host_.Loaded()) SaveVars();
  const TOptions& options = *session_.Options();
  Report(host_.Load(dir_, options.name, options.features.utf8));
  ListenForLines(true);
}

void ScriptSession::Drop() {
  SaveVars();
  host_.Unload();
  ListenForLines(false);
}

void ScriptSession::SetGameData(GameData& data) {
  gameFeed_ = std::make_unique<ScriptGameFeed>(data, host_, [this](const ScriptHost::Errors& e) { Report(e); });
}

void ScriptSession::SetApplied() {
  if (Enabled() && session_.SocketOpen()) {
    Load();
    // Applied to a live connection: its "connect" handlers see it as up.
    if (session_.Connected()) Report(host_.Connected());
  } else if (host_.Loaded()) {
    Drop();
  }
}

void ScriptSession::Reload() {
  if (!Enabled()) {
    session_.Core().Status("Scripts are off for this option set (Features tab).");
    return;
  }
  Load();
  session_.Core().Status("Scripts loaded from " + ScriptBaseName(session_.Options()->name) + ".lua.");
}

void ScriptSession::RunTimer(int id) {
  if (!Active()) return;
  Report(host_.RunTimer(id));
}

void ScriptSession::SaveVars() {
  if (!host_.Loaded()) return;
  const std::string error = host_.SaveVars();
  if (!error.empty()) Report({error});
}

void ScriptSession::Report(const ScriptHost::Errors& errors) {
  for (const std::string& error : errors) session_.Core().Status(error);
}

void ScriptSession::ListenForLines(bool lines) {
  if (hearsLines_ == lines) return;
  // Without scripts, storing a line costs the test of a count only; with
  // them, a line no trigger can match is ruled out before it is told.
  session_.RemoveListener(*this);
  session_.AddListener(*this, lines, &host_.LinesActedOn());
  hearsLines_ = lines;
}

void ScriptSession::LineStored(int32_t index, std::string_view text, bool received) {
  if (!received || !host_.WantsLines() || !Active()) return;
  const TOptions& options = *session_.Options();
  // The margin the terminal puts before each line is not the server's.
  const bool margin = !options.margin.empty() && text.substr(0, options.margin.size()) == options.margin;
  if (margin) text.remove_prefix(options.margin.size());
  if (!host_.MayAct(text)) return;
  StripEscapes(text, visible_, options.features.extendedcolours);
  // The spare's buffers serve line after line (a line told while this one
  // is done gets fresh ones).
  ScriptLineEffects effects = std::move(spareEffects_);
  host_.ProcessLine(visible_, effects);
  if (effects.gag) {
    session_.Core().Gag(index);
  } else if (!effects.highlights.empty()) {
    const uint32_t shift = margin ? static_cast<uint32_t>(options.margin.size()) : 0;
    std::vector<Highlight> ranges;
    for (const ScriptHighlight& h : effects.highlights) {
      // 0xRRGGBB as the terminal's colours hold it: 0x00BBGGRR.
      const Color colour = (h.rgb & 0xFF) << 16 | (h.rgb & 0xFF00) | (h.rgb >> 16 & 0xFF);
      ranges.push_back({static_cast<uint32_t>(h.offset) + shift, static_cast<uint32_t>(h.offset + h.length) + shift,
                        colour, std::nullopt});
    }
    session_.Core().HighlightVisible(index, ranges);
  }
  host_.Perform(effects.actions);
  Report(effects.errors);
  spareEffects_ = std::move(effects);
}

void ScriptSession::ConnectionChanged(ConnectionState state, bool) {
  const ConnectionState was = std::exchange(state_, state);
  if (state == was) return;
  switch (state) {
    case ConnectionState::LookingUp:
    case ConnectionState::Connecting:
      if (!loadedForAttempt_ && Enabled()) Load();
      loadedForAttempt_ = true;
      break;
    case ConnectionState::Connected:
      if (!loadedForAttempt_ && Enabled()) Load();
      loadedForAttempt_ = true;
      if (!Active()) break;
      // The game's data starts anew with each connection, as its tree does.
      host_.ClearGmcp();
      Report(host_.Connected());
      break;
    case ConnectionState::Disconnected:
      loadedForAttempt_ = false;
      if (!Active()) break;
      if (was == ConnectionState::Connected) Report(host_.Disconnected());
      SaveVars();
      break;
  }
}

bool ScriptSession::TakeCommand(const std::string& command) {
  if (!Active()) return false;
  ScriptHost::Errors errors;
  const bool taken = host_.RunAlias(command, errors);
  Report(errors);
  return taken;
}

int ScriptSession::SwitchTriggerGroup(const std::string& group, bool on) {
  TOptions* options = session_.Options();
  if (!options || group.empty()) return 0;
  const auto count = std::count_if(options->triggers.begin(), options->triggers.end(),
                                   [&](const TTrigger& t) { return t.pattern.group == group; });
  // As the editor does: the next line is matched with the group as it now is.
  SwitchGroup(options->patterns.groupsoff, group, on);
  return static_cast<int>(count);
}

void ScriptSession::SendCommand(const std::string& text) { session_.Commands().Processor().SendCommand(text, true); }

void ScriptSession::SendRaw(const std::string& text) {
  const TOptions* options = session_.Options();
  if (options && session_.Connected()) session_.Core().Send(EscapeIAC(text + "\r\n", options->telnet));
}

void ScriptSession::Echo(const std::string& text) {
  TermCore& core = session_.Core();
  const TOptions* options = session_.Options();
  // A prompt or unfinished output stands there: the echo gets a line of its own.
  const std::string current = core.CurrentLineText();
  if (!current.empty() && (!options || current != options->margin)) core.WriteText("\r\n", false);
  core.WriteText(text + "\r\n", false);
}

void ScriptSession::PlaySound(const std::string& file) {
  std::error_code ec;
  if (!player_ || !std::filesystem::exists(file, ec)) return;
  try {
    player_->Play(file);
  } catch (const std::exception& e) {
    session_.Core().Status(std::string("Sound: ") + e.what());
  }
}

void ScriptSession::SendGmcp(const std::string& name, const std::string& json) {
  // Only to a server that agreed to GMCP: others would show it as text.
  if (!session_.Connected() || !session_.Core().Parser().OptionOn(telnet::OPT_GMCP, true)) return;
  const std::string bytes = ScriptGmcpBytes(name, json);
  if (!bytes.empty()) session_.Core().Send(bytes);
}

}  // namespace ombrel
