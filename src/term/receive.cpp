// The receive path: every text that reaches a terminal, and the connection
// notifications that report on its socket.
#include "term/term_core.h"

#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "command/iac.h"
#include "term/line_walker.h"
#include "term/pattern_triggers.h"

namespace ombrel {

TermCore::TermCore(TOptions* options)
    : options_(options), echo_([this](bool on) { listeners_.Tell(&TermListener::ServerEchoChanged, on); }) {
  if (options_) store_.EditCurrent() = options_->margin;
}

TermCore::~TermCore() { CloseLog(); }

void TermCore::Send(const std::string& bytes) {
  if (socket_) socket_->SendText(bytes);
}

void TermCore::ErrorBox(const std::string& text, const std::string& caption) {
  if (host_) host_->ErrorBox(text, caption);
}

std::string TermCore::RunTelnet(std::string block) {
  // Bytes before inflatedEnd came out of a compressed stream.
  size_t inflatedEnd = 0;
  std::string text, replies, output;
  inflateRoom_ = kMaxInflatedPerRead;
  if (awaitingStream_) {
    // The start of the last read goes on with this one.
    awaitingStream_ = false;
    block.insert(0, std::exchange(streamHead_, {}));
    StartCompression(block, 0, inflatedEnd, replies);
  } else if (inflate_.Active() || compressionFailed_) {
    block = Decompress(block, inflatedEnd);
  }
  if (telnet_ == &parser_) {
    // Most blocks hold no command at all: they are the text as they stand.
    if (replies.empty() && !parser_.Holding() && block.find(static_cast<char>(telnet::IAC)) == std::string::npos)
      return block;
    text.reserve(block.size());
    size_t pos = 0;
    // A piece cut off by the end of the block leaves nothing after it.
    const auto take = [&](int kind) {
      if (kind == ParseIncomplete) return;
      (kind == ParseText ? text : replies) += output;
      if (kind == telnet::SB && mccp_.TakeStart()) StartCompression(block, pos, inflatedEnd, replies);
    };
    // A command cut off by the end of the last read goes on in this one;
    // the parser keeps it until it ends.
    if (parser_.Holding()) take(parser_.Resume(block, pos, output));
    while (pos < block.size()) take(parser_.ParseAt(block, pos, output));
  } else {
    while (!block.empty()) {
      const int kind = telnet_->Parse(block, output);
      if (kind == ParseIncomplete) break;
      (kind == ParseText ? text : replies) += output;
    }
  }
  // Answers go out before any of the block's text is shown.
  if (!replies.empty()) Send(replies);
  return text;
}

void TermCore::clientsocketRead(std::string_view bytes) {
  if (reading_) {
    laterReads_ += bytes;
    return;
  }
  reading_ = true;
  struct Done {
    TermCore& t;
    ~Done() { t.reading_ = false; }
  } done{*this};
  Receive(bytes, true);
  while (!laterReads_.empty()) Receive(std::exchange(laterReads_, {}), true);
}

void TermCore::Receive(std::string_view input, bool checkTriggers) {
  if (!options_) return;
  // Trigger strings may have been edited since the last read; pattern
  // triggers are compiled apart, and compared only when told of a change.
  if (checkTriggers && !options_->features.patterns) triggerFilter_.Update(options_->triggers);
  // What the program writes itself (echoes, status lines) is text, never
  // commands: a typed byte 255 must neither vanish nor answer the server.
  const bool telnet = checkTriggers && options_->telnet && telnet_;
  // Most reads hold no command and follow none cut off: they are the text
  // as it stands, and are not copied.
  const bool asIs = !telnet || (telnet_ == &parser_ && CompressionIdle() && !parser_.Holding() &&
                                input.find(static_cast<char>(telnet::IAC)) == std::string_view::npos);
  std::string text;
  if (!asIs) text = RunTelnet(std::string(input));
  const std::string_view received = asIs ? input : std::string_view(text);
  if (checkTriggers && !escapeTail_.empty()) {
    text = std::exchange(escapeTail_, {}).append(received);
    SplitAtEscapes(text, checkTriggers);
  } else {
    SplitAtEscapes(received, checkTriggers);
  }
  if (checkTriggers) RunPatternTriggers();
  FlushLog();
  // Told after the text inflated before the failure, which is kept.
  if (!compressionError_.empty()) ReportCompressionError();
  listeners_.Tell(&TermListener::TextShown);
}

namespace {

// Whether `text` may hold a sequence the terminal uses up: those end in
// 'J', or are ESC x 5 n and ESC x 6 n. Every read is asked this, so it is
// one pass over the text rather than one for each of the three. With
// kLook, the same pass tells whether an ESC comes before a string's
// introducer.
template <bool kLook>
bool MayConsume(std::string_view text, bool& string) {
  const char* d = text.data();
  const size_t n = text.size();
  if (n == 0) return false;
  if (d[0] == 'J') return true;
  size_t i = 1;
#if defined(__SSE2__)
  const __m128i j = _mm_set1_epi8('J'), en = _mm_set1_epi8('n'), five = _mm_set1_epi8('5'), six = _mm_set1_epi8('6');
  // Nearly every sequence a server sends starts ESC [: only an ESC before
  // anything else is looked at closely.
  const __m128i esc = _mm_set1_epi8(kEsc), csi = _mm_set1_epi8('[');
  for (; i + 16 <= n; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
    const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i - 1));
    const __m128i report = _mm_and_si128(_mm_cmpeq_epi8(v, en),
                                         _mm_or_si128(_mm_cmpeq_epi8(before, five), _mm_cmpeq_epi8(before, six)));
    const __m128i consumed = _mm_or_si128(_mm_cmpeq_epi8(v, j), report);
    if constexpr (kLook) {
      const __m128i other = _mm_andnot_si128(_mm_cmpeq_epi8(v, csi), _mm_cmpeq_epi8(before, esc));
      if (!_mm_movemask_epi8(_mm_or_si128(consumed, other))) continue;
      for (auto m = static_cast<unsigned>(_mm_movemask_epi8(other)); m; m &= m - 1)
        string = string || StartsString(text, i - 1 + static_cast<size_t>(__builtin_ctz(m)));
    }
    if (_mm_movemask_epi8(consumed)) return true;
  }
#endif
  for (; i < n; ++i) {
    if (kLook && d[i - 1] == kEsc) string = string || StartsString(text, i - 1);
    if (d[i] == 'J' || (d[i] == 'n' && (d[i - 1] == '5' || d[i - 1] == '6'))) return true;
  }
  return false;
}

// The first sequence the text ends inside of, or npos: one that neither a
// final character nor a line end follows.
size_t CutOffSequence(std::string_view text, bool strings) {
  size_t i = text.size();
  if (strings) {
    // A string holds final characters: one begun after the last line end,
    // which no sequence runs across, is read from there.
    while (i > 0 && text[i - 1] != '\r' && text[i - 1] != '\n') --i;
    if (MayHoldString(text.substr(i))) {
      SequenceWalker walker(text, true, i);
      for (LinePiece piece; walker.Next(piece);)
        if (piece.kind == PieceKind::CutOff) return piece.begin;
      return std::string_view::npos;
    }
    i = text.size();
  }
  while (i > 0 && !EndsSequence(text[i - 1])) --i;
  return text.find(kEsc, i);
}

}  // namespace

void TermCore::KeepEscapeTail(std::string_view tail) {
  // A string waits for its end up to its own bound; past it, it has one.
  const bool string = options_->features.extendedcolours && StartsString(tail, 0);
  if (tail.size() <= (string ? kMaxStringSequence : kMaxEscapeTail)) escapeTail_ = std::string(tail);
}

void TermCore::SplitAtEscapes(std::string_view text, bool received) {
  const bool strings = options_->features.extendedcolours;
  // Most reads use up no sequence: they are one piece, cut only where a
  // sequence is cut off by the end of the read. Until a string has come,
  // none is looked for but in the pass that is made anyway.
  const bool consume = !options_->ansi || (strings && !stringsSeen_ ? MayConsume<true>(text, stringsSeen_)
                                                                      : MayConsume<false>(text, stringsSeen_));
  if (!consume) {
    const size_t cut = CutOffSequence(text, strings && stringsSeen_);
    if (cut != 0 && !text.empty()) AddText(text.substr(0, cut), received);
    if (cut != std::string_view::npos && received) KeepEscapeTail(text.substr(cut));
    return;
  }
  size_t pieceStart = 0;
  SequenceWalker walker(text, strings);
  for (LinePiece piece; walker.Next(piece);) {
    const size_t pos = piece.begin;
    if (piece.kind == PieceKind::Text) continue;
    if (piece.kind == PieceKind::CutOff) {
      // Cut off by the end of the read: wait for the rest in the next one.
      if (pos > pieceStart) AddText(text.substr(pieceStart, pos - pieceStart), received);
      if (received) KeepEscapeTail(text.substr(pos));
      return;
    }
    // Kept sequences stay in the piece, so a coloured line is assembled in
    // one go rather than once per colour change. A string acts on nothing.
    const size_t end = piece.end - 1;
    const bool string = strings && StartsString(text, pos);
    stringsSeen_ = stringsSeen_ || string;
    if (options_->ansi && (string || !ConsumesEscape(walker.Params(piece), text[end]))) continue;
    if (pos > pieceStart) AddText(text.substr(pieceStart, pos - pieceStart), received);
    if (options_->ansi) ApplyEscape(walker.Params(piece), text[end]);
    pieceStart = piece.end;
  }
  if (pieceStart < text.size()) AddText(text.substr(pieceStart), received);
}

bool TermCore::ConsumesEscape(std::string_view params, char final) {
  return final == 'J' || (final == 'n' && (params == "5" || params == "6"));
}

bool TermCore::ApplyEscape(std::string_view params, char final) {
  switch (final) {
    case 'J':
      // The old lines stay above; the view shows a fresh, empty screen.
      store_.EditCurrent().clear();
      store_.SetCurrentContinues(false);
      for (int i = 0; i < rows; ++i) NewLine({}, true);
      return true;
    case 'n':
      if (params == "5") {
        Send("\x1b[0n");
        return true;
      }
      if (params == "6") {
        // Shown as UTF-8 the server asks where the cursor stands: in cells.
        const std::string_view current = store_.CurrentText();
        const size_t column = options_->features.utf8
                                  ? VisibleCells(current, 0, current.size(), {true, options_->features.extendedcolours})
                                  : current.size();
        Send("\x1b[" + std::to_string(store_.CurLine() + 1) + ";" + std::to_string(column) + "R");
        return true;
      }
      return false;
    default:
      // SGR stays in the text and is applied again when the line is painted;
      // the other sequences are kept without effect.
      return false;
  }
}

void TermCore::ConnectionChanged(ConnectionState state) {
  connection_ = state;
  const bool byUser = state == ConnectionState::Disconnected && (closedByUser_ || reconnecting);
  listeners_.Tell(&TermListener::ConnectionChanged, state, byUser);
}

void TermCore::UpdateDisconnect() {
  // A connect that failed closes the socket without a disconnect.
  ConnectionChanged(SocketOpen() ? connection_ : ConnectionState::Disconnected);
}

void TermCore::Disconnect() {
  closedByUser_ = true;
  if (socket_) socket_->Close();
}

void TermCore::clientsocketLookup() {
  closedByUser_ = false;
  Status("Looking up host...");
  ConnectionChanged(ConnectionState::LookingUp);
}

void TermCore::clientsocketConnecting() {
  std::string target, port;
  if (socket_) {
    target = socket_->Address().empty() ? socket_->Host() : socket_->Address();
    port = std::to_string(socket_->Port());
  }
  closedByUser_ = false;
  Status("Connecting to " + target + ":" + port + "...");
  ConnectionChanged(ConnectionState::Connecting);
}

void TermCore::clientsocketConnect(const std::string& encryption) {
  Status("Connection established...");
  if (!encryption.empty()) Status("Connection encrypted (" + encryption + ").");
  // A sequence left over from an earlier connection is not the start of
  // anything this server sends (nor is a telnet command: the parser starts
  // afresh).
  escapeTail_.clear();
  BindParser();
  ConnectionChanged(ConnectionState::Connected);
  Negotiate(options_ && options_->telnetinit);
  if (!autologin.empty() && sendAutologin) sendAutologin(*this, autologin);
}

void TermCore::clientsocketDisconnect() {
  if (!reconnecting) Status("Disconnected.");
  caption = "Not Connected";
  listeners_.Tell(&TermListener::CaptionChanged, caption);
  echo_.Reset();  // the lock goes with the connection
  ConnectionChanged(ConnectionState::Disconnected);
}

void TermCore::clientsocketError(SocketErrorKind kind) {
  switch (kind) {
    case SocketErrorKind::General: Status("General Socket Error."); break;
    case SocketErrorKind::Send: Status("Socket Send Error."); break;
    case SocketErrorKind::Receive: Status("Socket Read Error."); break;
    case SocketErrorKind::Connect: Status("Failed to connect."); break;
    case SocketErrorKind::Disconnect:
      Status("Error while disconnecting.");
      if (socket_) socket_->Close();
      break;
    default: break;
  }
  listeners_.Tell(&TermListener::TextShown);
}

void TermCore::Status(const std::string& text) {
  WriteText(text + "\r\n", false);
  listeners_.Tell(&TermListener::StatusLine, text);
}

}  // namespace ombrel
