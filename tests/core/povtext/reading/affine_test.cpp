#include "core/povtext/reading/affine.h"

#include <gtest/gtest.h>
#include <random>

namespace {

Vector3 RandomVector(std::mt19937& random, double low, double high) {
    std::uniform_real_distribution<double> d(low, high);
    return {d(random), d(random), d(random)};
}

} // namespace

TEST(Affine, RotationsFollowPovRaysAxesAndOrder) {
    // rotate <0, 0, 90> turns x into y; rotate <90, 0, 0> turns y into z; x is turned first.
    const Vector3 p = Affine::Rotation({0, 0, 90}).Apply({1, 0, 0});
    EXPECT_NEAR(p[1], 1.0, 1e-12);
    const Vector3 q = Affine::Rotation({90, 0, 0}).Apply({0, 1, 0});
    EXPECT_NEAR(q[2], 1.0, 1e-12);
    const Vector3 r = Affine::Rotation({90, 0, 90}).Apply({0, 1, 0});
    EXPECT_NEAR(r[2], 1.0, 1e-12) << "x first: y goes to z, which z does not move";
    // A POV-Ray matrix is written row by row with the translation last.
    const Affine m = Affine::FromPovMatrix({0, 1, 0, -1, 0, 0, 0, 0, 1, 5, 6, 7});
    const Vector3 moved = m.Apply({1, 0, 0});
    EXPECT_EQ(moved, (Vector3{5, 7, 7}));
}

TEST(Affine, AnyRotationComesBackAsOneRotateVector) {
    std::mt19937 random(11);
    std::vector<Vector3> angles = {{0, 90, 0}, {30, -90, 10}, {0, 0, 0}, {180, 0, 180}};
    for (int i = 0; i < 200; ++i)
        angles.push_back(RandomVector(random, -400, 400));
    for (const Vector3& a : angles) {
        const Affine turn = Affine::Rotation(a);
        EXPECT_TRUE(Affine::Rotation(RotationDegrees(turn.linear)).Near(turn, 1e-9))
            << a[0] << " " << a[1] << " " << a[2];
    }
}

TEST(Affine, TranslateRotateScaleMapsSplitBackAndOthersDoNot) {
    std::mt19937 random(5);
    for (int i = 0; i < 200; ++i) {
        TranslateRotateScale parts{RandomVector(random, -50, 50), RandomVector(random, -180, 180),
                                   RandomVector(random, 0.1, 5)};
        if (i % 3 == 0)
            parts.scale[i % 2] = -parts.scale[i % 2];
        const Affine map = parts.ToAffine();
        const auto split = SplitTranslateRotateScale(map);
        ASSERT_TRUE(split) << i;
        EXPECT_TRUE(split->ToAffine().Near(map, 1e-9)) << i;
    }
    // A scale along axes a rotation has turned first is no translate-rotate-scale.
    const Affine sheared = Affine::Scaling({1, 3, 1}).Then(Affine::Rotation({0, 0, 30}));
    EXPECT_FALSE(SplitTranslateRotateScale(sheared));
    EXPECT_FALSE(SplitTranslateRotateScale(Affine::Scaling({1, 0, 1})));
    // Uniform scales go either way.
    EXPECT_TRUE(
        SplitTranslateRotateScale(Affine::Scaling({2, 2, 2}).Then(Affine::Rotation({10, 20, 30}))));
}

TEST(Affine, EveryMapIsARotateScaleFollowedByARotation) {
    std::mt19937 random(3);
    for (int i = 0; i < 200; ++i) {
        Affine map;
        for (int step = 0; step < 5; ++step) {
            map = map.Then(Affine::Rotation(RandomVector(random, -180, 180)))
                      .Then(Affine::Scaling(RandomVector(random, 0.2, 4)))
                      .Then(Affine::Translation(RandomVector(random, -10, 10)));
        }
        if (i % 2)
            map = map.Then(Affine::Scaling({-1, 1, 1}));
        const auto parts = SplitScaleBetweenRotations(map);
        ASSERT_TRUE(parts) << i;
        const auto first = SplitTranslateRotateScale(parts->first);
        const auto second = SplitTranslateRotateScale(parts->second);
        ASSERT_TRUE(first && second) << i;
        for (double scale : second->scale)
            EXPECT_NEAR(scale, 1.0, 1e-9);
        EXPECT_TRUE(first->ToAffine().Then(second->ToAffine()).Near(map, 1e-7)) << i;
        // The nearest single translate-rotate-scale of a sheared map is a fair likeness.
        EXPECT_TRUE(NearestTranslateRotateScale(map));
    }
    EXPECT_FALSE(SplitScaleBetweenRotations(Affine::Scaling({1, 1, 0})));
    const auto near =
        NearestTranslateRotateScale(Affine::Rotation({0, 0, 40}).Then(Affine::Scaling({2, 3, 2})));
    ASSERT_TRUE(near);
    EXPECT_NEAR(near->rotate[2], 40.0, 1e-9);
    EXPECT_NEAR(near->scale[1], 3.0, 1e-9);
}
