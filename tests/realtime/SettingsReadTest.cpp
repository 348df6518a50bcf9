// Readers of a node's settings take no lock the audio thread takes; what
// they read must still be whole: while one thread loads two different banks
// into a node in turn and another plays it, every bank, program name and
// parameter read on a third thread belongs to one of the two.
#include <gtest/gtest.h>

#include "host/Host.h"

#include <atomic>
#include <memory>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using tarvenna::host::HostInstance;
using tarvenna::host::MidiBlock;

std::vector<unsigned char> Bank(const char* name, int mode, int port, bool thru)
{
    std::vector<unsigned char> bytes(61, 0);
    std::memcpy(bytes.data(), name, std::strlen(name));
    bytes[48] = static_cast<unsigned char>(mode);
    bytes[49] = static_cast<unsigned char>(port);
    bytes[50] = thru ? 1 : 0;
    return bytes;
}

TEST(SettingsRead, ReadersSeeOneWholeBankWhileBanksAreLoaded)
{
    tarvenna::host::Module module(TARVENNA_MODULE_PATH);
    ASSERT_TRUE(module.Loaded()) << module.Error();
    tarvenna::host::Host host;
    tarvenna::host::InstanceOptions quiet;
    quiet.record = false;
    std::unique_ptr<HostInstance> node = host.Instantiate(module, quiet);
    ASSERT_TRUE(node) << host.LastError();
    node->Open();
    node->Resume();
    const std::vector<unsigned char> first = Bank("alpha alpha alpha", 0, 2, true);
    const std::vector<unsigned char> second = Bank("omega", 1, 5, false);
    ASSERT_EQ(node->SetChunk(first, false), 1);

    std::atomic<bool> stop{false};
    std::thread loader([&] {
        for (int i = 0; !stop.load(); ++i)
            node->SetChunk(i % 2 == 0 ? second : first, false);
    });
    std::thread audio([&] {
        MidiBlock block(64);
        for (int i = 0; i < 16; ++i)
            block.Add(tarvenna::host::MakeMidiEvent(i % 2 == 0 ? 0x90 : 0x80, 60 + i / 2, 100, i));
        while (!stop.load())
            node->RunBlock(&block, 64);
    });
    int reads = 0, torn = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    while (std::chrono::steady_clock::now() < end) {
        const std::vector<unsigned char> bank = node->GetChunk(false);
        if (bank != first && bank != second)
            ++torn;
        const std::string name = node->ProgramName();
        if (name != "alpha alpha alpha" && name != "omega")
            ++torn;
        const float thru = node->GetParameter(2);
        if (thru != 0.0f && thru != 1.0f)
            ++torn;
        ++reads;
    }
    stop = true;
    loader.join();
    audio.join();
    EXPECT_GT(reads, 100);
    EXPECT_EQ(torn, 0) << "of " << reads << " reads";
    // The last load is the one the node keeps, and readers see it.
    ASSERT_EQ(node->SetChunk(first, false), 1);
    EXPECT_EQ(node->GetChunk(false), first);
    EXPECT_EQ(node->ParameterDisplay(1), "3");
    EXPECT_EQ(node->ParameterDisplay(2), "On");
    node->Close();
}

}  // namespace
