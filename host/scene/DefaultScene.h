// The scene tarvenna-host relay plays when it is given none: the file
// host/scenes/relay.json, built into the program.
#pragma once

namespace tarvenna::host {

const char* DefaultSceneText();

}  // namespace tarvenna::host
