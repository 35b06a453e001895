// The sample scene with its meshes replaced by many placements, for the benchmarks that
// open large scenes. Run from the project root.
#pragma once

#include <algorithm>
#include <array>
#include <filesystem>
#include <random>
#include <string>

#include "files/SimulationFile.h"
#include "tumbleway/NameField.h"

namespace bench {

constexpr std::array kMeshFiles = {"ball.x", "box.x", "cone.x", "car.x", "box-binary.x"};

inline std::filesystem::path sceneFolder() {
    return std::filesystem::current_path() / "samples" / "scenes";
}

// The sample scene with its meshes replaced by n placements of the five files in turn,
// scattered over the ground its own meshes stand on.
inline bool manyPlacementScene(int n, LSession_t* session, std::string* error) {
    const std::filesystem::path demo = sceneFolder() / "demo.xml";
    if (!std::filesystem::is_regular_file(demo) || !std::filesystem::is_directory("data")) {
        *error = "run from the project root: samples/scenes/demo.xml and data/ are needed";
        return false;
    }
    readSimulationFile(demo.string(), *session);
    if (session->meshes.empty()) {
        *error = "the sample scene has no meshes";
        return false;
    }
    const auto [left, right] =
        std::minmax_element(session->meshes.begin(), session->meshes.end(),
                            [](const SessionXfile& a, const SessionXfile& b) { return a.x < b.x; });
    const auto [front, back] =
        std::minmax_element(session->meshes.begin(), session->meshes.end(),
                            [](const SessionXfile& a, const SessionXfile& b) { return a.z < b.z; });
    std::mt19937 random(2024);
    std::uniform_real_distribution<float> x(left->x - 20, right->x + 20);
    std::uniform_real_distribution<float> z(front->z - 20, back->z + 20);
    const SessionXfile model = session->meshes.front();
    session->meshes.clear();
    for (int i = 0; i < n; ++i) {
        SessionXfile mesh = model;
        mesh.id = i + 1;
        mesh.x = x(random);
        mesh.z = z(random);
        mesh.yaw = 0.01f * static_cast<float>(i % 200);
        setNameField(mesh.name, kMeshFiles[static_cast<std::size_t>(i) % kMeshFiles.size()]);
        session->meshes.push_back(mesh);
    }
    return true;
}

} // namespace bench
