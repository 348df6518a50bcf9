// The two process calls with the host's own buffers.
#include <gtest/gtest.h>

#include "host/AudioBuffers.h"
#include "tests/host/HostTestSupport.h"

namespace tarvenna::host::test {
namespace {

TEST(HostAudioBuffers, ChannelPointersFollowResize)
{
    AudioBuffers audio(2, 2, 4);
    EXPECT_EQ(audio.Frames(), 4);
    audio.FillInputs(1.0f);
    audio.Resize(32);
    EXPECT_EQ(audio.Frames(), 32);
    EXPECT_EQ(audio.Inputs()[1], audio.Input(1));
    EXPECT_EQ(audio.Outputs()[0], audio.Output(0));
    EXPECT_EQ(audio.InputChannel(1).size(), 32u);
    EXPECT_EQ(audio.InputChannel(1)[31], 0.0f);
}

TEST(HostAudioBuffers, MovingKeepsThePointersValid)
{
    AudioBuffers source(2, 2, 8);
    float* left = source.Input(0);
    AudioBuffers moved(std::move(source));
    EXPECT_EQ(moved.Inputs()[0], left);
}

using HostAudioProcess = HostTest;

TEST_F(HostAudioProcess, ReplacingOverwritesTheOutputs)
{
    auto instance = Create();
    ASSERT_NE(instance, nullptr);
    AudioBuffers& audio = instance->Audio();
    audio.Resize(16);
    for (int i = 0; i < 16; ++i) {
        audio.Input(0)[i] = static_cast<float>(i);
        audio.Input(1)[i] = -static_cast<float>(i);
    }
    audio.FillOutputs(9.0f);
    ASSERT_TRUE(instance->ProcessReplacing(16));
    EXPECT_EQ(audio.OutputChannel(0), audio.InputChannel(0));
    EXPECT_EQ(audio.OutputChannel(1), audio.InputChannel(1));
    EXPECT_EQ(instance->BlocksStarted(), 1u);
}

TEST_F(HostAudioProcess, AccumulatingAddsToTheOutputs)
{
    auto instance = Create();
    ASSERT_NE(instance, nullptr);
    AudioBuffers& audio = instance->Audio();
    audio.Resize(8);
    audio.FillInputs(0.25f);
    audio.FillOutputs(1.0f);
    ASSERT_TRUE(instance->ProcessAccumulating(8));
    for (float sample : audio.OutputChannel(1))
        EXPECT_FLOAT_EQ(sample, 1.25f);
}

TEST_F(HostAudioProcess, LongerBlocksGrowTheBuffersFirst)
{
    auto instance = Create();
    ASSERT_NE(instance, nullptr);
    instance->Audio().Resize(4);
    ASSERT_TRUE(instance->ProcessReplacing(1024));
    EXPECT_EQ(instance->Audio().Frames(), 1024);
    EXPECT_FALSE(instance->ProcessReplacing(-1));
}

TEST_F(HostAudioProcess, InstanceBuffersStartAtTheHostsBlockSize)
{
    host.Defaults().blockSize = 77;
    auto instance = Create();
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(instance->Audio().Frames(), 77);
    EXPECT_EQ(instance->Audio().NumInputs(), 2);
    EXPECT_EQ(instance->Audio().NumOutputs(), 2);
}

}  // namespace
}  // namespace tarvenna::host::test
