#pragma once

#include "core/archive/storable.h"
#include "core/bitmap/bitmap.h"
#include "core/model/scenegamma.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

/// What GetSource writes besides a texture's blocks, and what it leaves out.
enum class SourceFlag : unsigned {
    Declare = 0x0001,  ///< description comment, "#declare" header and closing brace
    NoFinish = 0x0010, ///< leave the finish out
    NoNormal = 0x0100, ///< leave the normal out
};

/// A set of source flags; empty writes just the blocks.
class SourceFlags {
public:
    constexpr SourceFlags() = default;
    constexpr SourceFlags(SourceFlag flag) : m_bits(static_cast<unsigned>(flag)) {}

    constexpr bool Has(SourceFlag flag) const {
        return (m_bits & static_cast<unsigned>(flag)) != 0;
    }
    constexpr SourceFlags Without(SourceFlag flag) const {
        return FromBits(m_bits & ~static_cast<unsigned>(flag));
    }
    constexpr SourceFlags operator|(SourceFlags other) const {
        return FromBits(m_bits | other.m_bits);
    }
    constexpr SourceFlags& operator|=(SourceFlags other) { return *this = *this | other; }
    constexpr bool operator==(const SourceFlags&) const = default;

private:
    static constexpr SourceFlags FromBits(unsigned bits) {
        SourceFlags flags;
        flags.m_bits = bits;
        return flags;
    }
    unsigned m_bits = 0;
};

constexpr SourceFlags operator|(SourceFlag a, SourceFlag b) {
    return SourceFlags(a) | b;
}

/// Which texture an object stands for while the program runs (never stored).
using TextureId = std::uint64_t;

/// Which class a texture is of: SimpleTexture, LayeredTexture or SourceTexture.
enum class TextureKind { Simple, Layered, Source };

/// "simple", "layered" or "source".
std::string_view TextureKindName(TextureKind kind);

/// A texture of a catalog: simple (SimpleTexture), layered (LayeredTexture) or kept as POV-Ray
/// text (SourceTexture). Each carries a name, a description, a preview-shape index and a
/// thumbnail.
class Texture : public Storable {
public:
    TextureKind Kind() const { return m_kind; }

    /// Copies keep the id, since an edited copy stands for the texture it was made from; a new
    /// texture, and one given TakeNewId() (a pasted copy), has an id no other texture had.
    TextureId GetId() const { return m_id; }
    void TakeNewId();

    /// A full copy of the texture, thumbnails and layers included.
    virtual std::unique_ptr<Texture> Clone() const = 0;
    /// Scales the thumbnail (and with `layersToo` the layers' thumbnails first).
    virtual bool ScaleThumbnail(int width, int height, bool layersToo) = 0;
    /// Empties the thumbnail and the layers' thumbnails.
    virtual void ClearThumbnails() { m_thumbnail.Clear(); }
    virtual std::string GetSource(SourceFlags flags) const = 0;
    /// The declaration POV-Ray renders, so that `texture { NAME }` shows the texture.
    virtual std::string GetRenderSource() const { return GetSource(SourceFlag::Declare); }
    /// True when the scene must apply the declaration as `material { NAME }`.
    virtual bool RendersAsMaterial() const { return false; }
    /// Why the texture may not be rendered or exported; empty when it may.
    virtual std::string GetRefusal() const = 0;
    /// Whether light passes through it (a filtering or transmitting colour, refraction): on a
    /// plain background such a texture shows as a dark ball.
    virtual bool LetsLightThrough() const = 0;

    int GetThumbnailWidth() const { return m_thumbnail.Width(); }
    int GetThumbnailHeight() const { return m_thumbnail.Height(); }
    const Bitmap& Thumbnail() const { return m_thumbnail; }
    Bitmap& Thumbnail() { return m_thumbnail; }

    std::uint8_t GetPreviewShape() const { return m_previewShape; }
    void SetPreviewShape(std::uint8_t shape) { m_previewShape = shape; }
    const std::string& GetName() const { return m_name; }
    void SetName(std::string name) { m_name = std::move(name); }
    const std::string& GetDescription() const { return m_description; }
    void SetDescription(std::string description) { m_description = std::move(description); }
    /// The scene gamma the file it was imported from declares (unset: the settings' applies),
    /// while the program runs: the stored form has no place for it.
    std::optional<SceneGamma> GetDeclaredGamma() const { return m_declaredGamma; }
    void SetDeclaredGamma(std::optional<SceneGamma> gamma) { m_declaredGamma = gamma; }

protected:
    explicit Texture(TextureKind kind) : m_kind(kind) {}
    Texture(const Texture&) = default;
    Texture& operator=(const Texture&) = default;

    /// The description comment and the declared identifier, shared by both kinds' headers.
    std::string DeclarationComment() const;
    static TextureId NewTextureId();

    TextureId m_id = NewTextureId();
    Bitmap m_thumbnail;
    std::string m_name = "Untitled";
    std::string m_description;
    std::uint8_t m_previewShape = 0;
    std::optional<SceneGamma> m_declaredGamma;

private:
    TextureKind m_kind;
};

/// Two textures are equal when they are of one kind and store the same bytes: every field, the
/// thumbnail's pixels and the layers, as a catalog file keeps them.
bool operator==(const Texture& a, const Texture& b);
/// The same, with the thumbnails (the layers' too) left out: whether two textures differ in
/// what an editor changes, whatever pictures either has.
bool SameButThumbnails(const Texture& a, const Texture& b);

/// The longest identifier a texture is declared under.
inline constexpr std::size_t kMaxIdentifierLength = 240;

/// The identifier a texture is declared under: its name with every character other than an
/// ASCII letter, digit or '_' made '_' (blanks included); a leading '_' when it would start with
/// a digit or be empty; a trailing '_' when it is one of POV-Ray's reserved words; cut to
/// kMaxIdentifierLength characters. A name that is already a valid identifier stays as it is.
std::string DeclaredIdentifier(std::string_view name);

/// The description as "// " comment lines of at most `width` characters, CR LF after each.
/// Each line of a multi-line description is wrapped on its own, so no text escapes the comment.
std::string WrapComment(std::string_view text, std::size_t width = 60);
