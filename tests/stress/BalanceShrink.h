// Shortens a failing balance scenario to the shortest list of actions found
// that still fails, so that a failing seed can be read and replayed.
#pragma once

#include "fuzz/BalanceActions.h"

#include <functional>

namespace balance {

// `fails` runs a candidate and says whether it still fails. Fewer nodes
// are tried first, then ever smaller runs of actions are cut out, then
// settings are moved off the second thread; at most `budget` runs.
Scenario Shrink(const Scenario& failing, const std::function<bool(const Scenario&)>& fails,
                int budget);

}  // namespace balance
