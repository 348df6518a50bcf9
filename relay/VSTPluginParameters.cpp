// The four parameters (Mode, Port, Thru, Panic), the refresh indexes that
// tell the editor what to redraw, and the one program.
#include "plugin/AEffEditor.h"
#include "plugin/ParameterIndex.h"
#include "relay/VSTPlugin.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

const char* const kParameterNames[kParameterCount] = {"OP: Mode", "OP: Port Number",
                                                      "OP: Midi Through", "AC: Midi Panic"};

constexpr std::size_t kHostProgramNameSize = 24;

constexpr float kHalfwayNudge = 8.326e-17f;
constexpr float kPortStep = 0.14285715f;  // one port of the 0..1 range
constexpr long double kLastPort = kPortCount - 1;

// Nearest integer, with an exact half going up. The nudge is far below a
// float's resolution, so the sum is formed in extended precision, where it
// tips a half over without moving anything else. Callers scale in extended
// precision too: a float product would round differently on the x87 target
// than on the 64-bit one.
int32_t RoundParameter(long double x)
{
    return static_cast<int32_t>(std::lrintl(x + kHalfwayNudge));
}

// NaN fails both comparisons, so it is refused with the out-of-range values
// instead of becoming a port or mode that indexes the tables.
bool IsParameterValue(float value) { return value >= 0.0f && value <= 1.0f; }

// Hosts give display texts 8 bytes (the VST 2 parameter-text size); every
// display text fits them. Names keep their full texts, which hosts size
// generously (17 bytes at most), and labels are empty.
void CopyDisplayText(char* text, const char* shown)
{
    constexpr std::size_t kDisplaySize = 8;
    const std::size_t length = strnlen(shown, kDisplaySize - 1);
    std::memcpy(text, shown, length);
    text[length] = 0;
}

bool IsOn(float value) { return value > 0.5f; }

// Each port's value, port × kPortStep rounded to a float when compiled. A
// product formed at run time on the x87 target could reach the host in
// extended precision, where port 7 gives a value above 1.
constexpr float kPortValues[kPortCount] = {0 * kPortStep, 1 * kPortStep, 2 * kPortStep,
                                           3 * kPortStep, 4 * kPortStep, 5 * kPortStep,
                                           6 * kPortStep, 7 * kPortStep};

float PortValue(int32_t port) { return IsValidPort(port) ? kPortValues[port] : 0.0f; }

}  // namespace

void VSTPlugin::setParameter(VstInt32 index, float value)
{
    if (!IsParameterValue(value))
        return;
    switch (index) {
    case kParameterMode:
        SetMode(RoundParameter(value));
        break;
    case kParameterPort:
        SetPort(RoundParameter(kLastPort * value));
        break;
    case kParameterThru:
        SetThru(IsOn(value));
        break;
    case kParameterPanic:
        SetPanic(IsOn(value));
        break;
    case kMidiInIdle:
    case kMidiInActive:
    case kMidiOutIdle:
    case kMidiOutActive:
    case kNodeListChanged:
        RefreshEditor(index);
        break;
    default:
        break;
    }
}

// Each change runs under the node's lock, with the table edits under the
// registry lock inside it; the notifications and the editor refresh come
// after both are released.
void VSTPlugin::SetMode(int32_t newMode)
{
    LockForChange();
    const bool changed = newMode != mode;
    if (changed && newMode == kModeSend) {
        // Whatever the senders left sounding here ends now, on this node's
        // host and at the port's receivers; the flush ignores what comes
        // meanwhile. Its queued note-offs were for its host alone.
        OweLocalReleases();
        EndSentNotesNow();
        flushPending = 1;
        releasePending.store(1);
        Program().mode = kModeSend;
        mode = kModeSend;
        PublishSettings();
        SharedSpinLock::WriteScope scope(registryLock);
        SetListenerCell(port, nodeId, kSendsInPort);
        RemoveReceiver(port, nodeId);
    } else if (changed) {
        lastEditType = 0;
        lastEditPort = port;
        EditLocked(0, port);
        // Host MIDI queued for this block as a sender: as a receiver the node
        // would hand it to its own host, which a receiver without Thru never
        // gives the note-off that follows.
        inbox.Clear();
        Program().mode = kModeReceive;
        mode = kModeReceive;
        PublishSettings();
        SharedSpinLock::WriteScope scope(registryLock);
        SetListenerCell(port, nodeId, kReceivesInPort);
        AddReceiver(port, nodeId, &inbox, &releasePending);
    }
    releaseLock.Unlock();
    if (changed)
        sendUpdateMessages();
    RefreshEditor(kParameterMode);
}

void VSTPlugin::SetPort(int32_t newPort)
{
    LockForChange();
    const int32_t oldPort = port;
    const bool changed = newPort != oldPort;
    if (changed) {
        if (mode == kModeReceive) {
            {
                SharedSpinLock::WriteScope scope(registryLock);
                SetListenerCell(newPort, nodeId, kReceivesInPort);
                SetListenerCell(oldPort, nodeId, kNotInPort);
                AddReceiver(newPort, nodeId, &inbox, &releasePending);
                RemoveReceiver(oldPort, nodeId);
            }
            flushPending = 1;
            releasePending.store(1);
        } else {
            {
                SharedSpinLock::WriteScope scope(registryLock);
                SetListenerCell(newPort, nodeId, kSendsInPort);
                SetListenerCell(oldPort, nodeId, kNotInPort);
            }
            lastEditType = mode + 2;
            lastEditPort = oldPort;
            EditLocked(2, oldPort);
        }
        Program().port = static_cast<int8_t>(newPort);
        port = newPort;
        PublishSettings();
    }
    releaseLock.Unlock();
    if (changed)
        sendUpdateMessages();
    RefreshEditor(kParameterPort);
}

void VSTPlugin::SetThru(bool on)
{
    LockForChange();
    const bool changed = (on ? 1 : 0) != Program().thru;
    if (changed) {
        Program().thru = on ? 1 : 0;
        PublishSettings();
        if (!on)
            StartThruFlush();
    }
    releaseLock.Unlock();
    if (changed)
        RefreshEditor(kParameterThru);
}

// Panic stays on until it is switched off; only the switch on sends.
void VSTPlugin::SetPanic(bool on)
{
    LockForChange();
    const bool changed = (on ? 1 : 0) != panicState;
    if (changed) {
        panicState = on ? 1 : 0;
        PublishSettings();
        if (on)
            RunPanicBurst();
    }
    releaseLock.Unlock();
    if (changed)
        RefreshEditor(kParameterPanic);
}

// Read from the snapshot: hosts and panels ask all the time, from threads
// the system may preempt, and the node's lock is the audio thread's.
float VSTPlugin::getParameter(VstInt32 index)
{
    const NodeSettings now = settings.Read();
    const VSTPluginProgram& program = now.bank.programs[0];
    switch (index) {
    case kParameterMode:
        return program.mode == kModeReceive ? 1.0f : 0.0f;
    case kParameterPort:
        return PortValue(program.port);
    case kParameterThru:
        return program.thru != 0 ? 1.0f : 0.0f;
    case kParameterPanic:
        return now.panic ? 1.0f : 0.0f;
    default:
        return 0.0f;
    }
}

void VSTPlugin::getParameterName(VstInt32 index, char* text)
{
    const bool known = index >= 0 && index < kParameterCount;
    std::strcpy(text, known ? kParameterNames[index] : "empty");
}

void VSTPlugin::getParameterDisplay(VstInt32 index, char* text)
{
    const float value = getParameter(index);
    switch (index) {
    case kParameterMode:
        std::strcpy(text, RoundParameter(value) == 0 ? "Send" : "Receive");
        break;
    case kParameterPort: {
        char number[16];
        std::snprintf(number, sizeof number, "%i", RoundParameter(kLastPort * value) + 1);
        CopyDisplayText(text, number);
        break;
    }
    case kParameterThru:
    case kParameterPanic:
        std::strcpy(text, IsOn(value) ? "On" : "Off");
        break;
    default:
        text[0] = 0;
        break;
    }
}

void VSTPlugin::getParameterLabel(VstInt32, char* label) { label[0] = 0; }

void VSTPlugin::setProgram(VstInt32 program)
{
    if (program != 0)
        return;
    // Written only when it differs: hosts select the one program from any
    // thread, and a store of the same value would still race with readers.
    if (currentProgram != 0)
        currentProgram = 0;
    if (loadingChunk.load())
        ApplyLoadedProgram();
    RefreshWholeEditor();
}

// The first load after construction places the node directly, without
// releases or notifications, while it is still the sender in port 0 that
// joining made it and has let no note through: there is nothing to end.
// Any other load that changes mode or port goes through the parameters, so
// that the node leaves its old lists and ends its notes like a manual
// change; a load that changes neither moves nothing.
void VSTPlugin::ApplyLoadedProgram()
{
    LockForChange();
    const int32_t loadedMode = Program().mode;
    const int32_t loadedPort = Program().port;
    const bool direct = firstLoad && PlaceDirectly(loadedMode, loadedPort);
    firstLoad = 0;
    const int32_t currentMode = mode;
    const int32_t currentPort = port;
    releaseLock.Unlock();
    if (direct)
        return;

    bool registryChanged = false;
    if (loadedMode != currentMode) {
        setParameter(kParameterMode, static_cast<float>(loadedMode));
        registryChanged = true;
    }
    if (loadedPort != currentPort) {
        setParameter(kParameterPort,
                     static_cast<float>(loadedPort) / static_cast<float>(kLastPort));
        registryChanged = true;
    }
    if (registryChanged)
        sendUpdateMessages();
}

// Call with releaseLock held. Returns false, placing nothing, when the node
// has moved since it joined, holds notes or has note-offs queued.
bool VSTPlugin::PlaceDirectly(int32_t loadedMode, int32_t loadedPort)
{
    // Release note-offs still queued for port 0 must go there, as a port
    // change's release takes them.
    if (mode != kModeSend || port != 0 || heldNotes.Count() != 0 || !localReleaseQueue.IsEmpty())
        return false;
    mode = loadedMode;
    port = loadedPort;
    // Host MIDI queued as a sender must not reach a receiver's own host.
    if (loadedMode == kModeReceive)
        inbox.Clear();
    SharedSpinLock::WriteScope scope(registryLock);
    SetListenerCell(0, nodeId, kNotInPort);
    SetListenerCell(loadedPort, nodeId,
                    loadedMode == kModeReceive ? kReceivesInPort : kSendsInPort);
    if (loadedMode == kModeReceive)
        AddReceiver(loadedPort, nodeId, &inbox, &releasePending);
    return true;
}

void VSTPlugin::setProgramName(char* name)
{
    if (name == nullptr)
        return;
    LockForChange();
    Program().SetName(name);
    PublishSettings();
    releaseLock.Unlock();
    RefreshWholeEditor();
}

// Hosts give the name 24 bytes (the VST 2 program-name size), whatever the
// stored record holds: the name is cut to 23 characters there.
void VSTPlugin::getProgramName(char* name)
{
    const NodeSettings now = settings.Read();
    const char* stored = now.bank.programs[0].name;
    const std::size_t length = strnlen(stored, kHostProgramNameSize - 1);
    std::memcpy(name, stored, length);
    name[length] = 0;
}

bool VSTPlugin::getProgramNameIndexed(VstInt32, VstInt32 index, char* text)
{
    if (index != 0)
        return false;
    getProgramName(text);
    return true;
}

// The editor redraws from its own idle pass; here it is only told what.
// The MIDI pass asks this on the audio thread in every block, so it reads
// the atomic flag instead of taking the base's mutex, which the editor holds
// while it opens or closes and which could put the audio thread to sleep.
bool VSTPlugin::EditorIsOpen() { return editor != nullptr && editorClosed.load() == 0; }

void VSTPlugin::RefreshEditor(VstInt32 index)
{
    if (EditorIsOpen())
        editor->postUpdateIndexed(index);
}

void VSTPlugin::RefreshWholeEditor()
{
    if (EditorIsOpen())
        editor->postUpdate();
}
