// The requests the effect makes of its host: opcode and argument mapping,
// how answers become results, and the answers when there is no host.
#include <cstring>
#include <functional>

#include "LayerFixture.h"

namespace {

using VstHostRequests = LayerTest;

// One request, made through the effect, and the call the host must see.
struct Request {
    const char* name;
    std::function<void(RecordingEffect&)> make;
    VstInt32 opcode, index;
    VstIntPtr value;
    void* ptr;
    float opt;
};

VstFileSelect* select() { return reinterpret_cast<VstFileSelect*>(bufferA); }
VstWindow* window() { return reinterpret_cast<VstWindow*>(bufferA); }
VstAudioFile* files() { return reinterpret_cast<VstAudioFile*>(bufferA); }
VstOfflineTask* task() { return reinterpret_cast<VstOfflineTask*>(bufferB); }
// The host follows an events block to copy its events: an empty one.
VstEvents* events()
{
    std::memset(bufferB, 0, sizeof bufferB);
    return reinterpret_cast<VstEvents*>(bufferB);
}

TEST_F(VstHostRequests, EachRequestSendsItsOpcodeAndArguments)
{
    using F = RecordingEffect&;
    const Request requests[] = {
        {"automated", [](F f) { f.setParameterAutomated(2, 0.25f); }, 0, 2, 0, nullptr, 0.25f},
        {"version", [](F f) { f.getMasterVersion(); }, 1, 0, 0, nullptr, 0},
        {"currentId", [](F f) { f.getCurrentUniqueId(); }, 2, 0, 0, nullptr, 0},
        {"idle", [](F f) { f.masterIdle(); }, 3, 0, 0, nullptr, 0},
        {"inputPin", [](F f) { f.isInputConnected(3); }, 4, 3, 0, nullptr, 0},
        {"outputPin", [](F f) { f.isOutputConnected(5); }, 4, 5, 1, nullptr, 0},
        {"wantEvents", [](F f) { f.wantEvents(); }, 6, 0, 1, nullptr, 0},
        {"timeInfo", [](F f) { f.getTimeInfo(0x200); }, 7, 0, 0x200, nullptr, 0},
        {"events", [](F f) { f.sendVstEventsToHost(events()); }, 8, 0, 0, bufferB, 0},
        {"tempoAt", [](F f) { f.tempoAt(4410); }, 10, 0, 4410, nullptr, 0},
        {"automatable", [](F f) { f.getNumAutomatableParameters(); }, 11, 0, 0, nullptr, 0},
        {"quantization", [](F f) { f.getParameterQuantization(); }, 12, 0, 0, nullptr, 0},
        {"ioChanged", [](F f) { f.ioChanged(); }, 13, 0, 0, nullptr, 0},
        {"needIdle", [](F f) { f.needIdle(); }, 14, 0, 0, nullptr, 0},
        {"sizeWindow", [](F f) { f.sizeWindow(170, 200); }, 15, 170, 200, nullptr, 0},
        {"sampleRate", [](F f) { f.updateSampleRate(); }, 16, 0, 0, nullptr, 0},
        {"blockSize", [](F f) { f.updateBlockSize(); }, 17, 0, 0, nullptr, 0},
        {"inLatency", [](F f) { f.getInputLatency(); }, 18, 0, 0, nullptr, 0},
        {"outLatency", [](F f) { f.getOutputLatency(); }, 19, 0, 0, nullptr, 0},
        {"previousPlug", [](F f) { f.getPreviousPlug(3); }, 20, 0, 0, nullptr, 0},
        {"nextPlug", [](F f) { f.getNextPlug(3); }, 21, 0, 0, nullptr, 0},
        {"replacing", [](F f) { f.willProcessReplacing(); }, 22, 0, 0, nullptr, 0},
        {"level", [](F f) { f.getCurrentProcessLevel(); }, 23, 0, 0, nullptr, 0},
        {"automation", [](F f) { f.getAutomationState(); }, 24, 0, 0, nullptr, 0},
        {"offlineStart", [](F f) { f.offlineStart(files(), 2, 5); }, 25, 5, 2, bufferA, 0},
        {"offlineRead", [](F f) { f.offlineRead(task(), 3, true); }, 26, 1, 3, bufferB, 0},
        {"offlineWrite", [](F f) { f.offlineWrite(task(), 4); }, 27, 0, 4, bufferB, 0},
        {"pass", [](F f) { f.offlineGetCurrentPass(); }, 28, 0, 0, nullptr, 0},
        {"metaPass", [](F f) { f.offlineGetCurrentMetaPass(); }, 29, 0, 0, nullptr, 0},
        {"outputRate", [](F f) { f.setOutputSamplerate(22050.0f); }, 30, 0, 0, nullptr, 22050},
        {"outArrangement", [](F f) { f.getOutputSpeakerArrangement(); }, 31, 0, 0, nullptr, 0},
        {"vendor", [](F f) { f.getHostVendorString(bufferA); }, 32, 0, 0, bufferA, 0},
        {"product", [](F f) { f.getHostProductString(bufferA); }, 33, 0, 0, bufferA, 0},
        {"vendorVersion", [](F f) { f.getHostVendorVersion(); }, 34, 0, 0, nullptr, 0},
        {"vendorSpecific", [](F f) { f.hostVendorSpecific(7, -8, bufferB, 1.5f); }, 35, 7, -8,
         bufferB, 1.5f},
        {"canHostDo", [](F f) { f.canHostDo(bufferA); }, 37, 0, 0, bufferA, 0},
        {"language", [](F f) { f.getHostLanguage(); }, 38, 0, 0, nullptr, 0},
        {"openWindow", [](F f) { f.openWindow(window()); }, 39, 0, 0, bufferA, 0},
        {"closeWindow", [](F f) { f.closeWindow(window()); }, 40, 0, 0, bufferA, 0},
        {"directory", [](F f) { f.getDirectory(); }, 41, 0, 0, nullptr, 0},
        {"display", [](F f) { f.updateDisplay(); }, 42, 0, 0, nullptr, 0},
        {"beginEdit", [](F f) { f.beginEdit(3); }, 43, 3, 0, nullptr, 0},
        {"endEdit", [](F f) { f.endEdit(3); }, 44, 3, 0, nullptr, 0},
        {"openSelector", [](F f) { f.openFileSelector(select()); }, 45, 0, 0, bufferA, 0},
        {"closeSelector", [](F f) { f.closeFileSelector(select()); }, 46, 0, 0, bufferA, 0},
        {"chunkFile", [](F f) { f.getChunkFile(bufferA); }, 48, 0, 0, bufferA, 0},
        {"inArrangement", [](F f) { f.getInputSpeakerArrangement(); }, 49, 0, 0, nullptr, 0},
    };
    for (const Request& r : requests) {
        instance->ClearRecorded();
        r.make(*fx);
        const std::vector<RequestRecord> calls = Calls();
        ASSERT_EQ(calls.size(), 1u) << r.name;
        const RequestRecord& c = calls[0];
        EXPECT_EQ(c.effect, e) << r.name;  // always the effect's own record
        EXPECT_EQ(c.opcode, r.opcode) << r.name;
        EXPECT_EQ(c.index, r.index) << r.name;
        EXPECT_EQ(c.value, r.value) << r.name;
        EXPECT_EQ(c.ptr, r.ptr) << r.name;
        EXPECT_EQ(c.opt, r.opt) << r.name;
    }
}

TEST_F(VstHostRequests, AutomationSetsTheParameterBeforeTellingTheHost)
{
    float seenByHost = -1.0f;
    answers.onCall = [&](const RequestRecord&) { seenByHost = fx->parameters[1]; };
    fx->setParameterAutomated(1, 0.5f);
    EXPECT_EQ(fx->log, "setParameter(1,0.5);");
    EXPECT_EQ(seenByHost, 0.5f);
}

TEST_F(VstHostRequests, MasterVersionTreatsZeroAsVersionOne)
{
    answers.answer = 0;
    EXPECT_EQ(fx->getMasterVersion(), 1);
    answers.answer = 2400;
    EXPECT_EQ(fx->getMasterVersion(), 2400);
}

TEST_F(VstHostRequests, EventsCountAsSentOnlyWhenTheHostAnswersOne)
{
    answers.answer = 1;
    EXPECT_TRUE(fx->sendVstEventsToHost(events()));
    answers.answer = 2;
    EXPECT_FALSE(fx->sendVstEventsToHost(events()));
    answers.answer = 0;
    EXPECT_FALSE(fx->sendVstEventsToHost(events()));
}

TEST_F(VstHostRequests, PinsAreConnectedWhenTheHostAnswersZero)
{
    answers.answer = 0;
    EXPECT_TRUE(fx->isInputConnected(0));
    EXPECT_TRUE(fx->isOutputConnected(0));
    answers.answer = 1;
    EXPECT_FALSE(fx->isInputConnected(0));
    EXPECT_FALSE(fx->isOutputConnected(0));
}

TEST_F(VstHostRequests, OnlyPositiveRatesAndSizesAreStored)
{
    answers.answer = 48000;
    EXPECT_EQ(fx->updateSampleRate(), 48000.0f);
    answers.answer = 0;
    EXPECT_EQ(fx->updateSampleRate(), 48000.0f);
    answers.answer = -1;
    EXPECT_EQ(fx->updateSampleRate(), 48000.0f);
    EXPECT_EQ(fx->getSampleRate(), 48000.0f);

    answers.answer = 512;
    EXPECT_EQ(fx->updateBlockSize(), 512);
    answers.answer = -64;
    EXPECT_EQ(fx->updateBlockSize(), 512);
    EXPECT_EQ(fx->getBlockSize(), 512);
}

TEST_F(VstHostRequests, NonzeroAnswersAreTrueAndPointerAnswersPassThrough)
{
    answers.answer = -1;
    EXPECT_TRUE(fx->canHostDo(bufferA));
    EXPECT_TRUE(fx->sizeWindow(1, 2));
    answers.answer = 0;
    EXPECT_FALSE(fx->canHostDo(bufferA));
    EXPECT_FALSE(fx->getHostVendorString(bufferA));
    answers.answer = reinterpret_cast<VstIntPtr>(bufferB);
    EXPECT_EQ(fx->getDirectory(), bufferB);
    EXPECT_EQ(fx->getTimeInfo(0), reinterpret_cast<VstTimeInfo*>(bufferB));
    EXPECT_EQ(fx->getNextPlug(0), reinterpret_cast<AEffect*>(bufferB));
    answers.answer = 104;
    EXPECT_EQ(fx->getHostVendorVersion(), 104);
}

TEST_F(VstHostRequests, FileRequestsWithoutARecordDoNotCallTheHost)
{
    answers.answer = 1;
    EXPECT_FALSE(fx->openFileSelector(nullptr));
    EXPECT_FALSE(fx->closeFileSelector(nullptr));
    EXPECT_FALSE(fx->getChunkFile(nullptr));
    EXPECT_TRUE(Calls().empty());
    EXPECT_TRUE(fx->openFileSelector(select()));
}

TEST(VstHostRequestsWithoutHost, AnswerTheirNoHostValues)
{
    RecordingEffect fx(nullptr);
    fx.setParameterAutomated(0, 0.5f);
    EXPECT_EQ(fx.parameters[0], 0.5f);
    EXPECT_EQ(fx.getMasterVersion(), 1);
    EXPECT_EQ(fx.getCurrentUniqueId(), 0);
    EXPECT_TRUE(fx.isInputConnected(0));
    EXPECT_TRUE(fx.isOutputConnected(0));
    EXPECT_EQ(fx.getTimeInfo(0), nullptr);
    EXPECT_FALSE(fx.sendVstEventsToHost(events()));
    EXPECT_FALSE(fx.ioChanged());
    EXPECT_FALSE(fx.sizeWindow(170, 200));
    EXPECT_EQ(fx.updateSampleRate(), 44100.0f);
    EXPECT_EQ(fx.updateBlockSize(), 1024);
    EXPECT_EQ(fx.getNextPlug(0), nullptr);
    EXPECT_EQ(fx.getDirectory(), nullptr);
    EXPECT_FALSE(fx.canHostDo(bufferA));
    EXPECT_FALSE(fx.getHostProductString(bufferA));
    EXPECT_EQ(fx.getHostVendorVersion(), 0);
    EXPECT_EQ(fx.openWindow(window()), nullptr);
    EXPECT_FALSE(fx.openFileSelector(select()));
    EXPECT_EQ(fx.getInputSpeakerArrangement(), nullptr);
    fx.wantEvents();
    fx.masterIdle();
}

}  // namespace
