// Audio channels for the process calls, owned by the host side. Sized up
// front so that a process call finds everything in place.
#pragma once

#include <vector>

namespace tarvenna::host {

class AudioBuffers {
public:
    AudioBuffers(int inputs = 2, int outputs = 2, int frames = 512);

    // A copy would hand out pointers into the original's channels; moving
    // keeps every channel's storage, so the pointer arrays stay right.
    AudioBuffers(const AudioBuffers&) = delete;
    AudioBuffers& operator=(const AudioBuffers&) = delete;
    AudioBuffers(AudioBuffers&&) = default;
    AudioBuffers& operator=(AudioBuffers&&) = default;

    // Changes the frame count of every channel; all samples become 0.
    void Resize(int frames);

    int Frames() const { return frameCount; }
    int NumInputs() const { return static_cast<int>(inputChannels.size()); }
    int NumOutputs() const { return static_cast<int>(outputChannels.size()); }

    // The channel pointer arrays handed to process / processReplacing.
    float** Inputs() { return inputPointers.data(); }
    float** Outputs() { return outputPointers.data(); }

    float* Input(int channel) { return inputChannels.at(channel).data(); }
    float* Output(int channel) { return outputChannels.at(channel).data(); }
    const std::vector<float>& InputChannel(int channel) const { return inputChannels.at(channel); }
    const std::vector<float>& OutputChannel(int channel) const
    {
        return outputChannels.at(channel);
    }

    void FillInputs(float value);
    void FillOutputs(float value);

private:
    static void Fill(std::vector<std::vector<float>>& channels, float value);
    void Repoint();

    int frameCount = 0;
    std::vector<std::vector<float>> inputChannels;
    std::vector<std::vector<float>> outputChannels;
    std::vector<float*> inputPointers;
    std::vector<float*> outputPointers;
};

}  // namespace tarvenna::host
