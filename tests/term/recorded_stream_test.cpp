#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "term_fakes.h"

namespace ombrel {
namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A recorded coloured session replayed in reads of several sizes must give
// the store in the golden dump: text, start colour and start bold per line.
TEST(RecordedStream, ReplayMatchesTheGoldenDump) {
  const std::string dir = std::string(OMBREL_TEST_DATA) + "/term/";
  const std::string session = ReadFile(dir + "mud_session.bin");
  const std::string golden = ReadFile(dir + "mud_session.golden");
  ASSERT_FALSE(session.empty());
  ASSERT_FALSE(golden.empty());
  for (size_t chunk : {session.size(), size_t{1}, size_t{7}, size_t{64}}) {
    testing::TermFixture f;
    f.options.ansi = true;
    f.term.cols = 40;
    f.term.rows = 3;
    for (size_t i = 0; i < session.size(); i += chunk) f.term.WriteText(session.substr(i, chunk), true);
    EXPECT_EQ(testing::DumpStore(f.term.Store()), golden) << "reads of " << chunk;
    EXPECT_EQ(f.socket.writes.size(), 1u);  // the status report's answer
  }
}

}  // namespace
}  // namespace ombrel
