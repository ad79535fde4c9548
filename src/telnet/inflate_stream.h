// zlib's inflate over a stream that arrives in pieces of any size: what a
// compressing server sends after it says so, until its stream ends. zlib
// stays inside the .cpp so the terminal core need not see it.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

struct z_stream_s;

namespace ombrel {

class InflateStream {
 public:
  enum class Status { Going, Ended, Failed };
  struct Result {
    size_t used;  // bytes of the input that belonged to the stream
    Status status;
  };

  InflateStream();
  ~InflateStream();
  InflateStream(const InflateStream&) = delete;
  InflateStream& operator=(const InflateStream&) = delete;

  // A new stream begins with the next byte fed; one in progress is dropped.
  // False when zlib cannot start one (no memory).
  bool Start();
  void Stop();
  bool Active() const { return active_; }
  // Appends what `in` inflates to, at most `limit` bytes. While the stream
  // goes on, all of `in` is used unless the limit stopped it first; once it
  // ends, the bytes after its end are not, and belong to whatever follows.
  // A failed stream stops, and Error says why.
  Result Inflate(std::string_view in, std::string& out, size_t limit);
  // Whether two bytes begin a zlib stream: deflate, a window zlib can
  // take, and the header's check.
  static bool IsStreamHeader(unsigned char cmf, unsigned char flg);

  const std::string& Error() const { return error_; }

 private:
  std::unique_ptr<z_stream_s> z_;
  bool active_ = false;
  std::string error_;
};

}  // namespace ombrel
