#include "speech/speech_settings.h"

#include <algorithm>
#include <charconv>
#include <filesystem>

#include "options/options_file.h"

namespace ombrel {

namespace {

constexpr std::string_view kRate = "#rate", kVoice = "#voice", kNever = "#never";
constexpr int kSlowest = -10, kFastest = 10;

// The rest of the line after the key and its tab, as written.
std::string Value(const std::string& line, std::string_view key) {
  return line.size() > key.size() ? line.substr(key.size() + 1) : std::string();
}

int ParseRate(const std::string& text) {
  int rate = 0;
  std::from_chars(text.data(), text.data() + text.size(), rate);
  return std::clamp(rate, kSlowest, kFastest);
}

void AddLine(std::string& out, std::string_view key, std::string_view value) {
  out.append(key).append("\t").append(value).append("\r\n");
}

}  // namespace

SpeechSettings ParseSpeechSettings(std::string_view bytes) {
  SpeechSettings settings;
  for (const std::string& line : SplitFileLines(bytes)) {
    const std::string key = GetField(line, 1);
    if (key == kRate)
      settings.rate = ParseRate(Value(line, kRate));
    else if (key == kVoice)
      settings.voice = Value(line, kVoice);
    else if (key == kNever && !Value(line, kNever).empty())
      settings.never.push_back(Value(line, kNever));
    else if (!line.empty())
      settings.unknown.push_back(line);
  }
  return settings;
}

std::string FormatSpeechSettings(const SpeechSettings& settings) {
  std::string out;
  if (settings.rate != 0) AddLine(out, kRate, std::to_string(settings.rate));
  if (!settings.voice.empty()) AddLine(out, kVoice, settings.voice);
  for (const std::string& pattern : settings.never)
    if (!pattern.empty()) AddLine(out, kNever, pattern);
  for (const std::string& line : settings.unknown) out.append(line).append("\r\n");
  return out;
}

ReadResult LoadSpeechSettings(const std::string& path, SpeechSettings& settings) {
  std::string bytes;
  ReadResult r = ReadFileBytes(path, bytes);
  settings = ParseSpeechSettings(r.ok ? bytes : std::string_view());
  settings.unreadable = !r.ok;
  return r;
}

WriteResult SaveSpeechSettings(const std::string& path, const SpeechSettings& settings) {
  const std::string content = FormatSpeechSettings(settings);
  if (settings.unreadable) {
    if (content.empty()) return {};
    return {false, path + " could not be read at start and is not written over: the speech settings are not saved."};
  }
  std::error_code ec;
  if (content.empty() && !std::filesystem::exists(path, ec)) return {};
  return WriteFileAtomically(path, content);
}

}  // namespace ombrel
