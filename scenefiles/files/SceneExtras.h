#pragma once

#include <vector>

#include "tumbleway/tumbleway_ext.h"

// What a scene file holds beyond the session record the engine exchanges: for each
// placed mesh, in the order of the record's meshes, how far it is raised above its body
// (the height of the X-file dialog) and the heading it keeps from the last time it was
// driven. The XML file keeps both; the binary session file has no place for them.
struct SceneExtras {
    std::vector<TwxMeshExtra> meshes;
};
