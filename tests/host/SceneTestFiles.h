// Files for the scene tests: a private folder, text and bytes in and out,
// and standard MIDI files written byte by byte, independently of the MIDI
// library the host reads them with.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarvenna::host::test {

// A fresh folder under the test's temporary directory, removed with
// everything in it.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path; }
    std::string File(const std::string& name) const { return path + "/" + name; }

private:
    std::string path;
};

bool WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);

// A channel message at a tick of the file's time base.
struct TickedMidi {
    long tick = 0;
    std::uint8_t status = 0;
    std::uint8_t data1 = 0;
    std::uint8_t data2 = 0;
};

// A type 1 file: a tempo track (`microsecondsPerBeat`) and one track of
// `events` (in tick order), `ticksPerBeat` ticks a beat.
std::string StandardMidiFile(const std::vector<TickedMidi>& events, int ticksPerBeat = 480,
                             long microsecondsPerBeat = 500000);

}  // namespace tarvenna::host::test
