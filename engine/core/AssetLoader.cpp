// The libraries of opened files and placing their contents on the course.
#include "core/AssetLoader.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <vector>

#include "assets/AssetLibrary.h"
#include "assets/AssetMessages.h"
#include "assets/mesh/MeasuredMesh.h"
#include "core/EditSession.h"
#include "core/SoundRelationService.h"
#include "d3dx9/d3dx9tex.h"
#include "render/HostView.h"
#include "render/Renderer.h"
#include "scene/CourseEditor.h"
#include "scene/ListElement.h"
#include "scene/Placements.h"
#include "tumbleway/NameField.h"
#include "win32/regular_file.h"

namespace {

// Finds a file the host opened, remembering its folder for later searches, and loads
// it with `load`. A file that is not found and one that does not load are one failure
// to the user, reported by name.
bool findAndLoad(AssetLibrary& assets, const LF_t& file, MissingFile kind,
                 const std::function<bool(const std::string& path)>& load) {
    const std::string name(nameFieldText(file.name));
    assets.rememberFolderOf(file);
    std::string path;
    if (!assets.resolve(name.c_str(), &path) || !load(path)) {
        reportMissingFile(kind, name.c_str());
        return false;
    }
    return true;
}

} // namespace

std::unique_ptr<BitmapBillboard> loadBillboard(const HostView& view, const std::string& path) {
    D3DCAPS9 caps{};
    if (view.device != nullptr) {
        view.device->GetDeviceCaps(&caps);
    }
    auto billboard = std::make_unique<BitmapBillboard>(view.device, caps);
    // A bitmap that does not load is kept as an untextured quad.
    (void)billboard->load(view.window, path);
    return billboard;
}

AssetLoader::AssetLoader(AssetLibrary& assets, CourseEditor& editor, EditSession& edit,
                         SoundRelationService& sounds, const HostView& view,
                         const Renderer& renderer)
    : assets(assets), editor(editor), edit(edit), sounds(sounds), view(view), renderer(renderer) {}

HRESULT AssetLoader::pushXfile(const LF_t& file, HTREEITEM item) {
    XfileEntry entry;
    if (!findAndLoad(assets, file, MissingFile::Xfile, [&](const std::string& path) {
            entry.path = path;
            MeshBounds bounds;
            entry.mesh = loadMeasuredMesh(view.device, path, &bounds);
            entry.radius = bounds.radius;
            entry.centre = bounds.centre;
            return entry.mesh != nullptr;
        })) {
        return E_FAIL;
    }
    setNameField(entry.name, nameFieldText(file.name));
    entry.item = item;
    const float radius = entry.radius;
    assets.add(std::move(entry));

    if (view.device != nullptr) {
        const D3DXMATRIX projection = renderer.meshPreviewProjection(radius);
        view.device->SetTransform(D3DTS_PROJECTION, &projection);
    }
    return S_OK;
}

HRESULT AssetLoader::pushBitmap(const LF_t& file, HTREEITEM item) {
    BitmapEntry entry;
    // A picture that does not decode would stand as an empty quad one pixel wide: it is
    // refused, by name, like one that is not found.
    if (!findAndLoad(assets, file, MissingFile::Bitmap, [&](const std::string& path) {
            D3DXIMAGE_INFO info{};
            if (FAILED(D3DXGetImageInfoFromFileA(path.c_str(), &info))) {
                return false;
            }
            entry.bitmap = loadBillboard(view, path);
            return true;
        })) {
        return E_FAIL;
    }
    setNameField(entry.name, nameFieldText(file.name));
    entry.item = item;
    assets.add(std::move(entry));
    return S_OK;
}

HRESULT AssetLoader::pushWav(const LF_t& file, HTREEITEM item) {
    SoundEntry entry;
    if (!findAndLoad(assets, file, MissingFile::Sound, [&](const std::string& path) {
            entry.sound = sounds.load(path);
            return entry.sound != nullptr;
        })) {
        return E_FAIL;
    }
    setNameField(entry.name, nameFieldText(file.name));
    entry.item = item;
    assets.add(std::move(entry));
    return S_OK;
}

void AssetLoader::assign() {
    if (editor.current() == nullptr) {
        return;
    }
    if (assets.currentXfile() != nullptr) {
        // Placed again, a file the course already holds shares that mesh.
        std::string path;
        SharedMeshes::Loaded loaded;
        if (!assets.resolve(assets.currentXfile()->name, &path) ||
            !(loaded = editor.current()->meshes.acquire(view.device, path)).mesh) {
            reportMissingFile(MissingFile::Xfile, assets.currentXfile()->name);
            return;
        }
        XfilePlacement placement;
        placement.mesh = std::move(loaded.mesh);
        placement.radius = loaded.radius;
        CSceneObject body;
        body.radius = placement.radius;
        body.yawOffset = 0;
        setNameField(placement.name, nameFieldText(assets.currentXfile()->name));
        auto& placements = editor.current()->xfilePlacements;
        placements.add(std::move(placement), body);
        placements.renumber(0);
        editor.drive(&placements.back());
        // Without a course under the camera the placement stays where it was put.
        (void)edit.placeXfileInFrontOfCamera();
    } else if (assets.currentBitmap() != nullptr) {
        std::string path;
        if (!assets.resolve(assets.currentBitmap()->name, &path)) {
            reportMissingFile(MissingFile::Bitmap, assets.currentBitmap()->name);
            return;
        }
        BitmapPlacement placement;
        placement.bitmap = loadBillboard(view, path);
        placement.halfWidth = placement.bitmap->halfWidth();
        placement.halfHeight = placement.bitmap->halfHeight();
        setNameField(placement.name, nameFieldText(assets.currentBitmap()->name));
        auto& placements = editor.current()->bitmapPlacements;
        placements.push_back(std::move(placement));
        renumber(placements, 0);
        editor.setLastBitmap(&placements.back());
        // Without a course under the camera the placement stays where it was put.
        (void)edit.placeBitmapInFrontOfCamera();
    }
}
