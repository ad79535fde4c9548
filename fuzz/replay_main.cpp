// Runs a fuzz target without libFuzzer: the seeds under fuzz/corpus/<name>/,
// then pseudo-random inputs from a fixed seed, so every build can run the
// same properties as a short deterministic smoke test.
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {
std::string current;

// A failed property aborts: the input goes to stderr first, as a C string.
void PrintInput(int) {
  std::fprintf(stderr, "input (%zu bytes): \"", current.size());
  for (unsigned char c : current) std::fprintf(stderr, (c >= 32 && c < 127 && c != '"' && c != '\\') ? "%c" : "\\x%02x\"\"", c);
  std::fprintf(stderr, "\"\n");
}
}  // namespace

int main(int argc, char** argv) {
  // A file argument runs that input alone; a number sets how many random ones.
  const bool single = argc > 1 && std::filesystem::is_regular_file(argv[1]);
  const int randomInputs = single ? 0 : argc > 1 ? std::atoi(argv[1]) : 2000;
  const auto start = std::chrono::steady_clock::now();
  std::signal(SIGABRT, PrintInput);
  auto run = [](const std::string& s) {
    current = s;
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(s.data()), s.size());
  };
  int seeds = 0;
  std::error_code ec;
  std::vector<std::filesystem::path> files;
  if (single) files.push_back(argv[1]);
  for (const auto& entry : std::filesystem::directory_iterator(single ? "" : OMBREL_FUZZ_CORPUS, ec))
    files.push_back(entry.path());
  for (const auto& file : files) {
    std::ifstream in(file, std::ios::binary);
    run(std::string(std::istreambuf_iterator<char>(in), {}));
    ++seeds;
  }
  // Bytes the parsers act on are drawn far more often than chance would:
  // telnet commands, escapes, line ends, separators, digits and brackets.
  const std::string special = "\xff\xff\xff\xf0\xfa\xfb\xfc\xfd\xfe\x1f\x1b[;m0123456789\r\n\b\t |/[]:/ nsewud";
  std::mt19937 rng(20261207);
  for (int k = 0; k < randomInputs; ++k) {
    std::string s(rng() % 300, '\0');
    for (char& c : s) c = (rng() % 3) ? special[rng() % special.size()] : static_cast<char>(rng());
    run(s);
  }
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  std::printf("%d seeds and %d random inputs in %.0f ms\n", seeds, randomInputs, ms);
  for (const auto& [where, found] : ombrel::fuzz::KnownFindings())
    std::printf("known finding at %s in %d inputs, first: %s\n", where.c_str(), found.first, found.second.c_str());
  return 0;
}
