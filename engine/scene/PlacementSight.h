// Where a line of sight through the view meets what a placement draws.
#pragma once

#include "course/SightLine.h"
#include "scene/Placements.h"

// How far along the line a placed mesh is met. A mesh is met on its own triangles,
// placed as the last frame drew them (its body's world matrix), so that a pick finds
// what shows under the cursor and nothing beside it. A placement without a mesh draws
// nothing; it is met on the sphere of half its body's radius about its body, so that it
// can still be chosen.
float meshDistance(const SightLine& sight, const XfilePlacement& placement,
                   const CSceneObject& body);

// How far along the line a placed bitmap is met: on the quad its billboard draws, its
// corners turned to the billboard's facing and moved to where the placement stands.
float billboardDistance(const SightLine& sight, const BitmapPlacement& placement);

// Where the last frame drew a body: its world matrix's place less the raise of the
// X-file dialog.
D3DXVECTOR3 drawnPosition(const CSceneObject& body);
