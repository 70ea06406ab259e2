#include "core/model/sourcetexture.h"

#include "core/archive/archive.h"

#include <cctype>
#include <charconv>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

IMPLEMENT_SERIAL(SourceTexture, 1, 1)

std::string_view SourceKindName(SourceTexture::Kind kind) {
    switch (kind) {
    case SourceTexture::PigmentKind:
        return "pigment";
    case SourceTexture::MaterialKind:
        return "material";
    case SourceTexture::TextureKind:
        break;
    }
    return "texture";
}

std::unique_ptr<Texture> SourceTexture::Clone() const {
    return std::make_unique<SourceTexture>(*this);
}

bool SourceTexture::ScaleThumbnail(int width, int height, bool /*layersToo*/) {
    return m_thumbnail.Resize(width, height);
}

namespace {

bool IsWordCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

/// The number written at `at` (blanks before it skipped); nullopt when something else is.
std::optional<double> NumberAt(const std::string& text, std::size_t at) {
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])))
        ++at;
    // Whatever the locale: POV-Ray writes "." as decimal point.
    const char* first = text.data() + at;
    const char* last = text.data() + text.size();
    if (first < last && *first == '+')
        ++first;
    double value = 0.0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || (end < last && (IsWordCharacter(*end) || *end == '.')))
        return std::nullopt;
    return value;
}

/// Whether the colour vector at `at` ("<r, g, b, f, t>", `channels` of them at its end are
/// filter and transmit) lets light through; unknown (not plain numbers) counts as yes.
bool SeeThroughVector(const std::string& text, std::size_t at, int channels) {
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])))
        ++at;
    if (at >= text.size() || text[at] != '<')
        return true;
    const std::size_t close = text.find('>', at);
    if (close == std::string::npos)
        return true;
    std::vector<std::size_t> starts{at + 1};
    for (std::size_t i = at + 1; i < close; ++i)
        if (text[i] == ',')
            starts.push_back(i + 1);
    if (starts.size() < static_cast<std::size_t>(channels))
        return true;
    for (std::size_t k = starts.size() - static_cast<std::size_t>(channels); k < starts.size();
         ++k) {
        const std::optional<double> value = NumberAt(text, starts[k]);
        if (!value || *value != 0.0)
            return true;
    }
    return false;
}

} // namespace

bool SourceTexture::LetsLightThrough() const {
    // Keyword, and how many filter and transmit channels end the vector after it (0: a number
    // follows the keyword instead).
    static const std::map<std::string, int, std::less<>> kKeywords = {
        {"rgbf", 1},   {"rgbt", 1},   {"rgbft", 2},    {"srgbf", 1},      {"srgbt", 1},
        {"srgbft", 2}, {"filter", 0}, {"transmit", 0}, {"refraction", 0},
    };
    const std::string& text = m_text;
    for (std::size_t i = 0; i < text.size();) {
        if (!IsWordCharacter(text[i])) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && IsWordCharacter(text[end]))
            ++end;
        if (const auto keyword = kKeywords.find(std::string_view(text).substr(i, end - i));
            keyword != kKeywords.end()) {
            if (keyword->second > 0 ? SeeThroughVector(text, end, keyword->second)
                                    : NumberAt(text, end).value_or(1.0) != 0.0)
                return true;
        }
        i = end;
    }
    return false;
}

std::string SourceTexture::GetSource(SourceFlags flags) const {
    if (IsRefused())
        return WrapComment("\"" + m_name + "\" is refused: " + m_refusal);
    if (!flags.Has(SourceFlag::Declare))
        return m_text;
    return DeclarationComment() + "#declare " + DeclaredIdentifier(m_name) + " = " + m_text;
}

std::string SourceTexture::GetRenderSource() const {
    if (IsRefused() || m_kind != PigmentKind)
        return GetSource(SourceFlag::Declare);
    return DeclarationComment() + "#declare " + DeclaredIdentifier(m_name) + " = texture { " +
           m_text + " }";
}

void SourceTexture::Serialize(Archive& ar, std::uint16_t /*schema*/) {
    ar.String(m_name);
    ar.String(m_description);
    std::uint8_t kind = m_kind;
    ar.Byte(kind);
    if (ar.IsLoading()) {
        if (kind > MaterialKind)
            throw ArchiveException(ArchiveError::BadValue);
        m_kind = static_cast<Kind>(kind);
    }
    m_thumbnail.Serialize(ar);
    ar.Byte(m_previewShape);
    ar.String(m_text);
}
