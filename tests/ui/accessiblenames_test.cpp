// Lists and combo boxes as a screen reader finds them: named by their label, not by the value
// they happen to show.

#include "core/catalog/catalog.h"
#include "core/color/namedcolor.h"
#include "core/model/imagemap.h"
#include "core/model/layeredtexture.h"
#include "core/model/simpletexture.h"
#include "core/model/sourcetexture.h"
#include "editorfixture.h"
#include "ui/dialogs/exportdialog.h"
#include "ui/dialogs/importsummarydialog.h"
#include "ui/dialogs/preferencesdialog.h"
#include "ui/dialogs/thumbnailoptionsdialog.h"
#include "ui/dialogs/validation.h"
#include "ui/editors/addcolordialog.h"
#include "ui/editors/colormapdialog.h"
#include "ui/editors/colorselectordialog.h"
#include "ui/editors/imagemapdialog.h"
#include "ui/editors/iorpresetsdialog.h"
#include "ui/editors/iorvaluedialog.h"
#include "ui/editors/layeredtexturedialog.h"
#include "ui/editors/shapeeditordialog.h"
#include "ui/editors/sourcetexturedialog.h"
#include "ui/editors/textureeditsheet.h"
#include "ui/editors/texturepage.h"
#include "ui/texmap/createtexturemapdialog.h"

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QRegularExpression>
#include <QTabWidget>

namespace {

/// A label's text as a name: without its mnemonic marker and a closing colon.
QString AsName(QString text) {
    text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    if (text.endsWith(QLatin1Char(':')))
        text.chop(1);
    return text.trimmed();
}

/// What a combo box or list shows as its value.
QString CurrentText(QWidget* widget) {
    if (auto* combo = qobject_cast<QComboBox*>(widget))
        return combo->currentText();
    auto* view = qobject_cast<QListView*>(widget);
    return view && view->currentIndex().isValid() ? view->currentIndex().data().toString()
                                                  : QString();
}

/// Every combo box and list under `root`, but the lists that combo boxes pop up.
std::vector<QWidget*> Lists(QWidget* root) {
    std::vector<QWidget*> widgets;
    for (QComboBox* combo : root->findChildren<QComboBox*>())
        widgets.push_back(combo);
    for (QListView* list : root->findChildren<QListView*>()) {
        bool inCombo = false;
        for (QWidget* up = list->parentWidget(); up && !inCombo; up = up->parentWidget())
            inCombo = qobject_cast<QComboBox*>(up) != nullptr;
        if (!inCombo)
            widgets.push_back(list);
    }
    return widgets;
}

/// True when `label` is among the labels the accessibility interface gives `widget`: on Linux a
/// screen reader takes a combo box's label from there, as Qt names combo boxes by their value.
bool LabelledBy(QWidget* widget, QLabel* label) {
    QAccessibleInterface* labelled = QAccessible::queryAccessibleInterface(widget);
    for (const auto& [other, relation] : labelled->relations(QAccessible::Label))
        if (other->object() == label)
            return true;
    return false;
}

/// Those whose accessible name is missing, is their value or one of the values a combo box
/// offers, or differs from the label that names them, and combo boxes whose label a screen
/// reader cannot find; "where objectName (value): why".
QStringList Unnamed(QWidget* root, const QString& where, bool comboLabels = false) {
    const std::vector<QWidget*> widgets = Lists(root);
    QStringList problems;
    for (QWidget* widget : widgets) {
        const QString name = widget->accessibleName();
        auto* combo = qobject_cast<QComboBox*>(widget);
        const QString what = where + QStringLiteral(" ") + widget->objectName() +
                             QStringLiteral(" (") + CurrentText(widget) + QStringLiteral(")");
        if (name.isEmpty())
            problems << what + QStringLiteral(": no accessible name");
        else if (!CurrentText(widget).isEmpty() && name == CurrentText(widget))
            problems << what + QStringLiteral(": named by its value");
        else if (combo && combo->findText(name) >= 0)
            problems << what + QStringLiteral(": named by one of its values");
        // What a screen reader is told: a combo box on Linux speaks its value as its name, so it
        // needs a label of its own with that name.
        bool labelled = false;
        for (QLabel* label : root->findChildren<QLabel*>()) {
            if (label->buddy() != widget)
                continue;
            labelled = labelled || (AsName(label->text()) == name && LabelledBy(widget, label));
            if (AsName(label->text()) != name)
                problems << what + QStringLiteral(": named \"") + name +
                                QStringLiteral("\" under the label \"") + label->text() +
                                QStringLiteral("\"");
            if (combo && !LabelledBy(widget, label))
                problems << what + QStringLiteral(": the label \"") + label->text() +
                                QStringLiteral("\" is not its accessible label");
        }
        if (combo && comboLabels && !labelled)
            problems << what + QStringLiteral(": no label of its own named \"") + name +
                            QStringLiteral("\"");
        if (QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(widget);
            !combo && spoken->text(QAccessible::Name) != name)
            problems << what + QStringLiteral(": spoken as \"") + spoken->text(QAccessible::Name) +
                            QStringLiteral("\"");
    }
    return problems;
}

int Count(QWidget* root) {
    return static_cast<int>(Lists(root).size());
}

int CountCombos(QWidget* root) {
    return static_cast<int>(root->findChildren<QComboBox*>().size());
}

class AccessibleNamesTest : public EditorTest {};

} // namespace

TEST(AccessibleNameCheck, FindsAComboNamedByItsValueAndOneUnlikeItsLabel) {
    QWidget form;
    auto* label = new QLabel(QStringLiteral("&Pattern:"), &form);
    auto* combo = new QComboBox(&form);
    combo->addItems({QStringLiteral("Agate"), QStringLiteral("Bozo")});
    auto* list = new QListWidget(&form);
    list->addItem(QStringLiteral("Sphere"));
    list->setCurrentRow(0);
    EXPECT_EQ(Unnamed(&form, QStringLiteral("form")).size(), 2) << "no names at all";
    combo->setAccessibleName(QStringLiteral("Agate"));
    list->setAccessibleName(QStringLiteral("Shape"));
    EXPECT_EQ(Unnamed(&form, QStringLiteral("form")).size(), 1) << "named by its value";
    label->setBuddy(combo);
    combo->setAccessibleName(QStringLiteral("Colour"));
    EXPECT_EQ(Unnamed(&form, QStringLiteral("form")).size(), 1) << "unlike its label";
    combo->setAccessibleName(QStringLiteral("Bozo"));
    EXPECT_EQ(Unnamed(&form, QStringLiteral("form")).size(), 2) << "a value it may show";
    combo->setAccessibleName(QStringLiteral("Pattern"));
    EXPECT_EQ(Unnamed(&form, QStringLiteral("form")), QStringList());
    EXPECT_EQ(Unnamed(&form, QStringLiteral("form"), true), QStringList());
    // Named but without a label, a combo box is read by its value.
    label->setBuddy(nullptr);
    EXPECT_EQ(Unnamed(&form, QStringLiteral("form")), QStringList());
    EXPECT_EQ(Unnamed(&form, QStringLiteral("form"), true).size(), 1) << "no label of its own";
    label->setBuddy(combo);
    // A label elsewhere in the window is no label to a screen reader.
    QWidget box(&form);
    label->setParent(&box);
    EXPECT_EQ(Unnamed(&form, QStringLiteral("form")).size(), 1) << "not a sibling";
}

TEST(AccessibleNameCheck, LabelForNamesTheWidgetAfterTheLabelWithoutItsMarkers) {
    QWidget form;
    auto* combo = new QComboBox(&form);
    combo->addItem(QStringLiteral("Automatic"));
    auto* label = new QLabel(QStringLiteral("POV Command &Style"), &form);
    LabelFor(label, combo);
    EXPECT_EQ(label->buddy(), combo);
    EXPECT_EQ(combo->accessibleName(), "POV Command Style");
    label->setText(QStringLiteral(" Salt && &Pepper: "));
    LabelFor(label, combo);
    EXPECT_EQ(combo->accessibleName(), "Salt & Pepper");
    label->setText(QStringLiteral("&Declarations:"));
    LabelFor(label, combo);
    EXPECT_EQ(combo->accessibleName(), "Declarations");
    EXPECT_EQ(Unnamed(&form, QStringLiteral("form")), QStringList());
}

TEST_F(AccessibleNamesTest, EveryPageOfTheEditSheetNamesItsListsByTheirLabels) {
    SimpleTexture texture;
    texture.SetName("Agate");
    texture.pigment.pattern = Pigment::Agate;
    auto sheet = MakeTextureEditSheet(m_services, texture, QStringLiteral("Modify"), nullptr);
    sheet->show();
    QStringList problems;
    int looked = 0;
    int combos = 0;
    for (int page = 0; page < sheet->PageCount(); ++page) {
        ASSERT_TRUE(sheet->SetCurrentIndex(page));
        problems << Unnamed(sheet->Page(page), sheet->Tabs()->tabText(page), true);
        looked += Count(sheet->Page(page));
        combos += CountCombos(sheet->Page(page));
    }
    if (QWidget* preview = sheet->PreviewWindow()) {
        problems << Unnamed(preview, QStringLiteral("Preview"));
        looked += Count(preview);
    }
    EXPECT_GE(looked, 2) << "the pattern lists of the Pigment and Normal pages at least";
    EXPECT_GE(combos, 2);
    EXPECT_EQ(problems, QStringList()) << problems.join(QLatin1Char('\n')).toStdString();
}

TEST_F(AccessibleNamesTest, EveryDialogNamesItsListsByTheirLabels) {
    SimpleTexture simple;
    LayeredTexture layered;
    Catalog catalog;
    catalog.AddTexture(simple);
    std::vector<std::pair<QString, std::unique_ptr<QDialog>>> dialogs;
    dialogs.emplace_back(QStringLiteral("Preferences"),
                         std::make_unique<PreferencesDialog>(&m_services));
    dialogs.emplace_back(
        QStringLiteral("Color Selector"),
        std::make_unique<ColorSelectorDialog>(m_services, ColorSelectorDialog::MapEntryColor));
    dialogs.emplace_back(QStringLiteral("Color Map"),
                         std::make_unique<ColorMapDialog>(m_services, simple));
    dialogs.emplace_back(QStringLiteral("IOR Presets"),
                         std::make_unique<IorPresetsDialog>(m_services));
    dialogs.emplace_back(QStringLiteral("IOR Value"), std::make_unique<IorValueDialog>());
    dialogs.emplace_back(QStringLiteral("Layered Texture"),
                         std::make_unique<LayeredTextureDialog>(m_services, layered));
    dialogs.emplace_back(QStringLiteral("Shape Editor"),
                         std::make_unique<ShapeEditorDialog>(m_services));
    dialogs.emplace_back(QStringLiteral("Image Map"),
                         std::make_unique<ImageMapDialog>(ImageMap(), true));
    dialogs.emplace_back(QStringLiteral("Add Color"), std::make_unique<AddColorDialog>());
    dialogs.emplace_back(QStringLiteral("Export"),
                         std::make_unique<ExportDialog>(catalog, QStringLiteral("a.vlv")));
    dialogs.emplace_back(QStringLiteral("Create Texture Map"),
                         std::make_unique<CreateTextureMapDialog>(m_services.settings));
    dialogs.emplace_back(QStringLiteral("Thumbnail Options"),
                         std::make_unique<ThumbnailOptionsDialog>());
    dialogs.emplace_back(QStringLiteral("Import Summary"), std::make_unique<ImportSummaryDialog>());
    dialogs.emplace_back(QStringLiteral("Modify Source Texture"),
                         std::make_unique<SourceTextureDialog>(m_services, SourceTexture()));
    // The colour selector once more, showing a named colour.
    m_services.namedColors.push_back(
        std::make_unique<NamedColor>("Ember", ColorRGBF{200, 40, 0, 0}));
    auto selector =
        std::make_unique<ColorSelectorDialog>(m_services, ColorSelectorDialog::MapEntryColor);
    selector->SetColor({200, 40, 0, 0});
    EXPECT_EQ(selector->NameList()->currentText(), "Ember");
    dialogs.emplace_back(QStringLiteral("Color Selector on Ember"), std::move(selector));
    QStringList problems;
    int looked = 0;
    int combos = 0;
    for (const auto& [where, dialog] : dialogs) {
        problems << Unnamed(dialog.get(), where);
        looked += Count(dialog.get());
        combos += CountCombos(dialog.get());
    }
    EXPECT_GE(looked, 4) << "Preferences, Color Selector, IOR Presets and Layered Texture";
    EXPECT_GE(combos, 3) << "Preferences and the Color Selectors";
    EXPECT_EQ(problems, QStringList()) << problems.join(QLatin1Char('\n')).toStdString();
}
