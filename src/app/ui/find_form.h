// The find dialog: edits the current terminal's search; the search itself
// and its state belong to the terminal's view.
#pragma once

#include <QDialog>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ombrel {

class OpenTerminals;

class TfindForm : public QDialog {
  Q_OBJECT
 public:
  // `find` and `findNext` are the program's Find and Find Next commands,
  // which the buttons run and this dialog enables.
  TfindForm(OpenTerminals& terminals, QAction* find, QAction* findNext, QWidget* parent);

  void UpdateFindState();
  // On every occasion the dialog follows the terminals: the full update
  // while it is shown; while hidden, Find stays ready to open it and Find
  // Next follows the current terminal.
  void Refresh();
  // The Find and Find Next actions.
  void Find();
  void FindNextMatch();

  QLabel* Label1;
  QLineEdit* searchEdit;
  QCheckBox* caseCB;
  QCheckBox* selectionCB;
  QPushButton *findBtn, *nextBtn, *closeBtn;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void searchEditKeyPress();
  OpenTerminals& terminals_;
  QAction* find_;
  QAction* findNext_;
};

}  // namespace ombrel
