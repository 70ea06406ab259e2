#include "core/catalog/catalog.h"
#include "core/model/simpletexture.h"
#include "paint/bitmapdraw.h"
#include "paint/bitmapimage.h"
#include "paint/catalogpainter.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

Bitmap Gradient(int width, int height) {
    std::vector<std::uint8_t> rows(static_cast<std::size_t>(width * height * 3));
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = static_cast<std::uint8_t>(i * 7);
    Bitmap dib;
    dib.SetBits(width, height, rows, false);
    return dib;
}

QImage Canvas(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    return image;
}

QImage PaintCatalog(const Catalog& catalog, int width, int height) {
    QImage image = Canvas(width, height);
    QPainter painter(&image);
    CatalogPainter(catalog).Paint(painter, image.rect(), width);
    return image;
}

} // namespace

TEST(BitmapDrawing, BothRoutesDrawTheSamePixelsTopRowFirst) {
    const Bitmap dib = Gradient(7, 5);
    QImage direct = Canvas(20, 20);
    QImage video = Canvas(20, 20);
    {
        QPainter a(&direct);
        QPainter b(&video);
        EXPECT_TRUE(DrawBitmap(a, dib, 3, 4, BitmapDrawRoute::Direct));
        EXPECT_TRUE(DrawBitmap(b, dib, 3, 4, BitmapDrawRoute::Pixmap));
    }
    EXPECT_EQ(direct, video);
    // The first row handed to SetBits is the top row on screen: blue, green, red bytes.
    EXPECT_EQ(direct.pixelColor(3, 4), QColor(14, 7, 0));
    EXPECT_EQ(direct.pixelColor(2, 4), QColor(Qt::magenta));
    EXPECT_EQ(RouteFor(1), BitmapDrawRoute::Pixmap);
    EXPECT_EQ(RouteFor(0), BitmapDrawRoute::Direct);
}

TEST(BitmapDrawing, AnEmptyBitmapDrawsNothing) {
    QImage image = Canvas(10, 10);
    QPainter painter(&image);
    EXPECT_FALSE(DrawBitmap(painter, Bitmap(), 0, 0, BitmapDrawRoute::Pixmap));
    painter.end();
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::magenta));
}

TEST(CatalogPainting, FramesAndColoursOfCells) {
    Catalog catalog;
    SimpleTexture rendered;
    rendered.SetName("Rendered");
    rendered.Thumbnail() = Gradient(120, 120);
    catalog.AddTexture(rendered);
    catalog.AddTexture(rendered);
    catalog.Select(1);
    const QImage image = PaintCatalog(catalog, 500, 200);
    // Texture 0 at (20, 20): sunken frame, grey above and left, white right and below.
    EXPECT_EQ(image.pixelColor(2, 2), QColor(192, 192, 192));
    EXPECT_EQ(image.pixelColor(19, 19), QColor(128, 128, 128));
    EXPECT_EQ(image.pixelColor(139, 19),
              QColor(128, 128, 128)); // the top line stops short of x + W
    EXPECT_EQ(image.pixelColor(140, 19), QColor(192, 192, 192));
    EXPECT_EQ(image.pixelColor(140, 140), QColor(255, 255, 255));
    EXPECT_EQ(image.pixelColor(19, 140), QColor(192, 192, 192));
    // Texture 1 at (165, 20) is selected: a blue cell with a raised frame.
    EXPECT_EQ(image.pixelColor(152, 10), QColor(0, 0, 255)); // its cell starts at 152
    EXPECT_EQ(image.pixelColor(164, 19), QColor(255, 255, 255));
    EXPECT_EQ(image.pixelColor(285, 140), QColor(128, 128, 128));
    // The name band under each thumbnail is filled with the text background.
    EXPECT_EQ(image.pixelColor(22, 146), QColor(195, 195, 195));
    EXPECT_EQ(image.pixelColor(167, 146), QColor(195, 195, 195));
}

TEST(CatalogPainting, NotRenderedAndLongNamesStayInsideTheirCell) {
    Catalog catalog;
    SimpleTexture texture;
    texture.SetName(std::string(80, 'W')); // far wider than the thumbnail
    catalog.AddTexture(texture);
    const QImage image = PaintCatalog(catalog, 300, 200);
    // "Not Rendered" is drawn on the text background in the middle of the empty thumbnail.
    int textBackground = 0;
    for (int x = 25; x < 135; ++x)
        textBackground += image.pixelColor(x, 80) == QColor(195, 195, 195);
    EXPECT_GT(textBackground, 20);
    // The name stays within the thumbnail's width.
    for (int y = 146; y < 160; ++y) {
        EXPECT_EQ(image.pixelColor(18, y), QColor(192, 192, 192)) << y;
        EXPECT_EQ(image.pixelColor(141, y), QColor(192, 192, 192)) << y;
    }
    bool dark = false;
    for (int x = 60; x < 100; ++x)
        dark = dark || image.pixelColor(x, 152).lightness() < 100;
    EXPECT_TRUE(dark);
}

namespace {

/// A catalog of one texture named `name`, painted as a window 300 pixels wide.
QImage PaintNamed(const std::string& name) {
    Catalog catalog;
    SimpleTexture texture;
    texture.SetName(name);
    catalog.AddTexture(texture);
    return PaintCatalog(catalog, 300, 200);
}

/// Whether anything dark is drawn in columns [left, right) of rows [top, bottom).
bool DarkIn(const QImage& image, int left, int right, int top, int bottom) {
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            if (image.pixelColor(x, y).lightness() < 100)
                return true;
    return false;
}

} // namespace

TEST(CatalogPainting, ALongNameShowsItsBeginningAndEndsInAnEllipsis) {
    const std::string tail(60, 'W');
    const QImage a = PaintNamed("_NB_Winebottle_Glass_Clear_Green" + tail);
    const QImage b = PaintNamed("XY_Other_Beginning_Of_Name_Here_" + tail);
    const QImage c = PaintNamed("_NB_Winebottle_Glass_Clear_Green" + std::string(60, 'M'));
    const QImage whole = PaintNamed("_NB");
    // The name row: below the thumbnail frame, as tall as the text.
    const int top = 145;
    const int bottom = top + QFontMetrics(QFont()).height();
    // Its beginning is drawn from the left edge of the thumbnail...
    EXPECT_TRUE(DarkIn(a, 20, 28, top, bottom));
    EXPECT_NE(a, b) << "the beginnings differ, so must the cells";
    // ...and what does not fit is left out, so names differing only there look the same.
    EXPECT_EQ(a, c);
    // The last few pixels are the low dots of "…", not the tall letters of the name.
    int last = 139;
    while (last > 20 && !DarkIn(a, last, last + 1, top, bottom))
        --last;
    EXPECT_GT(last, 100) << "the text reaches across the cell";
    EXPECT_FALSE(DarkIn(a, last - 2, last + 1, top, top + (bottom - top) / 2));
    // The cell around the name is drawn as for a short name: only the name row differs.
    for (int y = 0; y < 200; ++y) {
        if (y >= top && y < bottom)
            continue;
        for (int x = 0; x < 300; ++x) {
            ASSERT_EQ(a.pixel(x, y), whole.pixel(x, y)) << x << "," << y;
        }
    }
}
