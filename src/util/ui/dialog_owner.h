// Dialogs shared by several windows open above the one that asks.
#pragma once

#include <QDialog>

namespace ombrel {

// Window managers stack a dialog above its parent, not above other windows
// of the program: a prompt parented to the main window opens underneath an
// editor that stays on top. So a shared prompt moves to the window asking.
inline void OwnDialogBy(QDialog* dialog, QWidget* asker) {
  if (!asker) return;
  QWidget* owner = asker->window();
  if (dialog->parentWidget() != owner) dialog->setParent(owner, dialog->windowFlags());
}

}  // namespace ombrel
