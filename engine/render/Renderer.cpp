// The frame's drawing, by tab: the course scene, the course editor or the preview.
#include "render/Renderer.h"

#include <cmath>

#include "assets/AssetLibrary.h"
#include "assets/BitmapBillboard.h"
#include "camera/CameraRig.h"
#include "course/CourseField.h"
#include "course/StripGrid.h"
#include "render/ViewFrustum.h"
#include "scene/CourseEditor.h"
#include "scene/Placements.h"
#include "simulation/MovementInput.h"

namespace {

constexpr D3DCOLOR kCourseSceneClear = 0x008888DD;
constexpr D3DCOLOR kCourseEditorClear = 0x00444444;
constexpr D3DCOLOR kPreviewClear = 0x00CCCCEE;
constexpr float kPreviewHeight = 1000.0f;
// How much of the ghost's own colour shows over what lies behind it.
constexpr D3DCOLOR kGhostOpacity = 0x66666666;

void clear(IDirect3DDevice9* device, D3DCOLOR colour) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, colour, 1.0f, 0);
}

// What the device's view and projection show as they stand.
ViewFrustum deviceFrustum(IDirect3DDevice9* device) {
    D3DXMATRIX view;
    D3DXMATRIX projection;
    device->GetTransform(D3DTS_VIEW, &view);
    device->GetTransform(D3DTS_PROJECTION, &projection);
    return ViewFrustum(view * projection);
}

// Whether a strip lies wholly outside the view, by the sphere about its box.
bool outOfView(const ViewFrustum& frustum, const StripGrid& strip) {
    const D3DXVECTOR3 half = (strip.highestCorner() - strip.lowestCorner()) * 0.5f;
    return frustum.excludes(strip.lowestCorner() + half, D3DXVec3Length(&half));
}

// Whether a bitmap lies wholly outside the view: its picture stands on its foot, as
// wide as twice its half width and as high as twice its half height, turned any way.
bool outOfView(const ViewFrustum& frustum, const BitmapPlacement& placement) {
    const D3DXVECTOR3 foot(placement.drawX, placement.drawY, placement.drawZ);
    return frustum.excludes(foot, std::hypot(placement.halfWidth, 2 * placement.halfHeight));
}

} // namespace

D3DXVECTOR3 billboardFacing(float heading) {
    return D3DXVECTOR3(-static_cast<float>(std::cos(M_PI * heading)), 0,
                       -static_cast<float>(std::sin(M_PI * heading)));
}

Renderer::Renderer(const HostView& view, CourseEditor& editor, const AssetLibrary& assets,
                   CameraRig& camera, const MovementInput& input)
    : view(view), editor(editor), assets(assets), camera(camera), input(input),
      playStartTime(timeGetTime()) {
    D3DXMatrixIdentity(&projectionMatrix);
    D3DXMatrixIdentity(&identityWorld);
}

Renderer::~Renderer() = default;

void Renderer::findDots(const std::string& bluePath, const std::string& greenPath) {
    dotBlue = std::make_unique<DotSprite>(bluePath);
    dotGreen = std::make_unique<DotSprite>(greenPath);
}

void Renderer::createDeviceObjects(const std::string& skyPicture) {
    if (dotBlue) {
        // A dot without its picture is drawn untextured.
        (void)dotBlue->createTexture(view.device);
        (void)dotGreen->createTexture(view.device);
    }
    sky = std::make_unique<SkyDome>(view.device);
    // A sky that cannot be built is not drawn.
    (void)sky->build();
    // A sky without its picture is drawn untextured.
    (void)sky->loadTexture(skyPicture);
}

HRESULT Renderer::restoreDeviceObjects() {
    setUpRenderState();
    return createFonts();
}

void Renderer::invalidateDeviceObjects() {
    fontLarge.reset();
    fontSmall.reset();
    fontTimer.reset();
    m_instances.release(); // a dynamic buffer goes with a lost device
}

void Renderer::deleteDeviceObjects() {
    invalidateDeviceObjects();
    sky.reset();
    if (dotBlue) {
        dotBlue->releaseDeviceObjects();
        dotGreen->releaseDeviceObjects();
    }
}

void Renderer::startPlayClock() {
    playStartTime = timeGetTime();
}

const D3DXMATRIX& Renderer::pictureProjection() const {
    const bool courseScene = view.tab == TAB_PLAY || view.tab == TAB_PLACE;
    return courseScene && sky ? sky->projection() : projectionMatrix;
}

HRESULT Renderer::render() {
    if (view.device == nullptr) {
        return E_FAIL;
    }
    switch (view.tab) {
    case TAB_PLAY:
    case TAB_PLACE:
        return renderCourseScene();
    case TAB_COURSE:
        return renderCourseEditor();
    case TAB_PREVIEW:
        return renderPreview();
    default:
        return S_OK; // an unknown tab draws nothing, not even the clear
    }
}

HRESULT Renderer::renderCourseScene() {
    clear(view.device, kCourseSceneClear);
    if (FAILED(view.device->BeginScene())) {
        return E_FAIL;
    }
    if (editor.current() == nullptr) {
        // An empty view would leave the user guessing what to do next.
        drawHint(kNoCourseHint);
        return view.device->EndScene();
    }
    LCourse_t& course = *editor.current();
    if (sky) {
        // The sky's projection stays in force for the rest of the frame.
        sky->draw(view.device, camera.eye(), material);
    }

    // Only what can show is drawn: with thousands of placements most lie behind the eye
    // or beside the view.
    const ViewFrustum frustum = deviceFrustum(view.device);
    const D3DXVECTOR3 facing = billboardFacing(input.heading());
    for (auto& placement : course.bitmapPlacements) {
        if (outOfView(frustum, placement)) {
            continue;
        }
        placement.bitmap->setPosition(placement.drawX, placement.drawY, placement.drawZ);
        placement.bitmap->face(facing.x, facing.y, facing.z);
        placement.bitmap->draw();
    }

    view.device->SetMaterial(&material);
    view.device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    view.device->SetRenderState(D3DRS_LIGHTING, TRUE);
    view.device->SetRenderState(D3DRS_DITHERENABLE, TRUE);
    if (course.stripsCreated) {
        for (auto& strip : course.strips) {
            if (outOfView(frustum, *strip)) {
                continue;
            }
            view.device->SetTransform(D3DTS_WORLD, &identityWorld);
            strip->draw();
        }
        if (course.field) {
            course.field->draw(view.device);
        }
    }

    drawPlacedMeshes(course, frustum);
    drawGhost();

    if (view.tab == TAB_PLAY) {
        drawPlayTimer();
    } else {
        drawPlaceText();
    }
    return view.device->EndScene();
}

void Renderer::drawPlacedMeshes(const LCourse_t& course, const ViewFrustum& frustum) {
    // The few meshes a course places, in the order first met, each with its bounds and
    // the world matrices of its placements in view this frame.
    for (MeshGroup& group : m_meshGroups) {
        group.worlds.clear();
    }
    std::size_t groups = 0;
    const auto groupOf = [&](MeshObject* mesh) -> MeshGroup& {
        for (std::size_t i = 0; i < groups; ++i) {
            if (m_meshGroups[i].mesh == mesh) {
                return m_meshGroups[i];
            }
        }
        if (groups == m_meshGroups.size()) {
            m_meshGroups.emplace_back();
        }
        MeshGroup& group = m_meshGroups[groups++];
        group.mesh = mesh;
        group.bounds = course.meshes.boundsOf(mesh);
        return group;
    };
    for (const auto& placement : course.xfilePlacements) {
        if (!placement.mesh) {
            continue;
        }
        const D3DXMATRIX& world = course.xfilePlacements.body(placement).world;
        MeshGroup& group = groupOf(placement.mesh.get());
        if (group.bounds == nullptr ||
            !frustum.excludes(group.bounds->centre, group.bounds->radius, world)) {
            group.worlds.push_back(world);
        }
    }
    view.device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    for (std::size_t i = 0; i < groups; ++i) {
        (void)m_instances.draw(view.device, *m_meshGroups[i].mesh, m_meshGroups[i].worlds);
    }
}

void Renderer::drawPreviewBitmap(BitmapBillboard& bitmap) {
    // Seen from five units before its foot, as the fixed preview camera looks, a bitmap
    // filled the view with a few units of its lower middle; and lit, its quad (which has
    // no normals) took only the ambient light times whatever material was set last, for
    // most meshes black. It is now looked at from as far before its middle as a mesh of
    // its size is, and drawn unlit, as the course draws it.
    bitmap.setPosition(0, kPreviewHeight, 0);
    const float radius = std::hypot(bitmap.halfWidth(), bitmap.halfHeight());
    const D3DXVECTOR3 middle(0, kPreviewHeight + bitmap.halfHeight(), 0);
    const D3DXVECTOR3 eye(0, middle.y, -3 * radius);
    const D3DXVECTOR3 up(0, 1, 0);
    D3DXMATRIX look;
    D3DXMatrixLookAtLH(&look, &eye, &middle, &up);
    view.device->SetTransform(D3DTS_VIEW, &look);
    const D3DXMATRIX projection = meshPreviewProjection(radius);
    view.device->SetTransform(D3DTS_PROJECTION, &projection);
    view.device->SetRenderState(D3DRS_LIGHTING, FALSE);
    (void)bitmap.draw();
    view.device->SetRenderState(D3DRS_LIGHTING, TRUE);
}

void Renderer::rotatePreview(float aboutX, float aboutY) {
    previewRotX += aboutX;
    previewRotY += aboutY;
}

void Renderer::showGhost(int mesh, const D3DXMATRIX& world) {
    m_ghostMesh = mesh;
    m_ghostWorld = world;
}

void Renderer::drawGhost() {
    const XfilePlacement* placement = m_ghostMesh < 0 ? nullptr : editor.meshAt(m_ghostMesh);
    if (placement == nullptr || !placement->mesh) {
        return;
    }
    // Blended with a constant factor, whatever the mesh's materials say, and without
    // writing depth, so that the live object is seen through its ghost and the other
    // way round.
    view.device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    view.device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_BLENDFACTOR);
    view.device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVBLENDFACTOR);
    view.device->SetRenderState(D3DRS_BLENDFACTOR, kGhostOpacity);
    view.device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    view.device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    view.device->SetTransform(D3DTS_WORLD, &m_ghostWorld);
    placement->mesh->render(view.device, true, true);
    view.device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    view.device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
}

HRESULT Renderer::renderCourseEditor() {
    clear(view.device, kCourseEditorClear);
    if (FAILED(view.device->BeginScene())) {
        return E_FAIL;
    }
    // The projection a click lays a point through, whatever the last tab drew with.
    view.device->SetTransform(D3DTS_PROJECTION, &projectionMatrix);
    view.device->SetMaterial(&material);
    const auto drawDots = [](DotSprite* dot, const std::list<LPoint_t>& points) {
        for (const auto& point : points) {
            dot->setPosition(point.x, point.y);
            dot->draw();
        }
    };
    if (dotBlue && dotGreen) {
        if (editor.current() != nullptr) {
            drawDots(dotBlue.get(), editor.current()->dottedTrace);
            drawDots(dotGreen.get(), editor.current()->dottedPoints);
        }
        // The points being laid for the next create, over a current course as well.
        drawDots(dotGreen.get(), editor.laidPoints().dotted());
    }
    drawPlaceText();
    if (editor.current() == nullptr && editor.laidPoints().dotted().empty()) {
        drawHint(kLayPointsHint);
    }
    return view.device->EndScene();
}

HRESULT Renderer::renderPreview() {
    D3DXMATRIX rotateX;
    D3DXMATRIX rotateY;
    D3DXMatrixRotationX(&rotateX, previewRotX);
    D3DXMatrixRotationY(&rotateY, previewRotY);
    const D3DXMATRIX rotation = rotateX * rotateY;
    diagVector.x = previewRotY;
    clear(view.device, kPreviewClear);
    if (FAILED(view.device->BeginScene())) {
        return E_FAIL;
    }
    view.device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    view.device->SetRenderState(D3DRS_LIGHTING, TRUE);
    camera.lookFromPreview();
    // A projection of its own, whatever the last tab drew with.
    const XfileEntry* shown = assets.currentXfile();
    const D3DXMATRIX projection =
        shown != nullptr ? meshPreviewProjection(shown->radius) : projectionMatrix;
    view.device->SetTransform(D3DTS_PROJECTION, &projection);
    if (shown != nullptr && shown->mesh) {
        // Far enough back to see the whole mesh.
        D3DXMATRIX setBack;
        D3DXMatrixTranslation(&setBack, 0, 0, 3 * shown->radius);
        view.device->SetTransform(D3DTS_VIEW, &setBack);
        // Turned about the centre of its bounding sphere, which the view is set back
        // from: a mesh built beside its origin stays whole in the picture.
        const D3DXVECTOR3& centre = shown->centre;
        D3DXMATRIX toCentre;
        D3DXMatrixTranslation(&toCentre, -centre.x, -centre.y, -centre.z);
        const D3DXMATRIX world = toCentre * rotation;
        view.device->SetTransform(D3DTS_WORLD, &world);
        shown->mesh->render(view.device, true, true);
    }
    for (auto& entry : assets.bitmaps()) {
        if (&entry == assets.currentBitmap() && entry.bitmap) {
            drawPreviewBitmap(*entry.bitmap);
        }
    }
    drawPreviewText();
    return view.device->EndScene();
}
