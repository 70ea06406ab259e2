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
    std::vector<std::uint8_t> SourcePixels() const;
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    /// The picture as shown and saved (twice the source's size after Mirror).
    const Bitmap& Image() const { return m_image; }

    /// Reads a BMP or PNG file (by its contents) through the checked reading road. On failure
    /// the document is unchanged, the result's message is the bitmap's own ("Cannot open
    /// specified file!" with the file and the reason after it, "Bitmaps must be 24-bit
    /// uncompressed format!", a picture of more than kMaxPictureSide pixels on a side refused
    /// with its size, ...) and LoadErrorTitle() gives the caption to show it under. Reading
    /// takes no more memory than the picture itself.
    FileResult Load(const QString& path) override;
    /// Writes the shown picture as a BMP file, or a 24-bit PNG when the name ends in ".png",
    /// atomically.
    FileResult Store(const QString& path) override;
    static bool IsPngName(const QString& path);
    /// The title as a name a shell and POV-Ray take as it is ("My_Marble_512x512").
    QString ProposedFileName() const override;
    /// The message box caption of the last failed Load ("IO Error", "File Format Error").
    QString LoadErrorTitle() const override {
        return m_loadErrorCaption.isEmpty() ? Document::LoadErrorTitle() : m_loadErrorCaption;
    }

private:
    FileResult LoadPng(ReadableFile& file);
    /// A failed load: its message, shown under `caption`.
    FileResult Refused(const QString& caption, const QString& message);
    /// Makes `image` the source and the shown picture.
    void TakeSourceImage(Bitmap image);

    /// The source pixels while a tile method shows another picture; empty while the shown
    /// picture is the source itself (so a large map is held only once).
    std::vector<std::uint8_t> m_source;
    int m_width = 0;
    int m_height = 0;
    Bitmap m_image;
    TileMethod m_tileMethod = TileMethod::None;
    QString m_loadErrorCaption;
};
