// Whether a server field names a host by number: such a text is handed to
// the connection as an address, anything else as a name to be looked up.
#pragma once

#include <optional>
#include <string_view>

namespace ombrel {

// A whole number as the server and port fields accept it: decimal with an
// optional sign, or hexadecimal after a dollar sign ("$1F", "-$10").
// Nothing else may surround it. Decimal values must fit a signed 32-bit
// integer; hexadecimal ones may use all 32 bits.
std::optional<long long> ParseWholeNumber(std::string_view text);

// Up to three pieces are split off at the leftmost dots; each of them and
// the remaining text must be a whole number. "10.0.0.1" and "4000" pass,
// "1.2.3.4.5" does not (its remainder "4.5" is no whole number).
bool IsNumericAddress(std::string_view text);

}  // namespace ombrel
