// How received text is spoken aloud (data/speech.dat): the rate, the
// voice, and the patterns of lines never spoken. One player hears every
// set in the same voice, so the file has no sections; each set only says
// whether it speaks at all.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "util/atomic_file.h"
#include "util/text_file.h"

namespace ombrel {

struct SpeechSettings {
  int rate = 0;                     // -10 (slowest) to 10, 0 the engine's own
  std::string voice;                // the engine's name for it; empty: its default
  std::vector<std::string> never;   // regular expressions of lines never spoken
  std::vector<std::string> unknown; // lines of keys this version does not know, kept
  bool unreadable = false;          // the file was there but could not be read
  bool operator==(const SpeechSettings&) const = default;
};

SpeechSettings ParseSpeechSettings(std::string_view bytes);
// Nothing at all for the defaults with nothing kept.
std::string FormatSpeechSettings(const SpeechSettings& settings);

ReadResult LoadSpeechSettings(const std::string& path, SpeechSettings& settings);
// A file that could not be read is never written over; what failed is said.
WriteResult SaveSpeechSettings(const std::string& path, const SpeechSettings& settings);

}  // namespace ombrel
