// The course list and what points into it: which course is current, the driven mesh
// and the bitmap placed last. Nothing may point into a course once it is gone, and the
// numbers the user sees follow the list order.
#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <vector>

#include "scene/CourseEditor.h"

namespace {

HTREEITEM item(std::uintptr_t n) {
    return reinterpret_cast<HTREEITEM>(n);
}

// Three courses for items 1, 2 and 3, in that order, each with a mesh and a bitmap.
CourseEditor threeCourses() {
    CourseEditor editor;
    for (std::uintptr_t n = 1; n <= 3; ++n) {
        LCourse_t course;
        course.treeItem = item(n);
        course.xfilePlacements.add(XfilePlacement{}, CSceneObject{});
        course.bitmapPlacements.emplace_back();
        (void)editor.add(std::move(course));
    }
    return editor;
}

std::vector<std::uintptr_t> itemsInOrder(const CourseEditor& editor) {
    std::vector<std::uintptr_t> items;
    for (const auto& course : editor.courseList()) {
        items.push_back(reinterpret_cast<std::uintptr_t>(course.treeItem));
        EXPECT_EQ(course.number, static_cast<std::int32_t>(items.size()));
    }
    return items;
}

} // namespace

TEST(CourseEditor, NumbersFollowTheListAndTheShownNumberTheCurrentCourse) {
    CourseEditor editor = threeCourses();
    EXPECT_EQ(itemsInOrder(editor), (std::vector<std::uintptr_t>{1, 2, 3}));
    editor.makeCurrent(editor.find(item(3)));
    EXPECT_EQ(editor.number(), 3);

    editor.moveTo(std::prev(editor.courseList().end()), 0);
    EXPECT_EQ(itemsInOrder(editor), (std::vector<std::uintptr_t>{3, 1, 2}));
    EXPECT_EQ(editor.number(), 1) << "the current course moved to the front";

    ASSERT_TRUE(editor.remove(item(1)));
    EXPECT_EQ(itemsInOrder(editor), (std::vector<std::uintptr_t>{3, 2}));
    EXPECT_FALSE(editor.remove(item(1)));
    EXPECT_EQ(editor.find(item(1)), nullptr);
}

TEST(CourseEditor, RemovingACourseLetsGoOfWhatPointsIntoItAndOnlyThat) {
    CourseEditor editor = threeCourses();
    LCourse_t& second = *editor.find(item(2));
    editor.makeCurrent(&second);
    editor.drive(&second.xfilePlacements.front());
    editor.setLastBitmap(&second.bitmapPlacements.front());

    ASSERT_TRUE(editor.remove(item(1)));
    EXPECT_EQ(editor.current(), &second);
    EXPECT_EQ(editor.driven(), &second.xfilePlacements.front());
    EXPECT_EQ(editor.lastBitmap(), &second.bitmapPlacements.front());

    ASSERT_TRUE(editor.remove(item(2)));
    EXPECT_EQ(editor.current(), nullptr);
    EXPECT_EQ(editor.driven(), nullptr);
    EXPECT_EQ(editor.lastBitmap(), nullptr);
}

TEST(CourseEditor, AReplacementTakesThePlaceAndThePartOfTheCourseItReplaces) {
    for (const bool replacedIsCurrent : {true, false}) {
        CourseEditor editor = threeCourses();
        LCourse_t& old = *editor.find(item(2));
        LCourse_t& other = *editor.find(item(3));
        editor.makeCurrent(replacedIsCurrent ? &old : &other);
        editor.drive(&old.xfilePlacements.front());

        LCourse_t replacement;
        replacement.treeItem = item(2);
        (void)editor.add(std::move(replacement));
        const auto made = std::prev(editor.courseList().end());
        const auto oldAt = std::next(editor.courseList().begin());
        editor.replace(oldAt, made);

        EXPECT_EQ(itemsInOrder(editor), (std::vector<std::uintptr_t>{1, 2, 3}));
        EXPECT_EQ(editor.driven(), nullptr) << "the driven mesh was on the replaced course";
        if (replacedIsCurrent) {
            EXPECT_EQ(editor.current(), &*std::next(editor.courseList().begin()));
            EXPECT_EQ(editor.number(), 2);
        } else {
            EXPECT_EQ(editor.current(), &other);
            EXPECT_EQ(editor.number(), 3);
        }
    }
}
