#pragma once

#include <memory>
#include <string>

#include "assets/BitmapBillboard.h"
#include "d3d9/d3d9.h"
#include "scene/Course.h"

class AssetLibrary;
class CourseEditor;
class EditSession;
class Renderer;
class SoundRelationService;
struct HostView;

// A bitmap billboard of the picture at path on the host's device; one that does not
// load is kept as an untextured quad.
std::unique_ptr<BitmapBillboard> loadBillboard(const HostView& view, const std::string& path);

// Opens the files the host chooses into the libraries (found through the asset search
// and reported by name when they are missing or do not load), and places the
// library's current mesh or bitmap on the current course in front of the camera.
class AssetLoader {
public:
    AssetLoader(AssetLibrary& assets, CourseEditor& editor, EditSession& edit,
                SoundRelationService& sounds, const HostView& view, const Renderer& renderer);

    [[nodiscard]] HRESULT pushXfile(const LF_t& file, HTREEITEM item);
    [[nodiscard]] HRESULT pushBitmap(const LF_t& file, HTREEITEM item);
    [[nodiscard]] HRESULT pushWav(const LF_t& file, HTREEITEM item);
    // Places the current library mesh, else the current bitmap, on the current course.
    void assign();

private:
    AssetLibrary& assets;
    CourseEditor& editor;
    EditSession& edit;
    SoundRelationService& sounds;
    const HostView& view;
    const Renderer& renderer;
};
