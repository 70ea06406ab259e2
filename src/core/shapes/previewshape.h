#pragma once

#include "core/archive/storable.h"

#include <string>
#include <string_view>
#include <utility>

/// Texts shown to the user around preview scenes.
namespace ShapeMessages {
inline constexpr char WriteError[] = "Error writing to file";
inline constexpr char WriteErrorTitle[] = "File Error";
inline constexpr char MissingInclude[] = "Warning! You have used the %%TEXTURE_NAME%% texture but "
                                         "have not included the file TEMPTX$$.!!!";
inline constexpr char MissingIncludeTitle[] = "Warning";
inline constexpr char CannotModify[] = "There isn't a way to modify this shape";
inline constexpr char CannotModifyTitle[] = "Woops!";
} // namespace ShapeMessages

/// A preview shape: a small POV-Ray scene on which a texture is rendered. The base class has
/// no scene of its own; CustomShape carries an editable scene source.
class PreviewShape : public Storable {
    DECLARE_SERIAL(PreviewShape)
public:
    PreviewShape() = default;
    PreviewShape(const PreviewShape&) = default;
    PreviewShape& operator=(const PreviewShape&) = default;

    const std::string& GetName() const { return m_name; }
    void SetName(std::string name) { m_name = std::move(name); }
    const std::string& GetDescription() const { return m_description; }
    void SetDescription(std::string description) { m_description = std::move(description); }

    /// The scene that renders the texture declared as `textureName` (CR LF line ends).
    virtual std::string GetSceneSource(std::string_view textureName) const;
    /// True when the scene uses the texture without including the texture's file.
    virtual bool LacksInclude() const;

    /// Stored form: the name, then the description.
    void Serialize(Archive& ar, std::uint16_t schema) override;

private:
    std::string m_name;
    std::string m_description;
};

/// `text` with every occurrence of `pattern` replaced, scanning left to right; the inserted
/// text is not scanned again. An empty pattern leaves the text unchanged.
std::string ReplaceAll(std::string_view text, std::string_view pattern,
                       std::string_view replacement);
