// The MIDI pass as the node's editor sees it: which activity refresh
// indexes each stage sends. What the MIDI does between nodes is tested
// through the module in ModuleRelayRoutingTest.cpp and
// ModuleRelayReleaseTest.cpp.
#include "HostedNode.h"

namespace {

using namespace relaytest;

TEST(Routing, ActivityIndexesFollowTheTraffic)
{
    HostedNode sender;
    sender.Send({});
    sender.Process();
    EXPECT_EQ(sender.editor.indexed, (std::vector<long>{5, 5, 5, 7, 7}));
    sender.editor.Clear();
    sender.Send({On(0, 60)});
    sender.Process();
    EXPECT_EQ(sender.editor.indexed, (std::vector<long>{6, 5, 6, 7, 7}))
        << "no receivers and Thru off: MIDI out stays idle";
    HostedNode receiver;
    receiver.MakeReceiver();
    sender.editor.Clear();
    sender.Send({On(0, 62)});
    sender.Process();
    EXPECT_EQ(sender.editor.indexed, (std::vector<long>{6, 5, 6, 7, 8}));
    // Blocks with nothing to pass skip the node's lock, not the lamps.
    sender.editor.Clear();
    sender.Process();
    sender.Process();
    EXPECT_EQ(sender.editor.indexed, (std::vector<long>{5, 5, 7, 7, 5, 5, 7, 7}));
}

}  // namespace
