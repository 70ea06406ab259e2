#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

/// How the scenes of thumbnails and the Preview treat colours: as POV-Ray 3.7 scenes do
/// (`#version 3.7;` and `assumed_gamma 1.0`, colours taken as linear), or as older scenes that
/// declare neither (colours shown as written).
enum class SceneGamma : std::uint8_t { Older = 0, Pov37 = 1 };

/// "as POV-Ray 3.7 scenes: assumed_gamma 1.0" or "as older scenes".
std::string_view SceneGammaName(SceneGamma gamma);

/// The style a file declares: an assumed_gamma of 1.0 makes a 3.7 scene and any other an older
/// one; without one, the #version the file starts with does (3.7 or later, or below). Nothing
/// when the file declares neither.
std::optional<SceneGamma> DeclaredSceneGamma(std::optional<double> startVersion,
                                             std::optional<double> assumedGamma);
