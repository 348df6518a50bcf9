#include "relay/VSTPlugin.h"

#include "plugin/UserMessage.h"
#include "plugin/LoadFailure.h"
#include "relay/ClaimWord.h"
#include "relay/MidiMessages.h"
#include "runtime/datastring.h"

VSTPlugin::VSTPlugin(audioMasterCallback hostCallback, int& result, EditorMaker makeEditor)
    : SPlugin(hostCallback, result, makeEditor),
      bank(),
      claimToken(0),
      nodeId(-1),
      mode(kModeSend),
      port(0),
      lastEditType(-1),
      lastEditPort(-1),
      panicState(0),
      constructing(1),
      firstLoad(1),
      releasePending(0),
      flushPending(0),
      flushEcho(0),
      loadingChunk(0),
      updateCallback(nullptr),
      heldNotes(),
      releaseLock(),
      hostEvents(),
      hostEventStore(),
      inbox(),
      outbox(),
      localReleaseQueue(),
      owedNoteOffs(),
      portReleaseQueue(),
      portReleaseDelivered(false),
      hostMidi(),
      suspends(0),
      bridgeCursor(),
      scratch(),
      loadLock(),
      chunkCopies(),
      latestChunkCopy(0),
      chunkCopyLock(),
      settings()
{
    PrepareHostEvents();
    PublishSettings();
    // The quick refusal spares a 65th instance the handshake; the count that
    // decides is taken together with the slot, after it.
    if (RegisteredInstances() >= kMaxInstances || initialize() == 0) {
        ReportInstanceLimit();
        result = kLoadInstanceLimit;
        return;
    }
    // The base's suspend only marks the plug-in off: there is nothing to
    // release yet, and our own suspend would send a port release.
    SPlugin::suspend();
    constructing = 0;
}

VSTPlugin::~VSTPlugin()
{
    // The panel's events and idle passes call into this node: they end
    // before any part of it does.
    RetireEditorWindows();
    uninitialize();
    if (releaseLock.IsLocked())
        releaseLock.Unlock();
}

void VSTPlugin::PrepareHostEvents()
{
    const VstMidiEvent blank = BlankMidiEvent();
    for (VstMidiEvent& event : hostEventStore)
        event = blank;
}

void VSTPlugin::ReportInstanceLimit()
{
    kvor::data::datastring<32, char> text;
    text.Append("Failed to load plugin");
    text.Append("\n(Reason: Limit of ");
    text.Append(8, "%i", kMaxInstances);
    text.Append("\ninstances reached)");
    ShowUserMessage(text.data);
}

// The handshake runs first and with no lock held; only the table edits that
// follow it take the registry lock. Two instances that passed the quick
// check at 63 nodes meet here: the count is checked with the slot taken, so
// the second is refused rather than left running outside the tables.
int VSTPlugin::initialize()
{
    claimToken = WinClaimWord();
    updateCallback = &VSTPlugin::ListUpdateStatic;
    int32_t slot;
    {
        SharedSpinLock::WriteScope scope(registryLock);
        slot = TakeLowestFreeSlot(this, &updateCallback);
        if (slot >= 0)
            nodeId = slot + 1;
    }
    if (slot < 0) {
        updateCallback = nullptr;
        return 0;
    }
    // The first node of the process opens the JACK bridge, if it is on.
    BridgeNodeJoined();
    sendUpdateMessages();
    return 1;
}

// A sender ends what it gave its port's receivers before it goes: closing
// the instance is the last change of mode it makes. Once the slot and the
// lists are cleared under the exclusive lock, no sender can reach the inbox
// or the release flag any more: senders only find them under the shared
// lock. Calls already under way into this node (notifications) are waited
// for before the memory goes. The slot is uncounted as it is freed, so a
// join meanwhile finds both the place and the count.
void VSTPlugin::uninitialize()
{
    if (nodeId == -1)
        return;
    RewinClaimWord(claimToken);
    LockForChange();
    EndNotesOnLeaving();
    {
        SharedSpinLock::WriteScope scope(registryLock);
        FreeSlot(nodeId, port);
        if (mode == kModeReceive)
            RemoveReceiver(port, nodeId);
    }
    releaseLock.Unlock();
    WaitUntilUnpinned(nodeId);
    // The last node closes the JACK bridge, after its own release went out.
    BridgeNodeLeft();
    sendUpdateMessages();
}

void VSTPlugin::ListUpdateStatic(void* instance)
{
    if (instance != nullptr)
        static_cast<VSTPlugin*>(instance)->setParameter(kNodeListChanged, 0.0f);
}

void VSTPlugin::sendUpdateMessages() { NotifyAllNodes(); }

void VSTPlugin::listlisteners(char (*dst)[kSlotCount]) { CopyListeners(dst); }
