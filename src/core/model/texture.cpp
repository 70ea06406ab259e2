#include "core/model/texture.h"

#include "core/archive/archive.h"
#include "core/povtext/language/language.h"
#include "core/text/textcodec.h"

#include <atomic>
#include <optional>
#include <vector>

std::string_view TextureKindName(TextureKind kind) {
    switch (kind) {
    case TextureKind::Simple:
        return "simple";
    case TextureKind::Layered:
        return "layered";
    case TextureKind::Source:
        return "source";
    }
    return {};
}

TextureId Texture::NewTextureId() {
    static std::atomic<TextureId> next{1};
    return next++;
}

void Texture::TakeNewId() {
    m_id = NewTextureId();
}

std::string Texture::DeclarationComment() const {
    return WrapComment(m_description);
}

namespace {

/// The texture's stored form (class record included), or nothing when it cannot be stored.
std::optional<std::vector<std::uint8_t>> StoredForm(const Texture& texture) {
    try {
        Archive archive;
        archive.WriteObject(&texture);
        return archive.TakeBytes();
    } catch (const ArchiveException&) {
        return std::nullopt;
    }
}

} // namespace

bool operator==(const Texture& a, const Texture& b) {
    if (&a == &b)
        return true;
    if (a.Kind() != b.Kind())
        return false;
    const auto first = StoredForm(a);
    const auto second = StoredForm(b);
    return first && second && *first == *second;
}

bool SameButThumbnails(const Texture& a, const Texture& b) {
    if (&a == &b)
        return true;
    if (a.Kind() != b.Kind())
        return false;
    const auto withoutPictures = [](const Texture& texture) {
        std::unique_ptr<Texture> copy = texture.Clone();
        copy->ClearThumbnails();
        return copy;
    };
    return *withoutPictures(a) == *withoutPictures(b);
}

namespace {

bool IsIdentifierCharacter(char32_t c) {
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || (c >= U'0' && c <= U'9') ||
           c == U'_';
}

} // namespace

std::string DeclaredIdentifier(std::string_view name) {
    // Every character POV-Ray would not read as part of one identifier becomes '_' (blanks
    // included), so no name can end the declaration early or bring in text of its own.
    std::string identifier;
    identifier.reserve(name.size());
    for (char32_t c : DecodeUtf8(name))
        identifier += IsIdentifierCharacter(c) ? static_cast<char>(c) : '_';
    if (identifier.empty() || (identifier[0] >= '0' && identifier[0] <= '9'))
        identifier.insert(identifier.begin(), '_');
    if (IsPovRayReservedWord(identifier))
        identifier += '_';
    // POV-Ray refuses tokens of 256 characters or more.
    if (identifier.size() > kMaxIdentifierLength)
        identifier.resize(kMaxIdentifierLength);
    return identifier;
}

namespace {

bool IsLeadingSpace(char32_t c) {
    return c == U' ' || c == U'\t' || c == U'\r' || c == U'\n';
}

void WrapLine(std::u32string_view line, std::size_t width, std::string& out) {
    std::size_t start = 0;
    while (start < line.size()) {
        std::size_t end;
        std::size_t next;
        if (line.size() - start <= width) {
            end = next = line.size();
        } else {
            std::size_t blank = start + width;
            while (blank > start && line[blank] != U' ')
                --blank;
            if (blank > start) {
                end = next = blank;
            } else {
                end = next = start + width;
            }
        }
        std::size_t first = start;
        while (first < end && IsLeadingSpace(line[first]))
            ++first;
        out += "// " + EncodeUtf8(line.substr(first, end - first)) + "\r\n";
        start = next;
    }
}

} // namespace

std::string WrapComment(std::string_view text, std::size_t width) {
    const std::u32string all = DecodeUtf8(text);
    std::vector<std::u32string_view> lines;
    std::size_t begin = 0;
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i] != U'\r' && all[i] != U'\n')
            continue;
        lines.emplace_back(all.data() + begin, i - begin);
        if (all[i] == U'\r' && i + 1 < all.size() && all[i + 1] == U'\n')
            ++i;
        begin = i + 1;
    }
    // A final line break closes the last line rather than opening an empty one.
    if (begin < all.size())
        lines.emplace_back(all.data() + begin, all.size() - begin);

    std::string out;
    for (std::u32string_view line : lines) {
        if (line.empty())
            out += "// \r\n";
        else
            WrapLine(line, width, out);
    }
    return out;
}
