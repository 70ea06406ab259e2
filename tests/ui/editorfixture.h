#pragma once

#include "fakeappservices.h"
#include "render/povray/povrayrunner.h"
#include "render/povray/renderqueue.h"
#include "render/settings/programsettings.h"
#include "screenshot.h"
#include "ui/editors/previewlink.h"
#include "ui/framework/appservices.h"
#include "ui/framework/documenttemplate.h"
#include "ui/framework/prompts.h"
#include "whenshown.h"

#include <QApplication>
#include <QRect>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

class QAbstractButton;
class QLineEdit;
class Texture;

/// Failed expectations show texts as text.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

/// A Preview window stand-in that counts what the editors tell it.
class CountingPreview : public PreviewLink {
public:
    void TextureChanged() override { ++changes; }
    void HideForDialog() override { ++hides; }
    void ShowAfterDialog() override { ++shows; }

    int changes = 0;
    int hides = 0;
    int shows = 0;
};

/// A message box the editors showed, as the responder saw it.
struct EditorMessage {
    Prompts::Icon icon;
    QString title;
    QString text;
};

/// Answers the editors' message boxes and file dialogs, remembering what was asked.
class EditorTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    /// Puts a text into an edit at once (as a paste does) and moves the focus on, as a user
    /// tabbing away does.
    static void TypeAndLeave(QLineEdit* edit, const QString& text, QWidget* next);
    /// Selects an edit's text and types over it key by key, leaving the focus in the edit.
    static void TypeKeys(QLineEdit* edit, const QString& text);
    /// The texts of the messages shown so far.
    QStringList MessageTexts() const;

    FakeAppServices m_services;
    std::vector<EditorMessage> m_messages;
    QMessageBox::StandardButton m_answer = QMessageBox::Yes;
    QString m_filePath;
    QStringList m_fileCaptions;
};

/// Renders `texture` at width x height through the services' render queue and waits for it; on
/// success the picture becomes its thumbnail.
bool RenderThumbnail(AppServices& services, Texture& texture, int width, int height);

/// Toggles a check box or radio button through its accessible "Toggle" action, as assistive
/// technology and voice control do (no click is involved). False when there is no such action.
bool ToggleAccessibly(QAbstractButton* button);

/// A rectangle as "x,y widthxheight", for messages of failed placements.
std::string Describe(const QRect& rect);

/// The whole program started on settings of its own in a temporary folder: the sample's
/// program directory, the POV-Ray found, no notice at the start, one render at a time.
class InProgramEditorTest : public EditorTest {
protected:
    void SetUp() override;

    QTemporaryDir m_dir;
};
