#include "lv2/Lv2Node.h"

#include "plugin/ParameterIndex.h"
#include "plugin/PluginEditor.h"
#include "plugin/VstOpcodes.h"

#include <lv2/atom/util.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/midi/midi.h>
#include <lv2/options/options.h>

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace lv2face {

namespace {

// A host that announces no maximum block length is given pieces this long.
constexpr uint32_t kDefaultMaxBlock = 4096;

// The node being made: the entry point calls its host before the record
// that carries the node exists.
thread_local Lv2Node* making = nullptr;

const void* Feature(const LV2_Feature* const* features, const char* uri)
{
    for (const LV2_Feature* const* f = features; f != nullptr && *f != nullptr; ++f)
        if (std::strcmp((*f)->URI, uri) == 0)
            return (*f)->data;
    return nullptr;
}

uint32_t MaxBlockFrom(const LV2_Feature* const* features, LV2_URID_Map* map)
{
    const auto* options =
        static_cast<const LV2_Options_Option*>(Feature(features, LV2_OPTIONS__options));
    const LV2_URID maxKey = map->map(map->handle, LV2_BUF_SIZE__maxBlockLength);
    const LV2_URID intType = map->map(map->handle, LV2_ATOM__Int);
    for (const LV2_Options_Option* o = options; o != nullptr && o->key != 0; ++o)
        if (o->key == maxKey && o->type == intType && o->value != nullptr &&
            *static_cast<const int32_t*>(o->value) > 0)
            return static_cast<uint32_t>(*static_cast<const int32_t*>(o->value));
    return kDefaultMaxBlock;
}

// Whether `event` lies whole inside the sequence that ends at `end`: a
// sequence whose last event runs past its end is read up to that event.
bool Whole(const LV2_Atom_Event* event, const uint8_t* end)
{
    const auto at = reinterpret_cast<uintptr_t>(event);
    const auto last = reinterpret_cast<uintptr_t>(end);
    return at + sizeof(LV2_Atom_Event) <= last &&
           event->body.size <= last - at - sizeof(LV2_Atom_Event);
}

// The length of the MIDI message that starts with `status`; 0 for what
// cannot start one in a VST 2 event's three bytes (a data byte, system
// exclusive, undefined codes).
constexpr uint32_t MessageSizeOf(uint32_t status)
{
    if (status < 0x80)
        return 0;
    if (status < 0xF0)
        return (status & 0xE0) == 0xC0 ? 2 : 3;
    switch (status) {
    case 0xF1:
    case 0xF3:
        return 2;
    case 0xF2:
        return 3;
    case 0xF6:
        return 1;
    default:
        return status >= 0xF8 && status != 0xF9 && status != 0xFD ? 1 : 0;
    }
}

// The same for every status byte, with the mask that keeps a message's own
// bytes of a four-byte word: looked up once an outgoing event.
struct MessageShape {
    uint32_t mask;
    uint32_t size;
};
struct MessageShapes {
    constexpr MessageShapes() : of()
    {
        for (uint32_t status = 0; status < 256; ++status) {
            const uint32_t size = MessageSizeOf(status);
            of[status] = {size == 0 ? 0u : 0xFFFFFFu >> (8 * (3 - size)), size};
        }
    }
    MessageShape of[256];
};
constexpr MessageShapes kMessageShapes;

uint32_t Bits(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// The node's parameters from the control ports' natural values.
float ParameterValue(uint32_t port, float value)
{
    switch (port) {
    case kPortRelayPort: {
        const float number = std::fmin(std::fmax(std::round(value), 1.0f), 8.0f);
        return (number - 1.0f) / 7.0f;
    }
    default:
        return value >= 0.5f ? 1.0f : 0.0f;
    }
}

// The other way: a control port's natural value for the node's parameter.
float ControlValue(uint32_t port, float parameter)
{
    if (port == kPortRelayPort)
        return 1.0f + std::round(std::fmin(std::fmax(parameter, 0.0f), 1.0f) * 7.0f);
    return parameter >= 0.5f ? 1.0f : 0.0f;
}

VstInt32 ParameterOf(uint32_t port)
{
    switch (port) {
    case kPortMode:
        return kParameterMode;
    case kPortRelayPort:
        return kParameterPort;
    case kPortThru:
        return kParameterThru;
    default:
        return kParameterPanic;
    }
}

}  // namespace

Lv2Node::Lv2Node(double rate, uint32_t maxBlockLength, LV2_URID_Map* map)
    : sampleRate(rate),
      maxBlock(maxBlockLength),
      midiEvent(map->map(map->handle, LV2_MIDI__MidiEvent)),
      atomChunk(map->map(map->handle, LV2_ATOM__Chunk)),
      atomSequence(map->map(map->handle, LV2_ATOM__Sequence)),
      settingsKey(map->map(map->handle, kSettingsUri))
{
    link->node = this;
    // A control port the host has not connected reads as the value the
    // node has, so it never moves.
    for (uint32_t port = kPortMode; port <= kPortPanic; ++port)
        ports[port] = &applied[port];
    // Only an event's frame and bytes change from block to block.
    for (int i = 0; i < kMaxEvents; ++i) {
        incoming[i].type = kVstMidiType;
        incoming[i].byteSize = kVstMidiEventByteSize;
        block.events[i] = reinterpret_cast<VstEvent*>(&incoming[i]);
    }
}

Lv2Node* Lv2Node::Make(NodeMaker maker, double rate, const LV2_Feature* const* features)
{
    auto* map = static_cast<LV2_URID_Map*>(const_cast<void*>(Feature(features, LV2_URID__map)));
    if (map == nullptr) {
        std::fprintf(stderr, "tarvenna: the LV2 host offers no urid:map; no instance made\n");
        return nullptr;
    }
    auto* node = new Lv2Node(rate, MaxBlockFrom(features, map), map);
    making = node;
    node->effect = maker(&Lv2Node::HostCallback);
    making = nullptr;
    if (node->effect == nullptr) {  // the entry point has told the user why
        delete node;
        return nullptr;
    }
    node->effect->user = node;
    node->Dispatch(effOpen);
    node->Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
    node->Dispatch(effSetBlockSize, 0, static_cast<VstIntPtr>(node->maxBlock));
    return node;
}

Lv2Node::~Lv2Node()
{
    {
        std::lock_guard<std::mutex> guard(link->mutex);
        link->node = nullptr;
    }
    if (effect != nullptr)
        Dispatch(effClose);
}

VstIntPtr Lv2Node::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

VstIntPtr Lv2Node::HostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                void* ptr, float opt)
{
    Lv2Node* node =
        effect != nullptr && effect->user != nullptr ? static_cast<Lv2Node*>(effect->user) : making;
    if (node == nullptr)
        return opcode == audioMasterVersion ? 2400 : 0;
    return node->Answer(opcode, index, value, ptr, opt);
}

// What a VST 2 host answers, for the few questions the node asks.
VstIntPtr Lv2Node::Answer(VstInt32 opcode, VstInt32 index, VstIntPtr, void* ptr, float opt)
{
    switch (opcode) {
    case audioMasterAutomate:
        NotePanelChange(index, opt);
        return 1;
    // The UI gives the host the panel's fixed size itself (ui:resize).
    case audioMasterSizeWindow:
        return 1;
    case audioMasterVersion:
        return 2400;
    case audioMasterWantMidi:
        return 1;
    case audioMasterGetSampleRate:
        return static_cast<VstIntPtr>(sampleRate);
    case audioMasterGetBlockSize:
        return static_cast<VstIntPtr>(maxBlock);
    case audioMasterProcessEvents:
        TakeOutgoing(static_cast<const VstEvents*>(ptr));
        return 1;
    case audioMasterGetVendorString:
        std::strcpy(static_cast<char*>(ptr), "Tarvenna");
        return 1;
    case audioMasterGetProductString:
        std::strcpy(static_cast<char*>(ptr), "Tarvenna LV2");
        return 1;
    case audioMasterGetVendorVersion:
        return 1;
    case audioMasterCanDo: {
        const char* asked = static_cast<const char*>(ptr);
        for (const char* can : {"sendVstEvents", "sendVstMidiEvent", "receiveVstEvents",
                                "receiveVstMidiEvent", "sizeWindow"})
            if (asked != nullptr && std::strcmp(asked, can) == 0)
                return 1;
        return 0;
    }
    default:
        return 0;
    }
}

void Lv2Node::Connect(uint32_t port, void* data)
{
    if (port >= kPortCount)
        return;
    const bool control = port >= kPortMode && port <= kPortPanic;
    ports[port] = data == nullptr && control ? &applied[port] : data;
    if (port <= kPortAudioOutRight)
        (port < kPortAudioOutLeft ? audioIn : audioOut)[port & 1] = static_cast<float*>(data);
}

void Lv2Node::Activate()
{
    controlsKnown = false;
    Dispatch(effMainsChanged, 0, 1);
}

void Lv2Node::Deactivate() { Dispatch(effMainsChanged, 0, 0); }

// Whether a control port holds other bits than the node was last given:
// one look at all four, on every run.
bool Lv2Node::ControlsMoved() const
{
    const auto moved = [this](uint32_t port) {
        return Bits(*static_cast<const float*>(ports[port])) ^ Bits(applied[port]);
    };
    return (moved(kPortMode) | moved(kPortRelayPort) | moved(kPortThru) | moved(kPortPanic)) != 0;
}

// A control the host moved is handed to the node as a VST 2 host hands a
// parameter; Panic sends when it is switched on. After an activation every
// connected control is handed over. A value that is not a number means
// nothing, and the node keeps its setting, as a VST 2 node does.
void Lv2Node::ApplyControls()
{
    for (uint32_t port = kPortMode; port <= kPortPanic; ++port) {
        const auto* control = static_cast<const float*>(ports[port]);
        if (control == &applied[port] || (controlsKnown && Bits(*control) == Bits(applied[port])))
            continue;
        applied[port] = *control;
        if (!std::isnan(*control))
            effect->setParameter(effect, ParameterOf(port), ParameterValue(port, *control));
    }
    controlsKnown = true;
}

void Lv2Node::NotePanelChange(VstInt32 parameter, float value)
{
    uint32_t port = kPortCount;
    switch (parameter) {
    case kParameterMode:
        port = kPortMode;
        break;
    case kParameterPort:
        port = kPortRelayPort;
        break;
    case kParameterThru:
        port = kPortThru;
        break;
    default:
        return;
    }
    panelValues[port].store(ControlValue(port, value), std::memory_order_relaxed);
    panelChanges[port].fetch_add(1, std::memory_order_release);
}

bool Lv2Node::OpenPanel(void* parentWindow)
{
    return Dispatch(effEditOpen, 0, 0, parentWindow) != 0;
}

void Lv2Node::IdlePanel() { Dispatch(effEditIdle); }

void Lv2Node::ClosePanel() { Dispatch(effEditClose); }

unsigned long Lv2Node::PanelWindow()
{
    return static_cast<unsigned long>(Dispatch(effVendorSpecific, kPanelWindowQuery));
}

void Lv2Node::RunInstance(LV2_Handle instance, uint32_t frames)
{
    static_cast<Lv2Node*>(instance)->Run(frames);
}

// Most runs are a block of the announced length or less with no events
// in: those are handed to the node straight away. The output sequence is
// emptied first; the node's hand-over fills it during the run.
inline void Lv2Node::Run(uint32_t frames)
{
    auto* out = static_cast<LV2_Atom_Sequence*>(ports[kPortMidiOut]);
    output = out;
    if (out != nullptr) {
        outputCapacity = out->atom.size;
        lv2_atom_sequence_clear(out);
        out->atom.type = atomSequence;
    }
    if (__builtin_expect(!controlsKnown, 0) || ControlsMoved())
        ApplyControls();
    const auto* in = static_cast<const LV2_Atom_Sequence*>(ports[kPortMidiIn]);
    const bool anyIncoming = in != nullptr && in->atom.size > sizeof(LV2_Atom_Sequence_Body);
    // A run of no frames fails the first test too.
    if (__builtin_expect(frames - 1 < maxBlock && !anyIncoming, 1)) {
        pieceStart = 0;
        pieceFrames = frames;
        effect->processReplacing(effect, audioIn, audioOut, static_cast<VstInt32>(frames));
    } else {
        RunPieces(in, frames);
    }
    output = nullptr;
}

// A block with events in, or longer than the announced maximum: pieces of
// at most that length, each with its events.
void Lv2Node::RunPieces(const LV2_Atom_Sequence* in, uint32_t frames)
{
    const LV2_Atom_Event* next = in != nullptr ? lv2_atom_sequence_begin(&in->body) : nullptr;
    const bool anyIncoming = in != nullptr && in->atom.size > sizeof(LV2_Atom_Sequence_Body);
    for (uint32_t first = 0; first < frames; first += maxBlock) {
        const uint32_t length = frames - first < maxBlock ? frames - first : maxBlock;
        const int count = anyIncoming ? TakeIncoming(in, first, first + length, next) : 0;
        pieceStart = first;
        pieceFrames = length;
        block.numEvents = count;
        if (count > 0)
            Dispatch(effProcessEvents, 0, 0, block.asVstEvents());
        float* inputs[2] = {audioIn[0] + first, audioIn[1] + first};
        float* outputs[2] = {audioOut[0] + first, audioOut[1] + first};
        effect->processReplacing(effect, inputs, outputs, static_cast<VstInt32>(length));
    }
}

namespace {

// The bytes a MIDI message of one to three bytes keeps, by its length.
constexpr uint32_t kMessageMasks[4] = {0, 0xFFu, 0xFFFFu, 0xFFFFFFu};

// A MIDI message of `size` bytes (one to three) as a VST 2 event at
// `frame` of a piece that starts at frame `first`.
inline void ToRecord(VstMidiEvent& midi, int64_t frame, uint32_t first, uint32_t word,
                     uint32_t size)
{
    midi.deltaFrames = frame > first ? static_cast<VstInt32>(frame - first) : 0;
    word &= kMessageMasks[size & 3];
    std::memcpy(midi.midiData, &word, sizeof word);
}

}  // namespace

// The sequence's events before frame `pieceEnd`, from `next` on, as the
// node's event records; returns how many. What is not MIDI, or longer than
// three bytes, is left out. The members it needs are read into locals
// first: the records are written through char, which the compiler must
// assume could change any of them.
int Lv2Node::TakeIncoming(const LV2_Atom_Sequence* in, uint32_t first, int64_t pieceEnd,
                          const LV2_Atom_Event*& next)
{
    constexpr uint32_t kShortRecord = sizeof(LV2_Atom_Event) + 8;
    const auto* const end = reinterpret_cast<const uint8_t*>(&in->body) + in->atom.size;
    // An event's size and type read as one word: a MIDI message of one to
    // three bytes is one of the three words from `shortMidi` on.
    const uint64_t shortMidi = static_cast<uint64_t>(midiEvent) << 32 | 1;
    VstMidiEvent* record = incoming;
    VstMidiEvent* const full = incoming + kMaxEvents;
    const LV2_Atom_Event* event = next;
    for (;;) {
        const auto* at = reinterpret_cast<const uint8_t*>(event);
        const bool roomy = at + kShortRecord <= end;
        uint64_t shape = 0;
        if (__builtin_expect(roomy, 1))
            std::memcpy(&shape, &event->body, sizeof shape);
        if (__builtin_expect(roomy && shape - shortMidi <= 2, 1)) {
            // A short MIDI event with its padding inside the sequence: the
            // one kind a host sends nearly always.
            const int64_t frame = event->time.frames;
            if (frame >= pieceEnd)
                break;
            event = reinterpret_cast<const LV2_Atom_Event*>(at + kShortRecord);
            if (__builtin_expect(record == full, 0))
                continue;
            uint32_t word;
            std::memcpy(&word, at + sizeof(LV2_Atom_Event), sizeof word);
            ToRecord(*record++, frame, first, word, static_cast<uint32_t>(shape));
            continue;
        }
        // Anything else is read with care: a last event may be cut short of
        // its padding, and anywhere an event may claim more bytes than
        // follow it (stepping over those could even wrap around a 32-bit
        // address space).
        if (!Whole(event, end) || event->time.frames >= pieceEnd)
            break;
        const uint32_t size = event->body.size;
        if (event->body.type == midiEvent && size - 1 <= 2 && record != full) {
            const auto* bytes = reinterpret_cast<const uint8_t*>(event + 1);
            uint32_t word = 0;
            for (uint32_t i = 0; i < size; ++i)
                word |= static_cast<uint32_t>(bytes[i]) << (8 * i);
            ToRecord(*record++, event->time.frames, first, word, size);
        }
        event = lv2_atom_sequence_next(event);
    }
    next = event;
    return static_cast<int>(record - incoming);
}

// The record is written as three words: little-endian targets only.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ && sizeof(LV2_Atom_Event) == 16 &&
                  offsetof(LV2_Atom_Event, body) == 8 && offsetof(LV2_Atom, type) == 4,
              "an atom event's header is its frame, then its size and type");

// What the node hands its host during the piece, at its frames, written
// in place at the sequence's end: a MIDI event is one 24-byte record (the
// event's 16-byte header, then up to three bytes padded to eight). The
// members it needs are read into locals first, as above.
void Lv2Node::TakeOutgoing(const VstEvents* events)
{
    if (output == nullptr || events == nullptr)
        return;
    constexpr uint32_t kRecord = sizeof(LV2_Atom_Event) + 8;
    VstEvent* const* pointers = EventPointers(events);
    const VstInt32 count = events->numEvents;
    uint8_t* const body = reinterpret_cast<uint8_t*>(&output->body);
    // The port asks for room enough (rsz:minimumSize) for any block; what
    // does not fit is left out.
    const uint32_t capacity = outputCapacity;
    if (capacity < kRecord)
        return;
    uint8_t* const last = body + (capacity - kRecord);
    uint8_t* at = body + output->atom.size;
    const uint32_t start = pieceStart;
    // A sender run with a longer block may hand on an offset past this one.
    const uint32_t lastFrame = pieceFrames - 1;
    // An event's size and type, as one word.
    const uint64_t midiType = static_cast<uint64_t>(midiEvent) << 32;
    for (VstInt32 i = 0; i < count; ++i) {
        const auto* midi = reinterpret_cast<const VstMidiEvent*>(pointers[i]);
        if (midi == nullptr || midi->type != kVstMidiType)
            continue;
        uint32_t word;
        std::memcpy(&word, midi->midiData, sizeof word);
        const MessageShape shape = kMessageShapes.of[word & 0xFF];
        if (shape.size == 0)
            continue;
        uint32_t delta = static_cast<uint32_t>(midi->deltaFrames);
        if (__builtin_expect(delta > lastFrame, 0))
            delta = midi->deltaFrames < 0 ? 0 : lastFrame;
        if (__builtin_expect(at > last, 0))
            break;
        // Frame, size and type, then the bytes with their padding: three
        // words.
        // (Each word stored alone: built as one on the stack, the record
        // was read back whole before its parts had reached memory.)
        const uint64_t frame = start + delta;
        const uint64_t header = midiType | shape.size;
        const uint64_t bytes = word & shape.mask;
        std::memcpy(at, &frame, sizeof frame);
        std::memcpy(at + 8, &header, sizeof header);
        std::memcpy(at + 16, &bytes, sizeof bytes);
        at += kRecord;
    }
    output->atom.size = static_cast<uint32_t>(at - body);
}

// The settings as the bank chunk a VST 2 host saves.
LV2_State_Status Lv2Node::Save(LV2_State_Store_Function store, LV2_State_Handle handle)
{
    void* chunk = nullptr;
    const VstIntPtr size = Dispatch(effGetChunk, 0, 0, &chunk);
    if (size <= 0 || chunk == nullptr)
        return LV2_STATE_ERR_UNKNOWN;
    return store(handle, settingsKey, chunk, static_cast<size_t>(size), atomChunk,
                 LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

// A chunk the node refuses (from a newer version, cut short) leaves its
// settings as they are; the node says why, as for a VST 2 host.
//
// The host's control ports stay what decides mode, port and Thru: the
// settings a chunk gave the node count as the last handed over, so that the
// next run hands over every port that differs from them, and the node does
// what the host shows. A host restores its ports with the state (LV2 saves
// both), so they agree; where they do not, the chunk's settings are passed
// on as the panel's are, and an open UI writes them to the host's ports.
// (Left as they were, a port still at the node's old value could never
// set that value again: the node sees only ports that move.)
LV2_State_Status Lv2Node::Restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle)
{
    size_t size = 0;
    uint32_t type = 0;
    uint32_t flags = 0;
    const void* chunk = retrieve(handle, settingsKey, &size, &type, &flags);
    if (chunk == nullptr)
        return LV2_STATE_SUCCESS;  // a session from before there were settings
    if (type != atomChunk)
        return LV2_STATE_ERR_BAD_TYPE;
    const VstIntPtr taken =
        Dispatch(effSetChunk, 0, static_cast<VstIntPtr>(size), const_cast<void*>(chunk));
    if (taken != 1)
        return LV2_STATE_ERR_UNKNOWN;
    for (uint32_t port = kPortMode; port < kPortPanic; ++port) {
        const VstInt32 parameter = ParameterOf(port);
        const float value = effect->getParameter(effect, parameter);
        applied[port] = ControlValue(port, value);
        NotePanelChange(parameter, value);
    }
    return LV2_STATE_SUCCESS;
}

}  // namespace lv2face
