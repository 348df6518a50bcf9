// The process's one JACK client: eight MIDI outputs that carry what the
// senders of each port relay, eight inputs whose MIDI reaches the
// receivers of each port. It opens when the first node joins (if the user
// switched the bridge on) and closes when the last one leaves, or at
// unload. When the server goes away it opens again, under the same name
// and with the connections it had, once a server is back.
//
// Threads: a thread of the bridge's own, the keeper (JackBridgeKeeper.cpp),
// makes every call that opens or closes the client, so that no host thread
// waits on a server that is slow or gone; host threads that make and close
// nodes only tell it what they want under `lifeLock` and wait for it a
// bounded time. The plug-in's audio threads and JACK's process thread
// meet only in the rings: senders push into `outRings`, the process thread
// empties them into the output ports and fills `inRings`, and every
// receiver reads those with a cursor of its own. The process thread takes
// no lock of the relay's and no lock of its own; the audio threads take
// none here either.
#pragma once

#include "bridge/InRing.h"
#include "bridge/JackApi.h"
#include "bridge/NoteSet.h"
#include "bridge/OutPacer.h"
#include "bridge/OutRing.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

class JackBridge {
public:
    static constexpr int32_t kPorts = 8;

    constexpr JackBridge() = default;
    JackBridge(const JackBridge&) = delete;
    JackBridge& operator=(const JackBridge&) = delete;

    // Host threads, with no lock of the relay's held.
    void Join();
    void Leave();
    // At unload: closes the client if a host left nodes open, and ends the
    // keeper; waits for JACK as long as that takes, since JACK must not call
    // into code that is gone.
    void Unload();

    // Any thread. Whether what senders push is taken out; whether receivers
    // read (also after the server went away, for the note-offs it left).
    bool Sending() const { return sending.load(std::memory_order_acquire); }
    bool Readable() const { return readable.load(std::memory_order_acquire); }
    OutRing& Out(int32_t port) { return outRings[port]; }
    const InRing& In(int32_t port) const { return inRings[port]; }
    // A note-off for `port` found no room: the process thread ends every
    // note it let out there.
    void MarkOverflow(int32_t port) { overflows.fetch_or(1u << port, std::memory_order_release); }

private:
    struct Cycle {
        uint32_t start;        // bridge clock, microseconds
        int32_t periodMicros;  // one period of JACK's
        jack::Frames frames;
        uint32_t MicrosAt(jack::Frames frame) const;
    };

    // The keeper's side (JackBridgeKeeper.cpp): what host threads ask of
    // it, and its loop.
    struct Keeper {
        std::thread thread;
        std::condition_variable wake;  // the keeper's: something to do
        std::condition_variable done;  // host threads': a request was answered
        bool wanted = false;           // nodes live and the bridge is switched on
        bool stop = false;
        uint64_t asked = 0;         // requests made
        uint64_t answered = 0;      // requests acted on (an attempt to open, a close)
        bool busy = false;          // in a call to JACK that opens or closes
        bool failing = false;       // it said why it could not open, and keeps trying
        bool graphChanged = false;  // connections or ports came or went
        bool linking = false;       // link = auto, read when it opens
        // The keeper thread's own: the name it opened under, the
        // connections of our ports as last seen, and those to make again
        // after a restart (source port, destination port).
        std::string name;
        std::vector<std::pair<std::string, std::string>> connections;
        std::vector<std::pair<std::string, std::string>> pending;
    };
    void Want(bool open, std::unique_lock<std::mutex>& lock);
    void KeeperLoop();
    bool KeeperStep(std::unique_lock<std::mutex>& lock);
    bool ClientGone() const;
    bool StillWanted();
    bool NameHeldByAnother(jack::Client* opened, const std::string& name);
    void TryOpen(std::unique_lock<std::mutex>& lock);
    void Answer(uint64_t ask);
    // From JACK's threads: wakes the keeper (under lifeLock, so that it
    // cannot miss it).
    void Wake(bool graphChanged);

    bool Open(std::string& why);
    jack::Client* OpenUnderOneOfOurNames(int& status);
    bool RegisterPorts(std::string& why);
    // forGood: no node is left to read what came in. After the server went
    // away the receivers still read the note-offs that ended what had.
    void Close(bool forGood);
    void ResetExchange();
    // The connections of our ports, kept to make them again after a
    // restart; the keeper's, with no lock held.
    void RecordConnections();
    void RestoreConnections();
    // With `link = auto`: our out-N to every other bridge's in-N.
    void LinkOtherBridges();

    // JACK's threads (JackBridgeCycle.cpp).
    static int ProcessEntry(jack::Frames frames, void* bridge);
    static void ShutdownEntry(void* bridge);
    static void ConnectEntry(jack::PortId a, jack::PortId b, int connect, void* bridge);
    static void RegistrationEntry(jack::PortId port, int registered, void* bridge);
    void Process(jack::Frames frames);
    Cycle ReadCycle(jack::Frames frames) const;
    void TakeIncoming(int32_t port, const Cycle& cycle, bool disconnected);
    void ReadIncoming(int32_t port, const Cycle& cycle, uint32_t& lastDue);
    void SendOutgoing(int32_t port, const OutPacer::Window& window, bool ending, bool overflowed);
    bool WriteOut(int32_t port, void* buffer, jack::Frames frame, const BridgeEvent& event);
    void EndOutgoingNotes(int32_t port, void* buffer, jack::Frames frame);
    void EndIncomingNotes(int32_t port, uint32_t due);

    // The process thread counts itself in while it works; closing the gate
    // keeps it out, so that whoever closed it owns the rings' JACK side.
    static constexpr uint32_t kGateClosed = 0x80000000u;

    JackApi api;
    jack::Client* client = nullptr;
    jack::Port* outPorts[kPorts] = {};
    jack::Port* inPorts[kPorts] = {};
    uint32_t sampleRate = 48000;

    OutRing outRings[kPorts];
    InRing inRings[kPorts];
    // What went out on each output and came in on each input, and is
    // still sounding: the process thread's own.
    NoteSet outNotes[kPorts];
    NoteSet inNotes[kPorts];
    OutPacer pacer;
    // Cycles left in which an input that lost a connection ends what came in.
    uint8_t endingCycles[kPorts] = {};

    std::atomic<bool> sending{false};
    std::atomic<bool> readable{false};
    std::atomic<uint32_t> gate{0};
    std::atomic<uint32_t> overflows{0};           // a bit per port
    std::atomic<uint32_t> disconnectedInputs{0};  // a bit per port
    std::atomic<bool> endRequested{false};
    std::atomic<bool> endDone{false};
    // Set by JACK's shutdown callback: the keeper closes what is left of
    // the client and tries again.
    std::atomic<bool> serverGone{false};
    // From activation until the close begins: a shutdown callback outside
    // it (PipeWire's libjack makes one after a close) is no news.
    std::atomic<bool> clientLive{false};

    std::mutex lifeLock;
    int32_t users = 0;
    Keeper* keeper = nullptr;  // made at the first Join, ended at Unload (lifeLock)
};

JackBridge& TheBridge();
