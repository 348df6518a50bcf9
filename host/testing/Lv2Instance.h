// An LV2 instance of the built module as an LV2 host makes one: the URID
// map, the instance with its buffers and control values, and a block at a
// time. Filling the input and reading the output are the host's side;
// RunOnly is the plug-in's run call alone, for a test that watches it.
#pragma once

#include "lv2/Lv2Uris.h"

#include <lv2/atom/util.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>
#include <lv2/options/options.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace tarvenna::host {

class UridMap {
public:
    LV2_URID_Map map{this, &UridMap::Map};
    LV2_Feature feature{LV2_URID__map, &map};

    LV2_URID operator()(const char* uri) { return map.map(map.handle, uri); }

private:
    static LV2_URID Map(LV2_URID_Map_Handle handle, const char* uri)
    {
        auto& ids = static_cast<UridMap*>(handle)->ids;
        return ids.emplace(uri, static_cast<LV2_URID>(ids.size() + 1)).first->second;
    }
    std::map<std::string, LV2_URID> ids;
};

class Lv2Instance {
public:
    static constexpr uint32_t kFrames = 256;
    using Events = std::vector<std::pair<uint32_t, std::vector<uint8_t>>>;

    // With maxBlock, the host announces it (options, bufsz:maxBlockLength).
    Lv2Instance(const LV2_Descriptor* descriptor, UridMap& urids, float mode, float port,
                int32_t maxBlock = 0)
        : descriptor(descriptor),
          maxBlock(maxBlock),
          sequenceType(urids(LV2_ATOM__Sequence)),
          midiEvent(urids(LV2_MIDI__MidiEvent)),
          chunkType(urids(LV2_ATOM__Chunk))
    {
        const LV2_Options_Option options[] = {{LV2_OPTIONS_INSTANCE, 0,
                                               urids(LV2_BUF_SIZE__maxBlockLength), sizeof maxBlock,
                                               urids(LV2_ATOM__Int), &this->maxBlock},
                                              {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
        LV2_Feature optionsFeature{LV2_OPTIONS__options, const_cast<LV2_Options_Option*>(options)};
        const LV2_Feature* features[] = {&urids.feature, maxBlock > 0 ? &optionsFeature : nullptr,
                                         nullptr};
        handle = descriptor->instantiate(descriptor, 48000.0, "", features);
        if (handle == nullptr)
            return;
        Control(lv2face::kPortMode) = mode;
        Control(lv2face::kPortRelayPort) = port;
        for (uint32_t p = 0; p < 4; ++p)
            descriptor->connect_port(handle, p, audio[p].data());
        descriptor->connect_port(handle, lv2face::kPortMidiIn, in.data());
        descriptor->connect_port(handle, lv2face::kPortMidiOut, out.data());
        for (uint32_t p = lv2face::kPortMode; p <= lv2face::kPortPanic; ++p)
            descriptor->connect_port(handle, p, &Control(p));
        Activate();
    }
    ~Lv2Instance()
    {
        if (handle != nullptr) {
            Deactivate();
            descriptor->cleanup(handle);
        }
    }
    Lv2Instance(const Lv2Instance&) = delete;
    Lv2Instance& operator=(const Lv2Instance&) = delete;

    bool Made() const { return handle != nullptr; }
    // Switched off and on again, as a host does when the playing stops.
    void Restart()
    {
        Deactivate();
        Activate();
    }
    void Activate()
    {
        if (!active)
            descriptor->activate(handle);
        active = true;
    }
    void Deactivate()
    {
        if (active)
            descriptor->deactivate(handle);
        active = false;
    }
    bool Active() const { return active; }

    // The settings as the node saves them in LV2's state, and a state
    // handed back to it (an atom:Chunk unless `type` says otherwise).
    LV2_State_Status Save(std::vector<unsigned char>& bytes, uint32_t* type = nullptr)
    {
        State saved{&bytes, 0};
        const LV2_State_Status status =
            StateInterface()->save(handle, &State::Store, &saved, 0, nullptr);
        if (type != nullptr)
            *type = saved.type;
        return status;
    }
    LV2_State_Status Restore(const std::vector<unsigned char>& bytes, uint32_t type = 0)
    {
        State from{const_cast<std::vector<unsigned char>*>(&bytes), type ? type : chunkType};
        return StateInterface()->restore(handle, &State::Retrieve, &from, 0, nullptr);
    }
    // The ports' buffers as they are, for a host that writes or reads the
    // sequences itself.
    LV2_Atom_Sequence* Input() { return reinterpret_cast<LV2_Atom_Sequence*>(in.data()); }
    // What the input sequence's body may hold (the capacity LV2's append
    // functions take): the buffer less the atom's own header.
    uint32_t InputCapacity() const
    {
        return static_cast<uint32_t>(in.size() * 8 - sizeof(LV2_Atom));
    }
    const LV2_Atom_Sequence* Output() const
    {
        return reinterpret_cast<const LV2_Atom_Sequence*>(out.data());
    }
    LV2_Handle Handle() const { return handle; }
    float& Control(uint32_t port) { return controls[port - lv2face::kPortMode]; }

    // Runs a block with these MIDI events in; the notes that came out as
    // "+key@frame" and "-key@frame".
    std::string Run(const Events& events, uint32_t frames = kFrames)
    {
        Fill(events);
        RunOnly(frames);
        return Notes();
    }

    // What does not fit in the input is left out, as a host's full buffer
    // leaves it.
    void Fill(const Events& events)
    {
        auto* sequence = reinterpret_cast<LV2_Atom_Sequence*>(in.data());
        sequence->atom = {sizeof(LV2_Atom_Sequence_Body), sequenceType};
        sequence->body = {0, 0};
        for (const auto& [frame, bytes] : events) {
            struct {
                LV2_Atom_Event head;
                uint8_t data[8];
            } event = {};
            event.head.time.frames = frame;
            event.head.body = {static_cast<uint32_t>(bytes.size()), midiEvent};
            std::copy(bytes.begin(), bytes.end(), event.data);
            lv2_atom_sequence_append_event(sequence, InputCapacity(), &event.head);
        }
        ResetOutput();
    }

    void RunOnly(uint32_t frames = kFrames) { descriptor->run(handle, frames); }
    // Gives the output port its whole capacity again, as a host does before
    // every run.
    void ResetOutput()
    {
        reinterpret_cast<LV2_Atom_Sequence*>(out.data())->atom.size =
            static_cast<uint32_t>(out.size() * 8 - sizeof(LV2_Atom));
    }

    std::string Notes() const
    {
        std::string notes;
        ForEachOutput([&notes](uint32_t frame, const uint8_t* data, uint32_t) {
            if ((data[0] & 0xE0) != 0x80)
                return;
            const bool on = (data[0] & 0xF0) == 0x90 && data[2] != 0;
            notes += std::string(notes.empty() ? "" : " ") + (on ? "+" : "-") +
                     std::to_string(data[1]) + "@" + std::to_string(frame);
        });
        return notes;
    }

    // The MIDI events of the output, in its order.
    template <typename Take> void ForEachOutput(Take take) const
    {
        LV2_ATOM_SEQUENCE_FOREACH(Output(), event)
        if (event->body.type == midiEvent)
            take(static_cast<uint32_t>(event->time.frames),
                 static_cast<const uint8_t*>(LV2_ATOM_BODY_CONST(&event->body)), event->body.size);
    }

    // The longest block the instance's audio buffers hold.
    static constexpr std::size_t kMostFrames = 1024;

private:
    // What the state functions are handed: the bytes and their type.
    struct State {
        std::vector<unsigned char>* bytes;
        uint32_t type;

        static LV2_State_Status Store(LV2_State_Handle handle, uint32_t, const void* value,
                                      size_t size, uint32_t type, uint32_t)
        {
            auto& into = *static_cast<State*>(handle);
            const auto* first = static_cast<const unsigned char*>(value);
            into.bytes->assign(first, first + size);
            into.type = type;
            return LV2_STATE_SUCCESS;
        }
        static const void* Retrieve(LV2_State_Handle handle, uint32_t, size_t* size, uint32_t* type,
                                    uint32_t* flags)
        {
            const auto& from = *static_cast<const State*>(handle);
            *size = from.bytes->size();
            *type = from.type;
            *flags = LV2_STATE_IS_POD;
            return from.bytes->data();
        }
    };

    const LV2_State_Interface* StateInterface() const
    {
        return static_cast<const LV2_State_Interface*>(
            descriptor->extension_data(LV2_STATE__interface));
    }

    const LV2_Descriptor* descriptor;
    int32_t maxBlock;
    LV2_URID sequenceType;
    LV2_URID midiEvent;
    LV2_URID chunkType;
    LV2_Handle handle = nullptr;
    bool active = false;
    std::vector<float> audio[4] = {std::vector<float>(kMostFrames), std::vector<float>(kMostFrames),
                                   std::vector<float>(kMostFrames),
                                   std::vector<float>(kMostFrames)};
    std::vector<uint64_t> in = std::vector<uint64_t>(1024);
    std::vector<uint64_t> out = std::vector<uint64_t>(2048);
    float controls[4] = {};
};

}  // namespace tarvenna::host
