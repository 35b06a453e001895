// The play step: every body moves, then the pairs that touch respond, in order.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "scene/Placements.h"
#include "simulation/LoopOrderSort.h"
#include "simulation/Simulation.h"

Simulation::Simulation() : m_pairFinder(std::make_unique<BroadPhase>()) {}

Simulation::~Simulation() = default;

namespace {

// Whether two bodies touch, by the one rule every contact is decided by; hands out the
// squared distance of their centres and the square of their reach, which the response
// uses. A body whose position or radius is not a finite number (a damaged scene file
// can hold one) touches nothing: its contact would carry the NaN to every body it met.
bool touch(const D3DXVECTOR3& a, float radiusA, const D3DXVECTOR3& b, float radiusB, float* d2,
           float* r2) {
    const D3DXVECTOR3 apart = a - b;
    *d2 = D3DXVec3LengthSq(&apart);
    const float reach = radiusA + radiusB;
    *r2 = reach * reach;
    return std::isfinite(*d2) && std::isfinite(*r2) && *r2 > *d2;
}

PairFinder::Sphere sphereOf(const CSceneObject& body) {
    return {body.position.x, body.position.y, body.position.z, body.radius};
}

// How many pairs ahead of its response a pair's bodies are fetched into the cache.
constexpr std::size_t kFetchAhead = 8;

// Asks for every line of the body to be brought into the cache for writing.
void fetchBody(const CSceneObject* body) {
    constexpr std::size_t kLine = 64;
    const char* const bytes = reinterpret_cast<const char*>(body);
    for (std::size_t at = 0; at < sizeof(CSceneObject); at += kLine) {
        __builtin_prefetch(bytes + at, 1);
    }
}

D3DXVECTOR3 centreOf(const PairFinder::Sphere& sphere) {
    return D3DXVECTOR3(sphere.x, sphere.y, sphere.z);
}

} // namespace

HRESULT Simulation::testPair(CSceneObject& a, CSceneObject& b) {
    ++m_pairTests;
    float d2 = 0;
    float r2 = 0;
    if (!touch(a.position, a.radius, b.position, b.radius, &d2, &r2)) {
        return E_FAIL;
    }
    respond(a, b, d2, r2);
    return S_OK;
}

void Simulation::respond(CSceneObject& a, CSceneObject& b, float d2, float r2) {
    a.pushApart(d2, r2);
    b.pushApart(d2, r2);
    a.setMotionState(MOTION_COAST);
    b.setMotionState(MOTION_COAST);
    const float speedA = a.speed;
    const float speedB = b.speed;
    if (a.movable && b.movable) {
        a.exchangeImpulse(speedB, b.direction, b.position);
        b.exchangeImpulse(speedA, a.direction, a.position);
    } else if (a.movable) {
        a.deflectFromFixed(b.position);
    } else if (b.movable) {
        b.deflectFromFixed(a.position);
    }
    a.resolveImpulses();
    b.resolveImpulses();
}

void Simulation::step(LCourse_t& course, ContactListener& contacts) {
    (void)moveAndRespond(course, contacts, false);
}

void Simulation::playFrame(LCourse_t& course, ContactListener& contacts,
                           const std::function<void()>& afterStep) {
    beginQueries(course, 5 * course.xfilePlacements.size());
    const bool followed = moveAndRespond(course, contacts, true);
    endQueries();
    afterStep();
    if (followed) {
        finishFollowing(course.xfilePlacements.bodies());
    } else {
        settle(course);
    }
}

bool Simulation::moveAndRespond(LCourse_t& course, ContactListener& contacts, bool follow) {
    PlacedMeshes& placed = course.xfilePlacements;
    Bodies& bodies = placed.bodies();
    moveBodies(course, follow);
    buildPairFinder();
    // Before any contact is responded to: bodies sharing a centre have no line of
    // centres to be pushed apart along. When the pair finder lists every two bodies at
    // one spot, the search for touching pairs watches for them and stops at the first;
    // otherwise they are looked for among all the bodies.
    const bool watched = m_pairFinder->listsEveryPairAtOneSpot();
    const bool mayShare = !watched || !findTouchingPairs(placed.ids(), true);
    if (mayShare) {
        const std::span<CSceneObject> all = bodies.all();
        if (m_coincidentCentres.separate(m_pairSpheres, all) > 0) {
            // The spread bodies were followed where they stood before.
            if (follow) {
                undoFollowing(bodies);
                follow = false;
            }
            shareAmongThreads(all.size(), [this, all](int, std::size_t begin, std::size_t end) {
                for (std::size_t i = begin; i < end; ++i) {
                    m_pairSpheres[i] = sphereOf(all[i]);
                }
            });
            buildPairFinder();
        }
        findTouchingPairs(placed.ids(), false);
    }
    respondToPairs(placed, contacts);
    return follow;
}

// Each body's move reads and writes that body alone, and its sphere is taken, and the
// body settled when asked, while the body is at hand. The responses to the pairs read
// neither the heights nor the tilts that settling writes, and write nothing it reads:
// it gives what it would give after them. Only the bounces off the side strips, which
// change the motion the responses change, wait until the end of the frame.
void Simulation::moveBodies(LCourse_t& course, bool follow) {
    Bodies& bodies = course.xfilePlacements.bodies();
    const std::span<CSceneObject> all = bodies.all();
    const std::span<SurfaceHint> hints = bodies.hints();
    const std::size_t n = all.size();
    m_pairSpheres.resize(n);
    m_beforeFollowing.resize(follow ? n : 0);
    m_settleCaches.resize(n);
    startFollowParts(std::max(partsFor(n), 1));
    shareAmongThreads(n, [&](int part, std::size_t begin, std::size_t end) {
        // Worked on copies of the thread's own, written back once (see settle).
        const auto own = static_cast<std::size_t>(part);
        FootprintSamples samples = m_partSamples[own];
        std::vector<Bounce> bounces = std::move(m_partBounces[own]);
        for (std::size_t i = begin; i < end; ++i) {
            CSceneObject& body = all[i];
            body.step();
            m_pairSpheres[i] = sphereOf(body);
            if (follow) {
                m_beforeFollowing[i] = {body.position.y, body.roll, body.pitch, hints[i]};
                if (const auto toward =
                        settleBody(course, body, hints[i], samples, i, m_settleCaches[i])) {
                    bounces.push_back({i, *toward});
                }
            }
        }
        m_partSamples[own] = samples;
        m_partBounces[own] = std::move(bounces);
    });
}

void Simulation::undoFollowing(Bodies& bodies) {
    const std::span<CSceneObject> all = bodies.all();
    const std::span<SurfaceHint> hints = bodies.hints();
    for (std::size_t i = 0; i < m_beforeFollowing.size(); ++i) {
        const BeforeFollowing& before = m_beforeFollowing[i];
        all[i].position.y = before.height;
        all[i].roll = before.roll;
        all[i].pitch = before.pitch;
        hints[i] = before.hint;
    }
}

void Simulation::buildPairFinder() {
    m_pairFinder->build(m_pairSpheres, std::max(partsFor(m_pairSpheres.size()), 1),
                        [this](std::size_t n, int parts, const PairFinder::Range& range) {
                            workInParts(n, parts, range);
                        });
}

// The responses write stepPosition, speed, direction, contact normal and motion state,
// never position or radius, so which pairs touch is settled before the first response.
// The pairs are found and tested on the frame's threads, each thread taking a share of
// the pair finder's search, from the positions and radii as they stand; the responses
// then follow on this thread in the order of the full loop (i in order, then the j after
// it), so each sees exactly the speeds and directions it would see there.
bool Simulation::findTouchingPairs(std::span<const std::int32_t> ids, bool watchForSharedCentres) {
    const int parts = std::max(partsFor(ids.size()), 1);
    m_pairParts.resize(static_cast<std::size_t>(parts));
    workInParts(static_cast<std::size_t>(parts), parts,
                [this, ids, parts, watchForSharedCentres](int part, std::size_t, std::size_t) {
                    findTouchingPairs(ids, part, parts, watchForSharedCentres,
                                      m_pairParts[static_cast<std::size_t>(part)]);
                });
    return std::none_of(m_pairParts.begin(), m_pairParts.end(),
                        [](const PairPart& part) { return part.sawSharedCentre; });
}

void Simulation::findTouchingPairs(std::span<const std::int32_t> ids, int share, int shares,
                                   bool watchForSharedCentres, PairPart& part) const {
    part.tests = 0;
    part.touching.clear();
    part.sawSharedCentre = false;
    m_pairFinder->findCandidates(
        share, shares, [&](std::span<const PairFinder::Candidate> candidates) {
            for (const PairFinder::Candidate& candidate : candidates) {
                const PairFinder::Sphere& a = m_pairSpheres[candidate.first];
                const PairFinder::Sphere& b = m_pairSpheres[candidate.second];
                if (watchForSharedCentres && a.x == b.x && a.z == b.z) {
                    part.sawSharedCentre = true;
                    return false; // what was found is thrown away
                }
                if (ids[candidate.first] == ids[candidate.second]) {
                    continue;
                }
                ++part.tests;
                Touching pair{candidate.first, candidate.second, 0, 0};
                if (touch(centreOf(a), a.radius, centreOf(b), b.radius, &pair.d2, &pair.r2)) {
                    part.touching.push_back(pair);
                }
            }
            return true;
        });
    sortInLoopOrder(part.touching, part.sortScratch, static_cast<std::uint32_t>(ids.size()));
}

void Simulation::respondToPairs(PlacedMeshes& placed, ContactListener& contacts) {
    const std::span<CSceneObject> all = placed.bodies().all();
    // The parts' pairs, each part's in the loop's order, merged into that order.
    m_touching.clear();
    for (const PairPart& part : m_pairParts) {
        m_pairTests += part.tests;
        const auto merged = static_cast<std::ptrdiff_t>(m_touching.size());
        m_touching.insert(m_touching.end(), part.touching.begin(), part.touching.end());
        std::inplace_merge(m_touching.begin(), m_touching.begin() + merged, m_touching.end(),
                           Touching::InLoopOrder{});
    }
    const std::size_t count = m_touching.size();
    for (std::size_t k = 0; k < count; ++k) {
        // The bodies of a pair a few ahead are fetched meanwhile, and the names of their
        // placements, which the listener looks sounds up by: with many bodies, a
        // response otherwise waits on memory for most of its time.
        if (k + kFetchAhead < count) {
            const Touching& ahead = m_touching[k + kFetchAhead];
            fetchBody(&all[ahead.first]);
            fetchBody(&all[ahead.second]);
            __builtin_prefetch(placed.placementAt(ahead.first).name);
            __builtin_prefetch(placed.placementAt(ahead.second).name);
        }
        const Touching& pair = m_touching[k];
        respond(all[pair.first], all[pair.second], pair.d2, pair.r2);
        contacts.contact(placed.placementAt(pair.first), placed.placementAt(pair.second));
    }
}
