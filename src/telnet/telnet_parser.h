// The telnet parser: separates text from telnet commands, refuses every
// option but NAWS, and negotiates NAWS by the Q method. It never writes to a
// connection: answers come back in an output string for the caller to send.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "telnet/telnet_option.h"
#include "term/telnet_filter.h"

namespace ombrel {

namespace telnet {
inline constexpr unsigned char SE = 240, NOP = 241, IP = 244, AO = 245, AYT = 246, GA = 249,
                               SB = 250, WILL = 251, WONT = 252, DO = 253, DONT = 254, IAC = 255;
inline constexpr unsigned char OPT_NAWS = 31, OPT_LINEMODE = 34;
}  // namespace telnet

enum OptionStateValue : uint16_t { NO = 1, YES = 2, WANTNO = 3, WANTYES = 4 };

struct TOptionState {
  uint16_t us = 0;
  uint16_t him = 0;
  bool usq = false;   // true: OPPOSITE queued
  bool himq = false;
  bool accept = false;
  bool want = false;
};

class TTelnetParser : public TelnetFilter {
 public:
  // A sub-negotiation cut off by the end of a read is kept for the next
  // read while shorter than this (or the bound of its option, when that is
  // on); one without IAC SE within it is dropped there and what follows is
  // read again, so a peer that never ends one cannot hide the text behind it.
  static constexpr size_t kMaxKeptSubnegotiation = kDefaultSubnegotiationBound;

  using Event = std::function<void(TTelnetParser&)>;
  using NAWSEvent = std::function<void(TTelnetParser&, uint16_t width, uint16_t height)>;
  using SizeQuery = std::function<void(TTelnetParser&, uint16_t& width, uint16_t& height)>;
  using LinemodeEvent = std::function<void(TTelnetParser&, bool enabled)>;
  using LogEvent = std::function<void(TTelnetParser&, const std::string& text)>;
  // A sub-negotiation of an added option that is on, its value as the option got it.
  using DataEvent = std::function<void(TTelnetParser&, const TelnetOption& option, std::string_view value)>;

  TOptionState linemode;
  TOptionState naws;
  Event OnAYT, OnAO, OnIP;
  NAWSEvent OnNAWS;
  SizeQuery OnGetWindowSize;
  LinemodeEvent OnLinemode;
  LogEvent OnLog;
  DataEvent OnOptionData;

  TTelnetParser() { Reset(); }

  void Reset();
  void SetLogHandler(LogEvent handler) { OnLog = std::move(handler); }
  void SetLinemodeHandler(LinemodeEvent handler) { OnLinemode = std::move(handler); }
  void ConfigureNAWS(bool accept, bool want, NAWSEvent onNAWS, SizeQuery onGetWindowSize);
  // Accepts `option` as it says; Reset forgets every one added.
  void AddOption(TelnetOption* option);
  bool OptionOn(unsigned char code, bool him) const;
  // Turns an added option off that is on for the server's side (`him`:
  // DONT) or ours (WONT), as when what came under it cannot be used.
  void TurnOff(unsigned char code, bool him, std::string& output);

  int Parse(std::string& data, std::string& output) override;
  // The same piece, read at `pos` without erasing; `pos` moves past it. A
  // block with many commands costs no copying of its rest this way.
  int ParseAt(std::string_view data, size_t& pos, std::string& output);
  // After Parse returned ParseIncomplete: the cut-off sequence, to be put in
  // front of the next block.
  const std::string& Incomplete() const { return incomplete_; }
  // Or kept here instead: while Holding, the next block goes to Resume,
  // which goes on from the cut-off sequence where its search stopped, so a
  // sub-negotiation arriving over many reads costs no more than one read.
  // Then ParseAt goes on at `pos`.
  bool Holding() const { return !incomplete_.empty(); }
  int Resume(std::string_view data, size_t& pos, std::string& output);

  // RFC 1143: an offer or refusal is not repeated while one is pending.
  void SetNAWS(bool enable, std::string& output);
  bool NAWSActive() const { return naws.us == YES; }
  // The size again, after the view changed it, while NAWS is on.
  void SendWindowSize(std::string& output);
  TOptionState GetNAWSState() const { return naws; }
  TOptionState GetLinemodeState() const { return linemode; }
  void SendAYT(std::string& output);
  void SendIP(std::string& output);
  void SendAO(std::string& output);

  void HandleWillNAWS(std::string& output);
  void HandleWontNAWS();
  void HandleDoNAWS(std::string& output);
  void HandleDontNAWS(std::string& output);
  void HandleSBNAWS(uint16_t width, uint16_t height);

 private:
  void Log(const std::string& text) {
    if (OnLog) OnLog(*this, text);
  }
  TelnetOption::Log OptionLog() {
    return [this](const std::string& text) { Log(text); };
  }
  void Raise(const Event& e) {
    if (e) e(*this);
  }
  int Incomplete(std::string_view rest, size_t& pos, size_t end, std::string& output);
  int ParseSubnegotiation(std::string_view data, size_t& pos, std::string& output);
  void AppendWindowSize(std::string& output);
  int ParseOption(unsigned char command, unsigned char option, std::string& output);
  struct Added {
    TelnetOption* option;
    bool him = false, us = false;
  };
  Added* Find(unsigned char code);
  bool AnswerAdded(unsigned char command, unsigned char code, std::string& output);

  std::string incomplete_;
  // Reading what was held: where the search for its IAC SE goes on.
  bool resuming_ = false;
  size_t searched_ = 0;
  std::vector<Added> options_;
};

}  // namespace ombrel
