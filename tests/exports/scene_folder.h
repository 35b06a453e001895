#pragma once

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "d3d9/recording_device.h"
#include "tumbleway/NameField.h"
#include "tumbleway/tumbleway.h"

// A host that sees the engine only through libTumbleway096.so, running in a scratch
// folder laid out as a user's: the data pictures and every sample file under data/, so
// assets are found by their names. Messages the engine shows are collected.
class SceneFolder : public ::testing::Test {
public:
    static HTREEITEM item(std::uintptr_t n) { return reinterpret_cast<HTREEITEM>(n); }

protected:
    void SetUp() override {
        home = std::filesystem::current_path();
        folder = std::filesystem::temp_directory_path() /
                 ("tw-export-" +
                  std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder / "data");
        for (const char* source : {"data", "samples/meshes", "samples/sounds", "samples/bitmaps"}) {
            for (const auto& file : std::filesystem::directory_iterator(home / source)) {
                std::filesystem::copy_file(file.path(), folder / "data" / file.path().filename(),
                                           std::filesystem::copy_options::skip_existing);
            }
        }
        std::filesystem::current_path(folder);
        SetMessageBoxHandler([this](const std::string& text, const std::string&, UINT) {
            messages.push_back(text);
            return IDOK;
        });
        xll_CAppForm();
        xll_OneTimeSceneInit(nullptr);
        xll_InitDeviceObjects(device.get());
        xll_RestoreDeviceObjects();
        xll_OnInitialUpdate(640, 480, nullptr);
    }

    void TearDown() override {
        xll_InvalidateDeviceObjects();
        xll_DeleteDeviceObjects();
        SetMessageBoxHandler({});
        std::filesystem::current_path(home);
        std::filesystem::remove_all(folder);
    }

    static void push(void (*pushExport)(LF_t*, HTREEITEM*), const char* name, HTREEITEM handle) {
        LF_t file{};
        setNameField(file.name, name);
        pushExport(&file, &handle);
    }

    // Clicks in the course editor at view pixel p; the host passes form pixels.
    static void click(POINT p) {
        xll_OnLButtonDown(0, POINT{p.x + 12, p.y + 28});
        xll_OnLButtonUp(0, POINT{p.x + 12, p.y + 28});
    }

    // Lays four points in the course editor and creates a course with the tree item. The
    // current course is left first: a click on one of its dots picks the dot instead of
    // laying a point.
    static void layCourse(HTREEITEM course) {
        xll_OnButtonClearCourse();
        xll_OnSelchangeTab(2);
        for (const POINT p : {POINT{320, 80}, POINT{520, 240}, POINT{320, 400}, POINT{120, 240}}) {
            click(p);
        }
        ASSERT_EQ(xll_OnButtonCreateCourse(course), 0);
        xll_setListCourse(course);
        xll_OnSelchangeTab(1);
    }

    // Places the library mesh of the tree item on the current course.
    static void place(HTREEITEM mesh) {
        xll_setListXfile(mesh);
        xll_OnAssign();
    }

    // The current course as the engine hands it out.
    static LSession_t session() {
        LSession_t filled;
        xll_app_get_Session_Iterator(&filled);
        LSession_t copy = filled;
        xll_app_delete_Session_Iterator(&filled);
        return copy;
    }

    std::filesystem::path home;
    std::filesystem::path folder;
    ComPtr<RecordingDevice> device = RecordingDevice::create(640, 480);
    std::vector<std::string> messages;
};
