#include "BulletScene.h"

#include <cmath>
#include <stdexcept>

#include "Require.h"
#include "course/StripGrid.h"
#include "scene/Placements.h"
#include "simulation/SurfaceQuery.h"

namespace bench {

namespace {

btVector3 toBullet(const D3DXVECTOR3& v) {
    return {v.x, v.y, v.z};
}

btRigidBody::btRigidBodyConstructionInfo bodyInfo(btScalar mass, btCollisionShape* shape,
                                                  btScalar restitution) {
    btVector3 inertia(0, 0, 0);
    if (mass > 0) {
        shape->calculateLocalInertia(mass, inertia);
    }
    btRigidBody::btRigidBodyConstructionInfo info(mass, nullptr, shape, inertia);
    info.m_friction = BulletScene::kFriction;
    info.m_restitution = restitution;
    return info;
}

} // namespace

BulletScene::BulletScene(const LCourse_t& course)
    : m_configuration(std::make_unique<btDefaultCollisionConfiguration>()),
      m_dispatcher(std::make_unique<btCollisionDispatcher>(m_configuration.get())),
      m_broadphase(std::make_unique<btDbvtBroadphase>()),
      m_solver(std::make_unique<btSequentialImpulseConstraintSolver>()),
      m_ballShape(std::make_unique<btSphereShape>(kBallRadius)) {
    buildCourse(course);
    addBalls(course);
    m_world = std::make_unique<btDiscreteDynamicsWorld>(m_dispatcher.get(), m_broadphase.get(),
                                                        m_solver.get(), m_configuration.get());
    m_world->setGravity(btVector3(0, kGravity, 0));
    m_world->addRigidBody(m_course.get());
    for (const auto& ball : m_balls) {
        m_world->addRigidBody(ball.get());
    }
}

// Every strip triangle as the surface query sees it: the strips' vertices are already
// in world coordinates.
void BulletScene::buildCourse(const LCourse_t& course) {
    for (const auto& strip : course.strips) {
        const int first = static_cast<int>(m_vertices.size() / 3);
        for (const StripGrid::Vertex& v : strip->vertices()) {
            m_vertices.insert(m_vertices.end(), {v.x, v.y, v.z});
        }
        for (const std::uint16_t index : strip->indices()) {
            m_indices.push_back(first + index);
        }
    }
    m_mesh = std::make_unique<btTriangleIndexVertexArray>(
        static_cast<int>(m_indices.size() / 3), m_indices.data(), 3 * sizeof(int),
        static_cast<int>(m_vertices.size() / 3), m_vertices.data(), 3 * sizeof(btScalar));
    m_courseShape = std::make_unique<btBvhTriangleMeshShape>(m_mesh.get(), true);
    m_course = std::make_unique<btRigidBody>(bodyInfo(0, m_courseShape.get(), kCourseRestitution));
}

void BulletScene::addBalls(const LCourse_t& course) {
    SurfaceIndex surface;
    bench::require(surface.sync(course.strips, SurfaceIndex::kQueriesWorthABuild), "surface index");
    for (const CSceneObject& body : course.xfilePlacements.bodies().all()) {
        if (body.radius != kBallRadius) {
            throw std::invalid_argument("a Bullet ball has radius 1");
        }
        SurfaceHit hit;
        if (!surface.find(course.strips, body.position.x, body.position.z, -kSurfaceReach,
                          kSurfaceReach, 0, 0, &hit)) {
            throw std::invalid_argument("a body starts off the course");
        }
        // The engine's friction keeps a share of the speed every frame; Bullet's
        // damping takes a share off every second, in steps of pow(1 - damping, step).
        const btScalar damping =
            1 - std::pow(body.currentFriction(), static_cast<btScalar>(kFramesPerSecond));
        btRigidBody::btRigidBodyConstructionInfo info =
            bodyInfo(kBallMass, m_ballShape.get(), kBallRestitution);
        info.m_startWorldTransform.setOrigin(
            btVector3(body.position.x, hit.height + kBallRadius, body.position.z));
        info.m_linearDamping = damping;
        info.m_angularDamping = damping;
        auto ball = std::make_unique<btRigidBody>(info);
        ball->setLinearVelocity(toBullet(body.direction) *
                                static_cast<btScalar>(unitsPerSecond(body.speed)));
        ball->setActivationState(DISABLE_DEACTIVATION);
        ball->setUserIndex(static_cast<int>(m_balls.size()));
        m_balls.push_back(std::move(ball));
    }
}

void BulletScene::step() {
    // No substeps: exactly one step of the frame's length, as the engine makes.
    m_world->stepSimulation(btScalar(1) / kFramesPerSecond, 0);
}

Activity BulletScene::activity() const {
    if (m_balls.empty()) {
        return {};
    }
    std::vector<char> touching(m_balls.size(), 0);
    for (int k = 0; k < m_dispatcher->getNumManifolds(); ++k) {
        const btPersistentManifold* manifold = m_dispatcher->getManifoldByIndexInternal(k);
        if (manifold->getNumContacts() == 0) {
            continue;
        }
        const btCollisionObject* a = manifold->getBody0();
        const btCollisionObject* b = manifold->getBody1();
        if (a == m_course.get()) {
            touching[b->getUserIndex()] = 1;
        } else if (b == m_course.get()) {
            touching[a->getUserIndex()] = 1;
        }
    }
    int moving = 0;
    int touched = 0;
    for (std::size_t k = 0; k < m_balls.size(); ++k) {
        moving += m_balls[k]->getLinearVelocity().length() > kMovingSpeed ? 1 : 0;
        touched += touching[k];
    }
    const double n = static_cast<double>(m_balls.size());
    return {moving / n, touched / n};
}

} // namespace bench
