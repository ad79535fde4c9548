// Files for the stored-file tests: a private temporary directory, whole-file
// reads and writes, the golden files, and a size limit that makes writes fail
// even for a privileged user.
#pragma once

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace ombrel::test {

namespace fs = std::filesystem;

struct TempDir {
  fs::path path = fs::temp_directory_path() /
                  ("ombrel-files-" + std::to_string(::getpid()) + "-" + std::to_string(std::random_device{}()));
  TempDir() { fs::create_directories(path); }
  ~TempDir() { fs::remove_all(path); }
  std::string operator/(const std::string& name) const { return (path / name).string(); }
};

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string Golden(const std::string& name) { return ReadBytes(std::string(OMBREL_TEST_DATA) + "/" + name); }

// While alive, no file may grow beyond `bytes`.
struct FileSizeLimit {
  rlimit saved{};
  explicit FileSizeLimit(rlim_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit lim = saved;
    lim.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &lim);
  }
  ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &saved); }
};

// Random bytes without the characters the files use as separators.
inline std::string RandomText(std::mt19937& rng, size_t maxLen, bool tabs = false) {
  std::string s(rng() % (maxLen + 1), ' ');
  for (char& c : s) {
    do c = static_cast<char>(rng() % 256);
    while (c == '\r' || c == '\n' || (!tabs && c == '\t'));
  }
  return s;
}

}  // namespace ombrel::test
