// Saving a file must never destroy the previous one: the new content goes to
// a temporary file beside it, is flushed to disk, and then replaces the old.
#pragma once

#include <string>

namespace ombrel {

struct WriteResult {
  bool ok = true;
  std::string error;  // the reason, for the message shown to the user
};

// Creates the parent directory when it is missing. A new file is made as
// any program makes one (0666 less the umask: 0644 as usually set); a file
// replaced keeps its mode.
WriteResult WriteFileAtomically(const std::string& path, const std::string& bytes);

}  // namespace ombrel
