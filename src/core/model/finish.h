#pragma once

#include "core/archive/storable.h"

#include <cstdint>
#include <string>

/// The finish of a simple texture. Integer fields hold hundredths unless noted.
class Finish : public Storable {
    DECLARE_SERIAL(Finish)
public:
    /// The "finish { ... }" block, two blanks deep, or nothing when no line would be written.
    std::string GetSource() const;
    /// Stored form (28 bytes): word ambient, word diffuse, float brilliance, byte metallic,
    /// float crand, word reflection, byte refraction, float ior, word phong, word phong size,
    /// word specular, word roughness.
    void Serialize(Archive& ar, std::uint16_t schema) override;

    /// The largest value a word field (ambient, diffuse, reflection, phong, phong size,
    /// specular, roughness) keeps through a save; none is below 0.
    static constexpr int kLargestWord = 65535;

    int ambient = 10;
    int diffuse = 60;
    float brilliance = 1.0f;
    int specular = 0;
    int roughness = 5;
    std::uint8_t metallic = 0; ///< flag
    int phong = 0;
    int phongSize = 40; ///< plain integer
    int reflection = 0;
    std::uint8_t refraction = 0; ///< flag
    float ior = 1.0f;
    float crand = 0.0f;
};
