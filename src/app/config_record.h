// config.cfg: the main window's placement, the last account, expert mode,
// the toolbar and the last directory, as one 280-byte little-endian record.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "util/atomic_file.h"
#include "util/text_file.h"

namespace ombrel {

inline constexpr size_t kConfigRecordSize = 280;
inline constexpr size_t kLastDirMax = 255;

struct TConfigRecord {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
  int32_t accountIndex = 0;  // -1 for none
  uint8_t expertMode = 0;
  uint8_t toolbarVisible = 0;
  std::string lastDir;  // at most kLastDirMax bytes; SetLastDir cuts
  bool operator==(const TConfigRecord&) const = default;
};

// Cuts `dir` to the 255 bytes the record has room for.
void SetLastDir(TConfigRecord& config, std::string_view dir);

// The values in force before config.cfg is read: toolbar shown, expert
// mode off, file dialogs in the data directory; the rest stays as it is.
void PresetConfig(TConfigRecord& config, std::string_view dataDir);

// Bytes past the directory's length and the two padding bytes are 0.
std::array<uint8_t, kConfigRecordSize> EncodeConfig(const TConfigRecord& config);

// Reads the first record of `bytes`. Fewer than 280 bytes is a failure and
// leaves `config` untouched.
bool DecodeConfig(std::string_view bytes, TConfigRecord& config);

// A missing, unreadable or short file is a failure (the window warns
// "Failed to read config file.") and leaves `config` as it was.
ReadResult ReadConfigFile(const std::string& path, TConfigRecord& config);

// Writes through a temporary file (the window reports "Failed to write
// config file." on failure); a missing data directory is created.
WriteResult WriteConfigFile(const std::string& path, const TConfigRecord& config);

}  // namespace ombrel
