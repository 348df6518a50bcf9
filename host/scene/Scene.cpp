#include "host/scene/Scene.h"

namespace tarvenna::host {

int SceneNodeCount(const Scene& scene)
{
    int count = static_cast<int>(scene.nodes.size());
    for (const SceneAction& action : scene.actions)
        if (action.kind == SceneActionKind::Create)
            ++count;
    return count;
}

}  // namespace tarvenna::host
