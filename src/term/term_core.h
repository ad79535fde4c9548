// The terminal's core: the line store with its carried state, the receive
// path every text goes through, logging, saved buffers and triggers. The
// window around it paints, the socket adapter feeds it.
#pragma once

#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "command/command_target.h"
#include "options/options.h"
#include "term/escape.h"
#include "term/html_log.h"
#include "term/line_highlights.h"
#include "term/line_store.h"
#include "term/platform.h"
#include "term/term_listener.h"
#include "telnet/compression_option.h"
#include "telnet/echo_option.h"
#include "telnet/inflate_stream.h"
#include "telnet/telnet_parser.h"
#include "telnet/terminal_identity.h"
#include "term/telnet_filter.h"
#include "term/trigger_filter.h"
#include "util/atomic_file.h"
#include "util/text_file.h"

namespace ombrel {

struct Highlight;

class PatternTriggers;
struct LineEffects;

class TermCore : public CommandTarget {
 public:
  // An escape sequence cut off by the end of a read waits for the next one,
  // up to this many bytes; a longer one is dropped.
  static constexpr size_t kMaxEscapeTail = 1024;
  // What one read may inflate to under MCCP2, all its streams together.
  // Deflate packs a thousand bytes into one, so a hostile server could
  // otherwise fill the memory and hold the window with a few kilobytes;
  // a read is at most the socket's buffer, and text stays far below this.
  static constexpr size_t kMaxInflatedPerRead = size_t{32} << 20;

  explicit TermCore(TOptions* options = nullptr);
  ~TermCore() override;
  TermCore(const TermCore&) = delete;
  TermCore& operator=(const TermCore&) = delete;

  // --- wiring
  void SetOptions(TOptions* options) {
    options_ = options;
    PatternTriggersChanged();
  }
  TOptions* Options() const override { return options_; }
  void SetSocket(IClientSocket* socket) { socket_ = socket; }
  IClientSocket* Socket() const { return socket_; }
  // Tests may put another filter in the parser's place.
  void SetTelnet(TelnetFilter* telnet) { telnet_ = telnet; }
  TTelnetParser& Parser() { return parser_; }
  void SetSoundPlayer(ISoundPlayer* player) { player_ = player; }
  // Whoever listens; the window holding the terminal answers what it asks.
  TermListeners& Listeners() { return listeners_; }
  void SetHost(TermHost* host) { host_ = host; }
  // Options beyond those the set's switches bring (NAWS, TTYPE, CHARSET,
  // MCCP2), given to the parser on every connect; not owned.
  void AddTelnetOption(TelnetOption& option);
  void RemoveTelnetOption(TelnetOption& option);

  // --- size of the view in character cells; changed by SetWindowSize
  int cols = 80;
  int rows = 24;
  // The size changed: wrapping follows it, listeners hear it and the
  // server is told under NAWS. The same size again does nothing.
  void SetWindowSize(int newCols, int newRows);

  // --- line store
  const LineStore& Store() const { return store_; }
  int32_t curline() const { return store_.CurLine(); }
  AttrState Carried() const { return carry_; }
  uint8_t unseen = 0;

  void AddText(std::string_view piece, bool checkTriggers);
  void NewLine(std::string_view lineText, bool checkTriggers);
  void SetCurrentLine(std::string lineText);
  void ClearTerminal();

  // --- receive path
  void WriteText(const std::string& text, bool checkTriggers) override { Receive(text, checkTriggers); }
  // Returns true when the sequence is used up and leaves the text.
  bool ApplyEscape(std::string_view params, char final);
  // Does ApplyEscape use this sequence up?
  static bool ConsumesEscape(std::string_view params, char final);
  void Send(const std::string& bytes) override;
  bool Connected() const override { return socket_ && socket_->Established(); }
  // The server echoes what is typed (telnet ECHO, a password prompt).
  bool ServerEchoes() const override { return echo_.ServerEchoes(); }
  // Being set up or connected: something Disconnect can close.
  bool SocketOpen() const { return socket_ && socket_->Active(); }
  std::string CurrentLineText() const override { return store_.CurrentText(); }

  // --- connection notifications
  std::string autologin;
  uint8_t reconnecting = 0;
  std::string caption = "Not Connected";
  void clientsocketLookup();
  void clientsocketConnecting();
  // `encryption`: the TLS protocol of an encrypted connection, told in a
  // status line of its own.
  void clientsocketConnect(const std::string& encryption = {});
  // A read that arrives while one is being handled (a TLS socket reads
  // while it sends the reply to a command) waits until that one is done.
  void clientsocketRead(std::string_view bytes);
  void clientsocketDisconnect();
  void clientsocketError(SocketErrorKind kind);
  // The Disconnect command follows whether the socket is active.
  void UpdateDisconnect();
  // Closes the connection as the user asked, as its disconnect then says.
  void Disconnect();
  ConnectionState Connection() const { return connection_; }
  // Sends the auto-login text; the command layer binds it.
  std::function<void(TermCore&, const std::string& text)> sendAutologin;

  // --- telnet side
  void GetWindowSize(uint16_t& width, uint16_t& height) const;
  void LinemodeChanged(bool enabled);
  void Negotiate(bool initiate);
  enum class TelnetCommand { AYT, IP, AO };
  void SendTelnetCommand(TelnetCommand command);

  // --- files
  const std::string& logname() const { return logname_; }
  void SetLogFile(const std::string& fileName);
  void CloseLog();
  // Saving over the file being logged to moves the log into the new file.
  WriteResult SaveBuffer(const std::string& fileName);
  // A missing file fails too: there is nothing to load. A failed read
  // leaves the buffer as it was.
  ReadResult LoadLog(const std::string& fileName);

  void RunTriggers(std::string_view lineText);
  // A line just stored that a listener (a script) gags while hearing it:
  // taken out of the store; false for any other line. The log already has it.
  bool Gag(int32_t index);
  // A line the terminal says itself (or a script's error): written and told.
  void Status(const std::string& text);

  // --- pattern triggers (the set's "Pattern Triggers" switch)
  // The triggers were edited: they are compiled again before the next read.
  void PatternTriggersChanged();
  // Colours pattern triggers and scripts gave parts of stored line `line`.
  std::span<const RawHighlight> HighlightsOf(int32_t line) const { return highlights_.Of(line); }
  // Paints ranges of the last stored line's visible text (without its
  // sequences, margin included) in other colours, after any it has.
  void HighlightVisible(int32_t line, const std::vector<Highlight>& ranges);
  // Waits until a set compiling in the background is ready.
  void WaitForPatterns();

 private:
  // A read is handed on as it lies in the socket's buffer: most need no copy.
  void Receive(std::string_view input, bool checkTriggers);
  std::string RunTelnet(std::string block);
  void BindParser();
  // MCCP2: what arrives compressed is inflated before the parser reads it.
  std::string Decompress(std::string_view raw, size_t& inflatedEnd);
  void StartCompression(std::string& block, size_t pos, size_t& inflatedEnd, std::string& replies);
  void CompressionFailed(const std::string& reason);
  void ResetCompression();
  // Neither inflating, nor failed, nor waiting for a stream's first bytes:
  // a read is text and commands as it stands.
  bool CompressionIdle() const { return !inflate_.Active() && !compressionFailed_ && !awaitingStream_; }
  void ReportCompressionError();
  void TelnetLog(const std::string& text);
  void ConnectionChanged(ConnectionState state);
  // A new size is reported while NAWS is active.
  void ReportWindowSize();
  void SplitAtEscapes(std::string_view text, bool received);
  // Line assembly of text without backspaces; a backspace in its place.
  void Assemble(std::string_view piece, bool checkTriggers);
  void Backspace();
  void KeepEscapeTail(std::string_view tail);
  // Completes the current line as head + text. `noSequence` tells that
  // neither holds an ESC, so the line carries no colour on; `wrapped` that
  // the width cut it, so the next line continues it.
  void StoreLine(std::string_view head, std::string_view text, bool checkTriggers, bool noSequence = false,
                 bool wrapped = false);
  // What follows a line's completion: the colours it carries on, the next
  // line's start, its log and its triggers.
  void Stored(std::string_view stored, bool checkTriggers, bool noSequence = false);
  // `start`: the attributes the line begins in, which a web page needs.
  void LogLine(std::string_view lineText, const AttrState& start);
  // A log named as a web page starts one, or goes on in the page's charset.
  void StartHtmlLog();
  // The lines of the read just handled, matched in one pass; their log,
  // their listeners and what the triggers do follow, in line order.
  void RunPatternTriggers();
  void StorePatternLine(int32_t original, size_t inBatch, const LineEffects& effects);
  void TellPatternLine(int32_t at, int32_t original, std::string_view shown);
  void FirePatternTrigger(int32_t original, const std::string& text, bool echo);
  // From `original` on, the read's lines are taken out of the store and
  // put back one by one, so lines can be left out or echoes put between.
  void BeginPatternRewrite(int32_t original);
  void RestorePatternTail(int32_t upTo);
  // The line being received is put aside while an echo is written.
  void DetachCurrentLine();
  void ReattachCurrentLine();
  void ErrorBox(const std::string& text, const std::string& caption);

  TOptions* options_ = nullptr;
  IClientSocket* socket_ = nullptr;
  TTelnetParser parser_;
  TelnetFilter* telnet_ = &parser_;
  std::unique_ptr<TerminalTypeOption> ttype_;
  CharsetOption charset_;
  CompressionOption mccp_;
  EchoOption echo_;  // accepted with the set's #serverecho switch
  InflateStream inflate_;
  bool compressionFailed_ = false;  // input is dropped until the next connection
  std::string compressionError_;    // not yet told in the terminal
  size_t inflateRoom_ = 0;          // what the read being handled may still inflate to
  bool awaitingStream_ = false;     // a start came with less than the stream's header after it
  std::string streamHead_;          // and these bytes of it
  std::vector<TelnetOption*> addedOptions_;
  ISoundPlayer* player_ = nullptr;
  TermListeners listeners_;
  TermHost* host_ = nullptr;
  ConnectionState connection_ = ConnectionState::Disconnected;
  bool closedByUser_ = false;  // since the connection began

  LineStore store_;
  AttrState carry_;
  std::string escapeTail_;
  // A string sequence may have come: stored lines may hold one, which
  // reading their colours backwards must mind. Until then nothing looks.
  bool stringsSeen_ = false;
  bool reading_ = false;
  std::string laterReads_;
  char pendingPair_ = 0;  // the LF (or CR) that would pair with a line end
  // The characters a backspace may still erase, from the current line's
  // start or its last sequence up to `pos`, each with the break position
  // before it; valid while `line` is the current line as last assembled.
  struct Erasable {
    bool valid = false;
    int32_t line = 0;
    size_t pos = 0;
    long brk = -1;
    struct Char {
      size_t pos;
      int cells;
      long brk;
    };
    std::vector<Char> chars;
  } erasable_;
  // A current line in a larger buffer than this, and four times its size,
  // gets a buffer of its size.
  static constexpr size_t kKeptLineCapacity = size_t{1} << 20;

  std::string logname_;
  std::FILE* logfile_ = nullptr;
  bool htmlLog_ = false;  // the log is a web page (the set's #htmllog switch)
  PageCharset logPage_ = PageCharset::Latin1;
  std::string logLine_;  // a line as the page shows it, keeping its room
  void FlushLog();
  void StopLogging();
  TriggerFilter triggerFilter_;

  std::unique_ptr<PatternTriggers> patterns_;
  LineHighlights highlights_;
  int32_t told_ = -1;        // the line of a read's batch listeners are hearing
  bool toldGagged_ = false;  // and one of them gagged it
  std::string sendBuffer_;             // a pattern trigger's reply, escaped
  std::vector<int32_t> patternLines_;  // completed by this read, waiting for the one pass
  bool inPatternBatch_ = false;
  struct PatternRewrite {
    bool active = false;
    int32_t base = 0;  // the first line taken out
    std::vector<LineStore::Record> tail;
    size_t next = 0;  // of tail, the first not yet put back
    bool detached = false;
    std::string partial;
    AttrState partialStart, carry;
    AssemblyScan scan;
    char pair = 0;
    bool cleared = false;  // an echo erased the display
  } rewrite_;
};

}  // namespace ombrel
