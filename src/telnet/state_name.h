// The names the console shows for an option's negotiation state.
#pragma once

#include <cstdint>
#include <string>

#include "telnet/telnet_parser.h"

namespace ombrel {

inline std::string StateName(uint16_t state) {
  switch (state) {
    case NO: return "no";
    case YES: return "yes";
    case WANTNO: return "wantno";
    case WANTYES: return "wantyes";
    default: return "";
  }
}

}  // namespace ombrel
