// The exported sample course read back by another program's glTF reader (Assimp): the
// triangles the course scene draws, where it draws them.
#include <algorithm>
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <limits>

#include "core/SessionWriter.h"
#include "course/CourseField.h"
#include "course/StripGrid.h"
#include "files/SimulationFile.h"
#include "support/EngineFixture.h"

namespace {

struct Bounds {
    D3DXVECTOR3 low{std::numeric_limits<float>::infinity(), std::numeric_limits<float>::infinity(),
                    std::numeric_limits<float>::infinity()};
    D3DXVECTOR3 high = -low;

    void add(const D3DXVECTOR3& p) {
        low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
    }
};

// What the course scene draws of a course: its triangles and their bounds, in the
// engine's axes.
struct Drawn {
    std::size_t triangles = 0;
    Bounds bounds;
};

void addMesh(const MeshObject& mesh, const D3DXMATRIX& world, Drawn& drawn) {
    ID3DXMesh* system = mesh.systemMesh();
    drawn.triangles += system->GetNumFaces();
    void* data = nullptr;
    ASSERT_EQ(system->LockVertexBuffer(D3DLOCK_READONLY, &data), S_OK);
    for (DWORD i = 0; i < system->GetNumVertices(); ++i) {
        D3DXVECTOR3 p;
        std::memcpy(&p, static_cast<const std::uint8_t*>(data) + i * system->GetNumBytesPerVertex(),
                    sizeof p);
        D3DXVec3TransformCoord(&p, &p, &world);
        drawn.bounds.add(p);
    }
    system->UnlockVertexBuffer();
}

Drawn drawnOf(const LCourse_t& course) {
    Drawn drawn;
    for (const auto& strip : course.strips) {
        drawn.triangles += strip->indices().size() / 3;
        for (std::uint16_t i : strip->indices()) {
            const StripGrid::Vertex& v = strip->vertices()[i];
            drawn.bounds.add({v.x, v.y, v.z});
        }
    }
    for (const auto& fan : course.field->fans()) {
        for (const auto& triangle : fan->triangles()) {
            ++drawn.triangles;
            for (const D3DXVECTOR3& p : triangle) {
                drawn.bounds.add(p);
            }
        }
    }
    for (const XfilePlacement& placement : course.xfilePlacements) {
        addMesh(*placement.mesh, course.xfilePlacements.body(placement).world, drawn);
    }
    for (const BitmapPlacement& placement : course.bitmapPlacements) {
        D3DXMATRIX world = placement.bitmap->world();
        world._41 = placement.drawX;
        world._42 = placement.drawY;
        world._43 = placement.drawZ;
        drawn.triangles += 2;
        for (int i = 0; i < 4; ++i) {
            const BitmapBillboard::Vertex& v = placement.bitmap->vertices()[i];
            D3DXVECTOR3 p(v.x, v.y, v.z);
            D3DXVec3TransformCoord(&p, &p, &world);
            drawn.bounds.add(p);
        }
    }
    return drawn;
}

// What Assimp reads from the file, every node's mesh put where the node places it, with
// z turned back to the engine's.
Drawn reimported(const std::vector<std::uint8_t>& glb, unsigned* embeddedPictures) {
    Assimp::Importer importer;
    const aiScene* scene =
        importer.ReadFileFromMemory(glb.data(), glb.size(), aiProcess_PreTransformVertices, "glb");
    Drawn drawn;
    EXPECT_NE(scene, nullptr) << importer.GetErrorString();
    if (scene == nullptr) {
        return drawn;
    }
    *embeddedPictures = scene->mNumTextures;
    for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
        const aiMesh& mesh = *scene->mMeshes[m];
        drawn.triangles += mesh.mNumFaces;
        for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
            for (unsigned k = 0; k < mesh.mFaces[f].mNumIndices; ++k) {
                const aiVector3D& p = mesh.mVertices[mesh.mFaces[f].mIndices[k]];
                drawn.bounds.add({p.x, p.y, -p.z});
            }
        }
    }
    return drawn;
}

class ExportedSampleCourse : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        home = std::filesystem::current_path();
        std::filesystem::current_path(home / "samples/scenes");
        LSession_t session;
        SceneExtras extras;
        ASSERT_TRUE(readSimulationFile("demo.xml", session, &extras));
        session.item = nextItem();
        int number = 0;
        ASSERT_EQ(app->restoreSession(session, &number, extras.meshes), S_OK);
        emptySession(session);
    }
    void TearDown() override { std::filesystem::current_path(home); }

    std::filesystem::path home;
};

} // namespace

TEST_F(ExportedSampleCourse, ReadsBackWithTheTrianglesAndBoundsTheCourseSceneDraws) {
    const CourseExport exported = app->exportCurrentCourse();
    ASSERT_FALSE(exported.glb.empty()) << exported.error;
    LCourse_t& course = *app->editor.current();
    ASSERT_FALSE(course.xfilePlacements.empty());
    ASSERT_FALSE(course.bitmapPlacements.empty());
    const Drawn expected = drawnOf(course);
    unsigned pictures = 0;
    const Drawn read = reimported(exported.glb, &pictures);

    EXPECT_EQ(read.triangles, expected.triangles);
    const std::pair<float, float> corners[] = {
        {read.bounds.low.x, expected.bounds.low.x},   {read.bounds.low.y, expected.bounds.low.y},
        {read.bounds.low.z, expected.bounds.low.z},   {read.bounds.high.x, expected.bounds.high.x},
        {read.bounds.high.y, expected.bounds.high.y}, {read.bounds.high.z, expected.bounds.high.z}};
    for (const auto& [got, want] : corners) {
        EXPECT_NEAR(got, want, 1e-4f);
    }
    // The road's, the edges', the field's, the meshes' and the bitmaps' pictures.
    EXPECT_GE(pictures, 4u);
}
