// Names for the controls a screen reader announces. The dialogs place their
// labels above or beside the fields they name, not in layouts, so each
// unnamed field takes the label nearest above it or on its left as its
// buddy (Alt with the label's letter reaches it) and its text as its
// accessible name.
#pragma once

class QWidget;

namespace ombrel {

// Names every control below `root` that has no name yet by its label.
void NameControlsByLabels(QWidget* root);

}  // namespace ombrel

namespace ombrel {

// From now on every window is named so when it is first shown.
void NameControlsWhenShown();

}  // namespace ombrel
