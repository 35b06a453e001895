// The sample scene's course with many placements laid in lanes along its road, for the
// benchmarks of drawing many objects. Run from the project root.
#pragma once

#include <algorithm>
#include <cmath>
#include <string>

#include "GlEngine.h"
#include "ManyPlacements.h"
#include "course/CourseTrack.h"
#include "files/SimulationFile.h"

namespace bench {

// The sample scene's course with n placements of the five mesh files in turn, in lanes
// across the road from sample `first` over `along` samples of it (rows between samples
// are laid between them), each at a spot of its own. The last placement, which the Play
// view follows, stands in the middle of the road just behind the first row, so that the
// view looks along the road over them. The course's track comes from opening the course
// alone in an engine on device.
inline bool roadPlacementScene(IDirect3DDevice9* device, int n, int first, int along,
                               LSession_t* session, std::string* error) {
    const std::filesystem::path demo = sceneFolder() / "demo.xml";
    if (!std::filesystem::is_regular_file(demo) || !std::filesystem::is_directory("data")) {
        *error = "run from the project root: samples/scenes/demo.xml and data/ are needed";
        return false;
    }
    readSimulationFile(demo.string(), *session);
    session->meshes.clear();
    StartedEngine scratch(device);
    LSession_t courseAlone = *session;
    scratch.openScene(sceneFolder(), courseAlone);
    const CCourseTrack* track =
        scratch.app().editor.current() ? scratch.app().editor.current()->track.get() : nullptr;
    if (track == nullptr || track->sampleCount() < 2) {
        *error = "the sample scene's course has no track";
        return false;
    }
    const int samples = track->sampleCount();
    along = std::clamp(along, 1, samples - 1);
    constexpr int kLanes = 4;
    const int rows = (n - 1 + kLanes - 1) / kLanes;
    // A point of the road: at sample position s (fractional, wrapping), across from -1
    // (one edge) to 1 (the other), in world coordinates (the track's x and z swapped).
    const auto onRoad = [&](double s, float across) {
        const int low = static_cast<int>(std::floor(s));
        const float share = static_cast<float>(s - low);
        const auto [r0, l0] = track->pair(3, ((low % samples) + samples) % samples);
        const auto [r1, l1] = track->pair(3, (((low + 1) % samples) + samples) % samples);
        const D3DXVECTOR3 right = r0 + (r1 - r0) * share;
        const D3DXVECTOR3 left = l0 + (l1 - l0) * share;
        const D3DXVECTOR3 at = (right + left) * 0.5f + (right - left) * (0.4f * across);
        return D3DXVECTOR3(at.z, at.y, at.x);
    };
    const SessionXfile model{};
    for (int k = 0; k < n; ++k) {
        const bool driven = k == n - 1;
        const double row = driven ? -1.0 : static_cast<double>(k / kLanes);
        const float lane =
            driven ? 0.0f : 2.0f * static_cast<float>(k % kLanes) / (kLanes - 1) - 1.0f;
        const D3DXVECTOR3 at = onRoad(first + (row + 1) * along / std::max(rows, 1), lane);
        SessionXfile mesh = model;
        mesh.id = k + 1;
        mesh.x = at.x;
        mesh.y = at.y + 2;
        mesh.z = at.z;
        mesh.yaw = 0.01f * static_cast<float>(k % 200);
        mesh.radius = 1;
        setNameField(mesh.name, kMeshFiles[static_cast<std::size_t>(k) % kMeshFiles.size()]);
        session->meshes.push_back(mesh);
    }
    return true;
}

} // namespace bench
