#include "host/AudioBuffers.h"

#include <algorithm>

namespace tarvenna::host {

AudioBuffers::AudioBuffers(int inputs, int outputs, int frames)
    : inputChannels(static_cast<std::size_t>(std::max(inputs, 0))),
      outputChannels(static_cast<std::size_t>(std::max(outputs, 0)))
{
    Resize(frames);
}

void AudioBuffers::Resize(int frames)
{
    frameCount = std::max(frames, 0);
    for (auto& channel : inputChannels)
        channel.assign(static_cast<std::size_t>(frameCount), 0.0f);
    for (auto& channel : outputChannels)
        channel.assign(static_cast<std::size_t>(frameCount), 0.0f);
    Repoint();
}

void AudioBuffers::Repoint()
{
    inputPointers.clear();
    outputPointers.clear();
    for (auto& channel : inputChannels)
        inputPointers.push_back(channel.data());
    for (auto& channel : outputChannels)
        outputPointers.push_back(channel.data());
    // A plug-in that declares no channels still gets a valid array pointer.
    if (inputPointers.empty())
        inputPointers.push_back(nullptr);
    if (outputPointers.empty())
        outputPointers.push_back(nullptr);
}

void AudioBuffers::Fill(std::vector<std::vector<float>>& channels, float value)
{
    for (auto& channel : channels)
        std::fill(channel.begin(), channel.end(), value);
}

void AudioBuffers::FillInputs(float value) { Fill(inputChannels, value); }

void AudioBuffers::FillOutputs(float value) { Fill(outputChannels, value); }

}  // namespace tarvenna::host
