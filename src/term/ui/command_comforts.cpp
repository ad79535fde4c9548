#include "term/ui/command_comforts.h"

#include <QKeyEvent>
#include <QLineEdit>

#include "term/escape.h"
#include "util/ui/byte_text.h"

namespace ombrel {

CommandComforts::CommandComforts(TermSession& session, QLineEdit& edit)
    : session_(session), edit_(edit), search_(session.Commands().History()) {}

CommandComforts::~CommandComforts() {
  if (listening_) session_.RemoveListener(*this);
}

bool CommandComforts::On() const {
  const TOptions* options = session_.Options();
  return options && options->features.tabcomplete;
}

bool CommandComforts::Utf8() const {
  const TOptions* options = session_.Options();
  return options && options->features.utf8;
}

void CommandComforts::FollowSwitch() {
  if (On() == listening_) return;
  listening_ = On();
  // Off, a stored line costs nothing more than it did.
  if (listening_) {
    session_.AddListener(*this, true);
  } else {
    session_.RemoveListener(*this);
    words_.Clear();
  }
}

void CommandComforts::LineStored(int32_t, std::string_view text, bool) {
  const TOptions* options = session_.Options();
  StripEscapes(text, visible_, options && options->features.extendedcolours);
  words_.AddLine(visible_);
}

bool CommandComforts::KeyPress(const QKeyEvent& event) {
  if (!On() || edit_.echoMode() != QLineEdit::Normal) return false;
  if (search_.Active()) return SearchKey(event);
  const int key = event.key();
  if (key == Qt::Key_Tab && event.modifiers() == Qt::NoModifier) return Tab();
  if (key == Qt::Key_R && event.modifiers() == Qt::ControlModifier) {
    tab_.Reset();
    search_.CtrlR(ToBytes(edit_.text(), Utf8()));
    ShowSearch();
    return true;
  }
  if (key != Qt::Key_Shift && key != Qt::Key_Control && key != Qt::Key_Alt && key != Qt::Key_Meta) tab_.Reset();
  return false;
}

bool CommandComforts::Tab() {
  const bool utf8 = Utf8();
  const std::string text = ToBytes(edit_.text(), utf8);
  const size_t cursor = ToBytes(edit_.text().left(edit_.cursorPosition()), utf8).size();
  // No word to complete: the key is used up all the same, the focus stays.
  if (const auto edit = tab_.Tab(words_, text, cursor, utf8)) {
    edit_.setText(FromBytes(edit->text, utf8));
    edit_.setCursorPosition(static_cast<int>(FromBytes(edit->text.substr(0, edit->cursor), utf8).size()));
  }
  return true;
}

bool CommandComforts::SearchKey(const QKeyEvent& event) {
  const int key = event.key();
  const Qt::KeyboardModifiers mods = event.modifiers() & ~Qt::KeypadModifier;
  if (key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt || key == Qt::Key_Meta) return true;
  if (key == Qt::Key_R && mods == Qt::ControlModifier) {
    search_.CtrlR({});
  } else if (key == Qt::Key_Backspace) {
    search_.Backspace();
  } else if (key == Qt::Key_Escape) {
    SetLine(search_.Cancel());
    return true;
  } else if (!event.text().isEmpty() && event.text()[0] >= QChar(' ') && !(mods & ~Qt::ShiftModifier)) {
    search_.Type(ToBytes(event.text(), Utf8()));
  } else {
    // Enter sends the match; any other key takes it and acts on it.
    SetLine(search_.Accept());
    return false;
  }
  ShowSearch();
  return true;
}

void CommandComforts::ShowSearch() {
  const bool utf8 = Utf8();
  const QString prompt = FromBytes(search_.Prompt(), utf8);
  const std::string shown = search_.Shown();
  edit_.setText(prompt + FromBytes(shown, utf8));
  const auto at = static_cast<int>(prompt.size() + FromBytes(shown.substr(0, search_.MatchOffset()), utf8).size());
  const auto length = static_cast<int>(FromBytes(search_.Query(), utf8).size());
  if (length > 0 && !search_.Failing()) edit_.setSelection(at, length);
}

void CommandComforts::SetLine(const std::string& text) {
  edit_.setText(FromBytes(text, Utf8()));
  edit_.setCursorPosition(static_cast<int>(edit_.text().size()));
}

}  // namespace ombrel
