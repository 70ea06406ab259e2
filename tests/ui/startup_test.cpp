#include "render/files/sidefiles.h"
#include "render/settings/programsettings.h"
#include "ui/app/application.h"
#include "ui/app/mainwindow.h"
#include "ui/catalog/cataloggridview.h"
#include "ui/dialogs/preferencesdialog.h"
#include "ui/dialogs/startupnoticedialog.h"
#include "ui/framework/document.h"
#include "ui/framework/prompts.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

/// Acts on the first visible top-level dialog of type T, once it shows.
template <class T> void WhenShown(std::function<void(T*)> act) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* found = qobject_cast<T*>(widget); found && found->isVisible()) {
                poll->stop();
                poll->deleteLater();
                act(found);
                return;
            }
    });
    poll->start(20);
}

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        qputenv("XDG_CONFIG_HOME", m_dir.filePath("config").toUtf8());
        qputenv("XDG_DATA_HOME", m_dir.filePath("data").toUtf8());
        OpenSettingsStore()->clear();
        Prompts::SetMessageResponder([this](Prompts::Icon, const QString& title,
                                            const QString& text, QMessageBox::StandardButtons) {
            m_messages << title + ": " + text;
            return QMessageBox::Ok;
        });
    }
    void TearDown() override { Prompts::SetMessageResponder(nullptr); }

    /// Starts the program and closes it again (as the user quitting).
    void StartAndQuit(const QStringList& files = {}) {
        Application app;
        ASSERT_TRUE(app.Startup(files));
        m_openTitles.clear();
        for (const auto& document : app.Documents())
            m_openTitles << document->Title();
        app.Frame().close();
    }
    void Store(const std::function<void(ProgramSettings&)>& change) {
        auto store = OpenSettingsStore();
        ProgramSettings settings;
        settings.Load(*store);
        change(settings);
        settings.Save(*store);
    }
    ProgramSettings Stored() {
        ProgramSettings settings;
        settings.Load(*OpenSettingsStore());
        return settings;
    }

    QTemporaryDir m_dir;
    QStringList m_messages;
    QStringList m_openTitles;
};

} // namespace

TEST_F(StartupTest, FirstStartAsksForTheFoldersAndStoresThemAtOnce) {
    QString shownDirectory;
    QString shownPov;
    bool storedBeforeExit = false;
    WhenShown<PreferencesDialog>([&](PreferencesDialog* sheet) {
        shownDirectory = sheet->Page().Values().programDirectory;
        shownPov = sheet->Page().Values().povExecutable;
        sheet->accept();
    });
    // The notice comes after the Preferences: by then the folders are in the settings store.
    WhenShown<StartupNoticeDialog>([&](StartupNoticeDialog* notice) {
        storedBeforeExit = !Stored().programDirectory.isEmpty();
        notice->accept();
    });
    StartAndQuit();
    EXPECT_EQ(shownDirectory, DefaultProgramDirectory());
    EXPECT_EQ(shownPov, DefaultPovExecutable());
    EXPECT_TRUE(storedBeforeExit);
    EXPECT_EQ(Stored().programDirectory, DefaultProgramDirectory());
    // The missing shape file was announced and written.
    EXPECT_TRUE(m_messages.contains("Shape file not found!: Generating shape file...."));
    EXPECT_TRUE(QFile::exists(ShapeFilePath(DefaultProgramDirectory())));
    EXPECT_TRUE(QFile::exists(ColorFilePath(DefaultProgramDirectory()))); // written at exit

    // Everything set: the second start asks nothing and reads the shapes silently.
    m_messages.clear();
    Store([](ProgramSettings& s) { s.displayMailingListDialog = 0; });
    StartAndQuit();
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join('\n').toStdString();
}

TEST_F(StartupTest, AMissingPovRayPathAsksAgainAtEveryStart) {
    Store([this](ProgramSettings& s) {
        s.programDirectory = m_dir.filePath("program");
        s.displayMailingListDialog = 0;
    });
    for (int start = 0; start < 2; ++start) {
        bool asked = false;
        WhenShown<PreferencesDialog>([&](PreferencesDialog* sheet) {
            asked = true;
            sheet->reject();
        });
        StartAndQuit();
        EXPECT_TRUE(asked) << "start " << start;
        EXPECT_TRUE(Stored().povExecutable.isEmpty());
    }
}

TEST_F(StartupTest, TheNoticeCanBeTurnedOff) {
    Store([this](ProgramSettings& s) {
        s.programDirectory = m_dir.filePath("program");
        s.povExecutable = DefaultPovExecutable();
    });
    WhenShown<StartupNoticeDialog>([](StartupNoticeDialog* notice) {
        notice->DisplayAgainCheck()->setChecked(false);
        notice->accept();
    });
    StartAndQuit();
    EXPECT_EQ(Stored().displayMailingListDialog, 0);
}

TEST_F(StartupTest, FilesNamedOnTheCommandLineAreOpened) {
    Store([this](ProgramSettings& s) {
        s.programDirectory = m_dir.filePath("program");
        s.povExecutable = DefaultPovExecutable();
        s.displayMailingListDialog = 0;
    });
    StartAndQuit({QStringLiteral(VELVANE_SOURCE_DIR "/examples/sample.vlv")});
    EXPECT_EQ(m_openTitles, QStringList{"sample.vlv"});
    auto store = OpenSettingsStore();
    EXPECT_TRUE(store->value("Recent File List/File1").toString().endsWith("examples/sample.vlv"));
}

TEST_F(StartupTest, PrintingDrawsTheGridOnPages) {
    Store([this](ProgramSettings& s) {
        s.programDirectory = m_dir.filePath("program");
        s.povExecutable = DefaultPovExecutable();
        s.displayMailingListDialog = 0;
    });
    Application app;
    ASSERT_TRUE(app.Startup({QStringLiteral(VELVANE_SOURCE_DIR "/examples/sample.vlv")}));
    CatalogGridView* view = dynamic_cast<CatalogGridView*>(app.Frame().ActiveView());
    ASSERT_TRUE(view);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString pdf = m_dir.filePath("catalog.pdf");
    printer.setOutputFileName(pdf);
    view->PrintGrid(printer);
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_GT(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") +
                  bytes.count("/Type /Page "),
              0);
    app.Frame().close();
}
