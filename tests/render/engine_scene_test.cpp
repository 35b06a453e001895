// Whole frames of the engine drawn by the GL device, compared with golden pictures.
// Each golden was looked at before it was kept: road, edges, banks, field and inner
// field, sky, objects and text where they belong.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>
#include <vector>

#include "core/EngineApp.h"
#include "course/CourseTrack.h"
#include "d3d9/egl_context.h"
#include "d3d9/gl_device.h"
#include "golden_image.h"

class CameraRigTestPeer {
public:
    static void putEye(CameraRig& rig, const D3DXVECTOR3& eye) { rig.cameraEye = eye; }
};

namespace {

namespace fs = std::filesystem;

class EngineFrames : public ::testing::Test {
protected:
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 480;

    void SetUp() override {
        std::string error;
        context = EglContext::create(kWidth, kHeight, &error);
        if (!context) {
            GTEST_SKIP() << "no OpenGL 3.3 context: " << error;
        }
        device = GLDevice::create(kWidth, kHeight);
        // The engine does not look at every draw's result: a GL error shows in lastError().
        device->setGLErrorChecks(true);
        // Assets are found by name in the data folder under the base directory.
        // One folder per test: CTest runs the cases side by side.
        folder = fs::temp_directory_path() /
                 ("tw-engine-frames-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder / "data");
        for (const char* source : {"samples/meshes", "samples/bitmaps"}) {
            for (const auto& file : fs::directory_iterator(source)) {
                fs::copy_file(file.path(), folder / "data" / file.path().filename());
            }
        }
        app = std::make_unique<CEngineApp>();
        ASSERT_EQ(app->oneTimeSceneInit(nullptr), S_OK);
        ASSERT_EQ(app->initDeviceObjects(device.get()), S_OK);
        ASSERT_EQ(app->restoreDeviceObjects(), S_OK);
        app->onInitialUpdate(kWidth, kHeight, nullptr);
        app->assets.setSearchRoot(folder.string());
        SetTimeSourceForTests([] { return DWORD{61000}; }); // a fixed clock for the timer
        std::srand(7);                                      // billboards take a random tint
    }

    void TearDown() override {
        if (device) {
            EXPECT_EQ(device->lastError(), "");
        }
        SetTimeSourceForTests({});
        if (app) {
            app->invalidateDeviceObjects();
            app->deleteDeviceObjects();
        }
        fs::remove_all(folder);
    }

    // Clicks in the course editor at the given ground points (in its ground units).
    void layPoints(const std::vector<std::pair<float, float>>& points) {
        app->selectTab(TAB_COURSE);
        for (const auto& [x, z] : points) {
            // The editor's view: 100 above the ground, a quarter turn of field of view.
            const float half = 100.0f * std::tan(static_cast<float>(M_PI) / 8);
            app->edit.addPoint(
                static_cast<int>(kWidth / 2 + x / (half * kWidth / kHeight) * kWidth / 2),
                static_cast<int>(kHeight / 2 - z / half * kHeight / 2));
        }
    }

    // Lays a loop of n points of the given radius (in the editor's ground units).
    void layLoop(int n, float radius, bool clockwise) {
        std::vector<std::pair<float, float>> points;
        for (int i = 0; i < n; ++i) {
            const double a = (clockwise ? -1 : 1) * 2 * M_PI * i / n;
            const float r = radius * static_cast<float>(1 + 0.2 * std::sin(3 * a));
            points.emplace_back(r * static_cast<float>(std::cos(a)),
                                r * static_cast<float>(std::sin(a)));
        }
        layPoints(points);
    }

    // Creates a course from the points laid and looks straight down on its middle from
    // high above, as the place tab draws it.
    void createAndLookDown(std::uintptr_t item) {
        const auto handle = reinterpret_cast<HTREEITEM>(item);
        ASSERT_EQ(app->createCourse(handle), S_OK);
        app->selectCourse(handle);
        app->selectTab(TAB_PLACE);
        // The track is centred on its fourth sample; look down on the middle of it.
        const LCourse_t& course = *app->editor.current();
        D3DXVECTOR3 middle;
        for (const auto& strip : course.strips) {
            for (const auto& v : strip->vertices()) {
                middle += D3DXVECTOR3(v.x, 0, v.z);
            }
        }
        middle /= static_cast<float>(kStripCount * course.strips[0]->vertices().size());
        const D3DXVECTOR3 eye = middle + D3DXVECTOR3(0, 900, 0);
        // The sky is drawn around the eye.
        CameraRigTestPeer::putEye(app->camera, eye);
        const D3DXVECTOR3 up(0, 0, 1);
        D3DXMATRIX view;
        D3DXMatrixLookAtLH(&view, &eye, &middle, &up);
        device->SetTransform(D3DTS_VIEW, &view);
    }

    void expectGolden(const std::string& name) {
        const GoldenResult result = compareWithGolden(name, context->readPixels(), kWidth, kHeight);
        EXPECT_TRUE(result.matched) << result.message;
    }

    LF_t file(const char* name) {
        LF_t record{};
        std::snprintf(record.name, sizeof record.name, "%s", name);
        return record;
    }

    // The box of the pixels that differ from the colour by more than a little, searched in
    // the given part of the frame; empty (right < left) when there is none.
    struct Box {
        int left = kWidth, top = kHeight, right = -1, bottom = -1;
    };
    Box pixelsUnlike(const std::uint8_t (&colour)[3], int left, int top, int right, int bottom) {
        const std::vector<std::uint8_t> pixels = context->readPixels();
        Box box;
        for (int y = top; y < bottom; ++y) {
            for (int x = left; x < right; ++x) {
                const std::uint8_t* p = &pixels[(static_cast<std::size_t>(y) * kWidth + x) * 4];
                if (std::abs(p[0] - colour[0]) + std::abs(p[1] - colour[1]) +
                        std::abs(p[2] - colour[2]) >
                    24) {
                    box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x),
                           std::max(box.bottom, y)};
                }
            }
        }
        return box;
    }

    std::unique_ptr<EglContext> context;
    ComPtr<GLDevice> device;
    std::unique_ptr<CEngineApp> app;
    fs::path folder;
};

TEST_F(EngineFrames, PlaceTabShowsTheRoadAheadWithObjectsAndText) {
    layLoop(7, 12, false);
    const auto item = reinterpret_cast<HTREEITEM>(std::uintptr_t{1});
    ASSERT_EQ(app->createCourse(item), S_OK);
    app->selectCourse(item);
    app->selectTab(TAB_PLACE);
    ASSERT_EQ(app->library.pushXfile(file("car.x"), reinterpret_cast<HTREEITEM>(std::uintptr_t{2})),
              S_OK);
    ASSERT_EQ(
        app->library.pushBitmap(file("tree.bmp"), reinterpret_cast<HTREEITEM>(std::uintptr_t{3})),
        S_OK);
    app->assets.selectXfile(reinterpret_cast<HTREEITEM>(std::uintptr_t{2}));
    app->library.assign();
    app->assets.selectBitmap(reinterpret_cast<HTREEITEM>(std::uintptr_t{3}));
    app->library.assign();
    app->editor.lastBitmap()->drawX += 6; // beside the car, not behind it
    app->editor.drive(nullptr);           // the camera walks instead of following
    app->frameMove();
    app->frameMove();
    ASSERT_EQ(app->render(), S_OK);
    expectGolden("place-tab");
}

TEST_F(EngineFrames, PlayTabShowsTheClock) {
    layLoop(6, 12, false);
    const auto item = reinterpret_cast<HTREEITEM>(std::uintptr_t{1});
    ASSERT_EQ(app->createCourse(item), S_OK);
    app->selectCourse(item);
    app->selectTab(TAB_PLAY); // the clock starts at 61000 and shows 0.0.0 at once
    app->frameMove();
    ASSERT_EQ(app->render(), S_OK);
    expectGolden("play-tab");
}

TEST_F(EngineFrames, CourseEditorShowsPointsAndTheirTrace) {
    layLoop(8, 30, false);
    ASSERT_EQ(app->createCourse(reinterpret_cast<HTREEITEM>(std::uintptr_t{1})), S_OK);
    app->selectTab(TAB_COURSE);
    app->frameMove();
    ASSERT_EQ(app->render(), S_OK);
    expectGolden("course-editor");
}

TEST_F(EngineFrames, PreviewShowsAMeshAndABitmap) {
    ASSERT_EQ(app->library.pushXfile(file("car.x"), reinterpret_cast<HTREEITEM>(std::uintptr_t{2})),
              S_OK);
    app->assets.selectXfile(reinterpret_cast<HTREEITEM>(std::uintptr_t{2}));
    app->selectTab(TAB_PREVIEW);
    app->renderer.rotatePreview(0.3f, 0.6f);
    app->frameMove();
    ASSERT_EQ(app->render(), S_OK);
    expectGolden("preview-mesh");

    ASSERT_EQ(
        app->library.pushBitmap(file("tree.bmp"), reinterpret_cast<HTREEITEM>(std::uintptr_t{3})),
        S_OK);
    app->assets.selectBitmap(reinterpret_cast<HTREEITEM>(std::uintptr_t{3}));
    app->frameMove();
    ASSERT_EQ(app->render(), S_OK);
    expectGolden("preview-bitmap");
}

// A mesh built standing on its origin (the cone's base lies at y = 0, its tip at 1.5)
// is shown whole and in the middle of the preview, turned about the centre of its
// bounding sphere, not about its origin; a bitmap, standing on its foot, is shown whole
// and in the middle too, in its own colours (the tree's green), not lit to black, and
// nothing of it shows past its edges.
TEST_F(EngineFrames, PreviewShowsAMeshOrABitmapWholeInTheMiddle) {
    struct Case {
        const char* file;
        bool bitmap;
    };
    for (const Case c : {Case{"cone.x", false}, Case{"tree.bmp", true}}) {
        SCOPED_TRACE(c.file);
        const auto item = reinterpret_cast<HTREEITEM>(std::uintptr_t{c.bitmap ? 3u : 2u});
        if (c.bitmap) {
            ASSERT_EQ(app->library.pushBitmap(file(c.file), item), S_OK);
            app->assets.selectBitmap(item);
        } else {
            ASSERT_EQ(app->library.pushXfile(file(c.file), item), S_OK);
            app->assets.selectXfile(item);
        }
        app->selectTab(TAB_PREVIEW);
        app->frameMove();
        ASSERT_EQ(app->render(), S_OK);
        const std::vector<std::uint8_t> pixels = context->readPixels();
        // Rows holding the picture, looked for in the middle third of the columns, away
        // from the text in the top left corner.
        const std::uint8_t clear[3] = {0xCC, 0xCC, 0xEE};
        int top = kHeight;
        int bottom = -1;
        int firstGreen = kHeight;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = kWidth / 3; x < 2 * kWidth / 3; ++x) {
                const std::uint8_t* p = &pixels[(static_cast<std::size_t>(y) * kWidth + x) * 4];
                if (std::abs(p[0] - clear[0]) + std::abs(p[1] - clear[1]) +
                        std::abs(p[2] - clear[2]) >
                    24) {
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                    if (p[1] > 40 && p[1] > p[0] + 10 && p[1] > p[2] + 10) {
                        firstGreen = std::min(firstGreen, y);
                    }
                }
            }
        }
        ASSERT_GE(bottom, 0) << "nothing is drawn";
        EXPECT_GT(top, 0) << "the picture runs over the top edge";
        EXPECT_LT(bottom, kHeight - 1) << "the picture runs over the bottom edge";
        const int middle = (top + bottom) / 2;
        EXPECT_NEAR(middle, kHeight / 2, kHeight / 10) << "rows " << top << " to " << bottom;
        if (c.bitmap) {
            ASSERT_LT(firstGreen, kHeight) << "the tree shows none of its green";
            // Its top rows are keyed out: nothing above the crown, below the text, but the
            // filtering of its edge (a wrapping texture drew a line of the trunk's colour
            // there).
            constexpr int kBelowText = 60;
            int strays = 0;
            for (int y = kBelowText; y < firstGreen - 3; ++y) {
                for (int x = kWidth / 2 - 20; x < kWidth / 2 + 20; ++x) {
                    const std::uint8_t* p = &pixels[(static_cast<std::size_t>(y) * kWidth + x) * 4];
                    if (std::abs(p[0] - clear[0]) + std::abs(p[1] - clear[1]) +
                            std::abs(p[2] - clear[2]) >
                        24) {
                        ++strays;
                    }
                }
            }
            EXPECT_EQ(strays, 0) << "drawn above the crown, which starts at row " << firstGreen;
        }
    }
}

// The sky draws with a projection of its own that stays in force for the rest of the
// course scene's frame; the editor and the preview must not draw with it after a visit
// to Edit (the preview drew its mesh smaller, the editor its course elsewhere than a
// click lays a point).
TEST_F(EngineFrames, EditorAndPreviewLookTheSameAfterAVisitToTheCourseScene) {
    layLoop(8, 30, false);
    ASSERT_EQ(app->createCourse(reinterpret_cast<HTREEITEM>(std::uintptr_t{1})), S_OK);
    ASSERT_EQ(app->library.pushXfile(file("car.x"), reinterpret_cast<HTREEITEM>(std::uintptr_t{2})),
              S_OK);
    app->assets.selectXfile(reinterpret_cast<HTREEITEM>(std::uintptr_t{2}));
    const auto drawn = [this](int tab) {
        app->selectTab(tab);
        app->frameMove();
        EXPECT_EQ(app->render(), S_OK);
        return context->readPixels();
    };
    // Pixels whose channels differ by more than the golden pictures' tolerance (the
    // course scene leaves dithering on).
    const auto differing = [](const std::vector<std::uint8_t>& a,
                              const std::vector<std::uint8_t>& b) {
        std::size_t count = 0;
        for (std::size_t i = 0; i + 3 < a.size() && i + 3 < b.size(); i += 4) {
            for (std::size_t c = 0; c < 3; ++c) {
                if (std::abs(int{a[i + c]} - int{b[i + c]}) > 24) {
                    ++count;
                    break;
                }
            }
        }
        return count;
    };
    for (const int tab : {TAB_PREVIEW, TAB_COURSE}) {
        const auto fresh = drawn(tab);
        (void)drawn(TAB_PLACE);
        const auto again = drawn(tab);
        ASSERT_EQ(again.size(), fresh.size());
        EXPECT_LT(differing(fresh, again), fresh.size() / 4 / 100) << "tab " << tab;
    }
}

// Seen from high above, the inner field fills the loop, whole, without covering the
// road, whichever way round the loop was laid.
TEST_F(EngineFrames, InnerFieldFillsTheLoopInBothDirections) {
    for (bool clockwise : {false, true}) {
        app->selectTab(TAB_PLAY);
        layLoop(7, 22, clockwise);
        createAndLookDown(clockwise ? 20u : 10u);
        ASSERT_EQ(app->render(), S_OK);
        expectGolden(clockwise ? "overhead-clockwise" : "overhead-counter-clockwise");
    }
}

// A star with deep notches: round the notches the border bends away from where a fan
// would spread from, and the field must still stop at the road's inner edge.
TEST_F(EngineFrames, InnerFieldOfAConcaveCourseStaysOffTheRoad) {
    std::vector<std::pair<float, float>> star;
    for (int i = 0; i < 10; ++i) {
        const double a = 2 * M_PI * i / 10;
        const float r = i % 2 == 0 ? 22.0f : 12.0f;
        star.emplace_back(r * static_cast<float>(std::cos(a)), r * static_cast<float>(std::sin(a)));
    }
    layPoints(star);
    createAndLookDown(30u);
    ASSERT_EQ(app->render(), S_OK);
    expectGolden("overhead-concave");
}

// A laid point's dot was drawn with its corner on the click, half a dot (6 pixels) right
// of and below the point laid; its middle is on the click, wherever the click is.
TEST_F(EngineFrames, ALaidDotIsDrawnRoundTheClick) {
    app->selectTab(TAB_COURSE);
    const std::uint8_t clear[3] = {0x44, 0x44, 0x44};
    for (const auto& [x, y] : {std::pair{200, 150}, std::pair{420, 330}}) {
        app->edit.addPoint(x, y);
        app->frameMove();
        ASSERT_EQ(app->render(), S_OK);
        const Box dot = pixelsUnlike(clear, x - 30, y - 30, x + 30, y + 30);
        ASSERT_GE(dot.right, dot.left) << "no dot drawn at " << x << ", " << y;
        EXPECT_NEAR((dot.left + dot.right) / 2.0, x, 1.0) << dot.left << " to " << dot.right;
        EXPECT_NEAR((dot.top + dot.bottom) / 2.0, y, 1.0) << dot.top << " to " << dot.bottom;
    }
}

// The preview's lines of numbers were cut off 300 pixels from the left; they run on to
// the view's edge.
TEST_F(EngineFrames, PreviewTextIsNotCutShort) {
    app->selectTab(TAB_PREVIEW);
    app->frameMove();
    ASSERT_EQ(app->render(), S_OK);
    const std::uint8_t clear[3] = {0xCC, 0xCC, 0xEE};
    const Box beyond = pixelsUnlike(clear, 302, 8, kWidth, 40);
    EXPECT_GE(beyond.right, 340) << "the camera's position ends at " << beyond.right;
}

} // namespace

// Ten thousand placements of five meshes over the road, each at a spot of its own (
// coinciding surfaces would be drawn in list order), seen from the road behind them:
// what drawing many objects at once must keep looking the same. Most lie out of view.
TEST_F(EngineFrames, TenThousandPlacementsOfFiveMeshes) {
    layLoop(7, 12, false);
    const auto item = reinterpret_cast<HTREEITEM>(std::uintptr_t{1});
    ASSERT_EQ(app->createCourse(item), S_OK);
    app->selectCourse(item);
    LSession_t session;
    app->fillSession(session);
    const CCourseTrack& track = *app->editor.current()->track;
    constexpr std::array kMeshes = {"ball.x", "box.x", "cone.x", "car.x", "box-binary.x"};
    constexpr int kPlacements = 10000;
    constexpr int kClearAhead = 12; // samples ahead of the camera left empty
    const int samples = track.sampleCount() - kClearAhead;
    const int lanes = (kPlacements + samples - 1) / samples;
    for (int k = 0; k < kPlacements; ++k) {
        const int sample = kClearAhead + k % samples;
        const auto [right, left] = track.pair(ROAD_STRIP, sample);
        // -1 to 1: from edge to edge of the road.
        const float across =
            2.0f * static_cast<float>(k / samples) / static_cast<float>(lanes - 1) - 1.0f;
        const D3DXVECTOR3 at = (right + left) * 0.5f + (right - left) * (0.5f * across);
        SessionXfile mesh{};
        mesh.x = at.z; // the track's x and z are the world's z and x
        mesh.y = at.y;
        mesh.z = at.x;
        mesh.yaw = 0.01f * static_cast<float>(k % 200);
        mesh.radius = 1;
        std::snprintf(mesh.name, sizeof mesh.name, "%s", kMeshes[k % kMeshes.size()]);
        session.meshes.push_back(mesh);
    }
    session.item = reinterpret_cast<HTREEITEM>(std::uintptr_t{2});
    int number = 0;
    ASSERT_EQ(app->restoreSession(session, &number), S_OK);
    ASSERT_EQ(app->editor.current()->xfilePlacements.size(), std::size_t{kPlacements});
    app->editor.drive(nullptr); // the camera walks instead of following
    app->selectTab(TAB_PLACE);
    app->frameMove();
    app->frameMove();
    ASSERT_EQ(app->render(), S_OK);
    expectGolden("ten-thousand-placements");
}
