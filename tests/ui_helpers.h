// What the window tests do alike.
#pragma once

#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>

#include "app/ui/main_form.h"
#include "term/ui/term_form.h"

namespace ombrel::testing {

// Makes `t` the active terminal, as a click on its window does.
inline void ActivateTerminal(TmainForm& main, TtermForm* t) {
  main.Workspace()->setActiveSubWindow(t->subWindow);
  QCoreApplication::processEvents();
}

}  // namespace ombrel::testing
