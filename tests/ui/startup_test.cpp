#include "render/files/sidefiles.h"
#include "render/settings/programsettings.h"
#include "ui/app/application.h"
#include "ui/app/mainwindow.h"
#include "ui/catalog/catalogview.h"
#include "ui/dialogs/preferencesdialog.h"
#include "ui/dialogs/startupnoticedialog.h"
#include "ui/framework/document.h"
#include "ui/framework/prompts.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
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
    // No named colour was made, so there is nothing to write at exit.
    EXPECT_FALSE(QFile::exists(ColorFilePath(DefaultProgramDirectory())));

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
    CatalogView* view = dynamic_cast<CatalogView*>(app.Frame().ActiveView());
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

TEST_F(StartupTest, NamedColorsAreWrittenOnlyAfterAChangeAndADamagedFileIsKept) {
    // A damaged colors.dat was read in part and silently rewritten with that part at exit.
    const QString program = m_dir.filePath("program");
    Store([&](ProgramSettings& s) {
        s.programDirectory = program;
        s.povExecutable = DefaultPovExecutable();
        s.displayMailingListDialog = 0;
    });
    QDir().mkpath(program);
    NamedColorList colors;
    colors.push_back(std::make_unique<NamedColor>("Brick", ColorRGBF{178, 34, 34, 0}));
    colors.push_back(std::make_unique<NamedColor>("Sea", ColorRGBF{0, 105, 148, 20}));
    const QByteArray whole = StoredColors(colors);
    const QByteArray damaged = whole.left(whole.size() - 3);
    const QString path = ColorFilePath(program);
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(damaged);
    }
    StartAndQuit();
    const QStringList told = m_messages.filter("Color file error: ");
    ASSERT_EQ(told.size(), 1) << m_messages.join('\n').toStdString();
    EXPECT_TRUE(told[0].startsWith("Color file error: The named color file " + path +
                                   " cannot be read completely"))
        << told[0].toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), damaged);
    file.close();

    // A change is written, the damaged file kept beside first.
    {
        Application app;
        ASSERT_TRUE(app.Startup({}));
        ASSERT_EQ(app.NamedColors().size(), 1u);
        app.NamedColors().push_back(std::make_unique<NamedColor>("Moss", ColorRGBF{50, 80, 20, 0}));
        app.Frame().close();
    }
    QFile kept(path + ".damaged");
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), damaged);
    std::optional<SideFileNotice> notice;
    const NamedColorList saved = LoadColorFile(program, notice);
    EXPECT_FALSE(notice);
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_EQ(saved[1]->GetName(), "Moss");
}
