// Builds the sample scene: a course laid clockwise, cars, balls and boxes on its road,
// trees beside it and a few sound relations, saved as an XML simulation file.
// Usage: make_demo_scene <output.xml>   (run from the folder that holds data/; the
// meshes, bitmaps and sounds are looked up by name beside the output file)
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "core/EngineApp.h"
#include "course/CourseTrack.h"
#include "d3d9/recording_device.h"
#include "files/SimulationFile.h"
#include "tumbleway/NameField.h"

namespace {

HTREEITEM item(std::uintptr_t n) {
    return reinterpret_cast<HTREEITEM>(n);
}

LF_t file(const char* name) {
    LF_t record{};
    setNameField(record.name, name);
    return record;
}

// World position of the road at track sample i, shifted across the road by side.
D3DXVECTOR3 onRoad(const LCourse_t& course, int i, float side) {
    const auto [right, left] = course.track->pair(3, i);
    const D3DXVECTOR3 centre = (right + left) * 0.5f;
    D3DXVECTOR3 across = right - left;
    D3DXVec3Normalize(&across, &across);
    const D3DXVECTOR3 p = centre + across * side;
    return {p.z, p.y + 2, p.x};
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output.xml>\n", argv[0]);
        return 2;
    }
    ComPtr<RecordingDevice> device = RecordingDevice::create(640, 480);
    CEngineApp app;
    if (FAILED(app.oneTimeSceneInit(nullptr)) || FAILED(app.initDeviceObjects(device.get())) ||
        FAILED(app.restoreDeviceObjects())) {
        std::fprintf(stderr, "make_demo_scene: the engine could not start\n");
        return 1;
    }
    app.onInitialUpdate(640, 480, nullptr);
    app.assets.setSearchRoot(std::filesystem::absolute(argv[1]).parent_path().string());

    // Eight points clockwise on screen, a little irregular so the road has bends. The
    // spline leaves each point along the chord to the next, so points close together
    // make tight bends: these lie far enough apart that every bend is wider than the
    // strips reach on its inside (31 units inside the loop, 227 outside), or the strips
    // would fold there.
    app.selectTab(TAB_COURSE);
    const int points = 8;
    for (int i = 0; i < points; ++i) {
        const double a = -2 * M_PI * i / points;
        const double r = 36 * (1 + 0.12 * std::cos(2 * a + 0.5) + 0.05 * std::sin(3 * a));
        const double half = 100 * std::tan(M_PI / 8);
        app.addPoint(static_cast<int>(320 + r * std::cos(a) / (half * 640 / 480) * 320),
                     static_cast<int>(240 - r * std::sin(a) / half * 240));
    }
    if (FAILED(app.createCourse(item(1)))) {
        std::fprintf(stderr, "make_demo_scene: the course could not be made\n");
        return 1;
    }
    app.selectCourse(item(1));
    app.selectTab(TAB_PLACE);
    LCourse_t& course = *app.editor.current();

    // The scene names every one of these files: one that does not load would be
    // written into it all the same, so the tool stops instead.
    bool loaded = true;
    const char* meshes[] = {"car.x", "ball.x", "box.x", "cone.x"};
    for (std::uintptr_t i = 0; i < 4; ++i) {
        loaded = SUCCEEDED(app.pushXfile(file(meshes[i]), item(10 + i))) && loaded;
    }
    loaded = SUCCEEDED(app.pushBitmap(file("tree.bmp"), item(20))) && loaded;
    loaded = SUCCEEDED(app.pushBitmap(file("flag.bmp"), item(21))) && loaded;
    loaded = SUCCEEDED(app.pushWav(file("hit.wav"), item(30))) && loaded;
    loaded = SUCCEEDED(app.pushWav(file("roll.wav"), item(31))) && loaded;
    if (!loaded) {
        std::fprintf(stderr, "make_demo_scene: a sample file did not load\n");
        return 1;
    }

    // The car to drive at the start, others spread along the road ahead of it.
    const struct {
        std::uintptr_t mesh;
        int sample;
        float side;
    } placed[] = {{11, 45, -6},  {11, 60, 5},  {12, 75, 0},   {13, 90, -8},   {10, 110, 7},
                  {12, 140, -3}, {13, 600, 4}, {11, 1500, 0}, {12, 2500, -5}, {10, 28, 0}};
    for (const auto& p : placed) {
        app.assets.selectXfile(item(p.mesh));
        app.assign();
        const D3DXVECTOR3 at = onRoad(course, p.sample, p.side);
        app.editor.driven()->body->position = app.editor.driven()->body->stepPosition = at;
    }
    const struct {
        std::uintptr_t bitmap;
        int sample;
        float side;
    } standing[] = {{20, 50, -36}, {20, 85, 38}, {20, 130, -34}, {21, 20, 30}, {20, 700, 42}};
    for (const auto& b : standing) {
        app.assets.selectBitmap(item(b.bitmap));
        app.assign();
        const D3DXVECTOR3 at = onRoad(course, b.sample, b.side);
        BitmapPlacement& bitmap = *app.editor.lastBitmap();
        bitmap.drawX = bitmap.x = at.x;
        bitmap.drawY = bitmap.y = at.y - 2;
        bitmap.drawZ = bitmap.z = at.z;
    }
    // A knock when a ball meets a car (the ball placed first), a rumble while a ball
    // rolls.
    const HTREEITEM ball = std::next(app.assets.xfiles().begin(), 1)->item;
    const HTREEITEM car = app.assets.xfiles().front().item;
    if (!app.assets.setRelationPicks(ball, car, item(30))) {
        std::fprintf(stderr, "make_demo_scene: the knock's meshes or sound did not open\n");
        return 1;
    }
    app.assignSoundRelation(true);
    if (!app.assets.setRelationPicks(ball, nullptr, item(31))) {
        std::fprintf(stderr, "make_demo_scene: the rumble did not open\n");
        return 1;
    }
    app.assignSoundRelation(false);

    LSession_t session;
    app.fillSession(session);
    if (!writeSimulationFile(session, argv[1])) {
        std::fprintf(stderr, "make_demo_scene: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
