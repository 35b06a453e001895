// The twx_ extension interface, through the library as a host uses it.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "scene_folder.h"
#include "tumbleway/tumbleway_ext.h"

namespace {

const HTREEITEM kBall = SceneFolder::item(1);
const HTREEITEM kCar = SceneFolder::item(2);
const HTREEITEM kHit = SceneFolder::item(4);
const HTREEITEM kCourse = SceneFolder::item(10);

class Extensions : public SceneFolder {
protected:
    // A course with the ball placed first and the car last.
    void placeBallAndCar() {
        push(xll_ui_push_xfile, "ball.x", kBall);
        push(xll_ui_push_xfile, "car.x", kCar);
        layCourse(kCourse);
        place(kBall);
        place(kCar);
    }
};

} // namespace

TEST(ExtensionsWithoutEngine, EveryCallAnswersThatThereIsNoEngine) {
    // A fresh process: the engine is made by xll_CAppForm only.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            TwxMeshPose pose{};
            float lift = 0;
            TwxCourseCheck check{};
            unsigned char pixels[16] = {};
            const bool all =
                twx_mesh_count() == TWX_NO_ENGINE && twx_get_mesh_pose(0, &pose) == TWX_NO_ENGINE &&
                twx_get_mesh_poses(&pose, 1) == TWX_NO_ENGINE &&
                twx_get_mesh_lift(0, &lift) == TWX_NO_ENGINE &&
                twx_set_controlled_mesh(0) == TWX_NO_ENGINE &&
                twx_get_heading(&lift) == TWX_NO_ENGINE && twx_set_heading(0) == TWX_NO_ENGINE &&
                twx_set_ghost(-1, nullptr) == TWX_NO_ENGINE &&
                twx_delete_course(nullptr) == TWX_NO_ENGINE &&
                twx_library_holds(nullptr) == TWX_NO_ENGINE &&
                twx_check_course(&check, nullptr, 0) == TWX_NO_ENGINE &&
                twx_draw_course_check(pixels, 2, 2) == TWX_NO_ENGINE &&
                twx_find_asset("ball.x", reinterpret_cast<char*>(pixels), 16) == TWX_NO_ENGINE &&
                twx_mesh_companions("ball.x", reinterpret_cast<char*>(pixels), 16) ==
                    TWX_NO_ENGINE &&
                twx_export_gltf("course.glb", nullptr, 0) == TWX_NO_ENGINE;
            std::exit(all ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(twx_interface_version(), TWX_INTERFACE_VERSION);
}

TEST_F(Extensions, TheLibraryHoldsOnlyFilesThatLoaded) {
    push(xll_ui_push_xfile, "ball.x", kBall);
    push(xll_ui_push_xfile, "missing.x", kCar);
    EXPECT_EQ(twx_library_holds(kBall), 1);
    EXPECT_EQ(twx_library_holds(kCar), 0);
}

TEST_F(Extensions, MeshesAreCountedPosedAndRaisedInListOrder) {
    EXPECT_EQ(twx_mesh_count(), 0);
    TwxMeshPose pose{};
    EXPECT_EQ(twx_get_mesh_pose(0, &pose), TWX_NO_COURSE);
    placeBallAndCar();
    ASSERT_EQ(twx_mesh_count(), 2);
    EXPECT_EQ(twx_get_mesh_pose(2, &pose), TWX_BAD_ARGUMENT);
    EXPECT_EQ(twx_get_mesh_pose(0, nullptr), TWX_BAD_ARGUMENT);

    // Drawn matrices lag the surface by a frame: let the body settle first.
    for (int frame = 0; frame < 3; ++frame) {
        xll_FrameMove();
    }
    ASSERT_EQ(twx_get_mesh_pose(1, &pose), TWX_OK);
    const float before = pose.y;
    EXPECT_EQ(pose.x, pose.world[12]);
    EXPECT_EQ(pose.z, pose.world[14]);

    EXPECT_EQ(twx_set_mesh_lift(1, 3.0f), TWX_OK);
    EXPECT_EQ(twx_set_mesh_lift(1, NAN), TWX_BAD_ARGUMENT);
    float lift = 0;
    ASSERT_EQ(twx_get_mesh_lift(1, &lift), TWX_OK);
    EXPECT_EQ(lift, 3.0f);
    xll_FrameMove();
    ASSERT_EQ(twx_get_mesh_pose(1, &pose), TWX_OK);
    EXPECT_NEAR(pose.y, before + 3.0f, 1e-4f);
}

// All the poses in one call are those asked for one by one, as far as the room given.
TEST_F(Extensions, AllPosesAtOnceAreEachMeshsPose) {
    TwxMeshPose poses[3] = {};
    EXPECT_EQ(twx_get_mesh_poses(poses, 3), TWX_NO_COURSE);
    placeBallAndCar();
    for (int frame = 0; frame < 3; ++frame) {
        xll_FrameMove();
    }
    EXPECT_EQ(twx_get_mesh_poses(nullptr, 1), TWX_BAD_ARGUMENT);
    EXPECT_EQ(twx_get_mesh_poses(poses, -1), TWX_BAD_ARGUMENT);
    EXPECT_EQ(twx_get_mesh_poses(nullptr, 0), 0);
    for (const int room : {1, 2, 3}) {
        TwxMeshPose all[3] = {};
        ASSERT_EQ(twx_get_mesh_poses(all, room), std::min(room, 2)) << room;
        for (int mesh = 0; mesh < std::min(room, 2); ++mesh) {
            TwxMeshPose one{};
            ASSERT_EQ(twx_get_mesh_pose(mesh, &one), TWX_OK);
            EXPECT_EQ(std::memcmp(&one, &all[mesh], sizeof one), 0) << "mesh " << mesh;
        }
    }
}

TEST_F(Extensions, ThePoseCarriesTheHeadingTheMeshIsDrawnWith) {
    placeBallAndCar();
    xll_FrameMove();
    TwxMeshPose straight{};
    ASSERT_EQ(twx_get_mesh_pose(1, &straight), TWX_OK);
    xll_WindowProc_WM_MOD_XFILE(WM_MOD_XFILE, 0, 90); // the car turned a quarter
    xll_FrameMove();
    TwxMeshPose turned{};
    ASSERT_EQ(twx_get_mesh_pose(1, &turned), TWX_OK);
    // The heading names the direction of the model's x axis, (cos(pi a), sin(pi a)).
    const double a = M_PI * turned.yaw;
    EXPECT_NEAR(std::cos(a) * turned.world[0] + std::sin(a) * turned.world[2],
                std::hypot(turned.world[0], turned.world[2]), 1e-5);
    const double turn = std::remainder(turned.yaw - straight.yaw, 2.0);
    EXPECT_NEAR(std::fabs(turn), 0.5, 1e-3);
}

TEST_F(Extensions, ChoosingACourseGivesTheArrowKeysItsLastPlacedMesh) {
    placeBallAndCar();
    EXPECT_EQ(twx_controlled_mesh(), 1);
    EXPECT_EQ(twx_set_controlled_mesh(0), TWX_OK);
    EXPECT_EQ(twx_controlled_mesh(), 0);
    EXPECT_EQ(twx_set_controlled_mesh(5), TWX_BAD_ARGUMENT);
    EXPECT_EQ(twx_controlled_mesh(), 0);

    // Opening the scene anew and choosing it, as the builder does, twice: once driven
    // with the arrow keys, once left alone.
    const LSession_t saved = session();
    const auto openAndPlay = [&saved](std::uintptr_t course, float push) {
        LSession_t record = saved;
        record.item = item(course);
        int number = 0;
        xll_ui_restore_session(&record, &number);
        xll_setListCourse(item(course));
        EXPECT_EQ(twx_controlled_mesh(), 1);
        xll_OnSelchangeTab(0);
        for (int frame = 0; frame < 10; ++frame) {
            xll_UpdateInputMovePlay(push);
            xll_FrameMove();
        }
        return session();
    };
    const LSession_t still = openAndPlay(11, 0);
    const LSession_t driven = openAndPlay(12, 100);
    EXPECT_NE(driven.meshes.back().x, still.meshes.back().x);

    EXPECT_EQ(twx_set_controlled_mesh(-1), TWX_OK);
    EXPECT_EQ(twx_controlled_mesh(), -1);
}

TEST_F(Extensions, DeletingPlacementsRelationsAndCoursesLeavesTheRestAsItWas) {
    placeBallAndCar();
    push(xll_ui_push_wav, "hit.wav", kHit);
    xll_setListXfile(kBall);
    xll_setListXfile(kCar);
    xll_setListSound(kHit);
    xll_OnButtonSoundAssign_Collision();
    ASSERT_EQ(session().relations.size(), 1u);

    EXPECT_EQ(twx_delete_mesh(2), TWX_BAD_ARGUMENT);
    EXPECT_EQ(twx_delete_mesh(0), TWX_OK);
    ASSERT_EQ(twx_mesh_count(), 1);
    EXPECT_EQ(nameFieldText(session().meshes.front().name), "car.x");
    EXPECT_EQ(twx_controlled_mesh(), 0); // the car stays controlled
    EXPECT_EQ(twx_delete_mesh(0), TWX_OK);
    EXPECT_EQ(twx_controlled_mesh(), -1);
    // Frames run on with nothing controlled.
    xll_OnSelchangeTab(0);
    xll_UpdateInputMovePlay(100);
    xll_FrameMove();

    EXPECT_EQ(twx_delete_relation(1), TWX_BAD_ARGUMENT);
    EXPECT_EQ(twx_delete_relation(0), TWX_OK);
    EXPECT_TRUE(session().relations.empty());

    EXPECT_EQ(twx_delete_course(item(99)), TWX_NOT_FOUND);
    EXPECT_EQ(twx_delete_course(kCourse), TWX_OK);
    EXPECT_EQ(twx_mesh_count(), 0);
    EXPECT_TRUE(session().calculatedPoints.empty());
    EXPECT_EQ(twx_delete_mesh(0), TWX_NO_COURSE);
    xll_FrameMove();
    xll_Render();
}

TEST_F(Extensions, DeletingTheCurrentCourseKeepsTheOthers) {
    HTREEITEM current = item(1);
    EXPECT_EQ(twx_current_course(&current), TWX_NO_COURSE);
    EXPECT_EQ(current, nullptr);
    EXPECT_EQ(twx_current_course(nullptr), TWX_BAD_ARGUMENT);
    layCourse(item(20));
    layCourse(item(21));
    ASSERT_EQ(twx_current_course(&current), TWX_OK);
    EXPECT_EQ(current, item(21));
    EXPECT_EQ(twx_delete_course(item(20)), TWX_OK);
    // The second course is still current and now numbered 1.
    EXPECT_EQ(session().calculatedPoints.size(), 4u);
    xll_setListCourse(item(21));
    EXPECT_EQ(session().calculatedPoints.size(), 4u);
    xll_setListCourse(item(20));
    EXPECT_TRUE(session().calculatedPoints.empty());
}

TEST_F(Extensions, OpeningASceneStartsTheLaidPointsAfresh) {
    layCourse(kCourse);
    LSession_t saved = session();
    saved.item = item(11);
    int number = 0;
    xll_ui_restore_session(&saved, &number);
    xll_setListCourse(item(11));
    EXPECT_EQ(twx_working_point_count(), 0);

    // Three clicks, then create: a course of those three, each dotted point with its
    // calculated one.
    xll_OnSelchangeTab(2);
    for (const POINT p : {POINT{200, 100}, POINT{440, 100}, POINT{440, 380}}) {
        click(p);
    }
    EXPECT_EQ(twx_working_point_count(), 3);
    ASSERT_EQ(xll_OnButtonCreateCourse(item(12)), 0);
    const LSession_t created = session();
    EXPECT_EQ(created.dottedPoints.size(), 3u);
    EXPECT_EQ(created.calculatedPoints.size(), 3u);
}

TEST_F(Extensions, ARestoredSceneTakesTheLiftOfEachOfItsMeshes) {
    placeBallAndCar();
    LSession_t saved = session();
    // A mesh between them whose file is gone: dropped, and its lift with it.
    SessionXfile missing = saved.meshes.front();
    setNameField(missing.name, "gone.x");
    saved.meshes.insert(std::next(saved.meshes.begin()), missing);
    const TwxMeshExtra lifts[3] = {{1.5f, 0.25f}, {9.0f, 0.0f}, {2.0f, 0.0f}};
    saved.item = item(11);
    int number = 0;
    EXPECT_EQ(twx_restore_session(nullptr, &number, lifts, 3), TWX_BAD_ARGUMENT);
    EXPECT_EQ(twx_restore_session(&saved, &number, nullptr, 3), TWX_BAD_ARGUMENT);
    ASSERT_EQ(twx_restore_session(&saved, &number, lifts, 3), TWX_OK);
    EXPECT_EQ(number, 2);
    xll_setListCourse(item(11));
    ASSERT_EQ(twx_mesh_count(), 2);
    float lift = 0;
    ASSERT_EQ(twx_get_mesh_lift(0, &lift), TWX_OK);
    EXPECT_EQ(lift, 1.5f);
    ASSERT_EQ(twx_get_mesh_lift(1, &lift), TWX_OK);
    EXPECT_EQ(lift, 2.0f);
    // The heading the first mesh kept from being driven comes back too.
    TwxMeshExtra back[2] = {};
    ASSERT_EQ(twx_get_course_extras(item(11), back, 2), 2);
    EXPECT_EQ(back[0].turn, 0.25f);
    EXPECT_EQ(messages.size(), 1u); // gone.x was reported
}

TEST_F(Extensions, ACourseIsPutBackAsItsRecordHoldsIt) {
    placeBallAndCar();
    layCourse(item(20)); // a second course, current
    LSession_t first;
    ASSERT_EQ(twx_get_course(kCourse, &first), 2);
    LSession_t kept = first;
    xll_app_delete_Session_Iterator(&first);
    TwxMeshExtra extras[2] = {};
    ASSERT_EQ(twx_get_course_extras(kCourse, extras, 2), 2);
    EXPECT_EQ(twx_course_position(kCourse), 0);
    EXPECT_EQ(twx_course_position(item(20)), 1);
    EXPECT_EQ(twx_course_position(item(99)), TWX_NOT_FOUND);

    // The first course loses a mesh, then gets it back from its record; the second
    // stays current all along.
    xll_setListCourse(kCourse);
    ASSERT_EQ(twx_delete_mesh(0), TWX_OK);
    xll_setListCourse(item(20));
    kept.item = kCourse;
    const TwxMeshExtra raised[2] = {{0, 0}, {1.5f, 0}};
    ASSERT_EQ(twx_replace_course(&kept, raised, 2), TWX_OK);
    HTREEITEM current = nullptr;
    twx_current_course(&current);
    EXPECT_EQ(current, item(20));
    EXPECT_EQ(twx_course_position(kCourse), 0);
    xll_setListCourse(kCourse);
    ASSERT_EQ(twx_mesh_count(), 2);
    float lift = 0;
    twx_get_mesh_lift(1, &lift);
    EXPECT_EQ(lift, 1.5f);

    // Taken away and put back at its place in the list.
    ASSERT_EQ(twx_delete_course(kCourse), TWX_OK);
    EXPECT_EQ(twx_course_position(item(20)), 0);
    EXPECT_EQ(twx_insert_course(5, &kept, nullptr, 0), TWX_BAD_ARGUMENT);
    ASSERT_EQ(twx_insert_course(0, &kept, nullptr, 0), TWX_OK);
    EXPECT_EQ(twx_course_position(kCourse), 0);
    EXPECT_EQ(twx_insert_course(0, &kept, nullptr, 0), TWX_BAD_ARGUMENT); // already there
    kept.item = item(77);
    EXPECT_EQ(twx_replace_course(&kept, nullptr, 0), TWX_NOT_FOUND);
    EXPECT_EQ(twx_replace_course(nullptr, nullptr, 0), TWX_BAD_ARGUMENT);
    EXPECT_EQ(twx_get_course(item(77), &first), TWX_NOT_FOUND);
    EXPECT_TRUE(messages.empty());
}

TEST_F(Extensions, ThePointsBeingLaidCanBeReadAndSetInPairs) {
    xll_OnSelchangeTab(2);
    click(POINT{100, 100});
    click(POINT{200, 100});
    LSession_t laid;
    ASSERT_EQ(twx_get_working_points(&laid), TWX_OK);
    ASSERT_EQ(laid.dottedPoints.size(), 2u);
    ASSERT_EQ(laid.calculatedPoints.size(), 2u);
    LSession_t points = laid;
    xll_app_delete_Session_Iterator(&laid);
    points.calculatedPoints.pop_back();
    EXPECT_EQ(twx_set_working_points(&points), TWX_BAD_ARGUMENT);
    points.dottedPoints.pop_back();
    ASSERT_EQ(twx_set_working_points(&points), TWX_OK);
    EXPECT_EQ(twx_working_point_count(), 1);
    click(POINT{200, 200});
    click(POINT{100, 200});
    // The point set back and the two new ones make a course.
    EXPECT_EQ(xll_OnButtonCreateCourse(item(30)), 0);
    EXPECT_EQ(session().calculatedPoints.size(), 3u);
}

TEST_F(Extensions, LibraryEntriesCanBeTakenBackAndFoldersAdded) {
    push(xll_ui_push_xfile, "ball.x", kBall);
    xll_setListXfile(kBall);
    EXPECT_EQ(twx_library_remove(kBall), TWX_OK);
    EXPECT_EQ(twx_library_holds(kBall), 0);
    EXPECT_EQ(twx_library_remove(kBall), TWX_NOT_FOUND);
    // Nothing points at the entry any more: assigning now places nothing.
    layCourse(kCourse);
    xll_OnAssign();
    EXPECT_EQ(twx_mesh_count(), 0);

    const std::filesystem::path elsewhere = folder / "elsewhere";
    std::filesystem::create_directories(elsewhere);
    std::filesystem::copy_file(folder / "data" / "ball.x", elsewhere / "far.x");
    EXPECT_EQ(twx_add_asset_folder("relative/folder"), TWX_BAD_ARGUMENT);
    EXPECT_EQ(twx_add_asset_folder(nullptr), TWX_BAD_ARGUMENT);
    char path[512];
    EXPECT_EQ(twx_find_asset("far.x", path, sizeof path), TWX_NOT_FOUND);
    ASSERT_EQ(twx_add_asset_folder(elsewhere.c_str()), TWX_OK);
    const std::string far = (elsewhere / "far.x").string();
    EXPECT_EQ(twx_find_asset("far.x", path, sizeof path), static_cast<int>(far.size()));
    EXPECT_EQ(std::string(path), far);
    EXPECT_EQ(twx_find_asset("far.x", path, 4), TWX_BAD_ARGUMENT);
    EXPECT_EQ(twx_find_asset("../far.x", path, sizeof path), TWX_NOT_FOUND);
    push(xll_ui_push_xfile, "far.x", kCar);
    EXPECT_EQ(twx_library_holds(kCar), 1);
}

// ---- The course check ----

TEST_F(Extensions, TheCourseCheckWantsACourseAndRoomForWhatItHandsOut) {
    TwxCourseCheck check{};
    TwxFinding finding{};
    std::vector<unsigned char> pixels(64 * 48 * 4);
    EXPECT_EQ(twx_check_course(&check, nullptr, 0), TWX_NO_COURSE);
    EXPECT_EQ(twx_draw_course_check(pixels.data(), 64, 48), TWX_NO_COURSE);
    layCourse(kCourse);
    EXPECT_EQ(twx_check_course(nullptr, nullptr, 0), TWX_BAD_ARGUMENT);
    EXPECT_EQ(twx_check_course(&check, nullptr, 1), TWX_BAD_ARGUMENT);
    EXPECT_EQ(twx_check_course(&check, &finding, -1), TWX_BAD_ARGUMENT);
    EXPECT_EQ(twx_draw_course_check(nullptr, 64, 48), TWX_BAD_ARGUMENT);
    EXPECT_EQ(twx_draw_course_check(pixels.data(), 0, 48), TWX_BAD_ARGUMENT);
    EXPECT_EQ(twx_draw_course_check(pixels.data(), 64, -1), TWX_BAD_ARGUMENT);
    EXPECT_EQ(twx_draw_course_check(pixels.data(), 8193, 1), TWX_BAD_ARGUMENT);
    EXPECT_GE(twx_check_course(&check, nullptr, 0), 0);
}

TEST_F(Extensions, TheCheckOfAFigureEightHandsOutItsFindingsAsFarAsThereIsRoom) {
    // A bow tie: down the left, across to the top right, down the right and back across.
    xll_OnSelchangeTab(2);
    for (const POINT p : {POINT{120, 100}, POINT{120, 380}, POINT{520, 100}, POINT{520, 380}}) {
        click(p);
    }
    ASSERT_EQ(xll_OnButtonCreateCourse(kCourse), 0);
    xll_setListCourse(kCourse);

    TwxCourseCheck check{};
    const int found = twx_check_course(&check, nullptr, 0);
    ASSERT_GT(found, 1);
    EXPECT_EQ(check.findings, found);
    EXPECT_EQ(check.centrelineCrossings, 1);
    EXPECT_EQ(check.widestOffset, 227.0f);

    // One finding asked for: one written, the next left alone.
    std::vector<TwxFinding> findings(static_cast<std::size_t>(found) + 1, TwxFinding{-7, 0, 0, 0});
    EXPECT_EQ(twx_check_course(&check, findings.data(), 1), found);
    EXPECT_NE(findings[0].kind, -7);
    EXPECT_EQ(findings[1].kind, -7);
    EXPECT_EQ(twx_check_course(&check, findings.data(), found + 1), found);
    EXPECT_EQ(findings[static_cast<std::size_t>(found)].kind, -7);
    findings.pop_back();
    EXPECT_TRUE(
        std::is_sorted(findings.begin(), findings.end(),
                       [](const TwxFinding& a, const TwxFinding& b) { return a.kind < b.kind; }));
    EXPECT_EQ(std::count_if(
                  findings.begin(), findings.end(),
                  [](const TwxFinding& f) { return f.kind == TWX_FINDING_CENTRELINE_CROSSING; }),
              1);

    // The picture is opaque everywhere.
    std::vector<unsigned char> pixels(64 * 48 * 4, 0);
    EXPECT_EQ(twx_draw_course_check(pixels.data(), 64, 48), found);
    for (std::size_t i = 3; i < pixels.size(); i += 4) {
        ASSERT_EQ(pixels[i], 255) << "pixel " << i / 4;
    }
}

TEST_F(Extensions, TheHeadingIsReadAndSetAsTheTurnInputChangesIt) {
    placeBallAndCar();
    xll_OnSelchangeTab(0);
    ASSERT_EQ(twx_set_heading(0.25f), TWX_OK);
    xll_UpdateInputAnglePlay(1);
    float heading = 0;
    ASSERT_EQ(twx_get_heading(&heading), TWX_OK);
    EXPECT_FLOAT_EQ(heading, 0.252f);
    // Not wrapped: a recording hands back exactly what it read.
    ASSERT_EQ(twx_set_heading(7.75f), TWX_OK);
    ASSERT_EQ(twx_get_heading(&heading), TWX_OK);
    EXPECT_EQ(heading, 7.75f);
    EXPECT_EQ(twx_set_heading(std::nanf("")), TWX_BAD_ARGUMENT);
    EXPECT_EQ(twx_set_heading(INFINITY), TWX_BAD_ARGUMENT);
    EXPECT_EQ(twx_get_heading(nullptr), TWX_BAD_ARGUMENT);
    ASSERT_EQ(twx_get_heading(&heading), TWX_OK);
    EXPECT_EQ(heading, 7.75f);
}

TEST_F(Extensions, AGhostIsAPlacedMeshDrawnOnceMoreTranslucentWhereTheHostSays) {
    // In the course view of placing, where no text is drawn over the scene.
    placeBallAndCar();
    xll_FrameMove();
    const auto drawsOfAFrame = [this] {
        device->clearLog();
        xll_Render();
        return device->draws();
    };
    const std::size_t plain = drawsOfAFrame().size();

    float world[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 10, 20, 30, 1};
    ASSERT_EQ(twx_set_ghost(1, world), TWX_OK);
    const std::vector<DrawSnapshot> withGhost = drawsOfAFrame();
    ASSERT_GT(withGhost.size(), plain);
    std::size_t ghostDraws = 0;
    for (const DrawSnapshot& draw : withGhost) {
        // Vertices already in screen space (the marks drawn over the view) have no world.
        if ((draw.state.fvf & D3DFVF_POSITION_MASK) == D3DFVF_XYZRHW) {
            continue;
        }
        if (draw.world()._41 == 10 && draw.world()._42 == 20 && draw.world()._43 == 30) {
            ++ghostDraws;
            EXPECT_EQ(draw.renderState(D3DRS_ALPHABLENDENABLE), DWORD{TRUE});
            EXPECT_EQ(draw.renderState(D3DRS_ZWRITEENABLE), DWORD{FALSE});
        } else {
            EXPECT_EQ(draw.renderState(D3DRS_ALPHABLENDENABLE), DWORD{FALSE}) << draw.method;
        }
    }
    EXPECT_EQ(ghostDraws, withGhost.size() - plain);
    // Drawn after everything else, with depth written again afterwards.
    EXPECT_EQ(device->state().renderState(D3DRS_ZWRITEENABLE), DWORD{TRUE});

    // What cannot be drawn is refused and changes nothing.
    EXPECT_EQ(twx_set_ghost(2, world), TWX_BAD_ARGUMENT);
    EXPECT_EQ(twx_set_ghost(0, nullptr), TWX_BAD_ARGUMENT);
    world[13] = NAN;
    EXPECT_EQ(twx_set_ghost(0, world), TWX_BAD_ARGUMENT);
    EXPECT_EQ(drawsOfAFrame().size(), withGhost.size());

    // Looked up every frame: once the car is gone there is nothing to draw it with.
    ASSERT_EQ(twx_delete_mesh(1), TWX_OK);
    xll_FrameMove();
    const std::size_t ballOnly = drawsOfAFrame().size();
    place(kCar);
    xll_FrameMove();
    EXPECT_EQ(drawsOfAFrame().size(), withGhost.size());
    EXPECT_EQ(twx_set_ghost(-1, nullptr), TWX_OK);
    EXPECT_EQ(drawsOfAFrame().size(), plain);
    EXPECT_LT(ballOnly, plain);
}
