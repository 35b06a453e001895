// Placements of one mesh file on a course share one load of it: the file is read once,
// its device copy made once and drawn once per placement, and the device lifecycle
// remakes it once per file. What is each placement's own (pose, lift, name) stays its own.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

#include "d3dx9/mesh_parse.h" // the platform library's count of parses
#include "render/ViewFrustum.h"
#include "support/AssetFixture.h"
#include "support/BodyOf.h"
#include "tumbleway/NameField.h"

namespace {

const std::vector<std::string> kThreeFiles = {"ball.x", "box.x", "car.x"}; // the box is textured

class SharedPlacements : public AssetFixture {
protected:
    // A loop course's record with n placements naming the files in turn, each with a
    // pose, a flag and a lift of its own.
    LSession_t sceneOf(int n, const std::vector<std::string>& files) {
        createLoopCourse(6, 30);
        LSession_t session;
        app->fillSession(session);
        for (int i = 0; i < n; ++i) {
            SessionXfile mesh{};
            mesh.flag = static_cast<std::uint8_t>(i % 7);
            mesh.x = 1.5f * static_cast<float>(i);
            mesh.y = 2.0f;
            mesh.z = -0.75f * static_cast<float>(i);
            mesh.yaw = 0.01f * static_cast<float>(i);
            mesh.radius = 1.0f + 0.001f * static_cast<float>(i);
            setNameField(mesh.name, files[static_cast<std::size_t>(i) % files.size()]);
            session.meshes.push_back(mesh);
            lifts.push_back({0.125f * static_cast<float>(i), 0.0f});
        }
        session.item = treeItem(900);
        return session;
    }

    // Restores the record as the builder opens a scene: from the folder of its files,
    // where their textures are found too.
    LCourse_t& restore(const LSession_t& session) {
        const std::filesystem::path here = std::filesystem::current_path();
        std::filesystem::current_path(folder / "data");
        int number = 0;
        EXPECT_EQ(app->restoreSession(session, &number, lifts), S_OK);
        std::filesystem::current_path(here);
        return *app->editor.current();
    }

    // The vertex buffer a placement's mesh draws from on the device.
    static IDirect3DVertexBuffer9* deviceVertices(const XfilePlacement& placement) {
        if (!placement.mesh || placement.mesh->localMesh() == nullptr) {
            return nullptr;
        }
        ComPtr<IDirect3DVertexBuffer9> vertices;
        placement.mesh->localMesh()->GetVertexBuffer(vertices.put());
        return vertices.get(); // the mesh keeps it alive
    }

    // Draws a frame and expects every placement in view among its draws: from its mesh's
    // device copy, under its own world matrix (the draw's, or one instance's of an
    // instanced draw). Some must be in view.
    void expectEveryPlacementDrawn(const LCourse_t& course) {
        app->frameMove();
        device->clearLog();
        ASSERT_EQ(app->render(), S_OK);
        D3DXMATRIX view;
        D3DXMATRIX projection;
        device->GetTransform(D3DTS_VIEW, &view);
        device->GetTransform(D3DTS_PROJECTION, &projection);
        const ViewFrustum frustum(view * projection);
        std::size_t inView = 0;
        for (const XfilePlacement& placement : course.xfilePlacements) {
            IDirect3DVertexBuffer9* vertices = deviceVertices(placement);
            ASSERT_NE(vertices, nullptr) << placement.id();
            const D3DXMATRIX& world = bodyOf(*app, placement).world;
            const MeshBounds* bounds = course.meshes.boundsOf(placement.mesh.get());
            ASSERT_NE(bounds, nullptr);
            if (frustum.excludes(bounds->centre, bounds->radius, world)) {
                continue;
            }
            ++inView;
            const bool drawn = std::any_of(
                device->draws().begin(), device->draws().end(), [&](const DrawSnapshot& draw) {
                    return draw.state.streams[0].buffer.get() == vertices &&
                           std::any_of(draw.worlds().begin(), draw.worlds().end(),
                                       [&](const D3DMATRIX& drawn) {
                                           return std::equal(&world._11, &world._11 + 16,
                                                             &drawn._11);
                                       });
                });
            EXPECT_TRUE(drawn) << "placement " << placement.id();
        }
        EXPECT_GT(inView, 0u);
    }

    static std::size_t distinctMeshes(const LCourse_t& course) {
        std::set<const MeshObject*> meshes;
        for (const XfilePlacement& placement : course.xfilePlacements) {
            meshes.insert(placement.mesh.get());
        }
        return meshes.size();
    }

    void writeData(const char* name, const std::string& bytes) {
        std::FILE* file = std::fopen((folder / "data" / name).c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }

    std::vector<TwxMeshExtra> lifts;
};

} // namespace

TEST_F(SharedPlacements, ARestoreReadsEachFileOnceAndMakesOneDeviceMeshOfIt) {
    const LSession_t session = sceneOf(60, kThreeFiles);
    // What the course alone asks of the device, to tell the meshes' share from it.
    LSession_t courseAlone = session;
    courseAlone.meshes.clear();
    device->clearLog();
    restore(courseAlone);
    const std::size_t courseBuffers = device->count("CreateVertexBuffer");
    const std::size_t courseTextures = device->count("CreateTexture");

    device->clearLog();
    const std::size_t parsesBefore = twmesh::meshParseCount();
    LCourse_t& course = restore(session);
    EXPECT_EQ(twmesh::meshParseCount() - parsesBefore, kThreeFiles.size());
    EXPECT_EQ(device->count("CreateVertexBuffer") - courseBuffers, kThreeFiles.size());
    ASSERT_EQ(course.xfilePlacements.size(), 60u);
    EXPECT_EQ(distinctMeshes(course), kThreeFiles.size());
    // Textures come with their mesh, once.
    std::size_t textures = 0;
    for (auto placement = course.xfilePlacements.begin();
         placement != std::next(course.xfilePlacements.begin(), 3); ++placement) {
        for (DWORD i = 0; i < placement->mesh->materialCount(); ++i) {
            textures += placement->mesh->texture(i) != nullptr ? 1 : 0;
        }
    }
    EXPECT_GT(textures, 0u);
    EXPECT_EQ(device->count("CreateTexture") - courseTextures, textures);
    EXPECT_TRUE(messages.empty());
}

TEST_F(SharedPlacements, EachPlacementKeepsItsOwnPoseLiftNameAndFlag) {
    const LSession_t session = sceneOf(25, kThreeFiles);
    const LCourse_t& course = restore(session);
    ASSERT_EQ(course.xfilePlacements.size(), session.meshes.size());
    auto saved = session.meshes.begin();
    std::size_t i = 0;
    for (const XfilePlacement& placement : course.xfilePlacements) {
        SCOPED_TRACE(i);
        EXPECT_EQ(placement.id(), static_cast<std::int32_t>(i + 1));
        EXPECT_STREQ(placement.name, saved->name);
        EXPECT_EQ(placement.flag, saved->flag);
        EXPECT_EQ(placement.radius, saved->radius);
        EXPECT_EQ(bodyOf(*app, placement).radius, saved->radius);
        EXPECT_EQ(bodyOf(*app, placement).position, D3DXVECTOR3(saved->x, saved->y, saved->z));
        EXPECT_EQ(bodyOf(*app, placement).yawOffset, saved->yaw);
        EXPECT_EQ(bodyOf(*app, placement).modelOffset, D3DXVECTOR3(0, lifts[i].lift, 0));
        // Placements of one file share its mesh; of another, they do not.
        const XfilePlacement& sameFile = *std::next(course.xfilePlacements.begin(), i % 3);
        EXPECT_EQ(placement.mesh.get(), sameFile.mesh.get());
        ++saved;
        ++i;
    }
    EXPECT_NE(course.xfilePlacements.front().mesh.get(),
              std::next(course.xfilePlacements.begin())->mesh.get());

    // The record saved again is the record restored, in its order.
    LSession_t again;
    app->fillSession(again);
    ASSERT_EQ(again.meshes.size(), session.meshes.size());
    EXPECT_TRUE(std::equal(again.meshes.begin(), again.meshes.end(), session.meshes.begin(),
                           [](const SessionXfile& a, const SessionXfile& b) {
                               return nameFieldText(a.name) == nameFieldText(b.name) &&
                                      a.x == b.x && a.z == b.z && a.yaw == b.yaw &&
                                      a.flag == b.flag;
                           }));
}

TEST_F(SharedPlacements, ALostOrNewDeviceRemakesEachFileOnceAndDrawsEveryPlacement) {
    LCourse_t& course = restore(sceneOf(30, kThreeFiles));
    app->selectTab(TAB_PLACE);
    expectEveryPlacementDrawn(course);

    // Lost and reset: the device copies are released and made again.
    app->invalidateDeviceObjects();
    EXPECT_EQ(course.xfilePlacements.front().mesh->localMesh(), nullptr);
    device->clearLog();
    EXPECT_EQ(app->restoreDeviceObjects(), S_OK);
    EXPECT_EQ(device->count("CreateVertexBuffer"), kThreeFiles.size());
    expectEveryPlacementDrawn(course);

    // A new device: each file is read again, once.
    app->invalidateDeviceObjects();
    app->deleteDeviceObjects();
    device = RecordingDevice::create(kWidth, kHeight);
    const std::size_t parsesBefore = twmesh::meshParseCount();
    EXPECT_EQ(app->initDeviceObjects(device.get()), S_OK);
    EXPECT_EQ(app->restoreDeviceObjects(), S_OK);
    EXPECT_EQ(twmesh::meshParseCount() - parsesBefore, kThreeFiles.size());
    EXPECT_EQ(distinctMeshes(course), kThreeFiles.size());
    expectEveryPlacementDrawn(course);
    EXPECT_TRUE(messages.empty());
}

TEST_F(SharedPlacements, AMissingOrBrokenFileIsReportedForEachOfItsElementsAndReadOnce) {
    writeData("broken.x", "xof 0303txt 0032\nMesh { 3; garbage");
    const LSession_t session = sceneOf(40, {"ball.x", "absent.x", "cone.x", "broken.x", "ball.x"});
    const std::size_t parsesBefore = twmesh::meshParseCount();
    const LCourse_t& course = restore(session);
    // ball, cone and broken are read; the broken file once, not once per element.
    EXPECT_EQ(twmesh::meshParseCount() - parsesBefore, 3u);
    std::vector<std::string> expected;
    for (int i = 0; i < 8; ++i) {
        expected.push_back("Tumble Way: Error cannot read X file. \n absent.x.");
        expected.push_back("Tumble Way: Error cannot read X file. \n broken.x.");
    }
    EXPECT_EQ(messages, expected);
    ASSERT_EQ(course.xfilePlacements.size(), 24u);
    // What stays keeps its lift, whichever elements before it were dropped.
    EXPECT_EQ(bodyOf(*app, *std::next(course.xfilePlacements.begin(), 3)).modelOffset.y,
              lifts[5].lift);
}

TEST_F(SharedPlacements, AssigningAFileTheCourseHoldsSharesItsMesh) {
    EXPECT_EQ(app->library.pushXfile(fileRecord("ball.x"), treeItem(1)), S_OK);
    EXPECT_EQ(app->library.pushXfile(fileRecord("box.x"), treeItem(2)), S_OK);
    const LCourse_t& course = restore(sceneOf(6, kThreeFiles));
    app->selectTab(TAB_PLACE);
    const std::size_t parsesBefore = twmesh::meshParseCount();
    for (int i = 0; i < 3; ++i) {
        app->assets.selectXfile(treeItem(1));
        app->library.assign();
        app->assets.selectXfile(treeItem(2));
        app->library.assign();
    }
    EXPECT_EQ(twmesh::meshParseCount(), parsesBefore);
    ASSERT_EQ(course.xfilePlacements.size(), 12u);
    EXPECT_EQ(course.xfilePlacements.back().mesh.get(),
              std::next(course.xfilePlacements.begin())->mesh.get());
    EXPECT_EQ(course.xfilePlacements.back().radius, app->assets.xfiles().back().radius);
    EXPECT_EQ(distinctMeshes(course), kThreeFiles.size());

    // Another course holds its own.
    createLoopCourse(5, 20);
    app->selectTab(TAB_PLACE);
    app->assets.selectXfile(treeItem(1));
    app->library.assign();
    EXPECT_EQ(twmesh::meshParseCount(), parsesBefore + 1);
    EXPECT_NE(app->editor.current()->xfilePlacements.back().mesh.get(),
              course.xfilePlacements.front().mesh.get());
}

TEST_F(SharedPlacements, AFileWhosePlacementsAreGoneIsReadAgainWhenPlacedAgain) {
    EXPECT_EQ(app->library.pushXfile(fileRecord("cone.x"), treeItem(1)), S_OK);
    createLoopCourse(6, 30);
    app->selectTab(TAB_PLACE);
    app->assets.selectXfile(treeItem(1));
    app->library.assign();
    app->library.assign();
    std::weak_ptr<MeshObject> first = app->editor.current()->xfilePlacements.front().mesh;
    EXPECT_TRUE(app->edits.deleteXfilePlacement(1));
    EXPECT_TRUE(app->edits.deleteXfilePlacement(0));
    EXPECT_TRUE(first.expired()); // gone with its last placement
    // Nothing is left to lose or remake.
    app->invalidateDeviceObjects();
    EXPECT_EQ(app->restoreDeviceObjects(), S_OK);

    const std::size_t parsesBefore = twmesh::meshParseCount();
    app->library.assign();
    EXPECT_EQ(twmesh::meshParseCount(), parsesBefore + 1);
    ASSERT_EQ(app->editor.current()->xfilePlacements.size(), 1u);
    EXPECT_NE(app->editor.current()->xfilePlacements.front().mesh->localMesh(), nullptr);
}

// A file that changes on disk after the course loaded it is not read again for the
// next placement: the course keeps what it loaded until the device is made anew. One
// that no longer loads then is reported when placed, and its placements draw again
// once it loads.
TEST_F(SharedPlacements, TheCourseKeepsWhatItLoadedUntilTheDeviceIsMadeAnew) {
    EXPECT_EQ(app->library.pushXfile(fileRecord("box.x"), treeItem(1)), S_OK);
    createLoopCourse(6, 30);
    app->selectTab(TAB_PLACE);
    app->assets.selectXfile(treeItem(1));
    app->library.assign();
    const MeshObject* box = app->editor.current()->xfilePlacements.front().mesh.get();
    const DWORD boxFaces = box->systemMesh()->GetNumFaces();

    std::filesystem::copy_file(folder / "data" / "cone.x", folder / "data" / "box.x",
                               std::filesystem::copy_options::overwrite_existing);
    app->library.assign();
    EXPECT_EQ(app->editor.current()->xfilePlacements.back().mesh.get(), box);
    EXPECT_EQ(box->systemMesh()->GetNumFaces(), boxFaces);

    writeData("box.x", "xof 0303txt 0032\nMesh { 3; garbage");
    app->invalidateDeviceObjects();
    app->deleteDeviceObjects();
    EXPECT_EQ(app->initDeviceObjects(device.get()), S_OK);
    EXPECT_EQ(app->restoreDeviceObjects(), E_FAIL); // the broken mesh is reported
    EXPECT_EQ(box->systemMesh(), nullptr);          // nothing to draw, and placing it says so
    messages.clear();
    app->library.assign();
    EXPECT_EQ(messages,
              std::vector<std::string>{"Tumble Way: Error cannot read X file. \n box.x."});
    EXPECT_EQ(app->editor.current()->xfilePlacements.size(), 2u);

    std::filesystem::copy_file(folder / "data" / "cone.x", folder / "data" / "box.x",
                               std::filesystem::copy_options::overwrite_existing);
    app->library.assign();
    ASSERT_EQ(app->editor.current()->xfilePlacements.size(), 3u);
    EXPECT_EQ(app->editor.current()->xfilePlacements.back().mesh.get(), box);
    ASSERT_NE(box->localMesh(), nullptr);
    EXPECT_NE(box->systemMesh()->GetNumFaces(), boxFaces);
    expectEveryPlacementDrawn(*app->editor.current());
}
