#include "core/shapes/previewshape.h"

#include "core/archive/archive.h"

IMPLEMENT_SERIAL(PreviewShape, 1, 1)

std::string PreviewShape::GetSceneSource(std::string_view /*textureName*/) const {
    return "This is not a shape!";
}

bool PreviewShape::LacksInclude() const {
    return false;
}

void PreviewShape::Serialize(Archive& ar, std::uint16_t /*schema*/) {
    ar.String(m_name);
    ar.String(m_description);
}

std::string ReplaceAll(std::string_view text, std::string_view pattern,
                       std::string_view replacement) {
    if (pattern.empty())
        return std::string(text);
    std::string result;
    result.reserve(text.size());
    std::size_t start = 0;
    for (std::size_t found = text.find(pattern); found != std::string_view::npos;
         found = text.find(pattern, start)) {
        result.append(text, start, found - start);
        result.append(replacement);
        start = found + pattern.size();
    }
    result.append(text, start);
    return result;
}
