#pragma once

#include "core/model/texture.h"
#include "core/povtext/reading/povvalues.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class ColorMap;
class Finish;
class Normal;
class Pigment;
class SimpleTexture;
struct ColorRGBF;

/// A remark about one declaration: what was approximated, or why it was refused.
struct MappingNote {
    std::string text;
    SourcePosition where;
};

/// What a declaration became in the texture model.
struct MappedTexture {
    std::unique_ptr<Texture> texture; ///< null when refused
    std::vector<MappingNote> approximations;
    std::optional<MappingNote> refusal;
};

/// Turns what a declaration evaluated to (a texture, a pigment or a material) into a texture
/// of the model. Values are kept at the model's precision (colours to 1/255, hundredths,
/// colour-map positions to 0.01), which counts as exact. What the model cannot hold refuses
/// the declaration; when approximating, it is mapped to the nearest the model holds and every
/// such step is listed.
class TextureMapper {
public:
    explicit TextureMapper(bool approximate) : m_approximate(approximate) {}

    MappedTexture Map(const PovValue& value, const std::string& name,
                      std::optional<SourcePosition> afterDefault);

private:
    std::unique_ptr<Texture> MapTexture(const PovTexture& texture, const std::string& name);
    SimpleTexture MapLayer(const PovLayer& layer);
    void MapPigment(const PovPigment& source, Pigment& pigment);
    void MapNormal(const PovNormal& source, Normal& normal);
    void MapFinish(const PovFinish& source, Finish& finish);
    void MapColorMap(const PovPigment& source, ColorMap& map);
    void MapPatternFields(const PovPattern& source, Pigment* pigment, Normal* normal);
    void MapImage(const PovImage& image, std::optional<double> bumpSize, class ImageMap& target);
    void MapTransformations(const PovLayer& layer, SimpleTexture& texture);
    ColorRGBF MapColor(const PovColor& color, SourcePosition where);
    void MapUnheld(const std::vector<Unheld>& unheld);
    /// Refuses (or notes the rounding of) a value finer than the hundredths the model keeps.
    void InHundredths(double value, const std::string& what, SourcePosition where);
    /// A value 0 to `top` hundredths, rounded; beyond the range it is refused or clamped.
    int Hundredths(double value, int top, const std::string& what, SourcePosition where);
    int GreyHundredths(const Placed<PovColor>& color, const std::string& what);

    /// The model cannot hold `what`: refuses the declaration, or when approximating records
    /// `approximation` and goes on.
    void Cannot(const std::string& what, SourcePosition where, const std::string& approximation);

    bool m_approximate;
    std::vector<MappingNote> m_notes;
};
