// The libraries of opened files and placing their contents on the course.
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "assets/AssetMessages.h"
#include "assets/sound/SoundManager.h"
#include "core/EngineApp.h"
#include "d3dx9/d3dx9mesh.h"
#include "tumbleway/NameField.h"

namespace {

constexpr const char* kMeshObjectName = "CD3DFile_Mesh";
constexpr DWORD kMeshFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;
// A mesh whose vertices cannot be measured still needs a body to collide with.
constexpr float kUnmeasuredRadius = 1.0f;
constexpr float kFieldOfView = 0.7853982f;
constexpr float kFarPlanePerRadius = 50.0f;

bool isReadable(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (file == nullptr) {
        return false;
    }
    std::fclose(file);
    return true;
}

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
    for (const std::string& candidate :
         {baseDirectory + "/data/" + name, baseDirectory + "/" + name, std::string(name)}) {
        if (isReadable(candidate)) {
            // Kept absolute: the mesh is loaded again from it on a new device, by which
            // time the current folder may be another.
            *path = std::filesystem::absolute(candidate).string();
            return true;
        }
    }
    return false;
}

std::unique_ptr<MeshObject> CEngineApp::loadMeasuredMesh(const std::string& path,
                                                         float* radius) const {
    auto mesh = std::make_unique<MeshObject>(kMeshObjectName);
    // A file that is found but does not load counts as not found.
    if (FAILED(mesh->create(device, path.c_str())) || mesh->systemMesh() == nullptr) {
        return nullptr;
    }
    mesh->setFVF(device, kMeshFvf);
    *radius = kUnmeasuredRadius;
    ID3DXMesh* system = mesh->systemMesh();
    ComPtr<IDirect3DVertexBuffer9> vertices;
    void* data = nullptr;
    if (SUCCEEDED(system->GetVertexBuffer(vertices.put())) &&
        SUCCEEDED(vertices->Lock(0, 0, &data, D3DLOCK_NOSYSLOCK))) {
        D3DXVECTOR3 centre;
        D3DXComputeBoundingSphere(static_cast<const D3DXVECTOR3*>(data), system->GetNumVertices(),
                                  D3DXGetFVFVertexSize(system->GetFVF()), &centre, radius);
        vertices->Unlock();
    }
    mesh->restoreDeviceObjects(device);
    return mesh;
}

std::unique_ptr<BitmapBillboard> CEngineApp::loadBillboard(const std::string& path) const {
    D3DCAPS9 caps{};
    if (device != nullptr) {
        device->GetDeviceCaps(&caps);
    }
    auto billboard = std::make_unique<BitmapBillboard>(device, caps);
    billboard->load(hwnd, path);
    return billboard;
}

std::unique_ptr<SoundObject> CEngineApp::loadSound(const std::string& path) const {
    auto sound = std::make_unique<SoundObject>(path.c_str(), soundManager.get());
    sound->load(); // a sound that does not load plays nothing
    return sound;
}

HRESULT CEngineApp::pushXfile(const LF_t& file, HTREEITEM item) {
    const std::string name(nameFieldText(file.name));
    std::string path;
    if (!resolveAssetPath(name.c_str(), &path)) {
        return E_FAIL;
    }
    XfileEntry entry;
    entry.mesh = loadMeasuredMesh(path, &entry.radius);
    if (!entry.mesh) {
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
    std::string path;
    if (!resolveAssetPath(name.c_str(), &path)) {
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
    std::string path;
    if (!resolveAssetPath(name.c_str(), &path)) {
        reportMissingFile(MissingFile::Sound, name.c_str());
        return E_FAIL;
    }
    SoundEntry entry;
    entry.sound = loadSound(path);
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
        std::string path;
        XfilePlacement placement;
        if (!resolveAssetPath(currentXfile->name, &path) ||
            !(placement.mesh = loadMeasuredMesh(path, &placement.radius))) {
            reportMissingFile(MissingFile::Xfile, currentXfile->name);
            return;
        }
        placement.body = std::make_unique<CSceneObject>();
        placement.body->radius = placement.radius;
        placement.body->yawOffset = 0;
        setNameField(placement.name, nameFieldText(currentXfile->name));
        placement.path = path;
        auto& placements = currentCourse->xfilePlacements;
        placements.push_back(std::move(placement));
        renumberFromZero(placements);
        lastXfilePlacement = &placements.back();
        placeXfileInFrontOfCamera();
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
        placeBitmapInFrontOfCamera();
    }
}
