#include <cmath>
#include <gtest/gtest.h>
#include <limits>

#include "core/SessionWriter.h"
#include "course/CourseTrack.h"
#include "support/AssetFixture.h"
#include "support/BodyOf.h"
#include "tumbleway/NameField.h"

namespace {

class Sessions : public AssetFixture {
protected:
    // A course with two meshes, a bitmap and a collision and a move relation.
    void buildScene() {
        EXPECT_EQ(app->library.pushXfile(fileRecord("ball.x"), treeItem(1)), S_OK);
        EXPECT_EQ(app->library.pushXfile(fileRecord("box.x"), treeItem(2)), S_OK);
        EXPECT_EQ(app->library.pushBitmap(fileRecord("tree.bmp"), treeItem(3)), S_OK);
        EXPECT_EQ(app->library.pushWav(fileRecord("hit.wav"), treeItem(4)), S_OK);
        EXPECT_EQ(app->library.pushWav(fileRecord("roll.wav"), treeItem(5)), S_OK);
        createLoopCourse(6, 30);
        app->selectTab(TAB_PLACE);
        for (auto item : {treeItem(1), treeItem(2)}) {
            app->assets.selectXfile(item);
            app->library.assign();
        }
        app->assets.selectBitmap(treeItem(3));
        app->library.assign();
        bodyOf(*app, *app->editor.driven()).yawOffset = 0.25f;
        // Collision: ball then box with hit.wav; movement: ball with roll.wav.
        app->assets.selectSound(treeItem(4));
        app->sounds.assign(true);
        app->assets.selectXfile(treeItem(1));
        app->assets.selectSound(treeItem(5));
        app->sounds.assign(false);
    }

    static std::string name(const char (&field)[kNameFieldSize]) {
        return std::string(nameFieldText(field));
    }
};

} // namespace

TEST_F(Sessions, WithoutACourseTheRecordStaysEmpty) {
    LSession_t session;
    app->fillSession(session);
    EXPECT_TRUE(session.dottedPoints.empty() && session.calculatedPoints.empty() &&
                session.meshes.empty() && session.bitmaps.empty() && session.sounds.empty() &&
                session.relations.empty());
}

TEST_F(Sessions, FillingCopiesTheCourseAndEmptyingFreesIt) {
    buildScene();
    ASSERT_EQ(app->editor.current()->relations.size(), 2u);
    LSession_t session;
    app->fillSession(session);
    EXPECT_EQ(session.dottedPoints.size(), 6u);
    EXPECT_EQ(session.calculatedPoints.size(), 6u);
    EXPECT_TRUE(session.dottedTrace.empty());
    ASSERT_EQ(session.meshes.size(), 2u);
    const SessionXfile& box = session.meshes.back();
    const XfilePlacement& placed = app->editor.current()->xfilePlacements.back();
    EXPECT_EQ(name(box.name), "box.x");
    EXPECT_EQ(box.x, bodyOf(*app, placed).stepPosition.x);
    EXPECT_EQ(box.yaw, 0.25f);
    EXPECT_EQ(box.radius, placed.radius);
    ASSERT_EQ(session.bitmaps.size(), 1u);
    EXPECT_EQ(session.bitmaps.front().x, app->editor.current()->bitmapPlacements.front().x);
    EXPECT_EQ(session.sounds.size(), 2u);
    ASSERT_EQ(session.relations.size(), 2u);
    EXPECT_EQ(name(session.relations.front().xfile2), "box.x");
    EXPECT_EQ(name(session.relations.back().xfile2), "0");

    emptySession(session);
    EXPECT_TRUE(session.meshes.empty() && session.bitmaps.empty() && session.sounds.empty() &&
                session.relations.empty() && session.calculatedPoints.empty() &&
                session.dottedPoints.empty());
}

TEST_F(Sessions, RestoringRebuildsAnEqualCourse) {
    buildScene();
    LSession_t saved;
    app->fillSession(saved);
    saved.item = treeItem(50);
    int number = 0;
    EXPECT_EQ(app->restoreSession(saved, &number), S_OK);
    EXPECT_EQ(number, 2);
    EXPECT_EQ(app->editor.number(), 2);
    LCourse_t& restored = app->editor.courseList().back();
    EXPECT_EQ(app->editor.current(), &restored);
    EXPECT_EQ(restored.treeItem, treeItem(50));
    EXPECT_EQ(restored.track->sampleCount(), app->editor.courseList().front().track->sampleCount());
    EXPECT_TRUE(restored.stripsCreated);
    EXPECT_EQ(app->editor.driven(), &restored.xfilePlacements.back());
    // Restored placements are numbered from 1 and keep their saved pose and radius.
    EXPECT_EQ(restored.xfilePlacements.front().id(), 1);
    EXPECT_EQ(restored.xfilePlacements.back().id(), 2);
    EXPECT_EQ(bodyOf(*app, restored.xfilePlacements.back()).yawOffset, 0.25f);
    EXPECT_EQ(restored.bitmapPlacements.front().id, 1);
    EXPECT_EQ(restored.collisionTable->lookup("ball.x", "box.x").wav, "hit.wav");
    EXPECT_EQ(restored.moveTable->lookup("ball.x", "0").wav, "roll.wav");
    EXPECT_EQ(restored.collisionTable->lookup("ball.x", "0").wav, "roll.wav");
    // The next course is laid from new clicks: both working lists start empty.
    EXPECT_TRUE(app->editor.laidPoints().dotted().empty());
    EXPECT_TRUE(app->editor.laidPoints().calculated().empty());

    LSession_t again;
    app->fillSession(again);
    ASSERT_EQ(again.meshes.size(), saved.meshes.size());
    EXPECT_EQ(again.meshes.front().x, saved.meshes.front().x);
    EXPECT_EQ(again.meshes.front().radius, saved.meshes.front().radius);
    EXPECT_EQ(again.sounds.size(), saved.sounds.size()); // opening does not multiply sounds
    EXPECT_EQ(again.relations.size(), saved.relations.size());
    EXPECT_TRUE(messages.empty());

    // Placements made afterwards renumber the list from 0.
    app->assets.selectXfile(treeItem(1));
    app->library.assign();
    EXPECT_EQ(restored.xfilePlacements.front().id(), 0);
}

TEST_F(Sessions, MissingFilesAreReportedAndOnlyTheirElementIsDropped) {
    LSession_t session;
    const auto addMesh = [&](const char* file, float x) {
        SessionXfile mesh{};
        setNameField(mesh.name, file);
        mesh.x = x;
        mesh.radius = 1;
        session.meshes.push_back(mesh);
    };
    addMesh("ball.x", 1);
    addMesh("absent.x", 2);
    addMesh("cone.x", 3);
    SessionBitmap bitmap{};
    setNameField(bitmap.name, "absent.bmp");
    session.bitmaps.push_back(bitmap);
    SessionSound sound{};
    setNameField(sound.name, "absent.wav");
    session.sounds.push_back(sound);
    for (const char* wav : {"hit.wav", "gone.wav", "roll.wav"}) {
        SessionRelation relation{};
        setNameField(relation.xfile1, "ball.x");
        setNameField(relation.xfile2, "cone.x");
        setNameField(relation.wavfile, wav);
        session.relations.push_back(relation);
    }
    int number = 0;
    EXPECT_EQ(app->restoreSession(session, &number), S_OK);
    const std::vector<std::string> expected = {
        "Tumble Way: Error cannot read X file. \n absent.x.",
        "Tumble Way: Error cannot read BMP file. \n absent.bmp.",
        "Tumble Way: Error cannot read Sound file. \n absent.wav.",
        "Tumble Way: Error cannot read Sound file. \n gone.wav."};
    EXPECT_EQ(messages, expected);
    LCourse_t& course = app->editor.courseList().back();
    ASSERT_EQ(course.xfilePlacements.size(), 2u);
    EXPECT_EQ(bodyOf(*app, course.xfilePlacements.back()).position.x, 3.0f);
    EXPECT_EQ(course.xfilePlacements.back().id(), 2);
    EXPECT_TRUE(course.bitmapPlacements.empty());
    ASSERT_EQ(course.relations.size(), 2u);
    EXPECT_EQ(name(course.relations.back().wavfile), "roll.wav");
    ASSERT_EQ(course.sounds.size(), 2u); // one for each relation kept
    // A record without a loop still becomes a numbered course, without a surface.
    EXPECT_EQ(number, 1);
    EXPECT_FALSE(course.stripsCreated);
}

TEST_F(Sessions, TwoRestoresGiveConsecutiveNumbers) {
    buildScene();
    LSession_t saved;
    app->fillSession(saved);
    int first = 0;
    int second = 0;
    EXPECT_EQ(app->restoreSession(saved, &first), S_OK);
    EXPECT_EQ(app->restoreSession(saved, &second), S_OK);
    EXPECT_EQ(second, first + 1);
    EXPECT_EQ(app->editor.courseList().size(), 3u);
}

// A record from any host may carry a NaN or an infinity; one in a course point made
// the whole surface NaN, one in a placement every body it met. The restore leaves such
// elements out, builds the course from the rest, and tells once how many it left out.
TEST_F(Sessions, ElementsWithNumbersThatAreNotFiniteAreLeftOut) {
    buildScene();
    LSession_t saved;
    app->fillSession(saved);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    saved.meshes.emplace_back(saved.meshes.front()).x = nan;
    saved.meshes.emplace_back(saved.meshes.front()).yaw = inf;
    saved.meshes.emplace_back(saved.meshes.front()).radius = -inf;
    saved.bitmaps.emplace_back(saved.bitmaps.front()).z = nan;
    std::next(saved.calculatedPoints.begin(), 2)->y = nan; // a height
    saved.dottedPoints.front().pitch = -inf;
    saved.dottedTrace.push_back({0, inf, 0, 0, 0, false});
    saved.item = treeItem(50);

    int number = 0;
    EXPECT_EQ(app->restoreSession(saved, &number), S_OK);
    EXPECT_EQ(messages,
              std::vector<std::string>{"Tumble Way: Left out 7 elements of the scene: a "
                                       "number in each is not finite (NaN or infinite)."});
    const LCourse_t& restored = app->editor.courseList().back();
    EXPECT_EQ(restored.xfilePlacements.size(), 2u);
    EXPECT_EQ(restored.bitmapPlacements.size(), 1u);
    EXPECT_EQ(restored.dottedPoints.size(), 5u);
    EXPECT_EQ(restored.calculatedPoints.size(), 5u);
    ASSERT_TRUE(restored.stripsCreated);
    for (const auto& strip : restored.strips) {
        for (const auto& v : strip->vertices()) {
            ASSERT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z));
        }
    }
    for (const LPoint_t& point : restored.dottedTrace) {
        ASSERT_TRUE(std::isfinite(point.x) && std::isfinite(point.y));
    }
}
