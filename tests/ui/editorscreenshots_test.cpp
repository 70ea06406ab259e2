// Pictures of every editor page and dialog, written to the build folder for looking at, with a
// check that each fits a small screen and that no control sticks out of its parent.

#include "core/model/simpletexture.h"
#include "editorfixture.h"
#include "ui/editors/addcolordialog.h"
#include "ui/editors/colormapdialog.h"
#include "ui/editors/colorselectordialog.h"
#include "ui/editors/imagemapdialog.h"
#include "ui/editors/pigmentpage.h"
#include "ui/editors/textureeditsheet.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

namespace {

class ScreenshotTest : public EditorTest {
protected:
    /// Shows the window, saves its picture and checks its layout.
    void Picture(QWidget* window, const QString& name) {
        window->show();
        QApplication::processEvents();
        window->adjustSize();
        QApplication::processEvents();
        SaveScreenshot(window, name);
        const QSize size = window->frameGeometry().size();
        EXPECT_LE(size.width(), 1280) << name.toStdString();
        EXPECT_LE(size.height(), 900) << name.toStdString();
        for (QWidget* child : window->findChildren<QWidget*>()) {
            if (!child->isVisibleTo(window) || !child->parentWidget() || child->isWindow())
                continue;
            // Keyboard and screen-reader users reach every edit, slider and list by name.
            if (qobject_cast<QLineEdit*>(child) || qobject_cast<QSlider*>(child) ||
                qobject_cast<QComboBox*>(child) ||
                (qobject_cast<QAbstractItemView*>(child) && !qobject_cast<QHeaderView*>(child))) {
                EXPECT_FALSE(child->accessibleName().isEmpty())
                    << name.toStdString() << ": " << child->objectName().toStdString();
                EXPECT_TRUE(child->focusPolicy() & Qt::TabFocus)
                    << name.toStdString() << ": " << child->objectName().toStdString();
            }
            if (auto* label = qobject_cast<QLabel*>(child); label && label->text().contains('&')) {
                EXPECT_TRUE(label->buddy())
                    << name.toStdString() << ": " << label->text().toStdString();
            }
            const QRect inside = child->parentWidget()->rect();
            EXPECT_TRUE(inside.contains(child->geometry()))
                << name.toStdString() << ": " << child->metaObject()->className() << " "
                << child->objectName().toStdString();
        }
    }
};

SimpleTexture Gradient() {
    SimpleTexture texture;
    texture.SetName("Sunset");
    texture.SetDescription("Red to yellow, bottom to top");
    texture.pigment.pattern = Pigment::Gradient;
    texture.pigment.turbulence.amount = 40;
    texture.normal.kind = Normal::Ripples;
    texture.normal.amount = 35;
    texture.pigment.colorMap.count = 3;
    texture.pigment.colorMap.positions = {0.0f, 0.4f, 1.0f};
    texture.pigment.colorMap.colors[0] = {200, 20, 0, 0};
    texture.pigment.colorMap.colors[1] = {255, 128, 0, 60};
    texture.pigment.colorMap.colors[2] = {255, 240, 40, 0};
    return texture;
}

} // namespace

TEST_F(ScreenshotTest, SheetPages) {
    auto sheet = MakeTextureEditSheet(m_services, Gradient(),
                                      QStringLiteral("Modify Simple Texture"), nullptr);
    const char* const names[] = {"sheet-general", "sheet-pigment", "sheet-normal", "sheet-finish"};
    ASSERT_EQ(sheet->PageCount(), static_cast<int>(std::size(names)));
    for (int page = 0; page < sheet->PageCount(); ++page) {
        sheet->show();
        ASSERT_TRUE(sheet->SetCurrentIndex(page));
        Picture(sheet.get(), QString::fromLatin1(names[page]));
    }
    // The plain colour state of the Pigment page.
    auto plain = MakeTextureEditSheet(m_services, SimpleTexture(),
                                      QStringLiteral("New Simple Texture"), nullptr);
    plain->show();
    ASSERT_TRUE(plain->SetCurrentIndex(1));
    Picture(plain.get(), QStringLiteral("sheet-pigment-color"));
}

TEST_F(ScreenshotTest, Dialogs) {
    ImageMap image;
    image.fileName = "/home/ann/textures/bricks.png";
    ImageMapDialog imageDialog(image, true);
    Picture(&imageDialog, QStringLiteral("image-mapping"));

    ColorSelectorDialog selector(m_services, ColorSelectorDialog::MapEntryColor);
    selector.SetColor({40, 120, 220, 0});
    Picture(&selector, QStringLiteral("color-selector"));

    SimpleTexture texture = Gradient();
    ColorMapDialog colorMap(m_services, texture);
    colorMap.SelectLine(1);
    Picture(&colorMap, QStringLiteral("color-map"));

    AddColorDialog add;
    Picture(&add, QStringLiteral("add-color"));
}
