// How many nodes one host process can have, through the built module.
#include "ModuleRelayFixture.h"

#include <functional>

namespace relaymodule {
namespace {

using RelayInstanceLimit = RelayNodes;

const char kLimitMessage[] = "Failed to load plugin\n(Reason: Limit of 64\ninstances reached)";

// Refused once per attempt, with the message once and nothing for the
// host to drive.
void ExpectRefused(const std::function<std::unique_ptr<HostInstance>()>& create)
{
    StderrCapture err;
    EXPECT_EQ(create(), nullptr);
    const std::string shown = err.Stop();
    const std::size_t at = shown.find(kLimitMessage);
    EXPECT_NE(at, std::string::npos) << shown;
    EXPECT_EQ(at, shown.rfind(kLimitMessage)) << shown;
    EXPECT_NE(shown.find("Tarvenna"), std::string::npos) << shown;
}

// A refused instance must leave the count as it was (a second attempt is
// refused too), and a closed node's place must be usable again: the late
// node is heard as a receiver only if it got a slot and a port.
TEST_F(RelayInstanceLimit, TheSixtyFifthIsRefusedTheOthersKeepWorkingAndAFreedPlaceIsReused)
{
    for (int i = 0; i < 64; ++i)
        Add();
    HostInstance& sender = *nodes.front();
    HostInstance& receiver = *nodes.back();
    Configure(sender, Sender(2));
    Configure(receiver, Receiver(2));
    Settle();

    const auto create = [this] { return Create(); };
    ExpectRefused(create);
    ExpectRefused(create);
    Feed(sender, {NoteOn(0, 60), NoteOff(0, 60)});
    Cycle();
    EXPECT_EQ(Out(receiver), (Seq{Started(0, 60), Ended(0, 60)}));

    Close(*nodes[10]);
    HostInstance& late = Add(Receiver(2));
    Settle();
    Feed(sender, {NoteOn(0, 62)});
    Cycle();
    EXPECT_EQ(Out(late), Seq{Started(0, 62)});
    EXPECT_EQ(Out(receiver), Seq{Started(0, 62)});
    ExpectRefused(create);
}

}  // namespace
}  // namespace relaymodule
