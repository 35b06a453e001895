#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "simulation/PairFinder.h"

class CSceneObject;

// Bodies whose centres coincide on the ground have no line of centres: a contact can
// neither push them apart along it nor exchange their motion along it, so a pile of
// them would stay one pile for good, every pair of it in contact every frame. Before
// the frame's contacts are sought, each such group is spread over the ground: the
// k-th body of the group (in list order) moves sqrt(k) spacings out along the angle
// k times the golden angle (a sunflower's florets), which sets every two of them at
// least one spacing apart, and the spacing is just over the group's largest contact
// distance. The first movable body stays where it is, unless a fixed body holds the
// spot; fixed bodies never move. Heights play no part.
//
// Bodies that share no centre are left exactly as they were, so a scene without such
// a pile runs bit for bit as it would without this step. A body whose position or
// radius is not a finite number, or whose radius is 0, is never part of a group.
class CoincidentCentres {
public:
    // bodies in list order, and their spheres as they stand (which are read instead of
    // the bodies, as they lie together); returns how many bodies were moved. The
    // spheres of moved bodies are left as they were.
    std::size_t separate(std::span<const PairFinder::Sphere> spheres,
                         std::span<CSceneObject> bodies);

private:
    // What a group holds, kept at its first body's number.
    struct Group {
        int members;
        int placed; // ranks handed out so far
        bool holdsFixed;
        float largestRadius;
    };
    // The first body (in list order) at body index's centre: index itself, when none
    // before it is there.
    int firstAt(std::span<const PairFinder::Sphere> spheres, int index);
    // Spreads the groups m_firstOf describes; returns how many bodies moved.
    std::size_t spread(std::span<CSceneObject> bodies);

    std::vector<int> m_firstOf;  // per body: the first at its centre, or -1
    std::vector<int> m_table;    // first bodies by hashed centre, -1 where free
    std::vector<Group> m_groups; // by first body; only once some centres are shared
};
