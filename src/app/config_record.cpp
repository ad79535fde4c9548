#include "app/config_record.h"

#include <algorithm>

namespace ombrel {

namespace {

constexpr size_t kLeft = 0, kTop = 4, kWidth = 8, kHeight = 12, kAccountIndex = 16;
constexpr size_t kExpertMode = 20, kToolbarVisible = 21, kLastDir = 22;

void PutInt32(std::array<uint8_t, kConfigRecordSize>& out, size_t at, int32_t value) {
  uint32_t v = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

int32_t GetInt32(std::string_view in, size_t at) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(static_cast<uint8_t>(in[at + i])) << (8 * i);
  return static_cast<int32_t>(v);
}

}  // namespace

void SetLastDir(TConfigRecord& config, std::string_view dir) {
  config.lastDir = std::string(dir.substr(0, kLastDirMax));
}

void PresetConfig(TConfigRecord& config, std::string_view dataDir) {
  config.toolbarVisible = 1;
  config.expertMode = 0;
  SetLastDir(config, dataDir);
}

std::array<uint8_t, kConfigRecordSize> EncodeConfig(const TConfigRecord& config) {
  std::array<uint8_t, kConfigRecordSize> out{};
  PutInt32(out, kLeft, config.left);
  PutInt32(out, kTop, config.top);
  PutInt32(out, kWidth, config.width);
  PutInt32(out, kHeight, config.height);
  PutInt32(out, kAccountIndex, config.accountIndex);
  out[kExpertMode] = config.expertMode;
  out[kToolbarVisible] = config.toolbarVisible;
  // A directory longer than the record holds is cut, never spilled into
  // the padding.
  size_t len = std::min(config.lastDir.size(), kLastDirMax);
  out[kLastDir] = static_cast<uint8_t>(len);
  for (size_t i = 0; i < len; ++i) out[kLastDir + 1 + i] = static_cast<uint8_t>(config.lastDir[i]);
  return out;
}

bool DecodeConfig(std::string_view bytes, TConfigRecord& config) {
  if (bytes.size() < kConfigRecordSize) return false;
  TConfigRecord c;
  c.left = GetInt32(bytes, kLeft);
  c.top = GetInt32(bytes, kTop);
  c.width = GetInt32(bytes, kWidth);
  c.height = GetInt32(bytes, kHeight);
  c.accountIndex = GetInt32(bytes, kAccountIndex);
  c.expertMode = static_cast<uint8_t>(bytes[kExpertMode]);
  c.toolbarVisible = static_cast<uint8_t>(bytes[kToolbarVisible]);
  size_t len = static_cast<uint8_t>(bytes[kLastDir]);  // at most 255: always inside the record
  c.lastDir = std::string(bytes.substr(kLastDir + 1, len));
  config = std::move(c);
  return true;
}

ReadResult ReadConfigFile(const std::string& path, TConfigRecord& config) {
  std::string bytes;
  ReadResult r = ReadFileBytes(path, bytes);
  if (!r.ok) return r;
  if (!r.existed) return {false, false, "cannot open " + path + ": No such file or directory"};
  if (!DecodeConfig(bytes, config))
    return {false, true,
            path + " holds " + std::to_string(bytes.size()) + " bytes, fewer than one record of " +
                std::to_string(kConfigRecordSize)};
  return r;
}

WriteResult WriteConfigFile(const std::string& path, const TConfigRecord& config) {
  auto bytes = EncodeConfig(config);
  return WriteFileAtomically(path, std::string(bytes.begin(), bytes.end()));
}

}  // namespace ombrel
