#include "BalanceShrink.h"

namespace balance {

namespace {

class Shrinker {
public:
    Shrinker(const std::function<bool(const Scenario&)>& fails, int budget)
        : fails(fails),
          budget(budget)
    {
    }

    bool Fails(const Scenario& candidate)
    {
        if (budget <= 0)
            return false;
        --budget;
        return fails(candidate);
    }

    void FewerNodes(Scenario& best)
    {
        for (int nodes = Scenario::kMinNodes; nodes < best.initialNodes; ++nodes) {
            Scenario candidate = best;
            candidate.initialNodes = nodes;
            if (Fails(candidate)) {
                best = candidate;
                return;
            }
        }
    }

    // Cuts out runs of `length` actions wherever the rest still fails.
    bool CutRuns(Scenario& best, std::size_t length)
    {
        bool cut = false;
        for (std::size_t at = 0; at < best.actions.size();) {
            Scenario candidate = best;
            const auto from = candidate.actions.begin() + static_cast<std::ptrdiff_t>(at);
            const std::size_t count = std::min(length, best.actions.size() - at);
            candidate.actions.erase(from, from + static_cast<std::ptrdiff_t>(count));
            if (Fails(candidate)) {
                best = candidate;
                cut = true;
            } else {
                at += length;
            }
        }
        return cut;
    }

    void OffTheSecondThread(Scenario& best)
    {
        for (Action& action : best.actions) {
            if (!action.second)
                continue;
            Scenario candidate = best;
            candidate.actions[static_cast<std::size_t>(&action - best.actions.data())].second =
                false;
            if (Fails(candidate))
                action.second = false;
        }
    }

private:
    const std::function<bool(const Scenario&)>& fails;
    int budget;
};

}  // namespace

Scenario Shrink(const Scenario& failing, const std::function<bool(const Scenario&)>& fails,
                int budget)
{
    Shrinker shrinker(fails, budget);
    Scenario best = failing;
    shrinker.FewerNodes(best);
    for (bool cut = true; cut;) {
        cut = false;
        for (std::size_t length = best.actions.size() / 2; length >= 1; length /= 2)
            cut = shrinker.CutRuns(best, length) || cut;
    }
    shrinker.OffTheSecondThread(best);
    return best;
}

}  // namespace balance
