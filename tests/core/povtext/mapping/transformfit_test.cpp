#include "core/povtext/mapping/transformfit.h"

#include <gtest/gtest.h>

namespace {

TransformStep Step(TransformStep::Kind kind, Vector3 v) {
    TransformStep step;
    step.kind = kind;
    step.v = v;
    return step;
}

const TransformStep kScaleY = Step(TransformStep::Scale, {1, 3, 1});
const TransformStep kScaleX = Step(TransformStep::Scale, {2, 1, 1});
const TransformStep kTurnZ = Step(TransformStep::Rotate, {0, 0, 30});
const TransformStep kTurnX = Step(TransformStep::Rotate, {40, 0, 0});
const TransformStep kMove = Step(TransformStep::Translate, {1, -2, 0.5});

TransformList Then(TransformList first, const TransformList& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

/// The fitted places move the pigment (and, when given, the normal) exactly as the written
/// steps do.
void ExpectSameMaps(const FittedTransformations& fitted, const TransformList& pigment,
                    const TransformList* normal, const TransformList& texture) {
    const Affine shared = fitted.texture.ToAffine();
    EXPECT_TRUE(
        fitted.pigment.ToAffine().Then(shared).Near(CombinedMap(Then(pigment, texture)), 1e-7));
    if (normal) {
        EXPECT_TRUE(
            fitted.normal.ToAffine().Then(shared).Near(CombinedMap(Then(*normal, texture)), 1e-7));
    }
}

} // namespace

TEST(TransformFit, StepsInTheModelsOrderKeepTheirNumbers) {
    const TransformList written = {kMove, kMove, kTurnZ, kScaleY, kScaleX};
    const auto parts = AsTranslateRotateScale(written);
    ASSERT_TRUE(parts);
    EXPECT_EQ(parts->translate, (Vector3{2, -4, 1}));
    EXPECT_EQ(parts->rotate, (Vector3{0, 0, 30}));
    EXPECT_EQ(parts->scale, (Vector3{2, 3, 1}));
    EXPECT_FALSE(AsTranslateRotateScale({kScaleY, kTurnZ}));
}

TEST(TransformFit, OneShownChainSplitsAnywhereOrIsTakenApart) {
    const TransformList none;
    for (const TransformList& chain :
         {TransformList{kScaleY, kTurnZ, kScaleX}, TransformList{kScaleY, kTurnZ, kScaleX, kTurnX},
          TransformList{kTurnX, kScaleY, kTurnZ, kScaleX, kTurnX, kMove}}) {
        const TransformationsToFit pigmentOnly{chain, none, none, true, false};
        const auto fitted = FitTransformations(pigmentOnly);
        ASSERT_TRUE(fitted) << chain.size();
        ExpectSameMaps(*fitted, chain, nullptr, none);
    }
    // As written when the written order already fits: the scale stays with the pigment.
    const TransformationsToFit natural{{kScaleY}, none, {kTurnZ}, true, false};
    const auto fitted = FitTransformations(natural);
    ASSERT_TRUE(fitted);
    EXPECT_EQ(fitted->pigment.scale, (Vector3{1, 3, 1}));
    EXPECT_EQ(fitted->texture.rotate, (Vector3{0, 0, 30}));
}

TEST(TransformFit, BothShownShareTheTexturesPlaceOrAreRefused) {
    const TransformList pigment = {kScaleX}, normal = {Step(TransformStep::Scale, {0.2, 0.2, 0.2})};
    for (const TransformList& texture :
         {TransformList{kScaleY, kTurnZ}, TransformList{kScaleY, kTurnZ, kScaleX, kTurnX},
          TransformList{kTurnZ, kMove, kScaleY}}) {
        const auto fitted = FitTransformations({pigment, normal, texture, true, true});
        ASSERT_TRUE(fitted) << texture.size();
        ExpectSameMaps(*fitted, pigment, &normal, texture);
    }
    // The pigment's own turn after its scale, under a normal scaled another way: no place
    // holds it, and the nearest keeps each map close.
    const TransformationsToFit crossed{
        {kScaleY, kTurnZ}, {Step(TransformStep::Scale, {3, 1, 1})}, {}, true, true};
    EXPECT_FALSE(FitTransformations(crossed));
    const FittedTransformations nearest = NearestTransformations(crossed);
    EXPECT_EQ(nearest.texture.scale, (Vector3{1, 1, 1}));
    EXPECT_NEAR(nearest.normal.scale[0], 3.0, 1e-9);
}
