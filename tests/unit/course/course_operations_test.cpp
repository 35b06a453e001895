#include "support/EngineAppPeer.h"
#include <cmath>
#include <gtest/gtest.h>

#include "course/CourseField.h"
#include "course/CourseSpline.h"
#include "course/CourseTrack.h"
#include "course/StripGrid.h"
#include "support/Bodies.h"
#include "support/EngineFixture.h"

namespace {

D3DXVECTOR3 roadCentreWorld(const CCourseTrack& track, int i) {
    const auto [right, left] = track.pair(3, i);
    const D3DXVECTOR3 m = (right + left) * 0.5f;
    return {m.z, m.y, m.x};
}

// Even-odd test of a ground point against the loop of the road's centreline.
bool insideLoop(const CCourseTrack& track, float x, float z) {
    bool inside = false;
    const int n = track.sampleCount();
    for (int i = 0, j = n - 1; i < n; j = i++) {
        const D3DXVECTOR3 a = roadCentreWorld(track, i);
        const D3DXVECTOR3 b = roadCentreWorld(track, j);
        if ((a.z > z) != (b.z > z) && x < (b.x - a.x) * (z - a.z) / (b.z - a.z) + a.x) {
            inside = !inside;
        }
    }
    return inside;
}

} // namespace

using CourseCreation = EngineFixture;

TEST_F(CourseCreation, ClickAtTheViewCentreLaysAPointAtTheOrigin) {
    app->selectTab(TAB_COURSE);
    clickInEditor(POINT{kWidth / 2, kHeight / 2});
    ASSERT_EQ(app->editor.laidPoints().calculated().size(), 1u);
    EXPECT_NEAR(app->editor.laidPoints().calculated().front().x, 0.0f, 1e-4f);
    EXPECT_NEAR(app->editor.laidPoints().calculated().front().z, 0.0f, 1e-4f);
    EXPECT_EQ(app->editor.laidPoints().dotted().front().x, kWidth / 2.0f);
    EXPECT_TRUE(app->editor.canCreate());
    // Screen right is world +x and screen up is world +z.
    clickInEditor(pixelOf(10, 20));
    EXPECT_NEAR(app->editor.laidPoints().calculated().back().x, 10.0f, 0.2f);
    EXPECT_NEAR(app->editor.laidPoints().calculated().back().z, 20.0f, 0.2f);
    EXPECT_EQ(app->editor.laidPoints().calculated().back().index, 1);
}

TEST_F(CourseCreation, ThreePointsGiveThreeThousandSamplesAndStripsOf152Rows) {
    LCourse_t& course = createLoopCourse(3, 30);
    EXPECT_EQ(course.track->sampleCount(), 3000);
    EXPECT_EQ(peek(*app).intInfo(), 3000);
    ASSERT_TRUE(course.stripsCreated);
    for (const auto& strip : course.strips) {
        EXPECT_EQ(strip->rows(), 152);
        EXPECT_EQ(strip->columns(), 2);
    }
    // Strip row 151 reads sample 3020 mod 3000 = 20, laid with x and z exchanged.
    const D3DXVECTOR3 expected = course.track->point(4, 20);
    const auto& v = course.strips[ROAD_STRIP]->vertex(151, 0);
    EXPECT_EQ(v.x, expected.z);
    EXPECT_EQ(v.y, expected.y);
    EXPECT_EQ(v.z, expected.x);
    EXPECT_EQ(course.strips[ROAD_STRIP]->texturePath(), peek(*app).roadTexturePath());
    EXPECT_EQ(course.strips[2]->texturePath(), peek(*app).edgeTexturePath());
    EXPECT_EQ(course.strips[0]->texturePath(), peek(*app).fieldTexturePath());
}

// The strips show three pictures, each loaded once and shared by the strips that show
// it; every strip has its picture after creation and after regeneration.
TEST_F(CourseCreation, StripsShowingOnePictureShareOneLoadedTexture) {
    LCourse_t& course = createLoopCourse(3, 30);
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass == 0 ? "created" : "regenerated");
        for (int k = 0; k < kStripCount; ++k) {
            ASSERT_NE(course.strips[k]->texture(), nullptr) << "strip " << k;
        }
        IDirect3DTexture9* field = course.strips[0]->texture();
        IDirect3DTexture9* edge = course.strips[2]->texture();
        for (int k : {1, 5, 6}) {
            EXPECT_EQ(course.strips[k]->texture(), field) << "strip " << k;
            EXPECT_EQ(course.strips[k]->texturePath(), peek(*app).fieldTexturePath());
        }
        EXPECT_EQ(course.strips[4]->texture(), edge);
        EXPECT_EQ(course.strips[4]->texturePath(), peek(*app).edgeTexturePath());
        EXPECT_NE(course.strips[ROAD_STRIP]->texture(), field);
        EXPECT_NE(course.strips[ROAD_STRIP]->texture(), edge);
        EXPECT_NE(field, edge);
        app->regenerateCurrentCourse();
    }
}

// Building a course decodes each of its pictures once: the road, edge and field
// pictures of the strips and the inner field's picture. Regenerating it makes its
// strips and field anew, and decodes the four again, no more.
TEST_F(CourseCreation, EachPictureIsDecodedOncePerBuild) {
    const std::size_t before = device->count("CreateTexture");
    createLoopCourse(3, 30);
    const std::size_t created = device->count("CreateTexture");
    EXPECT_EQ(created - before, 4u);
    app->regenerateCurrentCourse();
    EXPECT_EQ(device->count("CreateTexture") - created, 4u);
}

TEST_F(CourseCreation, SamplesFollowTheSplineWithZNegatedAndPitchSpread) {
    layLoop(4, 30, true); // laid clockwise on screen: the track keeps the laying order
    // Give the points inclines; a created course keeps them unbanked and undivided.
    float pitch = 10;
    for (auto& point : app->editor.laidPoints().calculated()) {
        point.pitch = pitch;
        pitch += 10;
    }
    ASSERT_EQ(app->createCourse(nextItem()), S_OK);
    const LCourse_t& course = app->editor.courseList().back();
    const auto& points = course.calculatedPoints;
    const CCourseTrack& track = *course.track;
    // Sample steps - 1 is t = 1 of segment 0: the second point, z negated.
    const auto second = std::next(points.begin());
    EXPECT_NEAR(track.samples()[999].x, second->x, 1e-3f);
    EXPECT_NEAR(track.samples()[999].z, -second->z, 1e-3f);
    // The first sample is one step into the first segment, not the first point.
    EXPECT_GT(std::abs(track.samples()[0].x - points.front().x), 1e-4f);
    // Pitch is spread linearly from each point toward the next.
    EXPECT_FLOAT_EQ(track.pitch(0), 10.0f);
    EXPECT_FLOAT_EQ(track.pitch(500), 15.0f);
    EXPECT_FLOAT_EQ(track.pitch(1000), 20.0f);
    EXPECT_FLOAT_EQ(track.pitch(3500), 40.0f - 30.0f * 500 / 1000);
}

TEST_F(CourseCreation, DottedTraceHoldsEveryTwentiethSample) {
    for (int n : {3, 6, 7}) {
        LCourse_t& course = createLoopCourse(n, 25);
        const int steps = course.dottedSpline->steps();
        const auto expected = static_cast<std::size_t>((n * steps + 19) / 20);
        EXPECT_EQ(course.dottedTrace.size(), expected) << n;
        app->selectTab(TAB_PLAY); // empties the working lists for the next loop
        // Leaves the course: the next loop's clicks on its dots would pick them.
        app->clearCourse();
    }
}

TEST_F(CourseCreation, TooFewPointsAreRefusedWithoutChange) {
    for (int n : {1, 2}) {
        app->selectTab(TAB_PLAY);
        layLoop(n, 20);
        EXPECT_EQ(app->createCourse(nextItem()), E_FAIL) << n;
        EXPECT_TRUE(app->editor.courseList().empty());
        EXPECT_EQ(app->editor.current(), nullptr);
        EXPECT_EQ(app->editor.laidPoints().dotted().size(), static_cast<std::size_t>(n));
    }
    app->selectTab(TAB_PLAY);
    EXPECT_EQ(app->createCourse(nextItem()), E_FAIL); // no point at all
}

TEST_F(CourseCreation, CreatingTwiceGivesTwoNumberedCoursesFromTheSamePoints) {
    layLoop(5, 30);
    const HTREEITEM first = nextItem();
    const HTREEITEM second = nextItem();
    ASSERT_EQ(app->createCourse(first), S_OK);
    ASSERT_EQ(app->createCourse(second), S_OK);
    ASSERT_EQ(app->editor.courseList().size(), 2u);
    EXPECT_EQ(app->editor.number(), 2);
    EXPECT_EQ(app->editor.current(), &app->editor.courseList().back());
    EXPECT_EQ(app->editor.courseList().front().number, 1);
    EXPECT_EQ(app->editor.courseList().back().number, 2);
    EXPECT_EQ(app->editor.courseList().back().treeItem, second);
    EXPECT_EQ(app->editor.courseList().front().calculatedPoints.size(),
              app->editor.courseList().back().calculatedPoints.size());
}

TEST_F(CourseCreation, SelectingByTreeItemUsesTheListPosition) {
    std::vector<HTREEITEM> items;
    layLoop(4, 30);
    for (int i = 0; i < 3; ++i) {
        items.push_back(nextItem());
        ASSERT_EQ(app->createCourse(items.back()), S_OK);
    }
    app->selectCourse(items[1]);
    EXPECT_EQ(app->editor.current(), &*std::next(app->editor.courseList().begin()));
    EXPECT_EQ(app->editor.number(), 2);
    app->selectCourse(reinterpret_cast<HTREEITEM>(0x7));
    EXPECT_EQ(app->editor.current(), nullptr);
}

TEST_F(CourseCreation, ClearForgetsTheCurrentCourseAndThePointsButKeepsCourses) {
    createLoopCourse();
    app->clearCourse();
    EXPECT_EQ(app->editor.current(), nullptr);
    EXPECT_TRUE(app->editor.laidPoints().dotted().empty());
    EXPECT_FALSE(app->editor.laidPoints().any());
    EXPECT_EQ(app->editor.courseList().size(), 1u);
    EXPECT_EQ(app->createCourse(nextItem()), E_FAIL);
}

// What the arrow keys drive and the camera follows is of the current course: a new
// course, or none, lets go of the mesh and bitmap of the course before. (The camera
// used to stay behind a mesh of the old course, far off the new one's road.)
TEST_F(CourseCreation, ANewCourseOrNoneLetsGoOfTheOldCoursesPlacements) {
    const HTREEITEM first = nextItem();
    LCourse_t& old = createLoopCourse(6, 30, false, first);
    app->editor.drive(&placeBody(*app, roadCentreWorld(*old.track, 40)));
    app->editor.setLastBitmap(&old.bitmapPlacements.emplace_back());
    LCourse_t& made = createLoopCourse(5, 60);
    EXPECT_EQ(app->editor.driven(), nullptr);
    EXPECT_EQ(app->editor.lastBitmap(), nullptr);
    app->selectTab(TAB_PLACE);
    app->frameMove();
    const D3DXVECTOR3 start = roadCentreWorld(*made.track, 0);
    EXPECT_NEAR(app->camera.eye().x, start.x, 1e-3f);
    EXPECT_NEAR(app->camera.eye().z, start.z, 1e-3f);

    app->selectCourse(first);
    ASSERT_NE(app->editor.driven(), nullptr);
    app->clearCourse();
    EXPECT_EQ(app->editor.driven(), nullptr);
    EXPECT_EQ(app->editor.lastBitmap(), nullptr);
}

TEST_F(CourseCreation, AfterSelectionTheCameraStandsOnTheRoadLookingAlongIt) {
    for (bool clockwise : {false, true}) {
        const HTREEITEM item = nextItem();
        app->selectTab(TAB_PLAY);
        LCourse_t& course = createLoopCourse(6, 30, clockwise, item);
        app->selectCourse(item);
        const D3DXVECTOR3 start = roadCentreWorld(*course.track, 0);
        const D3DXVECTOR3 ahead = roadCentreWorld(*course.track, 10);
        EXPECT_NEAR(app->camera.eye().x, start.x, 1e-3f);
        EXPECT_NEAR(app->camera.eye().z, start.z, 1e-3f);
        EXPECT_NEAR(app->camera.eye().y, start.y + 1.2f, 1e-3f);
        D3DXVECTOR3 look = app->camera.scanAtPoint() - app->camera.scanEyePoint();
        D3DXVECTOR3 along = ahead - start;
        look.y = along.y = 0;
        D3DXVec3Normalize(&look, &look);
        D3DXVec3Normalize(&along, &along);
        EXPECT_GT(D3DXVec3Dot(&look, &along), 0.999f);
        // The heading agrees with where the camera looks.
        EXPECT_NEAR(std::cos(M_PI * app->input.heading()), along.x, 1e-3);
        EXPECT_NEAR(std::sin(M_PI * app->input.heading()), along.z, 1e-3);
    }
}

TEST_F(CourseCreation, StartHeadingPointsAlongTheRoad) {
    LCourse_t& course = createLoopCourse(6, 30);
    D3DXVECTOR3 along = roadCentreWorld(*course.track, 20) - roadCentreWorld(*course.track, 0);
    along.y = 0;
    D3DXVec3Normalize(&along, &along);
    EXPECT_NEAR(std::cos(M_PI * app->input.heading()), along.x, 1e-4);
    EXPECT_NEAR(std::sin(M_PI * app->input.heading()), along.z, 1e-4);
}

TEST_F(CourseCreation, StripsFaceUpward) {
    for (bool clockwise : {false, true}) {
        app->selectTab(TAB_PLAY);
        LCourse_t& course = createLoopCourse(5, 30, clockwise);
        for (int k = 0; k < kStripCount; ++k) {
            const auto& strip = course.strips[k];
            const auto& idx = strip->indices();
            for (std::size_t t = 0; t + 2 < idx.size(); t += 3) {
                const auto& a = strip->vertices()[idx[t]];
                const auto& b = strip->vertices()[idx[t + 1]];
                const auto& c = strip->vertices()[idx[t + 2]];
                // Seen from above (y up, left-handed), a clockwise triangle is front
                // facing and survives counter-clockwise culling.
                const float cross = (b.x - a.x) * (c.z - a.z) - (b.z - a.z) * (c.x - a.x);
                ASSERT_LE(cross, 1e-3f)
                    << "clockwise=" << clockwise << " strip " << k << " triangle " << t / 3;
            }
        }
    }
}

TEST_F(CourseCreation, InnerFieldLiesInsideTheLoopAndOffTheRoadInBothDirections) {
    for (bool clockwise : {false, true}) {
        app->selectTab(TAB_PLAY);
        LCourse_t& course = createLoopCourse(7, 30, clockwise);
        const CCourseTrack& track = *course.track;
        ASSERT_FALSE(course.field->fans().empty());
        for (const auto& fan : course.field->fans()) {
            for (const auto& v : fan->vertices()) {
                // Inside the loop and off the road.
                float nearest = 1e30f;
                for (int i = 0; i < track.sampleCount(); i += 5) {
                    const D3DXVECTOR3 c = roadCentreWorld(track, i);
                    nearest = std::min(nearest, std::hypot(v.x - c.x, v.z - c.z));
                }
                // Off the road: farther from its centreline than its half width.
                ASSERT_GT(nearest, 20.0f) << "clockwise=" << clockwise;
                ASSERT_TRUE(insideLoop(track, v.x, v.z)) << "clockwise=" << clockwise;
            }
        }
    }
}

TEST_F(CourseCreation, TheWideFieldLiesOutsideTheLoopWhicheverWayItWasLaid) {
    for (bool clockwise : {false, true}) {
        app->selectTab(TAB_PLAY);
        LCourse_t& course = createLoopCourse(8, 20, clockwise);
        // A loop laid counter-clockwise on screen turns right in the track's own
        // coordinates, so the track runs it the other way round.
        EXPECT_EQ(course.track->laidReversed(), !clockwise);
        const CCourseTrack& track = *course.track;
        // Taken sample by sample, the narrow border wanders across the centreline
        // where the smoothed rows kink; the wide field's border never comes inside.
        int narrowInside = 0;
        int wideInside = 0;
        const int n = track.sampleCount();
        for (int i = 0; i < n; i += 7) {
            const D3DXVECTOR3 narrow = track.point(0, i);
            const D3DXVECTOR3 wide = track.point(7, i);
            narrowInside += insideLoop(track, narrow.z, narrow.x) ? 1 : 0;
            wideInside += insideLoop(track, wide.z, wide.x) ? 1 : 0;
        }
        const int checked = (n + 6) / 7;
        EXPECT_GT(narrowInside, checked * 8 / 10) << "clockwise=" << clockwise;
        EXPECT_EQ(wideInside, 0) << "clockwise=" << clockwise;
    }
}

TEST_F(CourseCreation, RegenerationKeepsCountsAndBanksTheEditedPoint) {
    LCourse_t& course = createLoopCourse(6, 30);
    const int samples = course.track->sampleCount();
    const int rows = course.strips[0]->rows();
    const std::size_t fans = course.field->fans().size();
    const float angleBefore = app->input.heading();
    course.calculatedPoints.front().pitch = 180; // half a turn after the division by 360
    app->regenerateCurrentCourse();
    EXPECT_EQ(course.track->sampleCount(), samples);
    EXPECT_EQ(course.strips[0]->rows(), rows);
    EXPECT_EQ(course.field->fans().size(), fans);
    EXPECT_EQ(peek(*app).intInfo(), samples);
    EXPECT_EQ(app->input.heading(), angleBefore); // regeneration keeps the heading
    // The first point's section, wherever the track keeps it.
    const int first = course.track->trackIndex(0);
    EXPECT_FLOAT_EQ(course.track->pitch(first), 0.5f);
    // A pitch of one half lifts the right side by 10 and lowers the left by 10.
    EXPECT_GT(course.track->point(4, first).y - course.track->point(3, first).y, 19.9f);
}
