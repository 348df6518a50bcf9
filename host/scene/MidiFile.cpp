#include "host/scene/MidiFile.h"

// allegro.h uses memcpy without including its header.
#include <cstring>

#include <portSMF/allegro.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <utility>

namespace tarvenna::host {

namespace {

// At one time: note-offs, then everything else, then note-ons, so that a
// note repeated at the point where it ends sounds again.
int Rank(const TimedMidi& event)
{
    const int kind = event.status & 0xf0;
    if (kind == 0x80)
        return 0;
    return kind == 0x90 ? 2 : 1;
}

std::uint8_t Byte(double value, double scale, int largest)
{
    return static_cast<std::uint8_t>(std::clamp<long>(std::lround(value * scale), 0, largest));
}

std::uint8_t Channel(const Alg_event& event)
{
    return static_cast<std::uint8_t>(event.chan & 0x0f);
}

// portSMF turns a file's controller, bend, program and pressure messages
// into named updates; these are their names.
bool UpdateToMidi(Alg_update& update, TimedMidi& out)
{
    const std::string name = update.get_attribute();
    const std::uint8_t channel = Channel(update);
    const long key = update.get_identifier();
    int controller = 0;
    if (std::sscanf(name.c_str(), "control%dr", &controller) == 1 && controller >= 0 &&
        controller < 128) {
        out.status = 0xb0 | channel;
        out.data1 = static_cast<std::uint8_t>(controller);
        out.data2 = Byte(update.get_real_value(), 127.0, 127);
    } else if (name == "bendr") {
        const long bend =
            std::clamp<long>(std::lround(8192 + update.get_real_value() * 8192), 0, 16383);
        out.status = 0xe0 | channel;
        out.data1 = static_cast<std::uint8_t>(bend & 0x7f);
        out.data2 = static_cast<std::uint8_t>(bend >> 7);
    } else if (name == "programi") {
        out.status = 0xc0 | channel;
        out.data1 = static_cast<std::uint8_t>(update.get_integer_value() & 0x7f);
    } else if (name == "pressurer" && key >= 0) {
        out.status = 0xa0 | channel;
        out.data1 = static_cast<std::uint8_t>(key & 0x7f);
        out.data2 = Byte(update.get_real_value(), 127.0, 127);
    } else if (name == "pressurer") {
        out.status = 0xd0 | channel;
        out.data1 = Byte(update.get_real_value(), 127.0, 127);
    } else {
        return false;
    }
    return true;
}

void AddTrack(Alg_track& track, std::vector<TimedMidi>& events)
{
    for (int i = 0; i < track.length(); ++i) {
        Alg_event& event = *track[i];
        if (event.is_note()) {
            const Alg_note& note = static_cast<Alg_note&>(event);
            if (note.dur <= 0.0)
                continue;
            const auto key = static_cast<std::uint8_t>(event.get_identifier() & 0x7f);
            events.push_back({event.time, static_cast<std::uint8_t>(0x90 | Channel(event)), key,
                              Byte(note.loud, 1.0, 127)});
            events.push_back(
                {event.time + note.dur, static_cast<std::uint8_t>(0x80 | Channel(event)), key, 0});
            continue;
        }
        TimedMidi midi;
        midi.seconds = event.time;
        if (UpdateToMidi(static_cast<Alg_update&>(event), midi))
            events.push_back(midi);
    }
}

}  // namespace

bool ReadMidiFile(const std::string& path, int track, std::vector<TimedMidi>& events,
                  std::string& error)
{
    Alg_seq sequence(path.c_str(), true);
    if (sequence.get_read_error() == alg_error_open) {
        error = "cannot open " + path;
        return false;
    }
    if (sequence.get_read_error() != alg_no_error) {
        error = path + " is not a standard MIDI file, or it is damaged";
        return false;
    }
    if (track < 0 || track > sequence.tracks()) {
        error = path + " has no track " + std::to_string(track) + " (it has " +
                std::to_string(sequence.tracks()) + ")";
        return false;
    }
    sequence.convert_to_seconds();
    events.clear();
    for (int t = 0; t < sequence.tracks(); ++t)
        if (track == 0 || t == track - 1)
            AddTrack(*sequence.track(t), events);
    std::stable_sort(events.begin(), events.end(), [](const TimedMidi& a, const TimedMidi& b) {
        return a.seconds != b.seconds ? a.seconds < b.seconds : Rank(a) < Rank(b);
    });
    return true;
}

namespace {

class TrackWriter {
public:
    explicit TrackWriter(Alg_seq& sequence) : sequence(sequence) {}

    void Add(const TimedMidi& event)
    {
        const int kind = event.status & 0xf0;
        const int channel = event.status & 0x0f;
        if (kind == 0x90 && event.data2 > 0) {
            Start(event, channel);
            return;
        }
        if (kind == 0x80 || kind == 0x90) {
            End(channel, event.data1, event.seconds);
            return;
        }
        // All sound off and all notes off end the channel's notes there.
        if (kind == 0xb0 && (event.data1 == 120 || event.data1 == 123))
            EndChannel(channel, event.seconds);
        Update(event, channel);
    }

    void EndAll(double seconds)
    {
        while (!sounding.empty())
            End(sounding.begin()->first.first, sounding.begin()->first.second, seconds);
    }

private:
    struct Started {
        double seconds;
        int velocity;
    };

    void Start(const TimedMidi& event, int channel)
    {
        End(channel, event.data1, event.seconds);
        sounding[{channel, event.data1}] = {event.seconds, event.data2};
    }

    void End(int channel, int key, double seconds)
    {
        const auto found = sounding.find({channel, key});
        if (found == sounding.end())
            return;
        const Started started = found->second;
        sounding.erase(found);
        // A note must last a tick to be written as one.
        const double length = std::max(seconds - started.seconds, 0.001);
        sequence.add_event(sequence.create_note(started.seconds, channel, key,
                                                static_cast<float>(key),
                                                static_cast<float>(started.velocity), length),
                           0);
    }

    void EndChannel(int channel, double seconds)
    {
        for (int key = 0; key < 128; ++key)
            End(channel, key, seconds);
    }

    void Update(const TimedMidi& event, int channel)
    {
        const int kind = event.status & 0xf0;
        if (kind < 0xa0 || kind > 0xe0)
            return;
        const long key = kind == 0xa0 ? event.data1 : -1;
        Alg_update* update = sequence.create_update(event.seconds, channel, key);
        if (kind == 0xb0) {
            const std::string name = "control" + std::to_string(event.data1) + "r";
            update->set_real_value(name.c_str(), event.data2 / 127.0);
        } else if (kind == 0xe0) {
            update->set_real_value("bendr", (((event.data2 << 7) | event.data1) - 8192) / 8192.0);
        } else if (kind == 0xc0) {
            update->set_integer_value("programi", event.data1);
        } else if (kind == 0xa0) {
            update->set_real_value("pressurer", event.data2 / 127.0);
        } else {
            update->set_real_value("pressurer", event.data1 / 127.0);
        }
        sequence.add_event(update, 0);
    }

    Alg_seq& sequence;
    std::map<std::pair<int, int>, Started> sounding;
};

}  // namespace

bool WriteMidiFile(const std::string& path, const std::vector<TimedMidi>& events, double endSeconds,
                   std::string& error)
{
    Alg_seq sequence;
    sequence.convert_to_seconds();
    TrackWriter writer(sequence);
    for (const TimedMidi& event : events)
        writer.Add(event);
    writer.EndAll(endSeconds);
    if (!sequence.smf_write(path.c_str())) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace tarvenna::host
