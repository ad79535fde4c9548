// The find dialog: edits the current terminal's search; the search itself
// and its state belong to the terminal's view.
#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ombrel {

class TdModule;
class TmainForm;

class TfindForm : public QDialog {
  Q_OBJECT
 public:
  TfindForm(TmainForm* main, TdModule* module);

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
  TmainForm* main_;
  TdModule* module_;
};

}  // namespace ombrel
