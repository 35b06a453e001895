#include "assets/mesh/MeshObject.h"

#include "assets/mesh/FindMediaFile.h"
#include "d3dx9/d3dx9tex.h"
#include "win32/regular_file.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <string_view>

MeshObject::MeshObject(const char* name) {
    // The last byte stays the terminator, so a longer name keeps its first 511 characters.
    if (name != nullptr) {
        std::memcpy(m_name, name, strnlen(name, kNameSize - 1));
    }
}

MeshObject::~MeshObject() {
    destroy();
}

HRESULT MeshObject::create(IDirect3DDevice9* device, const char* fileName) {
    destroy();

    // Whatever the search made of the name is what we load: the name itself when it
    // found nothing, or an empty path when there was no media folder to look in.
    char path[MAX_PATH] = {};
    (void)findMediaFile(path, MAX_PATH, fileName);

    MeshFile loaded;
    HRESULT hr = twLoadMeshFile(path, D3DXMESH_SYSTEMMEM, device, &loaded);
    if (FAILED(hr)) {
        return hr;
    }
    m_systemMesh = std::move(loaded.mesh);
    m_companions = std::move(loaded.companions);

    // One contiguous range of faces per material, and only vertices that faces use.
    hr = m_systemMesh->OptimizeInplace(
        D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_VERTEXCACHE,
        static_cast<const DWORD*>(loaded.adjacency->GetBufferPointer()), nullptr, nullptr, nullptr);
    if (FAILED(hr)) {
        return hr;
    }
    return loadMaterials(device, path, loaded.materials);
}

HRESULT MeshObject::loadMaterials(IDirect3DDevice9* device, const char* meshPath,
                                  const std::vector<MeshFileMaterial>& loaded) {
    try {
        m_materials.resize(loaded.size());
        m_textures.resize(loaded.size());
    } catch (const std::bad_alloc&) {
        m_materials.clear();
        m_textures.clear();
        return E_OUTOFMEMORY;
    }
    for (std::size_t i = 0; i < loaded.size(); ++i) {
        m_materials[i] = loaded[i].material;
        std::string picture;
        m_textures[i] = loadTexture(device, meshPath, loaded[i], &picture);
        if (!picture.empty() &&
            std::find(m_companions.begin(), m_companions.end(), picture) == m_companions.end()) {
            m_companions.push_back(std::move(picture));
        }
    }
    return S_OK;
}

namespace {

// Where a texture name leads inside the mesh's folder, or "" when it would lead out of
// it (an absolute name, or one through ".."): a texture name is the mesh author's, not
// the user's, so it may reach no picture outside the folders the user chose.
std::string insideMeshFolder(std::string_view meshPath, const std::string& name) {
    const std::size_t slash = meshPath.find_last_of('/');
    if (slash == std::string_view::npos || name.empty() || name.front() == '/' ||
        name.back() == '/') {
        return {};
    }
    std::size_t start = 0;
    while (start <= name.size()) {
        const std::size_t end = std::min(name.find('/', start), name.size());
        if (name.compare(start, end - start, "..") == 0) {
            return {};
        }
        start = end + 1;
    }
    return std::string(meshPath.substr(0, slash + 1)) + name;
}

} // namespace

// A picture the file holds, or the file it names: first in or below the mesh's own folder
// (a model's pictures travel with it, often in a folder of their own), then by its last
// part as media files are found. Null when none of them is a picture that can be read;
// otherwise the file it came from, if any, is left in file.
ComPtr<IDirect3DTexture9> MeshObject::loadTexture(IDirect3DDevice9* device, const char* meshPath,
                                                  const MeshFileMaterial& material,
                                                  std::string* file) {
    ComPtr<IDirect3DTexture9> texture;
    if (!material.textureBytes.empty()) {
        if (FAILED(D3DXCreateTextureFromFileInMemory(
                device, material.textureBytes.data(),
                static_cast<UINT>(material.textureBytes.size()), texture.put()))) {
            return nullptr;
        }
        return texture;
    }
    if (material.textureFile.empty()) {
        return nullptr;
    }
    const std::string name = material.textureFile.substr(0, MAX_PATH);
    const std::string inside = insideMeshFolder(meshPath, name);
    if (!inside.empty() && isReadableRegularFile(inside.c_str()) &&
        SUCCEEDED(D3DXCreateTextureFromFileA(device, inside.c_str(), texture.put()))) {
        *file = inside;
        return texture;
    }
    char path[MAX_PATH] = {};
    if (FAILED(findMeshTexture(path, MAX_PATH, name.c_str())) ||
        FAILED(D3DXCreateTextureFromFileA(device, path, texture.put()))) {
        return nullptr;
    }
    *file = path;
    return texture;
}

HRESULT MeshObject::setFVF(IDirect3DDevice9* device, DWORD fvf) {
    ComPtr<ID3DXMesh> system;
    ComPtr<ID3DXMesh> local;
    if (m_systemMesh &&
        FAILED(m_systemMesh->CloneMeshFVF(D3DXMESH_SYSTEMMEM, fvf, device, system.put()))) {
        return E_FAIL;
    }
    if (m_localMesh && FAILED(m_localMesh->CloneMeshFVF(0, fvf, device, local.put()))) {
        return E_FAIL;
    }
    // Vertices that had no normals get them here; others are made to match the faces as
    // the mesh now stands.
    if (system) {
        m_systemMesh = std::move(system);
        // A mesh whose normals cannot be made keeps the ones it has.
        (void)D3DXComputeNormals(m_systemMesh.get(), nullptr);
    }
    if (local) {
        m_localMesh = std::move(local);
        // A mesh whose normals cannot be made keeps the ones it has.
        (void)D3DXComputeNormals(m_localMesh.get(), nullptr);
    }
    return S_OK;
}

HRESULT MeshObject::restoreDeviceObjects(IDirect3DDevice9* device) {
    if (!m_systemMesh) {
        return E_FAIL;
    }
    m_localMesh = nullptr;
    if (FAILED(m_systemMesh->CloneMeshFVF(0, m_systemMesh->GetFVF(), device, m_localMesh.put()))) {
        return E_FAIL;
    }
    return S_OK;
}

HRESULT MeshObject::invalidateDeviceObjects() {
    m_localMesh = nullptr;
    return S_OK;
}

HRESULT MeshObject::destroy() {
    invalidateDeviceObjects();
    m_textures.clear();
    m_materials.clear();
    m_companions.clear();
    m_systemMesh = nullptr;
    return S_OK;
}

HRESULT MeshObject::render(IDirect3DDevice9* device, bool drawOpaque, bool drawAlpha) {
    if (!m_localMesh) {
        return E_FAIL;
    }
    if (m_materials.empty()) {
        return drawOpaque ? drawWithoutMaterials() : S_OK;
    }
    if (device == nullptr) {
        return E_INVALIDARG;
    }
    const DWORD count = materialCount();
    if (drawOpaque) {
        for (DWORD i = 0; i < count; ++i) {
            if (m_useMaterials) {
                if (m_materials[i].Diffuse.a < 1.0f) {
                    continue;
                }
                device->SetMaterial(&m_materials[i]);
                device->SetTexture(0, m_textures[i].get());
            }
            m_localMesh->DrawSubset(i);
        }
    }
    if (drawAlpha && m_useMaterials) {
        for (DWORD i = 0; i < count; ++i) {
            if (m_materials[i].Diffuse.a == 1.0f) {
                continue;
            }
            device->SetMaterial(&m_materials[i]);
            device->SetTexture(0, m_textures[i].get());
            m_localMesh->DrawSubset(i);
        }
    }
    return S_OK;
}

// Every subset the mesh has, whatever material and texture the device holds.
HRESULT MeshObject::drawWithoutMaterials() {
    DWORD size = 0;
    m_localMesh->GetAttributeTable(nullptr, &size);
    if (size == 0) {
        m_localMesh->DrawSubset(0);
        return S_OK;
    }
    std::vector<D3DXATTRIBUTERANGE> table(size);
    m_localMesh->GetAttributeTable(table.data(), nullptr);
    for (const D3DXATTRIBUTERANGE& range : table) {
        m_localMesh->DrawSubset(range.AttribId);
    }
    return S_OK;
}
