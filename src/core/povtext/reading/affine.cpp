#include "core/povtext/reading/affine.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

using Matrix = std::array<Vector3, 3>;

constexpr double kDegree = std::numbers::pi / 180.0;

Matrix Multiply(const Matrix& a, const Matrix& b) {
    Matrix m{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k)
                m[i][j] += a[i][k] * b[k][j];
    return m;
}

Matrix Transposed(const Matrix& a) {
    Matrix m{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            m[i][j] = a[j][i];
    return m;
}

double Determinant(const Matrix& a) {
    return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
           a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
           a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
}

Vector3 MatrixTimes(const Matrix& a, const Vector3& v) {
    return {a[0][0] * v[0] + a[0][1] * v[1] + a[0][2] * v[2],
            a[1][0] * v[0] + a[1][1] * v[1] + a[1][2] * v[2],
            a[2][0] * v[0] + a[2][1] * v[1] + a[2][2] * v[2]};
}

/// Rounds angles that lie within floating-point noise of a whole number of degrees.
double Tidy(double value) {
    const double whole = std::round(value);
    return std::abs(value - whole) < 1e-9 ? whole + 0.0 : value;
}

/// The rotation nearest to `a` (its polar factor), by Newton's iteration on the polar
/// decomposition, which converges for any matrix that is not flat.
Matrix NearestRotation(Matrix a) {
    for (int iteration = 0; iteration < 100; ++iteration) {
        const double det = Determinant(a);
        if (std::abs(det) < 1e-300)
            break;
        Matrix inverseT{};
        inverseT[0][0] = (a[1][1] * a[2][2] - a[1][2] * a[2][1]) / det;
        inverseT[0][1] = (a[1][2] * a[2][0] - a[1][0] * a[2][2]) / det;
        inverseT[0][2] = (a[1][0] * a[2][1] - a[1][1] * a[2][0]) / det;
        inverseT[1][0] = (a[0][2] * a[2][1] - a[0][1] * a[2][2]) / det;
        inverseT[1][1] = (a[0][0] * a[2][2] - a[0][2] * a[2][0]) / det;
        inverseT[1][2] = (a[0][1] * a[2][0] - a[0][0] * a[2][1]) / det;
        inverseT[2][0] = (a[0][1] * a[1][2] - a[0][2] * a[1][1]) / det;
        inverseT[2][1] = (a[0][2] * a[1][0] - a[0][0] * a[1][2]) / det;
        inverseT[2][2] = (a[0][0] * a[1][1] - a[0][1] * a[1][0]) / det;
        Matrix next{};
        double change = 0.0;
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) {
                next[i][j] = 0.5 * (a[i][j] + inverseT[i][j]);
                change = std::max(change, std::abs(next[i][j] - a[i][j]));
            }
        a = next;
        if (change < 1e-15)
            break;
    }
    return a;
}

} // namespace

Affine Affine::Translation(const Vector3& v) {
    Affine map;
    map.offset = v;
    return map;
}

Affine Affine::Scaling(const Vector3& v) {
    Affine map;
    for (int i = 0; i < 3; ++i)
        map.linear[i][i] = v[i];
    return map;
}

Affine Affine::Rotation(const Vector3& degrees) {
    const double ca = std::cos(degrees[0] * kDegree), sa = std::sin(degrees[0] * kDegree);
    const double cb = std::cos(degrees[1] * kDegree), sb = std::sin(degrees[1] * kDegree);
    const double cc = std::cos(degrees[2] * kDegree), sc = std::sin(degrees[2] * kDegree);
    const Matrix rx{{{1, 0, 0}, {0, ca, -sa}, {0, sa, ca}}};
    const Matrix ry{{{cb, 0, sb}, {0, 1, 0}, {-sb, 0, cb}}};
    const Matrix rz{{{cc, -sc, 0}, {sc, cc, 0}, {0, 0, 1}}};
    Affine map;
    map.linear = Multiply(rz, Multiply(ry, rx));
    return map;
}

Affine Affine::FromPovMatrix(const std::array<double, 12>& m) {
    Affine map;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            map.linear[column][row] = m[static_cast<std::size_t>(row * 3 + column)];
    map.offset = {m[9], m[10], m[11]};
    return map;
}

Affine Affine::Then(const Affine& next) const {
    Affine map;
    map.linear = Multiply(next.linear, linear);
    const Vector3 moved = MatrixTimes(next.linear, offset);
    for (int i = 0; i < 3; ++i)
        map.offset[i] = moved[i] + next.offset[i];
    return map;
}

std::optional<Affine> Affine::Inverse() const {
    const double det = Determinant(linear);
    double size = 0.0;
    for (const Vector3& row : linear)
        for (double v : row)
            size = std::max(size, std::abs(v));
    if (size == 0.0 || std::abs(det) <= 1e-12 * size * size * size)
        return std::nullopt;
    const Matrix& a = linear;
    Affine inverse;
    inverse.linear = {{{(a[1][1] * a[2][2] - a[1][2] * a[2][1]) / det,
                        (a[0][2] * a[2][1] - a[0][1] * a[2][2]) / det,
                        (a[0][1] * a[1][2] - a[0][2] * a[1][1]) / det},
                       {(a[1][2] * a[2][0] - a[1][0] * a[2][2]) / det,
                        (a[0][0] * a[2][2] - a[0][2] * a[2][0]) / det,
                        (a[0][2] * a[1][0] - a[0][0] * a[1][2]) / det},
                       {(a[1][0] * a[2][1] - a[1][1] * a[2][0]) / det,
                        (a[0][1] * a[2][0] - a[0][0] * a[2][1]) / det,
                        (a[0][0] * a[1][1] - a[0][1] * a[1][0]) / det}}};
    const Vector3 back = MatrixTimes(inverse.linear, offset);
    inverse.offset = {-back[0], -back[1], -back[2]};
    return inverse;
}

Vector3 Affine::Apply(const Vector3& p) const {
    const Vector3 q = MatrixTimes(linear, p);
    return {q[0] + offset[0], q[1] + offset[1], q[2] + offset[2]};
}

bool Affine::Near(const Affine& other, double tolerance) const {
    auto close = [tolerance](double a, double b) {
        return std::abs(a - b) <= tolerance * std::max({1.0, std::abs(a), std::abs(b)});
    };
    for (int i = 0; i < 3; ++i) {
        if (!close(offset[i], other.offset[i]))
            return false;
        for (int j = 0; j < 3; ++j)
            if (!close(linear[i][j], other.linear[i][j]))
                return false;
    }
    return true;
}

Affine TranslateRotateScale::ToAffine() const {
    return Affine::Translation(translate)
        .Then(Affine::Rotation(rotate))
        .Then(Affine::Scaling(scale));
}

Vector3 RotationDegrees(const std::array<Vector3, 3>& r) {
    // r = Rz(c) * Ry(b) * Rx(a): r[2][0] = -sin b, r[2][1] = sin a cos b, r[2][2] = cos a cos b,
    // r[1][0] = cos b sin c, r[0][0] = cos b cos c.
    const double sb = std::clamp(-r[2][0], -1.0, 1.0);
    const double b = std::asin(sb);
    double a, c;
    if (std::abs(sb) < 1.0 - 1e-12) {
        a = std::atan2(r[2][1], r[2][2]);
        c = std::atan2(r[1][0], r[0][0]);
    } else {
        // Gimbal lock: only a - c (or a + c) is fixed; put it all into a.
        c = 0.0;
        a = std::atan2(sb * r[0][1], r[1][1]);
    }
    return {Tidy(a / kDegree), Tidy(b / kDegree), Tidy(c / kDegree)};
}

std::optional<TranslateRotateScale> SplitTranslateRotateScale(const Affine& map) {
    // linear = S * R with S diagonal and R a rotation: then linear * linearT = S², diagonal.
    const Matrix& a = map.linear;
    const Matrix squared = Multiply(a, Transposed(a));
    double largest = 0.0;
    for (int i = 0; i < 3; ++i)
        largest = std::max(largest, squared[i][i]);
    if (largest == 0.0)
        return std::nullopt;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            if (i != j && std::abs(squared[i][j]) > 1e-10 * largest)
                return std::nullopt;
    TranslateRotateScale parts;
    for (int i = 0; i < 3; ++i) {
        if (squared[i][i] <= 1e-20 * largest)
            return std::nullopt;
        parts.scale[i] = std::sqrt(squared[i][i]);
    }
    if (Determinant(a) < 0)
        parts.scale[2] = -parts.scale[2];
    Matrix rotation{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            rotation[i][j] = a[i][j] / parts.scale[i];
    parts.rotate = RotationDegrees(rotation);
    const auto inverse = map.Inverse();
    if (!inverse)
        return std::nullopt;
    const Vector3 moved = MatrixTimes(inverse->linear, map.offset);
    parts.translate = moved;
    for (double& v : parts.translate)
        v = std::abs(v) < 1e-9 ? 0.0 : v;
    if (!parts.ToAffine().Near(map, 1e-7))
        return std::nullopt;
    return parts;
}

std::optional<TranslateRotateScale> NearestTranslateRotateScale(const Affine& map) {
    if (!map.Inverse())
        return std::nullopt;
    // The rotation of the polar decomposition (with the last axis turned over when the map
    // mirrors), then the scale along the axes it leaves.
    Matrix rotation = NearestRotation(map.linear);
    if (Determinant(map.linear) < 0)
        for (double& v : rotation[2])
            v = -v;
    const Matrix stretch = Multiply(map.linear, Transposed(rotation));
    TranslateRotateScale parts;
    for (int i = 0; i < 3; ++i)
        parts.scale[i] = stretch[i][i];
    parts.rotate = RotationDegrees(rotation);
    Affine linearPart;
    linearPart.linear = Multiply(Affine::Scaling(parts.scale).linear, rotation);
    const auto inverse = linearPart.Inverse();
    if (!inverse)
        return std::nullopt;
    parts.translate = MatrixTimes(inverse->linear, map.offset);
    return parts;
}

namespace {

/// The eigenvectors (columns of the result) and eigenvalues of a symmetric matrix, by cyclic
/// Jacobi rotations.
std::pair<Matrix, Vector3> SymmetricEigen(Matrix a) {
    Matrix v{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    for (int sweep = 0; sweep < 64; ++sweep) {
        const double off = a[0][1] * a[0][1] + a[0][2] * a[0][2] + a[1][2] * a[1][2];
        const double diagonal = a[0][0] * a[0][0] + a[1][1] * a[1][1] + a[2][2] * a[2][2];
        if (off <= 1e-30 * diagonal)
            break;
        for (auto [p, q] : {std::pair{0, 1}, std::pair{0, 2}, std::pair{1, 2}}) {
            if (a[p][q] == 0.0)
                continue;
            const double theta = (a[q][q] - a[p][p]) / (2.0 * a[p][q]);
            const double t =
                (theta >= 0 ? 1.0 : -1.0) / (std::abs(theta) + std::sqrt(theta * theta + 1.0));
            const double c = 1.0 / std::sqrt(t * t + 1.0), s = t * c;
            for (int k = 0; k < 3; ++k) {
                const double akp = a[k][p], akq = a[k][q];
                a[k][p] = c * akp - s * akq;
                a[k][q] = s * akp + c * akq;
            }
            for (int k = 0; k < 3; ++k) {
                const double apk = a[p][k], aqk = a[q][k];
                a[p][k] = c * apk - s * aqk;
                a[q][k] = s * apk + c * aqk;
            }
            for (int k = 0; k < 3; ++k) {
                const double vkp = v[k][p], vkq = v[k][q];
                v[k][p] = c * vkp - s * vkq;
                v[k][q] = s * vkp + c * vkq;
            }
        }
    }
    return {v, {a[0][0], a[1][1], a[2][2]}};
}

} // namespace

std::optional<std::pair<Affine, Affine>> SplitScaleBetweenRotations(const Affine& map) {
    const auto inverse = map.Inverse();
    if (!inverse)
        return std::nullopt;
    const Matrix& a = map.linear;
    auto [v, squares] = SymmetricEigen(Multiply(Transposed(a), a));
    if (Determinant(v) < 0)
        for (Vector3& row : v)
            row[2] = -row[2];
    Vector3 sigma{};
    for (int i = 0; i < 3; ++i) {
        if (squares[i] <= 0.0)
            return std::nullopt;
        sigma[i] = std::sqrt(squares[i]);
    }
    // u = a * v * sigma^-1, made a rotation by turning its last column and the last scale over.
    Matrix u = Multiply(a, v);
    for (Vector3& row : u)
        for (int j = 0; j < 3; ++j)
            row[j] /= sigma[j];
    if (Determinant(u) < 0) {
        for (Vector3& row : u)
            row[2] = -row[2];
        sigma[2] = -sigma[2];
    }
    Affine first;
    first.linear = Multiply(Affine::Scaling(sigma).linear, Transposed(v));
    first.offset = MatrixTimes(first.linear, MatrixTimes(inverse->linear, map.offset));
    Affine second;
    second.linear = u;
    if (!first.Then(second).Near(map, 1e-7))
        return std::nullopt;
    return std::pair{first, second};
}
