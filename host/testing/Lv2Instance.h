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
          urids(urids),
          maxBlock(maxBlock)
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
        descriptor->activate(handle);
    }
    ~Lv2Instance()
    {
        if (handle != nullptr) {
            descriptor->deactivate(handle);
            descriptor->cleanup(handle);
        }
    }
    Lv2Instance(const Lv2Instance&) = delete;
    Lv2Instance& operator=(const Lv2Instance&) = delete;

    bool Made() const { return handle != nullptr; }
    // Switched off and on again, as a host does when the playing stops.
    void Restart()
    {
        descriptor->deactivate(handle);
        descriptor->activate(handle);
    }
    // The ports' buffers as they are, for a host that writes or reads the
    // sequences itself.
    LV2_Atom_Sequence* Input() { return reinterpret_cast<LV2_Atom_Sequence*>(in.data()); }
    uint32_t InputCapacity() const { return static_cast<uint32_t>(in.size() * 8); }
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

    void Fill(const Events& events)
    {
        auto* sequence = reinterpret_cast<LV2_Atom_Sequence*>(in.data());
        sequence->atom = {sizeof(LV2_Atom_Sequence_Body), urids(LV2_ATOM__Sequence)};
        sequence->body = {0, 0};
        for (const auto& [frame, bytes] : events) {
            struct {
                LV2_Atom_Event head;
                uint8_t data[8];
            } event = {};
            event.head.time.frames = frame;
            event.head.body = {static_cast<uint32_t>(bytes.size()), urids(LV2_MIDI__MidiEvent)};
            std::copy(bytes.begin(), bytes.end(), event.data);
            lv2_atom_sequence_append_event(sequence, in.size() * 8, &event.head);
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

    std::string Notes()
    {
        const LV2_URID midiEvent = urids(LV2_MIDI__MidiEvent);
        auto* output = reinterpret_cast<LV2_Atom_Sequence*>(out.data());
        std::string notes;
        LV2_ATOM_SEQUENCE_FOREACH(output, event)
        {
            const auto* data = static_cast<const uint8_t*>(LV2_ATOM_BODY_CONST(&event->body));
            if (event->body.type != midiEvent || (data[0] & 0xE0) != 0x80)
                continue;
            const bool on = (data[0] & 0xF0) == 0x90 && data[2] != 0;
            notes += std::string(notes.empty() ? "" : " ") + (on ? "+" : "-") +
                     std::to_string(data[1]) + "@" + std::to_string(event->time.frames);
        }
        return notes;
    }

private:
    static constexpr std::size_t kMostFrames = 1024;

    const LV2_Descriptor* descriptor;
    UridMap& urids;
    int32_t maxBlock;
    LV2_Handle handle = nullptr;
    std::vector<float> audio[4] = {std::vector<float>(kMostFrames), std::vector<float>(kMostFrames),
                                   std::vector<float>(kMostFrames),
                                   std::vector<float>(kMostFrames)};
    std::vector<uint64_t> in = std::vector<uint64_t>(1024);
    std::vector<uint64_t> out = std::vector<uint64_t>(2048);
    float controls[4] = {};
};

}  // namespace tarvenna::host
