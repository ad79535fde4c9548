// MCCP2 on the receive path: from the byte after the server's IAC SB 86
// IAC SE its output is one zlib stream, inflated here before the telnet
// parser sees it, until the stream ends (plain again from the next byte) or
// fails (the connection is closed, what was inflated before is kept).
#include "term/term_core.h"

namespace ombrel {

void TermCore::TelnetLog(const std::string& text) {
  if (events_.telnetLog) events_.telnetLog(*this, text);
}

void TermCore::ResetCompression() {
  inflate_.Stop();
  mccp_.TakeStart();
  compressionFailed_ = false;
  compressionError_.clear();
}

std::string TermCore::Decompress(std::string_view raw, size_t& inflatedEnd) {
  std::string out;
  // After a failure nothing the server sends can be read any more.
  if (compressionFailed_) return out;
  const InflateStream::Result result = inflate_.Inflate(raw, out);
  inflatedEnd = out.size();
  if (result.status == InflateStream::Status::Ended) {
    TelnetLog("MCCP2 compression ended");
    out.append(raw.substr(result.used));
  } else if (result.status == InflateStream::Status::Failed) {
    TelnetLog("MCCP2 compression failed: " + inflate_.Error());
    compressionFailed_ = true;
    compressionError_ = inflate_.Error();
  }
  return out;
}

void TermCore::StartCompression(std::string& block, size_t pos, size_t& inflatedEnd) {
  // A start inside compressed data cannot be told apart from a server that
  // lost its way; the stream in progress goes on.
  if (pos < inflatedEnd || inflate_.Active()) {
    TelnetLog("MCCP2 start inside compressed data ignored");
    return;
  }
  if (!inflate_.Start()) {
    TelnetLog("MCCP2 compression failed: " + inflate_.Error());
    compressionFailed_ = true;
    compressionError_ = inflate_.Error();
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
  WriteText("Compression error: " + reason + ".\r\n", false);
  if (socket_) socket_->Close();
}

}  // namespace ombrel
