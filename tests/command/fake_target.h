// A terminal stand-in that records every socket write and every local echo
// separately, so tests see the exact sequence the server would get.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "command/command_target.h"

namespace ombrel {

class RecordingTarget : public CommandTarget, public ScrollTarget {
 public:
  TOptions options;
  bool hasOptions = true;
  bool connected = true;
  std::string currentLine;
  int rows = 25;
  int curline = 300;

  std::vector<std::string> sends;
  std::vector<std::string> echoes;
  std::vector<int> scrolls;

  const TOptions* Options() const override { return hasOptions ? &options : nullptr; }
  bool Connected() const override { return connected; }
  void Send(const std::string& bytes) override { sends.push_back(bytes); }
  void WriteText(const std::string& text, bool checkTriggers) override {
    if (!checkTriggers) echoes.push_back(text);
  }
  std::string CurrentLineText() const override { return currentLine; }

  void ScrollBy(int lines) override { scrolls.push_back(lines); }
  int Rows() const override { return rows; }
  int CurLine() const override { return curline; }
};

class ScriptedPrompt : public ParamPrompt {
 public:
  std::deque<std::string> answers;
  std::vector<std::string> asked;

  std::string Ask(const std::string& name) override {
    asked.push_back(name);
    if (answers.empty()) return std::string();
    std::string answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

using Writes = std::vector<std::string>;

}  // namespace ombrel
