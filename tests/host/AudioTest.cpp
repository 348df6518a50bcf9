// The two process calls with the host's own buffers.
#include <gtest/gtest.h>

#include "host/AudioBuffers.h"
#include "tests/host/HostTestSupport.h"

namespace tarvenna::host::test {
namespace {

TEST(HostAudioBuffers, ChannelPointersFollowResize)
{
    AudioBuffers audio(2, 2, 4);
    EXPECT_EQ(audio.frames(), 4);
    audio.fillInputs(1.0f);
    audio.resize(32);
    EXPECT_EQ(audio.frames(), 32);
    EXPECT_EQ(audio.inputs()[1], audio.input(1));
    EXPECT_EQ(audio.outputs()[0], audio.output(0));
    EXPECT_EQ(audio.inputChannel(1).size(), 32u);
    EXPECT_EQ(audio.inputChannel(1)[31], 0.0f);
}

TEST(HostAudioBuffers, MovingKeepsThePointersValid)
{
    AudioBuffers source(2, 2, 8);
    float* left = source.input(0);
    AudioBuffers moved(std::move(source));
    EXPECT_EQ(moved.inputs()[0], left);
}

using HostAudioProcess = HostTest;

TEST_F(HostAudioProcess, ReplacingOverwritesTheOutputs)
{
    auto instance = create();
    ASSERT_NE(instance, nullptr);
    AudioBuffers& audio = instance->audio();
    audio.resize(16);
    for (int i = 0; i < 16; ++i) {
        audio.input(0)[i] = static_cast<float>(i);
        audio.input(1)[i] = -static_cast<float>(i);
    }
    audio.fillOutputs(9.0f);
    ASSERT_TRUE(instance->processReplacing(16));
    EXPECT_EQ(audio.outputChannel(0), audio.inputChannel(0));
    EXPECT_EQ(audio.outputChannel(1), audio.inputChannel(1));
    EXPECT_EQ(instance->blocksStarted(), 1u);
}

TEST_F(HostAudioProcess, AccumulatingAddsToTheOutputs)
{
    auto instance = create();
    ASSERT_NE(instance, nullptr);
    AudioBuffers& audio = instance->audio();
    audio.resize(8);
    audio.fillInputs(0.25f);
    audio.fillOutputs(1.0f);
    ASSERT_TRUE(instance->processAccumulating(8));
    for (float sample : audio.outputChannel(1))
        EXPECT_FLOAT_EQ(sample, 1.25f);
}

TEST_F(HostAudioProcess, LongerBlocksGrowTheBuffersFirst)
{
    auto instance = create();
    ASSERT_NE(instance, nullptr);
    instance->audio().resize(4);
    ASSERT_TRUE(instance->processReplacing(1024));
    EXPECT_EQ(instance->audio().frames(), 1024);
    EXPECT_FALSE(instance->processReplacing(-1));
}

TEST_F(HostAudioProcess, InstanceBuffersStartAtTheHostsBlockSize)
{
    host.defaults().blockSize = 77;
    auto instance = create();
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(instance->audio().frames(), 77);
    EXPECT_EQ(instance->audio().numInputs(), 2);
    EXPECT_EQ(instance->audio().numOutputs(), 2);
}

}  // namespace
}  // namespace tarvenna::host::test
