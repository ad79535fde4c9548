// Whether a server field names a host by number: such a text is handed to
// the connection as an address, anything else as a name to be looked up.
#pragma once

#include <cstdint>
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

// The IPv4 address (host byte order) a numeric text stands for, read the
// way socket libraries read short forms: "a.b.c.d" with four bytes,
// "a.b.c" with a 16-bit last part, "a.b" with a 24-bit one and a bare "a"
// as the whole 32 bits. Negative parts and parts too large for their place
// give no address.
std::optional<uint32_t> NumericAddressValue(std::string_view text);

}  // namespace ombrel
