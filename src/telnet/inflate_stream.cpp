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

InflateStream::Result InflateStream::Inflate(std::string_view in, std::string& out, size_t limit) {
  if (!active_) return {0, Status::Ended};
  z_->next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  z_->avail_in = static_cast<uInt>(in.size());
  int rc = Z_OK;
  const size_t before = out.size();
  while (rc == Z_OK) {
    // The room grows with what came out, but never past the limit: what
    // is asked for is what may be used.
    const size_t made = out.size() - before;
    if (made >= limit) break;
    const size_t room = std::min(limit - made, std::max({kMinRoom, in.size() * 4, made}));
    out.resize(before + made + room);
    z_->next_out = reinterpret_cast<Bytef*>(out.data() + before + made);
    z_->avail_out = static_cast<uInt>(room);
    rc = inflate(z_.get(), Z_NO_FLUSH);
    out.resize(before + made + room - z_->avail_out);
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

bool InflateStream::IsStreamHeader(unsigned char cmf, unsigned char flg) {
  return (cmf & 0x0F) == Z_DEFLATED && (cmf >> 4) <= 7 && ((cmf << 8) | flg) % 31 == 0;
}

}  // namespace ombrel
