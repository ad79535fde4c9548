// Tab completion and the Ctrl+R history search in a terminal's command line
// (the set's #tabcomplete switch). The keys come here before the line edit
// sees them; the words come from the lines the terminal stores, gathered
// only while the switch is on. Neither works while the server hides what
// is typed: a password is completed from nothing and searched for nowhere.
#pragma once

#include <string>

#include "command/completion.h"
#include "command/history_search.h"
#include "term/term_session.h"

class QKeyEvent;
class QLineEdit;

namespace ombrel {

class CommandComforts : private TermListener {
 public:
  CommandComforts(TermSession& session, QLineEdit& edit);
  ~CommandComforts() override;
  CommandComforts(const CommandComforts&) = delete;
  CommandComforts& operator=(const CommandComforts&) = delete;

  // The set or its switch changed: words are gathered while it is on.
  void FollowSwitch();
  // A key pressed in the command line; true when it was used up here.
  bool KeyPress(const QKeyEvent& event);

 private:
  void LineStored(int32_t index, std::string_view text, bool received) override;
  bool On() const;
  bool Utf8() const;
  bool Tab();
  bool SearchKey(const QKeyEvent& event);
  void ShowSearch();
  void SetLine(const std::string& text);

  TermSession& session_;
  QLineEdit& edit_;
  WordIndex words_;
  TabCompletion tab_;
  HistorySearch search_;
  bool listening_ = false;
  std::string visible_;  // a stored line without its sequences, keeping its room
};

}  // namespace ombrel
