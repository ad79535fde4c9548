// Generated server output for the benchmarks: what a busy MUD sends.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace ombrel::bench {

// Plain lines of prose, CR LF ended.
std::string PlainText(size_t bytes);
// Room names, exits, mobs and chat in ANSI colours, with prompts that have
// no line end, as MUD servers send them.
std::string ColouredText(size_t bytes);
// The same scenes, where a tell from one of BusyPlayers() is one line in
// `every` (and no other line is a tell).
std::string ColouredTextWithTells(size_t bytes, int every);
// The same scenes in xterm's 256 colours and true colour.
std::string XtermColouredText(size_t bytes);
// Coloured text with a telnet command or subnegotiation every few lines
// and doubled IAC bytes inside the text.
std::string NegotiationText(size_t bytes);
// Coloured text in UTF-8: accented letters, dashes and quotes, a Japanese
// tell, an emoji, and a long line that wraps.
std::string Utf8Text(size_t bytes);

// A busy fight in a crowded town, coloured: rooms, exits, the prompt before
// most lines, mobs hitting and being hit for varying damage, tells and
// channel talk, arrivals, loot and experience, from the names below. About
// one line in ten is a tell, a hit taken, loot, experience or channel talk.
std::string BusyColouredText(size_t bytes);
const std::vector<std::string>& BusyPlayers();
const std::vector<std::string>& BusyMobs();
const std::vector<std::string>& BusyItems();

}  // namespace ombrel::bench
