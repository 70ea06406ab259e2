// The ladder of zoom factors that Zoom In, Zoom Out and Ctrl+wheel climb.

#include "ui/framework/zoomsteps.h"

#include <gtest/gtest.h>

namespace {

const ZoomSteps kPercent{50, 67, 75, 100, 125, 150, 200, 300, 400};
const ZoomSteps kFactor{1.0 / 64, 1.0 / 3, 1.0, 1.5, 16.0};

TEST(ZoomStepsTest, InAndOutClimbOneRungAndStopAtTheEnds) {
    EXPECT_DOUBLE_EQ(kPercent.In(100), 125);
    EXPECT_DOUBLE_EQ(kPercent.Out(100), 75);
    EXPECT_DOUBLE_EQ(kPercent.In(300), 400);
    EXPECT_DOUBLE_EQ(kPercent.In(400), 400);
    EXPECT_DOUBLE_EQ(kPercent.Out(67), 50);
    EXPECT_DOUBLE_EQ(kPercent.Out(50), 50);
    EXPECT_DOUBLE_EQ(kPercent.Minimum(), 50);
    EXPECT_DOUBLE_EQ(kPercent.Maximum(), 400);
}

TEST(ZoomStepsTest, AZoomBetweenRungsGoesToTheNearerOneInTheDirectionAsked) {
    EXPECT_DOUBLE_EQ(kPercent.In(110), 125);
    EXPECT_DOUBLE_EQ(kPercent.Out(110), 100);
    EXPECT_DOUBLE_EQ(kPercent.In(20), 50);
    EXPECT_DOUBLE_EQ(kPercent.Out(20), 50);
    EXPECT_DOUBLE_EQ(kPercent.In(900), 400);
    EXPECT_DOUBLE_EQ(kPercent.Out(900), 400);
}

TEST(ZoomStepsTest, AZoomAHairOffARungCountsAsOnIt) {
    // A third computed by division, and a fit that came out just under 1:1.
    const double third = 1.0 / 3 * (1 + 1e-9);
    EXPECT_DOUBLE_EQ(kFactor.In(third), 1.0);
    EXPECT_DOUBLE_EQ(kFactor.Out(third), 1.0 / 64);
    EXPECT_DOUBLE_EQ(kFactor.In(0.99999), 1.5);
    EXPECT_DOUBLE_EQ(kFactor.Out(1.00001), 1.0 / 3);
}

TEST(ZoomStepsTest, StepsClimbSeveralRungsEitherWayAndClampKeepsWithinTheEnds) {
    EXPECT_DOUBLE_EQ(kPercent.Step(100, 2), 150);
    EXPECT_DOUBLE_EQ(kPercent.Step(100, -3), 50);
    EXPECT_DOUBLE_EQ(kPercent.Step(100, 0), 100);
    EXPECT_DOUBLE_EQ(kPercent.Step(100, 20), 400);
    EXPECT_DOUBLE_EQ(kPercent.Step(400, -20), 50);
    EXPECT_DOUBLE_EQ(kPercent.Clamp(10), 50);
    EXPECT_DOUBLE_EQ(kPercent.Clamp(1000), 400);
    EXPECT_DOUBLE_EQ(kPercent.Clamp(110), 110);
    EXPECT_DOUBLE_EQ(kFactor.Clamp(0), 1.0 / 64);
}

} // namespace
