#include "assets/mesh/MeshObject.h"

#include "assets/mesh/FindMediaFile.h"
#include "d3dx9/d3dx9tex.h"

#include <cstring>
#include <new>
#include <string>

MeshObject::MeshObject(const char* name) {
    // The last byte stays the terminator, so a longer name keeps its first 511 characters.
    if (name != nullptr) {
        std::memcpy(name_, name, strnlen(name, kNameSize - 1));
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
                                   materials.put(), nullptr, &count, systemMesh_.put());
    if (FAILED(hr)) {
        return hr;
    }

    // One contiguous range of faces per material, and only vertices that faces use.
    hr = systemMesh_->OptimizeInplace(
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
        materials_.resize(count);
        textures_.resize(count);
    } catch (const std::bad_alloc&) {
        materials_.clear();
        textures_.clear();
        return E_OUTOFMEMORY;
    }
    const auto* loaded = static_cast<const D3DXMATERIAL*>(buffer->GetBufferPointer());
    for (DWORD i = 0; i < count; ++i) {
        materials_[i] = loaded[i].MatD3D;
        textures_[i] = nullptr;
        if (loaded[i].pTextureFilename == nullptr || loaded[i].pTextureFilename[0] == '\0') {
            continue;
        }
        const std::string textureName = std::string(loaded[i].pTextureFilename).substr(0, MAX_PATH);
        char path[MAX_PATH] = {};
        if (FAILED(findMeshTexture(path, MAX_PATH, textureName.c_str())) ||
            FAILED(D3DXCreateTextureFromFileA(device, path, textures_[i].put()))) {
            textures_[i] = nullptr;
        }
    }
    return S_OK;
}

HRESULT MeshObject::setFVF(IDirect3DDevice9* device, DWORD fvf) {
    ComPtr<ID3DXMesh> system;
    ComPtr<ID3DXMesh> local;
    if (systemMesh_ &&
        FAILED(systemMesh_->CloneMeshFVF(D3DXMESH_SYSTEMMEM, fvf, device, system.put()))) {
        return E_FAIL;
    }
    if (localMesh_ && FAILED(localMesh_->CloneMeshFVF(0, fvf, device, local.put()))) {
        return E_FAIL;
    }
    // Vertices that had no normals get them here; others are made to match the faces as
    // the mesh now stands.
    if (system) {
        systemMesh_ = std::move(system);
        // A mesh whose normals cannot be made keeps the ones it has.
        (void)D3DXComputeNormals(systemMesh_.get(), nullptr);
    }
    if (local) {
        localMesh_ = std::move(local);
        // A mesh whose normals cannot be made keeps the ones it has.
        (void)D3DXComputeNormals(localMesh_.get(), nullptr);
    }
    return S_OK;
}

HRESULT MeshObject::restoreDeviceObjects(IDirect3DDevice9* device) {
    if (!systemMesh_) {
        return E_FAIL;
    }
    localMesh_ = nullptr;
    if (FAILED(systemMesh_->CloneMeshFVF(0, systemMesh_->GetFVF(), device, localMesh_.put()))) {
        return E_FAIL;
    }
    return S_OK;
}

HRESULT MeshObject::invalidateDeviceObjects() {
    localMesh_ = nullptr;
    return S_OK;
}

HRESULT MeshObject::destroy() {
    invalidateDeviceObjects();
    textures_.clear();
    materials_.clear();
    systemMesh_ = nullptr;
    return S_OK;
}

HRESULT MeshObject::render(IDirect3DDevice9* device, bool drawOpaque, bool drawAlpha) {
    if (!localMesh_) {
        return E_FAIL;
    }
    if (materials_.empty()) {
        return drawOpaque ? drawWithoutMaterials() : S_OK;
    }
    if (device == nullptr) {
        return E_INVALIDARG;
    }
    const DWORD count = materialCount();
    if (drawOpaque) {
        for (DWORD i = 0; i < count; ++i) {
            if (useMaterials_) {
                if (materials_[i].Diffuse.a < 1.0f) {
                    continue;
                }
                device->SetMaterial(&materials_[i]);
                device->SetTexture(0, textures_[i].get());
            }
            localMesh_->DrawSubset(i);
        }
    }
    if (drawAlpha && useMaterials_) {
        for (DWORD i = 0; i < count; ++i) {
            if (materials_[i].Diffuse.a == 1.0f) {
                continue;
            }
            device->SetMaterial(&materials_[i]);
            device->SetTexture(0, textures_[i].get());
            localMesh_->DrawSubset(i);
        }
    }
    return S_OK;
}

// Every subset the mesh has, whatever material and texture the device holds.
HRESULT MeshObject::drawWithoutMaterials() {
    DWORD size = 0;
    localMesh_->GetAttributeTable(nullptr, &size);
    if (size == 0) {
        localMesh_->DrawSubset(0);
        return S_OK;
    }
    std::vector<D3DXATTRIBUTERANGE> table(size);
    localMesh_->GetAttributeTable(table.data(), nullptr);
    for (const D3DXATTRIBUTERANGE& range : table) {
        localMesh_->DrawSubset(range.AttribId);
    }
    return S_OK;
}
