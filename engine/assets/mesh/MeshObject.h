#pragma once

#include "d3d9/d3d9.h"
#include "d3dx9/d3dx9mesh.h"
#include "d3dx9/mesh_file.h"

#include <cstddef>
#include <string>
#include <vector>

// One mesh loaded from a mesh file (.x, glTF, OBJ, ...) with its materials and textures, kept
// twice: a copy in system memory that survives the loss of the device and from which picking and
// measuring read vertices, and a copy on the device that is drawn.
//
// The engine loads and measures a mesh in four steps:
//
//     MeshObject mesh("CD3DFile_Mesh");
//     mesh.create(device, path);                                // 1. load
//     mesh.setFVF(device, D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1); // 2. 0x112, normals anew
//     ComPtr<IDirect3DVertexBuffer9> vb;                        // 3. measure the system copy
//     mesh.systemMesh()->GetVertexBuffer(vb.put());
//     void* p; vb->Lock(0, 0, &p, D3DLOCK_NOSYSLOCK);
//     D3DXComputeBoundingSphere(static_cast<D3DXVECTOR3*>(p),
//         mesh.systemMesh()->GetNumVertices(),
//         D3DXGetFVFVertexSize(mesh.systemMesh()->GetFVF()), &centre, &radius);
//     vb->Unlock();
//     mesh.restoreDeviceObjects(device);                        // 4. the device copy
//
// On device loss: invalidateDeviceObjects(), later restoreDeviceObjects(device) again.
class MeshObject {
public:
    static constexpr std::size_t kNameSize = 512;

    // Keeps at most kNameSize - 1 characters of the name.
    explicit MeshObject(const char* name = "CD3DFile_Mesh");
    virtual ~MeshObject();
    MeshObject(const MeshObject&) = delete;
    MeshObject& operator=(const MeshObject&) = delete;

    // Finds the file (findMediaFile), loads it into system memory (twLoadMeshFile, the
    // format by the name's extension), sorts it into one subset per material and loads
    // each material's texture: the picture the file holds, or the one it names, looked
    // up from the mesh's folder first and then as media files are. A texture that cannot
    // be found or read leaves its subset untextured. A failed load
    // keeps no mesh and is returned as it came. Loading again replaces what was loaded.
    [[nodiscard]] HRESULT create(IDirect3DDevice9* device, const char* fileName);

    // Converts both copies to the vertex format and computes their normals anew. A
    // failed conversion changes nothing and is E_FAIL.
    [[nodiscard]] HRESULT setFVF(IDirect3DDevice9* device, DWORD fvf);

    // Makes the device copy from the system copy; E_FAIL without a system copy or when
    // the device refuses the buffers.
    [[nodiscard]] HRESULT restoreDeviceObjects(IDirect3DDevice9* device);
    HRESULT invalidateDeviceObjects();
    // Releases everything; the object can be created again.
    HRESULT destroy();

    // Draws the device copy subset by subset, E_FAIL without one. The opaque pass draws
    // the subsets whose diffuse alpha is at least 1, the alpha pass those whose alpha is
    // not exactly 1 (so an alpha above 1 is drawn by both), each after setting its
    // material and its texture (or none) on stage 0. A mesh without materials draws all
    // its subsets in the opaque pass and leaves material and texture as they are.
    HRESULT render(IDirect3DDevice9* device, bool drawOpaque = true, bool drawAlpha = true);

    const char* name() const { return m_name; }
    ID3DXMesh* systemMesh() const { return m_systemMesh.get(); }
    ID3DXMesh* localMesh() const { return m_localMesh.get(); }
    DWORD materialCount() const { return static_cast<DWORD>(m_materials.size()); }
    const D3DMATERIAL9& material(DWORD i) const { return m_materials.at(i); }
    IDirect3DTexture9* texture(DWORD i) const { return m_textures.at(i).get(); }
    bool useMaterials() const { return m_useMaterials; }
    // The other files the mesh was made from, as they were opened: a .gltf's buffers, an
    // .obj's material file, the pictures of its materials. A scene that moves the mesh
    // must take them along.
    const std::vector<std::string>& companions() const { return m_companions; }
    void setUseMaterials(bool use) { m_useMaterials = use; }

private:
    [[nodiscard]] HRESULT loadMaterials(IDirect3DDevice9* device, const char* meshPath,
                                        const std::vector<MeshFileMaterial>& loaded);
    static ComPtr<IDirect3DTexture9> loadTexture(IDirect3DDevice9* device, const char* meshPath,
                                                 const MeshFileMaterial& material,
                                                 std::string* file);
    HRESULT drawWithoutMaterials();

    char m_name[kNameSize] = {};
    ComPtr<ID3DXMesh> m_systemMesh;
    ComPtr<ID3DXMesh> m_localMesh;
    std::vector<D3DMATERIAL9> m_materials;
    std::vector<ComPtr<IDirect3DTexture9>> m_textures;
    std::vector<std::string> m_companions;
    bool m_useMaterials = true;
};
