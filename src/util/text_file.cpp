#include "util/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>

namespace ombrel {

ReadResult ReadFileBytes(const std::string& path, std::string& bytes) {
  bytes.clear();
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return {true, false, {}};
    return {false, true, "cannot open " + path + ": " + std::strerror(errno)};
  }
  // Read straight into a buffer of the file's size: a log of hundreds of
  // megabytes is then neither copied twice nor moved as it grows.
  struct stat st;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) bytes.resize(static_cast<size_t>(st.st_size));
  size_t have = 0;
  for (;;) {
    if (have == bytes.size()) bytes.resize(have + 65536);  // the file grew, or its size is unknown
    ssize_t n = ::read(fd, bytes.data() + have, bytes.size() - have);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      int saved = errno;
      ::close(fd);
      bytes.clear();
      return {false, true, "cannot read " + path + ": " + std::strerror(saved)};
    }
    have += static_cast<size_t>(n);
  }
  bytes.resize(have);
  ::close(fd);
  return {};
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
