#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A glTF 2.0 binary file (.glb) put together from pieces given the engine's way: left-
// handed, y up, row vectors, triangles wound clockwise to face the viewer. The file is
// right-handed as glTF requires: every z is negated (positions, normals, and the matrices
// as S M S with S = diag(1, 1, -1)) and every triangle wound the other way round, so that
// what faced the viewer still does. Units stay as they are: one engine unit is a metre.
class GltfDocument {
public:
    struct Vertex {
        std::array<float, 3> position;
        std::array<float, 3> normal; // of any length but 0; made unit length
        std::array<float, 2> uv;     // (0, 0) the picture's top left, as in the engine
    };

    // Pixels in memory order R, G, B, A, rows top to bottom.
    struct Picture {
        int width = 0;
        int height = 0;
        std::vector<std::uint8_t> rgba;
    };

    struct Material {
        std::string name;
        std::array<float, 4> baseColour = {1, 1, 1, 1};
        std::optional<int> picture; // from addPicture
        bool unlit = false;         // drawn without lights in the engine
        bool cutout = false;        // fully transparent texels are not drawn
        bool doubleSided = false;   // drawn from both sides in the engine
    };

    // One draw: a triangle list (indices into vertices, three per triangle) in a material.
    struct Primitive {
        std::vector<Vertex> vertices;
        std::vector<std::uint32_t> indices;
        int material = 0;
    };

    // Each returns the index the others refer to it by. A picture equal to one added
    // before is stored once: the course's pictures come from textures loaded apart.
    int addPicture(Picture picture);
    int addMaterial(Material material);
    int addMesh(std::string name, std::vector<Primitive> primitives);
    // A node drawing mesh with the world matrix world (row vectors, 16 floats in memory
    // order as the device takes them); no matrix: where the mesh was made.
    void addNode(std::string name, int mesh, const std::optional<std::array<float, 16>>& world);

    // The whole file; empty when a picture could not be encoded or the file would pass
    // the 4 GiB a binary glTF file can hold.
    std::vector<std::uint8_t> glb() const;

    // The matrix in glTF's column-major order: the row-vector matrix's memory order, with
    // z turned round on both sides.
    static std::array<float, 16> convertedMatrix(const std::array<float, 16>& world);

private:
    struct Node {
        std::string name;
        int mesh;
        std::optional<std::array<float, 16>> world;
    };
    struct Mesh {
        std::string name;
        std::vector<Primitive> primitives;
    };

    std::vector<Picture> m_pictures;
    std::vector<Material> m_materials;
    std::vector<Mesh> m_meshes;
    std::vector<Node> m_nodes;
};
