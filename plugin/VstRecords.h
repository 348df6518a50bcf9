// The records that cross the boundary between a VST 2 host and this module.
// Hosts read them by offset, so their layouts are fixed; the static_asserts
// below pin them for both the 32-bit and the 64-bit target.
#pragma once

#include <cstddef>
#include <cstdint>

typedef int32_t VstInt32;
typedef intptr_t VstIntPtr;

struct AEffect;

typedef VstIntPtr (*audioMasterCallback)(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                         VstIntPtr value, void* ptr, float opt);
typedef VstIntPtr (*AEffectDispatcherProc)(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                           VstIntPtr value, void* ptr, float opt);
typedef void (*AEffectProcessProc)(AEffect* effect, float** inputs, float** outputs,
                                   VstInt32 sampleFrames);
typedef void (*AEffectSetParameterProc)(AEffect* effect, VstInt32 index, float parameter);
typedef float (*AEffectGetParameterProc)(AEffect* effect, VstInt32 index);

// "VstP", first character in the most significant byte.
constexpr VstInt32 kEffectMagic = 0x56737450;

struct AEffect {
    VstInt32 magic;
    AEffectDispatcherProc dispatcher;
    AEffectProcessProc process;
    AEffectSetParameterProc setParameter;
    AEffectGetParameterProc getParameter;
    VstInt32 numPrograms;
    VstInt32 numParams;
    VstInt32 numInputs;
    VstInt32 numOutputs;
    VstInt32 flags;
    VstIntPtr reserved1;
    VstIntPtr reserved2;
    VstInt32 initialDelay;
    VstInt32 realQualities;
    VstInt32 offQualities;
    float ioRatio;
    void* object;
    void* user;
    VstInt32 uniqueID;
    VstInt32 version;
    AEffectProcessProc processReplacing;
    // Zero bytes up to the record's full size on each target.
    char future[sizeof(void*) == 8 ? 64 : 60];
};

enum VstAEffectFlags : VstInt32 {
    effFlagsHasEditor = 1 << 0,
    effFlagsHasClip = 1 << 1,
    effFlagsHasVu = 1 << 2,
    effFlagsCanMono = 1 << 3,
    effFlagsCanReplacing = 1 << 4,
    effFlagsProgramChunks = 1 << 5,
    effFlagsIsSynth = 1 << 8,
    effFlagsNoSoundInStop = 1 << 9,
    effFlagsExtIsAsync = 1 << 10,
    effFlagsExtHasBuffer = 1 << 11,
};

struct ERect {
    int16_t top;
    int16_t left;
    int16_t bottom;
    int16_t right;
};

struct VstKeyCode {
    VstInt32 character;
    unsigned char virt;
    unsigned char modifier;
    unsigned char reserved[2];
};

enum VstEventTypes : VstInt32 { kVstMidiType = 1 };

// The common head of every event record; byteSize counts what follows it.
struct VstEvent {
    VstInt32 type;
    VstInt32 byteSize;
    VstInt32 deltaFrames;
    VstInt32 flags;
    char data[16];
};

struct VstMidiEvent {
    VstInt32 type;
    VstInt32 byteSize;
    VstInt32 deltaFrames;
    VstInt32 flags;
    VstInt32 noteLength;
    VstInt32 noteOffset;
    unsigned char midiData[4];
    signed char detune;
    unsigned char noteOffVelocity;
    unsigned char reserved1;
    unsigned char reserved2;
};

// What a MIDI event's byteSize says: the record after its type and byteSize.
constexpr VstInt32 kVstMidiEventByteSize =
    static_cast<VstInt32>(sizeof(VstMidiEvent) - 2 * sizeof(VstInt32));

// A block of events as the host hands it over: the pointer array really has
// numEvents entries. VstEventBlock<N> is the same layout with room for N.
struct VstEvents {
    VstInt32 numEvents;
    VstIntPtr reserved;
    VstEvent* events[2];
};

// The block's numEvents pointers: indexing the declared array past two is
// undefined, so the array is reached through its offset instead.
inline VstEvent* const* EventPointers(const VstEvents* events)
{
    const auto* base = reinterpret_cast<const unsigned char*>(events);
    return reinterpret_cast<VstEvent* const*>(base + offsetof(VstEvents, events));
}

template <int N> struct VstEventBlock {
    VstInt32 numEvents;
    VstIntPtr reserved;
    VstEvent* events[N];

    VstEvents* asVstEvents() { return reinterpret_cast<VstEvents*>(this); }
};

constexpr int kVstMaxLabelLen = 64;
constexpr int kVstMaxShortLabelLen = 8;
constexpr int kVstMaxNameLen = 64;

struct VstPinProperties {
    char label[kVstMaxLabelLen];
    VstInt32 flags;
    VstInt32 arrangementType;
    char shortLabel[kVstMaxShortLabelLen];
    char future[48];
};

struct VstSpeakerProperties {
    float azimuth;
    float elevation;
    float radius;
    float reserved;
    char name[kVstMaxNameLen];
    VstInt32 type;
    char future[28];
};

// An arrangement is this head followed by numChannels speaker records.
struct VstSpeakerArrangement {
    VstInt32 type;
    VstInt32 numChannels;
    VstSpeakerProperties speakers[8];
};

constexpr std::size_t kVstSpeakerArrangementHead = offsetof(VstSpeakerArrangement, speakers);

// Records that only pass through by pointer.
struct VstTimeInfo;
struct VstVariableIo;
struct VstOfflineTask;
struct VstAudioFile;
struct VstParameterProperties;
struct MidiProgramName;
struct MidiProgramCategory;
struct MidiKeyName;
struct VstPatchChunkInfo;
struct VstFileSelect;
struct VstWindow;

// ---- layout checks ----------------------------------------------------------
static_assert(sizeof(VstMidiEvent) == 32, "VstMidiEvent is 32 bytes");
static_assert(offsetof(VstMidiEvent, midiData) == 24, "MIDI bytes at 24");
static_assert(offsetof(VstMidiEvent, detune) == 28, "detune at 28");
static_assert(offsetof(VstMidiEvent, noteOffVelocity) == 29, "note-off velocity at 29");
static_assert(sizeof(VstEvent) == 32, "VstEvent is 32 bytes");
static_assert(sizeof(ERect) == 8, "ERect is 8 bytes");
static_assert(sizeof(VstKeyCode) == 8, "VstKeyCode is 8 bytes");
static_assert(sizeof(VstSpeakerProperties) == 112, "speaker record is 112 bytes");
static_assert(kVstSpeakerArrangementHead == 8, "arrangement head is 8 bytes");
static_assert(sizeof(VstPinProperties) == 128, "pin properties are 128 bytes");

#if defined(__i386__)
static_assert(sizeof(void*) == 4, "i386 target");
static_assert(sizeof(AEffect) == 144, "AEffect is 144 bytes on i386");
static_assert(offsetof(AEffect, dispatcher) == 4, "");
static_assert(offsetof(AEffect, process) == 8, "");
static_assert(offsetof(AEffect, setParameter) == 12, "");
static_assert(offsetof(AEffect, getParameter) == 16, "");
static_assert(offsetof(AEffect, numPrograms) == 20, "");
static_assert(offsetof(AEffect, numParams) == 24, "");
static_assert(offsetof(AEffect, numInputs) == 28, "");
static_assert(offsetof(AEffect, numOutputs) == 32, "");
static_assert(offsetof(AEffect, flags) == 36, "");
static_assert(offsetof(AEffect, reserved1) == 40, "");
static_assert(offsetof(AEffect, reserved2) == 44, "");
static_assert(offsetof(AEffect, initialDelay) == 48, "");
static_assert(offsetof(AEffect, realQualities) == 52, "");
static_assert(offsetof(AEffect, offQualities) == 56, "");
static_assert(offsetof(AEffect, ioRatio) == 60, "");
static_assert(offsetof(AEffect, object) == 64, "");
static_assert(offsetof(AEffect, user) == 68, "");
static_assert(offsetof(AEffect, uniqueID) == 72, "");
static_assert(offsetof(AEffect, version) == 76, "");
static_assert(offsetof(AEffect, processReplacing) == 80, "");
static_assert(offsetof(AEffect, future) == 84, "");
static_assert(offsetof(VstEvents, reserved) == 4, "");
static_assert(offsetof(VstEvents, events) == 8, "");
#elif defined(__x86_64__)
static_assert(sizeof(void*) == 8, "x86_64 target");
static_assert(sizeof(AEffect) == 192, "AEffect is 192 bytes on x86_64");
static_assert(offsetof(AEffect, dispatcher) == 8, "");
static_assert(offsetof(AEffect, process) == 16, "");
static_assert(offsetof(AEffect, setParameter) == 24, "");
static_assert(offsetof(AEffect, getParameter) == 32, "");
static_assert(offsetof(AEffect, numPrograms) == 40, "");
static_assert(offsetof(AEffect, numParams) == 44, "");
static_assert(offsetof(AEffect, numInputs) == 48, "");
static_assert(offsetof(AEffect, numOutputs) == 52, "");
static_assert(offsetof(AEffect, flags) == 56, "");
static_assert(offsetof(AEffect, reserved1) == 64, "");
static_assert(offsetof(AEffect, reserved2) == 72, "");
static_assert(offsetof(AEffect, initialDelay) == 80, "");
static_assert(offsetof(AEffect, realQualities) == 84, "");
static_assert(offsetof(AEffect, offQualities) == 88, "");
static_assert(offsetof(AEffect, ioRatio) == 92, "");
static_assert(offsetof(AEffect, object) == 96, "");
static_assert(offsetof(AEffect, user) == 104, "");
static_assert(offsetof(AEffect, uniqueID) == 112, "");
static_assert(offsetof(AEffect, version) == 116, "");
static_assert(offsetof(AEffect, processReplacing) == 120, "");
static_assert(offsetof(AEffect, future) == 128, "");
static_assert(offsetof(VstEvents, reserved) == 8, "");
static_assert(offsetof(VstEvents, events) == 16, "");
#else
#error "Tarvenna builds for i386 and x86_64 only"
#endif

static_assert(offsetof(VstEventBlock<256>, events) == offsetof(VstEvents, events),
              "a fixed block reads like a host block");
