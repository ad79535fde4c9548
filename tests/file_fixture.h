// Helpers for the stored-file tests: a private temporary directory, whole
// files, golden files, damaged inputs, and failing writes.
#pragma once

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace ombrel::test {

struct TempDir {
  std::filesystem::path path = std::filesystem::temp_directory_path() /
      ("ombrel-files-" + std::to_string(::getpid()) + "-" + std::to_string(std::random_device{}()));
  TempDir() { std::filesystem::create_directories(path); }
  ~TempDir() { std::filesystem::remove_all(path); }
  std::string operator/(const std::string& name) const { return (path / name).string(); }
};

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
inline void WriteBytes(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
inline std::string Golden(const std::string& name) { return ReadBytes(std::string(OMBREL_TEST_DATA) + "/" + name); }

// While alive, no file may grow beyond `bytes`, even for a privileged user.
struct FileSizeLimit {
  rlimit saved{};
  explicit FileSizeLimit(rlim_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit lim{bytes, saved.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &lim);
  }
  ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &saved); }
};

// Saving `more` to `path` under a size limit must fail and leave the file
// `saveGood` wrote there (into a directory that did not exist) untouched.
template <class Good, class More>
void ExpectFailedSaveKeepsFile(const std::string& path, Good saveGood, More saveMore) {
  ASSERT_TRUE(saveGood().ok);
  const std::string before = ReadBytes(path);
  {
    FileSizeLimit limit(before.size() / 2);
    auto r = saveMore();
    EXPECT_TRUE(!r.ok && r.error.find(path) != std::string::npos) << r.error;
  }
  EXPECT_EQ(ReadBytes(path), before);
}

// Random bytes without line ends (and tabs, unless asked for).
inline std::string RandomText(std::mt19937& rng, size_t maxLen, bool tabs = false) {
  std::string s(rng() % (maxLen + 1), ' ');
  for (char& c : s)
    do c = static_cast<char>(rng()); while (c == '\r' || c == '\n' || (!tabs && c == '\t'));
  return s;
}

// A cut-off start of `good` followed by random lines, many of them `pieces`,
// ended by CR LF, LF or a lone CR.
inline std::string Damaged(std::mt19937& rng, const std::string& good,
                           const std::vector<std::string>& pieces) {
  std::string s = good.substr(0, rng() % (good.size() + 1));
  for (int i = rng() % 30; i > 0; --i) {
    s += rng() % 2 ? pieces[rng() % pieces.size()] : RandomText(rng, 8, true);
    s += rng() % 3 ? "\r\n" : (rng() % 2 ? "\n" : "\r");
  }
  return s;
}

}  // namespace ombrel::test
