// What the terminal core needs from the platform, kept small so tests can
// stand in for the socket, the sound player and the windows around it.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>

namespace ombrel {

class TermCore;

enum class SocketErrorKind { General, Send, Receive, Connect, Disconnect, Accept, Lookup };

class IClientSocket {
 public:
  virtual ~IClientSocket() = default;
  // One write of all the bytes; ignored while not connected.
  virtual void SendText(const std::string& bytes) = 0;
  // Open in any state, from the lookup until the disconnect: it can be closed.
  virtual bool Active() const = 0;
  // Connected to the peer: only now do sent bytes leave. Sockets that connect
  // at once need not tell the two apart.
  virtual bool Established() const { return Active(); }
  virtual void Close() = 0;
  // Numeric address if one was set, else empty; the host name; the port.
  virtual std::string Address() const = 0;
  virtual std::string Host() const = 0;
  virtual int Port() const = 0;
};

// One player for the whole program: a new sound replaces the one playing.
// Play throws std::exception when the file cannot be opened or played.
class ISoundPlayer {
 public:
  virtual ~ISoundPlayer() = default;
  virtual void Play(const std::string& fileName) = 0;
};

// The windows around a terminal; any of them may be left unassigned.
struct TermEvents {
  // Is this terminal the main window's active one?
  std::function<bool(const TermCore&)> isActive;
  std::function<void(TermCore&)> tabsChanged;
  std::function<void(TermCore&)> disconnectChanged;
  std::function<void(TermCore&)> captionChanged;
  // After each block: follow the end if the view does, then repaint.
  std::function<void(TermCore&)> repaint;
  // The store was emptied: drop the selection and repaint.
  std::function<void(TermCore&)> cleared;
  // A log was loaded: show its first line.
  std::function<void(TermCore&)> showTop;
  std::function<void(TermCore&, const std::string& text, const std::string& caption)> errorBox;
  // A negotiation step of this terminal's telnet parser, for the console.
  std::function<void(TermCore&, const std::string& text)> telnetLog;
};

}  // namespace ombrel
