// The per-body work of a frame: world matrices and surface following, shared among
// threads. Each body's work reads only that body, its hints and what no body writes
// (the course, its surface grid, the footprint's size), and writes only the body and
// its hints, so the bodies may be worked in any order on any thread. The
// one thing they used to share, the footprint's sample heights, each part keeps for
// itself, with the number of the body that set each; put together by those numbers
// afterwards, the parts leave the sample heights as the bodies worked one after the
// other would.
#include <algorithm>
#include <cmath>

#include "scene/Placements.h"
#include "simulation/Simulation.h"

std::optional<D3DXVECTOR3> Simulation::settleBody(const LCourse_t& course, CSceneObject& body,
                                                  SurfaceHint& hint, FootprintSamples& samples,
                                                  std::size_t index, SettleCache& cache) const {
    // The matrix is composed before the body follows the surface, so what is drawn
    // lags the surface by one frame.
    const auto turn = [](float angle) { return std::pair(std::cos(angle), std::sin(angle)); };
    const auto [cosYaw, sinYaw] = cache.world.of(body.yawAngle(), turn);
    const auto [cosPitch, sinPitch] = cache.pitch.of(body.pitch, turn);
    const auto [cosRoll, sinRoll] = cache.roll.of(body.roll, turn);
    body.world = body.composeWorld(cosYaw, sinYaw, cosPitch, sinPitch, cosRoll, sinRoll);
    // A body whose place is not a finite number is over no triangle of the course, and
    // looking for one would search every triangle of it for each footprint point.
    if (!std::isfinite(body.position.x) || !std::isfinite(body.position.z)) {
        return std::nullopt;
    }
    D3DXVECTOR3 edge;
    followFootprint(course, body, hint, &edge, samples, index, &cache);
    const float lengthSquared = D3DXVec3LengthSq(&edge);
    if (lengthSquared == 0) {
        return std::nullopt;
    }
    return edge / std::sqrt(lengthSquared);
}

int Simulation::partsFor(std::size_t bodies) const {
    return static_cast<int>(
        std::min<std::size_t>(std::max(m_threads, 1), bodies / kLeastBodiesPerThread));
}

void Simulation::shareAmongThreads(std::size_t bodies, const WorkerPool::Part& work) {
    workInParts(bodies, partsFor(bodies), work);
}

void Simulation::workInParts(std::size_t n, int parts, const WorkerPool::Part& work) {
    if (parts <= 1) {
        work(0, 0, n);
        return;
    }
    if (!m_workers || m_workers->threads() != m_threads) {
        m_workers = std::make_unique<WorkerPool>(m_threads);
    }
    m_workers->run(n, parts, work);
}

void Simulation::settle(LCourse_t& course) {
    Bodies& bodies = course.xfilePlacements.bodies();
    const std::span<CSceneObject> all = bodies.all();
    const std::span<SurfaceHint> hints = bodies.hints();
    const std::size_t n = all.size();
    // The surface grid is checked against the strips here, right before the only
    // queries that use it: five footprint samples per body.
    beginQueries(course, 5 * n);
    startFollowParts(std::max(partsFor(n), 1));
    m_settleCaches.resize(n);
    shareAmongThreads(n, [&](int part, std::size_t begin, std::size_t end) {
        // Worked on a copy of the thread's own: the parts' samples lie side by side, and
        // a thread writing them for every body would take the line from the other.
        FootprintSamples samples = m_partSamples[static_cast<std::size_t>(part)];
        for (std::size_t i = begin; i < end; ++i) {
            if (const auto toward =
                    settleBody(course, all[i], hints[i], samples, i, m_settleCaches[i])) {
                all[i].bounceFromEdge(toward->x, toward->z);
            }
        }
        m_partSamples[static_cast<std::size_t>(part)] = samples;
    });
    finishFollowing(bodies);
    endQueries();
}

void Simulation::startFollowParts(int parts) {
    m_partSamples.assign(static_cast<std::size_t>(parts), FootprintSamples(m_sampleHeights));
    m_partBounces.resize(static_cast<std::size_t>(parts));
    for (std::vector<Bounce>& bounces : m_partBounces) {
        bounces.clear();
    }
}

void Simulation::finishFollowing(Bodies& bodies) {
    // Each body bounces once at most, and a bounce changes that body alone.
    const std::span<CSceneObject> all = bodies.all();
    for (const std::vector<Bounce>& bounces : m_partBounces) {
        for (const Bounce& bounce : bounces) {
            all[bounce.body].bounceFromEdge(bounce.toward.x, bounce.toward.z);
        }
    }
    FootprintSamples::leaveLatest(m_partSamples, m_sampleHeights);
}
