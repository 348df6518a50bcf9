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
    void resize(int frames);

    int frames() const { return frames_; }
    int numInputs() const { return static_cast<int>(inputs_.size()); }
    int numOutputs() const { return static_cast<int>(outputs_.size()); }

    // The channel pointer arrays handed to process / processReplacing.
    float** inputs() { return inputPointers_.data(); }
    float** outputs() { return outputPointers_.data(); }

    float* input(int channel) { return inputs_.at(channel).data(); }
    float* output(int channel) { return outputs_.at(channel).data(); }
    const std::vector<float>& inputChannel(int channel) const { return inputs_.at(channel); }
    const std::vector<float>& outputChannel(int channel) const { return outputs_.at(channel); }

    void fillInputs(float value);
    void fillOutputs(float value);

private:
    static void fill(std::vector<std::vector<float>>& channels, float value);
    void repoint();

    int frames_ = 0;
    std::vector<std::vector<float>> inputs_;
    std::vector<std::vector<float>> outputs_;
    std::vector<float*> inputPointers_;
    std::vector<float*> outputPointers_;
};

}  // namespace tarvenna::host
