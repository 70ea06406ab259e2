#pragma once

#include <string_view>

/// The class names written into catalog and side data files. Files name their classes this way,
/// whatever the C++ classes are called, so these strings must never change.
namespace storednames {
inline constexpr std::string_view SimpleTexture = "CMaterialSingleObject";
inline constexpr std::string_view LayeredTexture = "CMaterialMultipleObject";
inline constexpr std::string_view SourceTexture = "CMaterialSourceObject";
inline constexpr std::string_view Pigment = "CMaterialMapping";
inline constexpr std::string_view Normal = "CMaterialNormal";
inline constexpr std::string_view Finish = "CMaterialFinish";
inline constexpr std::string_view ColorMap = "CColorMap";
inline constexpr std::string_view Turbulence = "CTurbulenceSettings";
inline constexpr std::string_view Transformations = "CTransformations";
inline constexpr std::string_view ImageMap = "CImageSettings";
inline constexpr std::string_view Bitmap = "CDIB";
inline constexpr std::string_view NamedColor = "CNamedColor";
inline constexpr std::string_view IorPreset = "CIORValue";
inline constexpr std::string_view PreviewShape = "CPreviewShape";
inline constexpr std::string_view CustomShape = "CCustomShape";
} // namespace storednames
