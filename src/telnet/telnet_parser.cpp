#include "telnet/telnet_parser.h"

#include <algorithm>

namespace ombrel {

using namespace telnet;

namespace {

std::string Command(unsigned char command, unsigned char option) {
  return {static_cast<char>(IAC), static_cast<char>(command), static_cast<char>(option)};
}

// A value byte 255 would read as IAC, so it goes out doubled.
void AppendSizeByte(std::string& out, unsigned value) {
  out += static_cast<char>(value);
  if (value == IAC) out += static_cast<char>(IAC);
}

}  // namespace

void TTelnetParser::Reset() {
  for (TOptionState* s : {&linemode, &naws}) {
    s->us = NO;
    s->him = NO;
    s->usq = false;
    s->himq = false;
  }
  OnAYT = OnAO = OnIP = nullptr;
  OnNAWS = nullptr;
  OnGetWindowSize = nullptr;
  OnLinemode = nullptr;
  OnLog = nullptr;
  OnOptionData = nullptr;
  incomplete_.clear();
  options_.clear();
}

void TTelnetParser::AddOption(TelnetOption* option) { options_.push_back({option}); }

TTelnetParser::Added* TTelnetParser::Find(unsigned char code) {
  for (Added& a : options_)
    if (a.option->Code() == code) return &a;
  return nullptr;
}

bool TTelnetParser::OptionOn(unsigned char code, bool him) const {
  for (const Added& a : options_)
    if (a.option->Code() == code) return him ? a.him : a.us;
  return false;
}

void TTelnetParser::TurnOff(unsigned char code, bool him, std::string& output) {
  output.clear();
  Added* a = Find(code);
  if (!a || !(him ? a->him : a->us)) return;
  (him ? a->him : a->us) = false;
  output = Command(him ? DONT : WONT, code);
  Log(std::string(him ? "DONT " : "WONT ") + a->option->Name() + " Sent");
  std::string more;
  a->option->Changed(him, false, more, OptionLog());
  output += more;
}

// An added option is answered only when its state changes, so a peer that
// repeats itself gets no answer loop (RFC 1143); a refused one is answered
// as every unknown option is.
bool TTelnetParser::AnswerAdded(unsigned char command, unsigned char code, std::string& output) {
  Added* a = Find(code);
  if (!a) return false;
  static const char* const kNames[] = {"WILL", "WONT", "DO", "DONT"};
  const std::string name = a->option->Name();
  const bool him = command == WILL || command == WONT;
  const bool on = command == WILL || command == DO;
  const bool accepts = him ? a->option->AcceptsWill() : a->option->AcceptsDo();
  if (on && !accepts) return false;
  Log(std::string(kNames[command - WILL]) + " " + name + " Received");
  bool& state = him ? a->him : a->us;
  if (state == on) return true;
  state = on;
  const unsigned char answer = him ? (on ? DO : DONT) : (on ? WILL : WONT);
  output = Command(answer, code);
  Log(std::string(kNames[answer - WILL]) + " " + name + " Sent");
  std::string more;
  a->option->Changed(him, on, more, OptionLog());
  output += more;
  return true;
}

std::string SubnegotiationBytes(unsigned char option, std::string_view value) {
  std::string out = {static_cast<char>(IAC), static_cast<char>(SB), static_cast<char>(option)};
  for (char c : value) {
    out += c;
    if (c == static_cast<char>(IAC)) out += c;
  }
  out += {static_cast<char>(IAC), static_cast<char>(SE)};
  return out;
}

void TTelnetParser::ConfigureNAWS(bool accept, bool want, NAWSEvent onNAWS,
                                  SizeQuery onGetWindowSize) {
  naws.accept = accept;
  naws.want = want;
  OnNAWS = std::move(onNAWS);
  OnGetWindowSize = std::move(onGetWindowSize);
}

int TTelnetParser::Incomplete(std::string_view rest, size_t& pos, size_t end, std::string& output) {
  // Resume keeps the bytes it reads itself.
  if (!resuming_) incomplete_ = std::string(rest);
  pos = end;
  output.clear();
  return ParseIncomplete;
}

int TTelnetParser::Parse(std::string& data, std::string& output) {
  size_t pos = 0;
  const int kind = ParseAt(data, pos, output);
  data.erase(0, pos);
  return kind;
}

int TTelnetParser::Resume(std::string_view all, size_t& pos, std::string& output) {
  // Taken out while it is read: an option's answer may reach a handler that
  // resets the parser.
  std::string held = std::move(incomplete_);
  incomplete_.clear();
  const size_t before = held.size();
  held.append(all.substr(pos));
  size_t at = 0;
  resuming_ = true;
  struct Resuming {
    bool& on;
    ~Resuming() { on = false; }
  } resuming{resuming_};
  const int kind = ParseAt(held, at, output);
  if (kind == ParseIncomplete) {
    incomplete_ = std::move(held);
    pos = all.size();
    return kind;
  }
  // The piece ends in this block: what was held alone was cut off.
  pos += at - before;
  return kind;
}

int TTelnetParser::ParseAt(std::string_view all, size_t& pos, std::string& output) {
  incomplete_.clear();
  const std::string_view data = all.substr(pos);
  const size_t iac = data.find(static_cast<char>(IAC));
  if (iac == std::string_view::npos || iac > 0) {
    output.assign(data.substr(0, iac));
    pos += output.size();
    return ParseText;
  }
  if (data.size() < 2) return Incomplete(data, pos, all.size(), output);
  const unsigned char c = static_cast<unsigned char>(data[1]);
  if (c < SB || c > DONT) {
    pos += 2;
    if (c == IAC) {
      // IAC IAC is the data byte 255.
      output.assign(1, static_cast<char>(IAC));
      return ParseText;
    }
    output.clear();
    if (c == IP) Raise(OnIP);
    if (c == AO) Raise(OnAO);
    if (c == AYT) Raise(OnAYT);
    return c;
  }
  if (data.size() < 3) return Incomplete(data, pos, all.size(), output);
  if (c == SB) return ParseSubnegotiation(all, pos, output);
  const unsigned char option = static_cast<unsigned char>(data[2]);
  pos += 3;
  return ParseOption(c, option, output);
}

int TTelnetParser::ParseSubnegotiation(std::string_view all, size_t& pos, std::string& output) {
  const std::string_view data = all.substr(pos);
  const unsigned char option = static_cast<unsigned char>(data[2]);
  Added* added = Find(option);
  const bool on = added && (added->him || added->us);
  const size_t bound = on ? added->option->SubnegotiationBound() : kMaxKeptSubnegotiation;
  const std::string_view window = data.substr(0, bound);
  // IAC IAC is a value byte 255 (RFC 855): an IAC pair is stepped over whole.
  // A held one is searched on from where the last read left off.
  size_t se = resuming_ ? std::max<size_t>(3, searched_) : 3;
  while ((se = window.find(static_cast<char>(IAC), se)) != std::string_view::npos &&
         se + 1 < window.size() && window[se + 1] != static_cast<char>(SE))
    se += 2;
  const bool ended = se != std::string_view::npos && se + 1 < window.size();
  if (!ended && data.size() < bound) {
    searched_ = std::min(se, window.size());
    return Incomplete(data, pos, all.size(), output);
  }
  // The value with IAC IAC undone, copied a run at a time: some run to a MiB.
  std::string value;
  for (size_t i = 3; ended && i < se;) {
    const size_t iac = std::min(data.find(static_cast<char>(IAC), i), se);
    value.append(data.substr(i, iac - i));
    if (iac < se) value += data[iac];
    i = iac + 2;
  }
  if (!ended && on) {
    Log("SB " + added->option->Name() + " dropped unfinished (over " + std::to_string(bound) + " bytes)");
  } else if (!ended) {
    Log("SB (option=" + std::to_string(option) + ") dropped unfinished");
  } else if (option == OPT_NAWS && value.size() >= 4) {
    auto byte = [&](size_t n) { return static_cast<unsigned char>(value[n]); };
    HandleSBNAWS(static_cast<uint16_t>(byte(0) * 256 + byte(1)),
                 static_cast<uint16_t>(byte(2) * 256 + byte(3)));
  } else if (option == OPT_NAWS) {
    Log("SB NAWS Received");
  } else if (on) {
    added->option->Subnegotiation(value, output, OptionLog());
    if (OnOptionData) OnOptionData(*this, *added->option, value);
    pos += se + 2;
    return SB;
  }
  pos += ended ? se + 2 : window.size();
  output.clear();
  return SB;
}

int TTelnetParser::ParseOption(unsigned char command, unsigned char option, std::string& output) {
  output.clear();
  if (option != OPT_NAWS && AnswerAdded(command, option, output)) return command;
  const std::string number = std::to_string(option);
  switch (command) {
    case WILL:
      if (option == OPT_NAWS) return HandleWillNAWS(output), command;
      output = Command(DONT, option);
      Log("UNRECOGNIZED WILL (option=" + number + ")");
      break;
    case WONT:
      // Every option but NAWS is always off on the peer's side, and WONT of
      // an option that is off takes no answer (RFC 1143).
      if (option == OPT_NAWS) return HandleWontNAWS(), command;
      Log("UNRECOGNIZED WONT (option=" + number + ")");
      break;
    case DO:
      if (option == OPT_NAWS) return HandleDoNAWS(output), command;
      output = Command(WONT, option);
      Log("UNRECOGNIZED DO (option=" + number + ")");
      break;
    case DONT:
      if (option == OPT_NAWS) HandleDontNAWS(output);
      break;
  }
  return command;
}

void TTelnetParser::HandleDoNAWS(std::string& output) {
  Log("DO NAWS Received");
  output.clear();
  if (naws.us == NO) {
    // The server asked first: the switch decides (RFC 1143).
    if (!naws.want) {
      output = Command(WONT, OPT_NAWS);
      Log("WONT NAWS Sent");
      return;
    }
    naws.us = YES;
    output = Command(WILL, OPT_NAWS);
    Log("WILL NAWS Sent");
  } else if (naws.us == WANTYES) {
    if (naws.usq) {
      naws.us = WANTNO;
      naws.usq = false;
      output = Command(WONT, OPT_NAWS);
      Log("WONT NAWS Sent");
      return;
    }
    naws.us = YES;
  }
  if (naws.want && naws.us == YES) AppendWindowSize(output);
}

void TTelnetParser::SendWindowSize(std::string& output) {
  output.clear();
  if (naws.want && naws.us == YES) AppendWindowSize(output);
}

void TTelnetParser::AppendWindowSize(std::string& output) {
  uint16_t width = 80, height = 25;
  if (OnGetWindowSize) OnGetWindowSize(*this, width, height);
  output += {static_cast<char>(IAC), static_cast<char>(SB), static_cast<char>(OPT_NAWS)};
  AppendSizeByte(output, width >> 8);
  AppendSizeByte(output, width & 0xFF);
  AppendSizeByte(output, height >> 8);
  AppendSizeByte(output, height & 0xFF);
  output += static_cast<char>(IAC);
  output += static_cast<char>(SE);
  Log("SB NAWS Sent (" + std::to_string(width) + "x" + std::to_string(height) + ")");
}

void TTelnetParser::HandleDontNAWS(std::string& output) {
  Log("DONT NAWS Received");
  output.clear();
  if (naws.us == YES) {
    // The server no longer wants sizes: they stop, and we agree (RFC 1143).
    naws.us = NO;
    output = Command(WONT, OPT_NAWS);
    Log("WONT NAWS Sent");
    return;
  }
  if (naws.us == WANTYES) {
    // Our offer refused: stop asking, and a DONT needs no answer.
    naws.us = NO;
    naws.usq = false;
    return;
  }
  if (naws.us != WANTNO) return;
  if (naws.usq) {
    naws.us = WANTYES;
    naws.usq = false;
    output = Command(WILL, OPT_NAWS);
    Log("WILL NAWS Sent");
  } else {
    naws.us = NO;
  }
}

void TTelnetParser::HandleWillNAWS(std::string& output) {
  Log("WILL NAWS Received");
  if (!naws.accept) {
    output = Command(DONT, OPT_NAWS);
    Log("DONT NAWS Sent");
  } else if (naws.him == NO) {
    naws.him = YES;
    output = Command(DO, OPT_NAWS);
    Log("DO NAWS Sent");
  }
}

void TTelnetParser::HandleWontNAWS() {
  Log("WONT NAWS Received");
  if (naws.him == YES) naws.him = NO;
}

void TTelnetParser::HandleSBNAWS(uint16_t width, uint16_t height) {
  Log("SB NAWS Received");
  if (OnNAWS) OnNAWS(*this, width, height);
}

void TTelnetParser::SetNAWS(bool enable, std::string& output) {
  output.clear();
  naws.want = enable;
  // RFC 1143: only NO offers and only YES refuses; while an answer is
  // awaited, the other request waits in the queue or leaves it.
  if (enable) {
    if (naws.us == NO) {
      naws.us = WANTYES;
      output = Command(WILL, OPT_NAWS);
      Log("WILL NAWS Sent");
    } else if (naws.us == WANTNO || naws.us == WANTYES) {
      naws.usq = naws.us == WANTNO;
    }
  } else {
    if (naws.us == YES) {
      naws.us = WANTNO;
      output = Command(WONT, OPT_NAWS);
      Log("WONT NAWS Sent");
    } else if (naws.us == WANTNO || naws.us == WANTYES) {
      naws.usq = naws.us == WANTYES;
    }
  }
}

void TTelnetParser::SendAYT(std::string& output) {
  output = {static_cast<char>(IAC), static_cast<char>(AYT)};
  Log("AYT Sent");
}

void TTelnetParser::SendIP(std::string& output) {
  output = {static_cast<char>(IAC), static_cast<char>(IP)};
  Log("IP Sent");
}

void TTelnetParser::SendAO(std::string& output) {
  output = {static_cast<char>(IAC), static_cast<char>(AO)};
  Log("AO Sent");
}

}  // namespace ombrel
