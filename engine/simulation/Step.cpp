// The play step: every body moves, then the pairs that touch respond, in list order.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "scene/Placements.h"
#include "simulation/RunHandOut.h"
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
// How many bodies ahead of its move a body is fetched.
constexpr std::size_t kMoveAhead = 2;
// How many placements ahead of the walk of the list they are fetched.
constexpr std::size_t kWalkAhead = 16;

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

bool Simulation::Touching::inLoopOrder(const Touching& a, const Touching& b) {
    return a.first != b.first ? a.first < b.first : a.second < b.second;
}

HRESULT Simulation::testPair(XfilePlacement& first, XfilePlacement& second) {
    ++m_pairTests;
    const CSceneObject& a = *first.body;
    const CSceneObject& b = *second.body;
    float d2 = 0;
    float r2 = 0;
    if (!touch(a.position, a.radius, b.position, b.radius, &d2, &r2)) {
        return E_FAIL;
    }
    respond(*first.body, *second.body, d2, r2);
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
        finishFollowing();
    } else {
        settleEach(course, m_pairOrder);
    }
}

bool Simulation::moveAndRespond(LCourse_t& course, ContactListener& contacts, bool follow) {
    walkAndMove(course, follow);
    buildPairFinder();
    // Before any contact is responded to: bodies sharing a centre have no line of
    // centres to be pushed apart along. When the pair finder lists every two bodies at
    // one spot, the search for touching pairs watches for them and stops at the first;
    // otherwise they are looked for among all the bodies.
    const bool watched = m_pairFinder->listsEveryPairAtOneSpot();
    const bool mayShare = !watched || !findTouchingPairs(true);
    if (mayShare) {
        if (m_coincidentCentres.separate(m_pairSpheres, m_steppedBodies) > 0) {
            // The spread bodies were followed where they stood before.
            if (follow) {
                undoFollowing();
                follow = false;
            }
            shareAmongThreads(m_steppedBodies.size(),
                              [this](int, std::size_t begin, std::size_t end) {
                                  for (std::size_t i = begin; i < end; ++i) {
                                      m_pairSpheres[i] = sphereOf(*m_steppedBodies[i]);
                                  }
                              });
            buildPairFinder();
        }
        findTouchingPairs(false);
    }
    respondToPairs(contacts);
    return follow;
}

// The list is most often as the last frame left it, and the placements that frame's
// walk found, not yet overwritten beyond `found`, are then the ones this walk is about to
// reach: they are fetched ahead, so that the walk does not wait on each node in turn.
// Where the list changed, the fetch is merely wasted.
void Simulation::fetchPlacementAhead(std::size_t found) const {
    const std::size_t ahead = found + kWalkAhead;
    if (ahead < m_pairOrder.size() && m_pairOrder[ahead] != nullptr) {
        // The list node's links lie just before the placement, on its line or the one
        // before; the address is only a hint, so it is worked out as a number.
        const XfilePlacement* const placement = m_pairOrder[ahead];
        const auto links = reinterpret_cast<std::uintptr_t>(placement) - 2 * sizeof(void*);
        __builtin_prefetch(reinterpret_cast<const void*>(links));
        __builtin_prefetch(&placement->body);
    }
}

// The list is walked once, on one thread: its nodes lie all over the heap, and with
// many bodies the walk waits on memory for most of its time. The bodies it finds are
// handed out in runs as it goes, so that the other threads move them meanwhile; each
// body's move reads and writes that body alone, and its sphere is taken, and the body
// settled when asked, while the body is at hand. The responses to the pairs read
// neither the heights nor the tilts that settling writes, and write nothing it reads:
// it gives what it would give after them. Only the bounces off the side strips, which
// change the motion the responses change, wait until the end of the frame.
void Simulation::walkAndMove(LCourse_t& course, bool follow) {
    const std::size_t listed = course.xfilePlacements.size();
    m_steppedBodies.resize(listed);
    m_pairOrder.resize(listed);
    m_pairIds.resize(listed);
    m_pairSpheres.resize(listed);
    m_beforeFollowing.resize(follow ? listed : 0);
    const int parts = std::max(partsFor(listed), 1);
    startFollowParts(parts);
    RunHandOut handOut(kHandOver);
    const auto moveHandedOut = [&](FootprintSamples& samples, std::vector<Bounce>& bounces) {
        for (RunHandOut::Run run = handOut.take(); !run.empty(); run = handOut.take()) {
            const auto [begin, end] = run;
            for (std::size_t i = begin; i < end; ++i) {
                if (i + kMoveAhead < end) {
                    fetchBody(m_steppedBodies[i + kMoveAhead]);
                }
                CSceneObject& body = *m_steppedBodies[i];
                body.step();
                m_pairSpheres[i] = sphereOf(body);
                if (follow) {
                    XfilePlacement& placement = *m_pairOrder[i];
                    m_beforeFollowing[i] = {body.position.y, body.roll, body.pitch,
                                            placement.stripHint, placement.rowHint};
                    if (const auto toward = settleBody(course, placement, samples, i)) {
                        bounces.push_back({i, *toward});
                    }
                }
            }
        }
    };
    workInParts(static_cast<std::size_t>(parts), parts, [&](int part, std::size_t, std::size_t) {
        if (part == 0) {
            std::size_t found = 0;
            for (auto& placement : course.xfilePlacements) {
                if (placement.body) {
                    fetchPlacementAhead(found);
                    m_steppedBodies[found] = placement.body.get();
                    m_pairOrder[found] = &placement;
                    m_pairIds[found] = placement.id;
                    if (++found % kHandOver == 0) {
                        handOut.found(found);
                    }
                }
            }
            handOut.finished(found);
        }
        // Worked on copies of the thread's own, written back once (see settleEach).
        const auto own = static_cast<std::size_t>(part);
        FootprintSamples samples = m_partSamples[own];
        std::vector<Bounce> bounces = std::move(m_partBounces[own]);
        moveHandedOut(samples, bounces);
        m_partSamples[own] = samples;
        m_partBounces[own] = std::move(bounces);
    });
    const std::size_t bodies = handOut.total();
    m_steppedBodies.resize(bodies);
    m_pairOrder.resize(bodies);
    m_pairIds.resize(bodies);
    m_pairSpheres.resize(bodies);
    m_beforeFollowing.resize(follow ? bodies : 0);
}

void Simulation::undoFollowing() {
    for (std::size_t i = 0; i < m_beforeFollowing.size(); ++i) {
        const BeforeFollowing& before = m_beforeFollowing[i];
        CSceneObject& body = *m_steppedBodies[i];
        body.position.y = before.height;
        body.roll = before.roll;
        body.pitch = before.pitch;
        m_pairOrder[i]->stripHint = before.stripHint;
        m_pairOrder[i]->rowHint = before.rowHint;
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
// then follow on this thread in the order of the full loop (i in list order, then the j
// after it in list order), so each sees exactly the speeds and directions it would see
// there.
bool Simulation::findTouchingPairs(bool watchForSharedCentres) {
    const int parts = std::max(partsFor(m_pairOrder.size()), 1);
    m_pairParts.resize(static_cast<std::size_t>(parts));
    workInParts(static_cast<std::size_t>(parts), parts,
                [this, parts, watchForSharedCentres](int part, std::size_t, std::size_t) {
                    findTouchingPairs(part, parts, watchForSharedCentres,
                                      m_pairParts[static_cast<std::size_t>(part)]);
                });
    return std::none_of(m_pairParts.begin(), m_pairParts.end(),
                        [](const PairPart& part) { return part.sawSharedCentre; });
}

void Simulation::findTouchingPairs(int share, int shares, bool watchForSharedCentres,
                                   PairPart& part) const {
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
                if (m_pairIds[candidate.first] == m_pairIds[candidate.second]) {
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
    std::sort(part.touching.begin(), part.touching.end(), Touching::inLoopOrder);
}

void Simulation::respondToPairs(ContactListener& contacts) {
    // The parts' pairs, each part's in the loop's order, merged into that order.
    m_touching.clear();
    for (const PairPart& part : m_pairParts) {
        m_pairTests += part.tests;
        const auto merged = static_cast<std::ptrdiff_t>(m_touching.size());
        m_touching.insert(m_touching.end(), part.touching.begin(), part.touching.end());
        std::inplace_merge(m_touching.begin(), m_touching.begin() + merged, m_touching.end(),
                           Touching::inLoopOrder);
    }
    const std::size_t count = m_touching.size();
    for (std::size_t k = 0; k < count; ++k) {
        // The bodies of a pair a few ahead are fetched meanwhile: with many bodies, a
        // response otherwise waits on memory for most of its time.
        if (k + kFetchAhead < count) {
            fetchBody(m_steppedBodies[m_touching[k + kFetchAhead].first]);
            fetchBody(m_steppedBodies[m_touching[k + kFetchAhead].second]);
        }
        const Touching& pair = m_touching[k];
        respond(*m_steppedBodies[pair.first], *m_steppedBodies[pair.second], pair.d2, pair.r2);
        contacts.contact(*m_pairOrder[pair.first], *m_pairOrder[pair.second]);
    }
}
