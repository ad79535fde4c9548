// MCCP2 on the receive path: from the byte after the server's IAC SB 86
// IAC SE its output is one zlib stream, inflated here before the telnet
// parser sees it, until the stream ends (plain again from the next byte) or
// fails (the connection is closed, what was inflated before is kept). A
// start not followed by a zlib header is refused; a read inflates to a
// bounded size, whatever streams it holds.
#include "term/term_core.h"

namespace ombrel {

void TermCore::TelnetLog(const std::string& text) {
  listeners_.Tell(&TermListener::TelnetLog, text);
}

void TermCore::ResetCompression() {
  inflate_.Stop();
  mccp_.TakeStart();
  compressionFailed_ = false;
  compressionError_.clear();
  awaitingStream_ = false;
  streamHead_.clear();
}

void TermCore::CompressionFailed(const std::string& reason) {
  TelnetLog("MCCP2 compression failed: " + reason);
  compressionFailed_ = true;
  compressionError_ = reason;
}

std::string TermCore::Decompress(std::string_view raw, size_t& inflatedEnd) {
  std::string out;
  // After a failure nothing the server sends can be read any more.
  if (compressionFailed_) return out;
  const InflateStream::Result result = inflate_.Inflate(raw, out, inflateRoom_);
  inflateRoom_ -= out.size();
  inflatedEnd = out.size();
  if (result.status == InflateStream::Status::Ended) {
    TelnetLog("MCCP2 compression ended");
    out.append(raw.substr(result.used));
  } else if (result.status == InflateStream::Status::Failed) {
    CompressionFailed(inflate_.Error());
  } else if (result.used < raw.size()) {
    // The read's room is used up with its stream still going: a bomb, or
    // text no server sends at once. What came out so far is shown.
    inflate_.Stop();
    CompressionFailed("one read inflated to more than " + std::to_string(kMaxInflatedPerRead >> 20) + " MiB");
  }
  return out;
}

void TermCore::StartCompression(std::string& block, size_t pos, size_t& inflatedEnd, std::string& replies) {
  // A start inside compressed data cannot be told apart from a server that
  // lost its way; the stream in progress goes on.
  if (pos < inflatedEnd || inflate_.Active()) {
    TelnetLog("MCCP2 start inside compressed data ignored");
    return;
  }
  // Whether a stream follows is told by its first two bytes; the read may
  // end before them.
  if (block.size() - pos < 2) {
    awaitingStream_ = true;
    streamHead_ = block.substr(pos);
    block.erase(pos);
    return;
  }
  // Some servers send every option's empty sub-negotiation and go on in
  // plain text: that start did not happen, and compression is refused.
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(block[i]); };
  if (!InflateStream::IsStreamHeader(byte(pos), byte(pos + 1))) {
    TelnetLog("MCCP2 start not followed by compressed data: refused");
    std::string refusal;
    parser_.TurnOff(telnet::OPT_MCCP2, true, refusal);
    replies += refusal;
    return;
  }
  if (!inflate_.Start()) {
    CompressionFailed(inflate_.Error());
    block.erase(pos);
    return;
  }
  TelnetLog("MCCP2 compression started");
  size_t end = 0;
  std::string plain = Decompress(std::string_view(block).substr(pos), end);
  block.replace(pos, std::string::npos, plain);
  inflatedEnd = pos + end;
}

void TermCore::ReportCompressionError() {
  const std::string reason = std::move(compressionError_);
  compressionError_.clear();
  Status("Compression error: " + reason + ".");
  if (socket_) socket_->Close();
}

}  // namespace ombrel
