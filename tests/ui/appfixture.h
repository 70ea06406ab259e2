#pragma once

#include "ui/app/application.h"
#include "ui/app/mainwindow.h"
#include "ui/catalog/catalogview.h"
#include "ui/framework/prompts.h"
#include "ui/framework/textureeditors.h"
#include "whenshown.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

/// Runs `inspect` on the first top-level widget of type T once it shows (a modal dialog or a
/// popup menu), then closes it.
template <class T> void WhenShownThenClose(std::function<void(T*)> inspect) {
    WhenShown<T>([inspect = std::move(inspect)](T* found) {
        inspect(found);
        found->close();
    });
}

/// An editor that plays the user's part: it changes the texture as told and answers OK or Cancel.
class ScriptedEditors : public TextureEditors {
public:
    bool EditSimple(SimpleTexture& texture, const QString& title, QWidget* parent) override;
    bool EditLayered(LayeredTexture& texture, QWidget* parent) override;
    bool EditSource(SourceTexture& texture, QWidget* parent) override;

    bool accept = true;
    std::function<void(SimpleTexture&)> editSimple;
    std::function<void(LayeredTexture&)> editLayered;
    std::function<void(SourceTexture&)> editSource;
    std::vector<QString> titles;
};

/// A message the program showed, as the responder saw it.
struct ShownMessage {
    Prompts::Icon icon;
    QString title;
    QString text;
};

/// The whole program on the offscreen platform, with its settings, data folder and render
/// folder in a temporary folder, the real POV-Ray, a scripted editor, and messages answered
/// by the test.
class AppTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    /// Copies the sample catalog into the temporary folder and opens it.
    CatalogView* OpenSample();
    QString Path(const QString& name) const { return m_dir.filePath(name); }
    /// Clicks in the catalog view at a point of the grid (grid coordinates, scroll applied).
    void Click(CatalogView* view, int x, int y, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
               Qt::MouseButton button = Qt::LeftButton);
    void ClickTexture(CatalogView* view, int index,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    /// Clears the thumbnails of the textures at `indices` and Ctrl-clicks each, as a user
    /// chooses what to render.
    void ChooseUnrendered(CatalogView* view, const std::vector<int>& indices);
    std::vector<int> Selected(CatalogView* view) const;
    /// Waits until the catalog's renders (thumbnails, batches) are all over.
    static bool WaitForRenders(CatalogView* view, int milliseconds = 60000);
    /// The indices of the window's first `count` simple textures (fewer when it has fewer).
    static std::vector<int> SimpleIndices(CatalogView* view, std::size_t count);
    bool Enabled(const char* action) const;

    QTemporaryDir m_dir;
    std::unique_ptr<Application> m_app;
    ScriptedEditors m_editors;
    std::vector<ShownMessage> m_messages;
    QMessageBox::StandardButton m_answer = QMessageBox::Yes;
};
