#include "host/AudioBuffers.h"

#include <algorithm>

namespace tarvenna::host {

AudioBuffers::AudioBuffers(int inputs, int outputs, int frames)
    : inputs_(static_cast<std::size_t>(std::max(inputs, 0))),
      outputs_(static_cast<std::size_t>(std::max(outputs, 0)))
{
    resize(frames);
}

void AudioBuffers::resize(int frames)
{
    frames_ = std::max(frames, 0);
    for (auto& channel : inputs_)
        channel.assign(static_cast<std::size_t>(frames_), 0.0f);
    for (auto& channel : outputs_)
        channel.assign(static_cast<std::size_t>(frames_), 0.0f);
    repoint();
}

void AudioBuffers::repoint()
{
    inputPointers_.clear();
    outputPointers_.clear();
    for (auto& channel : inputs_)
        inputPointers_.push_back(channel.data());
    for (auto& channel : outputs_)
        outputPointers_.push_back(channel.data());
    // A plug-in that declares no channels still gets a valid array pointer.
    if (inputPointers_.empty())
        inputPointers_.push_back(nullptr);
    if (outputPointers_.empty())
        outputPointers_.push_back(nullptr);
}

void AudioBuffers::fill(std::vector<std::vector<float>>& channels, float value)
{
    for (auto& channel : channels)
        std::fill(channel.begin(), channel.end(), value);
}

void AudioBuffers::fillInputs(float value) { fill(inputs_, value); }

void AudioBuffers::fillOutputs(float value) { fill(outputs_, value); }

}  // namespace tarvenna::host
