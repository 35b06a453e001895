#include <gtest/gtest.h>

#include "scene/RelationTable.h"

TEST(RelationTable, KeepsTheFirstSoundOfAPair) {
    RelationTable table;
    table.add("car.x", "ball.x", "hit.wav");
    table.add("car.x", "ball.x", "crash.wav");
    const auto answer = table.lookup("car.x", "ball.x");
    EXPECT_EQ(answer.result, 1);
    EXPECT_EQ(answer.wav, "hit.wav");
}

TEST(RelationTable, PairsAreOrdered) {
    RelationTable table;
    table.add("car.x", "ball.x", "hit.wav");
    const auto reversed = table.lookup("ball.x", "car.x");
    EXPECT_EQ(reversed.result, -1);
    EXPECT_EQ(reversed.wav, "nodata");
    table.add("ball.x", RelationTable::kMoveKey, "roll.wav");
    EXPECT_EQ(table.lookup("ball.x", "0").wav, "roll.wav");
    EXPECT_EQ(table.lookup("car.x", "0").result, -1);
}

TEST(RelationTable, RemoveAnswersWhatItErased) {
    RelationTable table;
    table.add("a.x", "b.x", "hit.wav");
    table.add("a.x", "c.x", "bump.wav");
    const auto removed = table.remove("a.x", "b.x");
    EXPECT_EQ(removed.result, 1);
    EXPECT_EQ(removed.wav, "hit.wav");
    EXPECT_EQ(table.lookup("a.x", "b.x").result, -1);
    EXPECT_EQ(table.lookup("a.x", "c.x").wav, "bump.wav");
    EXPECT_EQ(table.remove("a.x", "b.x").result, -1);
    EXPECT_EQ(table.remove("zzz", "b.x").wav, "nodata");
    table.remove("a.x", "c.x");
    EXPECT_TRUE(table.empty());
}
