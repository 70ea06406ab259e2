// The Preview window and the shape editor, with the real POV-Ray and a "shapes.dat" of their own.

#include "core/model/simpletexture.h"
#include "core/shapes/builtinshapes.h"
#include "core/shapes/customshape.h"
#include "editorfixture.h"
#include "povrayprocesses.h"
#include "povrayrequired.h"
#include "render/files/sidefiles.h"
#include "render/povray/povrayrunner.h"
#include "render/povray/renderqueue.h"
#include "render/povray/warmpovray.h"
#include "testfiles.h"
#include "ui/editors/finishpage.h"
#include "ui/editors/pictureframe.h"
#include "ui/editors/previewwindow.h"
#include "ui/editors/shapeeditordialog.h"
#include "ui/editors/textureeditsheet.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

bool WaitFor(const std::function<bool()>& done, int ms = 20000) {
    return QTest::qWaitFor(done, ms);
}

/// A texture of one flat colour, so the rendered picture says which state was rendered.
SimpleTexture Coloured(const char* name, ColorRGBF colour) {
    SimpleTexture texture;
    texture.SetName(name);
    texture.pigment.color = colour;
    texture.finish.ambient = 100; // lit evenly, so the sphere's middle shows the colour plainly
    texture.finish.diffuse = 0;
    return texture;
}

/// The middle pixel of a picture as blue, green, red.
std::array<int, 3> Middle(const Bitmap& picture) {
    const auto bits = picture.Bits();
    const std::size_t row =
        static_cast<std::size_t>(picture.Height() / 2) * Bitmap::Stride(picture.Width());
    const std::size_t at = row + static_cast<std::size_t>(picture.Width() / 2) * 3;
    return {bits[at], bits[at + 1], bits[at + 2]};
}

class PreviewTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        ASSERT_TRUE(m_dir.isValid());
        m_services.settings.programDirectory = m_dir.path();
        m_services.settings.povExecutable = DefaultPovExecutable();
        std::optional<SideFileNotice> notice;
        m_services.Shapes() = LoadShapeFile(m_dir.path(), notice); // written from the built-in set
        ASSERT_EQ(m_services.Shapes().size(), kProgramShapeCount);
    }
    bool HavePovRay() const { return !m_services.settings.povExecutable.isEmpty(); }

    std::unique_ptr<PreviewWindow> Open(Texture& texture) {
        auto window = std::make_unique<PreviewWindow>(m_services, texture);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        return window;
    }
    /// Opens a window with Auto on, as the program's first start has it.
    std::unique_ptr<PreviewWindow> OpenLive(Texture& texture) {
        m_services.settings.autoPreview = true;
        return Open(texture);
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(PreviewTest, OpensOnTheThumbnailAndTheTexturesShape) {
    SimpleTexture texture = Coloured("Red", {255, 0, 0, 0});
    std::vector<std::uint8_t> rows(50 * 50 * 3, 0);
    for (std::size_t at = 2; at < rows.size(); at += 3)
        rows[at] = 200; // red
    ASSERT_TRUE(texture.Thumbnail().SetBits(50, 50, rows, false));
    texture.SetPreviewShape(6);
    auto window = Open(texture);

    EXPECT_EQ(window->windowTitle(), "Preview");
    // The largest square the frame holds (the scenes are square), 160 pixels at least.
    const QSize size = window->Frame()->PictureSize();
    EXPECT_EQ(size.width(),
              std::min(window->Frame()->width() - 14, window->Frame()->height() - 25));
    EXPECT_EQ(size.height(), size.width());
    EXPECT_GE(size.width(), 160);
    const Bitmap& picture = window->Frame()->Picture();
    EXPECT_EQ(picture.Width(), size.width()); // the thumbnail at the picture's size
    EXPECT_EQ(picture.Height(), size.height());
    EXPECT_EQ(Middle(picture), (std::array<int, 3>{0, 0, 200}));
    EXPECT_EQ(texture.Thumbnail().Width(), 50);

    // The 13 scenes, the unit sphere, then the new one.
    ASSERT_EQ(window->ShapeListWidget()->count(), 15);
    EXPECT_EQ(window->ShapeListWidget()->item(13)->text(), QStringLiteral("Unit Sphere"));
    EXPECT_EQ(window->ShapeListWidget()->item(14)->text(),
              QStringLiteral("New Custom Shape\u2026"));
    EXPECT_EQ(window->ShapeListWidget()->currentRow(), 6);
    EXPECT_EQ(window->DescriptionLabel()->text(), "Clear torus with one light source");

    window->ShapeListWidget()->setCurrentRow(1);
    EXPECT_EQ(texture.GetPreviewShape(), 1); // at once, in the editor's copy
    EXPECT_EQ(window->DescriptionLabel()->text(), "Clear box with one light source");

    EXPECT_FALSE(window->AntialiasingBox()->isChecked());
    window->AntialiasingBox()->click();
    EXPECT_EQ(m_services.settings.antialiasing, 1);
    EXPECT_FALSE(window->AutoBox()->isChecked()); // off until the user turns it on
    SaveScreenshot(window.get(), QStringLiteral("preview-window"));
}

TEST_F(PreviewTest, AShapeBeyondTheListSelectsNothingAndRendersOnTheFirstShape) {
    VELVANE_SKIP_WITHOUT_POVRAY(!HavePovRay(), "povray is not installed");
    SimpleTexture texture = Coloured("Green", {0, 255, 0, 0});
    texture.SetPreviewShape(40);
    auto window = Open(texture);
    EXPECT_EQ(window->ShapeListWidget()->currentRow(), -1);
    EXPECT_TRUE(window->DescriptionLabel()->text().contains("not in the shape list"));
    EXPECT_FALSE(window->ModifyButton()->isEnabled());

    window->RenderButton()->click();
    ASSERT_TRUE(WaitFor([&] { return !window->IsRendering(); }));
    EXPECT_TRUE(m_messages.empty()) << MessageTexts().join("\n").toStdString();
    EXPECT_EQ(Middle(window->Frame()->Picture())[1], 255); // the green sphere
    EXPECT_EQ(texture.GetPreviewShape(), 40);              // kept until the user picks a shape
}

TEST_F(PreviewTest, RenderDrawsThroughPovRayWithoutTouchingTheThumbnail) {
    VELVANE_SKIP_WITHOUT_POVRAY(!HavePovRay(), "povray is not installed");
    SimpleTexture texture = Coloured("Blue Sky", {0, 0, 255, 0});
    auto window = Open(texture);
    EXPECT_TRUE(window->Frame()->Picture().IsEmpty()); // no thumbnail yet

    const int shown = window->Frame()->ShownPictures();
    window->RenderButton()->click();
    EXPECT_FALSE(window->RenderButton()->isEnabled()); // while it runs
    ASSERT_TRUE(WaitFor([&] { return window->Frame()->ShownPictures() > shown; }));
    EXPECT_TRUE(window->RenderButton()->isEnabled());
    const QSize size = window->Frame()->PictureSize();
    EXPECT_EQ(window->Frame()->Picture().Width(), size.width());
    EXPECT_EQ(Middle(window->Frame()->Picture()), (std::array<int, 3>{255, 0, 0}));
    EXPECT_TRUE(texture.Thumbnail().IsEmpty());
    EXPECT_EQ(window->RendersStarted(), 1);

    // POV-Ray waits for the next picture while the window shows, and goes with it.
    EXPECT_TRUE(window->Warm().IsRunning());
    window->close();
    EXPECT_FALSE(window->Warm().IsRunning());
    EXPECT_TRUE(WaitFor([] { return PovRaysRunning() == 0; }));
}

TEST_F(PreviewTest, AutoRendersTheLastOfTwoQuickChangesOnce) {
    VELVANE_SKIP_WITHOUT_POVRAY(!HavePovRay(), "povray is not installed");
    SimpleTexture texture = Coloured("Changing", {255, 0, 0, 0});
    auto window = Open(texture);
    window->AutoBox()->click();
    EXPECT_EQ(m_services.settings.autoPreview, 1);
    ASSERT_TRUE(WaitFor([&] { return window->RendersStarted() == 1 && !window->IsRendering(); }));

    // Two changes in quick succession, as a slider drag makes them.
    texture.pigment.color = {0, 255, 0, 0};
    window->TextureChanged();
    EXPECT_TRUE(window->IsRenderDue());
    EXPECT_EQ(window->RendersStarted(), 1);
    texture.pigment.color = {0, 0, 255, 0};
    window->TextureChanged();
    ASSERT_TRUE(WaitFor([&] { return window->RendersStarted() == 2 && !window->IsRendering(); }));
    EXPECT_FALSE(window->IsRenderDue()); // one render for both changes, and none to come
    EXPECT_EQ(Middle(window->Frame()->Picture()), (std::array<int, 3>{255, 0, 0}));
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(PreviewTest, AChangeWhileAnAutoRenderRunsIsRenderedOnceItEnds) {
    VELVANE_SKIP_WITHOUT_POVRAY(!HavePovRay(), "povray is not installed");
    SimpleTexture texture = Coloured("Changing", {255, 0, 0, 0});
    auto window = OpenLive(texture);
    window->TextureChanged();
    ASSERT_TRUE(WaitFor([&] { return window->IsRendering(); }));
    texture.pigment.color = {0, 0, 255, 0};
    window->TextureChanged();
    ASSERT_TRUE(WaitFor([&] { return window->RendersStarted() == 2 && !window->IsRendering(); }));
    EXPECT_EQ(Middle(window->Frame()->Picture()), (std::array<int, 3>{255, 0, 0}));
    EXPECT_EQ(m_services.Renders().Left(), 0);
}

TEST_F(PreviewTest, AnAutoRenderThatFailsShowsPovRaysLinesInTheWindow) {
    VELVANE_SKIP_WITHOUT_POVRAY(!HavePovRay(), "povray is not installed");
    SimpleTexture texture = Coloured("Broken", {255, 0, 0, 0});
    texture.SetPreviewShape(13);
    // A scene with a syntax error of its own.
    static_cast<CustomShape&>(*m_services.Shapes()[13])
        .SetSource(
            "#include \"temptx$$.!!!\"\r\nsphere { <0,0,0>, 4 texture {%%TEXTURE_NAME%%} \r\n");
    m_services.settings.autoPreview = true;
    auto window = Open(texture);
    ASSERT_TRUE(WaitFor([&] { return window->RendersStarted() == 1 && !window->IsRendering(); }));
    EXPECT_TRUE(m_messages.empty()) << "no message box for an automatic render";
    EXPECT_TRUE(window->ProblemLabel()->isVisibleTo(window.get()));
    EXPECT_TRUE(window->ProblemLabel()->text().contains(
        "POV-Ray could not render the texture \"Broken\"."));
    EXPECT_TRUE(window->ProblemLabel()->text().contains("temppv$$.!!!"))
        << window->ProblemLabel()->text().toStdString();

    // Put right, the next change renders and the lines go.
    static_cast<CustomShape&>(*m_services.Shapes()[13]).SetSource(CustomShape().GetSource());
    window->TextureChanged();
    ASSERT_TRUE(WaitFor([&] { return window->RendersStarted() == 2 && !window->IsRendering(); }));
    EXPECT_FALSE(window->ProblemLabel()->isVisibleTo(window.get()));
}

TEST_F(PreviewTest, ModifyWithoutAChangeLeavesTheShapeFileAlone) {
    // A damaged file full of the user's shapes was once replaced by the built-in shapes used in
    // its place, whenever Modify... was left with Cancel.
    SimpleTexture texture = Coloured("Red", {255, 0, 0, 0});
    texture.SetPreviewShape(2);
    const QString path = ShapeFilePath(m_dir.path());
    const QByteArray damaged("my own shapes, damaged");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(damaged);
    }
    auto window = Open(texture);
    int editors = 0;
    const auto leave = [&](const std::function<void(ShapeEditorDialog*)>& how) {
        WhenShown<ShapeEditorDialog>([&, how](ShapeEditorDialog* dialog) {
            ++editors;
            EXPECT_EQ(dialog->windowTitle(), "Modify Custom Shape");
            EXPECT_EQ(dialog->NameEdit()->text(), "Cylinder");
            how(dialog);
        });
        window->ModifyButton()->click();
    };
    leave([](ShapeEditorDialog* dialog) {
        dialog->NameEdit()->setText(QStringLiteral("Thrown away"));
        dialog->reject();
    });
    leave([](ShapeEditorDialog* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
    leave([](ShapeEditorDialog* dialog) { dialog->accept(); }); // OK with nothing changed
    EXPECT_EQ(editors, 3);
    EXPECT_EQ(m_services.Shapes()[2]->GetName(), "Cylinder");
    EXPECT_EQ(window->ShapeListWidget()->item(2)->text(), "Cylinder");
    EXPECT_EQ(FileBytes(path), damaged);
    EXPECT_FALSE(QFileInfo::exists(path + ".damaged"));
    EXPECT_TRUE(window->isVisible()); // shown again after the dialog
    EXPECT_TRUE(m_messages.empty());

    // A real change saves, keeping the damaged file beside first.
    leave([](ShapeEditorDialog* dialog) {
        dialog->DescriptionEdit()->setText(QStringLiteral("Upright"));
        dialog->accept();
    });
    EXPECT_EQ(FileBytes(path + ".damaged"), damaged);
    std::optional<SideFileNotice> notice;
    const ShapeList saved = LoadShapeFile(m_dir.path(), notice);
    EXPECT_FALSE(notice);
    ASSERT_GT(saved.size(), 2u);
    EXPECT_EQ(saved[2]->GetDescription(), "Upright");
}

TEST_F(PreviewTest, LongShapeTextsAreShownShortened) {
    // A 10 MB name froze the window for 47 s and pushed it off the screen.
    const std::string name = "Vase " + std::string(10 << 20, 'n');
    const std::string description = std::string(10 << 20, 'd');
    auto& shape = static_cast<CustomShape&>(*m_services.Shapes()[13]);
    shape.SetName(name);
    shape.SetDescription(description);
    SimpleTexture texture = Coloured("Red", {255, 0, 0, 0});
    texture.SetPreviewShape(13);
    auto window = Open(texture);
    const QString shown = window->ShapeListWidget()->item(13)->text();
    EXPECT_EQ(shown, QStringLiteral("Vase ") + QString(75, 'n') + QChar(0x2026));
    EXPECT_EQ(window->DescriptionLabel()->text(), QString(300, 'd') + QChar(0x2026));
    EXPECT_LT(window->width(), 1000);
    EXPECT_LT(window->height(), 1000);
}

TEST_F(PreviewTest, RenamingUser1ToVaseSurvivesARestart) {
    SimpleTexture texture = Coloured("Red", {255, 0, 0, 0});
    texture.SetPreviewShape(13);
    auto window = Open(texture);
    const std::string vase =
        "// The following include file is REQUIRED\r\n#include \"temptx$$.!!!\"\r\n\r\n"
        "camera { location <0, 0, -10.5> look_at <0, 0, 0> }\r\n\r\n"
        "cylinder { <0, -4, 0>, <0, 4, 0>, 2\r\n  texture {%%TEXTURE_NAME%%}\r\n}\r\n\r\n"
        "light_source {<-12, 27, -25> colour rgb<1.0,1.0,1.0>}";
    WhenShown<ShapeEditorDialog>([&](ShapeEditorDialog* dialog) {
        dialog->NameEdit()->setText(QStringLiteral("Vase"));
        dialog->DescriptionEdit()->setText(QStringLiteral("A tall vase"));
        dialog->SourceEdit()->setPlainText(
            QString::fromStdString(vase).replace(QStringLiteral("\r\n"), "\n"));
        dialog->accept();
    });
    window->ShapeListWidget()->setCurrentRow(13);
    window->ModifyButton()->click();
    EXPECT_EQ(window->ShapeListWidget()->item(13)->text(), "Vase"); // at once
    EXPECT_EQ(window->DescriptionLabel()->text(), "A tall vase");

    std::optional<SideFileNotice> notice;
    const ShapeList again = LoadShapeFile(m_dir.path(), notice);
    EXPECT_FALSE(notice);
    ASSERT_EQ(again.size(), kProgramShapeCount);
    EXPECT_EQ(again[13]->GetName(), "Vase");
    EXPECT_EQ(again[13]->GetDescription(), "A tall vase");
    EXPECT_EQ(static_cast<const CustomShape&>(*again[13]).GetSource(),
              vase); // CR LF line ends kept
    EXPECT_EQ(again[14]->GetName(), "USER2");
}

TEST_F(PreviewTest, AShapeFileThatCannotBeReplacedIsReportedAndTheListKeepsTheChange) {
    SimpleTexture texture;
    auto window = Open(texture);
    const QString path = ShapeFilePath(m_dir.path());
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("shapes.dat")));
    WhenShown<ShapeEditorDialog>([](ShapeEditorDialog* dialog) {
        dialog->NameEdit()->setText(QStringLiteral("Ball"));
        dialog->accept();
    });
    window->ModifyButton()->click();
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].title, "Fatal Error");
    EXPECT_EQ(m_messages[0].text, "Unable to remove shape file!");
    EXPECT_EQ(m_services.Shapes()[0]->GetName(), "Ball");
}

TEST_F(PreviewTest, AShapeWithoutACustomSourceCannotBeModified) {
    SimpleTexture texture;
    auto plain = std::make_unique<PreviewShape>();
    plain->SetName("Plain");
    m_services.Shapes()[0] = std::move(plain);
    auto window = Open(texture);
    window->ModifyButton()->click();
    ASSERT_GE(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].title, "Woops!");
    EXPECT_EQ(m_messages[0].text, "There isn't a way to modify this shape");
    EXPECT_TRUE(QFileInfo(ShapeFilePath(m_dir.path())).isFile()); // saved all the same
}

TEST_F(PreviewTest, AWarningAboutTheSceneStaysOpenWhileTheRenderGoesOnAndEnds) {
    VELVANE_SKIP_WITHOUT_POVRAY(!HavePovRay(), "povray is not installed");
    SimpleTexture texture = Coloured("Declared Inside", {255, 0, 0, 0});
    texture.SetPreviewShape(13);
    // The scene declares a green texture under the texture's name and never includes its file:
    // a warning, and a picture all the same.
    static_cast<CustomShape&>(*m_services.Shapes()[13])
        .SetSource("#declare %%TEXTURE_NAME%% = texture { pigment { rgb <0, 1, 0> } "
                   "finish { ambient 1 diffuse 0 } }\r\n"
                   "camera { location <0, 0, -5> look_at 0 }\r\n"
                   "sphere { 0, 3 texture { %%TEXTURE_NAME%% } }\r\n");
    Prompts::SetMessageResponder(nullptr); // the real message box
    const auto openBox = [] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible())
                return box;
        return static_cast<QMessageBox*>(nullptr);
    };
    // A box that waited in an event loop of its own would hold up the test: it is closed after
    // a while, and the test fails.
    QTimer closer;
    closer.setSingleShot(true);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (QMessageBox* box = openBox())
            box->reject();
    });
    closer.start(10000);
    auto window = Open(texture);
    const int shown = window->Frame()->ShownPictures();
    window->RenderButton()->click();
    QMessageBox* box = nullptr;
    ASSERT_TRUE(WaitFor(
        [&] { return (box = openBox()) && window->Frame()->ShownPictures() > shown; }, 60000))
        << "the picture did not come while the warning was open";
    closer.stop();
    EXPECT_EQ(box->windowTitle(), "Warning");
    EXPECT_EQ(box->text(), "Warning! You have used the %%TEXTURE_NAME%% texture but have not "
                           "included the file TEMPTX$$.!!!");
    EXPECT_FALSE(window->IsRendering());
    EXPECT_TRUE(window->RenderButton()->isEnabled());
    EXPECT_EQ(Middle(window->Frame()->Picture()), (std::array<int, 3>{0, 255, 0}));
    box->accept();
    EXPECT_TRUE(WaitFor([&] { return openBox() == nullptr; }));
}

TEST_F(PreviewTest, TheShapeEditorWarnsAndStillRenders) {
    VELVANE_SKIP_WITHOUT_POVRAY(!HavePovRay(), "povray is not installed");
    SimpleTexture texture = Coloured("Red Marble", {255, 0, 0, 0});
    ShapeEditorDialog dialog(m_services);
    dialog.SetShape(CustomShape().GetSource(), "Sphere", "Clear sphere");
    dialog.SetTexture(texture.GetSource(SourceFlag::Declare), "Red Marble");
    dialog.show();
    QSignalSpy rendered(&dialog, &ShapeEditorDialog::renderFinished);
    dialog.Render();
    // The test render runs in the background; the dialog stays usable and Render waits.
    EXPECT_TRUE(dialog.IsRendering());
    EXPECT_FALSE(dialog.RenderButton()->isEnabled());
    EXPECT_EQ(dialog.TextureName(), "Red_Marble"); // the dialog keeps the changed name
    ASSERT_TRUE(rendered.wait(60000));
    EXPECT_TRUE(dialog.RenderButton()->isEnabled());
    EXPECT_TRUE(m_messages.empty()) << MessageTexts().join("\n").toStdString();
    EXPECT_EQ(Middle(dialog.Frame()->Picture())[2], 255);
    EXPECT_EQ(dialog.Frame()->Picture().Width(), dialog.Frame()->PictureSize().width());
    SaveScreenshot(&dialog, QStringLiteral("shape-editor"));

    // Without the include the warning comes, and POV-Ray's complaint after it.
    dialog.SourceEdit()->setPlainText(
        QStringLiteral("sphere { 0, 4 texture {%%TEXTURE_NAME%%} }\n"));
    dialog.Render();
    ASSERT_TRUE(rendered.wait(60000));
    ASSERT_GE(m_messages.size(), 2u);
    EXPECT_EQ(m_messages[0].title, "Warning");
    EXPECT_EQ(m_messages[0].text, "Warning! You have used the %%TEXTURE_NAME%% texture but have "
                                  "not included the file TEMPTX$$.!!!");
    EXPECT_TRUE(
        m_messages[1].text.startsWith("POV-Ray could not render the texture \"Red_Marble\"."))
        << m_messages[1].text.toStdString();

    m_messages.clear();
    dialog.SourceEdit()->setPlainText(QStringLiteral("sphere { 0, 4 }\n"));
    dialog.Render();
    ASSERT_TRUE(rendered.wait(60000));
    ASSERT_GE(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].text,
              "Warning! You have not defined an object using the texture %%TEXTURE_NAME%%");

    dialog.AntialiasingBox()->click();
    EXPECT_EQ(m_services.settings.antialiasing, 1);
    EXPECT_FALSE(dialog.DebugModeBox()->isChecked());
}

TEST_F(PreviewTest, TheShapeEditorNamesTheTextureAsItsSourceDeclaresIt) {
    VELVANE_SKIP_WITHOUT_POVRAY(!HavePovRay(), "povray is not installed");
    // Names that are no POV-Ray identifier as they stand: a minus, a keyword, a leading digit.
    for (const char* name : {"Gold-1", "sphere", "3D Oak"}) {
        SCOPED_TRACE(name);
        m_messages.clear();
        SimpleTexture texture = Coloured(name, {0, 0, 255, 0});
        ShapeEditorDialog dialog(m_services);
        dialog.SetShape(CustomShape().GetSource(), "Sphere", "Clear sphere");
        dialog.SetTexture(texture.GetSource(SourceFlag::Declare), name);
        dialog.show();
        QSignalSpy rendered(&dialog, &ShapeEditorDialog::renderFinished);
        dialog.Render();
        ASSERT_TRUE(rendered.wait(60000));
        // POV-Ray found the texture under the name the scene gave it: the picture is blue.
        EXPECT_TRUE(m_messages.empty()) << MessageTexts().join("\n").toStdString();
        EXPECT_EQ(Middle(dialog.Frame()->Picture()), (std::array<int, 3>{255, 0, 0}));
        EXPECT_EQ(dialog.TextureName(), DeclaredIdentifier(name));
    }
}

// ---------------------------------------------------------------------------------------------
// The live Preview: what the fields show is what renders, by itself and at the window's size.

TEST_F(PreviewTest, RenderRendersWhatTheFieldsShowWithoutTheirBeingLeft) {
    VELVANE_SKIP_WITHOUT_POVRAY(!HavePovRay(), "povray is not installed");
    SimpleTexture texture;
    texture.SetName("Typed");
    texture.pigment.color = {0, 0, 255, 0};
    auto sheet =
        MakeTextureEditSheet(m_services, texture, QStringLiteral("Modify Simple Texture"), nullptr);
    sheet->show();
    QApplication::setActiveWindow(sheet.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(sheet.get()));
    ASSERT_TRUE(sheet->SetCurrentIndex(3));
    auto* finish = static_cast<FinishPage*>(sheet->Page(3));
    // Lit evenly, so the sphere's middle shows the pure colour only if both numbers are in; the
    // ambient light, typed last, decides it.
    TypeKeys(finish->Edit(FinishPage::Diffuse), QStringLiteral("0"));
    TypeKeys(finish->Edit(FinishPage::Ambient), QStringLiteral("100"));
    auto* preview = static_cast<PreviewWindow*>(sheet->PreviewWindow());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(preview));
    const int shown = preview->Frame()->ShownPictures();
    // A click in another window (or any click without a window manager) leaves the sheet's
    // focus where it is: the edit is never left.
    preview->RenderButton()->click();
    ASSERT_TRUE(WaitFor([&] { return preview->Frame()->ShownPictures() > shown; }));
    EXPECT_TRUE(finish->Edit(FinishPage::Ambient)->hasFocus());
    EXPECT_TRUE(m_messages.empty()) << MessageTexts().join("\n").toStdString();
    EXPECT_EQ(Middle(preview->Frame()->Picture()), (std::array<int, 3>{255, 0, 0}));
}

TEST_F(PreviewTest, AutoIsOnUntilTheUserTurnsItOff) {
    SimpleTexture texture = Coloured("Red", {255, 0, 0, 0});
    m_services.settings.autoPreview = ProgramSettings().autoPreview;
    {
        PreviewWindow window(m_services, texture);
        EXPECT_TRUE(window.AutoBox()->isChecked());
        ASSERT_TRUE(ToggleAccessibly(window.AutoBox())); // any way of turning it off counts
        EXPECT_EQ(m_services.settings.autoPreview, 0);
    }
    PreviewWindow window(m_services, texture);
    EXPECT_FALSE(window.AutoBox()->isChecked());
}

TEST_F(PreviewTest, AutoRendersOnShowingAndKeepsTheOldPictureMarkedUntilTheNewOneComes) {
    VELVANE_SKIP_WITHOUT_POVRAY(!HavePovRay(), "povray is not installed");
    SimpleTexture texture = Coloured("Changing", {255, 0, 0, 0});
    auto window = OpenLive(texture);
    PictureFrame* frame = window->Frame();
    EXPECT_TRUE(frame->IsBusy()); // a render is due from the first showing
    ASSERT_TRUE(WaitFor([&] { return window->RendersStarted() == 1 && !frame->IsBusy(); }));
    EXPECT_EQ(Middle(frame->Picture()), (std::array<int, 3>{0, 0, 255}));
    EXPECT_TRUE(frame->accessibleDescription().isEmpty());
    const QImage idle = frame->grab().toImage();

    texture.pigment.color = {0, 255, 0, 0};
    window->TextureChanged();
    EXPECT_TRUE(frame->IsBusy());
    EXPECT_EQ(frame->accessibleDescription(), "Rendering");
    EXPECT_EQ(Middle(frame->Picture()), (std::array<int, 3>{0, 0, 255})); // the old picture stays
    const QImage busy = frame->grab().toImage();
    const qreal ratio = busy.devicePixelRatio();
    const QRect markRect = frame->BusyMarkRect(); // a light dot of the mark
    const QPoint mark(markRect.left() + markRect.width() / 4, markRect.center().y() + 1);
    const QPoint markPixel(static_cast<int>(mark.x() * ratio), static_cast<int>(mark.y() * ratio));
    EXPECT_NE(busy.pixel(markPixel), idle.pixel(markPixel)) << "the mark is drawn";
    const QPoint middle = frame->PictureRect().center();
    const QPoint middlePixel(static_cast<int>(middle.x() * ratio),
                             static_cast<int>(middle.y() * ratio));
    EXPECT_EQ(busy.pixel(middlePixel), idle.pixel(middlePixel)) << "the picture is not cleared";

    ASSERT_TRUE(WaitFor([&] { return window->RendersStarted() == 2 && !frame->IsBusy(); }));
    EXPECT_EQ(Middle(frame->Picture()), (std::array<int, 3>{0, 255, 0}));
    EXPECT_EQ(frame->grab().toImage().pixel(markPixel), idle.pixel(markPixel));
}

TEST_F(PreviewTest, TheWindowResizesAndThePictureFillsItAtTheScreensPixels) {
    VELVANE_SKIP_WITHOUT_POVRAY(!HavePovRay(), "povray is not installed");
    SimpleTexture texture = Coloured("Large", {0, 0, 255, 0});
    auto window = Open(texture);
    PictureFrame* frame = window->Frame();
    const qreal ratio = window->devicePixelRatioF();
    // The tests run once more at twice the pixels (QT_SCALE_FACTOR=2), as on a HiDPI screen.
    EXPECT_EQ(ratio, qEnvironmentVariableIsSet("QT_SCALE_FACTOR")
                         ? qEnvironmentVariable("QT_SCALE_FACTOR").toDouble()
                         : 1.0);
    const QSize small = frame->PictureSize();
    EXPECT_EQ(small.height(), 160); // the smallest picture, as before
    EXPECT_EQ(small.width(), 160);

    window->resize(window->width() + 240, window->height() + 240);
    ASSERT_TRUE(WaitFor([&] { return frame->PictureSize().height() > 300; }));
    const QSize large = frame->PictureSize();
    EXPECT_EQ(large.width(), large.height());
    EXPECT_EQ(frame->RenderSize(),
              QSize(qRound(large.width() * ratio), qRound(large.height() * ratio)));
    const int shown = frame->ShownPictures();
    window->RenderButton()->click();
    ASSERT_TRUE(WaitFor([&] { return frame->ShownPictures() > shown; }));
    EXPECT_EQ(frame->Picture().Width(), frame->RenderSize().width());
    EXPECT_EQ(frame->Picture().Height(), frame->RenderSize().height());
    EXPECT_EQ(Middle(frame->Picture()), (std::array<int, 3>{255, 0, 0}));
    // The picture fills the frame: its rectangle is as large as the frame allows.
    EXPECT_EQ(frame->PictureRect().size(), large);
    EXPECT_GE(frame->PictureRect().left(), PictureFrame::kLeft);

    window->resize(50, 50); // never below the smallest picture
    QApplication::processEvents();
    EXPECT_EQ(frame->PictureSize(), QSize(160, 160));
}

// ---------------------------------------------------------------------------------------------
// The shape list: the defined shapes, each standing for its own index, and "New Custom Shape…".

namespace {

/// The shape indices the list's entries stand for.
std::vector<int> Indices(const PreviewWindow& window) {
    std::vector<int> indices;
    indices.reserve(static_cast<std::size_t>(window.ShapeListWidget()->count()));
    for (int row = 0; row < window.ShapeListWidget()->count(); ++row)
        indices.push_back(PreviewWindow::ShapeIndex(window.ShapeListWidget()->item(row)));
    return indices;
}

std::vector<int> Range(int from, int to, std::initializer_list<int> more) {
    std::vector<int> indices;
    for (int index = from; index < to; ++index)
        indices.push_back(index);
    indices.insert(indices.end(), more);
    return indices;
}

QString SelectedText(const PreviewWindow& window) {
    const auto selected = window.ShapeListWidget()->selectedItems();
    return selected.size() == 1 ? selected.first()->text() : QString();
}

void Define(PreviewShape& shape, const char* name) {
    shape.SetName(name);
    shape.SetDescription(std::string(name) + " of my own");
}

} // namespace

TEST_F(PreviewTest, TheShapeListHoldsTheDefinedShapesAndTheTexturesShapeByTheirOwnIndices) {
    Define(*m_services.Shapes()[15], "Vase"); // USER3
    SimpleTexture texture = Coloured("Red", {255, 0, 0, 0});
    texture.SetPreviewShape(6);
    auto window = Open(texture);
    QListWidget* list = window->ShapeListWidget();
    EXPECT_EQ(Indices(*window), Range(0, 13, {15, 33, -1}));
    EXPECT_EQ(SelectedText(*window), "Torus");
    EXPECT_EQ(texture.GetPreviewShape(), 6);

    list->setCurrentRow(13);
    EXPECT_EQ(texture.GetPreviewShape(), 15);
    EXPECT_EQ(window->DescriptionLabel()->text(), "Vase of my own");
    WhenShownOrFail<ShapeEditorDialog>([](ShapeEditorDialog* dialog) {
        EXPECT_EQ(dialog->NameEdit()->text(), "Vase");
        dialog->NameEdit()->setText(QStringLiteral("Urn"));
        dialog->accept();
    });
    window->ModifyButton()->click();
    EXPECT_EQ(m_services.Shapes()[15]->GetName(), "Urn");
    EXPECT_EQ(SelectedText(*window), "Urn");

    // A free place is listed while it is the texture's shape.
    texture.SetPreviewShape(20);
    window->RefreshShapes();
    EXPECT_EQ(Indices(*window), Range(0, 13, {15, 20, 33, -1}));
    EXPECT_EQ(SelectedText(*window), "USER8");
    EXPECT_TRUE(window->ModifyButton()->isEnabled());
    list->setCurrentRow(1);
    window->RefreshShapes();
    EXPECT_EQ(Indices(*window), Range(0, 13, {15, 33, -1}));
}

TEST_F(PreviewTest, NewCustomShapeTakesTheFirstFreePlaceOnOkAndNothingOnCancel) {
    Define(*m_services.Shapes()[13], "Vase");
    SimpleTexture texture = Coloured("Red", {255, 0, 0, 0});
    texture.SetPreviewShape(2);
    auto window = Open(texture);
    QListWidget* list = window->ShapeListWidget();
    const QString path = ShapeFilePath(m_dir.path());
    const QByteArray file = FileBytes(path);
    int editors = 0;
    const auto answer = [&](const char* name, bool keep) {
        WhenShownOrFail<ShapeEditorDialog>([&, name, keep](ShapeEditorDialog* dialog) {
            ++editors;
            EXPECT_EQ(dialog->windowTitle(), "New Custom Shape");
            EXPECT_EQ(dialog->NameEdit()->text(), "USER2"); // the free place as it stands
            dialog->NameEdit()->setText(QString::fromUtf8(name));
            keep ? dialog->accept() : dialog->reject();
        });
    };

    // By the keyboard, the entry is reached like any other and Enter opens the editor.
    list->setFocus();
    QTest::keyClick(list, Qt::Key_End);
    EXPECT_EQ(texture.GetPreviewShape(), 2);
    EXPECT_FALSE(window->ModifyButton()->isEnabled());
    answer("Thrown away", false);
    QTest::keyClick(list, Qt::Key_Return);
    ASSERT_TRUE(WaitFor([&] { return editors == 1; }, 15000));
    EXPECT_EQ(texture.GetPreviewShape(), 2);
    EXPECT_EQ(Indices(*window), Range(0, 14, {33, -1}));
    EXPECT_EQ(SelectedText(*window), "Cylinder");
    EXPECT_EQ(m_services.Shapes()[14]->GetName(), "USER2");
    EXPECT_EQ(FileBytes(path), file);

    answer("Urn", true);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(window->NewShapeItem()).center());
    ASSERT_TRUE(WaitFor([&] { return editors == 2; }, 15000));
    EXPECT_EQ(texture.GetPreviewShape(), 14);
    EXPECT_EQ(Indices(*window), Range(0, 15, {33, -1}));
    EXPECT_EQ(SelectedText(*window), "Urn");
    EXPECT_TRUE(window->isVisible());
    std::optional<SideFileNotice> notice;
    const ShapeList saved = LoadShapeFile(m_dir.path(), notice);
    ASSERT_EQ(saved.size(), kProgramShapeCount);
    EXPECT_EQ(saved[14]->GetName(), "Urn");
    EXPECT_EQ(saved[15]->GetName(), "USER3");
}

TEST_F(PreviewTest, NewCustomShapeIsDisabledOnceEveryPlaceIsTaken) {
    for (std::size_t index = 13; index < kBuiltinShapeCount; ++index)
        Define(*m_services.Shapes()[index], "Mine");
    SimpleTexture texture;
    auto window = Open(texture);
    EXPECT_EQ(Indices(*window), Range(0, 34, {-1}));
    EXPECT_FALSE(window->NewShapeItem()->flags() & Qt::ItemIsEnabled);
    EXPECT_EQ(window->NewShapeItem()->toolTip(), "All places for shapes of your own are taken");
}
