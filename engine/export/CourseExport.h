#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "d3d9/d3d9.h"
#include "d3dx9/d3dx9math.h"
#include "scene/Course.h"

// A course as the course scene shows it, as a glTF binary file: the seven strips (road,
// edges, banks and the field strips) and the inner field with their pictures, every
// placed mesh as a node with its world matrix as it stands (a mesh file placed many
// times is one glTF mesh that its nodes share), and every placed bitmap as an upright
// textured quad turned to face along bitmapFacing, as the next frame would draw it.
struct CourseExport {
    std::vector<std::uint8_t> glb; // empty on failure
    std::string error;             // why, in words for the user
};

CourseExport exportCourse(LCourse_t& course, IDirect3DDevice9* device,
                          const D3DXVECTOR3& bitmapFacing);
