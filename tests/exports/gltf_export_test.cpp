// twx_export_gltf through the library: a whole file or none, and the reason why not.
#include <fstream>
#include <iterator>
#include <sys/stat.h>

#include "scene_folder.h"
#include "tumbleway/tumbleway_ext.h"

namespace {

const HTREEITEM kBall = SceneFolder::item(1);
const HTREEITEM kCourse = SceneFolder::item(10);
const std::string kOlderFile = "an older file that must stay whole";

std::string contentsOf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class GltfExport : public SceneFolder {
protected:
    int exportTo(const std::filesystem::path& file) {
        return twx_export_gltf(file.c_str(), why, sizeof why);
    }
    char why[256] = {};
};

} // namespace

TEST_F(GltfExport, ACourseIsWrittenWholeOverAnOlderFile) {
    push(xll_ui_push_xfile, "ball.x", kBall);
    layCourse(kCourse);
    place(kBall);
    const auto file = folder / "course.glb";
    std::ofstream(file) << kOlderFile;
    ASSERT_EQ(exportTo(file), TWX_OK) << why;
    EXPECT_STREQ(why, "");
    const std::string written = contentsOf(file);
    ASSERT_GT(written.size(), 20u);
    EXPECT_EQ(written.substr(0, 4), "glTF");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                            std::filesystem::directory_iterator()),
              2); // data/ and the export: no temporary file left
}

TEST_F(GltfExport, AnExportThatCannotBeWrittenSaysWhyAndLeavesWhatWasThere) {
    struct Case {
        const char* name;
        bool withCourse;
        std::filesystem::path target; // relative to the folder
        int expected;
        const char* saying;
    };
    const Case cases[] = {
        {"no course", false, "course.glb", TWX_NO_COURSE, "no course"},
        {"missing folder", true, "missing/course.glb", TWX_FAILED, ""},
        {"a folder in the way", true, "data", TWX_FAILED, ""},
        {"a FIFO in the way", true, "pipe.glb", TWX_FAILED, "FIFO"},
    };
    ASSERT_EQ(::mkfifo((folder / "pipe.glb").c_str(), 0600), 0);
    std::ofstream(folder / "course.glb") << kOlderFile;
    for (const Case& c : cases) {
        xll_OnButtonClearCourse();
        if (c.withCourse) {
            layCourse(kCourse);
        }
        const auto target = folder / c.target;
        EXPECT_EQ(exportTo(target), c.expected) << c.name;
        EXPECT_NE(std::string(why), "") << c.name;
        EXPECT_NE(std::string(why).find(c.saying), std::string::npos) << c.name << ": " << why;
        EXPECT_FALSE(std::filesystem::exists(folder / "missing")) << c.name;
    }
    EXPECT_EQ(contentsOf(folder / "course.glb"), kOlderFile);
    EXPECT_TRUE(std::filesystem::is_fifo(folder / "pipe.glb"));
    EXPECT_TRUE(std::filesystem::is_directory(folder / "data"));
}

TEST_F(GltfExport, TheReasonIsCutToTheRoomGivenAndNoPathIsRefused) {
    char shortRoom[6] = {'x', 'x', 'x', 'x', 'x', 'x'};
    EXPECT_EQ(twx_export_gltf((folder / "a.glb").c_str(), shortRoom, sizeof shortRoom),
              TWX_NO_COURSE);
    EXPECT_EQ(std::string(shortRoom), "there");
    EXPECT_EQ(twx_export_gltf(nullptr, why, sizeof why), TWX_BAD_ARGUMENT);
    EXPECT_EQ(twx_export_gltf((folder / "a.glb").c_str(), nullptr, 4), TWX_BAD_ARGUMENT);
    EXPECT_EQ(twx_export_gltf((folder / "a.glb").c_str(), nullptr, 0), TWX_NO_COURSE);
}
