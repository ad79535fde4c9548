#include "command/command_processor.h"

#include "command/iac.h"
#include "command/speedwalk.h"
#include "command/token_list.h"

namespace ombrel {
namespace {

constexpr const char* kCrLf = "\r\n";
constexpr size_t kMaxWalkBytes = size_t{1} << 20;

std::string LinesWithCrLf(const Lines& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + kCrLf;
  return text;
}

bool StartsWith(const std::string& s, const std::string& prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

CommandProcessor::CommandProcessor(CommandTarget& target, ParamPrompt& prompt)
    : target_(target), prompt_(prompt) {}

void CommandProcessor::SendCommand(const std::string& text, bool expandAliases) {
  const TOptions* options = target_.Options();
  if (!options) return;
  const std::string separator = options->pipechar;
  size_t found = separator.empty() ? std::string::npos : text.find(separator);
  // Most commands are one: sent as they are, uncopied.
  if (found == std::string::npos) return ProcessCommand(text, expandAliases);
  std::string remaining = text;
  while (found != std::string::npos) {
    ProcessCommand(remaining.substr(0, found), expandAliases);
    // One separator character goes with the command.
    remaining.erase(0, found + 1);
    found = remaining.find(separator);
  }
  ProcessCommand(remaining, expandAliases);
}

void CommandProcessor::ProcessCommand(const std::string& cmd, bool expandAliases) {
  const TOptions* options = target_.Options();
  if (!options) return;
  if (expandAliases && filter_ && filter_->TakeCommand(cmd)) return;
  if (!options->pathchar.empty() && StartsWith(cmd, options->pathchar)) {
    Speedwalk(cmd);
    return;
  }
  if (expandAliases && ExpandAlias(*options, cmd)) return;
  WriteLine(cmd);
  EchoCommand(*options, cmd);
}

bool CommandProcessor::ExpandAlias(const TOptions& options, const std::string& cmd) {
  // Scripts' triggers answer through here: without aliases, no need to
  // take the command apart.
  if (options.aliases.empty()) return false;
  std::string first;
  std::string rest;
  SplitCommand(cmd, first, rest);
  for (const TAlias& alias : options.aliases) {
    if (alias.name != first) continue;
    // A copy: the prompt runs a modal loop while the expansion is going on.
    const std::string translation = LinesWithCrLf(alias.translation);
    ExpandAndSend(translation, rest);
    return true;
  }
  return false;
}

void CommandProcessor::EchoCommand(const TOptions& options, const std::string& cmd) {
  if (options.localecho)
    target_.WriteText(cmd + kCrLf, false);
  else if (!target_.CurrentLineText().empty())
    // A prompt or unfinished output stands there; the answer gets a line
    // of its own.
    target_.WriteText(kCrLf, false);
}

void CommandProcessor::Speedwalk(const std::string& cmd) {
  const TOptions* options = target_.Options();
  if (!options || !target_.Connected()) return;
  // A count such as 99999999 would flood the server and hold the window;
  // the whole walk goes out in one write, or nothing of it does.
  std::string walk;
  for (const SpeedwalkStep& step : ParseSpeedwalk(cmd.substr(options->pathchar.size()))) {
    const std::string command = EscapeIAC(std::string(1, step.direction) + kCrLf, options->telnet);
    if (static_cast<size_t>(step.count) > (kMaxWalkBytes - walk.size()) / command.size()) {
      // A line of its own, as the echo of an answer to a prompt gets.
      const std::string lead = target_.CurrentLineText().empty() ? "" : kCrLf;
      target_.WriteText(lead + "Speedwalk refused: it would send more than 1 MiB.\r\n", false);
      return;
    }
    for (int k = 0; k < step.count; ++k) walk += command;
  }
  if (!walk.empty()) target_.Send(walk);
}

void CommandProcessor::ExpandAndSend(const std::string& text, const std::string& params) {
  ParamTable table;
  if (!params.empty()) {
    table.AddParam("all", JoinTokens(params));
    // Split once: a paragraph pasted onto an alias has thousands of them.
    const std::vector<std::string> tokens = AllTokens(params);
    for (size_t k = 0; k < tokens.size(); ++k) table.AddParam(std::to_string(k + 1), tokens[k]);
  }
  const TOptions* options = target_.Options();
  if (!options) return;
  std::string expanded = text;
  if (!options->paramstart.empty() && !options->paramend.empty())
    expanded = FillParams(text, options->paramstart[0], options->paramend[0], table);
  SendLines(expanded, false, false);
}

std::string CommandProcessor::FillParams(const std::string& text, char start, char end,
                                         ParamTable& table) {
  std::string result;
  bool open = false;
  size_t segment = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == start) {
      open = true;
      result += text.substr(segment, i - segment);
      segment = i + 1;
    }
    // Not an else: with equal start and end characters each one opens and
    // at once closes an empty name.
    if (c == end && open) {
      open = false;
      // With equal start and end characters the segment starts past i.
      const std::string name = i > segment ? text.substr(segment, i - segment) : std::string();
      segment = i + 1;
      std::string value = table.LookupParam(name);
      if (value.empty()) value = AskParam(name, table);
      result += value;
    }
  }
  result += text.substr(segment);
  return result;
}

std::string CommandProcessor::AskParam(const std::string& name, ParamTable& table) {
  const std::string key = AsciiLower(name);
  std::string value = prompt_.Ask(key);
  if (value.empty()) value.push_back(' ');
  // Remembered, so that each missing name is asked once per expansion.
  table.AddParam(key, value);
  return value;
}

void CommandProcessor::SendLines(const std::string& text, bool usePrefix, bool expandAliases) {
  if (!target_.Connected()) return;
  std::vector<std::string> lines = SplitPastedLines(text);
  // The piece after the last CR goes without prefix and suffix.
  for (size_t k = 0; k < lines.size(); ++k) {
    const TOptions* options = target_.Options();
    if (usePrefix && options && k + 1 < lines.size())
      lines[k] = options->stdpasteprefix + lines[k] + options->stdpastesuffix;
    SendCommand(lines[k], expandAliases);
  }
}

void CommandProcessor::WriteLine(const std::string& cmd) {
  const TOptions* options = target_.Options();
  if (!options || !target_.Connected()) return;
  line_.clear();
  AppendEscapedIAC(line_, cmd, options->telnet);
  line_ += kCrLf;
  target_.Send(line_);
}

void CommandProcessor::Write(const std::string& bytes) {
  const TOptions* options = target_.Options();
  if (!options || !target_.Connected()) return;
  target_.Send(EscapeIAC(bytes, options->telnet));
}

}  // namespace ombrel
