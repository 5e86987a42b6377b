#include "editor/ColoredRanges.h"
#include <gtest/gtest.h>

using editor::ColoredRanges;

namespace {

TEST(ColoredRanges, ReportsOnlyTheUncoveredPart) {
    ColoredRanges ranges;
    long s = 100;
    EXPECT_TRUE(ranges.Add(s, 200));
    EXPECT_EQ(100, s);
    s = 120;
    EXPECT_FALSE(ranges.Add(s, 180));  // inside
    s = 150;
    EXPECT_TRUE(ranges.Add(s, 260));   // overlaps the end
    EXPECT_EQ(201, s);
    ASSERT_EQ(1u, ranges.Intervals().size());
    EXPECT_EQ(260, ranges.Intervals().at(100));
}

TEST(ColoredRanges, GapsAreThePartsNoIntervalCovers) {
    ColoredRanges ranges;
    EXPECT_EQ((std::vector<std::pair<long, long>>{{0, 99}}), ranges.Gaps(0, 99));
    long s = 0;
    ranges.Add(s, 40);
    s = 50;
    ranges.Add(s, 60);  // an edited line [41, 49] between two coloured parts
    s = 90;
    ranges.Add(s, 200);
    EXPECT_EQ((std::vector<std::pair<long, long>>{{41, 49}, {61, 89}}), ranges.Gaps(10, 150));
    EXPECT_EQ((std::vector<std::pair<long, long>>{{41, 45}}), ranges.Gaps(41, 45));
    EXPECT_TRUE(ranges.Gaps(50, 60).empty());
    EXPECT_TRUE(ranges.Gaps(95, 120).empty());
    EXPECT_EQ((std::vector<std::pair<long, long>>{{201, 250}}), ranges.Gaps(150, 250));
    EXPECT_EQ((std::vector<std::pair<long, long>>{{45, 45}}), ranges.Gaps(45, 45));
}

TEST(ColoredRanges, MergesIntervalsItReaches) {
    ColoredRanges ranges;
    long s = 0;
    ranges.Add(s, 10);
    s = 20;
    ranges.Add(s, 30);
    s = 40;
    ranges.Add(s, 50);
    s = 5;
    EXPECT_TRUE(ranges.Add(s, 45));  // from inside the first to inside the third
    EXPECT_EQ(11, s);
    ASSERT_EQ(1u, ranges.Intervals().size());
    EXPECT_EQ(50, ranges.Intervals().at(0));
}

TEST(ColoredRanges, StartOutsideEveryIntervalKeepsTheSetDisjoint) {
    ColoredRanges ranges;
    long s = 50;
    ranges.Add(s, 60);
    s = 70;
    ranges.Add(s, 80);
    s = 10;
    EXPECT_TRUE(ranges.Add(s, 75));
    EXPECT_EQ(10, s);
    ASSERT_EQ(1u, ranges.Intervals().size());
    EXPECT_EQ(80, ranges.Intervals().at(10));
    EXPECT_TRUE(ranges.Contains(79));
    EXPECT_FALSE(ranges.Contains(81));
    ranges.Clear();
    EXPECT_TRUE(ranges.Empty());
}

} // namespace

namespace {

TEST(ColoredRanges, ReplacedForgetsTheEditedPartAndMovesWhatFollows) {
    ColoredRanges ranges;
    long s = 0;
    ranges.Add(s, 99);
    s = 200;
    ranges.Add(s, 299);
    // Text 40..49 became 40..54: five characters more.
    ranges.Replaced(40, 50, 55);
    ASSERT_EQ(3u, ranges.Intervals().size());
    EXPECT_EQ(39, ranges.Intervals().at(0));
    EXPECT_EQ(104, ranges.Intervals().at(55));    // 50..99 moved by 5
    EXPECT_EQ(304, ranges.Intervals().at(205));   // a later interval moves whole
    EXPECT_FALSE(ranges.Contains(45));

    // A deletion across the end of one interval and the start of the next.
    ranges.Replaced(100, 211, 100);  // 100..210 gone: 111 characters fewer
    ASSERT_EQ(3u, ranges.Intervals().size());
    EXPECT_EQ(99, ranges.Intervals().at(55));
    EXPECT_EQ(193, ranges.Intervals().at(100));  // old 211..304
    EXPECT_FALSE(ranges.Contains(45));
}

TEST(ColoredRanges, ReplacedBeforeEverythingOnlyMoves) {
    ColoredRanges ranges;
    long s = 50;
    ranges.Add(s, 60);
    ranges.Replaced(10, 10, 12);
    ASSERT_EQ(1u, ranges.Intervals().size());
    EXPECT_EQ(62, ranges.Intervals().at(52));
}

TEST(ColoredRanges, ForgetFromCutsTheIntervalItFallsInAndDropsEveryLaterOne) {
    ColoredRanges ranges;
    long s = 0;
    ranges.Add(s, 99);
    s = 200;
    ranges.Add(s, 299);
    ranges.ForgetFrom(50);
    ASSERT_EQ(1u, ranges.Intervals().size());
    EXPECT_EQ(49, ranges.Intervals().at(0));
    EXPECT_FALSE(ranges.Contains(50));
    ranges.ForgetFrom(0);
    EXPECT_TRUE(ranges.Empty());
}

} // namespace
