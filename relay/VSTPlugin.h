// One node of the MIDI relay: the concrete plug-in the entry point builds.
// A node is a sender or a receiver on one of eight ports; senders copy the
// host's MIDI into the inboxes of their port's receivers, receivers hand
// what arrives to their host. Nodes meet only in the tables of Registry.h.
#pragma once

#include "relay/Bridge.h"
#include "plugin/SPlugin.h"
#include "plugin/VstRecords.h"
#include "relay/BlockOrder.h"
#include "relay/EventQueue.h"
#include "relay/HeldNotes.h"
#include "relay/HostMidiStash.h"
#include "relay/NodeLock.h"
#include "relay/OutBlock.h"
#include "relay/OwedNoteOffs.h"
#include "relay/Registry.h"
#include "relay/SettingsSnapshot.h"
#include "relay/VSTPluginProgram.h"
#include "runtime/SMutex.h"

#include <atomic>
#include <cstdint>

class VSTPlugin : public SPlugin {
public:
    // Sets result to the instance-limit code when 64 nodes already exist;
    // otherwise leaves it as the base (and makeEditor's editor) left it.
    VSTPlugin(audioMasterCallback hostCallback, int& result, EditorMaker makeEditor);
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
    // constructor and the destructor. initialize returns 1 when the node got
    // a slot, 0 when the limit was reached meanwhile.
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
    // output; the others send the note-offs to the receivers of port at
    // once.
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

    // The release a node runs on its own table: its note-offs go to its own
    // output (to its receivers, for a sender).
    static constexpr int kPostProcessRelease = 1;

    // Construction.
    void PrepareHostEvents();
    static void ReportInstanceLimit();

    // The MIDI pass. The *Stage operations expect releaseLock to be held;
    // the activity notifications and the hand-over to the host come after
    // it is released.
    void RunProcessCall(float** inputs, float** outputs, VstInt32 sampleFrames, bool replacing);
    bool NothingToPass();
    uint8_t QuietAfterPass() const;
    void ShowIdlePass();
    void LockForChange();
    bool InStage(VstInt32 frames);
    int32_t TakeHostMidi();
    void RouteInOrder(VstMidiEvent* relayed, int32_t relayedCount, VstMidiEvent* own,
                      int32_t ownCount);
    void RouteRelayedOnly(VstMidiEvent* relayed, int32_t count);
    void RouteOwnOnly(VstMidiEvent* own, int32_t count);
    void RouteMerged(VstMidiEvent* relayed, int32_t relayedCount, VstMidiEvent* own,
                     int32_t ownCount);
    void EndHeldNotesHere(VstInt32 offset);
    int32_t OutStage(bool& reachedReceivers);
    int32_t HandOwedNoteOffs();
    void HandToHost(int32_t count);
    void RouteRelayed(VstMidiEvent& event, OffsetFloor& order, HeldNoteTable::Tracker& notes,
                      OutBlock::Filler& out);
    void RouteOwn(VstMidiEvent& event, OffsetFloor& order, HeldNoteTable::Tracker& notes,
                  OutBlock::Filler& out);
    void RouteNote(VstMidiEvent& event, uint32_t cameWith, HeldNoteTable::Tracker& notes,
                   OutBlock::Filler& out);
    // `wanted`: the event's four MIDI bytes as a word (MidiMessages.h).
    static void SetNoteBytes(VstMidiEvent& queued, uint32_t cameWith, uint32_t wanted);
    bool MoveLocalReleases(VstInt32 offset);
    bool SendToReceivers(const VstMidiEvent* events, int32_t count);
    void AddHostEvent(const VstMidiEvent& event, int32_t& count);
    void PointHostAtAll(const OutBlock::Taken& taken, int32_t& count);
    void PointHostAt(VstMidiEvent& event, int32_t& count);
    VstMidiEvent* Gather(const OutBlock::Taken& taken);
    void EditLocked(int type, int releasePort);
    // Where a release sends the note-offs of the notes it ends.
    enum class ReleaseTo { NextPass, OwnHost, Nowhere };
    void ReleaseHeld(ReleaseTo to);
    void HandOverLocalReleases();
    void OweLocalReleases();
    void EndSentNotesNow();
    void StartThruFlush();
    bool OwnOutputHoldsNotes(int type) const;
    void QueueNoteOffs(EventQueue& queue) const;
    void DeliverPortRelease(int releasePort, bool endEverything);
    void EndNotesOnLeaving();
    void RunPanicBurst();
    void NotifyActivity(Notification index);

    // Parameters and programs.
    void SetMode(int32_t newMode);
    void SetPort(int32_t newPort);
    void SetThru(bool on);
    void SetPanic(bool on);
    void ApplyLoadedProgram();
    bool PlaceDirectly(int32_t loadedMode, int32_t loadedPort);
    // Call with releaseLock held, after every change of the program bank or
    // the Panic state.
    void PublishSettings() { settings.Publish(bank, panicState); }
    bool EditorIsOpen();
    void RefreshEditor(VstInt32 index);
    void RefreshWholeEditor();

    VSTPluginProgramBank bank;
    int32_t claimToken;

public:
    // -1 until registered, then slot index + 1. The panel shows it. Set
    // before the node is published in the tables and not changed after.
    int32_t nodeId;

private:
    // Guarded by releaseLock: mode, port, the program bank, every queue but
    // the inbox and the host's MIDI stash, the held notes, the flush flags
    // and the Panic state. Only releasePending (set by other nodes) and
    // loadingChunk (set under loadLock) are read without it; readers of the
    // settings read the snapshot instead.
    int32_t mode;
    int32_t port;
    // Arguments of the last port release; kept for inspection only.
    int32_t lastEditType;
    int32_t lastEditPort;
    uint8_t panicState;
    uint8_t constructing;
    uint8_t firstLoad;
    // Asks for a release of everything held at the end of the next pass:
    // a flush, or a note-off that some queue could not take (other nodes
    // set it through releaseFlags when a release or a note-off does not fit
    // this node's inbox). A port release that fits goes through the inbox.
    ReleaseFlag releasePending;
    uint8_t flushPending;
    uint8_t flushEcho;
    std::atomic<uint8_t> loadingChunk;
    UpdateCallback updateCallback;
    HeldNoteTable heldNotes;
    // The node's lock. It used to serialise edit only; it now also keeps the
    // MIDI pass, the parameter changes and the chunk loads of one node from
    // interleaving (see relay/README.md for the order of locks). The audio
    // thread only tries it (NodeLock.h).
    NodeLock releaseLock;
    // What the last pass left for the next one, written under releaseLock
    // and read without it (NothingToPass): busy (a whole pass is needed),
    // quiet, or quiet unless the port's JACK input opens.
    static constexpr uint8_t kPassBusy = 0;
    static constexpr uint8_t kPassQuiet = 1;
    static constexpr uint8_t kPassQuietUnlessJack = 2;
    std::atomic<uint8_t> passQuiet{kPassBusy};
    VstEventBlock<EventQueue::kCapacity> hostEvents;
    // Where the note-offs owed to the host alone wait for its hand-over; the
    // rest of the host's block points into the outbox.
    VstMidiEvent hostEventStore[EventQueue::kCapacity];
    Inbox inbox;
    OutBlock outbox;
    EventQueue localReleaseQueue;
    OwedNoteOffs owedNoteOffs;
    // Note-offs of a port release on their way to the port's receivers;
    // empty again before the release returns.
    EventQueue portReleaseQueue;
    // A port release delivered note-offs since the last pass: the pass
    // reports MIDI in activity for it.
    bool portReleaseDelivered;
    // Set by a process call for its pass: the outbox it fills is taken in
    // the same call, so the events it routes may stay where they lie
    // (otherwise the pass copies them into the outbox).
    bool routeInPlace = false;
    // The host's MIDI until the next pass; only the node's own audio calls
    // touch it, without the lock.
    HostMidiStash hostMidi;
    // Suspends so far: what the stash kept before a suspend is dropped.
    std::atomic<uint32_t> suspends;
    // How far a receiver has read what came in on its port's JACK input
    // (bridge/); only its pass and resume touch it, under releaseLock.
    BridgeCursor bridgeCursor;
    // A port release's note-offs, and a block gathered for the receivers,
    // move through here under releaseLock: room for one queue.
    VstMidiEvent scratch[EventQueue::kCapacity];
    // Chunk loads of this node, one at a time; taken before releaseLock, on
    // host threads only (a load may show a message box).
    kvor::threading::SMutexOS loadLock;
    // What getChunk hands the host: copies the node's other threads never
    // write. A copy is made only when the settings differ from the latest
    // one, into the next of the ring, so a block handed out stays as it was
    // while other callers save, until the settings have changed
    // kChunkCopies - 1 more times.
    static constexpr int32_t kChunkCopies = 16;
    VSTPluginProgramBank chunkCopies[kChunkCopies];
    int32_t latestChunkCopy;
    // Guards chunkCopies and latestChunkCopy; taken by getChunk only, on
    // host threads, never together with another lock.
    kvor::threading::SMutexID chunkCopyLock;
    // The settings as the host and the panel read them, without releaseLock.
    SettingsSnapshot settings;
};
