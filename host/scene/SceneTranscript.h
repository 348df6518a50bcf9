// What tarvenna-host relay prints while a scene plays: a heading for each
// block where something happens, what the host hands each node and what
// each node hands its host. Blocks where nothing happens print nothing.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "host/MidiBlock.h"

namespace tarvenna::host {

class SceneTranscript {
public:
    // Off: prints nothing (quiet and real-time runs).
    SceneTranscript(std::ostream& out, long lastBlock, bool on);

    // Blocks 1 to lastBlock are played; 0 is the set-up, lastBlock + 1
    // what comes after the end.
    void Begin(long block);
    // A heading of the scene's; the first of a played block reads
    // "Block N: text".
    void Say(const std::string& text);
    void Line(const std::string& text);
    void Input(int node, const std::vector<MidiMessage>& messages);
    void Output(int node, const std::vector<VstMidiEvent>& events);
    // After a played block whose heading was printed: a line when no node
    // handed its host anything.
    void EndBlock(bool anyOutput);

private:
    void Heading();
    void Event(const std::string& prefix, const std::string& text, std::size_t index,
               std::size_t count);

    std::ostream& out;
    long lastBlock;
    bool on;
    long block = 0;
    bool headed = false;
};

}  // namespace tarvenna::host
