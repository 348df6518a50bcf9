// The table that ends a scene: one row per node with its settings, what it
// got from its host, what it handed its host and the notes it left
// sounding; then the verdict. A note left sounding, or MIDI from a node the
// scene says stays silent, fails the scene.
#pragma once

#include <memory>
#include <ostream>
#include <vector>

#include "host/scene/SceneNode.h"

namespace tarvenna::host {

// True when the scene passed.
bool PrintSceneSummary(std::ostream& out, std::vector<std::unique_ptr<SceneNode>>& nodes,
                       long blocksPlayed, const BlockClock& clock);

}  // namespace tarvenna::host
