// The colour map dialog: list lines, insert and delete, positions, channels, band and .txc files.

#include "core/model/colormapfile.h"
#include "core/model/simpletexture.h"
#include "editorfixture.h"
#include "ui/dialogs/numberfield.h"
#include "ui/editors/colormapband.h"
#include "ui/editors/colormapdialog.h"
#include "ui/editors/colorselectordialog.h"

#include <QAccessible>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

namespace {

using M = ColorMapDialog;

class ColorMapTest : public EditorTest {
protected:
    std::unique_ptr<M> Open(const ColorMap& map = ColorMap()) {
        m_texture.pigment.pattern = Pigment::Marble;
        m_texture.pigment.colorMap = map;
        auto dialog = std::make_unique<M>(m_services, m_texture);
        dialog->SetPreview(&m_preview);
        dialog->show();
        QApplication::setActiveWindow(dialog.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        return dialog;
    }
    static QString Line(M& dialog, int index) {
        QStringList columns;
        QTreeWidgetItem* item = dialog.List()->topLevelItem(index);
        for (int c = 0; c < 5; ++c)
            columns << item->text(c);
        return columns.join(' ');
    }
    static ColorMap ThreeEntries() {
        ColorMap map;
        map.count = 3;
        map.positions[0] = 0.0f;
        map.positions[1] = 0.5f;
        map.positions[2] = 1.0f;
        map.colors[0] = {0, 0, 0, 0};
        map.colors[1] = {255, 0, 0, 0};
        map.colors[2] = {255, 255, 255, 0};
        return map;
    }
    static QByteArray Golden(const char* name) {
        QFile file(QStringLiteral(VELVANE_TEST_DATA_DIR "/colormaps/") + QString::fromLatin1(name));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }

    static QWidget* Band(M& dialog) {
        auto* band = dialog.findChild<QWidget*>(QStringLiteral("band"));
        EXPECT_TRUE(band);
        return band;
    }
    /// Where the band shows a position, on the marker strip under the picture.
    static QPoint OnStrip(double position) { return {8 + static_cast<int>(position * 320), 60}; }
    static QPoint OnPicture(double position) { return {8 + static_cast<int>(position * 320), 20}; }
    static ColorMap FourEntries() {
        ColorMap map = ThreeEntries();
        map.count = 4;
        map.positions = {0.0f, 0.3f, 0.6f, 1.0f};
        map.colors[1] = {10, 0, 0, 0};
        map.colors[2] = {20, 0, 0, 0};
        map.colors[3] = {255, 255, 255, 0};
        return map;
    }
    static QString Description(QWidget* band) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(band);
        return face ? face->text(QAccessible::Description) : QString();
    }

    SimpleTexture m_texture;
    CountingPreview m_preview;
};

} // namespace

TEST_F(ColorMapTest, ANewMapShowsTwoLinesWithItsEndsFixed) {
    auto dialog = Open();
    ASSERT_EQ(dialog->List()->topLevelItemCount(), 2);
    EXPECT_EQ(M::LineText(dialog->Map(), 0, false), "0.00\t0\t0\t0\t0\t");
    EXPECT_EQ(M::LineText(dialog->Map(), 1, false), "1.00\t255\t255\t255\t0\t");
    EXPECT_EQ(Line(*dialog, 1), "1.00 255 255 255 0");
    EXPECT_EQ(M::LineText(dialog->Map(), 1, true), "1.00\t1.00\t1.00\t1.00\t0.00\t");
    EXPECT_FALSE(dialog->PositionEdit()->isEnabled());
    EXPECT_FALSE(dialog->PositionSlider()->isEnabled());
    EXPECT_FALSE(dialog->PositionLabel()->isEnabled());
    EXPECT_FALSE(dialog->DeleteButton()->isEnabled());
    EXPECT_TRUE(dialog->InsertButton()->isEnabled());
    EXPECT_EQ(dialog->PositionEdit()->text(), "0.00");
}

TEST_F(ColorMapTest, InsertGoesHalfwayToTheNextEntryOrBackFromTheLast) {
    auto dialog = Open();
    dialog->InsertButton()->click();
    ASSERT_EQ(dialog->Map().count, 3);
    EXPECT_FLOAT_EQ(dialog->Map().positions[1], 0.5f);
    EXPECT_EQ(dialog->Map().colors[1], (ColorRGBF{128, 128, 128, 0}));
    EXPECT_EQ(Line(*dialog, 1), "0.50 128 128 128 0");
    EXPECT_EQ(dialog->Selected(), 1);
    EXPECT_TRUE(dialog->DeleteButton()->isEnabled());
    EXPECT_TRUE(dialog->PositionEdit()->isEnabled());
    EXPECT_EQ(dialog->PositionEdit()->text(), "0.50");
    // The texture follows at once.
    EXPECT_EQ(m_texture.pigment.colorMap.count, 3);
    EXPECT_GT(m_preview.changes, 0);

    ColorMap map = ThreeEntries();
    map.colors[1].filter = 100;
    auto last = Open(map);
    last->SelectLine(2);
    last->InsertButton()->click();
    ASSERT_EQ(last->Map().count, 4);
    EXPECT_FLOAT_EQ(last->Map().positions[2], 0.75f);
    EXPECT_EQ(last->Map().colors[2], (ColorRGBF{255, 128, 128, 50}));
    EXPECT_FLOAT_EQ(last->Map().positions[3], 1.0f);
    EXPECT_EQ(last->Selected(), 2);
    // The Insert key on the band does the same.
    QWidget* band = Band(*last);
    band->setFocus();
    QTest::keyClick(band, Qt::Key_Insert);
    ASSERT_EQ(last->Map().count, 5);
    EXPECT_FLOAT_EQ(last->Map().positions[3], 0.875f);
    EXPECT_EQ(last->Selected(), 3);
}

TEST_F(ColorMapTest, InsertStopsAtTwentyEntries) {
    auto dialog = Open();
    for (int i = 0; i < 30; ++i)
        dialog->InsertButton()->click();
    EXPECT_EQ(dialog->Map().count, 20);
    EXPECT_FALSE(dialog->InsertButton()->isEnabled());
}

TEST_F(ColorMapTest, PositionsTypedBeyondTheEndsAreClamped) {
    auto dialog = Open(ThreeEntries());
    dialog->SelectLine(1);
    TypeAndLeave(dialog->PositionEdit(), QStringLiteral("1.5"), dialog->IntegerEdit(M::Red));
    EXPECT_EQ(dialog->PositionEdit()->text(), "1.00");
    EXPECT_EQ(dialog->Map().positions[1], 1.0f);
    EXPECT_EQ(dialog->PositionSlider()->value(), 100);
    dialog->SelectLine(1);
    TypeAndLeave(dialog->PositionEdit(), QStringLiteral("-0.3"), dialog->IntegerEdit(M::Red));
    EXPECT_EQ(dialog->PositionEdit()->text(), "0.00");
    EXPECT_EQ(dialog->Map().positions[1], 0.0f);
}

TEST_F(ColorMapTest, MovingPastANeighbourSwapsTheLinesAndKeepsTheEntrySelected) {
    auto dialog = Open(FourEntries());
    dialog->SelectLine(1);
    dialog->PositionSlider()->setValue(70);
    EXPECT_EQ(dialog->Map().colors[1].red, 20);
    EXPECT_EQ(dialog->Map().colors[2].red, 10);
    EXPECT_FLOAT_EQ(dialog->Map().positions[2], 0.7f);
    EXPECT_EQ(dialog->Selected(), 2);
    EXPECT_EQ(dialog->List()->currentItem(), dialog->List()->topLevelItem(2));
    EXPECT_EQ(Line(*dialog, 2), "0.70 10 0 0 0");
    // Typed past the other one again, the moved entry stays the selected one.
    TypeAndLeave(dialog->PositionEdit(), QStringLiteral("0.1"), dialog->IntegerEdit(M::Red));
    EXPECT_EQ(dialog->Map().colors[1].red, 10);
    EXPECT_EQ(dialog->Selected(), 1);
}

TEST_F(ColorMapTest, DeleteNeverTakesAnEnd) {
    ColorMap map = ThreeEntries();
    map.count = 4;
    map.positions = {0.0f, 0.3f, 0.6f, 1.0f};
    map.colors[3] = {255, 255, 255, 0};
    auto dialog = Open(map);
    dialog->SelectLine(2);
    dialog->DeleteButton()->click();
    EXPECT_EQ(dialog->Map().count, 3);
    // The line now selected is the last entry: it cannot go.
    EXPECT_EQ(dialog->Selected(), 2);
    EXPECT_FALSE(dialog->DeleteButton()->isEnabled());
    EXPECT_FALSE(dialog->PositionEdit()->isEnabled());
    dialog->SelectLine(1);
    dialog->DeleteButton()->click();
    EXPECT_EQ(dialog->Map().count, 2);
    EXPECT_FALSE(dialog->DeleteButton()->isEnabled());
    EXPECT_EQ(m_texture.pigment.colorMap.count, 2);
}

TEST_F(ColorMapTest, ChannelsInBothViews) {
    m_services.settings.decimalInColorMap = false;
    auto dialog = Open(ThreeEntries());
    dialog->SelectLine(1);
    dialog->ChannelSlider(M::Green)->setValue(128);
    EXPECT_EQ(dialog->Map().colors[1].green, 128);
    EXPECT_EQ(Line(*dialog, 1), "0.50 255 128 0 0");
    EXPECT_EQ(m_texture.pigment.colorMap.colors[1].green, 128);
    dialog->DecimalCheck()->click();
    EXPECT_EQ(dialog->DecimalEdit(M::Green)->text(), "0.50");
    EXPECT_EQ(dialog->ChannelSlider(M::Green)->value(), 50);
    EXPECT_EQ(Line(*dialog, 1), "0.50 1.00 0.50 0.00 0.00");
    TypeKeys(dialog->DecimalEdit(M::Green), QStringLiteral("0.50"));
    EXPECT_EQ(dialog->Map().colors[1].green, 127);
    dialog->ChannelSlider(M::Blue)->setValue(40);
    EXPECT_EQ(dialog->Map().colors[1].blue, 102);
    dialog.reset();
    EXPECT_EQ(m_services.settings.decimalInColorMap, 1);
}

TEST_F(ColorMapTest, ChannelsTypedBeyondTheRangeAreRefusedOnOk) {
    auto dialog = Open(ThreeEntries());
    dialog->SelectLine(1);
    TypeAndLeave(dialog->IntegerEdit(M::Blue), QStringLiteral("30"), dialog->IntegerEdit(M::Red));
    EXPECT_EQ(dialog->Map().colors[1].blue, 30);
    TypeAndLeave(dialog->IntegerEdit(M::Blue), QStringLiteral("300"), dialog->IntegerEdit(M::Red));
    // The entry keeps the last good value, never a wrapped byte; the message comes on leaving.
    EXPECT_EQ(dialog->Map().colors[1].blue, 30);
    EXPECT_EQ(m_texture.pigment.colorMap.colors[1].blue, 30);
    auto* line = dialog->findChild<FieldMessageLine*>();
    EXPECT_TRUE(line->isVisible());
    EXPECT_EQ(line->text(), "Blue: please enter a whole number from 0 to 255.");
    EXPECT_EQ(dialog->focusWidget(), dialog->IntegerEdit(M::Red));
    dialog->accept();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->focusWidget(), dialog->IntegerEdit(M::Blue));
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(ColorMapTest, TheBandShowsTheColoursAboveAndTheFilterBelow) {
    ColorMap map;
    map.colors[0] = {0, 0, 0, 0};
    map.colors[1] = {200, 100, 50, 255};
    const QImage band = ColorMapBand::BandImage(map, 100, 50);
    ASSERT_EQ(band.size(), QSize(100, 50));
    EXPECT_EQ(band.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(band.pixel(50, 0), qRgb(100, 50, 25));
    EXPECT_EQ(band.pixel(99, 32), qRgb(198, 99, 49));
    EXPECT_EQ(band.pixel(10, 33), qRgb(192, 192, 192));
    EXPECT_EQ(band.pixel(10, 34), qRgb(192, 192, 192));
    EXPECT_EQ(band.pixel(50, 35), qRgb(127, 127, 127));
    // A last entry short of 1 carries its colour on to the end.
    map.positions[1] = 0.5f;
    EXPECT_EQ(ColorMapBand::BandImage(map, 100, 50).pixel(90, 0), qRgb(200, 100, 50));
}

TEST_F(ColorMapTest, SaveAsWritesTheSeventeenByteFile) {
    QTemporaryDir dir;
    auto dialog = Open();
    m_filePath = dir.filePath(QStringLiteral("plain"));
    dialog->SaveAsButton()->click();
    QFile file(dir.filePath(QStringLiteral("plain.txc")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), Golden("blackwhite.txc"));
}

TEST_F(ColorMapTest, SaveAsAsksAboutTheFileItReallyWrites) {
    // Typing "sunset" once replaced an existing sunset.txc without a question: ".txc" was added
    // after the file dialog had looked for "sunset".
    QTemporaryDir dir;
    const QString existing = dir.filePath(QStringLiteral("sunset.txc"));
    {
        QFile file(existing);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(Golden("threecolors.txc"));
    }
    auto dialog = Open();
    Prompts::SetFileResponder(nullptr); // the real file dialog
    QString question;
    QFileDialog* shown = nullptr;
    WhenShown<QFileDialog>([&](QFileDialog* files) {
        shown = files;
        files->setDirectory(dir.path());
        auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_TRUE(name);
        name->setText(QStringLiteral("sunset"));
        WhenShown<QMessageBox>([&question, files](QMessageBox* box) {
            question = box->text();
            box->button(QMessageBox::No)->click();
            QMetaObject::invokeMethod(files, &QDialog::reject, Qt::QueuedConnection);
        });
        QMetaObject::invokeMethod(files, &QDialog::accept, Qt::QueuedConnection);
    });
    dialog->SaveAsButton()->click();
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(question.contains(QStringLiteral("sunset.txc"))) << question.toStdString();
    QFile file(existing);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), Golden("threecolors.txc"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"sunset.txc"});
}

TEST_F(ColorMapTest, OpenRefusesPositionsOutsideZeroToOne) {
    QTemporaryDir dir;
    ColorMap outside;
    outside.positions = {0.0f, 1.5f};
    m_filePath = dir.filePath(QStringLiteral("outside.txc"));
    {
        QFile file(m_filePath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        const auto bytes = ColorMapFile::Write(outside);
        file.write(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    }
    auto dialog = Open(ThreeEntries());
    dialog->OpenButton()->click();
    EXPECT_EQ(MessageTexts(),
              QStringList{m_filePath + QStringLiteral(" is not a valid color map file: its "
                                                      "positions lie outside 0 to 1.")});
    EXPECT_EQ(dialog->Map().count, 3);
}

TEST_F(ColorMapTest, OpenReadsAFileAndRefusesDamagedOnes) {
    auto dialog = Open();
    for (const char* damaged :
         {"countzero.txc", "count21.txc", "endsearly.txc", "descending.txc"}) {
        m_messages.clear();
        m_filePath =
            QStringLiteral(VELVANE_TEST_DATA_DIR "/colormaps/") + QString::fromLatin1(damaged);
        dialog->OpenButton()->click();
        ASSERT_EQ(m_messages.size(), 1u) << damaged;
        EXPECT_TRUE(m_messages[0].text.contains(m_filePath)) << m_messages[0].text.toStdString();
        EXPECT_EQ(dialog->Map().count, 2) << damaged;
        EXPECT_EQ(m_texture.pigment.colorMap.count, 2) << damaged;
    }
    m_messages.clear();
    m_filePath = QStringLiteral(VELVANE_TEST_DATA_DIR "/colormaps/endsearly.txc");
    dialog->OpenButton()->click();
    EXPECT_EQ(
        MessageTexts(),
        QStringList{
            QStringLiteral("An attempt was made to access %1 past its end.").arg(m_filePath)});

    m_filePath = QStringLiteral(VELVANE_TEST_DATA_DIR "/colormaps/threecolors.txc");
    dialog->OpenButton()->click();
    EXPECT_EQ(dialog->Map().count, 3);
    EXPECT_EQ(dialog->List()->topLevelItemCount(), 3);
    EXPECT_EQ(Line(*dialog, 1), "0.50 0 255 0 128");
    EXPECT_EQ(m_texture.pigment.colorMap.colors[1], (ColorRGBF{0, 255, 0, 128}));
}

TEST_F(ColorMapTest, SelectTakesTheEntrysColourWithThePreviewAside) {
    auto dialog = Open(ThreeEntries());
    dialog->SelectLine(1);
    WhenShown<ColorSelectorDialog>([](ColorSelectorDialog* selector) {
        EXPECT_EQ(selector->Color(), (ColorRGBF{255, 0, 0, 0}));
        selector->Slider(ColorSelectorDialog::Green)->setValue(90);
        selector->accept();
    });
    dialog->SelectButton()->click();
    EXPECT_EQ(dialog->Map().colors[1], (ColorRGBF{255, 90, 0, 0}));
    EXPECT_EQ(Line(*dialog, 1), "0.50 255 90 0 0");
    EXPECT_EQ(m_preview.hides, 1);
    EXPECT_EQ(m_preview.shows, 1);
}

TEST_F(ColorMapTest, ClickingAMarkerSelectsItAndDraggingMovesItAsTypingDoes) {
    auto dialog = Open(FourEntries());
    QWidget* band = Band(*dialog);
    QTest::mouseClick(band, Qt::LeftButton, {}, OnStrip(0.6));
    EXPECT_EQ(dialog->Selected(), 2);
    EXPECT_EQ(dialog->List()->currentItem(), dialog->List()->topLevelItem(2));
    EXPECT_EQ(dialog->PositionEdit()->text(), "0.60");
    QTest::mouseClick(band, Qt::LeftButton, {}, OnStrip(0.45)); // no marker there
    EXPECT_EQ(dialog->Selected(), 2);

    const int changes = m_preview.changes;
    QTest::mousePress(band, Qt::LeftButton, {}, OnStrip(0.3) + QPoint(2, 0));
    EXPECT_EQ(dialog->Selected(), 1);
    QTest::mouseMove(band, OnStrip(0.45) + QPoint(2, 0));
    EXPECT_FLOAT_EQ(dialog->Map().positions[1], 0.45f);
    EXPECT_EQ(dialog->PositionEdit()->text(), "0.45");
    EXPECT_EQ(dialog->PositionSlider()->value(), 45);
    EXPECT_FLOAT_EQ(m_texture.pigment.colorMap.positions[1], 0.45f);
    EXPECT_GT(m_preview.changes, changes);
    EXPECT_EQ(Description(band), "Entry 2 of 4 selected, at position 0.45");
    // Past the neighbour the entries swap and the dragged one stays selected.
    QTest::mouseMove(band, OnStrip(0.7) + QPoint(2, 0));
    EXPECT_EQ(dialog->Selected(), 2);
    EXPECT_EQ(dialog->Map().colors[2].red, 10);
    EXPECT_EQ(Line(*dialog, 2), "0.70 10 0 0 0");
    QTest::mouseMove(band, {band->width() + 40, 60});
    QTest::mouseRelease(band, Qt::LeftButton, {}, {band->width() + 40, 60});
    EXPECT_FLOAT_EQ(dialog->Map().positions[2], 1.0f);

    // The ends are picked but stay put.
    QTest::mousePress(band, Qt::LeftButton, {}, {11, 60});
    EXPECT_EQ(dialog->Selected(), 0);
    QTest::mouseMove(band, OnStrip(0.5));
    QTest::mouseRelease(band, Qt::LeftButton, {}, OnStrip(0.5));
    EXPECT_FLOAT_EQ(dialog->Map().positions[0], 0.0f);
}

TEST_F(ColorMapTest, DoubleClickAddsAnEntryWithTheColourThere) {
    ColorMap map = ThreeEntries();
    map.colors[1].filter = 200;
    auto dialog = Open(map);
    QWidget* band = Band(*dialog);
    QTest::mouseDClick(band, Qt::LeftButton, {}, OnPicture(0.25));
    ASSERT_EQ(dialog->Map().count, 4);
    EXPECT_EQ(Line(*dialog, 1), "0.25 128 0 0 100");
    EXPECT_EQ(dialog->Selected(), 1);
    EXPECT_EQ(m_texture.pigment.colorMap.count, 4);
    // On a marker it is a click there.
    QTest::mouseDClick(band, Qt::LeftButton, {}, OnStrip(0.5));
    EXPECT_EQ(dialog->Map().count, 4);
    EXPECT_EQ(dialog->Selected(), 2);

    for (int i = 0; i < 20; ++i)
        QTest::mouseDClick(band, Qt::LeftButton, {}, OnPicture(0.05 * (i % 10) + 0.02));
    EXPECT_EQ(dialog->Map().count, ColorMap::kMaxEntries);
    // QTest's double click ends with the button down; the tests after this one want it up.
    QTest::mouseRelease(band, Qt::LeftButton, {}, OnPicture(0.5));
    EXPECT_EQ(QGuiApplication::mouseButtons(), Qt::NoButton);
}

TEST_F(ColorMapTest, TheBandWorksFromTheKeyboard) {
    auto dialog = Open(FourEntries());
    QWidget* band = Band(*dialog);
    dialog->SelectButton()->setFocus();
    QTest::keyClick(dialog->SelectButton(), Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget(), band);

    QTest::keyClick(band, Qt::Key_Right);
    EXPECT_EQ(dialog->List()->currentItem(), dialog->List()->topLevelItem(1));
    QTest::keyClick(band, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(band, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_FLOAT_EQ(dialog->Map().positions[1], 0.32f);
    EXPECT_EQ(dialog->PositionEdit()->text(), "0.32");
    EXPECT_EQ(Description(band), "Entry 2 of 4 selected, at position 0.32");
    QTest::keyClick(band, Qt::Key_Left);
    QTest::keyClick(band, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_FLOAT_EQ(dialog->Map().positions[0], 0.0f) << "the first entry stays at its place";

    // Delete keeps the ends, as the button does.
    QTest::keyClick(band, Qt::Key_Delete);
    EXPECT_EQ(dialog->Map().count, 4);
    QTest::keyClick(band, Qt::Key_Right);
    QTest::keyClick(band, Qt::Key_Delete);
    ASSERT_EQ(dialog->Map().count, 3);
    EXPECT_EQ(dialog->Map().colors[1].red, 20);
    EXPECT_EQ(Description(band), "Entry 2 of 3 selected, at position 0.60");
    QTest::keyClick(band, Qt::Key_Delete);
    QTest::keyClick(band, Qt::Key_Delete);
    EXPECT_EQ(dialog->Map().count, 2);
    EXPECT_EQ(m_texture.pigment.colorMap.count, 2);
}

TEST_F(ColorMapTest, TheBandAsksForChangesAndShowsOnlyWhatItIsGiven) {
    ColorMapBand band;
    band.Show(ThreeEntries(), 1);
    band.RedrawPicture();
    band.show();
    std::vector<int> selects;
    std::vector<float> moves;
    std::vector<std::pair<float, ColorRGBF>> adds;
    int inserts = 0;
    int deletes = 0;
    QObject::connect(&band, &ColorMapBand::selectRequested,
                     [&](int index) { selects.push_back(index); });
    QObject::connect(&band, &ColorMapBand::moveRequested, [&](float at) { moves.push_back(at); });
    QObject::connect(&band, &ColorMapBand::addRequested,
                     [&](float at, const ColorRGBF& color) { adds.emplace_back(at, color); });
    QObject::connect(&band, &ColorMapBand::insertRequested, [&] { ++inserts; });
    QObject::connect(&band, &ColorMapBand::deleteRequested, [&] { ++deletes; });

    // Nothing changes until the map is shown again: Right asks for the next entry each time.
    QTest::keyClick(&band, Qt::Key_Right);
    QTest::keyClick(&band, Qt::Key_Right);
    EXPECT_EQ(selects, (std::vector<int>{2, 2}));
    QTest::keyClick(&band, Qt::Key_Right, Qt::ShiftModifier);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_FLOAT_EQ(moves[0], 0.51f);
    QTest::keyClick(&band, Qt::Key_Insert);
    QTest::keyClick(&band, Qt::Key_Delete);
    EXPECT_EQ(inserts, 1);
    EXPECT_EQ(deletes, 1);
    band.Show(ThreeEntries(), 0);
    QTest::keyClick(&band, Qt::Key_End);
    QTest::keyClick(&band, Qt::Key_Right);
    EXPECT_EQ(selects, (std::vector<int>{2, 2, 2, 1}));

    // A double-click on the picture asks for an entry there with the colour shown there.
    QTest::mouseDClick(&band, Qt::LeftButton, {}, OnPicture(0.25));
    ASSERT_EQ(adds.size(), 1u);
    EXPECT_FLOAT_EQ(adds[0].first, 0.25f);
    EXPECT_EQ(adds[0].second, ThreeEntries().ColorAt(0.25f));
    // The picture follows the map it was given: red in the middle, white at the end.
    EXPECT_EQ(band.Picture().pixel(ColorMapBand::kPictureWidth / 2, 0), qRgb(255, 0, 0));
    ColorMap white = ThreeEntries();
    white.colors[1] = {255, 255, 255, 0};
    band.Show(white, 0);
    EXPECT_EQ(band.Picture().pixel(ColorMapBand::kPictureWidth / 2, 0), qRgb(255, 0, 0));
    band.RedrawPicture();
    EXPECT_EQ(band.Picture().pixel(ColorMapBand::kPictureWidth / 2, 0), qRgb(255, 255, 255));
}
