#include "util/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <new>

namespace ombrel {

namespace {

// Reads the whole file into `buffer`, which keeps `Room()` bytes at
// `Data()` and grows with `Grow(have, want)`, keeping what it has.
template <typename Buffer>
ReadResult ReadAll(const std::string& path, Buffer& buffer) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return {true, false, {}};
    return {false, true, "cannot open " + path + ": " + std::strerror(errno)};
  }
  // Read straight into a buffer of the file's size: a log of hundreds of
  // megabytes is then neither copied twice nor moved as it grows. The byte
  // past the end is room for the read that finds the end of the file.
  struct stat st;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
    buffer.Grow(0, static_cast<size_t>(st.st_size) + 1);
  size_t have = 0;
  for (;;) {
    if (have == buffer.Room()) buffer.Grow(have, have + 65536);  // the file grew, or its size is unknown
    ssize_t n = ::read(fd, buffer.Data() + have, buffer.Room() - have);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      int saved = errno;
      ::close(fd);
      buffer.Finish(0);
      return {false, true, "cannot read " + path + ": " + std::strerror(saved)};
    }
    have += static_cast<size_t>(n);
  }
  buffer.Finish(have);
  ::close(fd);
  return {};
}

struct StringBuffer {
  std::string& bytes;
  size_t Room() const { return bytes.size(); }
  char* Data() { return bytes.data(); }
  void Grow(size_t, size_t want) { bytes.resize(want); }
  void Finish(size_t have) { bytes.resize(have); }
};

}  // namespace

class FileBytesAccess {
 public:
  explicit FileBytesAccess(FileBytes& bytes) : b_(bytes) {}
  size_t Room() const { return b_.capacity_; }
  char* Data() { return b_.data_.get(); }
  void Grow(size_t have, size_t want) {
    // A file that keeps growing is read in ever larger pieces.
    size_t capacity = std::max(want, 2 * b_.capacity_);
    if (capacity >= kHugePage) capacity = (capacity + kHugePage - 1) & ~(kHugePage - 1);
    BlockPtr p = capacity < kHugePage ? AllocateBlock(capacity) : AllocateHugeBlock(capacity);
    if (have) std::memcpy(p.get(), b_.data_.get(), have);
    b_.data_ = std::move(p);
    b_.capacity_ = capacity;
  }
  void Finish(size_t have) {
    b_.size_ = have;
    if (have == 0) {
      b_.data_.reset();
      b_.capacity_ = 0;
    }
  }

 private:
  FileBytes& b_;
};

ReadResult ReadFileBytes(const std::string& path, std::string& bytes) {
  bytes.clear();
  StringBuffer buffer{bytes};
  return ReadAll(path, buffer);
}

ReadResult ReadFileBytes(const std::string& path, FileBytes& bytes) {
  bytes = FileBytes();
  FileBytesAccess buffer(bytes);
  return ReadAll(path, buffer);
}

std::vector<std::string> SplitFileLines(std::string_view bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t lf = bytes.find('\n', start);
    size_t end = lf == std::string_view::npos ? bytes.size() : lf;
    size_t len = end - start;
    // A file cut off between CR and LF ends its last line at the CR too.
    if (len > 0 && bytes[end - 1] == '\r') --len;
    lines.emplace_back(bytes.substr(start, len));
    if (lf == std::string_view::npos) break;
    start = lf + 1;
  }
  return lines;
}

std::optional<int32_t> ParseInt32(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  // from_chars takes a '-' but no '+'.
  if (i < text.size() && text[i] == '+') {
    ++i;
    if (i < text.size() && text[i] == '-') return std::nullopt;
  }
  int32_t value = 0;
  const char* first = text.data() + i;
  const char* last = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(first, last, value, 10);
  if (ec != std::errc() || ptr != last) return std::nullopt;
  return value;
}

}  // namespace ombrel
