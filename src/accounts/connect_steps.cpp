#include "accounts/connect_steps.h"

#include <climits>

#include "accounts/address.h"

namespace ombrel {

namespace {

std::string TrimBlanks(const std::string& s) {
  const size_t from = s.find_first_not_of(' ');
  if (from == std::string::npos) return {};
  return s.substr(from, s.find_last_not_of(' ') - from + 1);
}

}  // namespace

ConnectPlan PlanConnect(const ConnectFields& fields, const TOptionSetList& sets) {
  ConnectPlan plan;
  // Letter case counts here, and of two sets with the name the later wins.
  plan.optionSet = sets.LastIndexOfExact(fields.optionSet);
  plan.autoSend = fields.autoSend;
  plan.caption = fields.name;
  plan.target = LowerCase(fields.server);
  plan.numeric = IsNumericAddress(plan.target);
  const std::string port = TrimBlanks(fields.port);
  const std::optional<long long> value = ParseWholeNumber(port);
  if (value && *value >= INT_MIN && *value <= INT_MAX)
    plan.port = static_cast<int>(*value);
  else
    plan.portError = "'" + port + "' is not a valid integer value";
  return plan;
}

}  // namespace ombrel
