#pragma once

#include <cstddef>
#include <span>

#include "d3d9/d3d9.h"
#include "d3dx9/d3dx9math.h"

class MeshObject;

// Draws many placements of one mesh with one draw per subset: their world matrices go
// into a buffer of instance data that the device reads beside the mesh's vertices
// (stream-frequency instancing), and the mesh draws its materials as it always does.
// The buffer grows with the most placements drawn at once and goes with the device.
class InstancedMeshes {
public:
    // Draws the mesh once for each world matrix. Where no instance buffer can be made,
    // the placements are drawn one by one, as the picture needs them all the same.
    HRESULT draw(IDirect3DDevice9* device, MeshObject& mesh, std::span<const D3DXMATRIX> worlds);
    // Lets go of the buffer, as a lost or released device requires.
    void release();

private:
    // A buffer for at least `count` matrices on the device.
    bool reserve(IDirect3DDevice9* device, std::size_t count);
    bool fill(std::span<const D3DXMATRIX> worlds);

    ComPtr<IDirect3DVertexBuffer9> m_buffer;
    IDirect3DDevice9* m_device = nullptr; // the one m_buffer was made on
    std::size_t m_capacity = 0;           // in matrices
};
