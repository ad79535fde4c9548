// What the terminal core needs from the platform, kept small so tests can
// stand in for the socket, the sound player and the windows around it.
#pragma once

#include <stdexcept>
#include <string>

namespace ombrel {

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

// What a terminal asks of the one window holding it. Without one it counts
// as the active terminal and its error boxes go unshown. What it tells, it
// tells its listeners (term_listener.h).
class TermHost {
 public:
  virtual ~TermHost() = default;
  // Is this terminal the main window's active one?
  virtual bool IsActive() const = 0;
  virtual void ErrorBox(const std::string& text, const std::string& caption) = 0;
};

}  // namespace ombrel
