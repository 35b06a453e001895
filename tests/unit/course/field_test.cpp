#include "course/CourseField.h"

#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

// Border sample k sits where its number says, so every fan vertex names its source.
D3DXVECTOR3 sampleAt(int k) {
    return {static_cast<float>(k), 0.5f, static_cast<float>(-k)};
}

CCourseField makeField(std::initializer_list<std::pair<float, float>> xz, int borderSamples) {
    CCourseField field;
    for (const auto& [x, z] : xz) {
        field.addControlPoint(x, 0, z);
    }
    for (int k = 0; k < borderSamples; ++k) {
        field.addBorderSample(sampleAt(k).x, sampleAt(k).y, sampleAt(k).z);
    }
    return field;
}

// The midpoint of samples a and b, then the samples of each [from, to) range.
std::vector<D3DXVECTOR3> fanOf(int a, int b, std::initializer_list<std::pair<int, int>> ranges) {
    std::vector<D3DXVECTOR3> out{(sampleAt(a) + sampleAt(b)) / 2.0f};
    for (const auto& [from, to] : ranges) {
        for (int k = from; k < to; ++k) {
            out.push_back(sampleAt(k));
        }
    }
    return out;
}

TEST(CourseField, FansFollowTheLoopAndWrapAroundIt) {
    // Three corners turning negatively, ten samples per control point: one fan from
    // the middle of the samples at points 2 and 1, round three loop-following sides,
    // closing on the first sample of the last side's end.
    CCourseField field = makeField({{0, 0}, {10, 0}, {0, 10}}, 30);
    field.setTextureName("./data/road.bmp");
    ASSERT_EQ(field.build(), S_OK);
    ASSERT_EQ(field.triangles(), (std::vector<FieldTriangle>{{2, 0, 1}}));
    ASSERT_EQ(field.fans().size(), 1u);
    EXPECT_EQ(field.fans()[0]->vertices(), fanOf(20, 10, {{20, 30}, {0, 10}, {10, 21}}));
    EXPECT_EQ(field.fans()[0]->textureName(), "./data/road.bmp");

    // Laid clockwise the corners are cut as (0, 1, 2); its closing side runs from
    // point 2 back to 0, so its end is the sample one past the last: sample 0.
    CCourseField clockwise = makeField({{0, 0}, {0, 10}, {10, 0}}, 12);
    ASSERT_EQ(clockwise.build(), S_OK);
    ASSERT_EQ(clockwise.triangles(), (std::vector<FieldTriangle>{{0, 1, 2}}));
    EXPECT_EQ(clockwise.fans()[0]->vertices(), fanOf(0, 8, {{0, 12}, {0, 1}}));

    // A square fanned from its last corner: a chord across the field adds only its
    // first end.
    CCourseField square = makeField({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, 16);
    ASSERT_EQ(square.build(), S_OK);
    ASSERT_EQ(square.triangles(), (std::vector<FieldTriangle>{{3, 0, 1}, {3, 1, 2}}));
    EXPECT_EQ(square.fans()[0]->vertices(), fanOf(12, 4, {{12, 16}, {0, 4}, {4, 5}}));
    EXPECT_EQ(square.fans()[1]->vertices(), fanOf(12, 8, {{12, 13}, {4, 8}, {8, 13}}));
}

TEST(CourseField, EveryBorderSampleBelongsToSomeFan) {
    // A concave loop in both directions; 38 samples leave three past the last share.
    for (bool clockwise : {false, true}) {
        CCourseField field =
            clockwise
                ? makeField({{0, 10}, {4, 10}, {5, 2}, {6, 10}, {10, 10}, {10, 0}, {0, 0}}, 38)
                : makeField({{0, 0}, {10, 0}, {10, 10}, {6, 10}, {5, 2}, {4, 10}, {0, 10}}, 38);
        ASSERT_EQ(field.build(), S_OK);
        ASSERT_EQ(field.fans().size(), 5u);
        std::set<int> seen;
        for (const auto& fan : field.fans()) {
            for (std::size_t i = 1; i < fan->vertices().size(); ++i) { // 0 is a midpoint
                seen.insert(static_cast<int>(fan->vertices()[i].x));
            }
        }
        for (int k = 0; k < 35; ++k) {
            EXPECT_TRUE(seen.count(k)) << "sample " << k << (clockwise ? " (clockwise)" : "");
        }
    }
}

TEST(CourseField, BuildAndRegeneration) {
    CCourseField two = makeField({{0, 0}, {10, 0}}, 20);
    EXPECT_EQ(two.build(), S_OK);
    EXPECT_TRUE(two.triangles().empty());
    EXPECT_TRUE(two.fans().empty());

    CCourseField field = makeField({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, 0);
    ASSERT_EQ(field.build(), S_OK);
    EXPECT_EQ(field.triangles().size(), 2u);
    EXPECT_TRUE(field.fans().empty()) << "no border, no fans";
    const auto triangles = field.triangles();

    for (int k = 0; k < 40; ++k) {
        field.addBorderSample(sampleAt(k).x, sampleAt(k).y, sampleAt(k).z);
    }
    ASSERT_EQ(field.build(), S_OK);
    EXPECT_EQ(field.triangles(), triangles) << "a second build replaces, not appends";
    EXPECT_EQ(field.fans().size(), 2u);

    field.resetForRegeneration();
    EXPECT_TRUE(field.borderSamples().empty());
    EXPECT_TRUE(field.triangles().empty());
    EXPECT_TRUE(field.fans().empty());
    EXPECT_EQ(field.controlPolygon().size(), 4u);

    field.setTextureName(std::string(300, 'a'));
    EXPECT_EQ(field.textureName().size(), 127u);
}

} // namespace
