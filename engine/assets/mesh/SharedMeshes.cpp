#include "assets/mesh/SharedMeshes.h"

#include "assets/mesh/MeasuredMesh.h"

SharedMeshes::Loaded SharedMeshes::acquire(IDirect3DDevice9* device, const std::string& path) {
    const auto found = m_byPath.find(path);
    if (found == m_byPath.end()) {
        MeshBounds bounds;
        std::shared_ptr<MeshObject> mesh = loadMeasuredMesh(device, path, &bounds);
        if (!mesh) {
            return {};
        }
        m_byPath.emplace(path, m_held.size());
        m_held.push_back(Held{path, mesh, bounds});
        return Loaded{mesh, bounds.radius};
    }
    Held& held = m_held[found->second];
    std::shared_ptr<MeshObject> mesh = held.mesh.lock();
    if (!mesh) { // every placement of the file is gone: it is loaded anew
        mesh = loadMeasuredMesh(device, path, &held.bounds);
        held.mesh = mesh;
    } else if (mesh->systemMesh() == nullptr &&
               !loadMeasuredMesh(device, path, *mesh, &held.bounds)) {
        // It stopped loading when the device was made anew; its placements get it back
        // if it loads now.
        return {};
    }
    return mesh ? Loaded{mesh, held.bounds.radius} : Loaded{};
}

template <typename F>
void SharedMeshes::forEachHeld(F f) {
    for (Held& held : m_held) {
        if (const std::shared_ptr<MeshObject> mesh = held.mesh.lock()) {
            f(*mesh, held);
        }
    }
}

HRESULT SharedMeshes::restoreDeviceObjects(IDirect3DDevice9* device) {
    HRESULT result = S_OK;
    forEachHeld([&](MeshObject& mesh, Held&) {
        if (FAILED(mesh.restoreDeviceObjects(device))) {
            result = E_FAIL;
        }
    });
    return result;
}

void SharedMeshes::invalidateDeviceObjects() {
    forEachHeld([](MeshObject& mesh, Held&) { mesh.invalidateDeviceObjects(); });
}

void SharedMeshes::destroy() {
    forEachHeld([](MeshObject& mesh, Held&) { mesh.destroy(); });
}

void SharedMeshes::recreate(IDirect3DDevice9* device) {
    forEachHeld([device](MeshObject& mesh, Held& held) {
        // A mesh that no longer loads stays empty and draws nothing.
        (void)loadMeasuredMesh(device, held.path, mesh, &held.bounds);
    });
}

const MeshBounds* SharedMeshes::boundsOf(const MeshObject* mesh) const {
    for (const Held& held : m_held) {
        if (held.mesh.lock().get() == mesh) {
            return &held.bounds;
        }
    }
    return nullptr;
}
