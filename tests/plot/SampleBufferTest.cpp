#include "plot/SampleBuffer.h"

#include <gtest/gtest.h>

namespace {

void addSamples(SampleBuffer& ring, int count, platform::Seconds firstTime = 1000) {
    for (int k = 0; k < count; ++k)
        ring.add(firstTime + k, k + 1.0);
}

struct RingState {
    int adds;
    int first;
    int next;
};

class RingIndices : public ::testing::TestWithParam<RingState> {};

TEST_P(RingIndices, FirstAndNextFollowTheAddCount) {
    SampleBuffer ring;
    addSamples(ring, GetParam().adds);
    EXPECT_EQ(ring.first(), GetParam().first);
    EXPECT_EQ(ring.next(), GetParam().next);
    EXPECT_EQ(ring.added(), GetParam().adds);
}

INSTANTIATE_TEST_SUITE_P(EmptyFillingAndFull, RingIndices,
                         ::testing::Values(RingState{0, 7199, 0}, RingState{1, 0, 1},
                                           RingState{7199, 0, 7199}, RingState{7200, 1, 0},
                                           RingState{7201, 2, 1}),
                         [](const auto& info) { return "Adds" + std::to_string(info.param.adds); });

TEST(SampleBuffer, NewRingHoldsOnlyZeroSamples) {
    SampleBuffer ring;
    for (int i = 0; i < SampleBuffer::capacity; ++i) {
        ASSERT_EQ(ring.entry(i).value, 0.0);
        ASSERT_EQ(ring.entry(i).time, 0);
    }
    EXPECT_FALSE(ring.inUse);
}

TEST(SampleBuffer, FullRingKeepsTheNewest7199InOrder) {
    SampleBuffer ring;
    addSamples(ring, 7201);
    // The walk from first to next gives the samples 3..7201, oldest first.
    double expected = 3.0;
    int visited = 0;
    for (int i = ring.first(); i != ring.next(); i = SampleBuffer::stepIndex(i), ++visited)
        ASSERT_EQ(ring.entry(i).value, expected++);
    EXPECT_EQ(visited, 7199);
    EXPECT_EQ(ring.entry(0).value, 7201.0);
}

TEST(SampleBuffer, AddedKeepsCountingPastTheRingSize) {
    SampleBuffer ring;
    addSamples(ring, 10000);
    EXPECT_EQ(ring.added(), 10000);
}

TEST(SampleBuffer, ClearAfterWrapStartsAgainAtEntryZero) {
    SampleBuffer ring;
    addSamples(ring, 9000);
    ring.clear();
    EXPECT_EQ(ring.first(), 7199);
    EXPECT_EQ(ring.next(), 0);
    EXPECT_EQ(ring.added(), 0);
    EXPECT_EQ(ring.entry(7199).time, 0);
    ring.add(5000, 2.5);
    EXPECT_EQ(ring.first(), 0);
    EXPECT_EQ(ring.next(), 1);
    EXPECT_EQ(ring.entry(0).value, 2.5);
    // Still filling: the second sample must not push first on.
    ring.add(5001, 2.6);
    EXPECT_EQ(ring.first(), 0);
}

TEST(SampleBuffer, ClearKeepsTheDrawingAttributes) {
    SampleBuffer ring;
    ring.inUse = true;
    ring.color = QColor(1, 2, 3);
    ring.penStyle = 2;
    ring.rightAxis = true;
    addSamples(ring, 10);
    ring.clear();
    EXPECT_TRUE(ring.inUse);
    EXPECT_EQ(ring.color, QColor(1, 2, 3));
    EXPECT_EQ(ring.penStyle, 2);
    EXPECT_TRUE(ring.rightAxis);
}

} // namespace
