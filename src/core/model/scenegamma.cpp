#include "core/model/scenegamma.h"

#include <cmath>

std::string_view SceneGammaName(SceneGamma gamma) {
    return gamma == SceneGamma::Pov37 ? "as POV-Ray 3.7 scenes: assumed_gamma 1.0"
                                      : "as older scenes";
}

std::optional<SceneGamma> DeclaredSceneGamma(std::optional<double> startVersion,
                                             std::optional<double> assumedGamma) {
    if (assumedGamma)
        return std::abs(*assumedGamma - 1.0) < 1e-6 ? SceneGamma::Pov37 : SceneGamma::Older;
    if (startVersion)
        return *startVersion >= 3.7 - 1e-9 ? SceneGamma::Pov37 : SceneGamma::Older;
    return std::nullopt;
}
