#include "mud_text.h"

#include <array>
#include <random>
#include <string_view>

namespace ombrel::bench {
namespace {

constexpr std::array<const char*, 6> kProse = {
    "The rain has stopped and the streets of the old town shine in the lamplight.",
    "A merchant calls out his wares from a cart piled high with cabbages.",
    "You hear the distant bells of the temple ringing the evening hour.",
    "A thin grey cat slips between your feet and vanishes into an alley.",
    "The guard looks you over, shrugs, and goes back to polishing his helmet.",
    "Somewhere above you a window bangs shut against the wind.",
};

constexpr std::array<const char*, 8> kColoured = {
    "\x1b[1;36mThe Market Square\x1b[0m\r\n",
    "\x1b[0;32m[Exits: north east south west up]\x1b[0m\r\n",
    "\x1b[1;33mA fat merchant\x1b[0m is here, counting his \x1b[33mgold coins\x1b[0m.\r\n",
    "\x1b[31mThe goblin\x1b[0m hits you \x1b[1;31mhard\x1b[0m! [\x1b[35m12\x1b[0m]\r\n",
    "\x1b[1;35mAldric tells you, 'meet me at the gate in five minutes.'\x1b[0m\r\n",
    "\x1b[0;37mYou see nothing special about the \x1b[1;34mblue door\x1b[0;37m.\x1b[0m\r\n",
    "\x1b[32m<\x1b[1;32m432hp \x1b[0;36m211m \x1b[33m98mv\x1b[32m>\x1b[0m ",
    "\r\n\x1b[1;37m[OOC] Brianna: anyone up for the crypt run tonight?\x1b[0m\r\n",
};

constexpr std::array<const char*, 8> kUtf8 = {
    "\x1b[1;36mLe Marché aux Fleurs\x1b[0m\r\n",
    "\x1b[0;32m[Sorties : nord est sud ouest haut]\x1b[0m\r\n",
    "Ein Händler ruft: »Äpfel, Birnen, Zwetschgen – frisch vom Baum!«\r\n",
    "\x1b[1;35mAiko tells you, '東京の門で会いましょう。五分後に。'\x1b[0m\r\n",
    "The bard sings of Ælfred and Þórr, of the fjords where the long ships sail at dawn, and of the "
    "crowd that listens, quiet, over its café au lait.\r\n",
    "\x1b[31mThe goblin\x1b[0m hits you \x1b[1;31mhard\x1b[0m! [\x1b[35m12\x1b[0m]\r\n",
    "\x1b[32m<\x1b[1;32m432hp \x1b[0;36m211m \x1b[33m98mv\x1b[32m>\x1b[0m ",
    "\r\n\x1b[1;37m[OOC] Zoë: anyone up for the crypt run tonight? 🙂\x1b[0m\r\n",
};

// The same scenes as a server with xterm colours sends them: palette and
// true colours, some lines ended by a reset, some by 39 or an empty one.
constexpr std::array<const char*, 8> kXtermColoured = {
    "\x1b[1;38;5;51mThe Market Square\x1b[0m\r\n",
    "\x1b[38;5;34m[Exits: north east south west up]\x1b[39m\r\n",
    "\x1b[38;2;255;215;0mA fat merchant\x1b[0m is here, counting his \x1b[38;5;220mgold coins\x1b[0m.\r\n",
    "\x1b[38;5;196mThe goblin\x1b[m hits you \x1b[1;38;2;255;40;40mhard\x1b[m! [\x1b[38;5;201m12\x1b[m]\r\n",
    "\x1b[38;2;200;120;255mAldric tells you, 'meet me at the gate in five minutes.'\x1b[0m\r\n",
    "\x1b[48;5;236;38;5;250mYou see nothing special about the \x1b[38;2;80;80;255mblue door\x1b[38;5;250m.\x1b[0m\r\n",
    "\x1b[38;5;28m<\x1b[38;5;46m432hp \x1b[38;5;51m211m \x1b[38;5;226m98mv\x1b[38;5;28m>\x1b[0m ",
    "\r\n\x1b[7;38;5;231m[OOC] Brianna: anyone up for the crypt run tonight?\x1b[27;39m\r\n",
};

template <typename Pick>
std::string Fill(size_t bytes, Pick pick) {
  std::string out;
  out.reserve(bytes + 256);
  std::mt19937 rng(7);
  while (out.size() < bytes) out += pick(rng);
  return out;
}

std::vector<std::string> Names(uint32_t seed, size_t n, bool capital) {
  static const char* syllables[] = {"al", "dric", "bri", "an", "na", "kor", "vek", "mi", "ra", "thel",
                                    "dor", "el", "sa", "gor", "im", "ul", "fen", "ta", "lo", "quin"};
  std::mt19937 rng(seed);
  std::vector<std::string> out;
  while (out.size() < n) {
    std::string name;
    for (int i = 0, k = 2 + rng() % 2; i < k; ++i) name += syllables[rng() % 20];
    if (capital) name[0] = static_cast<char>(name[0] - 'a' + 'A');
    out.push_back(name);
  }
  return out;
}

}  // namespace

const std::vector<std::string>& BusyPlayers() {
  static const std::vector<std::string> names = Names(11, 40, true);
  return names;
}

const std::vector<std::string>& BusyMobs() {
  static const std::vector<std::string> mobs = [] {
    std::vector<std::string> m = {"goblin", "orc", "troll", "kobold", "grey wolf", "cave bear", "skeleton", "bandit"};
    for (const std::string& n : Names(12, 52, false)) m.push_back(n + " warrior");
    return m;
  }();
  return mobs;
}

const std::vector<std::string>& BusyItems() {
  static const std::vector<std::string> items = [] {
    std::vector<std::string> i = {"a rusty dagger", "a gold ring", "some bread", "a torn map"};
    for (const std::string& n : Names(13, 46, false)) i.push_back("a " + n + " amulet");
    return i;
  }();
  return items;
}

std::string BusyColouredText(size_t bytes) {
  static const char* dirs[] = {"north", "east", "south", "west", "up", "down"};
  static const char* chat[] = {"meet me at the gate in five minutes", "need a healer at the crypt",
                               "selling a gold ring, cheap", "anyone up for the crypt run tonight?"};
  return Fill(bytes, [](std::mt19937& rng) {
    auto any = [&rng](const auto& v) -> std::string { return v[rng() % std::size(v)]; };
    auto number = [&rng](int max) { return std::to_string(1 + rng() % max); };
    std::string line;
    if (rng() % 3 == 0)
      line += "\x1b[32m<\x1b[1;32m" + number(500) + "hp \x1b[0;36m" + number(300) + "m \x1b[33m" + number(100) +
              "mv\x1b[32m>\x1b[0m ";
    switch (rng() % 40) {
      case 0: case 1:
        return line + "\x1b[1;35m" + any(BusyPlayers()) + " tells you '" + any(chat) + "'\x1b[0m\r\n";
      case 2:
        return line + "\x1b[1;37m[OOC] " + any(BusyPlayers()) + ": " + any(chat) + "\x1b[0m\r\n";
      case 3:
        return line + "You get " + any(BusyItems()) + " from the corpse of the " + any(BusyMobs()) + ".\r\n";
      case 4:
        return line + "You receive \x1b[1;33m" + number(900) + "\x1b[0m experience points.\r\n";
      case 5:
        return line + "\x1b[31mThe " + any(BusyMobs()) + "\x1b[0m hits you for \x1b[1;31m" + number(60) +
               "\x1b[0m damage.\r\n";
      case 6: case 7: case 8:
        return line + "\x1b[1;36mThe Market Square\x1b[0m\r\n\x1b[0;32m[Exits: " + any(dirs) + " " + any(dirs) +
               "]\x1b[0m\r\n";
      case 9: case 10: case 11: case 12:
        return line + "\x1b[1;33mA " + any(BusyMobs()) + "\x1b[0m is here, looking for trouble.\r\n";
      case 13: case 14:
        return line + any(BusyPlayers()) + (rng() % 2 ? " arrives from the " : " leaves ") + any(dirs) + ".\r\n";
      case 15: case 16: case 17: case 18: case 19: case 20: case 21: case 22: case 23: case 24:
        return line + "Your slash \x1b[1;32mmauls\x1b[0m the " + any(BusyMobs()) + "! [\x1b[35m" + number(40) +
               "\x1b[0m]\r\n";
      default:
        return line + any(kProse) + "\r\n";
    }
  });
}

std::string PlainText(size_t bytes) {
  return Fill(bytes, [](std::mt19937& rng) {
    return std::string(kProse[rng() % kProse.size()]) + "\r\n";
  });
}

std::string ColouredText(size_t bytes) {
  return Fill(bytes, [](std::mt19937& rng) { return std::string(kColoured[rng() % kColoured.size()]); });
}

std::string ColouredTextWithTells(size_t bytes, int every) {
  static const char* chat[] = {"meet me at the gate in five minutes.", "need a healer at the crypt",
                               "selling a gold ring, cheap", "anyone up for the crypt run tonight?",
                               "thanks!", "the goblin chief drops a key, bring a lockpick", "brb", "on my way"};
  std::string out;
  out.reserve(bytes + 256);
  std::mt19937 rng(7);
  size_t lines = 0;  // ended so far
  size_t next = static_cast<size_t>(every) - 1;  // the next tell's line
  while (out.size() < bytes) {
    if (lines >= next) {
      next += static_cast<size_t>(every);
      const std::vector<std::string>& names = BusyPlayers();
      out += "\x1b[1;35m" + names[rng() % names.size()] + " tells you, '" + chat[rng() % std::size(chat)] +
             "'\x1b[0m\r\n";
      ++lines;
      continue;
    }
    std::string_view scene = kColoured[rng() % kColoured.size()];
    if (scene.find(" tells you, ") != std::string_view::npos) continue;
    out += scene;
    for (size_t at = 0; (at = scene.find("\r\n", at)) != std::string_view::npos; at += 2) ++lines;
  }
  return out;
}

std::string Utf8Text(size_t bytes) {
  return Fill(bytes, [](std::mt19937& rng) { return std::string(kUtf8[rng() % kUtf8.size()]); });
}

std::string XtermColouredText(size_t bytes) {
  return Fill(bytes, [](std::mt19937& rng) { return std::string(kXtermColoured[rng() % kXtermColoured.size()]); });
}

std::string NegotiationText(size_t bytes) {
  int n = 0;
  return Fill(bytes, [&n](std::mt19937& rng) {
    std::string piece = kColoured[rng() % kColoured.size()];
    switch (++n % 4) {
      case 0: piece += "\xff\xfb\x01"; break;          // WILL ECHO
      case 1: piece += "\xff\xfc\x01\xff\xf9"; break;  // WONT ECHO, GA
      case 2: piece += "\xff\xfa\x18\x01\xff\xf0"; break;  // SB TERMINAL-TYPE SEND
      default: piece += "Price: 255\xff\xff coins\r\n"; break;
    }
    return piece;
  });
}

}  // namespace ombrel::bench
