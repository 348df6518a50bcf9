// What a host sees of a fresh instance through its record.
#include "TestPlugin.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class PluginIdentity : public ::testing::Test {
protected:
    VstIntPtr CanDo(const char* text)
    {
        return hosted.Dispatch(effCanDo, 0, 0, const_cast<char*>(text));
    }

    static tarvenna::host::HostConfig Answers()
    {
        tarvenna::host::HostConfig answers = PluginTestAnswers();
        answers.product = "Some Host";
        return answers;
    }

    DisplayGuard displays;
    HostedPlugin hosted{Answers()};
};

TEST_F(PluginIdentity, RecordDescribesAStereoInstrumentWithFourParameters)
{
    const AEffect& record = *hosted.record;
    EXPECT_EQ(hosted.result, kLoadUsable);
    EXPECT_EQ(record.magic, kEffectMagic);
    EXPECT_EQ(record.numPrograms, 1);
    EXPECT_EQ(record.numParams, 4);
    EXPECT_EQ(record.numInputs, 2);
    EXPECT_EQ(record.numOutputs, 2);
    EXPECT_EQ(record.flags, 0x139);
    EXPECT_EQ(record.uniqueID, 0x51524E65);
    EXPECT_EQ(record.version, 1);
    EXPECT_EQ(hosted.Dispatch(effGetVendorVersion), 104);
    EXPECT_EQ(hosted.Dispatch(effGetPlugCategory), kPlugCategSynth);
    EXPECT_EQ(hosted.Dispatch(effGetVstVersion), 2300);
}

TEST_F(PluginIdentity, NamesItselfAndItsMaker)
{
    char text[128];
    std::memset(text, 'x', sizeof text);
    EXPECT_EQ(hosted.Dispatch(effGetEffectName, 0, 0, text), 1);
    EXPECT_STREQ(text, "Tarvenna");
    EXPECT_EQ(hosted.Dispatch(effGetProductString, 0, 0, text), 1);
    EXPECT_STREQ(text, "Tarvenna");
    EXPECT_EQ(hosted.Dispatch(effGetVendorString, 0, 0, text), 1);
    EXPECT_STREQ(text, "tarvenna.example");
}

TEST_F(PluginIdentity, CanDoTheFiveMidiCapabilities)
{
    for (const char* text : {"sendVstMidiEvent", "sendVstEvents", "receiveVstEvents",
                             "receiveVstMidiEvent", "receiveVstTimeInfo"})
        EXPECT_EQ(CanDo(text), 1) << text;
}

TEST_F(PluginIdentity, AnythingElseIsMinusOneNeverZero)
{
    for (const char* text :
         {"bypass", "", "receiveVst", "sendVstEventsToHost", "SENDVSTEVENTS", "receiveVstTimeInf"})
        EXPECT_EQ(CanDo(text), -1) << '"' << text << '"';
}

TEST_F(PluginIdentity, PinPropertiesAreLeftToTheHost)
{
    VstPinProperties pin;
    std::memset(&pin, 0x5a, sizeof pin);
    EXPECT_EQ(hosted.Dispatch(effGetInputProperties, 0, 0, &pin), 0);
    EXPECT_EQ(hosted.Dispatch(effGetOutputProperties, 1, 0, &pin), 0);
    EXPECT_EQ(pin.label[0], 0x5a);
}

TEST_F(PluginIdentity, KeepsTheHostsRateAndBlockSize)
{
    hosted.Dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    hosted.Dispatch(effSetBlockSize, 0, 512);
    EXPECT_FLOAT_EQ(hosted.plugin->getSampleRate(), 48000.0f);
    EXPECT_EQ(hosted.plugin->getBlockSize(), 512);
}

}  // namespace
