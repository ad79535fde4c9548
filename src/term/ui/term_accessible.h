// The terminal's output as assistive technology sees it: a read-only text
// of role terminal whose characters are the lines without their colours.
// A session may hold millions of lines, so the text is served in the
// pieces asked for, a line found from its offset by the reader's index,
// and never more than kMaxPiece characters at once.
#pragma once

#include <QAccessibleWidget>

namespace ombrel {

class TermReader;
class TtermForm;

class TermAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
 public:
  static constexpr int kMaxPiece = 64 * 1024;

  // The output of `form`, whose reader serves the text once it is made.
  TermAccessible(QWidget* output, TtermForm& form, const QString& name);

  QString text(QAccessible::Text t) const override;
  QAccessible::State state() const override;
  void* interface_cast(QAccessible::InterfaceType t) override;

  // QAccessibleTextInterface
  void selection(int, int* startOffset, int* endOffset) const override { *startOffset = *endOffset = 0; }
  int selectionCount() const override { return 0; }
  void addSelection(int, int) override {}
  void removeSelection(int) override {}
  void setSelection(int, int, int) override {}
  int cursorPosition() const override;
  void setCursorPosition(int) override {}
  QString text(int startOffset, int endOffset) const override;
  QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                           int* endOffset) const override;
  QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                          int* endOffset) const override;
  QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                       int* endOffset) const override;
  int characterCount() const override;
  QRect characterRect(int) const override { return {}; }
  int offsetAtPoint(const QPoint&) const override { return -1; }
  void scrollToSubstring(int, int) override {}
  QString attributes(int offset, int* startOffset, int* endOffset) const override;

 private:
  // The span of the unit of `type` holding `offset`.
  std::pair<int, int> Unit(int offset, QAccessible::TextBoundaryType type) const;
  std::pair<int, int> LineSpan(int line) const;

  TermReader* Reader() const;

  TtermForm& form_;
  QString name_;
};

// The object name that marks a terminal's output.
inline constexpr char kOutputName[] = "ombrelOutput";

// Installs the factory that gives each terminal's output this interface.
void InstallTermAccessible();

}  // namespace ombrel
