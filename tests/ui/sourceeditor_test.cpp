// The source texture dialog: a texture's POV-Ray text typed, read while typing, refused with the
// place of its error and shown in the Preview; and the catalog's Modify and Convert to Editable
// on source textures.

#include "appfixture.h"
#include "core/catalog/catalog.h"
#include "core/model/simpletexture.h"
#include "core/model/sourcetexture.h"
#include "core/povtext/import/sourceconversion.h"
#include "editorfixture.h"
#include "render/files/disksourcefiles.h"
#include "render/files/sidefiles.h"
#include "ui/app/application.h"
#include "ui/app/mainwindow.h"
#include "ui/catalog/catalogcommands.h"
#include "ui/catalog/catalogdocument.h"
#include "ui/catalog/catalogview.h"
#include "ui/editors/colormapband.h"
#include "ui/editors/outlinemodel.h"
#include "ui/editors/previewwindow.h"
#include "ui/editors/propertyrow.h"
#include "ui/editors/sourcehighlighter.h"
#include "ui/editors/sourceinspector.h"
#include "ui/editors/sourcetexturedialog.h"
#include "ui/framework/helpcontext.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QToolButton>
#include <QTreeView>
#include <QUndoStack>

namespace {

/// Waits for the dialog to have read the text as it now stands.
bool Checked(SourceTextureDialog& dialog) {
    return QTest::qWaitFor([&] { return !dialog.IsChecking(); }, 10000);
}

class SourceEditorTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        ASSERT_TRUE(m_dir.isValid());
        m_services.settings.programDirectory = m_dir.path();
        m_services.settings.povExecutable = DefaultPovExecutable();
        std::optional<SideFileNotice> notice;
        m_services.Shapes() = LoadShapeFile(m_dir.path(), notice);
    }

    static SourceTexture Stone() {
        SourceTexture texture;
        texture.SetName("Grey Stone");
        texture.SetDescription("Flat grey\r\nfor walls");
        texture.SetKind(SourceTexture::TextureKind);
        texture.SetText("texture {\n  pigment { rgb <0.5, 0.5, 0.5> }\n}");
        return texture;
    }

    /// Types `text` at the end of line `line` (from 1) of the dialog's text, key by key.
    static void TypeAtEndOfLine(SourceTextureDialog& dialog, int line, const QString& text) {
        QPlainTextEdit* edit = dialog.TextEdit();
        QTextCursor cursor(edit->document()->findBlockByNumber(line - 1));
        cursor.movePosition(QTextCursor::EndOfBlock);
        edit->setTextCursor(cursor);
        edit->setFocus();
        QTest::keyClicks(edit, text);
    }

    static QPushButton* Ok(SourceTextureDialog& dialog) {
        return dialog.Buttons()->button(QDialogButtonBox::Ok);
    }

    QTemporaryDir m_dir;
};

/// The text of `value` as TakeSourceText keeps it.
std::string Taken(const std::string& value, SourceTexture::Kind kind) {
    DiskSourceFiles files;
    const TakenSource taken = TakeSourceText(value, kind, files);
    return taken.Ok() ? taken.text : "error: " + taken.error->message;
}

} // namespace

TEST_F(SourceEditorTest, ShowsTheTexturesNameKindAndTextInAFixedFont) {
    SourceTexture stone = Stone();
    stone.SetKind(SourceTexture::PigmentKind);
    stone.SetText("pigment { rgb 1 }");
    SourceTextureDialog dialog(m_services, stone);
    EXPECT_EQ(dialog.windowTitle(), "Modify Source Texture");
    EXPECT_EQ(dialog.NameEdit()->text(), "Grey Stone");
    EXPECT_EQ(dialog.DescriptionEdit()->toPlainText(), "Flat grey\nfor walls");
    EXPECT_EQ(dialog.KindLabel()->text(), "Pigment");
    EXPECT_EQ(dialog.TextEdit()->toPlainText(), "pigment { rgb 1 }");
    EXPECT_TRUE(QFontInfo(dialog.TextEdit()->font()).fixedPitch());
    for (QWidget* control : std::initializer_list<QWidget*>{
             dialog.NameEdit(), dialog.DescriptionEdit(), dialog.TextEdit(), dialog.ErrorLabel()})
        EXPECT_FALSE(control->accessibleName().isEmpty()) << control->objectName().toStdString();
    // Every field has its access key.
    QStringList keys;
    for (QLabel* label : dialog.findChildren<QLabel*>())
        if (label->buddy())
            keys << label->text();
    EXPECT_TRUE(keys.contains(QStringLiteral("&Text:"))) << keys.join(' ').toStdString();
    EXPECT_TRUE(keys.contains(QStringLiteral("&Name:"))) << keys.join(' ').toStdString();

    ASSERT_TRUE(Checked(dialog));
    EXPECT_TRUE(dialog.ErrorLabel()->text().isEmpty());
    EXPECT_TRUE(Ok(dialog)->isEnabled());

    // Help, or F1, opens the page on source textures.
    dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Help)->click();
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QTest::keyClick(dialog.TextEdit(), Qt::Key_F1);
    EXPECT_EQ(m_services.helpContexts,
              (std::vector<int>{HelpContext::SourceTextures, HelpContext::SourceTextures}));

    // A new name and description go with OK.
    dialog.NameEdit()->setText(QStringLiteral("White"));
    dialog.show();
    Ok(dialog)->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Working().GetName(), "White");
    EXPECT_EQ(dialog.Working().GetText(), "pigment { rgb 1 }");
    EXPECT_FALSE(dialog.Working().IsRefused());
}

TEST_F(SourceEditorTest, LongLinesWrapUnlessTheSettingIsOff) {
    SourceTexture wide = Stone();
    wide.SetText("texture { pigment { rgb <0.5, 0.5, 0.5> } finish { ambient 0.1 diffuse 0.6 "
                 "phong 0.3 phong_size 40 specular 0.2 roughness 0.05 brilliance 1.2 } }");
    for (const bool wrap : {true, false}) {
        m_services.settings.wrapSourceLines = wrap;
        SourceTextureDialog dialog(m_services, wide);
        dialog.resize(400, 300);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        const QTextBlock line = dialog.TextEdit()->document()->firstBlock();
        ASSERT_TRUE(line.layout());
        EXPECT_EQ(line.layout()->lineCount() > 1, wrap) << "wrap " << wrap;
    }
}

TEST_F(SourceEditorTest, KeepsTheStoredLineEndsAndStoresTypedLinesAsTheReaderWritesThem) {
    // Opened with "\r\n" ends (as the reader writes), shown with "\n" ones.
    SourceTexture stored = Stone();
    stored.SetText("texture {\r\n  pigment { rgb 1 }\r\n}");
    SourceTextureDialog unchanged(m_services, stored);
    EXPECT_EQ(unchanged.TextEdit()->toPlainText(), "texture {\n  pigment { rgb 1 }\n}");
    unchanged.accept();
    EXPECT_EQ(unchanged.result(), QDialog::Accepted);
    EXPECT_TRUE(SameButThumbnails(unchanged.Working(), stored));

    // Some other line ends, opened and closed with OK, are no change either.
    stored.SetText("texture {\n  pigment { rgb 1 }\n}");
    SourceTextureDialog asTyped(m_services, stored);
    asTyped.accept();
    EXPECT_EQ(asTyped.Working().GetText(), stored.GetText());

    // A typed text is kept with "\r\n" ends.
    SourceTextureDialog typed(m_services, stored);
    typed.TextEdit()->setPlainText(QStringLiteral("texture {\n  pigment { rgb 0 }\n}"));
    typed.accept();
    EXPECT_EQ(typed.Working().GetText(), "texture {\r\n  pigment { rgb 0 }\r\n}");
}

TEST_F(SourceEditorTest, ATypedErrorShowsItsLineAndColumnAndOkIsRefusedUntilItIsFixed) {
    SourceTextureDialog dialog(m_services, Stone());
    dialog.show();
    ASSERT_TRUE(Checked(dialog));
    QSignalSpy checked(&dialog, &SourceTextureDialog::checked);

    // "texture {" becomes "texture { Not_A_Colour": read only after a pause in the typing.
    TypeAtEndOfLine(dialog, 1, QStringLiteral(" Not_A_Colour"));
    EXPECT_TRUE(dialog.IsChecking());
    EXPECT_TRUE(dialog.ErrorLabel()->text().isEmpty());
    EXPECT_EQ(checked.count(), 0) << "read once, after the typing stopped";
    ASSERT_TRUE(checked.wait(5000));
    ASSERT_TRUE(Checked(dialog));
    ASSERT_TRUE(dialog.Error().has_value());
    EXPECT_EQ(dialog.Error()->line, 1);
    EXPECT_EQ(dialog.Error()->column, 11);
    EXPECT_TRUE(dialog.ErrorLabel()->text().startsWith(QStringLiteral("Line 1, column 11: ")))
        << dialog.ErrorLabel()->text().toStdString();
    EXPECT_TRUE(dialog.ErrorLabel()->text().contains(QStringLiteral("Not_A_Colour")));
    EXPECT_EQ(dialog.ErrorLabel()->accessibleDescription(), dialog.ErrorLabel()->text());
    EXPECT_FALSE(Ok(dialog)->isEnabled());
    // The word at the error is underlined in the text.
    auto underlined = [&dialog] {
        QStringList marked;
        for (const QTextEdit::ExtraSelection& mark : dialog.TextEdit()->extraSelections())
            if (mark.format.underlineStyle() == QTextCharFormat::WaveUnderline)
                marked << mark.cursor.selectedText();
        return marked;
    };
    EXPECT_EQ(underlined(), QStringList{"Not_A_Colour"});

    // OK anyway (Return, or the button before the greying): refused, the cursor at the error.
    dialog.TextEdit()->moveCursor(QTextCursor::End);
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].title, "Modify Source Texture");
    EXPECT_TRUE(m_messages[0].text.contains(QStringLiteral("\"Grey Stone\"")));
    EXPECT_TRUE(m_messages[0].text.contains(QStringLiteral("Line 1, column 11")));
    EXPECT_EQ(dialog.TextEdit()->textCursor().blockNumber(), 0);
    EXPECT_EQ(dialog.TextEdit()->textCursor().positionInBlock(), 10);

    // An error on another line, typed and read at once by OK, before the pause is over.
    dialog.TextEdit()->setPlainText(QStringLiteral("texture {\n  pigment {\n    rgb 1 }\n  ]\n}"));
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    ASSERT_EQ(m_messages.size(), 2u);
    EXPECT_TRUE(m_messages[1].text.contains(QStringLiteral("Line 4, column 3")))
        << m_messages[1].text.toStdString();
    EXPECT_EQ(dialog.TextEdit()->textCursor().blockNumber(), 3);
    EXPECT_EQ(dialog.TextEdit()->textCursor().positionInBlock(), 2);
    EXPECT_EQ(underlined(), QStringList{"]"});

    // Fixed with a colour of the library: OK comes back, and the colour's value is kept.
    const QString fixed = QStringLiteral("texture {\n  pigment { color Orange }\n}");
    dialog.TextEdit()->setPlainText(fixed);
    ASSERT_TRUE(Checked(dialog));
    EXPECT_TRUE(dialog.ErrorLabel()->text().isEmpty()) << dialog.ErrorLabel()->text().toStdString();
    EXPECT_TRUE(underlined().isEmpty());
    EXPECT_TRUE(Ok(dialog)->isEnabled());
    Ok(dialog)->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Working().GetText(), Taken(fixed.toStdString(), SourceTexture::TextureKind));
    EXPECT_EQ(dialog.Working().GetText().find("Orange"), std::string::npos);
    EXPECT_EQ(m_messages.size(), 2u);
}

TEST_F(SourceEditorTest, DirectivesAndObjectsAreRefusedWithTheirPlace) {
    SourceTextureDialog dialog(m_services, Stone());
    for (const auto& [text, where] : std::vector<std::pair<QString, QString>>{
             {QStringLiteral("texture {\n  #include \"x.inc\"\n}"),
              QStringLiteral("Line 2, column 3")},
             {QStringLiteral("texture { pigment { object { box { 0, 1 } } } }"),
              QStringLiteral("Line 1, column 21")}}) {
        dialog.TextEdit()->setPlainText(text);
        ASSERT_TRUE(Checked(dialog));
        EXPECT_TRUE(dialog.ErrorLabel()->text().startsWith(where))
            << dialog.ErrorLabel()->text().toStdString();
        EXPECT_FALSE(Ok(dialog)->isEnabled());
    }
    // Cancel keeps nothing of it.
    dialog.reject();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST_F(SourceEditorTest, ThePreviewBesideItRendersOnlyTextsTakenWithoutError) {
    m_services.settings.autoPreview = true;
    SourceTextureDialog dialog(m_services, Stone());
    dialog.show();
    PreviewWindow* preview = dialog.Preview();
    QTRY_VERIFY_WITH_TIMEOUT(preview->isVisible(), 5000);
    EXPECT_EQ(preview->parentWidget(), &dialog) << "a window that ends with the dialog";
    ASSERT_TRUE(Checked(dialog));
    QTRY_VERIFY_WITH_TIMEOUT(!preview->IsRenderDue() && !preview->IsRendering(), 60000);
    const int renders = preview->RendersStarted();

    TypeAtEndOfLine(dialog, 2, QStringLiteral(" oops"));
    ASSERT_TRUE(Checked(dialog));
    ASSERT_TRUE(dialog.Error().has_value());
    EXPECT_FALSE(preview->IsRenderDue());
    EXPECT_EQ(preview->RendersStarted(), renders);

    // Fixed: the Preview follows.
    dialog.TextEdit()->setPlainText(QStringLiteral("texture { pigment { rgb <1, 0, 0> } }"));
    ASSERT_TRUE(Checked(dialog));
    EXPECT_FALSE(dialog.Error().has_value());
    QTRY_VERIFY_WITH_TIMEOUT(preview->IsRenderDue() || preview->RendersStarted() > renders, 5000);

    // The shape picked in the Preview goes with OK.
    preview->ShapeListWidget()->setCurrentRow(2);
    dialog.accept();
    EXPECT_EQ(dialog.Working().GetPreviewShape(), 2);
    EXPECT_FALSE(preview->isVisible());
}

TEST_F(SourceEditorTest, TheDialogBesideItsPreviewInAPicture) {
    m_services.settings.autoPreview = true;
    const QString good =
        QStringLiteral("texture {\n  pigment { color Gold }\n  finish { F_MetalB }\n}\n"
                       "// the library's colours and finishes may be named\n");
    SourceTexture gold = Stone();
    gold.SetName("Gold Metal");
    gold.SetDescription("Polished gold");
    gold.SetText(Taken(good.toStdString(), SourceTexture::TextureKind));
    SourceTextureDialog dialog(m_services, gold);
    dialog.TextEdit()->setPlainText(good);
    dialog.show();
    QTRY_VERIFY_WITH_TIMEOUT(dialog.Preview()->isVisible(), 5000);
    ASSERT_TRUE(Checked(dialog));
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.Preview()->IsRenderDue() && !dialog.Preview()->IsRendering(),
                             60000);
    // A misspelt colour: the Preview keeps the last text that was taken.
    dialog.TextEdit()->setPlainText(
        QString(good).replace(QStringLiteral("Gold"), QStringLiteral("Golden")));
    ASSERT_TRUE(Checked(dialog));
    ASSERT_TRUE(dialog.Error().has_value());
    EXPECT_EQ(dialog.Error()->line, 2);
    EXPECT_FALSE(dialog.Preview()->IsRenderDue());
    QApplication::processEvents();
    const QPixmap editor = dialog.grab();
    const QPixmap preview = dialog.Preview()->grab();
    QPixmap both(editor.width() + 10 + preview.width(),
                 std::max(editor.height(), preview.height()));
    both.fill(Qt::white);
    {
        QPainter painter(&both);
        painter.drawPixmap(0, 0, editor);
        painter.drawPixmap(editor.width() + 10, 0, preview);
    }
    QLabel picture;
    picture.setPixmap(both);
    picture.resize(both.size());
    SaveScreenshot(&picture, QStringLiteral("source-editor"));
}

TEST(SourceHighlighter, MarksKeywordsNumbersStringsCommentsAndDirectives) {
    QTextDocument document;
    SourceHighlighter highlighter(&document);
    document.setPlainText(QStringLiteral("texture { pigment { Foo rgb 0.5e1 } } // note\n"
                                         "#declare \"a.png\" /* open\n"
                                         "still */ 12"));
    highlighter.rehighlight();
    const auto formatAt = [&](int line, const QString& piece) {
        const QTextBlock block = document.findBlockByNumber(line);
        const int at = static_cast<int>(block.text().indexOf(piece));
        for (const QTextLayout::FormatRange& range : block.layout()->formats())
            if (range.start <= at && at < range.start + range.length)
                return range.format;
        return QTextCharFormat();
    };
    EXPECT_EQ(formatAt(0, "texture"), highlighter.KeywordFormat());
    EXPECT_EQ(formatAt(0, "rgb"), highlighter.KeywordFormat());
    EXPECT_EQ(formatAt(0, "Foo"), QTextCharFormat()) << "an identifier is no keyword";
    EXPECT_EQ(formatAt(0, "0.5e1"), highlighter.NumberFormat());
    EXPECT_EQ(formatAt(0, "note"), highlighter.CommentFormat());
    EXPECT_EQ(formatAt(1, "#declare"), highlighter.DirectiveFormat());
    EXPECT_EQ(formatAt(1, "a.png"), highlighter.StringFormat());
    EXPECT_EQ(formatAt(1, "open"), highlighter.CommentFormat());
    EXPECT_EQ(formatAt(2, "still"), highlighter.CommentFormat()) << "the comment goes on";
    EXPECT_EQ(formatAt(2, "12"), highlighter.NumberFormat()) << "and ends";
}

namespace {

/// Puts a source texture at the end of the sample catalog, selected.
int AddSource(CatalogView* view, const std::string& name, const std::string& text) {
    auto source = std::make_unique<SourceTexture>();
    source->SetName(name);
    source->SetText(text);
    std::vector<std::unique_ptr<Texture>> added;
    added.push_back(std::move(source));
    const int index = view->Document().Contents().GetCount();
    view->Document().Model().InsertTextures(std::vector<int>{index}, std::move(added), true);
    return index;
}

const SourceTexture* SourceAt(CatalogView* view, int index) {
    return dynamic_cast<const SourceTexture*>(&view->Document().Contents().GetTexture(index));
}

} // namespace

TEST_F(AppTest, SourceEditorModifyChangesASourceTextureInOneUndoableStep) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    const std::string before = "texture { pigment { rgb <0, 1, 0> } }";
    const int index = AddSource(view, "Green_Text", before);
    ClickTexture(view, index);
    QUndoStack& undo = view->Document().UndoStack();
    const int steps = undo.count();

    // OK without a change is no step.
    m_editors.editSource = [](SourceTexture&) {};
    view->Commands().OnModify();
    ASSERT_FALSE(m_editors.titles.empty());
    EXPECT_EQ(m_editors.titles.back(), "Modify Source Texture");
    EXPECT_EQ(undo.count(), steps);

    // Return on the texture opens the same editor.
    const std::string after = "texture { pigment { rgb <0, 0, 1> } }";
    m_editors.editSource = [&after](SourceTexture& texture) { texture.SetText(after); };
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Return);
    ASSERT_TRUE(SourceAt(view, index));
    EXPECT_EQ(SourceAt(view, index)->GetText(), after);
    ASSERT_EQ(undo.count(), steps + 1);
    EXPECT_EQ(undo.text(undo.count() - 1), "Modify Green_Text");

    undo.undo();
    ASSERT_TRUE(SourceAt(view, index));
    EXPECT_EQ(SourceAt(view, index)->GetText(), before);

    // View Source still only shows the text.
    const std::size_t edits = m_editors.titles.size();
    WhenShownThenClose<QDialog>([](QDialog*) {});
    view->Commands().OnViewSource();
    EXPECT_EQ(m_editors.titles.size(), edits);
}

TEST_F(AppTest, SourceEditorConvertToEditableReplacesAnExactTextAndUndoBringsItBack) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    EXPECT_FALSE(Enabled("Convert to Editable")) << "nothing selected";
    ClickTexture(view, SimpleIndices(view, 1).at(0));
    EXPECT_FALSE(Enabled("Convert to Editable")) << "a simple texture";

    const std::string text = "texture { pigment { rgb <1, 0.5, 0> } finish { phong 0.5 } }";
    const int index = AddSource(view, "Orange_Text", text);
    ClickTexture(view, index);
    ASSERT_TRUE(Enabled("Convert to Editable"));
    QUndoStack& undo = view->Document().UndoStack();
    const int steps = undo.count();
    m_app->Frame().Action(QStringLiteral("Convert to Editable"))->trigger();

    const Texture& converted = view->Document().Contents().GetTexture(index);
    EXPECT_EQ(converted.Kind(), TextureKind::Simple);
    EXPECT_EQ(converted.GetName(), "Orange_Text");
    SourceTexture original;
    original.SetName("Orange_Text");
    original.SetText(text);
    EXPECT_EQ(converted.GetSource(SourceFlag::Declare),
              ConvertToEditable(original).texture->GetSource(SourceFlag::Declare));
    ASSERT_EQ(undo.count(), steps + 1);
    EXPECT_EQ(undo.text(undo.count() - 1), "Convert Orange_Text to Editable");
    EXPECT_TRUE(m_messages.empty());
    EXPECT_FALSE(Enabled("Convert to Editable")) << "it is no source texture now";

    undo.undo();
    ASSERT_TRUE(SourceAt(view, index));
    EXPECT_EQ(SourceAt(view, index)->GetText(), text);
}

TEST_F(AppTest, SourceEditorConvertToEditableSaysWhatStandsInTheWay) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    const std::string text = "texture { pigment { crackle } }";
    const int index = AddSource(view, "Cracked_Text", text);
    ClickTexture(view, index);
    const int steps = view->Document().UndoStack().count();
    m_app->Frame().Action(QStringLiteral("Convert to Editable"))->trigger();

    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].icon, Prompts::Icon::Information);
    EXPECT_EQ(m_messages[0].title, "Convert to Editable");
    EXPECT_TRUE(m_messages[0].text.contains(QStringLiteral("\"Cracked_Text\"")))
        << m_messages[0].text.toStdString();
    SourceTexture original;
    original.SetText(text);
    EXPECT_TRUE(
        m_messages[0].text.contains(QString::fromStdString(ConvertToEditable(original).reason)));
    ASSERT_TRUE(SourceAt(view, index));
    EXPECT_EQ(SourceAt(view, index)->GetText(), text);
    EXPECT_EQ(view->Document().UndoStack().count(), steps);
}

namespace {

using SourceEditorInProgramTest = InProgramEditorTest;

} // namespace

TEST_F(SourceEditorInProgramTest, ModifyOpensTheSourceEditorAndKeepsWhatItTook) {
    Application app;
    ASSERT_TRUE(app.Startup({}));
    m_messages.clear(); // the first start announces the shape file it writes
    app.Frame().resize(900, 700);
    app.OnFileNew();
    auto* view = dynamic_cast<CatalogView*>(app.Frame().ActiveView());
    ASSERT_TRUE(view);
    const int index = AddSource(view, "Typed", "texture { pigment { rgb 1 } }");
    view->Document().Contents().Select(index);
    app.Frame().UpdateCommands();

    const QString typed = QStringLiteral("texture {\n  pigment { color Blue }\n}");
    QString title;
    WhenShown<SourceTextureDialog>([&](SourceTextureDialog* dialog) {
        title = dialog->windowTitle();
        dialog->TextEdit()->setPlainText(typed);
        ASSERT_TRUE(Checked(*dialog));
        dialog->Buttons()->button(QDialogButtonBox::Ok)->click();
    });
    app.Frame().Action(QStringLiteral("Modify"))->trigger();
    EXPECT_EQ(title, "Modify Source Texture");
    ASSERT_TRUE(SourceAt(view, index));
    EXPECT_EQ(SourceAt(view, index)->GetText(),
              Taken(typed.toStdString(), SourceTexture::TextureKind));
    EXPECT_EQ(view->Document().UndoStack().text(view->Document().UndoStack().count() - 1),
              "Modify Typed");

    for (const auto& document : app.Documents())
        document->SetModifiedFlag(false);
    app.Frame().close();
}

namespace {

/// The inspector's Add… entry whose text starts with `label`, triggered.
bool AddFromMenu(SourceInspector& inspector, const QString& label) {
    emit inspector.AddMenu()->aboutToShow();
    for (QAction* action : inspector.AddMenu()->actions())
        if (action->text().startsWith(label)) {
            action->trigger();
            return true;
        }
    return false;
}

} // namespace

TEST_F(SourceEditorTest, TheInspectorChangesOnlyTheTokensOfWhatItChanges) {
    SourceTexture stone = Stone();
    stone.SetText("texture {\r\n  pigment { bozo turbulence 0.3 // soft\r\n"
                  "    color_map { [0 rgb 0] [1 rgb 1] } }\r\n  finish { phong 1/2 }\r\n}");
    SourceTextureDialog dialog(m_services, stone);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    SourceInspector& inspector = *dialog.Inspector();
    QStringList parts;
    for (QModelIndex i = inspector.Model()->index(0, 0); i.isValid();
         i = inspector.Tree()->indexBelow(i))
        parts << i.data().toString();
    EXPECT_EQ(parts.join(", "),
              "Texture, Pigment (Bozo), Colour map, Entry 1 at 0, Entry 2 at 1, Finish");

    // A slider moved with the keyboard rewrites its number alone; the Preview follows.
    ASSERT_TRUE(inspector.Choose(QStringLiteral("pigment")));
    PropertyRow* turbulence = inspector.Row(QStringLiteral("pigment/turbulence"));
    ASSERT_TRUE(turbulence && turbulence->Slider());
    EXPECT_EQ(turbulence->Slider()->accessibleName(), "Turbulence slider");
    turbulence->Slider()->setFocus();
    QTest::keyClick(turbulence->Slider(), Qt::Key_PageUp);
    const QString turbulent = "texture {\n  pigment { bozo turbulence 0.8 // soft\n"
                              "    color_map { [0 rgb 0] [1 rgb 1] } }\n  finish { phong 1/2 }\n}";
    EXPECT_EQ(dialog.TextEdit()->toPlainText(), turbulent);
    ASSERT_TRUE(Checked(dialog));
    EXPECT_NE(dialog.Shown().GetText().find("turbulence 0.8 // soft"), std::string::npos);

    // An expression shows its value and stays as written until it is changed.
    ASSERT_TRUE(inspector.Choose(QStringLiteral("finish")));
    QLineEdit* phong = inspector.Row(QStringLiteral("finish/phong"))->Field();
    EXPECT_EQ(phong->text(), "0.5");
    phong->setFocus();
    phong->selectAll();
    QTest::keyClicks(phong, QStringLiteral("0.6"));
    QTest::keyClick(phong, Qt::Key_Return);
    EXPECT_TRUE(dialog.TextEdit()->toPlainText().endsWith("finish { phong 0.6 }\n}"));
    EXPECT_TRUE(dialog.isVisible()) << "Return in a field takes its value, not the dialog's OK";

    // Undo and Redo in the inspector step through its changes; typed text is followed.
    dialog.UndoButton()->click();
    EXPECT_EQ(dialog.TextEdit()->toPlainText(), turbulent);
    EXPECT_EQ(inspector.Row(QStringLiteral("finish/phong"))->Field()->text(), "0.5");
    dialog.RedoButton()->click();
    TypeAtEndOfLine(dialog, 4, QStringLiteral(" // shiny"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !inspector.IsReading(); }));
    EXPECT_EQ(inspector.Row(QStringLiteral("finish/phong"))->Field()->text(), "0.6");

    // Add… offers what the part takes; Remove takes the chosen part out.
    ASSERT_TRUE(inspector.Choose(QStringLiteral("pigment")));
    ASSERT_TRUE(AddFromMenu(inspector, QStringLiteral("Octaves")));
    EXPECT_TRUE(dialog.TextEdit()->toPlainText().contains("} octaves 6 }\n"));
    // A colour map shows its band; a stop dragged on it moves its entry.
    ASSERT_TRUE(inspector.Choose(QStringLiteral("pigment/color_map/2")));
    EXPECT_TRUE(inspector.Band()->isVisible());
    emit inspector.Band()->moveRequested(0.7f);
    EXPECT_TRUE(dialog.TextEdit()->toPlainText().contains("[0 rgb 0] [0.7 rgb 1]"));
    ASSERT_TRUE(inspector.Choose(QStringLiteral("finish")));
    EXPECT_FALSE(inspector.Band()->isVisible());
    inspector.RemoveButton()->click();
    EXPECT_EQ(inspector.ChosenPath(), "");
    for (QWidget* control : inspector.findChildren<QWidget*>()) {
        if (control->focusPolicy() != Qt::NoFocus && control->isVisible()) {
            EXPECT_FALSE(control->accessibleName().isEmpty()) << control->metaObject()->className();
        }
    }

    Ok(dialog)->click();
    EXPECT_EQ(dialog.Working().GetText(),
              "texture {\r\n  pigment { bozo turbulence 0.8 // soft\r\n"
              "    color_map { [0 rgb 0] [0.7 rgb 1] } octaves 6 }\r\n  // shiny\r\n}");
}
