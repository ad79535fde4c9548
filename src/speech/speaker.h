// A voice that reads text aloud, one text at a time; the program's is the
// system's speech engine, the tests' a fake that records.
#pragma once

#include <functional>
#include <string>

namespace ombrel {

class Speaker {
 public:
  virtual ~Speaker() = default;
  // False when no speech engine could be started.
  virtual bool Available() const = 0;
  // Starts reading `text` (UTF-8); Done is called when it has been read.
  virtual void Say(const std::string& text) = 0;
  // Stops the text being read; Done is not called for it.
  virtual void Stop() = 0;
  virtual bool Speaking() const = 0;
  // -10 (slowest) to 10; the engine's name of a voice, empty for its own.
  virtual void Configure(int rate, const std::string& voice) = 0;

  std::function<void()> Done;
};

}  // namespace ombrel
