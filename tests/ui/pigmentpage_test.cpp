// The Pigment page and the Image Mapping dialog.

#include "core/model/simpletexture.h"
#include "editorfixture.h"
#include "ui/dialogs/numberfield.h"
#include "ui/editors/colormapdialog.h"
#include "ui/editors/colorselectordialog.h"
#include "ui/editors/colorswatch.h"
#include "ui/editors/imagemapdialog.h"
#include "ui/editors/pigmentpage.h"
#include "ui/editors/transformedits.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <map>

namespace {

class PigmentTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        ASSERT_TRUE(m_dir.isValid());
    }
    PigmentPage* Open(const SimpleTexture& texture = SimpleTexture()) {
        m_texture = texture;
        m_page = std::make_unique<PigmentPage>(m_services, m_texture);
        m_page->SetPreview(&m_preview);
        m_line = new FieldMessageLine(m_page.get());
        QObject::connect(m_page.get(), &TexturePage::textureChanged,
                         [this] { ++m_preview.changes; });
        m_page->show();
        QApplication::setActiveWindow(m_page.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(m_page.get()));
        return m_page.get();
    }
    /// An image file that exists, under a name with the given ending.
    QString ImageFile(const QString& name) {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("image");
        return path;
    }
    /// Answers the Image Mapping dialog with a file name and OK (or Cancel when empty).
    void AnswerImageDialog(const QString& path, std::function<void(ImageMapDialog*)> more = {}) {
        WhenShown<ImageMapDialog>([path, more](ImageMapDialog* dialog) {
            if (more)
                more(dialog);
            if (path.isEmpty()) {
                dialog->reject();
                return;
            }
            dialog->FileEdit()->setText(path);
            dialog->accept();
        });
    }

    /// The page's message line while it shows (the sheet gives its pages one).
    QString FieldMessage() const { return m_line->isHidden() ? QString() : m_line->text(); }

    QTemporaryDir m_dir;
    SimpleTexture m_texture;
    std::unique_ptr<PigmentPage> m_page;
    FieldMessageLine* m_line = nullptr;
    CountingPreview m_preview;
};

SimpleTexture Marble() {
    SimpleTexture texture;
    texture.pigment.pattern = Pigment::Marble;
    texture.pigment.turbulence.amount = 80;
    texture.pigment.frequency = 3;
    return texture;
}

} // namespace

TEST_F(PigmentTest, ANewTextureIsAWhiteColourWithThePatternControlsOff) {
    PigmentPage* page = Open();
    EXPECT_TRUE(page->TypeButton(0)->isChecked());
    EXPECT_EQ(m_texture.pigment.pattern, Pigment::SolidColor);
    EXPECT_TRUE(page->ColorGroup()->isVisible());
    EXPECT_EQ(page->Swatch()->Color(), QColor(255, 255, 255));
    EXPECT_FALSE(page->TurbulenceGroup()->isEnabled());
    EXPECT_FALSE(page->PatternGroup()->isEnabled());
    EXPECT_FALSE(page->TransformGroup()->isEnabled());
    EXPECT_FALSE(page->PatternList()->isEnabled());
    EXPECT_FALSE(page->SettingsButton()->isVisible());
    EXPECT_FALSE(page->GradientGroup()->isVisible());
    EXPECT_EQ(page->Lambda().edit->text(), "2.0");
    EXPECT_EQ(page->Frequency().slider->value(), 11);
    EXPECT_EQ(page->Octaves().edit->text(), "6");
}

TEST_F(PigmentTest, EachPatternInTheSortedListStoresThePatternItNames) {
    const std::map<QString, int> patterns = {
        {"Agate", Pigment::Agate},       {"Bozo", Pigment::Bozo},
        {"Gradient", Pigment::Gradient}, {"Granite", Pigment::Granite},
        {"Leopard", Pigment::Leopard},   {"Marble", Pigment::Marble},
        {"Onion", Pigment::Onion},       {"Radial", Pigment::Radial},
        {"Spotted", Pigment::Spotted},   {"Wood", Pigment::Wood}};
    PigmentPage* page = Open();
    page->TypeButton(PatternPage::Procedural)->click();
    QComboBox* list = page->PatternList();
    ASSERT_EQ(list->count(), static_cast<int>(patterns.size()));
    // Chosen last to first, so no choice is the one already shown.
    for (int i = list->count() - 1; i >= 0; --i) {
        const QString name = list->itemText(i);
        SCOPED_TRACE(name.toStdString());
        ASSERT_EQ(patterns.count(name), 1u);
        bool stored = false;
        EXPECT_EQ(list->itemData(i).toInt(&stored), patterns.at(name));
        EXPECT_TRUE(stored);
        list->setCurrentIndex(i);
        EXPECT_EQ(m_texture.pigment.pattern, patterns.at(name));
        if (i > 0) {
            EXPECT_LT(list->itemText(i - 1), name);
        }
    }
    // A stored pattern opens with its own name shown.
    SimpleTexture texture;
    texture.pigment.pattern = Pigment::Spotted;
    EXPECT_EQ(Open(texture)->PatternList()->currentText(), "Spotted");
}

TEST_F(PigmentTest, ProceduralGradientShowsXCheckedAndDisabled) {
    PigmentPage* page = Open();
    page->PatternList()->setCurrentIndex(Pigment::Gradient);
    page->TypeButton(2)->click();
    EXPECT_EQ(m_texture.pigment.pattern, Pigment::Gradient);
    EXPECT_TRUE(page->GradientGroup()->isVisible());
    EXPECT_TRUE(page->GradientAxis(0)->isChecked());
    EXPECT_FALSE(page->GradientAxis(0)->isEnabled());
    EXPECT_TRUE(page->GradientAxis(1)->isEnabled());
    EXPECT_FALSE(page->ColorGroup()->isVisible());
    EXPECT_TRUE(page->TurbulenceGroup()->isEnabled());
    EXPECT_TRUE(page->PatternGroup()->isEnabled());
    // Another pattern hides the axes.
    page->PatternList()->setCurrentIndex(Pigment::Wood);
    EXPECT_EQ(m_texture.pigment.pattern, Pigment::Wood);
    EXPECT_FALSE(page->GradientGroup()->isVisible());
}

TEST_F(PigmentTest, CheckingYThenClearingXLeavesYCheckedAndDisabled) {
    SimpleTexture texture;
    texture.pigment.pattern = Pigment::Gradient;
    PigmentPage* page = Open(texture);
    page->GradientAxis(1)->click();
    EXPECT_TRUE(page->GradientAxis(0)->isEnabled());
    EXPECT_TRUE(page->GradientAxis(1)->isEnabled());
    page->GradientAxis(0)->click();
    EXPECT_FALSE(page->GradientAxis(0)->isChecked());
    EXPECT_TRUE(page->GradientAxis(1)->isChecked());
    EXPECT_FALSE(page->GradientAxis(1)->isEnabled());
    EXPECT_EQ(m_texture.pigment.gradientX, 0);
    EXPECT_EQ(m_texture.pigment.gradientY, 1);
    EXPECT_NE(m_texture.pigment.GetSource().find("    gradient y\r\n"), std::string::npos);
}

TEST_F(PigmentTest, TheFrequencySlidersMiddleIsOneAndATypedZeroBecomesOne) {
    PigmentPage* page = Open(Marble());
    page->Frequency().slider->setValue(15);
    EXPECT_EQ(m_texture.pigment.frequency, 5);
    page->Frequency().slider->setValue(10);
    EXPECT_EQ(page->Frequency().slider->value(), 11);
    EXPECT_EQ(page->Frequency().edit->text(), "1");
    EXPECT_EQ(m_texture.pigment.frequency, 1);
    page->Frequency().slider->setValue(3);
    EXPECT_EQ(m_texture.pigment.frequency, -7);
    TypeAndLeave(page->Frequency().edit, QStringLiteral("0"), page->Phase().edit);
    EXPECT_EQ(page->Frequency().edit->text(), "1");
    EXPECT_EQ(page->Frequency().slider->value(), 11);
    EXPECT_EQ(m_texture.pigment.frequency, 1);
    // Typed and read without leaving the edit (OK pressed with Return): still never 0.
    page->Frequency().slider->setValue(3);
    page->Frequency().edit->setText(QStringLiteral("0"));
    EXPECT_EQ(m_texture.pigment.frequency, 1);
    EXPECT_TRUE(page->ReadFields());
    EXPECT_EQ(m_texture.pigment.frequency, 1);
}

TEST_F(PigmentTest, LambdaKeepsItsHundredthsUntilItsSliderMoves) {
    PigmentPage* page = Open(Marble());
    TypeAndLeave(page->Lambda().edit, QStringLiteral("2.55"), page->Phase().edit);
    EXPECT_EQ(page->Lambda().slider->value(), 25);
    EXPECT_FLOAT_EQ(m_texture.pigment.turbulence.lambda, 2.55f);
    page->Omega().slider->setValue(40);
    EXPECT_FLOAT_EQ(m_texture.pigment.turbulence.lambda, 2.55f);
    EXPECT_EQ(page->Lambda().edit->text(), "2.55");
    page->Lambda().slider->setValue(31);
    EXPECT_EQ(page->Lambda().edit->text(), "3.1");
    EXPECT_FLOAT_EQ(m_texture.pigment.turbulence.lambda, 3.1f);
}

TEST_F(PigmentTest, StrengthBeyondItsRangeKeepsTheLastValueAndIsRefusedWhenLeft) {
    PigmentPage* page = Open(Marble());
    const int before = m_texture.pigment.turbulence.amount;
    TypeAndLeave(page->TurbulenceStrength().edit, QStringLiteral("300"), page->Phase().edit);
    EXPECT_EQ(page->TurbulenceStrength().edit->text(), "300");
    // The pigment keeps its value: never a wrapped byte (300 would be 44), nor one not typed.
    EXPECT_EQ(m_texture.pigment.turbulence.amount, before);
    EXPECT_EQ(page->TurbulenceStrength().slider->value(), before);
    EXPECT_EQ(FieldMessage(), "Turbulence strength: please enter a whole number from 0 to 200.");
    EXPECT_EQ(QApplication::focusWidget(), page->Phase().edit);
    EXPECT_FALSE(page->ReadFields());
    EXPECT_EQ(QApplication::focusWidget(), page->TurbulenceStrength().edit);
    EXPECT_TRUE(m_messages.empty());
    // Any slider moving takes every slider's value again, and shows it in a refused edit.
    page->Octaves().slider->setValue(4);
    EXPECT_EQ(page->TurbulenceStrength().edit->text(), QString::number(before));
    EXPECT_TRUE(FieldMessage().isEmpty());
    EXPECT_TRUE(page->ReadFields());
    EXPECT_EQ(m_texture.pigment.turbulence.amount, before);
    EXPECT_EQ(m_texture.pigment.turbulence.octaves, 4);
}

TEST_F(PigmentTest, RangeChecksNameTheFieldAndItsBounds) {
    PigmentPage* page = Open(Marble());
    const std::pair<QLineEdit*, QString> cases[] = {
        {page->Octaves().edit, "Octaves: please enter a whole number from 1 to 10."},
        {page->Omega().edit, "Omega: please enter a whole number from 1 to 100."},
        {page->Phase().edit, "Phase: please enter a whole number from 0 to 100."},
        {page->Frequency().edit, "Frequency: please enter a whole number from -50 to 50."},
        {page->Lambda().edit, "Lambda: please enter a number from 0.0 to 6.0."},
    };
    for (const auto& [edit, message] : cases) {
        const QString good = edit->text();
        edit->setText(QStringLiteral("900"));
        EXPECT_FALSE(page->ReadFields());
        EXPECT_EQ(FieldMessage(), message);
        EXPECT_EQ(QApplication::focusWidget(), edit);
        edit->setText(good);
    }
    // Text that is no number at all gets the same message.
    page->Octaves().edit->setText(QStringLiteral("six"));
    EXPECT_FALSE(page->ReadFields());
    EXPECT_EQ(FieldMessage(), "Octaves: please enter a whole number from 1 to 10.");
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(PigmentTest, TransformEditsGoStraightIntoThePigment) {
    PigmentPage* page = Open(Marble());
    TypeAndLeave(page->Transforms()->Edit(TransformEdits::Scale, 2), QStringLiteral("0.5"),
                 page->Phase().edit);
    EXPECT_EQ(m_texture.pigment.transformations.scale[2], 0.5f);
    EXPECT_GT(m_preview.changes, 0);
    TypeAndLeave(page->Transforms()->Edit(TransformEdits::Rotate, 0), QStringLiteral("12abc"),
                 page->Phase().edit);
    EXPECT_EQ(m_texture.pigment.transformations.rotate[0], 0.0f);
    EXPECT_EQ(FieldMessage(), "Rotate X: please enter a number.");
}

TEST_F(PigmentTest, ImageCancelledFallsBackToColourEvenFromAPattern) {
    PigmentPage* page = Open(Marble());
    AnswerImageDialog(QString());
    page->TypeButton(1)->click();
    EXPECT_TRUE(page->TypeButton(0)->isChecked());
    EXPECT_EQ(m_texture.pigment.pattern, Pigment::SolidColor);
    EXPECT_TRUE(page->ColorGroup()->isVisible());
    EXPECT_FALSE(page->TurbulenceGroup()->isEnabled());
    // The Preview stepped aside for the dialog and came back.
    EXPECT_EQ(m_preview.hides, 1);
    EXPECT_EQ(m_preview.shows, 1);
}

TEST_F(PigmentTest, ImageWithABmpFileIsTakenAsGifAfterSayingSo) {
    PigmentPage* page = Open();
    const QString bmp = ImageFile(QStringLiteral("wall.bmp"));
    AnswerImageDialog(bmp, [](ImageMapDialog* dialog) {
        EXPECT_FALSE(dialog->BumpSizeEdit()->isVisible());
        dialog->ProjectionButton(3)->setChecked(true);
        dialog->InterpolationButton(1)->setChecked(true);
        dialog->OnceCheck()->setChecked(true);
    });
    page->TypeButton(1)->click();
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].title, "File type error");
    EXPECT_EQ(m_messages[0].text, "Cannot determine file type! Assuming GIF.");
    const ImageMap& image = m_texture.pigment.image;
    EXPECT_EQ(m_texture.pigment.pattern, Pigment::ImageMap);
    EXPECT_EQ(image.fileType, ImageMap::kGif);
    EXPECT_EQ(image.fileName, bmp.toStdString());
    EXPECT_EQ(image.mapType, 5);
    EXPECT_EQ(image.interpolate, 4);
    EXPECT_EQ(image.once, 1);
    EXPECT_TRUE(page->SettingsButton()->isVisible());
    EXPECT_FALSE(page->ColorGroup()->isVisible());
    EXPECT_TRUE(page->TurbulenceGroup()->isEnabled());
    EXPECT_FALSE(page->PatternGroup()->isEnabled());
}

TEST_F(PigmentTest, TgaInAnyCaseAndPngAreTheirOwnTypes) {
    PigmentPage* page = Open();
    AnswerImageDialog(ImageFile(QStringLiteral("stones.Tga")));
    page->TypeButton(1)->click();
    EXPECT_EQ(m_texture.pigment.image.fileType, ImageMap::kTarga);
    const QString png = ImageFile(QStringLiteral("bricks.png"));
    AnswerImageDialog(png);
    page->SettingsButton()->click();
    EXPECT_TRUE(m_messages.empty());
    EXPECT_EQ(m_texture.pigment.image.fileType, ImageMap::kPng);
    const std::string expected = "  pigment\r\n  {\r\n    image_map\r\n    {\r\n      png \"" +
                                 png.toStdString() + "\"\r\n    }\r\n  }\r\n";
    EXPECT_EQ(m_texture.pigment.GetSource(), expected);
}

TEST_F(PigmentTest, TheImageDialogRefusesAFileThatCannotBeOpened) {
    PigmentPage* page = Open();
    bool stayed = false;
    WhenShown<ImageMapDialog>([this, &stayed](ImageMapDialog* dialog) {
        dialog->FileEdit()->setText(m_dir.filePath(QStringLiteral("missing.gif")));
        dialog->accept();
        stayed = dialog->isVisible();
        dialog->reject();
    });
    page->TypeButton(1)->click();
    EXPECT_TRUE(stayed);
    ASSERT_FALSE(m_messages.empty());
    EXPECT_EQ(m_messages[0].title, "File Error");
    EXPECT_EQ(m_messages[0].text, "The image cannot be opened. Please specify another filename.");
    EXPECT_EQ(m_texture.pigment.pattern, Pigment::SolidColor);
}

TEST_F(PigmentTest, ImageNamesWithoutAFolderAreCheckedWhereRendersLookForThem) {
    // Renders find "tile.png" in the program directory, never in the folder the program was
    // started from.
    ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("program/maps")));
    ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("start")));
    m_services.settings.programDirectory = m_dir.filePath(QStringLiteral("program"));
    ImageFile(QStringLiteral("program/tile.png"));
    ImageFile(QStringLiteral("program/maps/wall.png"));
    ImageFile(QStringLiteral("start/here.png"));
    const QString startedIn = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(m_dir.filePath(QStringLiteral("start"))));
    PigmentPage* page = Open();

    QString found;
    WhenShown<ImageMapDialog>([&](ImageMapDialog* dialog) {
        dialog->FileEdit()->setText(QStringLiteral("tile.png"));
        found = dialog->LocationLabel()->text();
        dialog->accept();
        if (dialog->isVisible())
            dialog->reject();
    });
    page->TypeButton(1)->click();
    EXPECT_TRUE(m_messages.empty()) << MessageTexts().join('\n').toStdString();
    EXPECT_EQ(found.toStdString(), "Found in the program directory: " +
                                       m_dir.filePath("program/tile.png").toStdString());
    EXPECT_EQ(m_texture.pigment.image.fileName, "tile.png"); // as typed: POV-Ray finds it
    EXPECT_EQ(m_texture.pigment.pattern, Pigment::ImageMap);

    WhenShown<ImageMapDialog>([](ImageMapDialog* dialog) {
        dialog->FileEdit()->setText(QStringLiteral("maps/wall.png"));
        dialog->accept();
        if (dialog->isVisible())
            dialog->reject();
    });
    page->SettingsButton()->click();
    EXPECT_TRUE(m_messages.empty()) << MessageTexts().join('\n').toStdString();
    EXPECT_EQ(m_texture.pigment.image.fileName, "maps/wall.png");

    bool stayed = false;
    WhenShown<ImageMapDialog>([&](ImageMapDialog* dialog) {
        dialog->FileEdit()->setText(QStringLiteral("here.png"));
        found = dialog->LocationLabel()->text();
        dialog->accept();
        stayed = dialog->isVisible();
        dialog->reject();
    });
    page->SettingsButton()->click();
    QDir::setCurrent(startedIn);
    EXPECT_TRUE(stayed);
    EXPECT_EQ(found.toStdString(), "Not found in the program directory " +
                                       m_dir.filePath(QStringLiteral("program")).toStdString() +
                                       ", where renders look for it.");
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].text, "The image cannot be opened. Please specify another filename.");
    EXPECT_EQ(m_texture.pigment.image.fileName, "maps/wall.png"); // unchanged
}

TEST_F(PigmentTest, TheImageDialogRefusesNamesPovRayCannotQuote) {
    PigmentPage* page = Open();
    // Each name exists on disk, so only its characters can be held against it.
    const QStringList names = {QStringLiteral("quote\".gif"), QStringLiteral("line\nbreak.gif"),
                               QStringLiteral("tab\tname.gif")};
    for (const QString& name : names) {
        const QString path = ImageFile(name);
        bool stayed = false;
        m_messages.clear();
        WhenShown<ImageMapDialog>([&](ImageMapDialog* dialog) {
            dialog->FileEdit()->setText(path);
            dialog->accept();
            stayed = dialog->isVisible();
            dialog->reject();
        });
        page->TypeButton(1)->click();
        EXPECT_TRUE(stayed) << name.toStdString();
        ASSERT_EQ(m_messages.size(), 1u) << name.toStdString();
        EXPECT_EQ(m_messages[0].text.toStdString(), kUnwritableImageFileName);
        EXPECT_EQ(m_texture.pigment.pattern, Pigment::SolidColor);
    }
}

TEST_F(PigmentTest, BrowseOffersEveryImageTypeAndPutsTheFullPathIn) {
    ImageMap image;
    ImageMapDialog dialog(image, false);
    m_filePath = ImageFile(QStringLiteral("photo.jpg"));
    dialog.BrowseButton()->click();
    EXPECT_EQ(dialog.FileEdit()->text(), m_filePath);
    EXPECT_EQ(m_fileCaptions.size(), 1);
}

TEST_F(PigmentTest, TheImageDialogMapsItsButtonsBothWays) {
    for (const auto& [interpolate, index] : {std::pair{0, 0}, {4, 1}, {2, 2}}) {
        EXPECT_EQ(IndexForInterpolate(interpolate), index);
        EXPECT_EQ(InterpolateForIndex(index), interpolate);
    }
    for (const auto& [mapType, index] : {std::pair{0, 0}, {1, 1}, {2, 2}, {5, 3}}) {
        EXPECT_EQ(IndexForMapType(mapType), index);
        EXPECT_EQ(MapTypeForIndex(index), mapType);
    }
    ImageMap image;
    image.mapType = 5;
    image.interpolate = 2;
    image.bumpSize = 3.0f;
    ImageMapDialog dialog(image, true);
    EXPECT_TRUE(dialog.ProjectionButton(3)->isChecked());
    EXPECT_TRUE(dialog.InterpolationButton(2)->isChecked());
    EXPECT_EQ(dialog.BumpSizeEdit()->text(), "3.0");
}

TEST_F(PigmentTest, SelectWritesTheColourLiveAndCancelPutsItBack) {
    SimpleTexture texture;
    texture.pigment.color = {10, 20, 30, 0};
    PigmentPage* page = Open(texture);
    ColorRGBF whileOpen;
    WhenShown<ColorSelectorDialog>([this, &whileOpen](ColorSelectorDialog* selector) {
        selector->Slider(ColorSelectorDialog::Red)->setValue(200);
        whileOpen = m_texture.pigment.color;
        selector->reject();
    });
    const int changesBefore = m_preview.changes;
    page->SelectButton()->click();
    EXPECT_EQ(whileOpen, (ColorRGBF{200, 20, 30, 0}));
    EXPECT_GT(m_preview.changes, changesBefore);
    EXPECT_EQ(m_texture.pigment.color, (ColorRGBF{10, 20, 30, 0}));

    WhenShown<ColorSelectorDialog>([](ColorSelectorDialog* selector) {
        selector->Slider(ColorSelectorDialog::Filter)->setValue(128);
        selector->Slider(ColorSelectorDialog::Blue)->setValue(99);
        selector->accept();
    });
    page->SelectButton()->click();
    EXPECT_EQ(m_texture.pigment.color, (ColorRGBF{10, 20, 99, 128}));
    EXPECT_EQ(page->Swatch()->Color(), QColor(10, 20, 99));
}

TEST_F(PigmentTest, ColorMapCancelledRestoresTheMap) {
    PigmentPage* page = Open(Marble());
    const ColorMap before = m_texture.pigment.colorMap;
    WhenShown<ColorMapDialog>([this](ColorMapDialog* dialog) {
        dialog->InsertButton()->click();
        EXPECT_EQ(m_texture.pigment.colorMap.count, 3); // the texture follows the dialog
        dialog->reject();
    });
    page->ColorMapButton()->click();
    EXPECT_EQ(m_texture.pigment.colorMap.count, before.count);
    EXPECT_EQ(m_texture.pigment.colorMap.GetSource(), before.GetSource());
    WhenShown<ColorMapDialog>([](ColorMapDialog* dialog) {
        dialog->InsertButton()->click();
        dialog->accept();
    });
    page->ColorMapButton()->click();
    EXPECT_EQ(m_texture.pigment.colorMap.count, 3);
}

TEST_F(PigmentTest, TheTypeButtonsAndAxesFollowTheirStateHoweverItChanges) {
    PigmentPage* page = Open();
    // Toggled through the accessible action (no click): the page follows as for a click.
    ASSERT_TRUE(ToggleAccessibly(page->TypeButton(PatternPage::Procedural)));
    EXPECT_TRUE(page->TypeButton(PatternPage::Procedural)->isChecked());
    EXPECT_TRUE(page->PatternList()->isEnabled());
    EXPECT_EQ(m_texture.pigment.pattern, page->PatternList()->currentIndex());
    EXPECT_TRUE(page->TurbulenceGroup()->isEnabled());
    EXPECT_FALSE(page->ColorGroup()->isVisible());

    page->PatternList()->setCurrentIndex(Pigment::Gradient);
    EXPECT_TRUE(page->GradientGroup()->isVisible());
    ASSERT_TRUE(ToggleAccessibly(page->GradientAxis(1)));
    EXPECT_EQ(m_texture.pigment.gradientY, 1);
    EXPECT_TRUE(page->GradientAxis(0)->isEnabled()); // two axes on: either may be cleared
    ASSERT_TRUE(ToggleAccessibly(page->GradientAxis(0)));
    EXPECT_EQ(m_texture.pigment.gradientX, 0);
    EXPECT_FALSE(page->GradientAxis(1)->isEnabled()); // the last one stays

    // Checked by the program, the plain colour gives the page a plain colour's controls.
    const int changes = m_preview.changes;
    page->TypeButton(PatternPage::Plain)->setChecked(true);
    EXPECT_EQ(m_texture.pigment.pattern, Pigment::SolidColor);
    EXPECT_TRUE(page->ColorGroup()->isVisible());
    EXPECT_FALSE(page->PatternList()->isEnabled());
    EXPECT_FALSE(page->TurbulenceGroup()->isEnabled());
    EXPECT_GT(m_preview.changes, changes);

    // The Update Thumbnail box sets the setting by its state too.
    m_services.settings.updateThumbnail = true;
    page->ShowFields();
    ASSERT_TRUE(ToggleAccessibly(page->UpdateThumbnailCheck()));
    EXPECT_EQ(m_services.settings.updateThumbnail, 0);
}
