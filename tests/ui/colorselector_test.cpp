// The colour selector: channels, HSV, picker and hue strip, hexadecimal, decimal view and named
// colours.

#include "core/color/namedcolor.h"
#include "core/model/simpletexture.h"
#include "editorfixture.h"
#include "ui/dialogs/numberfield.h"
#include "ui/editors/addcolordialog.h"
#include "ui/editors/colorselectordialog.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QSlider>
#include <QTest>

namespace {

using C = ColorSelectorDialog;

class SelectorTest : public EditorTest {
protected:
    std::unique_ptr<C> Open(ColorRGBF color, C::Mode mode = C::MapEntryColor) {
        auto selector = std::make_unique<C>(m_services, mode);
        selector->SetColor(color);
        selector->SetTexture(&m_texture);
        selector->show();
        QApplication::setActiveWindow(selector.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(selector.get()));
        return selector;
    }
    SimpleTexture m_texture;
};

} // namespace

TEST_F(SelectorTest, RedBlackAndWhiteGiveTheirHsvAndMarker) {
    auto selector = Open({255, 0, 0, 0});
    EXPECT_EQ(selector->Value(C::Hue), 0);
    EXPECT_EQ(selector->Value(C::Saturation), 255);
    EXPECT_EQ(selector->Value(C::HsvValue), 255);
    // Top right of the picker.
    EXPECT_EQ(selector->MarkerCentre(), QPoint(selector->Picker()->width(), 0));
    selector->SetColor({0, 0, 0, 0});
    EXPECT_EQ(selector->IntegerEdit(C::HsvValue)->text(), "0");
    EXPECT_EQ(selector->IntegerEdit(C::Saturation)->text(), "0");
    selector->SetColor({255, 255, 255, 0});
    EXPECT_EQ(selector->Value(C::HsvValue), 255);
    EXPECT_EQ(selector->Value(C::Saturation), 0);
    selector->SetColor({0, 128, 255, 7});
    EXPECT_EQ(selector->IntegerEdit(C::Hue)->text(), "209");
    EXPECT_EQ(selector->IntegerEdit(C::Filter)->text(), "7");
}

TEST_F(SelectorTest, ThePickerImageRunsFromBlackToTheHueAndToWhite) {
    auto selector = Open({0, 255, 0, 0});
    const QImage& image = selector->PickerImage();
    const int w = image.width();
    const int h = image.height();
    EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(0, h - 1), qRgb(0, 0, 0));
    // Top right: 99 % of the pure hue (column percentage of the last column).
    EXPECT_EQ(image.pixel(w - 1, 0), qRgb(0, 252, 0));
    EXPECT_EQ(image.pixel(w - 1, h - 1), qRgb(249, 252, 249));
}

TEST_F(SelectorTest, DraggingIsClampedAndTheHueTopIs360) {
    auto selector = Open({255, 0, 0, 0});
    selector->DragPicker(QPoint(-40, 9999));
    EXPECT_EQ(selector->Value(C::HsvValue), 0);
    EXPECT_EQ(selector->Value(C::Saturation), 0);
    selector->DragPicker(QPoint(selector->Picker()->width() / 2, 0));
    EXPECT_EQ(selector->Value(C::HsvValue), 127);
    EXPECT_EQ(selector->Value(C::Saturation), 255);
    EXPECT_EQ(selector->Value(C::Red), 127);
    selector->EndDrag();
    EXPECT_EQ(selector->Slider(C::HsvValue)->value(), 127);
    selector->DragHue(QPoint(5, -30));
    EXPECT_EQ(selector->Value(C::Hue), 360);
    EXPECT_EQ(selector->Value(C::Red), 127); // 360 converts like 0
    EXPECT_EQ(selector->Value(C::Green), 0);
    selector->DragHue(QPoint(5, 10000));
    EXPECT_EQ(selector->Value(C::Hue), 0);
    selector->EndDrag();
}

TEST_F(SelectorTest, TheMouseDragsOnePictureAtATime) {
    auto selector = Open({255, 0, 0, 0});
    QWidget* picker = selector->Picker();
    QWidget* hue = selector->HueStrip();
    QTest::mousePress(hue, Qt::LeftButton, {}, QPoint(5, 0)); // above the strip: its top

    EXPECT_EQ(selector->Value(C::Hue), 360);
    QTest::mouseMove(hue, QPoint(5, 10000));
    EXPECT_EQ(selector->Value(C::Hue), 0);
    // While the hue is dragged, the picker takes neither a press nor a move.
    QTest::mousePress(picker, Qt::LeftButton, {}, QPoint(0, 0));
    QTest::mouseMove(picker, QPoint(10, 10));
    EXPECT_EQ(selector->Value(C::HsvValue), 255);
    EXPECT_EQ(selector->Value(C::Saturation), 255);
    QTest::mouseRelease(hue, Qt::LeftButton, {}, QPoint(5, 10000));

    // Only the left button starts a drag.
    QTest::mousePress(picker, Qt::RightButton, {}, QPoint(0, 0));
    EXPECT_EQ(selector->Value(C::HsvValue), 255);
    QTest::mouseRelease(picker, Qt::RightButton, {}, QPoint(0, 0));
    QTest::mousePress(picker, Qt::LeftButton, {}, QPoint(picker->width() / 2, 0));
    EXPECT_EQ(selector->Value(C::HsvValue), 127);
    QTest::mouseMove(picker, QPoint(0, picker->height()));
    EXPECT_EQ(selector->Value(C::HsvValue), 0);
    EXPECT_EQ(selector->Value(C::Saturation), 0);
    QTest::mouseMove(hue, QPoint(5, 0)); // the hue strip is not the one dragged
    EXPECT_EQ(selector->Value(C::Hue), 0);
    QTest::mouseRelease(picker, Qt::LeftButton, {}, QPoint(0, picker->height()));
    // Let go, the picker follows the mouse no more.
    QTest::mouseMove(picker, QPoint(picker->width(), 0));
    EXPECT_EQ(selector->Value(C::HsvValue), 0);
}

TEST_F(SelectorTest, TheDecimalRedSliderAtFiftyGives127) {
    m_services.settings.decimalInColorPicker = false;
    auto selector = Open({0, 0, 0, 0});
    selector->DecimalCheck()->click();
    EXPECT_EQ(m_services.settings.decimalInColorPicker, 1);
    EXPECT_TRUE(selector->DecimalEdit(C::Red)->isVisible());
    EXPECT_FALSE(selector->IntegerEdit(C::Red)->isVisible());
    EXPECT_EQ(selector->Slider(C::Red)->maximum(), 100);
    selector->Slider(C::Red)->setValue(50);
    EXPECT_EQ(selector->Value(C::Red), 127);
    EXPECT_EQ(selector->DecimalEdit(C::Red)->text(), "0.50");
    EXPECT_EQ(selector->Slider(C::Red)->value(), 50);
    EXPECT_EQ(selector->Value(C::Hue), 0);
    EXPECT_EQ(selector->Value(C::HsvValue), 127);
    selector->DecimalCheck()->click();
    EXPECT_EQ(selector->Slider(C::Red)->maximum(), 255);
    EXPECT_EQ(selector->Slider(C::Red)->value(), 127);
    EXPECT_EQ(m_services.settings.decimalInColorPicker, 0);
}

TEST_F(SelectorTest, EditsAreCheckedAndFollowedWhenLeft) {
    auto selector = Open({0, 0, 0, 0});
    auto* line = selector->findChild<FieldMessageLine*>();
    TypeAndLeave(selector->IntegerEdit(C::Green), QStringLiteral("300"),
                 selector->IntegerEdit(C::Blue));
    EXPECT_EQ(line->text(), "Green: please enter a whole number from 0 to 255.");
    EXPECT_EQ(selector->focusWidget(), selector->IntegerEdit(C::Blue));
    EXPECT_EQ(selector->Value(C::Green), 0);
    TypeAndLeave(selector->IntegerEdit(C::Green), QStringLiteral("128"),
                 selector->IntegerEdit(C::Blue));
    TypeAndLeave(selector->IntegerEdit(C::Blue), QStringLiteral("255"),
                 selector->IntegerEdit(C::Red));
    EXPECT_EQ(selector->Value(C::Hue), 209);
    EXPECT_EQ(selector->IntegerEdit(C::Hue)->text(), "209");
    EXPECT_EQ(selector->Slider(C::Green)->value(), 128);
    EXPECT_TRUE(line->isHidden());
    TypeAndLeave(selector->IntegerEdit(C::Hue), QStringLiteral("361"),
                 selector->IntegerEdit(C::Red));
    EXPECT_EQ(line->text(), "Hue: please enter a whole number from 0 to 360.");
    TypeAndLeave(selector->IntegerEdit(C::Hue), QStringLiteral("120"),
                 selector->IntegerEdit(C::Red));
    EXPECT_TRUE(line->isHidden());
    EXPECT_TRUE(m_messages.empty());
    EXPECT_EQ(selector->Value(C::Red), 0);
    EXPECT_EQ(selector->Value(C::Green), 255);
    EXPECT_EQ(selector->Value(C::Blue), 0);
}

TEST_F(SelectorTest, PigmentModeWritesTheTextureAtOnceMapModeNever) {
    m_texture.pigment.color = {1, 2, 3, 4};
    auto entry = Open({1, 2, 3, 4}, C::MapEntryColor);
    entry->Slider(C::Blue)->setValue(77);
    EXPECT_EQ(m_texture.pigment.color, (ColorRGBF{1, 2, 3, 4}));
    auto pigment = Open({1, 2, 3, 4}, C::PigmentColor);
    pigment->Slider(C::Blue)->setValue(77);
    EXPECT_EQ(m_texture.pigment.color, (ColorRGBF{1, 2, 77, 4}));
    pigment->Slider(C::Filter)->setValue(9);
    EXPECT_EQ(m_texture.pigment.color.filter, 9);
}

TEST_F(SelectorTest, NamedColoursArePreselectedAddedAndSaved) {
    m_services.namedColors.push_back(
        std::make_unique<NamedColor>("Sky", ColorRGBF{80, 160, 255, 0}));
    m_services.namedColors.push_back(
        std::make_unique<NamedColor>("Ember", ColorRGBF{200, 40, 0, 0}));
    auto selector = Open({200, 40, 0, 0});
    EXPECT_EQ(selector->NameList()->itemText(0), "(New Color)");
    EXPECT_EQ(selector->NameList()->currentText(), "Ember");
    EXPECT_TRUE(selector->RemoveButton()->isEnabled());
    // Choosing a name takes its colour.
    selector->NameList()->setCurrentIndex(1);
    emit selector->NameList()->activated(1);
    EXPECT_EQ(selector->Color(), (ColorRGBF{80, 160, 255, 0}));
    EXPECT_EQ(selector->Slider(C::Blue)->value(), 255);
    selector->NameList()->setCurrentIndex(0);
    emit selector->NameList()->activated(0);
    EXPECT_FALSE(selector->RemoveButton()->isEnabled());
    EXPECT_FALSE(selector->SaveButton()->isEnabled());

    WhenShown<AddColorDialog>([](AddColorDialog* ask) {
        EXPECT_EQ(ask->NameEdit()->text(), "Untitled");
        ask->NameEdit()->setText(QStringLiteral("Sea"));
        ask->accept();
    });
    selector->Slider(C::Filter)->setValue(30);
    selector->AddButton()->click();
    ASSERT_EQ(m_services.namedColors.size(), 3u);
    EXPECT_EQ(m_services.namedColors[2]->GetName(), "Sea");
    EXPECT_EQ(m_services.namedColors[2]->GetColor(), (ColorRGBF{80, 160, 255, 30}));
    EXPECT_EQ(selector->NameList()->currentText(), "Sea");
    selector->Slider(C::Red)->setValue(0);
    selector->SaveButton()->click();
    EXPECT_EQ(m_services.namedColors[2]->GetColor(), (ColorRGBF{0, 160, 255, 30}));
    EXPECT_EQ(m_services.namedColors[2]->GetName(), "Sea");
}

TEST_F(SelectorTest, ANamedColourRemovedStaysRemovedAfterCancel) {
    m_services.namedColors.push_back(
        std::make_unique<NamedColor>("Sky", ColorRGBF{80, 160, 255, 0}));
    m_services.namedColors.push_back(
        std::make_unique<NamedColor>("Ember", ColorRGBF{200, 40, 0, 0}));
    auto selector = Open({80, 160, 255, 0});
    m_answer = QMessageBox::No;
    selector->RemoveButton()->click();
    EXPECT_EQ(m_services.namedColors.size(), 2u);
    m_answer = QMessageBox::Yes;
    selector->RemoveButton()->click();
    ASSERT_EQ(m_messages.size(), 2u);
    EXPECT_EQ(m_messages[1].title, "Remove Color");
    EXPECT_EQ(m_messages[1].text, "Are you sure that you want to remove the selected color?");
    EXPECT_EQ(m_messages[1].icon, Prompts::Icon::Stop);
    EXPECT_EQ(selector->NameList()->currentIndex(), 0);
    EXPECT_FALSE(selector->RemoveButton()->isEnabled());
    selector->reject();
    ASSERT_EQ(m_services.namedColors.size(), 1u);
    EXPECT_EQ(m_services.namedColors[0]->GetName(), "Ember");
}

TEST_F(SelectorTest, TheToolTipsSayWhatEachControlDoes) {
    auto selector = Open({0, 0, 0, 0});
    EXPECT_EQ(selector->Slider(C::Red)->toolTip(), "This specifies how much red is in the color.");
    EXPECT_EQ(selector->Slider(C::Filter)->toolTip(),
              "This specifies how much light passes through the color.");
    EXPECT_EQ(selector->Slider(C::Saturation)->toolTip(),
              "This specifies how saturated the color is.");
    EXPECT_EQ(selector->NameList()->toolTip(),
              "Use this combobox to select a named color into the color picker.");
    EXPECT_EQ(selector->SaveButton()->toolTip(),
              "Use this button to save the current color as the selected named color.");
}

TEST_F(SelectorTest, LongColorNamesAreShownShortened) {
    // A name of megabytes from a damaged colors.dat took the list long to lay out.
    m_services.NamedColors().push_back(
        std::make_unique<NamedColor>(std::string(10 << 20, 'r'), ColorRGBF{1, 2, 3, 0}));
    auto selector = Open({1, 2, 3, 0});
    ASSERT_EQ(selector->NameList()->count(), 2);
    EXPECT_EQ(selector->NameList()->currentIndex(), 1);
    EXPECT_EQ(selector->NameList()->itemText(1), QString(80, 'r') + QChar(0x2026));
    EXPECT_LT(selector->width(), 1500);
    m_services.NamedColors().clear();
}

TEST_F(SelectorTest, TheHexEditFollowsTheColourAndSetsItWhenTypedRight) {
    auto selector = Open({255, 30, 30, 9});
    QLineEdit* hex = selector->HexEdit();
    EXPECT_EQ(hex->text(), "#FF1E1E");
    EXPECT_EQ(hex->accessibleName(), "Hexadecimal");
    selector->Slider(C::Green)->setValue(128);
    EXPECT_EQ(hex->text(), "#FF801E");
    selector->SetColor({1, 2, 3, 4});
    EXPECT_EQ(hex->text(), "#010203");

    const QColor plain = hex->palette().color(QPalette::Base);
    TypeKeys(hex, QStringLiteral("#00ff80"));
    EXPECT_EQ(selector->Color(), (ColorRGBF{0, 255, 128, 4}));
    EXPECT_EQ(selector->Slider(C::Green)->value(), 255);
    EXPECT_EQ(selector->IntegerEdit(C::Blue)->text(), "128");
    EXPECT_EQ(selector->Value(C::Hue), 150);
    EXPECT_EQ(hex->text(), "#00ff80") << "left as typed while typing";
    selector->IntegerEdit(C::Red)->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(hex->text(), "#00FF80");
    TypeKeys(hex, QStringLiteral("#F0a"));
    EXPECT_EQ(selector->Color(), (ColorRGBF{255, 0, 170, 4}));
    TypeKeys(hex, QStringLiteral("0080FF"));
    EXPECT_EQ(selector->Color(), (ColorRGBF{0, 128, 255, 4}));
    EXPECT_EQ(selector->Value(C::Hue), 209);

    // Text that is no colour (pasted whole) is marked and changes nothing, not even on the way
    // out.
    for (const QString text : {"#0080F", "#12345G", "F0A", "#FF00001", "#", ""}) {
        hex->selectAll();
        hex->insert(text);
        EXPECT_EQ(selector->Color(), (ColorRGBF{0, 128, 255, 4})) << text.toStdString();
        EXPECT_NE(hex->palette().color(QPalette::Base), plain) << text.toStdString();
    }
    selector->IntegerEdit(C::Red)->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(selector->Color(), (ColorRGBF{0, 128, 255, 4}));
    EXPECT_EQ(hex->text(), "");
    // OK will not take it; a change elsewhere writes the colour over it.
    selector->accept();
    auto* line = selector->findChild<FieldMessageLine*>();
    EXPECT_EQ(line->text(), "Hexadecimal: please enter a color as #RRGGBB or #RGB.");
    EXPECT_FALSE(line->isHidden());
    EXPECT_EQ(selector->focusWidget(), hex);
    EXPECT_TRUE(m_messages.empty());
    EXPECT_TRUE(selector->isVisible());
    selector->Slider(C::Red)->setValue(16);
    EXPECT_EQ(hex->text(), "#1080FF");
    EXPECT_EQ(hex->palette().color(QPalette::Base), plain);
    EXPECT_TRUE(line->isHidden());
    // Return takes the colour typed and closes the dialog with it.
    TypeKeys(hex, QStringLiteral("#abc"));
    QTest::keyClick(hex, Qt::Key_Return);
    EXPECT_EQ(hex->text(), "#AABBCC");
    EXPECT_EQ(selector->result(), QDialog::Accepted);
    EXPECT_EQ(selector->Color(), (ColorRGBF{170, 187, 204, 4}));
}

TEST_F(SelectorTest, TheHsvValueIsCalledValueAndItsKeyIsNoOtherControls) {
    auto selector = Open({255, 30, 30, 0});
    EXPECT_EQ(selector->Value(C::HsvValue), 255);
    const auto* label = selector->findChild<QLabel*>(QStringLiteral("valueLabel"));
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text().remove(QLatin1Char('&')), "Value");
    EXPECT_EQ(label->buddy(), selector->IntegerEdit(C::HsvValue));
    EXPECT_EQ(selector->Slider(C::HsvValue)->accessibleName(), "Value");
    EXPECT_EQ(selector->IntegerEdit(C::HsvValue)->accessibleName(), "Value");
    EXPECT_EQ(selector->DecimalEdit(C::HsvValue)->accessibleName(), "Value");
    // Every access key of the dialog leads to one control only.
    QMap<QChar, QString> keys;
    auto take = [&keys](const QString& text) {
        const qsizetype at = text.indexOf(QLatin1Char('&'));
        if (at < 0 || at + 1 >= text.size())
            return;
        const QChar key = text[at + 1].toLower();
        EXPECT_FALSE(keys.contains(key))
            << text.toStdString() << " and " << keys[key].toStdString();
        keys[key] = text;
    };
    for (const QLabel* each : selector->findChildren<QLabel*>())
        take(each->text());
    for (const QAbstractButton* button : selector->findChildren<QAbstractButton*>())
        take(button->text());
    EXPECT_TRUE(keys.contains(QLatin1Char('l')));
    EXPECT_TRUE(keys.contains(QLatin1Char('x')));
}
