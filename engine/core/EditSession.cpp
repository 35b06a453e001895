// Mouse editing: laying course points, selecting and editing them, and picking and
// dragging placed objects along rays through the view.
#include "core/EditSession.h"

#include <cmath>
#include <cstdint>

#include "camera/CameraRig.h"
#include "core/CourseBuilder.h"
#include "course/SightLine.h"
#include "render/HostView.h"
#include "render/Renderer.h"
#include "scene/CourseEditor.h"
#include "scene/CoursePoints.h"
#include "scene/PlacementSight.h"
#include "scene/Placements.h"
#include "simulation/MovementInput.h"
#include "tw/assert.h"

namespace {

// A dot is drawn with its middle on the point clicked; a right click hits it within
// about six pixels of that middle.
constexpr float kDotHitRadiusSquared = 40.0f;
constexpr float kGroundDistance = 100.0f;
constexpr float kPickPlaceDistance = 20.0f;
constexpr float kAssignPlaceDistance = 10.0f;
// The least slope of a line of sight (the sine of its angle with the level) at which a
// grabbed point moves in the level plane: a pixel's move then carries it at most
// sixteen times as far along the ground as across, and the plane's horizon is well
// above the cursor.
constexpr float kLeastLevelSine = 1.0f / 16;

// The drawn placement of the list the line meets first, if it comes before *best;
// *best becomes its distance. Of equal distances the earlier in the list wins.
template <typename Placements, typename Distance>
auto* nearest(Placements& placements, const SightLine& sight, Distance distanceOf, float* best) {
    decltype(&*placements.begin()) found = nullptr;
    for (auto& placement : placements) {
        const float distance = distanceOf(sight, placement);
        if (sight.reaches(distance) && distance < *best) {
            *best = distance;
            found = &placement;
        }
    }
    return found;
}

// Where a bitmap stands as the last frame drew it.
D3DXVECTOR3 positionOf(const BitmapPlacement& placement) {
    return D3DXVECTOR3(placement.drawX, placement.drawY, placement.drawZ);
}

void moveTo(XfilePlacement& placement, CSceneObject& body, const D3DXVECTOR3& at) {
    body.position = at;
    body.stepPosition = at;
    placement.x = at.x;
    placement.y = at.y;
    placement.z = at.z;
}

void moveTo(BitmapPlacement& placement, const D3DXVECTOR3& at) {
    placement.drawX = placement.x = at.x;
    placement.drawY = placement.y = at.y;
    placement.drawZ = placement.z = at.z;
}

} // namespace

EditSession::EditSession(CourseEditor& editor, CameraRig& camera, const HostView& view,
                         const Renderer& renderer, CourseBuilder& courses,
                         const MovementInput& input)
    : editor(editor), camera(camera), view(view), renderer(renderer), courses(courses),
      input(input) {}

void EditSession::reset() {
    m_dragging = false;
    pointAccumulator[0] = pointAccumulator[1] = 0;
}

const D3DXMATRIX* EditSession::pickView() const {
    switch (view.tab) {
    case TAB_PLAY:
    case TAB_PLACE:
        return &camera.view();
    case TAB_COURSE:
        return &camera.courseView();
    default:
        return nullptr; // the preview has no view to pick through
    }
}

void EditSession::pickRay(float x, float y, const D3DXMATRIX& eyeView, const D3DXMATRIX& projection,
                          D3DXVECTOR3* direction, D3DXVECTOR3* origin) const {
    const float width = static_cast<float>(view.backBuffer.Width);
    const float height = static_cast<float>(view.backBuffer.Height);
    const float vx = (2.0f * x / width - 1.0f) / projection._11;
    const float vy = -(2.0f * y / height - 1.0f) / projection._22;
    const float vz = 1.0f;
    D3DXMATRIX m;
    if (D3DXMatrixInverse(&m, nullptr, &eyeView) == nullptr) {
        D3DXMatrixIdentity(&m);
    }
    *direction =
        D3DXVECTOR3(vx * m._11 + vy * m._21 + vz * m._31, vx * m._12 + vy * m._22 + vz * m._32,
                    vx * m._13 + vy * m._23 + vz * m._33);
    *origin = D3DXVECTOR3(m._41, m._42, m._43);
}

std::list<LPoint_t>& EditSession::editedDottedPoints() {
    return editor.current() != nullptr ? editor.current()->dottedPoints
                                       : editor.laidPoints().dotted();
}

std::list<LPoint_t>& EditSession::editedCalculatedPoints() {
    return editor.current() != nullptr ? editor.current()->calculatedPoints
                                       : editor.laidPoints().calculated();
}

bool EditSession::checkSelectedPoint(POINT point) {
    bool hit = false;
    for (auto& dot : editedDottedPoints()) {
        dot.selected = false;
        const float dx = static_cast<float>(point.x) - dot.x;
        const float dy = static_cast<float>(point.y) - dot.y;
        if (dx * dx + dy * dy < kDotHitRadiusSquared) {
            dot.selected = true;
            hit = true;
        }
    }
    return hit;
}

int EditSession::modifyPoint(unsigned int wParam, long lParam) {
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
            if (editor.current() != nullptr) {
                courses.regenerateCurrent();
            }
            break;
        }
    }
    pointAccumulator[0] = pointAccumulator[1] = 0;
    return 0;
}

int EditSession::modifyXfile(unsigned int wParam, long lParam) {
    if (editor.drivenBody() == nullptr) {
        return 0;
    }
    CSceneObject& body = *editor.drivenBody();
    const float height = static_cast<float>(static_cast<std::int32_t>(wParam));
    const float degrees = static_cast<float>(static_cast<std::int32_t>(lParam));
    body.yawOffset = degrees / 180.0f;
    body.modelOffset = D3DXVECTOR3(0, height, 0);
    return 0;
}

SightLine EditSession::sightThroughPixel(int x, int y, D3DXVECTOR3* direction,
                                         D3DXVECTOR3* origin) const {
    // Through the pixel's middle: the picture covers a pixel with what lies at its
    // middle, so a pick at the silhouette's edge meets what that pixel shows.
    pickRay(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f, *pickView(),
            renderer.pictureProjection(), direction, origin);
    return SightLine(*origin, *direction, renderer.pictureProjection());
}

// The pick selects what the user sees under the cursor: the placement drawn nearest
// the eye along the line of sight, mesh or bitmap alike. Trying the meshes first would
// let a mesh hidden behind a bitmap take the click. On equal distances a mesh wins over
// a bitmap (meshes are what the right button's menu and the player's input act on),
// and an earlier placement over a later one.
EditSession::Picked EditSession::pickPlacement(int x, int y, D3DXVECTOR3* direction,
                                               D3DXVECTOR3* origin, D3DXVECTOR3* grabbed) {
    if (editor.current() == nullptr || pickView() == nullptr) {
        return Picked::Nothing;
    }
    D3DXVECTOR3 dir;
    D3DXVECTOR3 from;
    const SightLine sight = sightThroughPixel(x, y, &dir, &from);
    lastPlacePoint = from + dir * kPickPlaceDistance;
    if (direction != nullptr) {
        *direction = dir;
    }
    if (origin != nullptr) {
        *origin = from;
    }
    // The billboards are tested turned as the frame draws them.
    const D3DXVECTOR3 facing = billboardFacing(input.heading());
    for (auto& placement : editor.current()->bitmapPlacements) {
        if (placement.bitmap) {
            placement.bitmap->setPosition(placement.drawX, placement.drawY, placement.drawZ);
            placement.bitmap->face(facing.x, facing.y, facing.z);
        }
    }
    float distance = SightLine::kMiss;
    const PlacedMeshes& meshes = editor.current()->xfilePlacements;
    XfilePlacement* mesh = nearest(
        editor.current()->xfilePlacements, sight,
        [&meshes](const SightLine& line, const XfilePlacement& placed) {
            return meshDistance(line, placed, meshes.body(placed));
        },
        &distance);
    BitmapPlacement* bitmap =
        nearest(editor.current()->bitmapPlacements, sight, billboardDistance, &distance);
    if (grabbed != nullptr) {
        *grabbed = sight.at(distance);
    }
    if (bitmap != nullptr) {
        editor.drive(nullptr);
        editor.setLastBitmap(bitmap);
        return Picked::Bitmap;
    }
    if (mesh != nullptr) {
        editor.drive(mesh);
        return Picked::Mesh;
    }
    editor.drive(nullptr);
    editor.setLastBitmap(nullptr);
    return Picked::Nothing;
}

bool EditSession::selectXfilePlacement(int x, int y, D3DXVECTOR3* direction, D3DXVECTOR3* origin) {
    return pickPlacement(x, y, direction, origin, nullptr) == Picked::Mesh;
}

// The point grabbed moves in a plane through it: the level one when the line of sight
// comes down onto it steeply enough, so that an object slides over the ground; else,
// seen from near its height, the one facing the camera, in which the level plane's
// horizon is not right above the cursor and a pixel's move does not carry the point
// far along the ground (below the point's row the level plane still serves: the drag
// takes whichever of the two the sight line meets first).
void EditSession::grabPlacement(int x, int y) {
    m_grab = Grab{};
    D3DXVECTOR3 sight;
    D3DXVECTOR3 eye;
    D3DXVECTOR3 point;
    const Picked held = pickPlacement(x, y, &sight, &eye, &point);
    if (held == Picked::Nothing) {
        return;
    }
    const D3DXVECTOR3 position = held == Picked::Mesh ? drawnPosition(*editor.drivenBody())
                                                      : positionOf(*editor.lastBitmap());
    D3DXVec3Normalize(&sight, &sight);
    const D3DXMATRIX& eyeView = *pickView();
    m_grab.held = held;
    m_grab.point = point;
    m_grab.offset = position - point;
    m_grab.height = position.y;
    m_grab.level = std::fabs(sight.y) >= kLeastLevelSine;
    m_grab.normal =
        m_grab.level ? D3DXVECTOR3(0, 1, 0) : D3DXVECTOR3(eyeView._13, eyeView._23, eyeView._33);
}

// The grabbed point goes to where the line of sight through the cursor meets its
// plane, and the object keeps its offset from it: the point stays under the cursor.
// In the level plane the object keeps its height exactly, a bitmap its foot on the
// ground it stood on. A body on the course follows the surface again once let go.
HRESULT EditSession::dragGrabbed(int x, int y) {
    if (!m_dragging || pickView() == nullptr || m_grab.held == Picked::Nothing) {
        return E_FAIL;
    }
    D3DXVECTOR3 dir;
    D3DXVECTOR3 from;
    const SightLine sight = sightThroughPixel(x, y, &dir, &from);
    float distance = sight.toPlane(m_grab.point, m_grab.normal);
    bool level = m_grab.level;
    if (!level) {
        // Seen from above, below the grabbed point's row the cursor's sight line meets
        // the level plane before the facing one: the object comes nearer over the
        // ground instead of sinking into it. Both planes hold the grabbed point, so the
        // switch is smooth.
        const float onLevel = sight.toPlane(m_grab.point, D3DXVECTOR3(0, 1, 0));
        if (dir.y < 0 && onLevel != SightLine::kMiss &&
            (distance == SightLine::kMiss || onLevel < distance)) {
            distance = onLevel;
            level = true;
        }
    }
    if (distance == SightLine::kMiss) {
        return E_FAIL; // the cursor is beyond the plane's horizon: the object stays
    }
    D3DXVECTOR3 position = sight.at(distance) + m_grab.offset;
    if (level) {
        position.y = m_grab.height;
    }
    if (m_grab.held == Picked::Mesh) {
        if (editor.drivenBody() == nullptr) {
            return E_FAIL;
        }
        moveTo(*editor.driven(), *editor.drivenBody(), position);
        return S_OK;
    }
    if (editor.lastBitmap() == nullptr) {
        return E_FAIL;
    }
    moveTo(*editor.lastBitmap(), position);
    return S_OK;
}

void EditSession::addPoint(int x, int y) {
    LPoint_t dot{};
    dot.x = static_cast<float>(x);
    dot.y = static_cast<float>(y);

    D3DXVECTOR3 dir;
    D3DXVECTOR3 from;
    pickRay(static_cast<float>(x), static_cast<float>(y), camera.courseView(),
            renderer.setUpProjection(), &dir, &from);
    LPoint_t ground{};
    ground.x = from.x + kGroundDistance * dir.x;
    ground.z = from.z + kGroundDistance * dir.z;
    editor.laidPoints().add(dot, ground);
    editor.allowCreate(true);
}

bool EditSession::insideView(POINT p) const {
    return 10 < p.x && p.x < static_cast<LONG>(view.width) + 10 && 20 < p.y &&
           p.y < static_cast<LONG>(view.height) + 20;
}

void EditSession::onLButtonDown(POINT point) {
    m_dragging = true;
    m_grab = Grab{};
    mousePoint = POINT{point.x - view.origin.x, point.y - view.origin.y};
    switch (view.tab) {
    case TAB_PLAY:
    case TAB_PLACE:
        editor.laidPoints().clear();
        pointMessagePending = false;
        grabPlacement(mousePoint.x, mousePoint.y);
        break;
    case TAB_COURSE:
        if (insideView(mousePoint) && !checkSelectedPoint(mousePoint)) {
            addPoint(mousePoint.x, mousePoint.y);
        }
        m_dragging = false; // laying points has no dragging
        break;
    case TAB_PREVIEW:
        editor.laidPoints().clear();
        break;
    default:
        break;
    }
}

void EditSession::onMouseMove(POINT point) {
    if (!m_dragging) {
        return;
    }
    // The host passes form coordinates; picks work in view coordinates.
    mousePoint = POINT{point.x - view.origin.x, point.y - view.origin.y};
    // With nothing grabbed, or the cursor off the course, nothing moves.
    (void)dragGrabbed(mousePoint.x, mousePoint.y);
}

void EditSession::onLButtonUp() {
    // The camera stays where it was during the drag, not back behind what was dragged.
    if (m_dragging && m_grab.held == Picked::Mesh && editor.driven() != nullptr) {
        camera.stayAfterDrag(*editor.driven(), editor.drivenBody()->position);
    }
    m_dragging = false;
    m_grab = Grab{};
}

void EditSession::keepGrabbedUnderCursor() {
    // The view can turn under a held object (the heading turns it while the eye
    // stays), and the object stays under the cursor all the same; with nothing grabbed,
    // nothing moves.
    (void)dragGrabbed(mousePoint.x, mousePoint.y);
}

D3DXVECTOR3 EditSession::pointInFrontOfCamera() const {
    const D3DXMATRIX* eyeView = pickView();
    D3DXVECTOR3 dir;
    D3DXVECTOR3 from;
    pickRay(static_cast<float>(view.backBuffer.Width / 2),
            static_cast<float>(view.backBuffer.Height / 2),
            eyeView != nullptr ? *eyeView : camera.view(), renderer.pictureProjection(), &dir,
            &from);
    return from + dir * kAssignPlaceDistance;
}

HRESULT EditSession::placeXfileInFrontOfCamera() {
    CSceneObject* body = editor.drivenBody();
    if (body == nullptr) {
        return E_FAIL;
    }
    lastPlacePoint = pointInFrontOfCamera();
    body->position = lastPlacePoint;
    body->stepPosition = lastPlacePoint;
    return S_OK;
}

HRESULT EditSession::placeBitmapInFrontOfCamera() {
    if (editor.lastBitmap() == nullptr) {
        return E_FAIL;
    }
    lastPlacePoint = pointInFrontOfCamera();
    BitmapPlacement& placement = *editor.lastBitmap();
    placement.drawX = placement.x = lastPlacePoint.x;
    placement.drawY = placement.y = lastPlacePoint.y;
    placement.drawZ = placement.z = lastPlacePoint.z;
    return S_OK;
}
