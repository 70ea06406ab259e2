#pragma once

#include "core/model/scenegamma.h"

#include <string>
#include <string_view>

/// The lines a POV-Ray 3.7 preview scene starts with, CR LF after each and an empty line after.
inline constexpr std::string_view kPov37SceneHeader = "#version 3.7;\r\n"
                                                      "global_settings { assumed_gamma 1.0 }\r\n"
                                                      "\r\n";

/// The preview scene as `gamma` has it: an older scene as it is; a 3.7 scene after
/// kPov37SceneHeader, unless it names a #version or an assumed_gamma of its own.
std::string InSceneGamma(std::string scene, SceneGamma gamma);
