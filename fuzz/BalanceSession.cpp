#include "fuzz/BalanceSession.h"

namespace balance {

void SessionLog::Reset()
{
    std::lock_guard<std::mutex> guard(mutex);
    lastRelease = 0;
    releasesRunning = 0;
    fed.clear();
    lastRun.clear();
}

void SessionLog::Tick()
{
    std::lock_guard<std::mutex> guard(mutex);
    ++clock;
}

int32_t SessionLog::Feed(int node, int32_t endsTag)
{
    std::lock_guard<std::mutex> guard(mutex);
    Fed entry;
    entry.time = clock;
    entry.node = node;
    entry.nodeRanBefore = static_cast<std::size_t>(node) < lastRun.size() ? lastRun[node] : 0;
    entry.endsTag = endsTag;
    fed.push_back(entry);
    return static_cast<int32_t>(fed.size());
}

void SessionLog::Ran(int node)
{
    std::lock_guard<std::mutex> guard(mutex);
    if (lastRun.size() <= static_cast<std::size_t>(node))
        lastRun.resize(static_cast<std::size_t>(node) + 1, 0);
    lastRun[node] = clock;
}

void SessionLog::ReleaseBegins()
{
    std::lock_guard<std::mutex> guard(mutex);
    ++releasesRunning;
}

void SessionLog::ReleaseEnds()
{
    std::lock_guard<std::mutex> guard(mutex);
    --releasesRunning;
    lastRelease = clock;
}

bool SessionLog::Find(int32_t tag, Fed& found) const
{
    std::lock_guard<std::mutex> guard(mutex);
    if (tag <= 0 || static_cast<std::size_t>(tag) > fed.size())
        return false;
    found = fed[static_cast<std::size_t>(tag) - 1];
    return true;
}

bool SessionLog::ReleasedSince(uint64_t time) const
{
    std::lock_guard<std::mutex> guard(mutex);
    return releasesRunning > 0 || lastRelease >= time;
}

}  // namespace balance
