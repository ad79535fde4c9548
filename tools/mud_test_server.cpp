// A small server that talks like a MUD, for the client's end-to-end tests
// and benchmarks. It listens on the loopback interface only, serves one
// client at a time and ends by itself when its time is up.
//
//   mud_test_server [--port N] [--timeout SEC] [--once] [--no-do]
//                   [--chunk N] [--delay-ms MS] [--stream LINES [--until-reply]]
//   mud_test_server --demo [--port N] [--timeout SEC]
//
// Once listening it prints "PORT <n>" on a line of its own (port 0, the
// default, takes a free one). For each client it sends a coloured banner,
// DO NAWS (unless --no-do) and the prompt "> " without a line end. It
// answers a WILL NAWS it did not ask for with DO NAWS, refuses every other
// option, and reports each window size it receives as "NAWS <w>x<h>".
// Every received line is echoed as "You said: <line>", followed by the
// prompt again. Commands:
//
//   quit                  "Goodbye." and the server closes the connection
//   size                  the last size received, "NAWS <w>x<h>" or "NAWS none"
//   clock                 "CLOCK <ms>", the milliseconds since the connection
//   split O1,O2,... [TEXT]  TEXT and CR LF, cut at the byte offsets given
//                         into separate writes with a pause between them;
//                         without TEXT, "A treasure chest lies here."
//   stream N              N lines of coloured text, then "END OF STREAM N"
//   compress N            offers MCCP2 (WILL 86); accepted, one write holds
//                         plain text, the start, N stream lines compressed,
//                         the stream's end, "PLAIN BETWEEN", a second stream
//                         with "AGAIN COMPRESSED", then "END COMPRESS" plain;
//                         refused, "COMPRESSION REFUSED"
//   compress broken       accepted, "kept before the fault" compressed, then
//                         bytes no zlib stream holds and "never shown"
//   compress plain        accepted, the start with "NOT COMPRESSED AFTER ALL"
//                         plain after it, then "COMPRESSION OFF" once the
//                         client said DONT, else "COMPRESSION STILL ON"
//   gmcp [ire|aard|mume]  offers GMCP (WILL 201); accepted, "GMCP ON", a line
//                         "GMCP GOT <name> <json>" for each message the
//                         client sent (Core.Hello first), then that game's
//                         messages and "END GMCP"; refused, "GMCP REFUSED".
//                         From then on every GMCP message of the client is
//                         told as such a line.
//   gmcp vitals N         N Char.Vitals, one a write, then "END GMCP VITALS"
//   gmcp bad              Char.Vitals, then one that is not JSON, "END GMCP BAD"
//   gmcp big N            one message of N bytes, then "END GMCP BIG"
//   msdp                  offers MSDP (WILL 69); accepted, "MSDP ON", the
//                         client's LIST and REPORT as "MSDP GOT <var> <values>",
//                         the list of variables, their values and "END MSDP";
//                         refused, "MSDP REFUSED"
//   mssp                  offers MSSP (WILL 70); accepted, the server's
//                         variables and "END MSSP"; refused, "MSSP REFUSED"
//
// and the misbehaviour of hostile servers, each ending with a line saying so:
//
//   pingpong              sends DONT and WONT ECHO and from then on answers
//                         every WONT and DONT with the same; after 300 ms
//                         "REFUSALS ANSWERED <n>", n the client's replies
//   dontnaws              DONT NAWS, then "DONT NAWS SENT" once the client
//                         had 200 ms to answer
//   unfinished N          "A" IAC SB 24 "x" never ended, N lines, "END UNFINISHED"
//   escapes N             N times ESC [ 0 m and no text, then "END ESCAPES"
//   endless N             one line of N bytes, then "END ENDLESS"
//
// --chunk N cuts everything it sends into writes of N bytes (--delay-ms
// apart, 20 by default), telnet commands and escape sequences included.
// --stream N sends N stream lines after the banner and then closes. With
// --until-reply it first waits for the client to send a line back (a
// trigger on the last line, say): the bytes having left the server is not
// the client having read them, its reply is. It then prints
// "REPLY <seconds> <bytes>", the time from the connection to the reply and
// the bytes sent, or "NO REPLY" when the client left or time ran out.
//
// --demo is the small world `make demo` connects to: four rooms in a square,
// look (l), north/south/east/west (n/s/e/w), say, help (several screens),
// quit, the prompt "<100hp 50m> ", and a message every 20 to 40 seconds,
// every other one "A bell rings in the distance." for a trigger to fire on.
// It neither echoes lines nor reports window sizes, as a real MUD would not.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <zlib.h>

#include "mud_game_data.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr unsigned char IAC = 255, DONT = 254, DO = 253, WONT = 252, WILL = 251, SB = 250,
                        SE = 240, AYT = 246, NAWS = 31, MCCP2 = 86, GMCP = 201, MSDP = 69, MSSP = 70;

struct Settings {
  int port = 0;
  int timeoutSec = 30;
  bool once = false;
  bool sendDo = true;
  size_t chunk = 0;
  int delayMs = 20;
  long streamLines = -1;
  bool untilReply = false;
  bool demo = false;
};

Settings settings;
Clock::time_point deadline;

bool TimeUp() { return Clock::now() >= deadline; }

int MsLeft() {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left < 0 ? 0 : static_cast<int>(left);
}

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The demo world: what a player sees, apart from the telnet handling the
// session does for every mode. Texts are ANSI coloured as most MUDs colour
// them: a bright title, exits in green, people in magenta, things in yellow.
class DemoWorld {
 public:
  DemoWorld() { ScheduleAmbient(); }

  std::string Welcome() {
    return "\r\n\x1b[1;33m   ~~~  Welcome to \x1b[1;32mthe Ombrel Demo World\x1b[1;33m  ~~~\x1b[0m\r\n"
           "\x1b[36m   A village of four streets and one bell, on your own machine.\x1b[0m\r\n"
           "   Type \x1b[1;37mhelp\x1b[0m for the commands, \x1b[1;37mquit\x1b[0m to leave.\r\n\r\n" +
           Look() + kPrompt;
  }

  // The answer to one line, prompt included; `quit` is set on the way out.
  std::string Command(const std::string& line, bool& quit) {
    const size_t start = line.find_first_not_of(' ');
    const std::string text = start == std::string::npos ? std::string() : line.substr(start);
    const size_t space = text.find(' ');
    std::string verb = text.substr(0, space);
    for (char& c : verb) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::string rest = space == std::string::npos ? std::string() : text.substr(space + 1);
    static const char* const kDirections[] = {"north", "east", "south", "west"};
    std::string out;
    if (verb.empty()) {
    } else if (verb == "look" || verb == "l") {
      out = Look();
    } else if (verb == "say") {
      out = rest.empty() ? "Say what?\r\n" : "\x1b[36mYou say, \"" + rest + "\"\x1b[0m\r\n" + Reply(rest);
    } else if (verb == "help") {
      out = Help();
    } else if (verb == "quit") {
      quit = true;
      return "\x1b[1;33mThe bell-ringer waves goodbye. Come back soon!\x1b[0m\r\n";
    } else {
      int way = -1;
      for (int d = 0; d < 4; ++d)
        if (verb == kDirections[d] || verb == std::string(1, kDirections[d][0])) way = d;
      if (way < 0) {
        out = "Huh? Type \x1b[1;37mhelp\x1b[0m for the commands.\r\n";
      } else if (kRooms[room_].exits[way] < 0) {
        out = "You cannot go " + std::string(kDirections[way]) + " from here.\r\n";
      } else {
        room_ = kRooms[room_].exits[way];
        out = "You walk " + std::string(kDirections[way]) + ".\r\n" + Look();
      }
    }
    return out + kPrompt;
  }

  // Milliseconds until the next message, never less than zero.
  int MsToAmbient() const {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(nextAmbient_ - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
  }

  // The message due now, on a line of its own below the prompt, and the
  // prompt again; every other one is the bell.
  std::string Ambient() {
    static const char* const kOthers[] = {"A pigeon lands on the cobbles and struts about.",
                                          "A cool breeze carries the smell of fresh bread.",
                                          "Somewhere a door creaks open and bangs shut."};
    const bool bell = ambientCount_++ % 2 == 0;
    ScheduleAmbient();
    const std::string text = bell ? "\x1b[1;33mA bell rings in the distance.\x1b[0m"
                                  : std::string("\x1b[34m") + kOthers[Random() % 3] + "\x1b[0m";
    return "\r\n" + text + "\r\n" + kPrompt;
  }

 private:
  struct Room {
    const char* name;
    const char* description;
    const char* extra;      // who or what is here, coloured
    int exits[4];           // north, east, south, west; -1 for none
  };

  static constexpr const char* kPrompt = "\x1b[32m<100hp 50m>\x1b[0m ";
  static constexpr Room kRooms[] = {
      {"Village Square",
       "Worn cobbles ring a dry fountain. Lanes lead north to the bell tower\r\n"
       "and east to the market.",
       "\x1b[35mAn old bell-ringer\x1b[0m sits on the rim of the fountain.\r\n",
       {1, 3, -1, -1}},
      {"Foot of the Bell Tower",
       "A stone tower rises above you; a rope hangs through a hole in the\r\n"
       "ceiling of its doorway. A garden gate stands open to the east.",
       "\x1b[33mA coil of old rope\x1b[0m lies by the door.\r\n",
       {-1, 2, 0, -1}},
      {"Quiet Garden",
       "Rows of herbs grow between gravel paths. Bees hum over the thyme.\r\n"
       "The tower is west; a path runs south towards the stalls.",
       "\x1b[33mA wooden bench\x1b[0m stands in the shade.\r\n",
       {-1, -1, 3, 1}},
      {"Market Street",
       "Stalls line the street, their awnings striped red and white. The\r\n"
       "square is west and the garden north.",
       "\x1b[35mA baker\x1b[0m calls out: \x1b[1;37m\"Fresh rolls, still warm!\"\x1b[0m\r\n",
       {2, -1, -1, 0}},
  };

  std::string Look() const {
    const Room& r = kRooms[room_];
    static const char* const kNames[] = {"north", "east", "south", "west"};
    std::string exits;
    for (int d = 0; d < 4; ++d)
      if (r.exits[d] >= 0) exits += std::string(exits.empty() ? "" : " ") + kNames[d];
    return std::string("\x1b[1;36m") + r.name + "\x1b[0m\r\n" + r.description + "\r\n" + r.extra +
           "\x1b[32mExits: \x1b[1;32m" + exits + "\x1b[0m\r\n";
  }

  // The bell-ringer answers a greeting when he is in the room.
  std::string Reply(const std::string& said) const {
    std::string lower = said;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (room_ != 0 || (lower.find("hello") == std::string::npos && lower.find("well met") == std::string::npos))
      return {};
    return "\x1b[35mThe old bell-ringer\x1b[0m says, \"Well met! Listen for my bell now and then.\"\r\n";
  }

  // Several screens to scroll and search: the commands, the client's keys
  // worth trying here, and the bell-ringer's log.
  static std::string Help() {
    std::string text =
        "\x1b[1;36mCommands of the demo world\x1b[0m\r\n"
        "  \x1b[1;37mlook\x1b[0m (l)          the room you are in\r\n"
        "  \x1b[1;37mnorth\x1b[0m (n), \x1b[1;37meast\x1b[0m (e), \x1b[1;37msouth\x1b[0m (s), \x1b[1;37mwest\x1b[0m (w)\r\n"
        "  \x1b[1;37msay\x1b[0m <text>        speak; the bell-ringer answers a hello\r\n"
        "  \x1b[1;37mhelp\x1b[0m              this text\r\n"
        "  \x1b[1;37mquit\x1b[0m              leave the world\r\n"
        "\r\n"
        "\x1b[1;36mWhat the demo option set does\x1b[0m\r\n"
        "  /nesw             speedwalk: walks the whole square, one step a letter\r\n"
        "  /2e               a count before a letter repeats the step\r\n"
        "  greet Ann         an alias with a parameter: says \"Well met, Ann!\"\r\n"
        "  greet             the same alias asks for the missing name\r\n"
        "  look|say hi       the separator | sends two commands\r\n"
        "  Ctrl+1            macro: look\r\n"
        "  Ctrl+2            macro: walk the square\r\n"
        "  Ctrl+Keypad 8 2 4 6  walk north, south, west, east (Num Lock on)\r\n"
        "  A bell rings      a trigger plays a sound on that line\r\n"
        "  Page Up/Down      scroll; Ctrl+F finds text, F3 the next match\r\n"
        "  Up/Down           the commands typed before\r\n"
        "\r\n"
        "\x1b[1;36mThe bell-ringer's log\x1b[0m (try Ctrl+F and search for \"silver\")\r\n";
    static const char* const kWeather[] = {"clear", "rain", "fog", "wind", "snow", "sun"};
    static const char* const kNotes[] = {"rang for the market", "rang the hours", "oiled the wheel",
                                         "mended a rope", "rang for a wedding", "chased the pigeons"};
    for (int day = 1; day <= 120; ++day) {
      char line[160];
      std::snprintf(line, sizeof line, "  \x1b[33mDay %3d\x1b[0m  %-5s  %s%s\r\n", day, kWeather[day * 7 % 6],
                    kNotes[day * 5 % 6], day == 97 ? "; found a silver bell in the garden" : "");
      text += line;
    }
    return text + "\x1b[1;36mEnd of help.\x1b[0m\r\n";
  }

  uint32_t Random() { return seed_ = seed_ * 1103515245u + 12345u, (seed_ >> 16) & 0x7FFF; }
  void ScheduleAmbient() { nextAmbient_ = Clock::now() + std::chrono::seconds(20 + Random() % 21); }

  int room_ = 0;
  int ambientCount_ = 0;
  uint32_t seed_ = static_cast<uint32_t>(Clock::now().time_since_epoch().count());
  Clock::time_point nextAmbient_;
};

// One client connection; false once the client is gone.
class Session {
 public:
  explicit Session(int fd) : fd_(fd) {}

  void Run() {
    if (!settings.demo)
      Write("\x1b[1;33mWelcome to \x1b[1;32mthe Test MUD\x1b[0m\r\n"
            "\x1b[36mA place to try out clients.\x1b[0m\r\n");
    if (settings.sendDo) {
      Write(Command(DO, NAWS));
      himNaws_ = WantYes;
    }
    if (settings.streamLines >= 0) {
      Stream(settings.streamLines);
      if (settings.untilReply) AwaitReply();
      return;
    }
    Write(settings.demo ? world_.Welcome() : "> ");
    char buf[4096];
    while (alive_ && !TimeUp()) {
      pollfd p{fd_, POLLIN, 0};
      int n = poll(&p, 1, settings.demo ? std::min(MsLeft(), world_.MsToAmbient()) : MsLeft());
      if (settings.demo && world_.MsToAmbient() == 0) Write(world_.Ambient());
      if (n <= 0) continue;
      ssize_t got = recv(fd_, buf, sizeof buf, 0);
      if (got <= 0) break;
      for (ssize_t i = 0; i < got && alive_; ++i) Feed(static_cast<unsigned char>(buf[i]));
    }
  }

 private:
  enum Q { No, Yes, WantYes };
  enum State { Data, GotIac, GotVerb, InSb, SbIac };

  static std::string Command(unsigned char verb, unsigned char option) {
    return std::string{static_cast<char>(IAC), static_cast<char>(verb), static_cast<char>(option)};
  }

  void WriteAll(const char* data, size_t size) {
    while (size > 0 && alive_) {
      ssize_t n = send(fd_, data, size, MSG_NOSIGNAL);
      if (n <= 0) {
        alive_ = false;
        return;
      }
      sent_ += static_cast<size_t>(n);
      data += n;
      size -= static_cast<size_t>(n);
    }
  }

  void Write(const std::string& bytes) {
    if (capture_) {
      *capture_ += bytes;
      return;
    }
    if (settings.chunk == 0) {
      WriteAll(bytes.data(), bytes.size());
      return;
    }
    for (size_t at = 0; at < bytes.size() && alive_; at += settings.chunk) {
      if (at > 0) Pause(settings.delayMs);
      WriteAll(bytes.data() + at, std::min(settings.chunk, bytes.size() - at));
    }
  }

  void Feed(unsigned char c) {
    switch (state_) {
      case Data:
        if (c == IAC) {
          state_ = GotIac;
        } else {
          DataByte(c);
        }
        break;
      case GotIac:
        if (c == IAC) {
          DataByte(c);
          state_ = Data;
        } else if (c == WILL || c == WONT || c == DO || c == DONT) {
          verb_ = c;
          state_ = GotVerb;
        } else if (c == SB) {
          sb_.clear();
          state_ = InSb;
        } else {
          if (c == AYT) Write("[Yes]\r\n");
          state_ = Data;
        }
        break;
      case GotVerb:
        Negotiation(verb_, c);
        state_ = Data;
        break;
      case InSb:
        if (c == IAC) {
          state_ = SbIac;
        } else {
          sb_.push_back(static_cast<char>(c));
        }
        break;
      case SbIac:
        if (c == SE) {
          SubNegotiation();
          state_ = Data;
        } else {
          // A doubled IAC is one data byte; the client sends 255 in a size
          // undoubled, which reads the same here.
          sb_.push_back(static_cast<char>(IAC));
          if (c != IAC) sb_.push_back(static_cast<char>(c));
          state_ = InSb;
        }
        break;
    }
  }

  void Negotiation(unsigned char verb, unsigned char option) {
    if (pingpong_ && (verb == WONT || verb == DONT)) {
      // The same refusal back: a client answering refusals never stops.
      ++refusals_;
      Write(Command(verb, option));
      return;
    }
    if (option == MCCP2 && (verb == DO || verb == DONT)) {
      mccp_ = verb == DO;
      return;
    }
    bool* dataOption = option == GMCP ? &gmcp_ : option == MSDP ? &msdp_ : option == MSSP ? &mssp_ : nullptr;
    if (dataOption && (verb == DO || verb == DONT)) {
      *dataOption = verb == DO;
      return;
    }
    if (option != NAWS) {
      if (verb == WILL) Write(Command(DONT, option));
      if (verb == DO) Write(Command(WONT, option));
      return;
    }
    if (verb == WILL) {
      if (himNaws_ == No) Write(Command(DO, NAWS));
      himNaws_ = Yes;
    } else if (verb == WONT) {
      if (himNaws_ == Yes) Write(Command(DONT, NAWS));
      himNaws_ = No;
    } else if (verb == DO) {
      Write(Command(WONT, NAWS));  // the server has no window to report
    }
  }

  void SubNegotiation() {
    if (!sb_.empty() && static_cast<unsigned char>(sb_[0]) == GMCP) {
      // Told as it comes once GMCP is on; what came before, after "GMCP ON".
      const std::string line = "GMCP GOT " + sb_.substr(1) + "\r\n";
      if (gmcpOffered_) Write(line);
      else gmcpGot_ += line;
      return;
    }
    if (!sb_.empty() && static_cast<unsigned char>(sb_[0]) == MSDP) {
      std::string line = "MSDP GOT";
      for (size_t i = 1; i < sb_.size(); ++i) {
        const char c = sb_[i];
        line += c == mud_game_data::kVar || c == mud_game_data::kVal ? ' ' : c;
      }
      msdpGot_ += line + "\r\n";
      return;
    }
    if (sb_.size() != 5 || static_cast<unsigned char>(sb_[0]) != NAWS) return;
    auto byte = [&](int i) { return static_cast<unsigned char>(sb_[static_cast<size_t>(i)]); };
    width_ = byte(1) << 8 | byte(2);
    height_ = byte(3) << 8 | byte(4);
    haveSize_ = true;
    if (!settings.demo) Write(SizeLine());
  }

  std::string SizeLine() const {
    if (!haveSize_) return "NAWS none\r\n";
    return "NAWS " + std::to_string(width_) + "x" + std::to_string(height_) + "\r\n";
  }

  void DataByte(unsigned char c) {
    if (c == '\r' || c == '\n') {
      // CR LF, LF CR, CR NUL and lone CR or LF all end one line.
      if (lastEnd_ != 0 && lastEnd_ != c) {
        lastEnd_ = 0;
        return;
      }
      lastEnd_ = c;
      Line(line_);
      line_.clear();
      return;
    }
    if (c == 0 && lastEnd_ == '\r') {
      lastEnd_ = 0;
      return;
    }
    lastEnd_ = 0;
    line_.push_back(static_cast<char>(c));
  }

  void Line(const std::string& line) {
    if (awaitingReply_) {
      awaitingReply_ = false;
      return;
    }
    if (settings.demo) {
      bool quit = false;
      Write(world_.Command(line, quit));
      alive_ = alive_ && !quit;
      return;
    }
    Write("You said: " + line + "\r\n");
    if (line == "quit") {
      Write("Goodbye.\r\n");
      alive_ = false;
      return;
    }
    if (line == "size") {
      Write(SizeLine());
    } else if (line == "clock") {
      const auto since = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started_);
      Write("CLOCK " + std::to_string(since.count()) + "\r\n");
    } else if (line.rfind("split ", 0) == 0) {
      Split(line.substr(6));
    } else if (line.rfind("compress ", 0) == 0) {
      Compress(line.substr(9));
    } else if (line == "gmcp" || line.rfind("gmcp ", 0) == 0) {
      GameData(line.size() > 5 ? line.substr(5) : "ire");
    } else if (line == "msdp" || line == "mssp") {
      ServerData(line == "msdp");
    } else if (line.rfind("stream ", 0) == 0) {
      Stream(std::atol(line.c_str() + 7));
    } else {
      Hostile(line);
    }
    Write("> ");
  }

  void Split(const std::string& args) {
    size_t space = args.find(' ');
    std::string text =
        (space == std::string::npos ? std::string("A treasure chest lies here.") : args.substr(space + 1)) +
        "\r\n";
    std::vector<size_t> cuts;
    for (const char* p = args.c_str(); *p && *p != ' ';) {
      char* end;
      unsigned long v = std::strtoul(p, &end, 10);
      if (end == p) break;
      cuts.push_back(v);
      p = *end == ',' ? end + 1 : end;
    }
    size_t from = 0;
    for (size_t cut : cuts) {
      if (cut <= from || cut >= text.size()) continue;
      WriteAll(text.data() + from, cut - from);
      Pause(settings.delayMs);
      from = cut;
    }
    WriteAll(text.data() + from, text.size() - from);
  }

  void Hostile(const std::string& line) {
    const size_t space = line.find(' ');
    const std::string verb = line.substr(0, space);
    const long n = space == std::string::npos ? 0 : std::atol(line.c_str() + space + 1);
    if (verb == "pingpong") {
      pingpong_ = true;
      Write(Command(DONT, 1) + Command(WONT, 1));
      Listen(300);
      Write("REFUSALS ANSWERED " + std::to_string(refusals_) + "\r\n");
    } else if (verb == "dontnaws") {
      Write(Command(DONT, NAWS));
      Listen(200);
      Write("DONT NAWS SENT\r\n");
    } else if (verb == "unfinished") {
      std::string text = "A" + std::string{static_cast<char>(IAC), static_cast<char>(SB), 24, 'x'};
      for (long i = 0; i < n; ++i) text += "filler line " + std::to_string(i) + "\r\n";
      Write(text + "END UNFINISHED\r\n");
    } else if (verb == "escapes") {
      std::string text;
      for (long i = 0; i < n; ++i) text += "\x1b[0m";
      Write(text + "\r\nEND ESCAPES\r\n");
    } else if (verb == "endless") {
      Write(std::string(static_cast<size_t>(std::max(0L, n)), 'x') + "\r\nEND ENDLESS\r\n");
    }
  }

  // Telnet answers on the way are taken in as usual; the first line is the reply.
  void AwaitReply() {
    awaitingReply_ = true;
    char buf[4096];
    while (awaitingReply_ && alive_ && !TimeUp()) {
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, MsLeft()) <= 0) continue;
      ssize_t got = recv(fd_, buf, sizeof buf, 0);
      if (got <= 0) break;
      for (ssize_t i = 0; i < got && awaitingReply_; ++i) Feed(static_cast<unsigned char>(buf[i]));
    }
    if (awaitingReply_) {
      std::printf("NO REPLY\n");
    } else {
      const std::chrono::duration<double> took = Clock::now() - started_;
      std::printf("REPLY %.3f %zu\n", took.count(), sent_);
    }
    std::fflush(stdout);
  }

  // A whole zlib stream, or with `end` false one that a fault will follow.
  static std::string Deflate(const std::string& text, bool end) {
    z_stream z{};
    deflateInit(&z, Z_DEFAULT_COMPRESSION);
    std::string out(deflateBound(&z, text.size()) + 64, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    z.avail_in = static_cast<uInt>(text.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, end ? Z_FINISH : Z_SYNC_FLUSH);
    out.resize(out.size() - z.avail_out);
    deflateEnd(&z);
    return out;
  }

  // Each stream starts in the middle of a write, as servers start one right
  // after the text before it.
  void Compress(const std::string& arg) {
    Write(Command(WILL, MCCP2));
    Listen(200);
    if (!mccp_) {
      Write("COMPRESSION REFUSED\r\n");
      return;
    }
    const std::string start{static_cast<char>(IAC), static_cast<char>(SB), static_cast<char>(MCCP2),
                            static_cast<char>(IAC), static_cast<char>(SE)};
    if (arg == "plain") {
      Write(start + "NOT COMPRESSED AFTER ALL\r\n");
      Listen(200);
      Write(mccp_ ? "COMPRESSION STILL ON\r\n" : "COMPRESSION OFF\r\n");
      return;
    }
    if (arg == "broken") {
      Write("Compressing.\r\n" + start + Deflate("kept before the fault\r\n", false) + "\xff\xff\xff\xff" +
            "never shown\r\n");
      return;
    }
    std::string plain;
    capture_ = &plain;
    Stream(std::atol(arg.c_str()));
    capture_ = nullptr;
    Write("Compressing.\r\n" + start + Deflate(plain, true) + "PLAIN BETWEEN\r\n" + start +
          Deflate("AGAIN COMPRESSED\r\n", true) + "END COMPRESS\r\n");
  }

  std::string Sb(unsigned char option, const std::string& value) {
    std::string out{static_cast<char>(IAC), static_cast<char>(SB), static_cast<char>(option)};
    for (char c : value) {
      out += c;
      if (c == static_cast<char>(IAC)) out += c;
    }
    return out + std::string{static_cast<char>(IAC), static_cast<char>(SE)};
  }

  std::string Gmcp(const mud_game_data::Message& m) {
    return Sb(GMCP, m.first + (m.second.empty() ? "" : " " + m.second));
  }

  // Offers `option` unless it is on; whether the client has it on then.
  bool Offer(unsigned char option, bool& on) {
    if (on) return true;
    Write(Command(WILL, option));
    Listen(200);
    return on;
  }

  void GameData(const std::string& what) {
    if (!Offer(GMCP, gmcp_)) {
      Write("GMCP REFUSED\r\n");
      return;
    }
    if (!gmcpOffered_) {
      gmcpOffered_ = true;
      Write("GMCP ON\r\n" + std::exchange(gmcpGot_, {}));
    }
    const size_t space = what.find(' ');
    const std::string verb = what.substr(0, space);
    const long n = space == std::string::npos ? 0 : std::atol(what.c_str() + space + 1);
    if (verb == "vitals") {
      for (long i = 0; i < n && alive_; ++i) Write(Gmcp(mud_game_data::Vitals(i)));
      Write("END GMCP VITALS\r\n");
    } else if (verb == "bad") {
      Write(Gmcp(mud_game_data::Vitals(0)) + Gmcp({"Char.Vitals", R"({"hp":"12",)"}) + "END GMCP BAD\r\n");
    } else if (verb == "big") {
      Write(Gmcp({"Big.Data", "\"" + std::string(static_cast<size_t>(std::max(0L, n - 11)), 'x') + "\""}) +
            "END GMCP BIG\r\n");
    } else {
      std::string all;
      for (const auto& m : mud_game_data::Gmcp(verb)) all += Gmcp(m);
      Write(all + "END GMCP\r\n");
    }
  }

  void ServerData(bool msdp) {
    if (!Offer(msdp ? MSDP : MSSP, msdp ? msdp_ : mssp_)) {
      Write(msdp ? "MSDP REFUSED\r\n" : "MSSP REFUSED\r\n");
      return;
    }
    if (msdp)
      Write("MSDP ON\r\n" + std::exchange(msdpGot_, {}) + Sb(MSDP, mud_game_data::MsdpList()) +
            Sb(MSDP, mud_game_data::MsdpValues()) + "END MSDP\r\n");
    else
      Write(Sb(MSSP, mud_game_data::Mssp()) + "END MSSP\r\n");
  }

  // Takes in what the client sends for a while, as a server busy elsewhere.
  void Listen(int ms) {
    const auto until = Clock::now() + std::chrono::milliseconds(ms);
    char buf[4096];
    while (alive_ && Clock::now() < until) {
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, 10) <= 0) continue;
      ssize_t got = recv(fd_, buf, sizeof buf, 0);
      if (got <= 0) return;
      for (ssize_t i = 0; i < got && alive_; ++i) Feed(static_cast<unsigned char>(buf[i]));
    }
  }

  // Lines of mixed colours, some long enough to wrap, each starting with
  // its number so a client can check that none is lost or reordered.
  void Stream(long lines) {
    static const char* const kWords[] = {"the", "orc", "swings", "at", "you", "misses",
                                         "gold", "coins", "dark", "corridor", "north", "a"};
    uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
    std::string block;
    for (long i = 0; i < lines && alive_; ++i) {
      char head[64];
      std::snprintf(head, sizeof head, "\x1b[1;3%um[%06ld]\x1b[0m ", 1 + next() % 7, i);
      std::string line = head;
      int words = 3 + static_cast<int>(next() % (i % 9 == 0 ? 40 : 12));
      for (int w = 0; w < words; ++w) {
        if (next() % 4 == 0) line += "\x1b[3" + std::to_string(next() % 8) + "m";
        line += kWords[next() % (sizeof kWords / sizeof *kWords)];
        line += ' ';
      }
      line += "\x1b[0m\r\n";
      block += line;
      if (block.size() >= 8192) {
        Write(block);
        block.clear();
      }
    }
    block += "END OF STREAM " + std::to_string(lines) + "\r\n";
    Write(block);
  }

  int fd_;
  DemoWorld world_;
  const Clock::time_point started_ = Clock::now();
  size_t sent_ = 0;
  bool awaitingReply_ = false;
  bool alive_ = true;
  State state_ = Data;
  unsigned char verb_ = 0;
  std::string sb_;
  Q himNaws_ = No;
  bool haveSize_ = false;
  int width_ = 0, height_ = 0;
  std::string line_;
  unsigned char lastEnd_ = 0;
  bool pingpong_ = false;
  bool mccp_ = false;
  bool gmcp_ = false, msdp_ = false, mssp_ = false;  // the client said DO
  bool gmcpOffered_ = false;  // "GMCP ON" written: the client's messages are told as they come
  std::string gmcpGot_, msdpGot_;  // what the client sent, not told yet
  std::string* capture_ = nullptr;  // where Write puts what is compressed later
  long refusals_ = 0;
};

bool ParseArgs(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    const char* v = nullptr;
    if (a == "--once") {
      settings.once = true;
    } else if (a == "--demo") {
      settings.demo = true;
    } else if (a == "--no-do") {
      settings.sendDo = false;
    } else if (a == "--until-reply") {
      settings.untilReply = true;
    } else if ((a == "--port" || a == "--timeout" || a == "--chunk" || a == "--delay-ms" ||
                a == "--stream") &&
               (v = value())) {
      long n = std::atol(v);
      if (a == "--port") settings.port = static_cast<int>(n);
      if (a == "--timeout") settings.timeoutSec = static_cast<int>(n);
      if (a == "--chunk") settings.chunk = static_cast<size_t>(n);
      if (a == "--delay-ms") settings.delayMs = static_cast<int>(n);
      if (a == "--stream") settings.streamLines = n;
    } else {
      std::fprintf(stderr, "mud_test_server: unknown or incomplete option %s\n", a.c_str());
      return false;
    }
  }
  return settings.timeoutSec > 0 && settings.port >= 0 && settings.port <= 0xFFFF;
}

}  // namespace

int main(int argc, char** argv) {
  if (!ParseArgs(argc, argv)) return 2;
  deadline = Clock::now() + std::chrono::seconds(settings.timeoutSec);

  int listener = socket(AF_INET, SOCK_STREAM, 0);
  if (listener < 0) {
    std::perror("socket");
    return 1;
  }
  int one = 1;
  setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(static_cast<uint16_t>(settings.port));
  if (bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) < 0 || listen(listener, 4) < 0) {
    std::perror("bind");
    return 1;
  }
  socklen_t len = sizeof addr;
  getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len);
  std::printf("PORT %d\n", ntohs(addr.sin_port));
  std::fflush(stdout);

  while (!TimeUp()) {
    pollfd p{listener, POLLIN, 0};
    if (poll(&p, 1, MsLeft()) <= 0) continue;
    int fd = accept(listener, nullptr, nullptr);
    if (fd < 0) continue;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    Session(fd).Run();
    // Closing with the client's bytes unread would reset the connection
    // and could lose the last lines: end the sending side, then drain.
    shutdown(fd, SHUT_WR);
    char sink[4096];
    for (int i = 0; i < 100 && !TimeUp(); ++i) {
      pollfd c{fd, POLLIN, 0};
      if (poll(&c, 1, 20) > 0 && recv(fd, sink, sizeof sink, 0) <= 0) break;
    }
    close(fd);
    if (settings.once) break;
  }
  close(listener);
  return 0;
}
