#pragma once

#include <cstdint>
#include <string>

#include "d3d9/d3d9.h"
#include "scene/Course.h"

class CourseEditor;
class MovementInput;
class Renderer;
struct HostView;

// Whether a course build sets the heading to the direction of the course start.
enum class StartHeading { Set, Keep };

// Makes courses: one from the points being laid, the current one again after its
// points were edited, and the strips and inner field of any course from its track,
// textured with the road's, the edges' and the field's pictures it keeps the paths of.
class CourseBuilder {
public:
    CourseBuilder(CourseEditor& editor, MovementInput& input, const HostView& view,
                  Renderer& renderer);

    // Where the strips' pictures lie, found once the engine knows its folder.
    void findTextures(std::string road, std::string edge, std::string field);

    // A course of the laid points, current and listed under the tree item; E_FAIL when
    // too few points were laid since the last course or they make no track.
    [[nodiscard]] HRESULT create(HTREEITEM item);
    void regenerateCurrent();
    // Fills the strips and the inner field of a course from its track.
    void buildMeshes(LCourse_t& course, StartHeading heading);
    // The inner field's picture: the road's, by its full path so that it is found
    // wherever the file dialogs have moved the current directory since start-up.
    std::string fieldTextureName() const;

    // Fixed path of the road's picture, relative to the folder the engine started in.
    static constexpr const char* kRoadTexture = "./data/road.bmp";

private:
    friend class CEngineAppTestPeer; // what tests read that no user action shows
    void textureStrips(LCourse_t& course);
    // Texture of strip k: road in the middle, edges beside it, field outside.
    const std::string& stripTexturePath(int strip) const;

    CourseEditor& editor;
    MovementInput& input;
    const HostView& view;
    Renderer& renderer;
    std::string roadTexturePath;
    std::string edgeTexturePath;
    std::string fieldTexturePath;
    std::int32_t stripCount = kStripCount;
    std::int32_t roadStrip = ROAD_STRIP;
};
