#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "check/CourseCheck.h"
#include "d3dx9/d3dx9math.h"
#include "scene/Course.h"
#include "simulation/BroadPhase.h"
#include "simulation/CoincidentCentres.h"
#include "simulation/SettleCache.h"
#include "simulation/SurfaceQuery.h"
#include "simulation/WorkerPool.h"
#include "win32/win32.h"

struct XfilePlacement;
class CSceneObject;

// The five heights a footprint samples (front, back, left, right, centre) as surface
// following leaves them, and which body, by its number in the order of the frame, set
// each last. Each thread of the frame follows its bodies, in ascending order, with
// samples of its own; what the serial order would leave is put together from them
// afterwards.
struct FootprintSamples {
    static constexpr std::size_t kNotSet = std::numeric_limits<std::size_t>::max();

    float heights[5];
    std::size_t setBy[5];

    explicit FootprintSamples(const float (&start)[5]);
    void set(int sample, float height, std::size_t body) {
        heights[sample] = height;
        setBy[sample] = body;
    }
    // Writes over `into` each height as the last body in order to set it left it.
    static void leaveLatest(std::span<const FootprintSamples> parts, float (&into)[5]);
};

// Told of each contact the step responds to, in the order of the responses.
class ContactListener {
public:
    virtual void contact(const XfilePlacement& first, const XfilePlacement& second) = 0;

protected:
    ~ContactListener() = default;
};

// The bodies' motion over a course: the play step (movement, then the responses of the
// pairs that touch, in the bodies' order) and, in every mode, each body's world matrix
// and its following of the course surface. Each course keeps its bodies in arrays
// (Bodies, in its PlacedMeshes), so that a scene of several courses keeps every
// course's bodies while one is played; the frame's passes run over index ranges of the
// arrays of the course handed in, in their order, which every result depends on.
class Simulation {
public:
    Simulation();
    ~Simulation();
    Simulation(const Simulation&) = delete;
    Simulation& operator=(const Simulation&) = delete;

    // Moves every body of the course one step, separates bodies sharing a centre, then
    // responds to every touching pair (each body with the ones after it in order) and
    // tells `contacts` of each.
    void step(LCourse_t& course, ContactListener& contacts);
    // Every body's world matrix, then its following of the surface, the bodies shared
    // among threads(); the same results for any count.
    void settle(LCourse_t& course);
    // A frame of play: step(), then afterStep(), then settle(), with the same results.
    // Each body's world matrix and surface following are worked out in the step's own
    // pass over the bodies, right after the body's move, while the body is at hand; the
    // step's contacts and afterStep() therefore see the bodies' heights, tilts and world
    // matrices already settled. Only a bounce from a side strip, which changes the
    // body's motion, waits until after afterStep(). When the step spreads bodies that
    // share a centre, which moves them after their following, the following is undone
    // before the contacts and made again after afterStep(), as settle() makes it.
    void playFrame(LCourse_t& course, ContactListener& contacts,
                   const std::function<void()>& afterStep);
    // Responds to a contact of the two bodies; E_FAIL when they do not touch.
    [[nodiscard]] HRESULT testPair(CSceneObject& first, CSceneObject& second);

    // The course surface under (x, z) for a body: writes the height and the body's
    // hints, and edge on a side strip; off the course the outputs stay as they were.
    [[nodiscard]] HRESULT queryBody(const LCourse_t& course, float x, float z, float* height,
                                    SurfaceHint& hint, D3DXVECTOR3* edge) const;
    // Five samples under the placement's body's footprint set its height, roll and pitch.
    [[nodiscard]] HRESULT followSurface(LCourse_t& course, const XfilePlacement& placement,
                                        D3DXVECTOR3* edge);
    // The course surface under (x, z) for the camera, searched from its hint.
    [[nodiscard]] HRESULT queryCamera(const LCourse_t* course, float x, float z, float* height,
                                      SurfaceHint& hint, D3DXVECTOR3* edge) const;
    // Five samples just ahead of a camera point, heading (ct, st), set its height. A
    // sample off the course keeps the height the footprint's last sample of the same
    // place found, body or camera.
    void followSurfaceCamera(const LCourse_t* course, float ct, float st, D3DXVECTOR3* point,
                             SurfaceHint& hint, D3DXVECTOR3* scratch);
    // Checks a course's geometry, dropping balls on its road through the bodies'
    // surface query.
    CourseCheck checkCourse(const LCourse_t& course);

    // How many threads share the frame's per-body work (each body's move, the search
    // for touching pairs, world matrices and surface following); 1 keeps it on the
    // calling thread. The pair responses always run on the calling thread, in order. Any count
    // gives the same results to the bit.
    int threads() const { return m_threads; }
    // Counts below 1 are taken as 1, above WorkerPool::kMostThreads as that.
    void setThreads(int threads) { m_threads = std::clamp(threads, 1, WorkerPool::kMostThreads); }
    // Whether the bodies' surface following looks triangles up in the surface grid or
    // searches row by row from the hints; the answers are the same.
    bool usesSurfaceGrid() const { return m_surfaceGrid; }
    void useSurfaceGrid(bool grid) { m_surfaceGrid = grid; }
    // Replaces the broad phase that finds the pairs to test (a reference finder that
    // reports every pair must give the same results).
    void usePairFinder(std::unique_ptr<PairFinder> finder) { m_pairFinder = std::move(finder); }
    // Surface queries the grid left to the row-by-row search since it was last built
    // (for tests and measurements).
    std::size_t plainSurfaceSearches() const { return m_surfaceIndex.plainSearches(); }
    // Exact contact tests made by the pair loop so far (for tests and measurements).
    std::uint64_t pairTests() const { return m_pairTests; }
    // The footprint's sample heights as the last following left them.
    const float (&footprintHeights() const)[5] { return m_sampleHeights; }
    float footprintLength() const { return kFootprintLength; }
    float footprintWidth() const { return kFootprintWidth; }

    // Fewer bodies than this per thread are not worth waking a thread for.
    static constexpr std::size_t kLeastBodiesPerThread = 128;

private:
    static constexpr float kFootprintLength = 2.0f;
    static constexpr float kFootprintWidth = 2.0f;

    // A body's bounce off a side strip, found in the step's pass and made after it.
    struct Bounce {
        std::size_t body; // index in the course's bodies
        D3DXVECTOR3 toward;
    };
    // What surface following overwrites, kept from before the step's pass followed the
    // body, so that it can be undone.
    struct BeforeFollowing {
        float height;
        float roll;
        float pitch;
        SurfaceHint hint;
    };

    // Two bodies found touching by a part of the pair search: their numbers in the
    // pair loop's order, and what the response needs of their distance and reach.
    struct Touching {
        std::uint32_t first;
        std::uint32_t second;
        float d2;
        float r2;

        // The order of the full loop over the pairs: by the first body, then the second.
        // A function object, so that the sorts of many pairs a frame inline it.
        struct InLoopOrder {
            bool operator()(const Touching& a, const Touching& b) const {
                return a.first != b.first ? a.first < b.first : a.second < b.second;
            }
        };
    };
    // What one thread's share of the pair search found, in the loop's order. Each
    // starts a cache line of its own: the parts lie side by side, and a thread writing
    // its part for every pair would otherwise keep taking the line from the others.
    struct alignas(64) PairPart {
        std::vector<Touching> touching;
        std::vector<Touching> sortScratch;
        std::uint64_t tests = 0;
        bool sawSharedCentre = false; // and stopped there
    };

    // Finds the touching pairs of the course's bodies (by their spheres m_pairSpheres,
    // from which the pair finder was built, and their placements' ids) into
    // m_pairParts. Watching for shared centres, it stops at the first pair of bodies at
    // one spot and returns false.
    bool findTouchingPairs(std::span<const std::int32_t> ids, bool watchForSharedCentres);
    // Responds to the pairs found, in the loop's order.
    void respondToPairs(PlacedMeshes& placed, ContactListener& contacts);
    // Tests the candidates of the share-th of `shares` shares of the pair finder's
    // search; reads only the frame's spheres, the ids and the pair finder.
    void findTouchingPairs(std::span<const std::int32_t> ids, int share, int shares,
                           bool watchForSharedCentres, PairPart& part) const;
    static void respond(CSceneObject& a, CSceneObject& b, float d2, float r2);
    // How many threads' parts a job over that many bodies is cut into (1: no helpers).
    int partsFor(std::size_t bodies) const;
    // Works [0, bodies) in contiguous parts on the frame's threads, or all on this one
    // when a part would be too small to be worth a thread.
    void shareAmongThreads(std::size_t bodies, const WorkerPool::Part& work);
    // Works [0, n) in exactly `parts` contiguous parts (at most threads()) side by side.
    void workInParts(std::size_t n, int parts, const WorkerPool::Part& work);
    // step(), and when `follow`, each body's settling in the same pass as its move; false
    // when that settling had to be undone.
    bool moveAndRespond(LCourse_t& course, ContactListener& contacts, bool follow);
    // Moves each body, taking its sphere into m_pairSpheres; when `follow`, settles it
    // next, keeping what that overwrites in m_beforeFollowing and what it found in
    // m_partSamples and m_partBounces.
    void moveBodies(LCourse_t& course, bool follow);
    // Puts back what the step's pass of surface following overwrote.
    void undoFollowing(Bodies& bodies);
    // Builds the pair finder over m_pairSpheres, its work shared as the bodies' is.
    void buildPairFinder();
    // One body of settle, body number `index` of the pass, but for its bounce off a side
    // strip, which it hands back. Reads nothing but the course, its surface grid and the
    // footprint's size; writes only the body, its hints and samples.
    [[nodiscard]] std::optional<D3DXVECTOR3>
    settleBody(const LCourse_t& course, CSceneObject& body, SurfaceHint& hint,
               FootprintSamples& samples, std::size_t index, SettleCache& cache) const;
    // Readies each part's samples (from m_sampleHeights) and bounces (none) for a pass
    // of surface following.
    void startFollowParts(int parts);
    // What the parts of a pass of surface following found, in the order of the pass.
    void finishFollowing(Bodies& bodies);
    void followFootprint(const LCourse_t& course, CSceneObject& body, SurfaceHint& hint,
                         D3DXVECTOR3* edge, FootprintSamples& samples, std::size_t index,
                         SettleCache* cache) const;
    // The surface under (x, z), and if there is none, under the point moved a little
    // (the nudges from firstNudge on).
    [[nodiscard]] bool querySurface(const LCourse_t& course, float x, float z, float halfHeight,
                                    int startRow, int firstStrip, SurfaceHit* hit,
                                    int firstNudge) const;
    // Brings the surface grid up to date with the course's strips when `queries`
    // queries are about to be made and it pays; until endQueries the body queries use it.
    void beginQueries(const LCourse_t& course, std::size_t queries);
    void endQueries() { m_surfaceIndexInUse = false; }

    int m_threads = defaultThreadCount();
    bool m_surfaceGrid = true;
    std::uint64_t m_pairTests = 0;
    float m_sampleHeights[5] = {}; // front, back, left, right, centre

    // Scratch of the step, kept between frames so that it allocates only while the
    // scene grows.
    std::unique_ptr<PairFinder> m_pairFinder;
    CoincidentCentres m_coincidentCentres;
    std::vector<PairFinder::Sphere> m_pairSpheres;
    std::vector<BeforeFollowing> m_beforeFollowing;
    std::vector<SettleCache> m_settleCaches; // by body index
    std::vector<PairPart> m_pairParts;
    std::vector<Touching> m_touching; // every part's, in the loop's order
    // The course surface's grid, used by the bodies' surface following; it is brought
    // up to date with the strips right before, so any change to the course between
    // frames is seen.
    SurfaceIndex m_surfaceIndex;
    bool m_surfaceIndexInUse = false;
    // The threads of the frame, started at its first frame with enough bodies, and, for
    // each part of a pass of surface following, its footprint samples and the bounces it
    // found.
    std::unique_ptr<WorkerPool> m_workers;
    std::vector<FootprintSamples> m_partSamples;
    std::vector<std::vector<Bounce>> m_partBounces;
};
