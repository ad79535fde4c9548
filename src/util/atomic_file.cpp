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

// Unlike mkstemp, which makes a file only its owner may read, creates it
// as any program creates a file: read and write for all, less the umask.
int CreateTemporary(const std::string& base, std::string& name) {
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 1000; ++attempt) {
    name = base + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
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
  const std::string base = (dir.empty() ? fs::path(".") : dir).string() + "/." + target.filename().string() + ".";
  std::string tmpl;
  const int fd = CreateTemporary(base, tmpl);
  if (fd < 0) return Failure("cannot create a temporary file for " + path);
  // A file replaced keeps who may read it (accounts.dat holds passwords a
  // user may have hidden from others); a new one gets the usual mode.
  struct stat old {};
  bool ok = (::stat(path.c_str(), &old) != 0 || ::fchmod(fd, old.st_mode & 07777) == 0) &&
            WriteAll(fd, bytes) && ::fsync(fd) == 0;
  int saved = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    saved = errno;
  }
  if (ok) {
    if (::rename(tmpl.c_str(), path.c_str()) == 0) return {};
    saved = errno;
  }
  ::unlink(tmpl.c_str());
  errno = saved;
  return Failure("cannot write " + path);
}

}  // namespace ombrel
