#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "assets/mesh/MeasuredMesh.h"

// The mesh files one course draws, each loaded once. Every placement of a file holds
// the same mesh: one system copy, one device copy drawn once per placement. The course's
// device lifecycle goes through here, once per file. A mesh lives as long as a placement
// holds it; this keeps only the way to find it, in the order the files were first loaded.
//
// A file that changes on disk after it was loaded is not read again for the next
// placement: the course keeps what it loaded until the device is made anew (recreate).
class SharedMeshes {
public:
    struct Loaded {
        std::shared_ptr<MeshObject> mesh; // null: the file did not load
        float radius = 0;                 // of the bounding sphere of its vertices
    };

    // The mesh of the file at path (absolute): the one already held, or loaded now by
    // loadMeasuredMesh. A file that does not load is not remembered, so the next call
    // tries it again; nor is a held mesh that came back empty from a new device.
    Loaded acquire(IDirect3DDevice9* device, const std::string& path);
    // The bounding sphere of a held mesh's vertices, about its own origin; null for a
    // mesh not held here.
    const MeshBounds* boundsOf(const MeshObject* mesh) const;

    // The device copies of every held mesh; E_FAIL when any could not be made.
    [[nodiscard]] HRESULT restoreDeviceObjects(IDirect3DDevice9* device);
    void invalidateDeviceObjects();
    // Releases each held mesh entirely; recreate loads them again.
    void destroy();
    // Loads each held mesh again from its file onto a new device (and measures it again,
    // for the placements still to come).
    void recreate(IDirect3DDevice9* device);

private:
    struct Held {
        std::string path;
        std::weak_ptr<MeshObject> mesh;
        MeshBounds bounds;
    };

    // Calls f(mesh, held) for every mesh a placement still holds.
    template <typename F>
    void forEachHeld(F f);

    std::vector<Held> m_held;
    std::unordered_map<std::string, std::size_t> m_byPath; // into m_held
};
