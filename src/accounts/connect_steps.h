// What Connect in the account manager does to the current terminal,
// decided from the dialog's fields before anything is touched.
#pragma once

#include <optional>
#include <string>

#include "options/options.h"

namespace ombrel {

struct ConnectFields {
  std::string optionSet;  // the text the option set list shows
  std::string autoSend;   // lines separated by CR LF
  std::string name;
  std::string server;
  std::string port;
};

struct ConnectPlan {
  std::optional<int> optionSet;  // none: the terminal keeps its set
  std::string autoSend;
  std::string caption;
  std::string target;  // lower case
  bool numeric = false;  // an address, not a name to look up
  std::optional<int> port;
  std::string portError;  // set when the port is no whole number
};

ConnectPlan PlanConnect(const ConnectFields& fields, const TOptionSetList& sets);

}  // namespace ombrel
