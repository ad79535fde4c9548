// The dialogs the option set editor opens: message boxes, the colour,
// font and sound file pickers and the name prompts. The editor and its tabs
// call them through these functions so that tests can answer in their place.
#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "options/option_edit.h"

class QWidget;

namespace ombrel {

class TaddOptionSetForm;

struct EditorDialogs {
  AskFn ask;
  // Colour and font: nothing when cancelled.
  std::function<std::optional<Color>(Color initial)> chooseColor;
  std::function<std::optional<TFontDesc>(const TFontDesc& current)> chooseFont;
  std::function<QString(const QString& current)> chooseSoundFile;
  // The name prompt of new triggers and aliases: the trimmed, non-empty
  // name, or nothing when cancelled.
  // What was typed: the tab asking holds it in its set's bytes.
  std::function<std::optional<QString>(const QString& caption, const QString& label)> askName;
  // The new set dialog: the name, or nothing when cancelled.
  std::function<std::optional<std::string>()> askNewSetName;
};

// Binds every dialog to the platform's, opened over `parent`; new set names
// come from `addForm` (none: never asked).
void BindPlatformDialogs(EditorDialogs& dialogs, QWidget* parent, TaddOptionSetForm* addForm);

}  // namespace ombrel
