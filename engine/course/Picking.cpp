// Mouse editing: laying course points, selecting and editing them, and picking and
// dragging placed objects along rays through the view.
#include <cmath>
#include <cstdint>

#include "assets/Placements.h"
#include "core/EngineApp.h"
#include "course/CoursePoints.h"

namespace {

constexpr float kDotHitRadiusSquared = 40.0f;
constexpr float kDotCentreOffset = 5.0f;
constexpr float kGroundDistance = 100.0f;
constexpr float kPickPlaceDistance = 20.0f;
constexpr float kAssignPlaceDistance = 10.0f;
constexpr float kTestSegmentLength = 1000.0f;

D3DXVECTOR3 unit(const D3DXVECTOR3& v) {
    D3DXVECTOR3 out;
    D3DXVec3Normalize(&out, &v);
    return out;
}

float dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    return D3DXVec3Dot(&a, &b);
}

// Where the ray from origin along u meets a sphere's plane (normal u through centre),
// if the test segment reaches that plane; whether the sphere is hit there.
enum class SpherePick { Behind, Miss, Hit };

SpherePick pickSphere(const D3DXVECTOR3& origin, const D3DXVECTOR3& u, const D3DXVECTOR3& centre,
                      float radius) {
    const float offset = -dot(u, centre);
    const D3DXVECTOR3 end = origin + u * kTestSegmentLength;
    const float sideA = dot(u, origin) + offset;
    const float sideB = dot(u, end) + offset;
    if (!(sideA * sideB < 0)) {
        return SpherePick::Behind;
    }
    const float along = dot(u, u);
    if (along == 0) {
        return SpherePick::Behind;
    }
    const D3DXVECTOR3 q = origin + u * (-sideA / along);
    const D3DXVECTOR3 apart = centre - q;
    return dot(apart, apart) < radius * radius ? SpherePick::Hit : SpherePick::Miss;
}

// Walks the placements in list order and selects the first whose sphere the ray hits.
// A placement behind the eye ends the walk with the previous selection kept; no hit
// clears it.
template <typename Placement, typename Sphere>
bool pickFirst(std::list<Placement>& placements, const D3DXVECTOR3& origin, const D3DXVECTOR3& u,
               Sphere sphereOf, Placement** selected) {
    for (auto& placement : placements) {
        D3DXVECTOR3 centre;
        float radius = 0;
        if (!sphereOf(placement, &centre, &radius)) {
            continue;
        }
        switch (pickSphere(origin, u, centre, radius)) {
        case SpherePick::Behind:
            return false;
        case SpherePick::Hit:
            *selected = &placement;
            return true;
        case SpherePick::Miss:
            break;
        }
    }
    *selected = nullptr;
    return false;
}

} // namespace

const D3DXMATRIX* CEngineApp::pickView() const {
    switch (tab) {
    case TAB_PLAY:
    case TAB_PLACE:
        return &viewMatrix;
    case TAB_COURSE:
        return &courseViewMatrix;
    default:
        return nullptr; // the preview has no view to pick through
    }
}

void CEngineApp::pickRay(float x, float y, const D3DXMATRIX& view, D3DXVECTOR3* direction,
                         D3DXVECTOR3* origin) const {
    const float width = static_cast<float>(backBufferDesc.Width);
    const float height = static_cast<float>(backBufferDesc.Height);
    const float vx = (2.0f * x / width - 1.0f) / projectionMatrix._11;
    const float vy = -(2.0f * y / height - 1.0f) / projectionMatrix._22;
    const float vz = 1.0f;
    D3DXMATRIX m;
    if (D3DXMatrixInverse(&m, nullptr, &view) == nullptr) {
        D3DXMatrixIdentity(&m);
    }
    *direction =
        D3DXVECTOR3(vx * m._11 + vy * m._21 + vz * m._31, vx * m._12 + vy * m._22 + vz * m._32,
                    vx * m._13 + vy * m._23 + vz * m._33);
    *origin = D3DXVECTOR3(m._41, m._42, m._43);
}

std::list<LPoint_t>& CEngineApp::editedDottedPoints() {
    return currentCourse != nullptr ? currentCourse->dottedPoints : workingDotted;
}

std::list<LPoint_t>& CEngineApp::editedCalculatedPoints() {
    return currentCourse != nullptr ? currentCourse->calculatedPoints : workingCalculated;
}

bool CEngineApp::checkSelectedPoint(POINT point) {
    bool hit = false;
    for (auto& dot : editedDottedPoints()) {
        dot.selected = false;
        const float dx = static_cast<float>(point.x) - (dot.x + kDotCentreOffset);
        const float dy = static_cast<float>(point.y) - (dot.y + kDotCentreOffset);
        if (dx * dx + dy * dy < kDotHitRadiusSquared) {
            dot.selected = true;
            hit = true;
        }
    }
    return hit;
}

int CEngineApp::modifyPoint(unsigned int wParam, long lParam) {
    pointMessagePending = true;
    auto& dotted = editedDottedPoints();
    for (const auto& dot : dotted) {
        if (dot.selected) {
            // Both values arrive as 32-bit signed integers in their message words.
            pointAccumulator[0] += static_cast<float>(static_cast<std::int32_t>(wParam));
            pointAccumulator[1] += static_cast<float>(static_cast<std::int32_t>(lParam));
            break;
        }
    }
    if (pointMessagePending) {
        pointMessagePending = false;
        auto& calculated = editedCalculatedPoints();
        auto c = calculated.begin();
        for (auto d = dotted.begin(); d != dotted.end() && c != calculated.end(); ++d, ++c) {
            if (!d->selected) {
                continue;
            }
            c->y = pointAccumulator[0];
            c->pitch = pointAccumulator[1];
            d->selected = false;
            if (currentCourse != nullptr) {
                regenerateCurrentCourse();
            }
            break;
        }
    }
    pointAccumulator[0] = pointAccumulator[1] = 0;
    return 0;
}

int CEngineApp::modifyXfile(unsigned int wParam, long lParam) {
    if (lastXfilePlacement == nullptr || !lastXfilePlacement->body) {
        return 0;
    }
    CSceneObject& body = *lastXfilePlacement->body;
    const float height = static_cast<float>(static_cast<std::int32_t>(wParam));
    const float degrees = static_cast<float>(static_cast<std::int32_t>(lParam));
    body.yawOffset = degrees / 180.0f;
    body.modelOffset = D3DXVECTOR3(0, height, 0);
    return 0;
}

bool CEngineApp::selectXfilePlacement(int x, int y, D3DXVECTOR3* direction, D3DXVECTOR3* origin) {
    const D3DXMATRIX* view = pickView();
    if (currentCourse == nullptr || view == nullptr) {
        return false;
    }
    D3DXVECTOR3 dir;
    D3DXVECTOR3 from;
    pickRay(static_cast<float>(x), static_cast<float>(y), *view, &dir, &from);
    lastPlacePoint = from + dir * kPickPlaceDistance;
    if (direction != nullptr) {
        *direction = dir;
    }
    if (origin != nullptr) {
        *origin = from;
    }
    const auto bodySphere = [](const XfilePlacement& p, D3DXVECTOR3* centre, float* radius) {
        if (!p.body) {
            return false;
        }
        *centre = p.body->position;
        *radius = p.body->radius / 2;
        return true;
    };
    return pickFirst(currentCourse->xfilePlacements, from, unit(dir), bodySphere,
                     &lastXfilePlacement);
}

bool CEngineApp::draggedPosition(int x, int y, const D3DXVECTOR3& current,
                                 D3DXVECTOR3* moved) const {
    const D3DXMATRIX* view = pickView();
    if (view == nullptr) {
        return false;
    }
    D3DXVECTOR3 dir;
    D3DXVECTOR3 from;
    pickRay(static_cast<float>(x), static_cast<float>(y), *view, &dir, &from);
    // The placement keeps its distance from the eye and moves on that sphere.
    const D3DXVECTOR3 toPlacement = current - from;
    *moved = from + unit(dir) * D3DXVec3Length(&toPlacement);
    return true;
}

HRESULT CEngineApp::dragXfilePlacement(int x, int y) {
    D3DXVECTOR3 moved;
    if (lastXfilePlacement == nullptr || !lastXfilePlacement->body ||
        !draggedPosition(x, y, lastXfilePlacement->body->position, &moved)) {
        return E_FAIL;
    }
    CSceneObject& body = *lastXfilePlacement->body;
    body.position = moved;
    body.stepPosition = moved;
    lastXfilePlacement->x = moved.x;
    lastXfilePlacement->y = moved.y;
    lastXfilePlacement->z = moved.z;
    return S_OK;
}

void CEngineApp::addPoint(int x, int y) {
    LPoint_t dot{};
    dot.x = static_cast<float>(x);
    dot.y = static_cast<float>(y);
    workingDotted.push_back(dot);

    D3DXVECTOR3 dir;
    D3DXVECTOR3 from;
    pickRay(static_cast<float>(x), static_cast<float>(y), courseViewMatrix, &dir, &from);
    LPoint_t ground{};
    ground.x = from.x + kGroundDistance * dir.x;
    ground.z = from.z + kGroundDistance * dir.z;
    workingCalculated.push_back(ground);

    renumberPoints(workingDotted);
    renumberPoints(workingCalculated);
    hasWorkingPoints = true;
    createAllowed = true;
}

bool CEngineApp::insideView(POINT p) const {
    return 10 < p.x && p.x < static_cast<LONG>(viewWidth) + 10 && 20 < p.y &&
           p.y < static_cast<LONG>(viewHeight) + 20;
}

void CEngineApp::onLButtonDown(POINT point) {
    dragging = true;
    mousePoint = POINT{point.x - viewOffsetX, point.y - viewOffsetY};
    switch (tab) {
    case TAB_PLAY:
    case TAB_PLACE:
        clearWorkingLists();
        pointMessagePending = false;
        break;
    case TAB_COURSE:
        if (insideView(mousePoint) && !checkSelectedPoint(mousePoint)) {
            addPoint(mousePoint.x, mousePoint.y);
        }
        dragging = false; // laying points has no dragging
        break;
    case TAB_PREVIEW:
        clearWorkingLists();
        break;
    default:
        break;
    }
}

void CEngineApp::onMouseMove(POINT point) {
    if (!dragging) {
        return;
    }
    // The host passes form coordinates; picks work in view coordinates.
    const int x = point.x - viewOffsetX;
    const int y = point.y - viewOffsetY;
    if (selectXfilePlacement(x, y, nullptr, nullptr)) {
        dragXfilePlacement(x, y);
    } else if (selectBitmapPlacement(x, y)) {
        dragBitmapPlacement(x, y);
    }
}

void CEngineApp::onLButtonUp() {
    dragging = false;
}

void CEngineApp::pickEveryFrame() {
    if (!dragging || !insideView(mousePoint) || (tab != TAB_PLAY && tab != TAB_PLACE)) {
        return;
    }
    if (!selectXfilePlacement(mousePoint.x, mousePoint.y, nullptr, nullptr)) {
        selectBitmapPlacement(mousePoint.x, mousePoint.y);
    }
}

D3DXVECTOR3 CEngineApp::pointInFrontOfCamera() const {
    const D3DXMATRIX* view = pickView();
    D3DXVECTOR3 dir;
    D3DXVECTOR3 from;
    pickRay(static_cast<float>(backBufferDesc.Width / 2),
            static_cast<float>(backBufferDesc.Height / 2), view != nullptr ? *view : viewMatrix,
            &dir, &from);
    return from + dir * kAssignPlaceDistance;
}

HRESULT CEngineApp::placeXfileInFrontOfCamera() {
    if (lastXfilePlacement == nullptr || !lastXfilePlacement->body) {
        return E_FAIL;
    }
    lastPlacePoint = pointInFrontOfCamera();
    lastXfilePlacement->body->position = lastPlacePoint;
    lastXfilePlacement->body->stepPosition = lastPlacePoint;
    return S_OK;
}

bool CEngineApp::selectBitmapPlacement(int x, int y) {
    const D3DXMATRIX* view = pickView();
    if (currentCourse == nullptr || view == nullptr) {
        return false;
    }
    D3DXVECTOR3 dir;
    D3DXVECTOR3 from;
    pickRay(static_cast<float>(x), static_cast<float>(y), *view, &dir, &from);
    lastPlacePoint = from + dir * kPickPlaceDistance;
    const D3DXVECTOR3 u = unit(dir);
    // The billboards stand where they are drawn, facing the camera.
    billboardFacing.x = -static_cast<float>(std::cos(M_PI * m_cAngle));
    billboardFacing.z = -static_cast<float>(std::sin(M_PI * m_cAngle));
    for (auto& placement : currentCourse->bitmapPlacements) {
        if (placement.bitmap) {
            placement.bitmap->setPosition(placement.drawX, placement.drawY, placement.drawZ);
            placement.bitmap->face(billboardFacing.x, billboardFacing.y, billboardFacing.z);
        }
    }
    const auto standing = [](const BitmapPlacement& p, D3DXVECTOR3* centre, float* radius) {
        *centre = D3DXVECTOR3(p.drawX, p.drawY, p.drawZ);
        *radius = p.halfWidth;
        return true;
    };
    return pickFirst(currentCourse->bitmapPlacements, from, u, standing, &lastBitmapPlacement);
}

HRESULT CEngineApp::dragBitmapPlacement(int x, int y) {
    D3DXVECTOR3 moved;
    if (lastBitmapPlacement == nullptr) {
        return E_FAIL;
    }
    BitmapPlacement& placement = *lastBitmapPlacement;
    if (!draggedPosition(x, y, D3DXVECTOR3(placement.drawX, placement.drawY, placement.drawZ),
                         &moved)) {
        return E_FAIL;
    }
    placement.drawX = placement.x = moved.x;
    placement.drawY = placement.y = moved.y;
    placement.drawZ = placement.z = moved.z;
    return S_OK;
}

HRESULT CEngineApp::placeBitmapInFrontOfCamera() {
    if (lastBitmapPlacement == nullptr) {
        return E_FAIL;
    }
    lastPlacePoint = pointInFrontOfCamera();
    BitmapPlacement& placement = *lastBitmapPlacement;
    placement.drawX = placement.x = lastPlacePoint.x;
    placement.drawY = placement.y = lastPlacePoint.y;
    placement.drawZ = placement.z = lastPlacePoint.z;
    return S_OK;
}
