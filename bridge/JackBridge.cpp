// The bridge's life: switched on by the user, opened with the first node,
// closed with the last one or at unload (the process thread's side is in
// JackBridgeCycle.cpp).
#include "bridge/JackBridge.h"

#include "bridge/BridgeConfig.h"
#include "bridge/JackClientName.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

// Constant-initialised, so that it is ready before any static constructor
// of the module and outlives every node.
JackBridge bridge;

// Closing it at unload: a host that unloads the module with nodes still
// open must not leave JACK calling into code that is gone.
struct UnloadBridge {
    ~UnloadBridge() { bridge.Unload(); }
};
UnloadBridge unloadBridge;

// How long closing waits for the process thread to send what senders left
// and end the notes still sounding on the outputs: many periods.
constexpr auto kEndWait = std::chrono::milliseconds(500);

std::string ServerName()
{
    const char* name = std::getenv("JACK_DEFAULT_SERVER");
    return name != nullptr && *name != 0 ? name : "default";
}

}  // namespace

JackBridge& TheBridge() { return bridge; }

void JackBridge::Join()
{
    std::unique_lock<std::mutex> lock(lifeLock);
    if (users++ > 0 || !BridgeSwitchedOn())
        return;
    Want(true, lock);
}

void JackBridge::Leave()
{
    std::unique_lock<std::mutex> lock(lifeLock);
    if (users == 0 || --users > 0)
        return;
    Want(false, lock);
}

// The keeper ends first (finishing a call to JACK it is in), then this
// thread closes the client: in dlclose it holds the loader's lock, which
// JACK's close may take again, as only the same thread can. The library
// stays: closing the last client has freed what JACK keeps for it, a host
// that is a JACK client itself shares it, and a module loaded again finds
// it in place.
void JackBridge::Unload()
{
    Keeper* ending = nullptr;
    {
        std::lock_guard<std::mutex> hold(lifeLock);
        users = 0;
        if (keeper != nullptr) {
            keeper->wanted = false;
            keeper->stop = true;
            keeper->wake.notify_all();
            ending = keeper;
        }
    }
    if (ending != nullptr) {
        ending->thread.join();
        {
            std::lock_guard<std::mutex> hold(lifeLock);
            keeper = nullptr;
        }
        delete ending;
    }
    Close(true);
}

// PipeWire's libjack opens a second client under a name another has, and
// shows that one's ports as "<name>-<node number>:..." (a number that
// changes from run to run): a name is taken when ports under it exist
// before ours are registered. Every bridge has ports.
bool JackBridge::NameHeldByAnother(jack::Client* opened, const std::string& name)
{
    if (name != api.clientName(opened))
        return true;
    const char** ports = api.getPorts(opened, nullptr, nullptr, 0);
    if (ports == nullptr)
        return false;
    const std::string prefix = name + ":";
    bool held = false;
    for (const char** port = ports; *port != nullptr && !held; ++port)
        held = std::string(*port).compare(0, prefix.size(), prefix) == 0;
    api.free(ports);
    return held;
}

// Tries the name it had first (a restart keeps it), then the names that
// are ours in turn, each exactly: one another client has is refused. jackd
// says so with a plain server error (status 0x21); PipeWire opens it all
// the same, and the client is closed again. No server at all ends the
// search.
jack::Client* JackBridge::OpenUnderOneOfOurNames(int& status)
{
    std::vector<std::string> names = ClientNames(ChosenClientName(), ProgramName());
    if (!keeper->name.empty())
        names.insert(names.begin(), keeper->name);
    JackApi::QuietMessages quiet(api);
    for (const std::string& candidate : names) {
        // Each open may load libraries (PipeWire's does): none is begun for
        // a bridge no longer wanted, which the module's unload may be
        // waiting for with the loader's lock held.
        if (candidate != names.front() && !StillWanted())
            return nullptr;
        status = 0;
        jack::Client* opened =
            api.clientOpen(candidate.c_str(), jack::kNoStartServer | jack::kUseExactName, &status);
        if (opened != nullptr && !NameHeldByAnother(opened, candidate)) {
            keeper->name = candidate;
            return opened;
        }
        if (opened != nullptr) {
            api.clientClose(opened);
            status |= jack::kNameNotUnique;
        }
        if ((status & (jack::kNameNotUnique | jack::kServerError)) == 0 ||
            (status & jack::kServerFailed) != 0)
            return nullptr;
    }
    return nullptr;
}

bool JackBridge::Open(std::string& why)
{
    if (!api.Load(why))
        return false;
    int status = 0;
    client = OpenUnderOneOfOurNames(status);
    if (client == nullptr) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%x", static_cast<unsigned>(status));
        why = (status & jack::kServerFailed) != 0
                  ? "no JACK server \"" + ServerName() + "\" is running"
              : (status & jack::kNameNotUnique) != 0
                  ? "every name it may take is in use (set another with TARVENNA_JACK_NAME)"
                  : "JACK refused the client (status " + std::string(code) + ")";
        return false;
    }
    if (!RegisterPorts(why)) {
        api.clientClose(client);
        client = nullptr;
        return false;
    }
    api.setProcessCallback(client, &JackBridge::ProcessEntry, this);
    api.onShutdown(client, &JackBridge::ShutdownEntry, this);
    api.setPortConnectCallback(client, &JackBridge::ConnectEntry, this);
    api.setPortRegistrationCallback(client, &JackBridge::RegistrationEntry, this);
    sampleRate = api.getSampleRate(client);
    ResetExchange();
    sending.store(true, std::memory_order_release);
    readable.store(true, std::memory_order_release);
    clientLive.store(true, std::memory_order_release);
    if (api.activate(client) != 0) {
        clientLive.store(false, std::memory_order_release);
        why = "JACK did not start the client's process thread";
        sending.store(false);
        readable.store(false);
        api.clientClose(client);
        client = nullptr;
        return false;
    }
    return true;
}

bool JackBridge::RegisterPorts(std::string& why)
{
    for (int32_t port = 0; port < kPorts; ++port) {
        const std::string number = std::to_string(port + 1);
        outPorts[port] = api.portRegister(client, ("out-" + number).c_str(), jack::kMidiType,
                                          jack::kPortIsOutput, 0);
        inPorts[port] = api.portRegister(client, ("in-" + number).c_str(), jack::kMidiType,
                                         jack::kPortIsInput, 0);
        if (outPorts[port] == nullptr || inPorts[port] == nullptr) {
            why = "JACK refused the MIDI ports of port " + number;
            return false;
        }
    }
    return true;
}

// Only while no process thread runs and no sender can push.
void JackBridge::ResetExchange()
{
    for (int32_t port = 0; port < kPorts; ++port) {
        outRings[port].Reset();
        outNotes[port] = NoteSet();
        inNotes[port] = NoteSet();
        endingCycles[port] = 0;
    }
    pacer.Reset();
    gate.store(0);
    overflows.store(0);
    disconnectedInputs.store(0);
    endRequested.store(false);
    endDone.store(false);
    serverGone.store(false);
}

// The keeper's. What senders pushed last (a leaving sender's note-offs
// among it) goes out first, and every note still sounding on an output
// ends, before the ports go. After the server went away there is nobody to
// send to.
void JackBridge::Close(bool forGood)
{
    if (client == nullptr)
        return;
    if ((gate.load() & kGateClosed) == 0) {
        endRequested.store(true, std::memory_order_release);
        const auto deadline = std::chrono::steady_clock::now() + kEndWait;
        while (!endDone.load(std::memory_order_acquire) &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    sending.store(false, std::memory_order_release);
    clientLive.store(false, std::memory_order_release);
    // A client whose server went away has nothing to deactivate: closing it
    // frees what the library keeps for it.
    if (!serverGone.load(std::memory_order_acquire))
        api.deactivate(client);
    api.clientClose(client);
    client = nullptr;
    if (forGood)
        readable.store(false, std::memory_order_release);
    ResetExchange();
}
