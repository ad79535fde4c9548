// Logs as web pages. A log file named *.html or *.htm is written as HTML:
// each line with its colours as spans, its text escaped. The page is one a
// browser opens at every moment, since a crash may end it anywhere between
// two lines: the head is written once, when the file is started, every
// line closes the spans it opens, and nothing relies on closing tags, which
// a browser supplies at the end of the file (they are never written, so a
// later session appends to the same page). The text keeps its line breaks
// by the body's style, not by an element that would have to stay open.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "options/options.h"
#include "term/escape.h"

namespace ombrel {

bool IsHtmlLogName(std::string_view fileName);

enum class PageCharset { Latin1, Utf8 };

inline PageCharset CharsetOf(const TOptions& options) {
  return options.features.utf8 ? PageCharset::Utf8 : PageCharset::Latin1;
}
// What the start of an existing page declares, so that a session of a set
// with the other charset appends in the page's own; none when the page
// names none we know.
std::optional<PageCharset> DeclaredCharset(std::string_view pageStart);

// The start of a new page in the set's colours and font, up to and with
// <body>: the first line follows it directly.
std::string HtmlLogHead(const TOptions& options, PageCharset page, std::string_view title);

// One stored line as the page shows it: `text` as the store keeps it, with
// its sequences, read from `start`, the attributes it begins in, as the
// terminal paints it with `options`; ended by CR LF.
void AppendHtmlLine(std::string_view text, const AttrState& start, const TOptions& options, PageCharset page,
                    std::string& out);

}  // namespace ombrel
