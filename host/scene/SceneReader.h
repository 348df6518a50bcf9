// Scenes from JSON text (read with nlohmann-json). Everything that is
// wrong is reported as one line: the file, the place in it, and what is
// wrong there, e.g. "band.json: nodes[1].port: must be 1 to 8, not 9".
#pragma once

#include <string>

#include "host/scene/Scene.h"

namespace tarvenna::host {

// Files named in the scene (MIDI input, chunks, MIDI output) are taken
// relative to the scene file's folder. MIDI input files are read here.
bool ReadSceneFile(const std::string& path, Scene& scene, std::string& error);

// The same from text; `name` stands for the file in messages and relative
// files are taken from `folder`.
bool ReadSceneText(const std::string& text, const std::string& name, const std::string& folder,
                   Scene& scene, std::string& error);

}  // namespace tarvenna::host
