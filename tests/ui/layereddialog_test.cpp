// The Layered Texture dialog, with the edit sheet played by a script and the real POV-Ray for
// layer thumbnails.

#include "core/model/layeredtexture.h"
#include "core/model/simpletexture.h"
#include "core/shapes/builtinshapes.h"
#include "editorfixture.h"
#include "povrayrequired.h"
#include "ui/editors/layeredtexturedialog.h"
#include "ui/editors/previewwindow.h"
#include "ui/editors/sidebyside.h"
#include "ui/framework/textureeditors.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

namespace {

/// The edit sheet as a script: it names the texture it is given and answers OK or Cancel.
class SheetScript : public TextureEditors {
public:
    bool EditSimple(SimpleTexture& texture, const QString& title, QWidget*) override {
        titles << title;
        if (accept && edit)
            edit(texture);
        return accept;
    }
    bool EditLayered(LayeredTexture&, QWidget*) override { return false; }

    bool accept = true;
    std::function<void(SimpleTexture&)> edit;
    QStringList titles;
};

class ScriptedServices : public FakeAppServices {
public:
    TextureEditors* Editors() override { return &script; }
    SheetScript script;
};

SimpleTexture Layer(const std::string& name, int size = 0) {
    SimpleTexture layer;
    layer.SetName(name);
    if (size > 0) {
        std::vector<std::uint8_t> rows(static_cast<std::size_t>(size * size * 3), 90);
        layer.Thumbnail().SetBits(size, size, rows, false);
    }
    return layer;
}

class LayeredTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        ASSERT_TRUE(m_dir.isValid());
        m_app.settings.programDirectory = m_dir.path();
        m_app.settings.povExecutable = DefaultPovExecutable();
        m_app.settings.updateThumbnail = false;
        m_app.Shapes() = BuiltinShapes();
        Prompts::SetMessageResponder([this](Prompts::Icon icon, const QString& title,
                                            const QString& text,
                                            QMessageBox::StandardButtons buttons) {
            m_messages.push_back({icon, title, text});
            return buttons.testFlag(m_answer) ? m_answer : QMessageBox::Ok;
        });
    }

    std::unique_ptr<LayeredTextureDialog> Open(const LayeredTexture& texture) {
        auto dialog = std::make_unique<LayeredTextureDialog>(m_app, texture);
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        return dialog;
    }
    static bool Enabled(LayeredTextureDialog& dialog, const char* name) {
        QPushButton* button = dialog.Button(QString::fromLatin1(name));
        EXPECT_NE(button, nullptr) << name;
        return button && button->isEnabled();
    }
    static QStringList Lines(LayeredTextureDialog& dialog) {
        QStringList lines;
        for (int row = 0; row < dialog.List()->count(); ++row)
            lines << dialog.List()->item(row)->text();
        return lines;
    }
    static LayeredTexture ThreeLayers() {
        LayeredTexture texture;
        texture.SetName("Stack");
        for (const char* name : {"Base", "Middle", "Top"})
            texture.AddLayer(Layer(name, 100));
        return texture;
    }

    QTemporaryDir m_dir;
    ScriptedServices m_app;
};

} // namespace

TEST_F(LayeredTest, ANewLayeredTextureStartsEmptyWithAlmostEverythingOff) {
    LayeredTexture texture;
    auto dialog = Open(texture);
    EXPECT_EQ(dialog->windowTitle(), "Layered Texture");
    EXPECT_EQ(dialog->List()->count(), 0);
    for (const char* name : {"removeButton", "modifyButton", "viewSource", "copyButton",
                             "moveUpButton", "moveDownButton", "pasteButton"})
        EXPECT_FALSE(Enabled(*dialog, name)) << name;
    EXPECT_TRUE(Enabled(*dialog, "newButton"));
    QPushButton* ok = nullptr;
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
        if (button->text() == "OK")
            ok = button;
    ASSERT_NE(ok, nullptr);
    EXPECT_FALSE(ok->isEnabled());
    EXPECT_FALSE(dialog->ThumbnailFrame()->isVisible());
    EXPECT_FALSE(dialog->Preview()->isVisible());
    EXPECT_EQ(dialog->NameEdit()->text(), "Untitled");

    // The first layer enables OK and brings the Preview window.
    m_app.script.edit = [](SimpleTexture& layer) { layer.SetName("Rust"); };
    dialog->Button("newButton")->click();
    EXPECT_EQ(m_app.script.titles, QStringList{"New Simple Texture"});
    EXPECT_EQ(Lines(*dialog), QStringList{"Rust"});
    EXPECT_EQ(dialog->List()->currentRow(), 0);
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_TRUE(dialog->ThumbnailFrame()->isVisible());
    EXPECT_TRUE(dialog->Preview()->isVisible());
    EXPECT_TRUE(dialog->Working().GetLayer(0)->Thumbnail().IsEmpty()); // Update Thumbnail is off
    SaveScreenshot(dialog.get(), QStringLiteral("layered-texture-not-rendered"));
}

TEST_F(LayeredTest, ThePreviewStaysClearOfTheDialogWhenTheFirstLayerWidensIt) {
    LayeredTexture texture;
    auto dialog = Open(texture);
    const QRect narrow = dialog->frameGeometry();
    m_app.script.edit = [](SimpleTexture& layer) { layer.SetName("Rust"); };
    dialog->Button("newButton")->click();
    PreviewWindow* preview = dialog->Preview();
    ASSERT_TRUE(preview->isVisible());
    // The thumbnail that comes with the first layer makes the dialog wider; the Preview follows.
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->frameGeometry().width() > narrow.width(); }))
        << "the dialog was expected to grow";
    // Its buttons and the thumbnail stay free; where the screen has room for the two side by
    // side, or one under the other, all of the dialog does.
    const QRect screen = QApplication::primaryScreen()->availableGeometry();
    const auto global = [](QWidget* widget) {
        return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
    };
    QRect buttons;
    for (QDialogButtonBox* box : dialog->findChildren<QDialogButtonBox*>())
        buttons |= global(box);
    ASSERT_FALSE(buttons.isEmpty());
    const bool room =
        dialog->frameGeometry().width() + preview->frameGeometry().width() + 20 <= screen.width() ||
        dialog->frameGeometry().height() + preview->frameGeometry().height() + 10 <=
            screen.height();
    const auto clear = [&] {
        const QRect placed = preview->frameGeometry();
        return !placed.intersects(buttons) &&
               !placed.intersects(global(dialog->ThumbnailFrame())) &&
               (!room || !placed.intersects(dialog->frameGeometry()));
    };
    EXPECT_TRUE(QTest::qWaitFor(clear))
        << "dialog " << dialog->frameGeometry().x() << "," << dialog->frameGeometry().y() << " "
        << dialog->frameGeometry().width() << "x" << dialog->frameGeometry().height()
        << ", preview " << preview->frameGeometry().x() << "," << preview->frameGeometry().y()
        << " " << preview->frameGeometry().width() << "x" << preview->frameGeometry().height();
    EXPECT_TRUE(screen.contains(dialog->frameGeometry()));
    SaveScreenshot(dialog.get(), QStringLiteral("layered-texture-beside-preview"));

    // Settled, the Preview does not follow the dialog about, nor come back elsewhere after an
    // edit of a layer.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !SideBySideKeeper::For(preview)->IsSettling(); }));
    const QRect settled = preview->frameGeometry();
    const QPoint away = dialog->frameGeometry().center() - settled.center();
    dialog->move(dialog->pos() + QPoint(away.x() > 0 ? 20 : -20, away.y() > 0 ? 20 : -20));
    dialog->List()->setCurrentRow(0);
    dialog->Button("modifyButton")->click();
    ASSERT_TRUE(preview->isVisible());
    QApplication::processEvents();
    EXPECT_EQ(preview->frameGeometry(), settled);
}

TEST_F(LayeredTest, MoveUpOnTheMiddleOfThreeMakesItTheFirst) {
    auto dialog = Open(ThreeLayers());
    dialog->List()->setCurrentRow(1);
    EXPECT_TRUE(Enabled(*dialog, "moveUpButton"));
    EXPECT_TRUE(Enabled(*dialog, "moveDownButton"));
    dialog->Button("moveUpButton")->click();
    EXPECT_EQ(Lines(*dialog), (QStringList{"Middle", "Base", "Top"}));
    EXPECT_EQ(dialog->Working().GetLayer(0)->GetName(), "Middle");
    EXPECT_EQ(dialog->List()->currentRow(), 0);
    EXPECT_FALSE(Enabled(*dialog, "moveUpButton"));
    dialog->Button("moveDownButton")->click();
    dialog->Button("moveDownButton")->click();
    EXPECT_EQ(Lines(*dialog), (QStringList{"Base", "Top", "Middle"}));
    EXPECT_EQ(dialog->List()->currentRow(), 2);
    EXPECT_FALSE(Enabled(*dialog, "moveDownButton"));
}

TEST_F(LayeredTest, RemovingTheLastOfThreeSelectsTheNewLastLine) {
    auto dialog = Open(ThreeLayers());
    dialog->List()->setCurrentRow(2);
    m_answer = QMessageBox::No;
    dialog->Button("removeButton")->click();
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].title, "Remove Texture");
    EXPECT_EQ(m_messages[0].text, "Are you sure that you want to remove the selected texture?");
    EXPECT_EQ(m_messages[0].icon, Prompts::Icon::Stop);
    EXPECT_EQ(dialog->List()->count(), 3);
    m_answer = QMessageBox::Yes;
    dialog->Button("removeButton")->click();
    EXPECT_EQ(Lines(*dialog), (QStringList{"Base", "Middle"}));
    EXPECT_EQ(dialog->Working().GetLayerCount(), 2);
    EXPECT_EQ(dialog->List()->currentRow(), 1);
    EXPECT_FALSE(Enabled(*dialog, "moveDownButton"));
}

TEST_F(LayeredTest, PastingAFourLayerTextureAppendsFourLayersAndSelectsTheFourth) {
    LayeredTexture four;
    for (const char* name : {"One", "Two", "Three", "Four"})
        four.AddLayer(Layer(name, 120));
    m_app.CopyList().push_back(four.Clone());
    auto dialog = Open(ThreeLayers());
    EXPECT_TRUE(Enabled(*dialog, "pasteButton"));
    dialog->Button("pasteButton")->click();
    EXPECT_EQ(Lines(*dialog),
              (QStringList{"Base", "Middle", "Top", "One", "Two", "Three", "Four"}));
    EXPECT_EQ(dialog->List()->currentRow(), 6);
    EXPECT_EQ(dialog->Working().GetLayer(6)->GetThumbnailWidth(), 100);
    EXPECT_EQ(dialog->Working().GetLayer(6)->GetThumbnailHeight(), 100);
    EXPECT_EQ(m_app.CopyList().size(), 1u); // the buffer keeps its contents
    EXPECT_EQ(static_cast<LayeredTexture&>(*m_app.CopyList()[0]).GetLayer(0)->GetThumbnailWidth(),
              120);
}

TEST_F(LayeredTest, CopyPutsOneLayerIn120PixelsAndItsSourceOnTheClipboard) {
    m_app.CopyList().push_back(Layer("Old").Clone());
    m_app.CopyList().push_back(Layer("Older").Clone());
    auto dialog = Open(ThreeLayers());
    dialog->List()->setCurrentRow(1);
    dialog->Button("copyButton")->click();
    ASSERT_EQ(m_app.CopyList().size(), 1u);
    const Texture& copied = *m_app.CopyList()[0];
    EXPECT_EQ(copied.Kind(), TextureKind::Simple);
    EXPECT_EQ(copied.GetName(), "Middle");
    EXPECT_EQ(copied.GetThumbnailWidth(), 120);
    EXPECT_EQ(copied.GetThumbnailHeight(), 120);
    EXPECT_EQ(
        QApplication::clipboard()->text(),
        QString::fromStdString(dialog->Working().GetLayer(1)->GetSource(SourceFlag::Declare)));
    EXPECT_TRUE(QApplication::clipboard()->text().startsWith("#declare Middle ="));
}

TEST_F(LayeredTest, ModifyEditsACopyOfTheLayerAndCancelLeavesIt) {
    auto dialog = Open(ThreeLayers());
    dialog->List()->setCurrentRow(2);
    m_app.script.accept = false;
    m_app.script.edit = [](SimpleTexture& layer) { layer.SetName("Changed"); };
    dialog->Button("modifyButton")->click();
    EXPECT_EQ(dialog->Working().GetLayer(2)->GetName(), "Top");
    m_app.script.accept = true;
    m_app.script.edit = [](SimpleTexture& layer) {
        EXPECT_EQ(layer.GetName(), "Top");
        layer.SetName("Glaze");
        layer.finish.phong = 90;
    };
    dialog->Button("modifyButton")->click();
    EXPECT_EQ(m_app.script.titles.last(), "Modify Simple Texture");
    EXPECT_EQ(Lines(*dialog), (QStringList{"Base", "Middle", "Glaze"}));
    EXPECT_EQ(dialog->Working().GetLayer(2)->finish.phong, 90);
    EXPECT_EQ(dialog->Working().GetLayer(2)->GetThumbnailWidth(), 100); // the old picture kept
    EXPECT_EQ(dialog->List()->currentRow(), 2);
}

TEST_F(LayeredTest, NameAndDescriptionAreTheDialogsAndOkKeepsThem) {
    LayeredTexture texture = ThreeLayers();
    texture.SetDescription("Three coats\r\nof paint");
    auto dialog = Open(texture);
    EXPECT_EQ(dialog->NameEdit()->text(), "Stack");
    EXPECT_EQ(dialog->DescriptionEdit()->toPlainText(), "Three coats\nof paint");
    dialog->NameEdit()->setText(QStringLiteral("Paint Stack"));
    dialog->DescriptionEdit()->setPlainText(QStringLiteral("Four coats\nof paint"));
    dialog->accept();
    EXPECT_EQ(dialog->Working().GetName(), "Paint Stack");
    EXPECT_EQ(dialog->Working().GetDescription(), "Four coats\r\nof paint");
    EXPECT_EQ(texture.GetName(), "Stack"); // the caller's texture is left to the caller
    dialog->UpdateThumbnailCheck()->click();
    EXPECT_EQ(m_app.settings.updateThumbnail, 1);
}

TEST_F(LayeredTest, NewLayersGetA100PixelThumbnailFromPovRayWhenAsked) {
    VELVANE_SKIP_WITHOUT_POVRAY(m_app.settings.povExecutable.isEmpty(), "povray is not installed");
    m_app.settings.updateThumbnail = true;
    LayeredTexture texture;
    auto dialog = Open(texture);
    m_app.script.edit = [](SimpleTexture& layer) {
        layer.SetName("Bright Red");
        layer.pigment.color = {255, 0, 0, 0};
    };
    dialog->Button("newButton")->click();
    const SimpleTexture* layer = dialog->Working().GetLayer(0);
    ASSERT_NE(layer, nullptr);
    // The layer is there at once; its picture comes from POV-Ray while the dialog stays open.
    EXPECT_EQ(layer->GetThumbnailWidth(), 0);
    EXPECT_EQ(dialog->LayersAwaitingThumbnails(), std::vector<int>{0});
    ASSERT_TRUE(QTest::qWaitFor([layer] { return layer->GetThumbnailWidth() > 0; }, 30000));
    EXPECT_TRUE(m_messages.empty()) << MessageTexts().join("\n").toStdString();
    EXPECT_TRUE(dialog->LayersAwaitingThumbnails().empty());
    EXPECT_EQ(layer->GetThumbnailWidth(), 100);
    EXPECT_EQ(layer->GetThumbnailHeight(), 100);
    SaveScreenshot(dialog.get(), QStringLiteral("layered-texture"));
}

TEST_F(LayeredTest, OkOnALayerAsItWasRendersNothingAndReplacesNothing) {
    // A render would fail loudly here: any attempt shows a message.
    m_app.settings.updateThumbnail = true;
    m_app.settings.povExecutable = m_dir.filePath(QStringLiteral("no-such-povray"));
    auto dialog = Open(ThreeLayers());
    dialog->List()->setCurrentRow(1);
    const SimpleTexture* before = dialog->Working().GetLayer(1);
    m_app.script.edit = [](SimpleTexture&) {}; // OK without a change
    dialog->Button("modifyButton")->click();
    EXPECT_EQ(m_app.script.titles.last(), "Modify Simple Texture");
    EXPECT_TRUE(dialog->LayersAwaitingThumbnails().empty()) << "no render";
    EXPECT_EQ(dialog->Working().GetLayer(1), before); // the very same layer, not a copy
    EXPECT_EQ(dialog->Working().GetLayer(1)->GetThumbnailWidth(), 100);

    m_app.script.edit = [](SimpleTexture& layer) { layer.finish.diffuse = 20; };
    dialog->Button("modifyButton")->click();
    // A real change is rendered (and here fails to).
    EXPECT_EQ(dialog->LayersAwaitingThumbnails(), std::vector<int>{1});
    EXPECT_TRUE(QTest::qWaitFor([this] { return !m_messages.empty(); }, 30000));
    EXPECT_EQ(dialog->Working().GetLayer(1)->finish.diffuse, 20);
}
