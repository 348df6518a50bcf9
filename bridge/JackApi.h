// The part of JACK's C interface the bridge uses, looked up at run time
// in libjack.so.0: the module must load, and the relay work, on machines
// without JACK. The few JACK types are declared here with the layouts of
// <jack/types.h> and <jack/midiport.h>, so that building needs no JACK
// package either.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace jack {

struct Client;
struct Port;
using Frames = uint32_t;
using Time = uint64_t;
using PortId = uint32_t;

struct MidiEvent {
    Frames time;
    std::size_t size;
    unsigned char* buffer;
};

// jack_options_t, jack_status_t and JackPortFlags values.
constexpr int kNoStartServer = 0x01;
constexpr int kUseExactName = 0x02;
constexpr int kNameNotUnique = 0x04;
constexpr int kServerFailed = 0x10;
constexpr int kServerError = 0x20;
constexpr unsigned long kPortIsInput = 0x1;
constexpr unsigned long kPortIsOutput = 0x2;
constexpr const char* kMidiType = "8 bit raw midi";

using ProcessCallback = int (*)(Frames frames, void* argument);
using ShutdownCallback = void (*)(void* argument);
using ConnectCallback = void (*)(PortId a, PortId b, int connect, void* argument);
using RegistrationCallback = void (*)(PortId port, int registered, void* argument);
using MessageCallback = void (*)(const char* message);

}  // namespace jack

class JackApi {
public:
    // Opens libjack.so.0 (once) and finds every function; false with `why`
    // when the library or one of them is missing.
    bool Load(std::string& why);

    // While JACK tries to reach a server that is not there it writes
    // several lines of its own to standard error; the bridge says why in
    // one. The process-wide message hooks are put back right after: a host
    // may be a JACK client itself. Only after a successful Load.
    class QuietMessages {
    public:
        explicit QuietMessages(const JackApi& api);
        ~QuietMessages();
        QuietMessages(const QuietMessages&) = delete;
        QuietMessages& operator=(const QuietMessages&) = delete;

    private:
        jack::MessageCallback* error;
        jack::MessageCallback* info;
        jack::MessageCallback savedError = nullptr;
        jack::MessageCallback savedInfo = nullptr;
    };

    jack::Client* (*clientOpen)(const char* name, int options, int* status, ...) = nullptr;
    int (*clientClose)(jack::Client* client) = nullptr;
    const char* (*clientName)(jack::Client* client) = nullptr;
    int (*activate)(jack::Client* client) = nullptr;
    int (*deactivate)(jack::Client* client) = nullptr;
    int (*setProcessCallback)(jack::Client* client, jack::ProcessCallback callback,
                              void* argument) = nullptr;
    void (*onShutdown)(jack::Client* client, jack::ShutdownCallback callback,
                       void* argument) = nullptr;
    int (*setPortConnectCallback)(jack::Client* client, jack::ConnectCallback callback,
                                  void* argument) = nullptr;
    jack::Port* (*portRegister)(jack::Client* client, const char* name, const char* type,
                                unsigned long flags, unsigned long bufferSize) = nullptr;
    int (*setPortRegistrationCallback)(jack::Client* client, jack::RegistrationCallback callback,
                                       void* argument) = nullptr;
    jack::Port* (*portById)(jack::Client* client, jack::PortId id) = nullptr;
    jack::Port* (*portByName)(jack::Client* client, const char* name) = nullptr;
    const char* (*portName)(const jack::Port* port) = nullptr;
    // A null-terminated list, freed with `free`; null when there is none.
    const char** (*portConnections)(const jack::Client* client, const jack::Port* port) = nullptr;
    int (*connect)(jack::Client* client, const char* source, const char* destination) = nullptr;
    // A null-terminated list of full port names, freed with `free`.
    const char** (*getPorts)(jack::Client* client, const char* namePattern, const char* typePattern,
                             unsigned long flags) = nullptr;
    void (*free)(void* pointer) = nullptr;
    void* (*portBuffer)(jack::Port* port, jack::Frames frames) = nullptr;
    int (*getCycleTimes)(const jack::Client* client, jack::Frames* currentFrames,
                         jack::Time* currentMicros, jack::Time* nextMicros,
                         float* periodMicros) = nullptr;
    jack::Time (*getTime)() = nullptr;
    jack::Frames (*getSampleRate)(jack::Client* client) = nullptr;
    uint32_t (*midiEventCount)(void* buffer) = nullptr;
    int (*midiEventGet)(jack::MidiEvent* event, void* buffer, uint32_t index) = nullptr;
    void (*midiClearBuffer)(void* buffer) = nullptr;
    int (*midiEventWrite)(void* buffer, jack::Frames time, const unsigned char* data,
                          std::size_t size) = nullptr;

private:
    bool Find(void** function, const char* name, std::string& why);

    void* library = nullptr;
    // The library's message hooks (variables); null when it has none.
    jack::MessageCallback* errorHook = nullptr;
    jack::MessageCallback* infoHook = nullptr;
};
