// Reading the program's own data files: the whole file as bytes, its lines,
// and the integers stored in them.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "util/huge_block.h"

namespace ombrel {

struct ReadResult {
  bool ok = true;
  bool existed = true;  // false: there was no file; not a failure
  std::string error;    // the reason, for the message shown to the user
};

// A file's bytes in memory the read fills directly: unlike a string sized
// for the file, it is not written with zeros first, which for a log of
// hundreds of megabytes costs as much as the read. A large buffer lies on
// huge pages, so filling it faults once every 2 MiB rather than every 4 KiB.
class FileBytes {
 public:
  const char* data() const { return data_.get(); }
  char* data() { return data_.get(); }
  size_t size() const { return size_; }
  // Bytes held, including room the read did not fill.
  size_t capacity() const { return capacity_; }
  std::string_view view() const { return {data_.get(), size_}; }

 private:
  friend class FileBytesAccess;
  BlockPtr data_;
  size_t size_ = 0, capacity_ = 0;
};

// A missing file gives ok with existed false and no bytes.
ReadResult ReadFileBytes(const std::string& path, std::string& bytes);
ReadResult ReadFileBytes(const std::string& path, FileBytes& bytes);

// Lines end at CR LF or at a lone LF; a lone CR stays part of the line.
// A last line without a line end still counts; a line end at the very end
// adds no empty line.
std::vector<std::string> SplitFileLines(std::string_view bytes);

// A signed 32-bit decimal number, optionally signed and preceded by blanks.
// Anything else (empty, other characters, out of range) gives nothing.
std::optional<int32_t> ParseInt32(std::string_view text);

}  // namespace ombrel
