#include "editorfixture.h"

#include "core/model/texture.h"
#include "render/povray/picturerender.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QDir>
#include <QLineEdit>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

void EditorTest::SetUp() {
    Prompts::SetMessageResponder([this](Prompts::Icon icon, const QString& title,
                                        const QString& text, QMessageBox::StandardButtons buttons) {
        m_messages.push_back({icon, title, text});
        return buttons.testFlag(m_answer) ? m_answer : QMessageBox::Ok;
    });
    Prompts::SetFileResponder([this](const QString& caption, const QString&) {
        m_fileCaptions << caption;
        return m_filePath;
    });
}

void EditorTest::TearDown() {
    Prompts::SetMessageResponder(nullptr);
    Prompts::SetFileResponder(nullptr);
}

void EditorTest::TypeAndLeave(QLineEdit* edit, const QString& text, QWidget* next) {
    edit->setFocus(Qt::TabFocusReason);
    edit->selectAll();
    edit->setText(text);
    next->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
}

void EditorTest::TypeKeys(QLineEdit* edit, const QString& text) {
    edit->setFocus(Qt::TabFocusReason);
    edit->selectAll();
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Backspace);
    else
        QTest::keyClicks(edit, text);
}

QStringList EditorTest::MessageTexts() const {
    QStringList texts;
    for (const auto& message : m_messages)
        texts << message.text;
    return texts;
}

bool RenderThumbnail(AppServices& services, Texture& texture, int width, int height) {
    PictureRender render(texture, width, height);
    QSignalSpy finished(&render, &QueuedRender::finished);
    render.Start(services.Renders());
    if (!finished.wait(60000) || !render.Result().Succeeded())
        return false;
    texture.Thumbnail() = std::move(render.Picture());
    return true;
}

bool ToggleAccessibly(QAbstractButton* button) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(button);
    QAccessibleActionInterface* actions = accessible ? accessible->actionInterface() : nullptr;
    const QString toggle = QAccessibleActionInterface::toggleAction();
    if (!actions || !actions->actionNames().contains(toggle))
        return false;
    actions->doAction(toggle);
    return true;
}

std::string Describe(const QRect& rect) {
    return QStringLiteral("%1,%2 %3x%4")
        .arg(rect.x())
        .arg(rect.y())
        .arg(rect.width())
        .arg(rect.height())
        .toStdString();
}

void InProgramEditorTest::SetUp() {
    EditorTest::SetUp();
    ASSERT_TRUE(m_dir.isValid());
    qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DATA_HOME", m_dir.filePath(QStringLiteral("data")).toUtf8());
    auto store = OpenSettingsStore();
    store->clear();
    ProgramSettings settings;
    settings.programDirectory = m_dir.filePath(QStringLiteral("program"));
    settings.povExecutable = DefaultPovExecutable();
    settings.displayMailingListDialog = false;
    settings.parallelRenders = 1;
    settings.Save(*store);
}
