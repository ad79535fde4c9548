// The platform message box for the editor's warnings and questions.
#pragma once

#include "options/option_edit.h"

class QWidget;

namespace ombrel {

bool ShowMessageBox(QWidget* parent, const Message& message);

}  // namespace ombrel
