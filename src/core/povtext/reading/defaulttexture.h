#pragma once

#include "core/povtext/language/povtoken.h"

#include <string>
#include <vector>

/// The pigment, normal and finish POV-Ray's #default has set, which every texture declared
/// after it starts from. Kept as written text (identifiers resolved) so that it can be folded
/// into each later texture, which then renders alike without the #default.
class DefaultTexture {
public:
    /// Takes the written `KEYWORD { ... }` of a #default (texture, pigment, normal or finish),
    /// with what was default before already folded into it. False when it cannot be folded: a
    /// texture with more than a pigment, a normal and a finish (a transformation of the whole
    /// texture, layers).
    bool Set(const std::vector<PovToken>& block);
    /// The default pigment, normal or finish, as the body of its block: empty when nothing is
    /// default for it.
    std::vector<PovToken> Body(const std::string& keyword) const;
    bool IsEmpty() const { return m_pigment.empty() && m_normal.empty() && m_finish.empty(); }

private:
    std::vector<PovToken> m_pigment;
    std::vector<PovToken> m_normal;
    std::vector<PovToken> m_finish;
};
