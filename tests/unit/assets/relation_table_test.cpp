#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

#include "scene/RelationTable.h"
#include "tumbleway/NameField.h"

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

// Relations are looked up by the names in the placements' fields, compared in place.
TEST(NameField, AKeyMatchesExactlyTheFieldsThatReadAsItsText) {
    std::string longest(kNameFieldSize - 1, 'n');
    struct Case {
        std::string stored; // bytes written into the field, the rest zero
        std::string text;
    };
    const Case cases[] = {
        {"ball.x", "ball.x"},
        {"ball.x", "ball"},
        {"ball.x", "ball.xx"},
        {"ball.x", ""},
        {"", ""},
        {std::string("ball.x\0junk", 11), "ball.x"},
        {"seven.x", "seven.x"},
        {"seven.xY", "seven.x"},
        {"eight.xx", "eight.xx"},
        {"eight.xxY", "eight.xx"},
        {"signpost.glb", "signpost.obj"},
        {"signpost.glb", "signpost.gl"},
        {"signpost.glb", "signpost.glb"},
        {longest, longest},
        {longest + "!", longest},
        {longest, longest.substr(1)},
    };
    for (const Case& c : cases) {
        char field[kNameFieldSize] = {};
        std::memcpy(field, c.stored.data(), std::min(c.stored.size(), sizeof field));
        EXPECT_EQ(NameFieldKey(c.text).matches(field), nameFieldText(field) == c.text)
            << "stored '" << c.stored << "', text '" << c.text << "'";
    }
}
