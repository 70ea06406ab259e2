#pragma once

#include "core/povtext/language/sourceposition.h"
#include "core/povtext/reading/affine.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// The values POV-Ray text evaluates to, as POV-Ray holds them: richer than the texture model,
// so the mapping to the model can tell what it keeps exactly and what it cannot hold.

/// Red, green, blue, filter and transmit.
using PovColor = std::array<double, 5>;

/// A float, a vector of 2 to 5 components or a colour, as expressions produce them.
struct PovNumber {
    enum Kind { Float, Vector, Color };
    Kind kind = Float;
    int size = 1; ///< components in use: 1 for a float, 2-5 for a vector, 5 for a colour
    std::array<double, 5> v{};

    static PovNumber OfFloat(double value);
    static PovNumber OfVector(std::initializer_list<double> values);
    static PovNumber OfColor(const PovColor& color);
};

/// Component `i` of a number, as POV-Ray promotes it: a float gives itself, a missing
/// component 0.
double Component(const PovNumber& n, int i);
/// The colour "rgb", "rgbf", "rgbt" or "rgbft" (`model`) makes of `operand`, as POV-Ray
/// promotes it: a float fills the model's channels, a vector's missing components are 0.
PovColor ModelColor(std::string_view model, const PovNumber& operand);
/// The component that ".name" takes ("x", "red", "transmit"...), or -1.
int DotComponent(const std::string& name);

/// A value with the place it was written, for messages that point at it.
template <typename T> struct Placed {
    T value{};
    SourcePosition where;
};

/// Something written in a value that the texture model has no place for ("warp",
/// "sine_wave"). The mapping refuses the declaration for it or, asked to approximate, leaves
/// it out and says so.
struct Unheld {
    std::string what;
    SourcePosition where;
};

/// One transformation as written: translate, rotate or scale with its vector, or any other map
/// (a matrix, a transform block).
struct TransformStep {
    enum Kind { Translate, Rotate, Scale, General };
    Kind kind = Translate;
    Vector3 v{};
    Affine map; ///< the map of a General step
    SourcePosition where;

    Affine ToAffine() const;
};
using TransformList = std::vector<TransformStep>;
/// The map of all steps, in order.
Affine CombinedMap(const TransformList& steps);

struct ColorMapEntry {
    double position = 0.0;
    PovColor color{};
    SourcePosition where;
};

struct PovColorMap {
    std::vector<ColorMapEntry> entries;
};

/// The image file of an image_map or bump_map block.
struct PovImage {
    std::string type;     ///< "gif", "tga", "png", "jpeg", ...; empty when not written
    std::string fileName; ///< as written between the quotes
    bool once = false;
    int mapType = 0;
    int interpolate = 0;
    std::optional<Placed<double>> bumpSize;
    SourcePosition where;
};

/// What a pigment and a normal share: the pattern and its modifiers.
struct PovPattern {
    std::string name; ///< empty for a plain colour (pigment) or no pattern (normal)
    SourcePosition where;
    Vector3 gradient{1, 0, 0};
    std::optional<PovImage> image;
    std::optional<Placed<Vector3>> turbulence;
    std::optional<Placed<double>> agateTurbulence;
    std::optional<Placed<double>> octaves;
    std::optional<Placed<double>> omega;
    std::optional<Placed<double>> lambda;
    Placed<double> phase{0.0, {}};
    Placed<double> frequency{1.0, {}};
    std::optional<Placed<std::string>> wave;
    TransformList transforms;
    std::vector<Unheld> unheld;
    /// A noise_generator is given, or was put in for text of an older version.
    bool noiseGenerator = false;
    /// The one put in is next, listed as unheld already.
    bool noisePutIn = false;
};

struct PovPigment;

struct PigmentMapEntry {
    double position = 0.0;
    std::shared_ptr<const PovPigment> pigment;
    SourcePosition where;
};

struct PovPigment {
    PovPattern pattern;
    Placed<PovColor> color{{0, 0, 0, 0, 0}, {}}; ///< the plain colour; black when none is given
    std::optional<PovColorMap> colorMap;
    std::vector<PigmentMapEntry> pigmentMap;
    /// The colours of a block pattern (checker, hexagon, brick ...), plain or averaged.
    std::vector<Placed<PovColor>> colorList;
    /// Pigments counted as if every map were written out, to keep nested maps bounded.
    int weight = 1;
};

struct PovNormal {
    PovPattern pattern;
    Placed<double> amount{0.5, {}};
};

struct PovFinish {
    Placed<PovColor> ambient{{0.1, 0.1, 0.1, 0.1, 0.1}, {}};
    Placed<double> diffuse{0.6, {}};
    Placed<double> brilliance{1.0, {}};
    Placed<double> specular{0.0, {}};
    Placed<double> roughness{0.05, {}};
    Placed<double> metallic{0.0, {}};
    Placed<double> phong{0.0, {}};
    Placed<double> phongSize{40.0, {}};
    Placed<PovColor> reflection{{0, 0, 0, 0, 0}, {}};
    Placed<double> refraction{0.0, {}};
    Placed<double> ior{1.0, {}};
    Placed<double> crand{0.0, {}};
    std::vector<Unheld> unheld;
};

/// One layer of a texture: a pigment, an optional normal, a finish and the transformations
/// written at the texture's level, which apply after the pigment's and the normal's own.
struct PovLayer {
    PovPigment pigment;
    std::optional<PovNormal> normal;
    PovFinish finish;
    TransformList transforms;
    std::vector<Unheld> unheld;

    /// Moves the texture-level transformations into the pigment and the normal, as POV-Ray
    /// applies them at once: a pigment or normal given afterwards does not get them.
    void Bake();
};

/// A texture (one or more layers, bottom first), also what a material holds.
struct PovTexture {
    std::vector<PovLayer> layers;
    bool tiles = false; ///< the two layers form an old "tiles" texture
    bool material = false;
    std::optional<Placed<double>> interiorIor;
    std::vector<Unheld> unheld;
};

struct PovInterior {
    std::optional<Placed<double>> ior;
    std::vector<Unheld> unheld;
};

/// A value the reader keeps only by kind: an object, a sky sphere, a camera.
struct PovOpaque {
    std::string kind;
};

using PovValue = std::variant<PovNumber, std::string, PovPigment, PovNormal, PovFinish, PovColorMap,
                              PovTexture, PovInterior, TransformList, PovOpaque>;

/// "float", "vector", "colour", "string", "pigment", "texture", ... for messages.
std::string KindName(const PovValue& value);

/// About the memory a copy of the value takes, for the import's bound on what it makes.
std::size_t MemoryOf(const PovValue& value);
std::size_t MemoryOf(const PovLayer& layer);
