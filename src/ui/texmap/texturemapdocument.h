#pragma once

#include "core/bitmap/bitmap.h"
#include "ui/framework/document.h"

#include <cstdint>
#include <span>
#include <vector>

/// Ways of making a texture map's picture tile; every one starts from the source pixels.
enum class TileMethod { None, EdgeFade, Mirror };

/// A texture map open in the program: the picture as rendered (the source) and the picture
/// shown and saved, which is the source after the chosen tile method. The file is a 24-bit
/// uncompressed BMP of the shown picture, or a PNG when its name ends in ".png".
class TextureMapDocument : public Document {
    Q_OBJECT
public:
    explicit TextureMapDocument(DocumentTemplate& kind, QObject* parent = nullptr);

    /// Takes a copy of `pixels` (packed rows of 3 * width bytes, top row first, blue, green,
    /// red) as the source and shows it unchanged. False, with the document unchanged, when the
    /// size is negative or the pixels are too few for it. Does not touch the modified flag.
    bool SetImage(std::span<const std::uint8_t> pixels, int width, int height);

    /// Makes the shown picture from the source with `method`, marks the document modified and
    /// repaints its views. Methods never accumulate: applying one again recomputes it from the
    /// source. False, with the document unchanged, when the result is too large to hold.
    bool ApplyTileMethod(TileMethod method);
    /// The method the shown picture was made with; None after SetImage and Load.
    TileMethod AppliedTileMethod() const { return m_tileMethod; }

    /// The source picture: packed rows, top row first.
    const std::vector<std::uint8_t>& SourcePixels() const { return m_source; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    /// The picture as shown and saved (twice the source's size after Mirror).
    const Bitmap& Image() const { return m_image; }

    /// Reads a BMP or PNG file (by its contents). On failure the document is unchanged, the
    /// result's message is the bitmap's own ("Cannot open specified file!", "Bitmaps must be 24-bit
    /// uncompressed format!", ...) and LoadErrorTitle() gives the caption to show it under.
    FileResult Load(const QString& path) override;
    /// Writes the shown picture as a BMP file, or a 24-bit PNG when the name ends in ".png",
    /// atomically.
    FileResult Store(const QString& path) override;
    static bool IsPngName(const QString& path);
    /// The message box caption of the last failed Load ("IO Error", "File Format Error").
    QString LoadErrorTitle() const override {
        return m_loadErrorCaption.isEmpty() ? Document::LoadErrorTitle() : m_loadErrorCaption;
    }

private:
    FileResult LoadPng(const QString& path, std::span<const std::uint8_t> data);

    std::vector<std::uint8_t> m_source;
    int m_width = 0;
    int m_height = 0;
    Bitmap m_image;
    TileMethod m_tileMethod = TileMethod::None;
    QString m_loadErrorCaption;
};
