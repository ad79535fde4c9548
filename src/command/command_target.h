// What the command processor and the command line need from the terminal
// window they serve. The terminal implements it; tests record through it.
#pragma once

#include <string>

#include "options/options.h"

namespace ombrel {

struct CommandTarget {
  virtual ~CommandTarget() = default;

  // The terminal's option set; null while it has none.
  virtual const TOptions* Options() const = 0;
  virtual bool Connected() const = 0;
  // The server echoes what is typed, hiding it (a password): a typed line
  // leaves no trace.
  virtual bool ServerEchoes() const { return false; }
  // One write on the socket, bytes exactly as given (already escaped).
  virtual void Send(const std::string& bytes) = 0;
  // Local text into the terminal (the terminal's WriteText).
  virtual void WriteText(const std::string& text, bool checkTriggers) = 0;
  // Text of the line store's current line, margin included.
  virtual std::string CurrentLineText() const = 0;
};

// The view scrolling the command line's keyboard shortcuts drive.
struct ScrollTarget {
  virtual ~ScrollTarget() = default;
  // Scroll by `lines` (negative: up) and repaint; clamped at the ends.
  virtual void ScrollBy(int lines) = 0;
  // Text rows the view shows, and the line store's curline.
  virtual int Rows() const = 0;
  virtual int CurLine() const = 0;
};

// The parameter prompt: shows `name`, waits modally and returns what the
// user typed, however the prompt was closed.
struct ParamPrompt {
  virtual ~ParamPrompt() = default;
  virtual std::string Ask(const std::string& name) = 0;
};

}  // namespace ombrel
