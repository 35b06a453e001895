// The placed meshes of a course: every record keeps its own body through additions
// and removals anywhere in the list, and the bodies stay in the records' order.
#include <gtest/gtest.h>

#include <iterator>
#include <vector>

#include "scene/PlacedMeshes.h"

namespace {

// Places meshes whose bodies carry their number as radius, so each can be told apart.
XfilePlacement& place(PlacedMeshes& meshes, float number) {
    CSceneObject body;
    body.radius = number;
    XfilePlacement& placed = meshes.add(XfilePlacement{}, body);
    meshes.setId(placed, static_cast<std::int32_t>(number));
    return placed;
}

// The records' bodies' numbers in list order, checked against the arrays' order, the
// ids beside them and the way back from each body to its record.
std::vector<float> numbersInOrder(const PlacedMeshes& meshes) {
    std::vector<float> numbers;
    std::size_t index = 0;
    for (const XfilePlacement& placement : meshes) {
        const float number = meshes.body(placement).radius;
        EXPECT_EQ(meshes.bodies().all()[index].radius, number) << index;
        EXPECT_EQ(meshes.bodies().indexOf(placement.body), index);
        EXPECT_EQ(&meshes.placementAt(index), &placement);
        EXPECT_EQ(meshes.ids()[index], placement.id());
        numbers.push_back(number);
        ++index;
    }
    EXPECT_EQ(meshes.bodies().size(), meshes.size());
    return numbers;
}

TEST(PlacedMeshes, EveryRecordKeepsItsBodyWhereverOthersComeAndGo) {
    struct Case {
        const char* what;
        std::vector<int> removed; // positions in the list at the time, one after another
        std::vector<float> left;
    };
    for (const Case& c :
         {Case{"first", {0}, {2, 3, 4, 5}}, Case{"last", {4}, {1, 2, 3, 4}},
          Case{"middle twice", {2, 1}, {1, 4, 5}}, Case{"all", {0, 0, 0, 0, 0}, {}}}) {
        PlacedMeshes meshes;
        for (float n = 1; n <= 5; ++n) {
            place(meshes, n);
        }
        for (const int position : c.removed) {
            meshes.erase(std::next(meshes.begin(), position));
        }
        EXPECT_EQ(numbersInOrder(meshes), c.left) << c.what;
        // A body placed now comes last, and takes a freed id without disturbing others.
        const XfilePlacement& added = place(meshes, 9);
        std::vector<float> expected = c.left;
        expected.push_back(9);
        EXPECT_EQ(numbersInOrder(meshes), expected) << c.what;
        EXPECT_EQ(meshes.body(added).radius, 9.0f) << c.what;
    }
}

TEST(PlacedMeshes, RenumberingReachesTheIdsTheFrameCompares) {
    PlacedMeshes meshes;
    for (float n = 1; n <= 3; ++n) {
        place(meshes, n);
    }
    meshes.renumber(0);
    EXPECT_EQ(std::vector<std::int32_t>(meshes.ids().begin(), meshes.ids().end()),
              (std::vector<std::int32_t>{0, 1, 2}));
    numbersInOrder(meshes);
}

} // namespace
