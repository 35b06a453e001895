// Builds the sample scenes: a course laid clockwise, meshes on its road, bitmaps beside
// it and two sound relations, saved as an XML simulation file. "demo" places cars,
// balls, boxes and cones (.x) and plays waves; "formats" places the glTF signpost and the
// OBJ barrel beside a car and plays the OGG and FLAC sounds.
// Usage: make_demo_scene <output.xml> [demo|formats]   (run from the folder that holds
// data/; the meshes, bitmaps and sounds are looked up by name beside the output file)
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

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

// What a scene places: meshes by their number in the list of files, at a track sample,
// across the road by side; the relations name the first and second mesh files and a
// sound (0 for the sound played while the first rolls).
struct Placed {
    std::uintptr_t file;
    int sample;
    float side;
};

struct SceneContent {
    std::vector<const char*> meshes;
    std::vector<const char*> bitmaps;
    std::vector<const char*> sounds; // the first knocks, the second rumbles
    std::vector<Placed> meshPlaces;
    std::vector<Placed> bitmapPlaces;
    std::uintptr_t knocked; // the mesh whose meeting with the first mesh knocks
    std::uintptr_t rolling; // the mesh that rumbles while it rolls
};

const SceneContent kDemo{
    {"car.x", "ball.x", "box.x", "cone.x"},
    {"tree.bmp", "flag.bmp"},
    {"hit.wav", "roll.wav"},
    // The car to drive at the start last, others spread along the road ahead of it.
    {{1, 45, -6},
     {1, 60, 5},
     {2, 75, 0},
     {3, 90, -8},
     {0, 110, 7},
     {2, 140, -3},
     {3, 600, 4},
     {1, 1500, 0},
     {2, 2500, -5},
     {0, 28, 0}},
    {{0, 50, -36}, {0, 85, 38}, {0, 130, -34}, {1, 20, 30}, {0, 700, 42}},
    1,
    1};

const SceneContent kFormats{
    {"car.x", "barrel.obj", "signpost.glb"},
    {"tree.bmp"},
    {"chime.ogg", "roll.flac"},
    {{2, 34, -5}, {1, 33, 2}, {1, 36, -2}, {2, 37, 5}, {1, 41, 0}, {2, 44, -5}, {0, 28, 0}},
    {{0, 50, -36}, {0, 110, 38}},
    1,
    1};

} // namespace

int main(int argc, char** argv) {
    const std::string kind = argc == 3 ? argv[2] : "demo";
    if (argc < 2 || argc > 3 || (kind != "demo" && kind != "formats")) {
        std::fprintf(stderr, "usage: %s <output.xml> [demo|formats]\n", argv[0]);
        return 2;
    }
    const SceneContent& content = kind == "demo" ? kDemo : kFormats;
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
        app.edit.addPoint(static_cast<int>(320 + r * std::cos(a) / (half * 640 / 480) * 320),
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
    // written into it all the same, so the tool stops instead. Library items are
    // numbered 10 on for meshes, 20 on for bitmaps, 30 on for sounds.
    bool loaded = true;
    for (std::uintptr_t i = 0; i < content.meshes.size(); ++i) {
        loaded = SUCCEEDED(app.library.pushXfile(file(content.meshes[i]), item(10 + i))) && loaded;
    }
    for (std::uintptr_t i = 0; i < content.bitmaps.size(); ++i) {
        loaded =
            SUCCEEDED(app.library.pushBitmap(file(content.bitmaps[i]), item(20 + i))) && loaded;
    }
    for (std::uintptr_t i = 0; i < content.sounds.size(); ++i) {
        loaded = SUCCEEDED(app.library.pushWav(file(content.sounds[i]), item(30 + i))) && loaded;
    }
    if (!loaded) {
        std::fprintf(stderr, "make_demo_scene: a sample file did not load\n");
        return 1;
    }

    for (const Placed& p : content.meshPlaces) {
        app.assets.selectXfile(item(10 + p.file));
        app.library.assign();
        const D3DXVECTOR3 at = onRoad(course, p.sample, p.side);
        app.editor.drivenBody()->position = app.editor.drivenBody()->stepPosition = at;
    }
    for (const Placed& b : content.bitmapPlaces) {
        app.assets.selectBitmap(item(20 + b.file));
        app.library.assign();
        const D3DXVECTOR3 at = onRoad(course, b.sample, b.side);
        BitmapPlacement& bitmap = *app.editor.lastBitmap();
        bitmap.drawX = bitmap.x = at.x;
        bitmap.drawY = bitmap.y = at.y - 2;
        bitmap.drawZ = bitmap.z = at.z;
    }
    // A knock when the knocked mesh meets the first mesh (the knocked one placed
    // first), a rumble while the rolling mesh rolls.
    const HTREEITEM knocked = std::next(app.assets.xfiles().begin(), content.knocked)->item;
    const HTREEITEM first = app.assets.xfiles().front().item;
    if (!app.assets.setRelationPicks(knocked, first, item(30))) {
        std::fprintf(stderr, "make_demo_scene: the knock's meshes or sound did not open\n");
        return 1;
    }
    app.sounds.assign(true);
    const HTREEITEM rolling = std::next(app.assets.xfiles().begin(), content.rolling)->item;
    if (!app.assets.setRelationPicks(rolling, nullptr, item(31))) {
        std::fprintf(stderr, "make_demo_scene: the rumble did not open\n");
        return 1;
    }
    app.sounds.assign(false);

    LSession_t session;
    app.fillSession(session);
    if (!writeSimulationFile(session, argv[1])) {
        std::fprintf(stderr, "make_demo_scene: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
