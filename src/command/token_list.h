// Token lists: several fields kept in one string, each field followed by
// the byte 0x14, with single-quote quoting for fields holding a comma or a
// quote. The command word and the parameters of a typed command travel in
// this form from the splitter to the alias expansion.
#pragma once

#include <string>
#include <vector>

namespace ombrel {

inline constexpr char kTokenSeparator = '\x14';

// Command word and parameter list of a command line. A tilde switches
// grouping on and off (spaces inside a group do not separate); the tildes
// are removed and the parameters unquoted. Always returns true.
bool SplitCommand(const std::string& line, std::string& first, std::string& rest);

void AddToken(std::string& list, const std::string& token);
// Field `index`, counted from 1, unquoted; empty when there is none.
std::string GetToken(const std::string& list, int index);
int CountTokens(const std::string& list);
// Every field, unquoted, in one pass over the list.
std::vector<std::string> AllTokens(const std::string& list);
// Every field, unquoted, joined by single spaces.
std::string JoinTokens(const std::string& list);

std::string QuoteStr(const std::string& s);
// A field holding the separator cannot be quoted safely; it stays as it is.
std::string QuoteToken(const std::string& s);
std::string UnquoteStr(const std::string& s);
bool IsQuote(char c);

// Link text cleaning: double quotes off both ends, every space removed.
std::string StripQuotesAndSpaces(const std::string& s);

// Removes every byte of code 32 or less from both ends.
std::string TrimControls(const std::string& s);

// Clipboard text as lines: each CR ends one, and the byte after it
// (normally its LF) is skipped unexamined. The last piece, possibly empty,
// is always there, so the result is never empty.
std::vector<std::string> SplitPastedLines(const std::string& text);

}  // namespace ombrel
