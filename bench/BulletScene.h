// The scene of an engine course rebuilt in Bullet, for timing Bullet's step beside
// the engine's: the course's strip triangles as one static triangle mesh, and a ball
// for each placed body, starting where the body starts and as fast.
#pragma once

#include <btBulletDynamicsCommon.h>

#include <memory>
#include <vector>

#include "SideBySide.h"
#include "scene/Course.h"

namespace bench {

class BulletScene {
public:
    // The materials of the comparison. The engine's friction, a share of a rolling
    // body's speed taken every frame, becomes each ball's damping.
    static constexpr btScalar kFriction = 0.7f;
    static constexpr btScalar kBallRestitution = 0.9f;
    static constexpr btScalar kCourseRestitution = 0.8f;
    static constexpr btScalar kGravity = -9.8f;
    static constexpr btScalar kBallRadius = 1.0f;
    static constexpr btScalar kBallMass = 1.0f;

    // A ball for each body, resting on the surface under the body's start point and
    // rolling off as the body does. Throws std::invalid_argument unless every body
    // has radius kBallRadius and starts over the course.
    explicit BulletScene(const LCourse_t& course);
    BulletScene(const BulletScene&) = delete;
    BulletScene& operator=(const BulletScene&) = delete;

    // One frame: a single step of 1/60 s.
    void step();

    Activity activity() const;

private:
    void buildCourse(const LCourse_t& course);
    void addBalls(const LCourse_t& course);

    // Declared in the order they depend on each other: the world, destroyed first,
    // still takes its bodies out of the broad phase as it goes.
    std::unique_ptr<btDefaultCollisionConfiguration> m_configuration;
    std::unique_ptr<btCollisionDispatcher> m_dispatcher;
    std::unique_ptr<btBroadphaseInterface> m_broadphase;
    std::unique_ptr<btSequentialImpulseConstraintSolver> m_solver;
    std::vector<btScalar> m_vertices; // x, y, z
    std::vector<int> m_indices;
    std::unique_ptr<btTriangleIndexVertexArray> m_mesh;
    std::unique_ptr<btBvhTriangleMeshShape> m_courseShape;
    std::unique_ptr<btRigidBody> m_course;
    std::unique_ptr<btSphereShape> m_ballShape;
    std::vector<std::unique_ptr<btRigidBody>> m_balls;
    std::unique_ptr<btDiscreteDynamicsWorld> m_world;
};

} // namespace bench
