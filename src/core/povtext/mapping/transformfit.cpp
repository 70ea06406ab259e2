#include "core/povtext/mapping/transformfit.h"

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

TransformStep StepOf(const Affine& map) {
    TransformStep step;
    step.kind = TransformStep::General;
    step.map = map;
    return step;
}

/// The three places filled from three lists, when each is a translate, rotate and scale.
std::optional<FittedTransformations> Fill(const TransformList& pigment, const TransformList& normal,
                                          const TransformList& texture) {
    auto fill = [](const TransformList& steps, TranslateRotateScale& into) {
        const auto parts = AsTranslateRotateScale(steps);
        if (parts)
            into = *parts;
        return parts.has_value();
    };
    FittedTransformations fitted;
    if (fill(pigment, fitted.pigment) && fill(normal, fitted.normal) &&
        fill(texture, fitted.texture))
        return fitted;
    return std::nullopt;
}

/// With `shared` at the texture's place, what remains for the pigment and the normal.
std::optional<FittedTransformations> FillAround(const Affine& pigment, const Affine& normal,
                                                const TransformList& shared) {
    const auto back = CombinedMap(shared).Inverse();
    if (!back)
        return std::nullopt;
    return Fill({StepOf(pigment.Then(*back))}, {StepOf(normal.Then(*back))}, shared);
}

/// The pigment and the normal both show: the texture's place holds what they share.
std::optional<FittedTransformations> FitShared(const TransformationsToFit& written) {
    const TransformList& texture = written.texture;
    // Split the texture's own transformations: the first part goes to both.
    for (std::size_t k = 0; k <= texture.size(); ++k) {
        const auto head = texture.begin() + static_cast<std::ptrdiff_t>(k);
        if (auto fitted = Fill(Joined(written.pigment, texture.begin(), head),
                               Joined(written.normal, texture.begin(), head),
                               TransformList(head, texture.end())))
            return fitted;
    }
    // Or the last steps of the pigment's (or the normal's) own go up to the texture's place,
    // and the other takes them back.
    const Affine pigment = CombinedMap(Joined(written.pigment, texture.begin(), texture.end()));
    const Affine normal = CombinedMap(Joined(written.normal, texture.begin(), texture.end()));
    for (const TransformList* own : {&written.pigment, &written.normal}) {
        for (std::size_t j = 0; j < own->size(); ++j) {
            const TransformList shared =
                Joined(TransformList(own->begin() + static_cast<std::ptrdiff_t>(j), own->end()),
                       texture.begin(), texture.end());
            if (auto fitted = FillAround(pigment, normal, shared))
                return fitted;
        }
    }
    // Or the rotation that ends either chain taken apart.
    for (const Affine& chain : {pigment, normal, CombinedMap(texture)}) {
        const auto parts = SplitScaleBetweenRotations(chain);
        if (!parts)
            continue;
        if (auto fitted = FillAround(pigment, normal, {StepOf(parts->second)}))
            return fitted;
    }
    return std::nullopt;
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

    // With both shown, the texture's transformations are shared by the two.
    if (written.pigmentMatters && written.normalMatters)
        return FitShared(written);

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
        fitted.pigment =
            nearest(Joined(written.pigment, written.texture.begin(), written.texture.end()));
    if (written.normalMatters)
        fitted.normal =
            nearest(Joined(written.normal, written.texture.begin(), written.texture.end()));
    return fitted;
}
