// What a terminal window needs of the window that holds it. The terminal
// knows nothing of the main window, the actions or the dialogs beyond this;
// the main window is the one real owner, tests may supply a smaller one.
#pragma once

#include <QKeyCombination>
#include <optional>
#include <string>

class QMenu;
class QWidget;

namespace ombrel {

class ISoundPlayer;
class TtermForm;

class TermOwner {
 public:
  virtual ~TermOwner() = default;

  // Output goes unmarked in the tabs only for the terminal the user is at.
  virtual bool IsCurrentTerminal(const TtermForm* terminal) const = 0;
  // Caption or unseen-output mark changed.
  virtual void TerminalTabsChanged() = 0;
  virtual void TerminalConnectionChanged(TtermForm* terminal) = 0;
  virtual void TerminalClosed(TtermForm* terminal) = 0;

  // The shared context menu, or none while the actions do not exist yet.
  virtual QMenu* TerminalContextMenu(QWidget* parent) = 0;
  virtual void SetDragTimerRunning(bool running) = 0;
  virtual void LinkUnderPointer(bool onLink) = 0;
  virtual void TerminalSelectionDone() = 0;

  virtual void TerminalTelnetLog(TtermForm* terminal, const std::string& text) = 0;
  // The shared parameter prompt, its answer as UTF-8 for a set that shows
  // UTF-8; none means the terminal asks by itself.
  virtual std::optional<std::string> AskParameter(const std::string& name, bool utf8) = 0;
  virtual ISoundPlayer& SoundOutput() = 0;
  // A key of the program's commands: the command line must let it through
  // rather than take it as its own editing key.
  virtual bool IsCommandKey(QKeyCombination key) const = 0;
  // The folder of the option sets' scripts (data/scripts), as bytes
  // without a slash at the end; empty: terminals run no scripts.
  virtual std::string ScriptsDir() const { return {}; }
  // Where the speech settings are kept; empty: the defaults are used.
  virtual std::string SpeechSettingsPath() const { return {}; }
};

}  // namespace ombrel
