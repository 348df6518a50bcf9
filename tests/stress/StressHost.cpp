#include "tests/stress/StressHost.h"

#include "plugin/EntryPoint.h"
#include "plugin/VstOpcodes.h"
#include "relay/Registry.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace stress {

double StressSeconds(double defaultSeconds)
{
    const char* text = std::getenv("TARVENNA_STRESS_SECONDS");
    if (text == nullptr || *text == 0)
        return defaultSeconds;
    const double scale = std::atof(text);
    return scale > 0.0 ? defaultSeconds * scale : defaultSeconds;
}

uint32_t Random::Next()
{
    // xorshift64*
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    return static_cast<uint32_t>((state * 0x2545F4914F6CDD1Dull) >> 32);
}

namespace {

std::atomic<uint64_t> handedToHosts{0};

}  // namespace

uint64_t EventsHandedToHosts() { return handedToHosts.load(); }

void OutputStream::Take(const VstEvents* block)
{
    if (block == nullptr)
        return;
    if (block->numEvents > 0)
        handedToHosts += static_cast<uint64_t>(block->numEvents);
    // The array holds numEvents pointers although it is declared with two.
    const auto* base = reinterpret_cast<const unsigned char*>(block);
    VstEvent* const* pointers =
        reinterpret_cast<VstEvent* const*>(base + offsetof(VstEvents, events));
    std::lock_guard<std::mutex> guard(mutex);
    for (VstInt32 i = 0; i < block->numEvents; ++i) {
        const VstEvent* event = pointers[i];
        ++events;
        if (event == nullptr || event->type != kVstMidiType) {
            ++malformed;
            continue;
        }
        if (event->byteSize != static_cast<VstInt32>(sizeof(VstMidiEvent) - 8))
            ++oddSizes;
        const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
        const int kind = midi->midiData[0] & 0xF0;
        const int channel = midi->midiData[0] & 0x0F;
        const int note = midi->midiData[1] & 0x7F;
        const int velocity = midi->midiData[2] & 0x7F;
        if (checkSequences && kind == 0xB0) {
            ++sequenced;
            const int32_t sequence = midi->deltaFrames;
            if ((sequence & 0x3FFF) != (note | velocity << 7))
                ++torn;
            if (sequence <= lastSequence[channel])
                ++outOfOrder;
            lastSequence[channel] = sequence;
        }
        if (kind == 0x90 && velocity > 0)
            sounding[channel][note] = true;
        else if (kind == 0x80 || kind == 0x90)
            sounding[channel][note] = false;
    }
}

std::vector<Note> OutputStream::Sounding()
{
    std::lock_guard<std::mutex> guard(mutex);
    std::vector<Note> notes;
    for (int channel = 0; channel < 16; ++channel)
        for (int note = 0; note < 128; ++note)
            if (sounding[channel][note])
                notes.push_back({channel, note});
    return notes;
}

VstIntPtr StressCallback(AEffect* effect, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float)
{
    switch (opcode) {
    case audioMasterVersion:
        return 2400;
    case audioMasterProcessEvents:
        if (effect != nullptr && effect->user != nullptr)
            static_cast<OutputStream*>(effect->user)->Take(static_cast<VstEvents*>(ptr));
        return 1;
    case audioMasterGetProductString:
        if (ptr != nullptr)
            std::strcpy(static_cast<char*>(ptr), "tarvenna-stress");
        return 1;
    case audioMasterWantMidi:
        return 1;
    default:
        return 0;
    }
}

AEffect* CreateNode(OutputStream* stream)
{
    AEffect* effect = CreateInstance(StressCallback);
    if (effect != nullptr)
        effect->user = stream;
    return effect;
}

void CloseNode(AEffect* effect)
{
    if (effect != nullptr)
        effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}

VstIntPtr Dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                   float opt)
{
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

void HostBlock::Add(const VstMidiEvent& event, bool asNull)
{
    if (count >= kCapacity)
        return;
    store[count] = event;
    block.events[count] = asNull ? nullptr : reinterpret_cast<VstEvent*>(&store[count]);
    ++count;
}

VstEvents* HostBlock::Events()
{
    block.numEvents = count;
    block.reserved = 0;
    return block.asVstEvents();
}

VstMidiEvent MakeEvent(int status, int data1, int data2, int deltaFrames)
{
    VstMidiEvent event;
    std::memset(&event, 0, sizeof event);
    event.type = kVstMidiType;
    event.byteSize = sizeof(VstMidiEvent) - 8;
    event.deltaFrames = deltaFrames;
    event.midiData[0] = static_cast<unsigned char>(status);
    event.midiData[1] = static_cast<unsigned char>(data1);
    event.midiData[2] = static_cast<unsigned char>(data2);
    return event;
}

void RunBlock(AEffect* effect, HostBlock* midi)
{
    constexpr int kFrames = 32;
    float in[2][kFrames] = {};
    float out[2][kFrames] = {};
    float* inputs[2] = {in[0], in[1]};
    float* outputs[2] = {out[0], out[1]};
    if (midi != nullptr && midi->Size() > 0)
        Dispatch(effect, effProcessEvents, 0, 0, midi->Events());
    effect->processReplacing(effect, inputs, outputs, kFrames);
}

std::string AuditTables()
{
    std::ostringstream wrong;
    SharedSpinLock::ReadScope scope(registryLock);
    int registered = 0;
    for (int slot = 0; slot < kSlotCount; ++slot) {
        int cells = 0;
        for (int port = 0; port < kPortCount; ++port)
            cells += listeners[port][slot] != kNotInPort;
        const bool used = pluginData[slot].instance != nullptr;
        registered += used;
        if (used != (pluginData[slot].updateCallback != nullptr))
            wrong << "slot " << slot << " has half an entry; ";
        if (cells != (used ? 1 : 0))
            wrong << "node " << slot + 1 << " has " << cells << " cells; ";
    }
    // A leaving node frees its slot, notifies the others and only then
    // counts itself out, so the count may run ahead of the slots for a
    // moment, never behind them.
    if (registered > numInstances)
        wrong << registered << " slots used but numInstances is " << int(numInstances) << "; ";
    for (int port = 0; port < kPortCount; ++port) {
        const PortRecord& record = portData[port];
        if (record.receiverQueues.Count() != record.releaseFlags.Count())
            wrong << "port " << port << " lists differ in length; ";
        int receivers = 0;
        for (int slot = 0; slot < kSlotCount; ++slot)
            receivers += listeners[port][slot] == kReceivesInPort;
        if (static_cast<int>(record.receiverQueues.Count()) != receivers)
            wrong << "port " << port << " lists " << record.receiverQueues.Count()
                  << " receivers, cells say " << receivers << "; ";
        for (uint32_t i = 0; i < record.receiverQueues.Count(); ++i) {
            const int id = record.receiverQueues.Entry(i).nodeId;
            if (i < record.releaseFlags.Count() && record.releaseFlags.Entry(i).nodeId != id)
                wrong << "port " << port << " lists disagree at " << i << "; ";
            if (i > 0 && record.receiverQueues.Entry(i - 1).nodeId >= id)
                wrong << "port " << port << " not sorted at " << i << "; ";
            if (!IsValidNodeId(id) || listeners[port][id - 1] != kReceivesInPort)
                wrong << "port " << port << " lists node " << id << " that is not its receiver; ";
        }
    }
    return wrong.str();
}

int RegisteredNodes() { return RegisteredInstances(); }

int ListedReceivers()
{
    SharedSpinLock::ReadScope scope(registryLock);
    int receivers = 0;
    for (const PortRecord& record : portData)
        receivers += static_cast<int>(record.receiverQueues.Count());
    return receivers;
}

}  // namespace stress
