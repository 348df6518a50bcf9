// One node of the MIDI relay: the concrete plug-in the entry point builds.
// A node is a sender or a receiver on one of eight ports; senders copy the
// host's MIDI into the inboxes of their port's receivers, receivers hand
// what arrives to their host. Nodes meet only in the tables of Registry.h.
#pragma once

#include "plugin/SPlugin.h"
#include "plugin/VstRecords.h"
#include "relay/EventQueue.h"
#include "relay/HeldNotes.h"
#include "relay/Registry.h"
#include "relay/VSTPluginProgram.h"
#include "runtime/SMutex.h"

#include <cstdint>

class VSTPlugin : public SPlugin {
public:
    // Sets result to the instance-limit code when 64 nodes already exist;
    // otherwise leaves it as the base left it.
    VSTPlugin(audioMasterCallback hostCallback, int& result);
    ~VSTPlugin() override;

    // The entry point hands this record to the host.
    using AudioEffect::effectRecord;

    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;
    void process(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    void setProgram(VstInt32 program) override;
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    void getParameterLabel(VstInt32 index, char* label) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    void getParameterName(VstInt32 index, char* text) override;
    VstInt32 getChunk(void** data, bool isPreset) override;
    VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset) override;
    void setSampleRate(float rate) override;
    void setBlockSize(VstInt32 size) override;
    void suspend() override;
    void resume() override;
    VstInt32 processEvents(VstEvents* events) override;
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;

    // Joining and leaving the registry; each runs once, from the
    // constructor and the destructor.
    int initialize();
    void uninitialize();

    // The update callback every slot carries: tells the node's editor that
    // the node list changed.
    static void ListUpdateStatic(void* instance);
    void sendUpdateMessages();
    void listlisteners(char (*dst)[kSlotCount]);

    // The two stages of the MIDI pass around the audio of a process call.
    void midiInProcess();
    void midiPostProcess();
    // Ends every held note. Types 1, 3 and 5 end them on the node's own
    // output; the others send the note-offs to the receivers of port.
    void edit(int type, int releasePort);

    // Refresh indexes that are not parameters: MIDI activity and the node
    // list.
    enum Notification : VstInt32 {
        kMidiInIdle = 5,
        kMidiInActive = 6,
        kMidiOutIdle = 7,
        kMidiOutActive = 8,
        kNodeListChanged = 11,
    };

private:
    VSTPluginProgram& Program() { return bank.programs[0]; }
    bool ThruIsOn() const { return bank.programs[0].thru != 0; }

    // Construction.
    void PrepareHostEvents();
    static void ReportInstanceLimit();
    void ForgetInboxElsewhere();

    // The MIDI pass.
    void RouteInboxEvent(VstMidiEvent& event);
    bool MoveLocalReleases();
    bool DeliverPortReleases();
    bool SendOutbox(bool& reachedReceivers);
    void SendToReceivers(const VstMidiEvent& event, bool& reachedReceivers);
    void AddHostEvent(const VstMidiEvent& event, int32_t& count);
    void QueueNoteOffs(EventQueue& queue) const;
    void ReleaseTowardsPort(int type, int port);
    void RunPanicBurst();
    void NotifyActivity(Notification index);

    // Parameters and programs.
    void SetMode(int32_t newMode);
    void SetPort(int32_t newPort);
    void SetThru(bool on);
    void SetPanic(bool on);
    void ApplyLoadedProgram();
    bool EditorIsOpen();
    void RefreshEditor(VstInt32 index);
    void RefreshWholeEditor();

    VSTPluginProgramBank bank;
    int32_t claimToken;

public:
    // -1 until registered, then slot index + 1. The panel shows it.
    int32_t nodeId;

private:
    int32_t mode;
    int32_t port;
    // Arguments of the last port release; kept for inspection only.
    int32_t lastEditType;
    int32_t lastEditPort;
    uint8_t panicState;
    uint8_t constructing;
    uint8_t firstLoad;
    // Other nodes' port releases set this through releaseFlags.
    unsigned char releasePending;
    uint8_t flushPending;
    uint8_t flushEcho;
    uint8_t loadingChunk;
    UpdateCallback updateCallback;
    HeldNoteTable heldNotes;
    kvor::threading::SMutexID releaseLock;
    VstEventBlock<EventQueue::kCapacity> hostEvents;
    VstMidiEvent hostEventStore[EventQueue::kCapacity];
    EventQueue inbox;
    EventQueue outbox;
    EventQueue localReleaseQueue;
    EventQueue portReleaseQueue;
    PointerQueue releaseTargets;
};
