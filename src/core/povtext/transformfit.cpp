#include "core/povtext/transformfit.h"

namespace {

template <typename Iterator>
TransformList Joined(const TransformList& first, Iterator from, Iterator to) {
    TransformList joined = first;
    joined.insert(joined.end(), from, to);
    return joined;
}

/// Steps already in the model's order (translations, then rotations, then scales) give their
/// own numbers: translations add up, scales multiply, a single rotation stays as written.
std::optional<TranslateRotateScale> InModelOrder(const TransformList& steps) {
    TranslateRotateScale parts;
    int stage = 0;
    int rotations = 0;
    for (const TransformStep& step : steps) {
        const int stepStage = step.kind == TransformStep::Translate ? 0
                              : step.kind == TransformStep::Rotate  ? 1
                              : step.kind == TransformStep::Scale   ? 2
                                                                    : -1;
        if (stepStage < stage)
            return std::nullopt;
        stage = stepStage;
        for (int i = 0; i < 3; ++i) {
            if (step.kind == TransformStep::Translate)
                parts.translate[i] += step.v[i];
            else if (step.kind == TransformStep::Scale)
                parts.scale[i] *= step.v[i];
        }
        if (step.kind == TransformStep::Rotate && ++rotations == 1)
            parts.rotate = step.v;
    }
    if (rotations > 1) {
        Affine turn;
        for (const TransformStep& step : steps)
            if (step.kind == TransformStep::Rotate)
                turn = turn.Then(step.ToAffine());
        parts.rotate = RotationDegrees(turn.linear);
    }
    return parts;
}

} // namespace

std::optional<TranslateRotateScale> AsTranslateRotateScale(const TransformList& steps) {
    if (auto parts = InModelOrder(steps))
        return parts;
    return SplitTranslateRotateScale(CombinedMap(steps));
}

std::optional<FittedTransformations> FitTransformations(const TransformationsToFit& written) {
    const TransformList& texture = written.texture;
    FittedTransformations fitted;
    if (!written.pigmentMatters && !written.normalMatters)
        return fitted;

    // With both shown, the texture's own transformations are shared: split only those.
    if (written.pigmentMatters && written.normalMatters) {
        for (std::size_t k = 0; k <= texture.size(); ++k) {
            const auto head = texture.begin() + static_cast<std::ptrdiff_t>(k);
            const auto pigment = AsTranslateRotateScale(Joined(written.pigment, texture.begin(), head));
            const auto normal = AsTranslateRotateScale(Joined(written.normal, texture.begin(), head));
            const auto shared = AsTranslateRotateScale(TransformList(head, texture.end()));
            if (pigment && normal && shared) {
                fitted.pigment = *pigment;
                fitted.normal = *normal;
                fitted.texture = *shared;
                return fitted;
            }
        }
        // The texture's transformations as rotate-scale for both, then a shared rotation.
        if (const auto parts = SplitScaleBetweenRotations(CombinedMap(texture))) {
            TransformStep step;
            step.kind = TransformStep::General;
            step.map = parts->first;
            const auto pigment = AsTranslateRotateScale(Joined(written.pigment, &step, &step + 1));
            const auto normal = AsTranslateRotateScale(Joined(written.normal, &step, &step + 1));
            const auto shared = SplitTranslateRotateScale(parts->second);
            if (pigment && normal && shared) {
                fitted.pigment = *pigment;
                fitted.normal = *normal;
                fitted.texture = *shared;
                return fitted;
            }
        }
        return std::nullopt;
    }

    // With one shown, its whole chain may be split anywhere between its own place and the
    // texture's; the place written is tried first.
    const TransformList& own = written.pigmentMatters ? written.pigment : written.normal;
    const TransformList chain = Joined(own, texture.begin(), texture.end());
    std::vector<std::size_t> splits{own.size()};
    for (std::size_t j = 0; j <= chain.size(); ++j)
        if (j != own.size())
            splits.push_back(j);
    for (std::size_t j : splits) {
        const auto at = chain.begin() + static_cast<std::ptrdiff_t>(j);
        const auto first = AsTranslateRotateScale(TransformList(chain.begin(), at));
        const auto second = AsTranslateRotateScale(TransformList(at, chain.end()));
        if (first && second) {
            (written.pigmentMatters ? fitted.pigment : fitted.normal) = *first;
            fitted.texture = *second;
            return fitted;
        }
    }
    // Any chain is a rotation, a scale and a rotation: the first two at the chain's own place,
    // the last at the texture's.
    if (const auto parts = SplitScaleBetweenRotations(CombinedMap(chain))) {
        const auto first = SplitTranslateRotateScale(parts->first);
        const auto second = SplitTranslateRotateScale(parts->second);
        if (first && second) {
            (written.pigmentMatters ? fitted.pigment : fitted.normal) = *first;
            fitted.texture = *second;
            return fitted;
        }
    }
    return std::nullopt;
}

FittedTransformations NearestTransformations(const TransformationsToFit& written) {
    FittedTransformations fitted;
    auto nearest = [](const TransformList& steps) {
        return NearestTranslateRotateScale(CombinedMap(steps)).value_or(TranslateRotateScale{});
    };
    if (written.pigmentMatters)
        fitted.pigment = nearest(Joined(written.pigment, written.texture.begin(),
                                        written.texture.end()));
    if (written.normalMatters)
        fitted.normal = nearest(Joined(written.normal, written.texture.begin(),
                                       written.texture.end()));
    return fitted;
}
