// The keeper: the bridge's own thread, which makes every call that opens or
// closes the JACK client. Host threads tell it what they want and wait for
// it a bounded time; JACK's threads wake it when the server goes away or
// the graph changes. After the server went away it tries again once a
// second, says so once, and when a server is back opens the client under
// the same name and makes again the connections its ports had.
#include "bridge/JackBridge.h"

#include "bridge/BridgeConfig.h"

#include <execinfo.h>

#include <cerrno>
#include <chrono>
#include <cstdio>

namespace {

constexpr auto kRetry = std::chrono::seconds(1);
// JACK's own threads are still ending the client when its shutdown
// callback has run: the close waits for them to be done.
constexpr auto kAfterShutdown = std::chrono::milliseconds(300);
// How long a node that opens the bridge waits for the first attempt, and
// the last to leave for the close: long enough for a server that answers,
// short enough for a host thread whatever the server does.
constexpr auto kOpenWait = std::chrono::seconds(2);
constexpr auto kCloseWait = std::chrono::milliseconds(600);

}  // namespace

// Under lifeLock. A request made while the keeper is inside a JACK call
// (a close that a stalled server holds up) is not waited for at all.
void JackBridge::Want(bool open, std::unique_lock<std::mutex>& lock)
{
    if (keeper == nullptr) {
        if (!open)
            return;
        // The library is loaded here, not by the keeper: a keeper inside
        // dlopen when the module is unloaded would wait for the loader's
        // lock that the unloading thread holds while it waits for the
        // keeper. Without the library there is nothing to try again.
        std::string why;
        if (!api.Load(why)) {
            std::fprintf(stderr, "tarvenna: the JACK bridge stays off: %s\n", why.c_str());
            return;
        }
        keeper = new Keeper;
        keeper->thread = std::thread(&JackBridge::KeeperLoop, this);
    }
    keeper->wanted = open;
    const uint64_t ask = ++keeper->asked;
    keeper->wake.notify_all();
    if (keeper->busy)
        return;
    keeper->done.wait_for(lock, open ? std::chrono::milliseconds(kOpenWait) : kCloseWait,
                          [&] { return keeper->answered >= ask; });
}

void JackBridge::Wake(bool graphChanged)
{
    std::lock_guard<std::mutex> hold(lifeLock);
    if (keeper == nullptr)
        return;
    keeper->graphChanged = keeper->graphChanged || graphChanged;
    keeper->wake.notify_all();
}

void JackBridge::Answer(uint64_t ask)
{
    keeper->answered = ask;
    keeper->done.notify_all();
}

void JackBridge::KeeperLoop()
{
    // Closing a client, JACK cancels its threads, and a process's first
    // pthread_cancel loads libgcc_s through the dynamic loader. That is
    // done here, once: when the module is unloaded, the thread in dlclose
    // holds the loader's lock and waits for this one, which must not wait
    // for that lock in turn.
    void* frame[1];
    backtrace(frame, 1);
    std::unique_lock<std::mutex> lock(lifeLock);
    while (KeeperStep(lock)) {
    }
}

// One thing at a time, under lifeLock, which it lets go of for every call
// to JACK; false once it has closed everything for good.
bool JackBridge::KeeperStep(std::unique_lock<std::mutex>& lock)
{
    const uint64_t ask = keeper->asked;
    const bool gone = ClientGone();
    if (keeper->stop) {
        // Unload closes the client itself, on its own thread.
        Answer(ask);
        return false;
    }
    if (client != nullptr && (!keeper->wanted || gone)) {
        const bool forGood = !keeper->wanted;
        if (!forGood) {
            keeper->pending = keeper->connections;
            keeper->failing = true;
            std::fprintf(stderr,
                         "tarvenna: the JACK server went away; the bridge opens again when one "
                         "is back\n");
        }
        if (gone && keeper->wake.wait_for(lock, kAfterShutdown, [&] { return keeper->stop; }))
            return true;  // unloading: the unloading thread closes it
        keeper->busy = true;
        lock.unlock();
        Close(forGood);
        lock.lock();
        keeper->busy = false;
        if (forGood) {
            keeper->pending.clear();
            keeper->connections.clear();
            keeper->failing = false;
            Answer(ask);
        }
        return true;
    }
    if (client == nullptr && keeper->wanted) {
        TryOpen(lock);
        return true;
    }
    if (client == nullptr)
        keeper->graphChanged = false;  // a late word of the closed client's graph
    if (client == nullptr && keeper->failing) {
        // The last node left while the server was away.
        readable.store(false, std::memory_order_release);
        keeper->pending.clear();
        keeper->connections.clear();
        keeper->failing = false;
    }
    Answer(ask);
    if (client != nullptr && keeper->graphChanged) {
        keeper->graphChanged = false;
        const bool linking = keeper->linking;
        lock.unlock();
        RestoreConnections();
        if (linking)
            LinkOtherBridges();
        RecordConnections();
        lock.lock();
        return true;
    }
    keeper->wake.wait(lock, [&] {
        return keeper->stop || keeper->asked != ask || ClientGone() ||
               (client != nullptr && keeper->graphChanged);
    });
    return true;
}

// Only an open client can go. News of one already closed (PipeWire's
// libjack sends its shutdown and graph callbacks after a close too) is
// never work to do: the keeper would go round under lifeLock and hold
// every node that joins or leaves.
bool JackBridge::ClientGone() const
{
    return client != nullptr && serverGone.load(std::memory_order_acquire);
}

bool JackBridge::StillWanted()
{
    std::lock_guard<std::mutex> hold(lifeLock);
    return keeper->wanted && !keeper->stop;
}

// Says why it could not open once, and again only after it had opened.
void JackBridge::TryOpen(std::unique_lock<std::mutex>& lock)
{
    const uint64_t ask = keeper->asked;
    std::string why;
    keeper->busy = true;
    keeper->linking = BridgeLinksAutomatically();
    const bool linking = keeper->linking;
    lock.unlock();
    const bool opened = Open(why);
    if (opened) {
        RestoreConnections();
        if (linking)
            LinkOtherBridges();
        RecordConnections();
    }
    lock.lock();
    keeper->busy = false;
    if (opened && keeper->failing)
        std::fprintf(stderr, "tarvenna: the JACK bridge is open again as %s\n",
                     keeper->name.c_str());
    if (!opened && !keeper->failing)
        std::fprintf(stderr, "tarvenna: the JACK bridge stays off: %s\n", why.c_str());
    keeper->failing = !opened;
    Answer(ask);
    if (opened)
        return;
    keeper->wake.wait_for(lock, kRetry,
                          [&] { return keeper->stop || !keeper->wanted || keeper->asked != ask; });
}

// The keeper's, with the client open and no lock held.
void JackBridge::RecordConnections()
{
    std::vector<std::pair<std::string, std::string>> seen;
    for (int32_t port = 0; port < kPorts; ++port) {
        for (jack::Port* ours : {outPorts[port], inPorts[port]}) {
            const char** others = api.portConnections(client, ours);
            if (others == nullptr)
                continue;
            const std::string name = api.portName(ours);
            for (const char** other = others; *other != nullptr; ++other)
                seen.emplace_back(ours == outPorts[port] ? name : *other,
                                  ours == outPorts[port] ? *other : name);
            api.free(others);
        }
    }
    std::lock_guard<std::mutex> hold(lifeLock);
    keeper->connections = std::move(seen);
}

// Makes the connections of before the restart whose two ends exist now;
// the others wait until their ports appear.
void JackBridge::RestoreConnections()
{
    std::vector<std::pair<std::string, std::string>> wanted;
    {
        std::lock_guard<std::mutex> hold(lifeLock);
        wanted.swap(keeper->pending);
    }
    std::vector<std::pair<std::string, std::string>> waiting;
    for (const auto& [source, destination] : wanted) {
        const bool bothThere = api.portByName(client, source.c_str()) != nullptr &&
                               api.portByName(client, destination.c_str()) != nullptr;
        const int result =
            bothThere ? api.connect(client, source.c_str(), destination.c_str()) : -1;
        if (result != 0 && result != EEXIST)
            waiting.emplace_back(source, destination);
    }
    std::lock_guard<std::mutex> hold(lifeLock);
    keeper->pending.insert(keeper->pending.end(), waiting.begin(), waiting.end());
}

// Another bridge is a client with MIDI ports in-N and out-N (the inputs are
// found by name, the output looked up); ours are left out, so what a
// process sends never comes back to it. Every bridge links its own
// outputs, so with all of them on `link = auto` each out-N reaches every
// other in-N. Nothing loops: what came in on in-N never goes out on out-N.
void JackBridge::LinkOtherBridges()
{
    const char** inputs = api.getPorts(client, ":in-[1-8]$", jack::kMidiType, jack::kPortIsInput);
    if (inputs == nullptr)
        return;
    const std::string ours = std::string(api.clientName(client)) + ":";
    for (const char** input = inputs; *input != nullptr; ++input) {
        const std::string name = *input;
        if (name.compare(0, ours.size(), ours) == 0)
            continue;
        const std::size_t dash = name.rfind(":in-");
        const std::string number = name.substr(dash + 4);
        const std::string peerOutput = name.substr(0, dash) + ":out-" + number;
        if (api.portByName(client, peerOutput.c_str()) == nullptr)
            continue;
        api.connect(client, (ours + "out-" + number).c_str(), name.c_str());
    }
    api.free(inputs);
}
