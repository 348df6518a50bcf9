// The process's one JACK client: eight MIDI outputs that carry what the
// senders of each port relay, eight inputs whose MIDI reaches the
// receivers of each port. It opens when the first node joins (if the user
// switched the bridge on) and closes when the last one leaves, or at
// unload.
//
// Threads: the host threads that make and close nodes open and close it
// under `lifeLock`. The plug-in's audio threads and JACK's process thread
// meet only in the rings: senders push into `outRings`, the process thread
// empties them into the output ports and fills `inRings`, and every
// receiver reads those with a cursor of its own. The process thread takes
// no lock of the relay's and no lock of its own; the audio threads take
// none here either.
#pragma once

#include "bridge/InRing.h"
#include "bridge/JackApi.h"
#include "bridge/NoteSet.h"
#include "bridge/OutRing.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

class JackBridge {
public:
    static constexpr int32_t kPorts = 8;

    constexpr JackBridge() = default;
    JackBridge(const JackBridge&) = delete;
    JackBridge& operator=(const JackBridge&) = delete;

    // Host threads, with no lock of the relay's held.
    void Join();
    void Leave();
    // At unload: closes the client if a host left nodes open.
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
        int64_t FrameAt(uint32_t micros) const;
        uint32_t MicrosAt(jack::Frames frame) const;
    };

    bool Open(std::string& why);
    bool RegisterPorts(std::string& why);
    void Close();
    void ResetExchange();

    // JACK's threads (JackBridgeCycle.cpp).
    static int ProcessEntry(jack::Frames frames, void* bridge);
    static void ShutdownEntry(void* bridge);
    static void ConnectEntry(jack::PortId a, jack::PortId b, int connect, void* bridge);
    void Process(jack::Frames frames);
    Cycle ReadCycle(jack::Frames frames) const;
    void TakeIncoming(int32_t port, const Cycle& cycle, bool disconnected);
    void SendOutgoing(int32_t port, const Cycle& cycle, bool ending, bool overflowed);
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

    std::atomic<bool> sending{false};
    std::atomic<bool> readable{false};
    std::atomic<uint32_t> gate{0};
    std::atomic<uint32_t> overflows{0};           // a bit per port
    std::atomic<uint32_t> disconnectedInputs{0};  // a bit per port
    std::atomic<bool> endRequested{false};
    std::atomic<bool> endDone{false};

    std::mutex lifeLock;
    int32_t users = 0;
};

JackBridge& TheBridge();
