#pragma once

#include <vector>

// What a scene file holds beyond the session record the engine exchanges: how far each
// placed mesh is raised above its body (the height of the X-file dialog), in the order
// of the record's meshes, 0 for a mesh that is not raised. The XML file keeps it; the
// binary session file has no place for it.
struct SceneExtras {
    std::vector<float> meshLifts;
};
