// Reading the program's own data files: the whole file as bytes, its lines,
// and the integers stored in them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ombrel {

struct ReadResult {
  bool ok = true;
  bool existed = true;  // false: there was no file; not a failure
  std::string error;    // the reason, for the message shown to the user
};

// A missing file gives ok with existed false and no bytes.
ReadResult ReadFileBytes(const std::string& path, std::string& bytes);

// Lines end at CR LF or at a lone LF; a lone CR stays part of the line.
// A last line without a line end still counts; a line end at the very end
// adds no empty line.
std::vector<std::string> SplitFileLines(std::string_view bytes);

// A signed 32-bit decimal number, optionally signed and preceded by blanks.
// Anything else (empty, other characters, out of range) gives nothing.
std::optional<int32_t> ParseInt32(std::string_view text);

}  // namespace ombrel
