#include "util/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace ombrel {

namespace fs = std::filesystem;

namespace {

WriteResult Failure(const std::string& what) {
  return {false, what + ": " + std::strerror(errno)};
}

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

WriteResult WriteFileAtomically(const std::string& path, const std::string& bytes) {
  fs::path target(path);
  fs::path dir = target.parent_path();
  if (!dir.empty()) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec) return {false, "cannot create " + dir.string() + ": " + ec.message()};
  }
  std::string tmpl = (dir.empty() ? fs::path(".") : dir).string() + "/." +
                     target.filename().string() + ".XXXXXX";
  int fd = ::mkstemp(tmpl.data());
  if (fd < 0) return Failure("cannot create a temporary file for " + path);
  bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  int saved = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    saved = errno;
  }
  if (ok) {
    // mkstemp creates the file readable by its owner only.
    ::chmod(tmpl.c_str(), 0644);
    if (::rename(tmpl.c_str(), path.c_str()) == 0) return {};
    saved = errno;
  }
  ::unlink(tmpl.c_str());
  errno = saved;
  return Failure("cannot write " + path);
}

}  // namespace ombrel
