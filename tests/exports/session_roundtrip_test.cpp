// A host's whole save-and-open cycle through the exports and the XML file.
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "files/SimulationFile.h"
#include "scene_folder.h"

TEST_F(SceneFolder, ASavedSceneOpensAsAnEqualSecondCourse) {
    push(xll_ui_push_xfile, "ball.x", item(1));
    push(xll_ui_push_xfile, "car.x", item(2));
    push(xll_ui_push_bmp, "flag.bmp", item(3));
    push(xll_ui_push_wav, "hit.wav", item(4));

    layCourse(item(10));
    xll_setListXfile(item(1));
    xll_OnAssign();
    xll_setListXfile(item(2));
    xll_OnAssign();
    xll_WindowProc_WM_MOD_XFILE(WM_MOD_XFILE, 1, 45);
    xll_setListBmp(item(3));
    xll_OnAssign();
    xll_setListSound(item(4));
    xll_OnButtonSoundAssign_Collision(); // ball, then car
    for (int frame = 0; frame < 5; ++frame) {
        xll_FrameMove();
        xll_Render();
    }

    LSession_t saved;
    xll_app_get_Session_Iterator(&saved);
    ASSERT_TRUE(writeSimulationFile(saved, (folder / "scene.xml").string()));
    const LSession_t expected = saved;
    xll_app_delete_Session_Iterator(&saved);
    EXPECT_TRUE(saved.meshes.empty());

    LSession_t opened;
    ASSERT_TRUE(readSimulationFile("scene.xml", opened));
    opened.item = item(11);
    opened.built = 0;
    int number = 0;
    EXPECT_EQ(xll_ui_restore_session(&opened, &number), 0);
    EXPECT_EQ(number, 2);
    xll_setListCourse(item(11));

    LSession_t again;
    xll_app_get_Session_Iterator(&again);
    ASSERT_EQ(again.meshes.size(), 2u);
    ASSERT_EQ(again.bitmaps.size(), 1u);
    ASSERT_EQ(again.relations.size(), 1u);
    EXPECT_EQ(again.calculatedPoints.size(), expected.calculatedPoints.size());
    auto m = expected.meshes.begin();
    for (const SessionXfile& mesh : again.meshes) {
        EXPECT_EQ(nameFieldText(mesh.name), nameFieldText(m->name));
        // The XML file keeps six decimals.
        EXPECT_NEAR(mesh.x, m->x, 1e-5f);
        EXPECT_NEAR(mesh.z, m->z, 1e-5f);
        EXPECT_NEAR(mesh.yaw, m->yaw, 1e-6f);
        EXPECT_NEAR(mesh.radius, m->radius, 1e-5f);
        ++m;
    }
    EXPECT_NEAR(again.meshes.back().yaw, 0.25f, 1e-6f);
    EXPECT_NEAR(again.bitmaps.front().x, expected.bitmaps.front().x, 1e-5f);
    EXPECT_EQ(nameFieldText(again.relations.front().wavfile), "hit.wav");
    auto c = expected.calculatedPoints.begin();
    for (const LPoint_t& point : again.calculatedPoints) {
        EXPECT_NEAR(point.x, c->x, 1e-5f);
        EXPECT_NEAR(point.z, c->z, 1e-5f);
        ++c;
    }
    xll_app_delete_Session_Iterator(&again);
    EXPECT_TRUE(messages.empty());
}
