// The libraries of opened files and placing their contents on the course.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <vector>

#include "assets/mesh/MeasuredMesh.h"
#include "assets/sound/SoundManager.h"
#include "core/AssetMessages.h"
#include "core/EngineApp.h"
#include "d3dx9/d3dx9tex.h"
#include "tumbleway/NameField.h"
#include "win32/regular_file.h"

namespace {

constexpr float kFieldOfView = 0.7853982f;
constexpr float kFarPlanePerRadius = 50.0f;

// Walks a library for the entry of a tree item: entries passed over clear the
// library's current entry, the first match becomes it.
template <typename Entry>
Entry* findByItem(std::list<Entry>& library, HTREEITEM item, Entry** current) {
    for (auto& entry : library) {
        if (entry.item != item) {
            *current = nullptr;
            continue;
        }
        *current = &entry;
        return &entry;
    }
    return nullptr;
}

template <typename List>
void renumberFromZero(List& list) {
    std::int32_t id = 0;
    for (auto& element : list) {
        element.id = id++;
    }
}

} // namespace

bool CEngineApp::resolveAssetPath(const char* name, std::string* path) const {
    if (name == nullptr || *name == '\0' || std::strpbrk(name, "/\\") != nullptr) {
        return false;
    }
    std::vector<std::string> candidates = {baseDirectory + "/data/" + name,
                                           baseDirectory + "/" + name, std::string(name)};
    // Then the folders files were opened from and scenes were read in, so that a file
    // that opened is found again once the file dialogs have moved on.
    for (const std::string& folder : assetFolders) {
        candidates.push_back(folder + "/" + name);
    }
    for (const std::string& candidate : candidates) {
        // Only regular files count: a FIFO would make the search wait for a writer.
        if (isReadableRegularFile(candidate.c_str())) {
            // Kept absolute: the mesh is loaded again from it on a new device, by which
            // time the current folder may be another.
            *path = std::filesystem::absolute(candidate).string();
            return true;
        }
    }
    return false;
}

void CEngineApp::rememberAssetFolder(const std::string& folder) {
    std::error_code error;
    if (folder.empty() || !std::filesystem::is_directory(folder, error) ||
        std::find(assetFolders.begin(), assetFolders.end(), folder) != assetFolders.end()) {
        return;
    }
    assetFolders.push_back(folder);
}

void CEngineApp::rememberFolderOf(const LF_t& file) {
    const std::string path(nameFieldText(file.path));
    const auto slash = path.rfind('/');
    if (slash != std::string::npos) {
        rememberAssetFolder(slash == 0 ? "/" : path.substr(0, slash));
    }
}

std::unique_ptr<BitmapBillboard> CEngineApp::loadBillboard(const std::string& path) const {
    D3DCAPS9 caps{};
    if (device != nullptr) {
        device->GetDeviceCaps(&caps);
    }
    auto billboard = std::make_unique<BitmapBillboard>(device, caps);
    // A bitmap that does not load is kept as an untextured quad.
    (void)billboard->load(hwnd, path);
    return billboard;
}

std::unique_ptr<SoundObject> CEngineApp::loadSound(const std::string& path) const {
    auto sound = std::make_unique<SoundObject>(path.c_str(), soundManager.get());
    if (sound->load() != 0 && soundManager && soundManager->directSound() != nullptr) {
        return nullptr; // not a wave file the device can play
    }
    // Without a sound device nothing plays anyway; the sound is kept for when one is
    // there (a device made again).
    return sound;
}

HRESULT CEngineApp::pushXfile(const LF_t& file, HTREEITEM item) {
    const std::string name(nameFieldText(file.name));
    rememberFolderOf(file);
    std::string path;
    XfileEntry entry;
    // A file that is not found and one that does not load are one failure to the user.
    if (!resolveAssetPath(name.c_str(), &path) ||
        !(entry.mesh = loadMeasuredMesh(device, path, &entry.radius))) {
        reportMissingFile(MissingFile::Xfile, name.c_str());
        return E_FAIL;
    }
    setNameField(entry.name, name);
    entry.item = item;
    entry.path = path;
    const float radius = entry.radius;
    xfileLibrary.push_back(std::move(entry));
    renumberFromZero(xfileLibrary);

    // Far enough to see the whole of the mesh just opened.
    if (device != nullptr) {
        const float aspect = backBufferDesc.Height == 0
                                 ? 1.0f
                                 : static_cast<float>(backBufferDesc.Width) /
                                       static_cast<float>(backBufferDesc.Height);
        D3DXMATRIX projection;
        D3DXMatrixPerspectiveFovLH(&projection, kFieldOfView, aspect, 1.0f,
                                   kFarPlanePerRadius * radius);
        device->SetTransform(D3DTS_PROJECTION, &projection);
    }
    return S_OK;
}

HRESULT CEngineApp::pushBitmap(const LF_t& file, HTREEITEM item) {
    const std::string name(nameFieldText(file.name));
    rememberFolderOf(file);
    std::string path;
    // A picture that does not decode would stand as an empty quad one pixel wide: it is
    // refused here, by name, like one that is not found.
    D3DXIMAGE_INFO info{};
    if (!resolveAssetPath(name.c_str(), &path) ||
        FAILED(D3DXGetImageInfoFromFileA(path.c_str(), &info))) {
        reportMissingFile(MissingFile::Bitmap, name.c_str());
        return E_FAIL;
    }
    BitmapEntry entry;
    entry.bitmap = loadBillboard(path);
    setNameField(entry.name, name);
    entry.item = item;
    bitmapLibrary.push_back(std::move(entry));
    renumberFromZero(bitmapLibrary);
    return S_OK;
}

HRESULT CEngineApp::pushWav(const LF_t& file, HTREEITEM item) {
    const std::string name(nameFieldText(file.name));
    rememberFolderOf(file);
    std::string path;
    SoundEntry entry;
    if (!resolveAssetPath(name.c_str(), &path) || !(entry.sound = loadSound(path))) {
        reportMissingFile(MissingFile::Sound, name.c_str());
        return E_FAIL;
    }
    setNameField(entry.name, name);
    entry.item = item;
    soundLibrary.push_back(std::move(entry));
    renumberFromZero(soundLibrary);
    return S_OK;
}

void CEngineApp::selectXfile(HTREEITEM item) {
    XfileEntry* entry = findByItem(xfileLibrary, item, &currentXfile);
    if (entry == nullptr) {
        return;
    }
    if (firstPick == nullptr) {
        firstPick = entry;
    } else if (secondPick == nullptr) {
        secondPick = entry;
    }
    currentBitmap = nullptr;
}

void CEngineApp::selectBitmap(HTREEITEM item) {
    if (findByItem(bitmapLibrary, item, &currentBitmap) != nullptr) {
        currentXfile = nullptr;
    }
}

void CEngineApp::selectSound(HTREEITEM item) {
    findByItem(soundLibrary, item, &currentSound);
}

void CEngineApp::assign() {
    if (currentCourse == nullptr) {
        return;
    }
    if (currentXfile != nullptr) {
        // Placed again, a file the course already holds shares that mesh.
        std::string path;
        SharedMeshes::Loaded loaded;
        if (!resolveAssetPath(currentXfile->name, &path) ||
            !(loaded = currentCourse->meshes.acquire(device, path)).mesh) {
            reportMissingFile(MissingFile::Xfile, currentXfile->name);
            return;
        }
        XfilePlacement placement;
        placement.mesh = std::move(loaded.mesh);
        placement.radius = loaded.radius;
        placement.body = std::make_unique<CSceneObject>();
        placement.body->radius = placement.radius;
        placement.body->yawOffset = 0;
        setNameField(placement.name, nameFieldText(currentXfile->name));
        auto& placements = currentCourse->xfilePlacements;
        placements.push_back(std::move(placement));
        renumberFromZero(placements);
        lastXfilePlacement = &placements.back();
        // Without a course under the camera the placement stays where it was put.
        (void)placeXfileInFrontOfCamera();
    } else if (currentBitmap != nullptr) {
        std::string path;
        if (!resolveAssetPath(currentBitmap->name, &path)) {
            reportMissingFile(MissingFile::Bitmap, currentBitmap->name);
            return;
        }
        BitmapPlacement placement;
        placement.bitmap = loadBillboard(path);
        placement.halfWidth = placement.bitmap->halfWidth();
        placement.halfHeight = placement.bitmap->halfHeight();
        setNameField(placement.name, nameFieldText(currentBitmap->name));
        auto& placements = currentCourse->bitmapPlacements;
        placements.push_back(std::move(placement));
        renumberFromZero(placements);
        lastBitmapPlacement = &placements.back();
        // Without a course under the camera the placement stays where it was put.
        (void)placeBitmapInFrontOfCamera();
    }
}
