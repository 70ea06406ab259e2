#pragma once

#include <array>
#include <optional>
#include <utility>

using Vector3 = std::array<double, 3>;

/// An affine map of 3-D space, p -> linear * p + offset, as POV-Ray's transformations build
/// them. Rotations follow POV-Ray: "rotate <a, b, c>" turns by a degrees about x, then b about
/// y, then c about z.
struct Affine {
    std::array<Vector3, 3> linear{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    Vector3 offset{0, 0, 0};

    static Affine Translation(const Vector3& v);
    static Affine Scaling(const Vector3& v);
    static Affine Rotation(const Vector3& degrees);
    /// POV-Ray's "matrix <m00, m01, ..., m32>": the twelve values row by row, the last row being
    /// the translation (points are rows multiplied from the left).
    static Affine FromPovMatrix(const std::array<double, 12>& m);

    /// This map followed by `next`.
    Affine Then(const Affine& next) const;
    std::optional<Affine> Inverse() const;
    Vector3 Apply(const Vector3& p) const;
    /// True when the two maps differ by no more than `tolerance` in any coefficient, measured
    /// against the larger of 1 and the coefficient's size.
    bool Near(const Affine& other, double tolerance = 1e-9) const;
};

/// The three transformations a texture, pigment or normal holds, applied in this order.
struct TranslateRotateScale {
    Vector3 translate{0, 0, 0};
    Vector3 rotate{0, 0, 0}; ///< degrees, as POV-Ray's "rotate"
    Vector3 scale{1, 1, 1};

    Affine ToAffine() const;
};

/// The translate, rotate and scale that make up `map` exactly, or nothing when no such three
/// do (a scale along axes that a rotation before it has turned, a shear, a flat map).
std::optional<TranslateRotateScale> SplitTranslateRotateScale(const Affine& map);
/// The translate, rotate and scale nearest to `map`, for maps that have no exact split.
std::optional<TranslateRotateScale> NearestTranslateRotateScale(const Affine& map);
/// `map` as two maps, the first a translate-rotate-scale and the second a rotation, which
/// together make it exactly (rotate, scale, rotate by the singular value decomposition);
/// nothing for a flat map.
std::optional<std::pair<Affine, Affine>> SplitScaleBetweenRotations(const Affine& map);
/// The POV-Ray rotate vector (degrees) of a rotation matrix.
Vector3 RotationDegrees(const std::array<Vector3, 3>& rotation);
