#include "core/shapes/previewshape.h"

#include "core/archive/archive.h"

#include <fstream>

IMPLEMENT_SERIAL(PreviewShape, 1)

std::string PreviewShape::GetSceneSource(std::string_view /*textureName*/) const {
    return "This is not a shape!";
}

bool PreviewShape::LacksInclude() const {
    return false;
}

bool PreviewShape::WriteScene(const std::string& path, std::string_view textureName) const {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        return false;
    const std::string text = GetSceneSource(textureName);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    return static_cast<bool>(out);
}

void PreviewShape::Serialize(Archive& ar) {
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
