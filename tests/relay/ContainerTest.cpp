// The event ring and the sorted node list on their own; everything else is
// exercised through nodes.
#include "relay/EventQueue.h"
#include "relay/NodeList.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

TEST(EventQueue, KeepsOrderAcrossTheWrapAndDropsWhenFull)
{
    auto queue = std::make_unique<EventQueue>();
    VstMidiEvent event = BlankMidiEvent();
    for (int n = 0; n < 200; ++n)
        queue->Push(event), queue->Pop(event);
    for (event.deltaFrames = 0; event.deltaFrames < 256; ++event.deltaFrames)
        ASSERT_TRUE(queue->Push(event));
    EXPECT_FALSE(queue->Push(event));
    for (int n = 0; n < 256; ++n)
        ASSERT_TRUE(queue->Pop(event) && event.deltaFrames == n) << n;
    EXPECT_FALSE(queue->Pop(event));
}

std::vector<int32_t> Ids(const NodeList<unsigned char>& list)
{
    std::vector<int32_t> ids;
    for (uint32_t i = 0; i < list.Count(); ++i)
        ids.push_back(list.Entry(i).nodeId);
    return ids;
}

TEST(NodeList, InsertsSortedRemovesOnlyWhatIsThereAndStopsAtSixtyFour)
{
    NodeList<unsigned char> list;
    unsigned char flags[3] = {};
    list.Insert(5, &flags[0]);
    list.Insert(2, &flags[1]);
    list.Insert(9, &flags[2]);
    EXPECT_EQ(Ids(list), (std::vector<int32_t>{2, 5, 9}));
    list.Remove(5);
    list.Remove(4);
    list.Remove(10);
    EXPECT_EQ(Ids(list), (std::vector<int32_t>{2, 9}));
    EXPECT_EQ(list.Entry(1).target, &flags[2]);

    for (int id = 64; id >= 3; --id)
        list.Insert(id, nullptr);
    list.Insert(1, nullptr);
    ASSERT_EQ(list.Count(), 64u);
    EXPECT_EQ(list.Entry(0).nodeId, 2) << "a full list ignores the insertion";
}

}  // namespace
