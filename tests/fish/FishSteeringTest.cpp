#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>

#include "FishTestSupport.h"

namespace {

TEST(FishTurn, HeadingStepsEveryThirdFrame) {
    UseRandom quiet;
    // 1 degree a step below a target of 5, 10 from a target of 10 on, and
    // always 10 for an excited fish.
    for (const auto& [target, step, excited] :
         {std::tuple{3.0f, 1.0f, false}, {170.0f, 10.0f, false}, {3.0f, 10.0f, true}}) {
        Fish f = CalmFish(0);
        f.HeadingTarget = target;
        f.SetExcited(excited);
        for (int frame = 1; frame <= 3 * static_cast<int>(std::ceil(target / step)) + 3; ++frame) {
            Ticks(f);
            ASSERT_EQ(f.Heading, std::min(step * (frame / 3), target)) << target << "@" << frame;
        }
    }
}

TEST(FishTurn, ExcitedFishStraightensFiveTimesFasterAndNeverWanders) {
    UseRandom quiet;
    for (bool excited : {false, true}) {
        Fish f = CalmFish(0);
        f.Z = -75;  // a wander here never turns the fish
        f.BodyStraight = false;
        std::fill(std::begin(f.SegmentHeadings), std::end(f.SegmentHeadings), 40);
        f.WanderTimer = 500;  // fires on the next frame if wandering runs
        f.SetExcited(excited);
        int frames = 0;
        for (; !f.BodyStraight && frames < 1000; ++frames)
            Ticks(f);
        EXPECT_EQ(frames, excited ? 5 : 21);  // moving frames, then one finding nothing
        EXPECT_EQ(f.WanderTimer < 100, !excited);  // restarted only by a wander
    }
}

TEST(FishSteering, HeadingRequestIgnoredMidTurn) {
    Fish f = CalmFish(0);
    f.HeadingTarget = 90;
    f.ChangeHeading(0, false, HeadingChange::Reverse);
    EXPECT_EQ(f.HeadingTarget, 90);
    f.Heading = 89.95f;  // within 0.1: the turn counts as done
    f.ChangeHeading(0, false, HeadingChange::Reverse);
    EXPECT_EQ(f.HeadingTarget, 270);
}

}  // namespace
