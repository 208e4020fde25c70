// The speed bar's rules, on which the voice selection depends.

#include <gtest/gtest.h>

#include <vector>

#include "speech/trackbar.h"
#include "support/casename.h"

namespace vernalo {
namespace {

enum class Op { Min, Max, Pos };

struct BarCase {
    const char* name;
    Op op;
    int value;
    int min, max, position;  // expected afterwards, from 0..10 at 5
    int changes;             // how often the change handler ran
};

void PrintTo(const BarCase& c, std::ostream* os) {
    *os << c.name;
}

class TrackBarRules : public testing::TestWithParam<BarCase> {};

TEST_P(TrackBarRules, followsTheRules) {
    const BarCase& c = GetParam();
    TrackBar bar;  // the form's 0..10 at 5
    int changes = 0, positionSeen = -1;
    bar.onChange = [&] {
        ++changes;
        positionSeen = bar.position();
    };
    switch (c.op) {
        case Op::Min:
            bar.setMin(c.value);
            break;
        case Op::Max:
            bar.setMax(c.value);
            break;
        case Op::Pos:
            bar.setPosition(c.value);
            break;
    }
    EXPECT_EQ(bar.min(), c.min);
    EXPECT_EQ(bar.max(), c.max);
    EXPECT_EQ(bar.position(), c.position);
    EXPECT_EQ(changes, c.changes);
    if (c.changes) {
        EXPECT_EQ(positionSeen, c.position) << "the handler sees the new position";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, TrackBarRules,
    testing::Values(BarCase{"maxBelowMinIsIgnored", Op::Max, -1, 0, 10, 5, 0},
                    BarCase{"minAboveMaxIsIgnored", Op::Min, 11, 0, 10, 5, 0},
                    BarCase{"maxEqualToMinIsTaken", Op::Max, 0, 0, 0, 0, 1},
                    BarCase{"maxBelowPositionMovesItDown", Op::Max, 3, 0, 3, 3, 1},
                    BarCase{"minAbovePositionMovesItUp", Op::Min, 8, 8, 10, 8, 1},
                    BarCase{"rangeAroundPositionMovesNothing", Op::Max, 7, 0, 7, 5, 0},
                    BarCase{"positionAboveMaxStopsAtMax", Op::Pos, 99, 0, 10, 10, 1},
                    BarCase{"positionBelowMinStopsAtMin", Op::Pos, -4, 0, 10, 0, 1},
                    BarCase{"samePositionRunsNothing", Op::Pos, 5, 0, 10, 5, 0},
                    BarCase{"newPositionRunsTheHandler", Op::Pos, 6, 0, 10, 6, 1}),
    test::CaseName);

// Voices apply max first, then min: a range wholly above the form's range needs both steps.
TEST(TrackBar, rangeAboveOldRangeNeedsMaxThenMin) {
    TrackBar bar;
    std::vector<int> seen;
    bar.onChange = [&] { seen.push_back(bar.position()); };
    bar.setMax(250);
    bar.setMin(50);
    EXPECT_EQ(bar.min(), 50);
    EXPECT_EQ(bar.max(), 250);
    EXPECT_EQ(bar.position(), 50);
    EXPECT_EQ(seen, std::vector<int>{50});
}

TEST(TrackBar, minFirstIntoAHigherRangeIsIgnored) {
    TrackBar bar;
    bar.setMin(50);  // above the max of 10: ignored
    bar.setMax(250);
    EXPECT_EQ(bar.min(), 0);
    EXPECT_EQ(bar.max(), 250);
    EXPECT_EQ(bar.position(), 5);
}

TEST(TrackBar, viewIsToldOfRangeChangesWithoutMove) {
    TrackBar bar;
    int updates = 0, changes = 0;
    bar.onUpdate = [&] { ++updates; };
    bar.onChange = [&] { ++changes; };
    bar.setMax(20);
    EXPECT_EQ(updates, 1);
    EXPECT_EQ(changes, 0);
}

}  // namespace
}  // namespace vernalo
