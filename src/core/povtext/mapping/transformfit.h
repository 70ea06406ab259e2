#pragma once

#include "core/povtext/reading/affine.h"
#include "core/povtext/reading/povvalues.h"

#include <optional>

/// Where a layer's transformations go in the texture model, which holds translate, rotate and
/// scale (in that order) at each of three places: the pigment, the normal and the texture,
/// whose transformations follow the pigment's and the normal's own.
struct FittedTransformations {
    TranslateRotateScale pigment;
    TranslateRotateScale normal;
    TranslateRotateScale texture;
};

/// What is to be fitted: the pigment's and the normal's own transformations, those written at
/// the texture's level after them, and whether the pigment and the normal show any (a plain
/// colour and a missing normal do not).
struct TransformationsToFit {
    const TransformList& pigment;
    const TransformList& normal;
    const TransformList& texture;
    bool pigmentMatters = true;
    bool normalMatters = true;
};

/// The model's transformations that move the pigment and the normal exactly as the written
/// ones do, or nothing when their order cannot be held. The numbers written are kept when they
/// already come in the model's order; otherwise the maps are taken apart into equivalent ones.
std::optional<FittedTransformations> FitTransformations(const TransformationsToFit& written);
/// The nearest the model holds, for transformations FitTransformations refuses.
FittedTransformations NearestTransformations(const TransformationsToFit& written);
/// The steps as translate, rotate and scale, or nothing when no such three make them.
std::optional<TranslateRotateScale> AsTranslateRotateScale(const TransformList& steps);
