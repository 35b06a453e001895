// The frame's drawing, by tab: the course scene, the course editor or the preview.
#include <cmath>

#include "core/EngineApp.h"
#include "course/CourseField.h"
#include "course/StripGrid.h"

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

} // namespace

HRESULT CEngineApp::render() {
    if (device == nullptr) {
        return E_FAIL;
    }
    switch (tab) {
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

HRESULT CEngineApp::renderCourseScene() {
    clear(device, kCourseSceneClear);
    if (FAILED(device->BeginScene())) {
        return E_FAIL;
    }
    if (editor.current() == nullptr) {
        // An empty view would leave the user guessing what to do next.
        drawHint(kNoCourseHint);
        return device->EndScene();
    }
    LCourse_t& course = *editor.current();
    if (sky) {
        // The sky's projection stays in force for the rest of the frame.
        sky->draw(device, camera.eye(), material);
    }

    faceBillboardsAlongHeading();
    for (auto& placement : course.bitmapPlacements) {
        placement.bitmap->setPosition(placement.drawX, placement.drawY, placement.drawZ);
        placement.bitmap->face(billboardFacing.x, billboardFacing.y, billboardFacing.z);
        placement.bitmap->draw();
    }

    device->SetMaterial(&material);
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetRenderState(D3DRS_DITHERENABLE, TRUE);
    if (course.stripsCreated) {
        for (auto& strip : course.strips) {
            device->SetTransform(D3DTS_WORLD, &identityWorld);
            strip->draw();
        }
        if (course.field) {
            course.field->draw(device);
        }
    }

    for (auto& placement : course.xfilePlacements) {
        if (!placement.mesh) {
            continue;
        }
        device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
        device->SetTransform(D3DTS_WORLD, &course.xfilePlacements.body(placement).world);
        placement.mesh->render(device, true, true);
    }
    drawGhost();

    if (tab == TAB_PLAY) {
        drawPlayTimer();
    } else {
        drawPlaceText();
    }
    return device->EndScene();
}

void CEngineApp::faceBillboardsAlongHeading() {
    billboardFacing.x = -static_cast<float>(std::cos(M_PI * input.heading()));
    billboardFacing.z = -static_cast<float>(std::sin(M_PI * input.heading()));
}

void CEngineApp::rotatePreview(float aboutX, float aboutY) {
    previewRotX += aboutX;
    previewRotY += aboutY;
}

void CEngineApp::showGhost(int mesh, const D3DXMATRIX& world) {
    m_ghostMesh = mesh;
    m_ghostWorld = world;
}

void CEngineApp::drawGhost() {
    const XfilePlacement* placement = m_ghostMesh < 0 ? nullptr : meshAt(m_ghostMesh);
    if (placement == nullptr || !placement->mesh) {
        return;
    }
    // Blended with a constant factor, whatever the mesh's materials say, and without
    // writing depth, so that the live object is seen through its ghost and the other
    // way round.
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_BLENDFACTOR);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVBLENDFACTOR);
    device->SetRenderState(D3DRS_BLENDFACTOR, kGhostOpacity);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    device->SetTransform(D3DTS_WORLD, &m_ghostWorld);
    placement->mesh->render(device, true, true);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
}

HRESULT CEngineApp::renderCourseEditor() {
    clear(device, kCourseEditorClear);
    if (FAILED(device->BeginScene())) {
        return E_FAIL;
    }
    // The projection a click lays a point through, whatever the last tab drew with.
    device->SetTransform(D3DTS_PROJECTION, &projectionMatrix);
    device->SetMaterial(&material);
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
    return device->EndScene();
}

HRESULT CEngineApp::renderPreview() {
    D3DXMATRIX rotateX;
    D3DXMATRIX rotateY;
    D3DXMatrixRotationX(&rotateX, previewRotX);
    D3DXMatrixRotationY(&rotateY, previewRotY);
    const D3DXMATRIX rotation = rotateX * rotateY;
    diagVector.x = previewRotY;
    clear(device, kPreviewClear);
    if (FAILED(device->BeginScene())) {
        return E_FAIL;
    }
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    camera.lookFromPreview();
    // A projection of its own, whatever the last tab drew with.
    const XfileEntry* shown = assets.currentXfile();
    const D3DXMATRIX projection =
        shown != nullptr ? meshPreviewProjection(shown->radius) : projectionMatrix;
    device->SetTransform(D3DTS_PROJECTION, &projection);
    if (shown != nullptr && shown->mesh) {
        // Far enough back to see the whole mesh.
        D3DXMATRIX view;
        D3DXMatrixTranslation(&view, 0, 0, 3 * shown->radius);
        device->SetTransform(D3DTS_VIEW, &view);
        // Turned about the centre of its bounding sphere, which the view is set back
        // from: a mesh built beside its origin stays whole in the picture.
        const D3DXVECTOR3& centre = shown->centre;
        D3DXMATRIX toCentre;
        D3DXMatrixTranslation(&toCentre, -centre.x, -centre.y, -centre.z);
        const D3DXMATRIX world = toCentre * rotation;
        device->SetTransform(D3DTS_WORLD, &world);
        shown->mesh->render(device, true, true);
    }
    for (auto& entry : assets.bitmaps()) {
        if (&entry == assets.currentBitmap() && entry.bitmap) {
            entry.bitmap->setPosition(0, kPreviewHeight, 0);
            entry.bitmap->draw();
        }
    }
    drawPreviewText();
    return device->EndScene();
}
