#include "assets/mesh/MeshObject.h"

#include "assets/mesh/FindMediaFile.h"
#include "d3dx9/d3dx9tex.h"

#include <cstring>
#include <new>
#include <string>

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
    // When nothing is found the name itself is what gets loaded.
    (void)findMediaFile(path, MAX_PATH, fileName);

    ComPtr<ID3DXBuffer> adjacency;
    ComPtr<ID3DXBuffer> materials;
    DWORD count = 0;
    HRESULT hr = D3DXLoadMeshFromX(path, D3DXMESH_SYSTEMMEM, device, adjacency.put(),
                                   materials.put(), nullptr, &count, m_systemMesh.put());
    if (FAILED(hr)) {
        return hr;
    }

    // One contiguous range of faces per material, and only vertices that faces use.
    hr = m_systemMesh->OptimizeInplace(
        D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_VERTEXCACHE,
        adjacency ? static_cast<const DWORD*>(adjacency->GetBufferPointer()) : nullptr, nullptr,
        nullptr, nullptr);
    if (FAILED(hr)) {
        return hr;
    }

    if (materials && count != 0) {
        return loadMaterials(device, materials.get(), count);
    }
    return S_OK;
}

HRESULT MeshObject::loadMaterials(IDirect3DDevice9* device, ID3DXBuffer* buffer, DWORD count) {
    try {
        m_materials.resize(count);
        m_textures.resize(count);
    } catch (const std::bad_alloc&) {
        m_materials.clear();
        m_textures.clear();
        return E_OUTOFMEMORY;
    }
    const auto* loaded = static_cast<const D3DXMATERIAL*>(buffer->GetBufferPointer());
    for (DWORD i = 0; i < count; ++i) {
        m_materials[i] = loaded[i].MatD3D;
        m_textures[i] = nullptr;
        if (loaded[i].pTextureFilename == nullptr || loaded[i].pTextureFilename[0] == '\0') {
            continue;
        }
        const std::string textureName = std::string(loaded[i].pTextureFilename).substr(0, MAX_PATH);
        char path[MAX_PATH] = {};
        if (FAILED(findMeshTexture(path, MAX_PATH, textureName.c_str())) ||
            FAILED(D3DXCreateTextureFromFileA(device, path, m_textures[i].put()))) {
            m_textures[i] = nullptr;
        }
    }
    return S_OK;
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
