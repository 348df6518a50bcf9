#include "bench/BenchPool.h"

namespace bench {

BenchNodes& Pool()
{
    static BenchNodes pool;
    return pool;
}

bool PlaceFanOut(int receivers, bool thru)
{
    BenchNodes& pool = Pool();
    if (pool.Grow(receivers + 1) < receivers + 1)
        return false;
    // Senders first, so that no receiver sees a port change under it.
    for (int i = receivers + 1; i < pool.Count(); ++i)
        pool.Place(i, {false, 7, false});
    pool.Place(0, {false, 0, thru});
    for (int i = 1; i <= receivers; ++i)
        pool.Place(i, {true, 0, false});
    pool.Settle();
    return true;
}

bool PlaceEightPorts()
{
    BenchNodes& pool = Pool();
    if (pool.Grow(kMaxNodes) < kMaxNodes)
        return false;
    for (int i = 0; i < kMaxNodes; i += 8)
        pool.Place(i, {false, i / 8, false});
    for (int i = 0; i < kMaxNodes; ++i)
        if (i % 8 != 0)
            pool.Place(i, {true, i / 8, false});
    pool.Settle();
    return true;
}

}  // namespace bench
