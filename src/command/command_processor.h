// Turns what the user sends (typed lines, keypad directions, macro and
// alias texts, pasted text, the auto-login text) into the commands written
// to the connection: split at the separator, speedwalk paths walked out,
// aliases expanded with their parameters, each command ended by CR LF and
// echoed into the terminal.
#pragma once

#include <string>

#include "command/command_target.h"
#include "command/param_table.h"

namespace ombrel {

// Something that may take a typed command before the aliases and the
// server see it (a script's alias).
struct CommandFilter {
  virtual ~CommandFilter() = default;
  // True when `command` was taken and must not be sent.
  virtual bool TakeCommand(const std::string& command) = 0;
};

class CommandProcessor {
 public:
  CommandProcessor(CommandTarget& target, ParamPrompt& prompt);

  // Asked about each typed command (after the separator split, before
  // speedwalking and aliases); null: none. Not owned.
  void SetFilter(CommandFilter* filter) { filter_ = filter; }

  // One line of input, possibly several commands joined by the separator.
  void SendCommand(const std::string& text, bool expandAliases);
  // A line the server hides (a password): out exactly as typed, ended by
  // CR LF, and echoed nowhere.
  void SendSecret(const std::string& text) { Write(text + "\r\n"); }
  // A multi-line text, line by line; with `usePrefix` every line ended by
  // CR is wrapped in the standard paste prefix and suffix.
  void SendLines(const std::string& text, bool usePrefix, bool expandAliases);
  // Fills in the parameters of an alias or macro text and sends it.
  // `params` is a token list, empty for macros.
  void ExpandAndSend(const std::string& text, const std::string& params);

 private:
  void ProcessCommand(const std::string& cmd, bool expandAliases);
  bool ExpandAlias(const TOptions& options, const std::string& cmd);
  void Speedwalk(const std::string& cmd);
  void EchoCommand(const TOptions& options, const std::string& cmd);
  std::string FillParams(const std::string& text, char start, char end, ParamTable& table);
  std::string AskParam(const std::string& name, ParamTable& table);
  // One socket write, escaped for telnet; dropped while not connected.
  void Write(const std::string& bytes);
  // `cmd` and CR LF in one write, built in a buffer kept for the next.
  void WriteLine(const std::string& cmd);

  CommandTarget& target_;
  ParamPrompt& prompt_;
  CommandFilter* filter_ = nullptr;
  std::string line_;
};

}  // namespace ombrel
