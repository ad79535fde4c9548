#include "telnet/inflate_stream.h"

#include <zlib.h>

#include <algorithm>
#include <string>

namespace ombrel {

namespace {
// Text compresses to a fifth or less: room for several times the input
// keeps the calls into zlib few.
constexpr size_t kMinRoom = 16 * 1024;
}  // namespace

InflateStream::InflateStream() : z_(std::make_unique<z_stream_s>()) {}

InflateStream::~InflateStream() { Stop(); }

bool InflateStream::Start() {
  Stop();
  *z_ = z_stream_s{};
  error_.clear();
  if (inflateInit(z_.get()) != Z_OK) {
    error_ = z_->msg ? z_->msg : "cannot start inflating";
    return false;
  }
  active_ = true;
  return true;
}

void InflateStream::Stop() {
  if (active_) inflateEnd(z_.get());
  active_ = false;
}

InflateStream::Result InflateStream::Inflate(std::string_view in, std::string& out) {
  if (!active_) return {0, Status::Ended};
  z_->next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  z_->avail_in = static_cast<uInt>(in.size());
  int rc = Z_OK;
  const size_t before = out.size();
  while (rc == Z_OK) {
    if (out.size() - before > kMaxOutputPerCall) {
      error_ = "one read inflated to more than " + std::to_string(kMaxOutputPerCall >> 20) + " MiB";
      Stop();
      return {in.size() - z_->avail_in, Status::Failed};
    }
    const size_t had = out.size(), room = std::max({kMinRoom, in.size() * 4, had - before});
    out.resize(had + room);
    z_->next_out = reinterpret_cast<Bytef*>(out.data() + had);
    z_->avail_out = static_cast<uInt>(room);
    rc = inflate(z_.get(), Z_NO_FLUSH);
    out.resize(had + room - z_->avail_out);
    // Room left over means zlib took all it could from this input.
    if (z_->avail_out != 0) break;
  }
  const size_t used = in.size() - z_->avail_in;
  // Z_BUF_ERROR here only says the input ran out in the middle: the rest
  // comes with the next read.
  if (rc == Z_OK || rc == Z_BUF_ERROR) return {used, Status::Going};
  if (rc != Z_STREAM_END) error_ = z_->msg ? z_->msg : zError(rc);
  Stop();
  return {used, rc == Z_STREAM_END ? Status::Ended : Status::Failed};
}

}  // namespace ombrel
